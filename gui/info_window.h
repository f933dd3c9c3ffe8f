#pragma once
// The progress strip shown while routes or data travel: a caption-less 600 px strip with one line
// of text over a grey bar. The transfer runs on the window thread, so the strip lets the window
// system's paint and exposure events in itself whenever it repaints (at most once per 50 ms of the
// clock): it stays painted and the other windows keep their content. It is modal for the program,
// so that meanwhile clicks on the main window's buttons start nothing, while other programs and
// the questions a transfer asks keep their pointer.

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

    // How many strips are open: while one is, a transfer holds the instruments.
    static int openCount() { return openCount_; }
    // Lets pending paint and exposure events through, as a repaint of an open strip does; the
    // clock of the window program calls it while a transfer waits.
    static void LetWindowsPaint();

  protected:
    void paintEvent(QPaintEvent* event) override;
    // Only its transfer closes the strip.
    void closeEvent(QCloseEvent* event) override;

  private:
    void CentreOverOwner(QWidget* owner);
    void RepaintWhenDue();
    void WaitUntilShown();

    static int openCount_;

    Clock& clock_;
    std::u16string text_;
    double percent_ = 0;
    bool centred_;
    uint32_t lastRepaint_;
    QFont font_;
    int paintCount_ = 0;
};

}  // namespace wl
