#include "gui/removal_watcher.h"

#include <libudev.h>

#include <QSocketNotifier>
#include <utility>

namespace wl {
namespace {

std::string PropertyOf(udev_device* device, const char* name) {
    const char* value = udev_device_get_property_value(device, name);
    return value ? value : "";
}

}  // namespace

RemovalWatcher::RemovalWatcher(Handler handler, QObject* parent)
    : QObject(parent), handler_(std::move(handler)) {}

RemovalWatcher::~RemovalWatcher() {
    Stop();
}

bool RemovalWatcher::Start() {
    if (monitor_ != nullptr) {
        return true;
    }
    udev_ = udev_new();
    if (udev_ != nullptr) {
        monitor_ = udev_monitor_new_from_netlink(udev_, "udev");
    }
    const bool listening =
        monitor_ != nullptr &&
        udev_monitor_filter_add_match_subsystem_devtype(monitor_, "usb", nullptr) >= 0 &&
        udev_monitor_filter_add_match_subsystem_devtype(monitor_, "tty", nullptr) >= 0 &&
        udev_monitor_enable_receiving(monitor_) >= 0;
    if (!listening) {
        Stop();
        return false;
    }
    notifier_ = new QSocketNotifier(udev_monitor_get_fd(monitor_), QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, [this] { ReadEvents(); });
    return true;
}

void RemovalWatcher::Stop() {
    delete notifier_;
    notifier_ = nullptr;
    if (monitor_ != nullptr) {
        udev_monitor_unref(monitor_);
        monitor_ = nullptr;
    }
    if (udev_ != nullptr) {
        udev_unref(udev_);
        udev_ = nullptr;
    }
}

void RemovalWatcher::ReadEvents() {
    // The monitor's socket is non-blocking: take every queued event, then return to the loop.
    while (monitor_ != nullptr) {
        udev_device* device = udev_monitor_receive_device(monitor_);
        if (device == nullptr) {
            return;
        }
        DeviceNotice notice;
        const char* action = udev_device_get_action(device);
        const char* subsystem = udev_device_get_subsystem(device);
        notice.action = action ? action : "";
        notice.subsystem = subsystem ? subsystem : "";
        notice.vendorId = PropertyOf(device, "ID_VENDOR_ID");
        if (notice.vendorId.empty()) {
            notice.vendorId = VendorIdOfUsbProduct(PropertyOf(device, "PRODUCT"));
        }
        udev_device_unref(device);
        handler_(notice);
    }
}

}  // namespace wl
