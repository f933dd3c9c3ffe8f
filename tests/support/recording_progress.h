#pragma once
// A progress sink that remembers every position it was given, for tests of what long work reports.
// `onReport` lets a test act at a report (pull a cable out mid-transfer, say).

#include <functional>
#include <string>
#include <vector>

#include "common/info_wnd.h"

namespace wl::test {

class RecordingProgress : public I_InfoWnd {
  public:
    void SetText(const std::u16string&) override {}
    void SetProgress(double percent) override {
        positions.push_back(percent);
        if (onReport) {
            onReport();
        }
    }
    void SetTextAndProgress(const std::u16string&, double percent) override {
        SetProgress(percent);
    }
    void SetTitle(const std::u16string&) override {}

    std::vector<double> positions;
    std::function<void()> onReport;
};

}  // namespace wl::test
