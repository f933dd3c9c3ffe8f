#pragma once
// The transfers' Ui in the window program: Qt's file dialogs, message boxes, the route selection
// dialog and the progress strip, each owned by the main window.

#include <QPointer>
#include <QWidget>

#include "platform/clock.h"
#include "transfer/transfer_ui.h"

namespace wl {

class QtTransferUi : public ITransferUi {
  public:
    QtTransferUi(QWidget* owner, Clock& clock) : owner_(owner), clock_(clock) {}

    // The window the dialogs belong to, once it exists.
    void SetOwner(QWidget* owner) { owner_ = owner; }

    std::optional<std::filesystem::path> ChooseFileToOpen(const FileFilter& filter) override;
    std::optional<std::filesystem::path> ChooseFileToSave(const FileFilter& filter) override;
    MessageAnswer ShowMessage(const Message& message) override;
    bool SelectRoutes(std::vector<RouteEntry>& entries) override;
    std::unique_ptr<I_InfoWnd> OpenProgress() override;
    // The window ends such a transfer without a message, as it always has.
    void NoteSilentFailure(const std::u16string&) override {}

  private:
    std::optional<std::filesystem::path> Choose(const FileFilter& filter, bool save);

    QPointer<QWidget> owner_;
    Clock& clock_;
};

}  // namespace wl
