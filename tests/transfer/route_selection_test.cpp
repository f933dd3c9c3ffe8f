// The rules of the route selection: ticks at opening, the header check box, the echo of its
// writes, and what OK leaves in the caller's list.

#include "transfer/route_selection.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace wl {
namespace {

RouteEntry Route(const char16_t* name, const char16_t* path = u"") {
    return {name, path, kRouteKindRoute};
}
RouteEntry Analyzer(const char16_t* name, const char16_t* path = u"") {
    return {name, path, kRouteKindAnalyzer};
}

std::vector<bool> Ticks(const RouteSelection& selection) {
    std::vector<bool> ticks;
    for (size_t row = 0; row < selection.rowCount(); ++row) {
        ticks.push_back(selection.isTicked(row));
    }
    return ticks;
}

TEST(RouteSelection, OpensWithRoutesTickedAndTheHeaderFollowingTheRows) {
    struct OpenCase {
        std::vector<RouteEntry> routes;
        std::vector<bool> ticks;
        bool header;
    };
    const OpenCase cases[] = {
        {{Analyzer(u"A1"), Analyzer(u"A2")}, {false, false}, false},
        {{Route(u"R1"), Route(u"R2")}, {true, true}, true},
        {{Route(u"R1"), Analyzer(u"A1"), {u"X", u"", 7}}, {true, false, false}, false},
        {{}, {}, true},
    };
    for (const OpenCase& c : cases) {
        std::vector<RouteEntry> routes = c.routes;
        RouteSelection selection(routes);
        EXPECT_TRUE(selection.headerOn());
        EXPECT_EQ(Ticks(selection), c.ticks);
        selection.OnRowsInserted();
        EXPECT_EQ(selection.headerOn(), c.header);
        EXPECT_FALSE(RouteSelection::echoPending());
    }
}

TEST(RouteSelection, KindCellShowsRouteOrAnalyzerOnly) {
    EXPECT_EQ(KindText(kRouteKindRoute), u"Route");
    EXPECT_EQ(KindText(kRouteKindAnalyzer), u"Analyzer");
    EXPECT_EQ(KindText(0), u"");
    EXPECT_EQ(KindText(3), u"");
    EXPECT_EQ(KindText(-1), u"");
}

TEST(RouteSelection, HeaderTicksOrUnticksEveryRow) {
    std::vector<RouteEntry> routes = {Route(u"R1"), Analyzer(u"A1"), Route(u"R2")};
    RouteSelection selection(routes);
    selection.OnRowsInserted();
    ASSERT_FALSE(selection.headerOn());

    selection.OnHeaderChanged(true);
    EXPECT_EQ(Ticks(selection), std::vector<bool>({true, true, true}));
    EXPECT_TRUE(selection.headerOn());

    selection.OnHeaderChanged(false);
    EXPECT_EQ(Ticks(selection), std::vector<bool>({false, false, false}));
    EXPECT_FALSE(selection.headerOn());
    EXPECT_FALSE(RouteSelection::echoPending());
}

TEST(RouteSelection, OneUntickedRowSwitchesTheHeaderOff) {
    std::vector<RouteEntry> routes = {Route(u"R1"), Route(u"R2"), Route(u"R3")};
    RouteSelection selection(routes);
    selection.OnRowsInserted();
    ASSERT_TRUE(selection.headerOn());

    selection.OnItemChanged(1, false);
    EXPECT_FALSE(selection.headerOn());
    EXPECT_EQ(Ticks(selection), std::vector<bool>({true, false, true}));
    selection.OnItemChanged(1, true);
    EXPECT_TRUE(selection.headerOn());
    EXPECT_EQ(Ticks(selection), std::vector<bool>({true, true, true}));
}

// A control that records what it is told and reports only the writes a test lets through, to
// see the echo flag at work.
class RecordingControl : public RouteListControl {
  public:
    void WriteTick(size_t row, bool ticked) override {
        ticks.push_back({row, ticked});
        if (selection != nullptr) {
            selection->OnItemChanged(row, ticked);
        }
    }
    void WriteHeaderCheck(bool on) override {
        headers.push_back(on);
        if (selection != nullptr && reportsHeader) {
            selection->OnHeaderChanged(on);
        }
    }

    RouteSelection* selection = nullptr;
    bool reportsHeader = true;
    std::vector<std::pair<size_t, bool>> ticks;
    std::vector<bool> headers;
};

TEST(RouteSelection, TheHeaderWrittenBackIsNotTakenForAClick) {
    std::vector<RouteEntry> routes = {Route(u"R1"), Analyzer(u"A1"), Analyzer(u"A2")};
    RecordingControl control;
    RouteSelection selection(routes, &control);
    control.selection = &selection;
    selection.OnRowsInserted();
    EXPECT_EQ(control.headers, std::vector<bool>({false}));
    EXPECT_TRUE(control.ticks.empty());

    // Ticking everything writes only the rows that differ; the header is rewritten after each.
    selection.OnHeaderChanged(true);
    EXPECT_EQ(control.ticks, (std::vector<std::pair<size_t, bool>>{{1, true}, {2, true}}));
    EXPECT_EQ(control.headers, std::vector<bool>({false, false, true}));
    EXPECT_FALSE(RouteSelection::echoPending());
}

TEST(RouteSelection, OneEchoFlagServesEverySelection) {
    std::vector<RouteEntry> first = {Route(u"R1")};
    std::vector<RouteEntry> second = {Route(u"R2")};
    RecordingControl silent;
    silent.reportsHeader = false;
    RouteSelection writer(first, &silent);
    RouteSelection other(second);
    writer.OnRowsInserted();
    ASSERT_TRUE(RouteSelection::echoPending());

    // The pending echo swallows the other selection's next header report.
    other.OnHeaderChanged(false);
    EXPECT_FALSE(RouteSelection::echoPending());
    EXPECT_EQ(Ticks(other), std::vector<bool>({true}));
    other.OnHeaderChanged(false);
    EXPECT_EQ(Ticks(other), std::vector<bool>({false}));
}

TEST(RouteSelection, OkRemovesTheUntickedEntriesOnly) {
    std::vector<RouteEntry> routes = {Route(u"R1", u"/r1"), Analyzer(u"A1", u"/a1"),
                                      Route(u"R2", u"/r2"), Analyzer(u"A2", u"/a2")};
    RouteSelection selection(routes);
    selection.OnRowsInserted();
    selection.OnItemChanged(1, true);
    selection.OnItemChanged(2, false);
    selection.Accept();
    EXPECT_EQ(routes, (std::vector<RouteEntry>{Route(u"R1", u"/r1"), Analyzer(u"A1", u"/a1")}));
}

TEST(RouteSelection, OkWithEveryRouteTickedLeavesTheList) {
    const std::vector<RouteEntry> opened = {Route(u"R1", u"/r1"), Route(u"R2", u"/r2")};
    std::vector<RouteEntry> routes = opened;
    RouteSelection selection(routes);
    selection.OnRowsInserted();
    selection.Accept();
    EXPECT_EQ(routes, opened);
}

TEST(RouteSelection, OkRemovesTheFirstOfEntriesAlikeInNameAndKind) {
    // Whichever of the two routes named "Same" is unticked, the first one goes.
    for (const size_t untickedRow : {0u, 2u}) {
        std::vector<RouteEntry> routes = {Route(u"Same", u"/first"), Analyzer(u"Same", u"/data"),
                                          Route(u"Same", u"/second"), Route(u"same", u"/lower")};
        RouteSelection selection(routes);
        selection.OnRowsInserted();
        selection.OnItemChanged(1, true);
        selection.OnItemChanged(untickedRow, false);
        selection.Accept();
        EXPECT_EQ(routes,
                  (std::vector<RouteEntry>{Analyzer(u"Same", u"/data"), Route(u"Same", u"/second"),
                                           Route(u"same", u"/lower")}))
            << untickedRow;
    }
}

TEST(RouteSelection, CancelLeavesTheListAndOkOnNothingGivesNothing) {
    const std::vector<RouteEntry> opened = {Route(u"R1"), Analyzer(u"A1")};
    std::vector<RouteEntry> routes = opened;
    {
        RouteSelection selection(routes);
        selection.OnRowsInserted();
        selection.OnHeaderChanged(false);
    }  // cancelled: closed without Accept
    EXPECT_EQ(routes, opened);

    std::vector<RouteEntry> none;
    RouteSelection empty(none);
    empty.OnRowsInserted();
    empty.Accept();
    EXPECT_TRUE(none.empty());
}

TEST(RouteColumns, SplitsTheWidthTwoToOneAfterTheCheckBoxes) {
    struct WidthCase {
        int listWidth;
        int name;
        int kind;
    };
    const WidthCase cases[] = {
        {287, 154, 77}, {600, 362, 181}, {57, 0, 0},   {58, 2, 1},
        {55, 0, 0},     {54, 0, 0},      {50, -2, -1}, {0, -36, -18},
    };
    for (const WidthCase& c : cases) {
        const auto columns = RouteColumns(c.listWidth);
        EXPECT_EQ(columns[0].width, 25) << c.listWidth;
        EXPECT_EQ(columns[1].width, c.name) << c.listWidth;
        EXPECT_EQ(columns[2].width, c.kind) << c.listWidth;
    }
    const auto columns = RouteColumns(287);
    EXPECT_EQ(columns[0].title, u"");
    EXPECT_EQ(columns[1].title, u"All");
    EXPECT_EQ(columns[2].title, u"");
}

}  // namespace
}  // namespace wl
