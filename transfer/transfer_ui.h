#pragma once
// How a transfer talks to the user: file choosers, message boxes, the route selection and the
// progress strip. The window program implements it with dialogs, wayload-cli with flags and the
// terminal, tests with a scripted fake.

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "common/info_wnd.h"
#include "transfer/route_selection.h"

namespace wl {

// One file type of a chooser: "Import (*.rdi)" showing "*.rdi", with the extension added to a
// name typed without one.
struct FileFilter {
    std::u16string description;
    std::u16string pattern;
    std::u16string defaultExtension;
};

enum class MessageIcon { kInformation, kQuestion, kError };
enum class MessageButtons { kOk, kYesNo };
enum class MessageAnswer { kOk, kYes, kNo };

struct Message {
    std::u16string text;  // line breaks as "\r\n"
    std::u16string caption;
    MessageIcon icon = MessageIcon::kInformation;
    MessageButtons buttons = MessageButtons::kOk;
    // False for the few boxes shown without the main window as their owner.
    bool owned = true;
};

class ITransferUi {
  public:
    virtual ~ITransferUi() = default;

    // An existing file to read; nothing when the user cancels.
    virtual std::optional<std::filesystem::path> ChooseFileToOpen(const FileFilter& filter) = 0;
    // A file to write; the chooser asks before an existing file is overwritten. Nothing when the
    // user cancels.
    virtual std::optional<std::filesystem::path> ChooseFileToSave(const FileFilter& filter) = 0;
    virtual MessageAnswer ShowMessage(const Message& message) = 0;
    // The route selection: true after OK, with only the ticked entries left; false after Cancel,
    // with the entries unchanged.
    virtual bool SelectRoutes(std::vector<RouteEntry>& entries) = 0;
    // The progress strip (empty title and text, centred), open until the sink is destroyed.
    virtual std::unique_ptr<I_InfoWnd> OpenProgress() = 0;
    // Why a transfer ended that the window leaves without a message, as the system always has
    // (a route file that is no container, say). A script must still be told.
    virtual void NoteSilentFailure(const std::u16string& reason) = 0;
};

}  // namespace wl
