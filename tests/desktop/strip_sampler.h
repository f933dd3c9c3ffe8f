#pragma once
// Watches the screen while the progress strip is up, about ten times a second: how far its bar
// is painted and whether the main window beside it still shows its pictures.

#include <QImage>
#include <QRect>
#include <string>
#include <vector>

#include "tests/desktop/desktop_driver.h"
#include "tests/desktop/operator_steps.h"

namespace wl::desktop {

struct StripSample {
    int barWidth = 0;
    double mainWindowNonWhite = 0;  // share of the uncovered main window that is not white
    int mainWindowColoured = 0;     // pixels of clear colour there: the pictures
    QImage picture;                 // the strip and the main window, for a person to look at
};

// Samples until the strip is no longer shown (or the limit passes). A screen taken after the
// strip went is not kept, so every sample shows the strip up.
std::vector<StripSample> SampleWhileStripShown(const Desktop& desktop, const ShownWindow& strip,
                                               const QRect& mainWindow, milliseconds interval,
                                               milliseconds limit);

// The samples' bar widths, as a failure message shows them.
std::string BarWidths(const std::vector<StripSample>& samples);

// Saves a few samples, spread over the transfer, as NAME_sample_N.png.
void SaveSomeSamples(const std::vector<StripSample>& samples, const std::string& name);

}  // namespace wl::desktop
