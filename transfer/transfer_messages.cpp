#include "transfer/transfer_messages.h"

#include "common/format.h"
#include "common/utf16.h"
#include "locale/string_table.h"

namespace wl {

void ShowError(ITransferUi& ui, const std::u16string& text) {
    ui.ShowMessage({text, StringTable().Error, MessageIcon::kError, MessageButtons::kOk, true});
}

void ShowClosing(ITransferUi& ui, const std::u16string& text, MessageIcon icon) {
    ui.ShowMessage({text, StringTable().AppTitle, icon, MessageButtons::kOk, true});
}

bool AskYesNo(ITransferUi& ui, const std::u16string& text) {
    const Message question{text, StringTable().AppTitle, MessageIcon::kQuestion,
                           MessageButtons::kYesNo, true};
    return ui.ShowMessage(question) == MessageAnswer::kYes;
}

std::u16string FileErrorText(const FileError& error, const std::u16string* shownAs) {
    return Format("%s\r\n%s", {FileErrorCauseText(static_cast<int>(error.cause())),
                               shownAs != nullptr ? *shownAs : PathToUtf16(error.path())});
}

}  // namespace wl
