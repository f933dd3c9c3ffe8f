// The route selection dialog driven as a user would: clicks on the header's and the rows' check
// boxes, then OK, Cancel or Escape.

#include "gui/select_routes_dlg.h"

#include <gtest/gtest.h>

#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTextDocumentFragment>
#include <QTimer>
#include <vector>

#include "gui/dialog_units.h"
#include "tests/gui/grab_folder.h"

namespace wl {
namespace {

RouteEntry Route(const char16_t* name, const char16_t* path) {
    return {name, path, kRouteKindRoute};
}
RouteEntry Analyzer(const char16_t* name, const char16_t* path) {
    return {name, path, kRouteKindAnalyzer};
}

std::vector<bool> Ticks(const CSelectRoutesDlg& dialog) {
    std::vector<bool> ticks;
    for (int row = 0; row < dialog.list()->rowCount(); ++row) {
        ticks.push_back(dialog.list()->item(row, 0)->checkState() == Qt::Checked);
    }
    return ticks;
}

QStringList Column(const CSelectRoutesDlg& dialog, int column) {
    QStringList texts;
    for (int row = 0; row < dialog.list()->rowCount(); ++row) {
        texts.append(dialog.list()->item(row, column)->text());
    }
    return texts;
}

void ClickHeaderCheckBox(CSelectRoutesDlg& dialog) {
    CheckBoxHeader& header = *dialog.header();
    const QPoint centre(header.sectionViewportPosition(0) + header.sectionSize(0) / 2,
                        header.height() / 2);
    QTest::mouseClick(header.viewport(), Qt::LeftButton, {}, centre);
}

void ClickRowCheckBox(CSelectRoutesDlg& dialog, int row) {
    QTableWidget& list = *dialog.list();
    const QPoint centre = list.visualItemRect(list.item(row, 0)).center();
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, centre);
}

struct ShownDialog {
    explicit ShownDialog(std::vector<RouteEntry>& routes) : dialog(routes) {
        dialog.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    }
    CSelectRoutesDlg dialog;
};

const std::vector<RouteEntry> kMixed = {Route(u"North hall", u"/r/north"),
                                        Analyzer(u"Data 0417", u"/d/0417"),
                                        Route(u"Pumps", u"/r/pumps"),
                                        {u"Other", u"/o", 9}};

TEST(SelectRoutesDlg, OpensWithRoutesTickedUnderAnAllColumn) {
    std::vector<RouteEntry> routes = kMixed;
    ShownDialog shown(routes);
    CSelectRoutesDlg& dialog = shown.dialog;
    EXPECT_EQ(dialog.windowTitle(), "Select Routes");
    const DialogUnits units(dialog.font());
    EXPECT_EQ(dialog.size(), units.Rect(0, 0, 205, 190).size());
    EXPECT_EQ(dialog.list()->geometry(), units.Rect(7, 7, 191, 156));
    EXPECT_EQ(dialog.okButton()->geometry(), units.Rect(47, 169, 50, 14));
    EXPECT_EQ(dialog.cancelButton()->geometry(), units.Rect(104, 169, 50, 14));
    EXPECT_TRUE(dialog.okButton()->isDefault());
    EXPECT_EQ(dialog.okButton()->text(), "OK");
    EXPECT_EQ(dialog.cancelButton()->text(), "Cancel");

    QTableWidget& list = *dialog.list();
    EXPECT_EQ(list.horizontalHeaderItem(1)->text(), "All");
    EXPECT_EQ(list.horizontalHeaderItem(0)->text(), "");
    EXPECT_EQ(list.horizontalHeaderItem(2)->text(), "");
    EXPECT_EQ(list.columnWidth(0), 25);
    EXPECT_EQ(list.columnWidth(1), (list.width() - 55) / 3 * 2);
    EXPECT_EQ(list.columnWidth(2), (list.width() - 55) / 3);

    EXPECT_EQ(Column(dialog, 1), QStringList({"North hall", "Data 0417", "Pumps", "Other"}));
    EXPECT_EQ(Column(dialog, 2), QStringList({"Route", "Analyzer", "Route", ""}));
    EXPECT_EQ(Ticks(dialog), std::vector<bool>({true, false, true, false}));
    EXPECT_FALSE(dialog.header()->isChecked());
    EXPECT_FALSE(RouteSelection::echoPending());
}

// Names that do not fit their column: each is shown whole in its tooltip (literally, whatever it
// holds), and the dialog can be enlarged, the columns following the width rule.
TEST(SelectRoutesDlg, LongNamesShowWholeInTooltipsAndTheDialogGrows) {
    std::vector<RouteEntry> routes = {Analyzer(u"North hall fans 2026-12-09", u"/d/9"),
                                      Analyzer(u"North hall fans 2026-12-10", u"/d/10"),
                                      Route(u"<b>x</b> & y", u"/r/x")};
    ShownDialog shown(routes);
    CSelectRoutesDlg& dialog = shown.dialog;
    QTableWidget& list = *dialog.list();
    for (int row = 0; row < list.rowCount(); ++row) {
        const QString name = list.item(row, 1)->text();
        // Rich text with the name escaped: it shows the characters as they are.
        EXPECT_EQ(QTextDocumentFragment::fromHtml(list.item(row, 1)->toolTip()).toPlainText(),
                  name);
    }
    EXPECT_EQ(list.item(2, 1)->text(), "<b>x</b> & y");

    // The buttons keep the template's margins on either side, give or take a pixel.
    const auto marginsApart = [&] {
        return (dialog.width() - dialog.cancelButton()->geometry().right()) -
               dialog.okButton()->geometry().left();
    };
    const int apartBefore = marginsApart();
    const QSize before = dialog.size();
    dialog.resize(before.width() + 300, before.height() + 100);
    QTest::qWait(1);
    EXPECT_EQ(list.width(), dialog.width() - DialogUnits(dialog.font()).X(14));
    EXPECT_EQ(list.columnWidth(1), (list.width() - 55) / 3 * 2);
    EXPECT_EQ(list.columnWidth(2), (list.width() - 55) / 3);
    EXPECT_GT(list.columnWidth(1),
              QFontMetrics(list.font()).horizontalAdvance("North hall fans 2026-12-09"));
    EXPECT_EQ(dialog.okButton()->geometry().bottom(), dialog.cancelButton()->geometry().bottom());
    EXPECT_NEAR(marginsApart(), apartBefore, 1);
    EXPECT_TRUE(test::SaveGrab(dialog, "select_routes_enlarged"));
}

TEST(SelectRoutesDlg, HeaderStartsFromTheRowsOfOneKind) {
    struct KindCase {
        std::vector<RouteEntry> routes;
        bool ticked;
    };
    const KindCase cases[] = {
        {{Analyzer(u"D1", u"/d1"), Analyzer(u"D2", u"/d2")}, false},
        {{Route(u"R1", u"/r1"), Route(u"R2", u"/r2")}, true},
    };
    for (const KindCase& c : cases) {
        std::vector<RouteEntry> routes = c.routes;
        CSelectRoutesDlg dialog(routes);
        EXPECT_EQ(Ticks(dialog), std::vector<bool>(c.routes.size(), c.ticked));
        EXPECT_EQ(dialog.header()->isChecked(), c.ticked);
    }
}

TEST(SelectRoutesDlg, HeaderClicksTickAndUntickEveryRow) {
    std::vector<RouteEntry> routes = kMixed;
    ShownDialog shown(routes);
    CSelectRoutesDlg& dialog = shown.dialog;

    ClickHeaderCheckBox(dialog);
    EXPECT_EQ(Ticks(dialog), std::vector<bool>(4, true));
    EXPECT_TRUE(dialog.header()->isChecked());

    ClickHeaderCheckBox(dialog);
    EXPECT_EQ(Ticks(dialog), std::vector<bool>(4, false));
    EXPECT_FALSE(dialog.header()->isChecked());

    // Unticking a row while the header is already off writes the header back unchanged; its
    // report must still clear the echo flag, or the next click on the header would be lost.
    ClickHeaderCheckBox(dialog);
    ClickRowCheckBox(dialog, 0);
    ClickRowCheckBox(dialog, 1);
    EXPECT_EQ(Ticks(dialog), std::vector<bool>({false, false, true, true}));
    EXPECT_FALSE(RouteSelection::echoPending());
    ClickHeaderCheckBox(dialog);
    EXPECT_EQ(Ticks(dialog), std::vector<bool>(4, true));
    EXPECT_TRUE(dialog.header()->isChecked());
}

TEST(SelectRoutesDlg, RowClicksSwitchTheHeader) {
    std::vector<RouteEntry> routes = {Route(u"R1", u"/r1"), Route(u"R2", u"/r2")};
    ShownDialog shown(routes);
    CSelectRoutesDlg& dialog = shown.dialog;
    ASSERT_TRUE(dialog.header()->isChecked());

    ClickRowCheckBox(dialog, 1);
    EXPECT_EQ(Ticks(dialog), std::vector<bool>({true, false}));
    EXPECT_FALSE(dialog.header()->isChecked());
    ClickRowCheckBox(dialog, 1);
    EXPECT_EQ(Ticks(dialog), std::vector<bool>({true, true}));
    EXPECT_TRUE(dialog.header()->isChecked());
}

TEST(SelectRoutesDlg, OkKeepsTheTickedEntriesInTheirOrder) {
    std::vector<RouteEntry> routes = kMixed;
    CSelectRoutesDlg dialog(routes);
    QTimer::singleShot(0, &dialog, [&] {
        ClickRowCheckBox(dialog, 0);
        ClickRowCheckBox(dialog, 3);
        QTest::mouseClick(dialog.okButton(), Qt::LeftButton);
    });
    EXPECT_EQ(dialog.exec(), QDialog::Accepted);
    EXPECT_EQ(routes,
              (std::vector<RouteEntry>{Route(u"Pumps", u"/r/pumps"), {u"Other", u"/o", 9}}));
}

TEST(SelectRoutesDlg, OkDropsTheFirstOfTwoEntriesAlike) {
    std::vector<RouteEntry> routes = {Route(u"Same", u"/first"), Route(u"Same", u"/second")};
    ShownDialog shown(routes);
    ClickRowCheckBox(shown.dialog, 1);
    QTest::mouseClick(shown.dialog.okButton(), Qt::LeftButton);
    EXPECT_EQ(shown.dialog.result(), QDialog::Accepted);
    EXPECT_EQ(routes, std::vector<RouteEntry>({Route(u"Same", u"/second")}));
}

TEST(SelectRoutesDlg, CancelEscapeAndTheCloseBoxLeaveTheList) {
    enum class Leave { Cancel, Escape, Close };
    for (const Leave leave : {Leave::Cancel, Leave::Escape, Leave::Close}) {
        std::vector<RouteEntry> routes = kMixed;
        CSelectRoutesDlg dialog(routes);
        QTimer::singleShot(0, &dialog, [&] {
            ClickHeaderCheckBox(dialog);
            ClickHeaderCheckBox(dialog);
            EXPECT_EQ(Ticks(dialog), std::vector<bool>(4, false));
            switch (leave) {
                case Leave::Cancel:
                    QTest::mouseClick(dialog.cancelButton(), Qt::LeftButton);
                    break;
                case Leave::Escape:
                    QTest::keyClick(dialog.list(), Qt::Key_Escape);
                    break;
                case Leave::Close:
                    dialog.close();
                    break;
            }
        });
        EXPECT_EQ(dialog.exec(), QDialog::Rejected) << static_cast<int>(leave);
        EXPECT_EQ(routes, kMixed) << static_cast<int>(leave);
    }
}

TEST(SelectRoutesDlg, OkOnAnEmptyListLeavesItEmpty) {
    std::vector<RouteEntry> routes;
    ShownDialog shown(routes);
    EXPECT_EQ(shown.dialog.list()->rowCount(), 0);
    EXPECT_TRUE(shown.dialog.header()->isChecked());
    QTest::mouseClick(shown.dialog.okButton(), Qt::LeftButton);
    EXPECT_EQ(shown.dialog.result(), QDialog::Accepted);
    EXPECT_TRUE(routes.empty());
}

TEST(SelectRoutesDlg, PictureWithRoutesAndDataFolders) {
    std::vector<RouteEntry> routes = {
        Route(u"North hall fans", u"/r/1"), Route(u"Cooling pumps", u"/r/2"),
        Analyzer(u"TKB 0417 data", u"/d/1"), Route(u"Compressor line B", u"/r/3"),
        Analyzer(u"TKA survey", u"/d/2")};
    ShownDialog shown(routes);
    ClickHeaderCheckBox(shown.dialog);
    ClickRowCheckBox(shown.dialog, 1);
    ASSERT_EQ(Ticks(shown.dialog), std::vector<bool>({true, false, true, true, true}));
    EXPECT_TRUE(test::SaveGrab(shown.dialog, "route_dialog"));
}

}  // namespace
}  // namespace wl
