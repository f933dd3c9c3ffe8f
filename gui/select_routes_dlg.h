#pragma once
// The route selection dialog: a list of routes and measured-data folders with a check box per row
// and one in the header for all of them. OK removes the unticked entries from the caller's list;
// Cancel leaves it. The rules live in transfer/route_selection.h; the dialog shows them.

#include <QDialog>
#include <QHeaderView>
#include <vector>

#include "transfer/route_selection.h"

class QPushButton;
class QTableWidget;
class QTableWidgetItem;

namespace wl {

// A horizontal header with a check box in section 0, which Qt's header lacks. A click on the
// section toggles it; every change, by click or by setChecked, is reported through itemChanged,
// as a header control reports any write of its item.
class CheckBoxHeader : public QHeaderView {
    Q_OBJECT

  public:
    explicit CheckBoxHeader(QWidget* parent);

    bool isChecked() const { return checked_; }
    void setChecked(bool checked);

  signals:
    void itemChanged();

  protected:
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override;

  private:
    void OnSectionClicked(int logicalIndex);

    bool checked_ = false;
};

class CSelectRoutesDlg : public QDialog, private RouteListControl {
    Q_OBJECT

  public:
    explicit CSelectRoutesDlg(std::vector<RouteEntry>& routes, QWidget* parent = nullptr);

    void accept() override;

    QTableWidget* list() const { return list_; }
    CheckBoxHeader* header() const { return header_; }
    QPushButton* okButton() const { return ok_; }
    QPushButton* cancelButton() const { return cancel_; }

  protected:
    void resizeEvent(QResizeEvent* event) override;

  private:
    void PlaceControls();
    void FitColumns();
    void WriteTick(size_t row, bool ticked) override;
    void WriteHeaderCheck(bool on) override;
    void OnListItemChanged(QTableWidgetItem* item);
    void OnHeaderItemChanged();
    void FillList();

    RouteSelection selection_;
    QTableWidget* list_;
    CheckBoxHeader* header_;
    QPushButton* ok_;
    QPushButton* cancel_;
};

}  // namespace wl
