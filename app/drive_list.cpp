#include "app/drive_list.h"

namespace wl {

std::filesystem::path DriveRootOf(const std::filesystem::path& mountPoint) {
    std::string root = mountPoint.string();
    if (root.empty() || root.back() != '/') {
        root.push_back('/');
    }
    return root;
}

}  // namespace wl
