#include "cli/progress_line.h"

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "cli/cli_output.h"

namespace wl::cli {

ProgressLine::ProgressLine(std::string label)
    : active_(::isatty(STDERR_FILENO) == 1), label_(std::move(label)) {}

ProgressLine::~ProgressLine() {
    Finish();
}

void ProgressLine::SetText(const std::u16string& text) {
    text_ = Printable(text);
    shownPercent_ = -1;
    Draw();
}

void ProgressLine::SetProgress(double percent) {
    percent_ = static_cast<int>(std::clamp(std::floor(percent), 0.0, 100.0));
    Draw();
}

void ProgressLine::SetTextAndProgress(const std::u16string& text, double percent) {
    text_ = Printable(text);
    shownPercent_ = -1;
    SetProgress(percent);
}

void ProgressLine::SetTitle(const std::u16string&) {}

void ProgressLine::Draw() {
    // Redrawn only when the shown figure changes: a hundred thousand items cost a hundred lines.
    if (!active_ || percent_ == shownPercent_) {
        return;
    }
    shownPercent_ = percent_;
    std::fprintf(stderr, "\r\033[K%s %3d%%%s%s", label_.c_str(), percent_, text_.empty() ? "" : " ",
                 text_.c_str());
    std::fflush(stderr);
    drawn_ = true;
}

void ProgressLine::Finish() {
    if (drawn_) {
        std::fprintf(stderr, "\r\033[K");
        std::fflush(stderr);
        drawn_ = false;
    }
    shownPercent_ = -1;
}

}  // namespace wl::cli
