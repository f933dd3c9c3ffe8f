#pragma once
// The message boxes the transfers show: errors under the "Error" caption, questions and closing
// messages under the product title.

#include <string>

#include "platform/file_error.h"
#include "transfer/transfer_ui.h"

namespace wl {

void ShowError(ITransferUi& ui, const std::u16string& text);
// A closing message under the product title.
void ShowClosing(ITransferUi& ui, const std::u16string& text, MessageIcon icon);
// True only for a Yes.
bool AskYesNo(ITransferUi& ui, const std::u16string& text);

// What to tell the user of a file error: its cause and the file it struck, or `shownAs` in that
// file's place when given.
std::u16string FileErrorText(const FileError& error, const std::u16string* shownAs = nullptr);

}  // namespace wl
