#pragma once
// A progress sink drawing one line on stderr while long work runs, when stderr is a terminal;
// otherwise it stays quiet, so scripts and logs get only results.

#include <string>

#include "common/info_wnd.h"

namespace wl::cli {

class ProgressLine : public I_InfoWnd {
  public:
    // `label` leads the line: "Packing out.rdx".
    explicit ProgressLine(std::string label);
    ~ProgressLine() override;

    void SetText(const std::u16string& text) override;
    void SetProgress(double percent) override;
    void SetTextAndProgress(const std::u16string& text, double percent) override;
    void SetTitle(const std::u16string& title) override;

    // Clears the line, so that what follows starts on a clean one.
    void Finish();

  private:
    void Draw();

    bool active_;
    std::string label_;
    std::string text_;
    int shownPercent_ = -1;
    int percent_ = 0;
    bool drawn_ = false;
};

}  // namespace wl::cli
