#include "gui/lng_dlg.h"

#include <QCloseEvent>
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <algorithm>
#include <utility>

#include "gui/dialog_units.h"
#include "gui/qt_text.h"
#include "locale/settings_file.h"

namespace wl {

LngDlg::LngDlg(const std::filesystem::path& languageFolder, std::filesystem::path settingsFile,
               QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      settingsFile_(std::move(settingsFile)),
      languages_(ListLanguagesForDialog(languageFolder)),
      list_(new QTableWidget(static_cast<int>(languages_.size()), 2, this)),
      okButton_(new QPushButton(QStringLiteral("OK"), this)) {
    setModal(true);
    setWindowTitle(QStringLiteral("Language"));
    const DialogUnits units(font());
    setFixedSize(units.X(135), units.Y(113));

    list_->setGeometry(units.Rect(7, 7, 120, 75));
    list_->setHorizontalHeaderLabels({QStringLiteral("Lng"), QStringLiteral("File")});
    list_->horizontalHeader()->hide();
    list_->verticalHeader()->hide();
    // Rows a line of text high, as in a report list: without a scroll bar, more of them fit.
    const int rowHeight = list_->fontMetrics().height() + 4;
    list_->verticalHeader()->setMinimumSectionSize(rowHeight);
    list_->verticalHeader()->setDefaultSectionSize(rowHeight);
    list_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list_->setShowGrid(true);
    list_->setSelectionBehavior(QAbstractItemView::SelectRows);
    list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    const int listWidth = list_->width();
    list_->setColumnWidth(0, listWidth / 2);
    list_->setColumnWidth(1, listWidth / 2 - 4);
    for (int row = 0; row < list_->rowCount(); ++row) {
        const LanguageEntry& language = languages_[static_cast<size_t>(row)];
        list_->setItem(row, 0, new QTableWidgetItem(ToQString(language.displayName)));
        list_->setItem(row, 1, new QTableWidgetItem(ToQString(language.fileName)));
    }

    okButton_->setGeometry(units.Rect(42, 88, 50, 14));
    okButton_->setDefault(true);
    okButton_->setEnabled(false);

    connect(list_, &QTableWidget::itemSelectionChanged, this, &LngDlg::UpdateOkButton);
    connect(list_, &QTableWidget::cellDoubleClicked, this, &LngDlg::StoreChoice);
    connect(okButton_, &QPushButton::clicked, this, &LngDlg::StoreChoice);
}

int LngDlg::exec() {
    if (languages_.empty()) {
        QDialog::done(Rejected);
        return Rejected;
    }
    return QDialog::exec();
}

void LngDlg::reject() {}

void LngDlg::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // Shown without exec(), with nothing to choose, it could never be closed: it ends by itself.
    if (languages_.empty()) {
        QTimer::singleShot(0, this, [this] { QDialog::done(Rejected); });
    }
}

void LngDlg::closeEvent(QCloseEvent* event) {
    event->ignore();
}

void LngDlg::StoreChoice() {
    const QModelIndexList rows = list_->selectionModel()->selectedRows();
    if (rows.isEmpty()) {
        return;
    }
    const auto topmost = std::min_element(
        rows.begin(), rows.end(), [](const auto& a, const auto& b) { return a.row() < b.row(); });
    // A failed write is not reported: the program then starts in the default language.
    SaveLanguageSetting(settingsFile_, languages_[static_cast<size_t>(topmost->row())].fileName);
    accept();
}

void LngDlg::UpdateOkButton() {
    okButton_->setEnabled(list_->selectionModel()->hasSelection());
}

}  // namespace wl
