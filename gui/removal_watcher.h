#pragma once
// Device removal notices from udev (the usb and tty subsystems), delivered on the window's thread
// through a socket notifier.

#include <QObject>
#include <functional>

#include "app/device_notice.h"

struct udev;
struct udev_monitor;
class QSocketNotifier;

namespace wl {

class RemovalWatcher : public QObject {
    Q_OBJECT

  public:
    using Handler = std::function<void(const DeviceNotice&)>;

    explicit RemovalWatcher(Handler handler, QObject* parent = nullptr);
    ~RemovalWatcher() override;

    // Starts listening; false when udev gives no monitor (no udev in a container, say).
    bool Start();
    void Stop();

  private:
    void ReadEvents();

    Handler handler_;
    struct udev* udev_ = nullptr;
    struct udev_monitor* monitor_ = nullptr;
    QSocketNotifier* notifier_ = nullptr;
};

}  // namespace wl
