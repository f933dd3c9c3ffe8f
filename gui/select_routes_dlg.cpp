#include "gui/select_routes_dlg.h"

#include <QPainter>
#include <QPushButton>
#include <QStyleOptionButton>
#include <QTableWidget>
#include <algorithm>
#include <cmath>

#include "gui/dialog_units.h"
#include "gui/qt_text.h"
#include "locale/string_table.h"

namespace wl {
namespace {

constexpr int kCheckColumn = 0;
constexpr int kNameColumn = 1;
constexpr int kKindColumn = 2;
// The dialog's template, in dialog units.
constexpr int kTemplateWidth = 205;
constexpr int kTemplateHeight = 190;

}  // namespace

CheckBoxHeader::CheckBoxHeader(QWidget* parent) : QHeaderView(Qt::Horizontal, parent) {
    setSectionsClickable(true);
    setHighlightSections(false);
    setMinimumSectionSize(0);  // the check box column is narrower than the style's minimum
    connect(this, &QHeaderView::sectionClicked, this, &CheckBoxHeader::OnSectionClicked);
}

void CheckBoxHeader::setChecked(bool checked) {
    checked_ = checked;
    viewport()->update();
    emit itemChanged();
}

void CheckBoxHeader::OnSectionClicked(int logicalIndex) {
    if (logicalIndex == kCheckColumn) {
        setChecked(!checked_);
    }
}

void CheckBoxHeader::paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const {
    painter->save();
    QHeaderView::paintSection(painter, rect, logicalIndex);
    painter->restore();
    if (logicalIndex != kCheckColumn) {
        return;
    }
    QStyleOptionButton box;
    const QSize size(style()->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, this),
                     style()->pixelMetric(QStyle::PM_IndicatorHeight, nullptr, this));
    box.rect = QRect(QPoint(0, 0), size);
    box.rect.moveCenter(rect.center());
    box.state = QStyle::State_Enabled | (checked_ ? QStyle::State_On : QStyle::State_Off);
    style()->drawPrimitive(QStyle::PE_IndicatorCheckBox, &box, painter, this);
}

CSelectRoutesDlg::CSelectRoutesDlg(std::vector<RouteEntry>& routes, QWidget* parent)
    : QDialog(parent), selection_(routes, this) {
    const strBDL& texts = StringTable();
    setWindowTitle(ToWindowTitle(texts.TitleSelectRouteDlg));
    setModal(true);

    list_ = new QTableWidget(this);
    header_ = new CheckBoxHeader(list_);
    list_->setHorizontalHeader(header_);
    list_->verticalHeader()->hide();
    list_->verticalHeader()->setDefaultSectionSize(list_->fontMetrics().height() + 4);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setSelectionBehavior(QAbstractItemView::SelectRows);
    list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list_->setShowGrid(true);
    list_->setWordWrap(false);

    ok_ = new QPushButton(ToActionText(texts.BtnOK), this);
    ok_->setDefault(true);
    cancel_ = new QPushButton(ToActionText(texts.BtnCANCEL), this);
    connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);

    // The template's size is the smallest; the user may enlarge the dialog to read long names.
    const DialogUnits units(font());
    setMinimumSize(units.X(kTemplateWidth), units.Y(kTemplateHeight));
    resize(minimumSize());
    PlaceControls();

    FillList();
    connect(list_, &QTableWidget::itemChanged, this, &CSelectRoutesDlg::OnListItemChanged);
    connect(header_, &CheckBoxHeader::itemChanged, this, &CSelectRoutesDlg::OnHeaderItemChanged);
    selection_.OnRowsInserted();
}

void CSelectRoutesDlg::PlaceControls() {
    // The template's margins and button row, kept at every size: the list takes what is left.
    const DialogUnits units(font());
    const int width = this->width();
    const int height = this->height();
    list_->setGeometry(units.X(7), units.Y(7), width - units.X(kTemplateWidth - 191),
                       height - units.Y(kTemplateHeight - 156));
    // The buttons keep their template places, moved by half of what the dialog grew.
    const int shift = (width - units.X(kTemplateWidth)) / 2;
    const int buttonsTop = height - units.Y(kTemplateHeight - 169);
    ok_->setGeometry(shift + units.X(47), buttonsTop, units.X(50), units.Y(14));
    cancel_->setGeometry(shift + units.X(104), buttonsTop, units.X(50), units.Y(14));
    FitColumns();
}

void CSelectRoutesDlg::FitColumns() {
    // The columns follow the list's width by the template's rule; negative widths are 0.
    const auto columns = RouteColumns(list_->width());
    for (size_t i = 0; i < columns.size() && static_cast<int>(i) < list_->columnCount(); ++i) {
        list_->setColumnWidth(static_cast<int>(i), std::max(0, columns[i].width));
    }
}

void CSelectRoutesDlg::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    PlaceControls();
}

void CSelectRoutesDlg::FillList() {
    const auto columns = RouteColumns(list_->width());
    list_->setColumnCount(static_cast<int>(columns.size()));
    QStringList titles;
    for (const ListColumn& column : columns) {
        titles.append(ToQString(column.title));
    }
    list_->setHorizontalHeaderLabels(titles);
    FitColumns();
    header_->setChecked(selection_.headerOn());

    list_->setRowCount(static_cast<int>(selection_.rowCount()));
    for (size_t row = 0; row < selection_.rowCount(); ++row) {
        const RouteEntry& entry = selection_.entry(row);
        const int at = static_cast<int>(row);
        auto* check = new QTableWidgetItem();
        check->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        check->setCheckState(selection_.isTicked(row) ? Qt::Checked : Qt::Unchecked);
        list_->setItem(at, kCheckColumn, check);
        auto* name = new QTableWidgetItem(ToQString(entry.name));
        name->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        // A name wider than its column is shown whole here.
        name->setToolTip(ToToolTip(entry.name));
        list_->setItem(at, kNameColumn, name);
        auto* kind = new QTableWidgetItem(ToQString(KindText(entry.kind)));
        kind->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        list_->setItem(at, kKindColumn, kind);
    }
}

void CSelectRoutesDlg::accept() {
    selection_.Accept();
    QDialog::accept();
}

void CSelectRoutesDlg::WriteTick(size_t row, bool ticked) {
    list_->item(static_cast<int>(row), kCheckColumn)
        ->setCheckState(ticked ? Qt::Checked : Qt::Unchecked);
}

void CSelectRoutesDlg::WriteHeaderCheck(bool on) {
    header_->setChecked(on);
}

void CSelectRoutesDlg::OnListItemChanged(QTableWidgetItem* item) {
    const int row = item->row();
    const QTableWidgetItem* check = row < 0 ? nullptr : list_->item(row, kCheckColumn);
    if (check == nullptr) {
        return;  // a row still being filled
    }
    selection_.OnItemChanged(static_cast<size_t>(row), check->checkState() == Qt::Checked);
}

void CSelectRoutesDlg::OnHeaderItemChanged() {
    selection_.OnHeaderChanged(header_->isChecked());
}

}  // namespace wl
