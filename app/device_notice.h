#pragma once
// A device event as the platform's monitor reports it, and which ones concern the converter.

#include <string>
#include <string_view>

namespace wl {

struct DeviceNotice {
    std::string action;     // "add", "remove", "bind", ...
    std::string subsystem;  // "usb", "tty", ...
    std::string vendorId;   // four hexadecimal digits, as udev's ID_VENDOR_ID
};

// The USB vendor of the serial converter chip.
inline constexpr const char* kConverterVendorId = "0403";

// True for the removal of the converter (its USB device or its tty); arrivals and other devices
// are left to the next tick.
bool IsConverterRemoval(const DeviceNotice& notice);

// The vendor of a USB device from the kernel's PRODUCT value ("403/6001/600" gives "0403");
// empty when the value is not of that form.
std::string VendorIdOfUsbProduct(std::string_view product);

}  // namespace wl
