// The recursive listing the packer uses: files of a folder first, then each subfolder followed
// directly by its own listing.

#include <filesystem>
#include <system_error>
#include <utility>

#include "fs/file_ops.h"

namespace wl {
namespace {

// The subfolders of one listed folder that still wait for their turn.
struct PendingSubfolders {
    std::vector<std::filesystem::path> paths;
    size_t next = 0;
};

// One enumeration of `folder`: its files go straight to `entries`, its subfolders to
// `subfolders`. The entry's cached type (from d_type) decides, so no entry costs an extra stat
// unless the file system does not report types. Links and special files are skipped: following a
// link could leave the tree or loop, and opening a FIFO could hang.
bool ListOneFolder(const std::filesystem::path& folder, std::vector<TreeEntry>& entries,
                   std::vector<std::filesystem::path>& subfolders) {
    std::error_code error;
    for (std::filesystem::directory_iterator it(folder, error);
         !error && it != std::filesystem::directory_iterator(); it.increment(error)) {
        std::error_code typeError;
        if (it->is_symlink(typeError) || typeError) {
            continue;
        }
        if (it->is_directory(typeError)) {
            subfolders.push_back(it->path());
        } else if (it->is_regular_file(typeError)) {
            entries.push_back({it->path(), 0});
        }
    }
    return !error;
}

}  // namespace

bool ListTree(const std::filesystem::path& folder, std::vector<TreeEntry>& entries) {
    // An explicit stack instead of recursion, so that the depth of a tree never meets the limit
    // of the thread's stack.
    std::vector<PendingSubfolders> stack(1);
    bool complete = ListOneFolder(folder, entries, stack.back().paths);
    while (!stack.empty()) {
        PendingSubfolders& top = stack.back();
        if (top.next == top.paths.size()) {
            stack.pop_back();
            continue;
        }
        std::filesystem::path subfolder = std::move(top.paths[top.next++]);
        entries.push_back({subfolder, 1});
        PendingSubfolders below;
        // A folder that cannot be listed is reported, not skipped in silence: packing measured
        // data must not lose a subfolder unnoticed.
        complete = ListOneFolder(subfolder, entries, below.paths) && complete;
        stack.push_back(std::move(below));
    }
    return complete;
}

}  // namespace wl
