#include "app/device_notice.h"

namespace wl {

bool IsConverterRemoval(const DeviceNotice& notice) {
    const bool converterClass = notice.subsystem == "usb" || notice.subsystem == "tty";
    return notice.action == "remove" && converterClass && notice.vendorId == kConverterVendorId;
}

std::string VendorIdOfUsbProduct(std::string_view product) {
    const size_t slash = product.find('/');
    if (slash == std::string_view::npos || slash == 0 || slash > 4) {
        return {};
    }
    std::string vendor(4 - slash, '0');
    for (const char c : product.substr(0, slash)) {
        const bool hex = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
        if (!hex) {
            return {};
        }
        vendor += static_cast<char>(c >= 'A' && c <= 'F' ? c - 'A' + 'a' : c);
    }
    return vendor;
}

}  // namespace wl
