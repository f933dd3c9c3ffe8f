#include "gui/qt_transfer_ui.h"

#include <QFileDialog>
#include <QMessageBox>

#include "common/utf16.h"
#include "gui/info_window.h"
#include "gui/qt_text.h"
#include "gui/select_routes_dlg.h"

namespace wl {
namespace {

QMessageBox::Icon IconOf(MessageIcon icon) {
    switch (icon) {
        case MessageIcon::kQuestion:
            return QMessageBox::Question;
        case MessageIcon::kError:
            return QMessageBox::Critical;
        case MessageIcon::kInformation:
            break;
    }
    return QMessageBox::Information;
}

}  // namespace

std::optional<std::filesystem::path> QtTransferUi::Choose(const FileFilter& filter, bool save) {
    QFileDialog dialog(owner_);
    // Qt's own dialog, the same on every desktop, and one that tests can drive.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setNameFilter(ToQString(filter.description));
    // "*.rdx" names the extension added to a name typed without one.
    QString extension = ToQString(filter.defaultExtension);
    extension.remove(QStringLiteral("*."));
    dialog.setDefaultSuffix(extension);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return Utf16ToPath(FromQString(dialog.selectedFiles().constFirst()));
}

std::optional<std::filesystem::path> QtTransferUi::ChooseFileToOpen(const FileFilter& filter) {
    return Choose(filter, false);
}

std::optional<std::filesystem::path> QtTransferUi::ChooseFileToSave(const FileFilter& filter) {
    return Choose(filter, true);
}

MessageAnswer QtTransferUi::ShowMessage(const Message& message) {
    const bool question = message.buttons == MessageButtons::kYesNo;
    QMessageBox box(IconOf(message.icon), ToWindowTitle(message.caption), ToShownText(message.text),
                    question ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok,
                    message.owned ? owner_.data() : nullptr);
    // Names from a drive or a container are shown as they are, never as rich text.
    box.setTextFormat(Qt::PlainText);
    const int answer = box.exec();
    if (!question) {
        return MessageAnswer::kOk;
    }
    return answer == QMessageBox::Yes ? MessageAnswer::kYes : MessageAnswer::kNo;
}

bool QtTransferUi::SelectRoutes(std::vector<RouteEntry>& entries) {
    CSelectRoutesDlg dialog(entries, owner_);
    return dialog.exec() == QDialog::Accepted;
}

std::unique_ptr<I_InfoWnd> QtTransferUi::OpenProgress() {
    return std::make_unique<CMyInfoWindow>(owner_, clock_, std::u16string(), std::u16string(),
                                           true);
}

}  // namespace wl
