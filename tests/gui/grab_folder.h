#pragma once
// Where widget tests leave the pictures they grab, for a look by eye (docs/ shows some of them).

#include <QImage>
#include <QString>
#include <QWidget>
#include <filesystem>

namespace wl::test {

// Saves the image as NAME.png in the grab folder; true when it was written.
inline bool SaveGrabImage(const QImage& image, const char* name) {
    std::filesystem::create_directories(WAYLOAD_GRAB_FOLDER);
    return image.save(QString(WAYLOAD_GRAB_FOLDER) + "/" + name + ".png");
}

// Saves the widget's picture as NAME.png in the grab folder; true when it was written.
inline bool SaveGrab(QWidget& widget, const char* name) {
    std::filesystem::create_directories(WAYLOAD_GRAB_FOLDER);
    return widget.grab().save(QString(WAYLOAD_GRAB_FOLDER) + "/" + name + ".png");
}

}  // namespace wl::test
