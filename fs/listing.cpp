// Flat listings of one folder: its files matching a mask, its subfolders.

#include <filesystem>
#include <system_error>

#include "fs/file_ops.h"

namespace wl {

bool ListFiles(const std::filesystem::path& folder, std::string_view mask,
               std::vector<std::filesystem::path>& names) {
    names.clear();
    std::error_code error;
    std::filesystem::directory_iterator it(folder, error);
    if (error) {
        return false;
    }
    // Windows enumerations return "." and ".." too, so "*.*" matches something in every readable
    // folder; callers rely on that answer, not only on the names.
    bool matched = MatchesMask(".", mask) || MatchesMask("..", mask);
    for (; !error && it != std::filesystem::directory_iterator(); it.increment(error)) {
        const std::filesystem::path name = it->path().filename();
        if (!MatchesMask(name.native(), mask)) {
            continue;
        }
        matched = true;
        std::error_code typeError;
        if (it->is_regular_file(typeError)) {
            names.push_back(name);
        }
    }
    return !error && matched;
}

bool ListSubfolders(const std::filesystem::path& folder,
                    std::vector<std::filesystem::path>& names) {
    names.clear();
    std::error_code error;
    for (std::filesystem::directory_iterator it(folder, error);
         !error && it != std::filesystem::directory_iterator(); it.increment(error)) {
        std::error_code typeError;
        if (it->is_directory(typeError)) {
            names.push_back(it->path().filename());
        }
    }
    return !error;
}

}  // namespace wl
