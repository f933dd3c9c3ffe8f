#include "instrument/tty_lookup.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <system_error>
#include <vector>

namespace wl {
namespace {

// A sysfs attribute's text without its line feed; empty when it cannot be read.
std::string ReadAttribute(const std::filesystem::path& path) {
    std::ifstream in(path);
    std::string text;
    std::getline(in, text);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) {
        text.pop_back();
    }
    return text;
}

// "ttyUSB12" sorts after "ttyUSB2".
unsigned PortNumber(const std::string& name) {
    return static_cast<unsigned>(std::strtoul(name.c_str() + 6, nullptr, 10));
}

}  // namespace

std::optional<TtyPort> FindTtyByProduct(const std::filesystem::path& sysfsRoot,
                                        const std::string& product,
                                        const std::filesystem::path& devRoot) {
    std::error_code error;
    std::vector<std::string> names;
    for (std::filesystem::directory_iterator it(sysfsRoot / "class" / "tty", error), end;
         !error && it != end; it.increment(error)) {
        const std::string name = it->path().filename().string();
        if (name.rfind("ttyUSB", 0) == 0) {
            names.push_back(name);
        }
    }
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        return PortNumber(a) < PortNumber(b);
    });
    const std::filesystem::path root = std::filesystem::weakly_canonical(sysfsRoot, error);
    for (const std::string& name : names) {
        const std::filesystem::path classEntry = sysfsRoot / "class" / "tty" / name;
        std::filesystem::path at = std::filesystem::canonical(classEntry, error);
        if (error) {
            error.clear();
            continue;
        }
        // The USB device is the nearest folder above the tty that has a vendor id.
        while (at.has_relative_path() && at != root) {
            if (std::filesystem::exists(at / "idVendor", error)) {
                if (ReadAttribute(at / "product") == product) {
                    return TtyPort{devRoot / name, classEntry / "device" / "latency_timer"};
                }
                break;
            }
            at = at.parent_path();
        }
    }
    return std::nullopt;
}

}  // namespace wl
