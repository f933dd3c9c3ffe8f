#pragma once
// How a transfer ended, for callers that must say so (wayload-cli's exit code); the window
// shows the transfer's own messages and ignores it.

namespace wl {

enum class TransferOutcome {
    kDone,       // everything asked for was moved
    kCancelled,  // the user cancelled a chooser or the selection, or declined the question
    kRefused,    // some routes were not stored: the user kept the old ones, or a name was unsafe
    kFailed,     // an error ended it (shown, or silent where the sequence says nothing)
};

}  // namespace wl
