#include "gui/main_window.h"

#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <utility>

#include "gui/dialog_units.h"
#include "gui/info_window.h"
#include "gui/lng_dlg.h"
#include "gui/pictures/window_icon.h"
#include "gui/qt_text.h"
#include "gui/qt_translation.h"
#include "locale/string_table.h"

namespace wl {

CWayloadDlg::CWayloadDlg(ISerialLink& serial, IDriveLister& drives, ITransferHooks& transfers,
                         LanguageSetup languages, QWidget* parent)
    : QDialog(parent),
      languages_(languages),
      controller_(*this, serial, drives, transfers, std::move(languages)),
      removals_([this](const DeviceNotice& notice) { OnDeviceNotice(notice); }),
      pcToInstrument_(new CImageButton(this)),
      instrumentToPc_(new CImageButton(this)),
      statusLine_(new QLabel(this)) {
    setWindowTitle(ToWindowTitle(StringTable().AppTitle));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    statusLine_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    // The status line carries texts of language files and instrument names: shown literally.
    statusLine_->setTextFormat(Qt::PlainText);
    PlaceControls();
    connect(pcToInstrument_, &QPushButton::clicked, this, [this] { controller_.OnPC2I(); });
    connect(instrumentToPc_, &QPushButton::clicked, this, [this] { controller_.OnI2PC(); });
    connect(&timer_, &QTimer::timeout, this, [this] { OnTick(); });
    connect(this, &QDialog::finished, this, [this] { Destroy(); });
}

CWayloadDlg::~CWayloadDlg() {
    Destroy();
}

void CWayloadDlg::PlaceControls() {
    const DialogUnits units(font());
    const int top = menuBar_ ? menuBar_->sizeHint().height() : 0;
    pcToInstrument_->setGeometry(units.Rect(7, 6, 77, 43).translated(0, top));
    instrumentToPc_->setGeometry(units.Rect(91, 6, 75, 43).translated(0, top));
    statusLine_->setGeometry(units.Rect(7, 53, 159, 8).translated(0, top));
    const QSize client = units.Rect(0, 0, 173, 80).size();
    if (menuBar_) {
        menuBar_->setGeometry(0, 0, client.width(), top);
    }
    setFixedSize(client.width(), client.height() + top);
}

void CWayloadDlg::OnTick() {
    // While a transfer's strip is open the transfer holds the instruments: the tick waits, so
    // that the serial link is never probed from two places at once.
    if (CMyInfoWindow::openCount() > 0) {
        return;
    }
    // Notices that came while a strip was open are taken now, in their order.
    const std::vector<DeviceNotice> notices = std::exchange(deferredNotices_, {});
    for (const DeviceNotice& notice : notices) {
        controller_.OnDeviceChange(&notice);
    }
    controller_.OnTimer();
}

void CWayloadDlg::OnDeviceNotice(const DeviceNotice& notice) {
    if (CMyInfoWindow::openCount() > 0) {
        deferredNotices_.push_back(notice);
        return;
    }
    controller_.OnDeviceChange(&notice);
}

void CWayloadDlg::Initialise() {
    controller_.OnInitDialog();
}

void CWayloadDlg::Run() {
    Initialise();
    exec();
}

void CWayloadDlg::Destroy() {
    if (!destroyed_) {
        destroyed_ = true;
        controller_.OnDestroy();
    }
}

void CWayloadDlg::keyPressEvent(QKeyEvent* event) {
    // Enter ends the window as Escape does; the window has no button of its own for either.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

CImageButton& CWayloadDlg::Button(PictureButton button) {
    return button == PictureButton::kPcToInstrument ? *pcToInstrument_ : *instrumentToPc_;
}

bool CWayloadDlg::LoadPicture(PictureButton button, PictureSlot slot, int number) {
    return Button(button).LoadPngResource(number, slot);
}

void CWayloadDlg::InvalidateButtons() {
    pcToInstrument_->update();
    instrumentToPc_->update();
}

void CWayloadDlg::EnableButtons(bool enabled) {
    pcToInstrument_->setEnabled(enabled);
    instrumentToPc_->setEnabled(enabled);
}

void CWayloadDlg::SetStatusText(const std::u16string& text) {
    statusLine_->setText(ToShownText(text));
}

void CWayloadDlg::SetTitle(const std::u16string& title) {
    setWindowTitle(ToWindowTitle(title));
}

void CWayloadDlg::SetIcons(int largeIcon, int smallIcon) {
    setWindowIcon(WindowIcon(largeIcon, smallIcon));
}

void CWayloadDlg::InvalidateWindow() {
    update();
    InvalidateButtons();
}

void CWayloadDlg::InstallMenuBar(const std::u16string& caption,
                                 const std::vector<LanguageMenuItem>& items) {
    DeleteMenuBar();
    menuBar_ = new QMenuBar(this);
    languageMenu_ = menuBar_->addMenu(ToActionText(caption));
    for (const LanguageMenuItem& item : items) {
        QAction* action = languageMenu_->addAction(ToActionText(item.text));
        const int command = item.command;
        connect(action, &QAction::triggered, this,
                [this, command] { controller_.OnLanguageCommand(command); });
    }
    menuBar_->show();
    PlaceControls();
}

void CWayloadDlg::SetMenuBarCaption(const std::u16string& caption) {
    if (languageMenu_) {
        languageMenu_->setTitle(ToActionText(caption));
    }
}

void CWayloadDlg::RedrawMenuBar() {
    if (menuBar_) {
        menuBar_->update();
    }
}

void CWayloadDlg::DeleteMenuBar() {
    delete menuBar_;
    menuBar_ = nullptr;
    languageMenu_ = nullptr;
}

void CWayloadDlg::ShowLanguageDialog() {
    // Before the main window is shown, so it has no owner on the screen.
    LngDlg dialog(languages_.languageFolder, languages_.settingsFile);
    dialog.exec();
}

void CWayloadDlg::ApplyLocale(const std::u16string& locale) {
    // Without Qt's translations the program goes on, Qt's own texts in English.
    ApplyQtLanguage(ToQString(locale));
}

void CWayloadDlg::ShowInstrumentProblem(const std::u16string& text) {
    // Not modal: the polling goes on, and finds the instrument once the problem is mended.
    auto* box = new QMessageBox(QMessageBox::Warning, ToWindowTitle(StringTable().AppTitle),
                                ToShownText(text), QMessageBox::Ok, this);
    box->setTextFormat(Qt::PlainText);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::NonModal);
    box->show();
}

void CWayloadDlg::StartTimer(uint32_t periodMs) {
    timer_.start(static_cast<int>(periodMs));
}

bool CWayloadDlg::RegisterRemovalNotices() {
    return removals_.Start();
}

void CWayloadDlg::UnregisterRemovalNotices() {
    removals_.Stop();
}

}  // namespace wl
