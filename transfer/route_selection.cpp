#include "transfer/route_selection.h"

#include <algorithm>

#include "locale/string_table.h"

namespace wl {

bool RouteSelection::echoPending_ = false;

std::u16string KindText(int32_t kind) {
    switch (kind) {
        case kRouteKindRoute:
            return StringTable().Route;
        case kRouteKindAnalyzer:
            return StringTable().Analyzer;
        default:
            return {};
    }
}

std::array<ListColumn, 3> RouteColumns(int listWidth) {
    // The check box column, the borders and the scroll bar take 55 px; names get two thirds of
    // the rest.
    const int third = (listWidth - 55) / 3;
    return {{{u"", 25}, {StringTable().All, third * 2}, {u"", third}}};
}

RouteSelection::RouteSelection(std::vector<RouteEntry>& routes, RouteListControl* control)
    : routes_(routes), control_(control) {
    ticked_.reserve(routes.size());
    for (const RouteEntry& route : routes) {
        ticked_.push_back(route.kind == kRouteKindRoute);
    }
}

void RouteSelection::OnRowsInserted() {
    SyncHeaderWithRows();
}

void RouteSelection::OnItemChanged(size_t row, bool ticked) {
    ticked_[row] = ticked;
    SyncHeaderWithRows();
}

void RouteSelection::OnHeaderChanged(bool headerOn) {
    headerOn_ = headerOn;
    if (echoPending_) {
        echoPending_ = false;
        return;
    }
    // Each row that changes comes back through OnItemChanged, which rewrites the header.
    for (size_t row = 0; row < ticked_.size(); ++row) {
        WriteTick(row, headerOn);
    }
}

void RouteSelection::Accept() {
    std::vector<RouteEntry> dropped;
    for (size_t row = 0; row < ticked_.size(); ++row) {
        if (!ticked_[row]) {
            dropped.push_back(routes_[row]);
        }
    }
    // Entries are matched by name and kind, not by row: of two alike, the first one goes.
    for (const RouteEntry& drop : dropped) {
        const auto found = std::find_if(routes_.begin(), routes_.end(), [&](const RouteEntry& r) {
            return r.name == drop.name && r.kind == drop.kind;
        });
        if (found != routes_.end()) {
            routes_.erase(found);
        }
    }
    ticked_.assign(routes_.size(), true);
}

void RouteSelection::SyncHeaderWithRows() {
    const bool allTicked = std::find(ticked_.begin(), ticked_.end(), false) == ticked_.end();
    echoPending_ = true;
    WriteHeaderCheck(allTicked);
}

void RouteSelection::WriteTick(size_t row, bool ticked) {
    if (ticked_[row] == ticked) {
        return;  // an unchanged item reports nothing
    }
    if (control_ != nullptr) {
        control_->WriteTick(row, ticked);
    } else {
        OnItemChanged(row, ticked);
    }
}

void RouteSelection::WriteHeaderCheck(bool on) {
    headerOn_ = on;
    if (control_ != nullptr) {
        control_->WriteHeaderCheck(on);
    } else {
        OnHeaderChanged(on);
    }
}

}  // namespace wl
