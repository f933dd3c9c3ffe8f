#pragma once
// Which routes and measured-data folders go to the instrument: the rules of the route selection
// dialog, kept apart from Qt. The dialog shows the rows and reports the user's clicks; every
// decision is taken here.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace wl {

inline constexpr int32_t kRouteKindRoute = 1;
inline constexpr int32_t kRouteKindAnalyzer = 2;

// One row of the selection. The path travels with the row but is never shown.
struct RouteEntry {
    std::u16string name;
    std::u16string path;
    int32_t kind;  // kRouteKindRoute, kRouteKindAnalyzer or anything else

    // All three fields; OK itself matches entries by name and kind only.
    bool operator==(const RouteEntry&) const = default;
};

// The text of a row's kind cell: "Route", "Analyzer" or empty.
std::u16string KindText(int32_t kind);

struct ListColumn {
    std::u16string title;
    int width;  // pixels; negative for a list narrower than the fixed parts
};

// The three columns of the list: the check boxes, the name under "All", the kind.
std::array<ListColumn, 3> RouteColumns(int listWidth);

// The list control the selection is shown in. The selection writes ticks and the header check box
// through it; the control reports each write back (OnItemChanged, OnHeaderChanged) just as it
// reports a user's click, and reports the header even when its value stays the same.
class RouteListControl {
  public:
    virtual ~RouteListControl() = default;
    virtual void WriteTick(size_t row, bool ticked) = 0;
    virtual void WriteHeaderCheck(bool on) = 0;
};

class RouteSelection {
  public:
    // One row per entry, ticked when it is a route; the header check box starts on. Without a
    // control the selection acts as a control that reports every write at once.
    explicit RouteSelection(std::vector<RouteEntry>& routes, RouteListControl* control = nullptr);

    size_t rowCount() const { return ticked_.size(); }
    const RouteEntry& entry(size_t row) const { return routes_[row]; }
    bool isTicked(size_t row) const { return ticked_[row]; }
    bool headerOn() const { return headerOn_; }

    // The control's reports.
    void OnRowsInserted();
    void OnItemChanged(size_t row, bool ticked);
    void OnHeaderChanged(bool headerOn);

    // Removes every unticked entry from the caller's list. Cancelling needs nothing.
    void Accept();

    // Set between writing the header and its report, so that the report is not taken for a click.
    // One flag for all selections.
    static bool echoPending() { return echoPending_; }

  private:
    void SyncHeaderWithRows();
    void WriteTick(size_t row, bool ticked);
    void WriteHeaderCheck(bool on);

    std::vector<RouteEntry>& routes_;
    RouteListControl* control_;
    std::vector<bool> ticked_;
    bool headerOn_ = true;
    static bool echoPending_;
};

}  // namespace wl
