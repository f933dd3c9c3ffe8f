// Whether one path lies within a folder, for the checks that keep a command from writing into
// what it reads.

#include <algorithm>
#include <system_error>

#include "fs/file_ops.h"

namespace wl {

bool LiesWithin(const std::filesystem::path& inner, const std::filesystem::path& outer) {
    std::error_code error;
    const auto full = [&error](const std::filesystem::path& path) {
        const std::filesystem::path absolute = std::filesystem::absolute(path, error);
        return error ? absolute : std::filesystem::weakly_canonical(absolute, error);
    };
    const std::filesystem::path innerFull = full(inner);
    if (error) {
        return false;
    }
    const std::filesystem::path outerFull = full(outer);
    if (error) {
        return false;
    }
    // "a/b/" and "a/b" name the same folder: the empty last component says nothing.
    auto outerEnd = outerFull.end();
    if (outerFull.has_relative_path() && !outerFull.has_filename()) {
        --outerEnd;
    }
    const auto [outerAt, innerAt] =
        std::mismatch(outerFull.begin(), outerEnd, innerFull.begin(), innerFull.end());
    return outerAt == outerEnd;
}

}  // namespace wl
