#pragma once
// Finding the kernel's tty of a converter by the USB product string its chip reports, through
// sysfs. The sysfs root is a parameter, so that tests can lay out a tree of their own.

#include <filesystem>
#include <optional>
#include <string>

namespace wl {

struct TtyPort {
    // "/dev/ttyUSB0"
    std::filesystem::path device;
    // The driver's latency timer in sysfs; it may be missing or read-only.
    std::filesystem::path latencyTimer;
};

// The first /dev/ttyUSB* (by number) whose USB device carries `product`, or nullopt.
std::optional<TtyPort> FindTtyByProduct(const std::filesystem::path& sysfsRoot,
                                        const std::string& product,
                                        const std::filesystem::path& devRoot = "/dev");

}  // namespace wl
