#include "tests/desktop/strip_sampler.h"

#include "tests/desktop/screen_pictures.h"

namespace wl::desktop {

std::vector<StripSample> SampleWhileStripShown(const Desktop& desktop, const ShownWindow& strip,
                                               const QRect& mainWindow, milliseconds interval,
                                               milliseconds limit) {
    std::vector<StripSample> samples;
    const QRect looked = (strip.rect | mainWindow).adjusted(-20, -20, 20, 20);
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < deadline) {
        const auto next = std::chrono::steady_clock::now() + interval;
        const QImage screen = GrabScreen();
        // Asked after the grab: a screen taken while the strip was still up is kept.
        if (!desktop.IsShown(strip.id)) {
            break;
        }
        StripSample sample;
        sample.barWidth = ProgressBarWidth(screen, strip.rect);
        sample.mainWindowNonWhite = NonWhiteShare(screen, mainWindow, strip.rect);
        sample.mainWindowColoured = ColouredPixels(screen, mainWindow);
        sample.picture = screen.copy(looked);
        samples.push_back(sample);
        const auto left =
            std::chrono::duration_cast<milliseconds>(next - std::chrono::steady_clock::now());
        Pause(std::max(left, milliseconds(0)));
    }
    return samples;
}

std::string BarWidths(const std::vector<StripSample>& samples) {
    std::string widths;
    for (const StripSample& sample : samples) {
        widths += (widths.empty() ? "" : " ") + std::to_string(sample.barWidth);
    }
    return widths;
}

void SaveSomeSamples(const std::vector<StripSample>& samples, const std::string& name) {
    constexpr size_t kSaved = 6;
    if (samples.empty()) {
        return;
    }
    for (size_t i = 0; i < kSaved; ++i) {
        const size_t at = i * (samples.size() - 1) / (kSaved - 1);
        SaveScreenshot(samples[at].picture, name + "_sample_" + std::to_string(i + 1));
    }
}

}  // namespace wl::desktop
