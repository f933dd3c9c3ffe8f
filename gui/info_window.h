#pragma once
// The progress strip shown while routes or data travel: a caption-less 600 px strip with one line
// of text over a grey bar. It holds the mouse while it lives, so that clicks meant for the main
// window's buttons reach the strip instead. Repaints are throttled to one per 50 ms of the clock.

#include <QFont>
#include <QWidget>
#include <cstdint>
#include <string>

#include "common/info_wnd.h"
#include "platform/clock.h"

namespace wl {

class CMyInfoWindow : public QWidget, public I_InfoWnd {
    Q_OBJECT

  public:
    // Centred over the owner's window, or over the screen when there is no owner.
    CMyInfoWindow(QWidget* owner, Clock& clock, std::u16string title, std::u16string text,
                  bool centred);
    ~CMyInfoWindow() override;

    void SetText(const std::u16string& text) override;
    void SetProgress(double percent) override;
    void SetTextAndProgress(const std::u16string& text, double percent) override;
    void SetTitle(const std::u16string& title) override;

    // The drawn frame around the client area, on each side.
    static constexpr int kFrameWidth = 1;
    static constexpr int kStripWidth = 600;

    QRect clientRect() const;
    int paintCount() const { return paintCount_; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    void CentreOverOwner(QWidget* owner);
    void RepaintWhenDue();

    Clock& clock_;
    std::u16string text_;
    double percent_ = 0;
    bool centred_;
    uint32_t lastRepaint_;
    QFont font_;
    int paintCount_ = 0;
};

}  // namespace wl
