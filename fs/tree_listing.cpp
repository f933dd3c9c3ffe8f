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

EntryKind KindOf(const std::filesystem::file_status& status) {
    switch (status.type()) {
        case std::filesystem::file_type::regular:
            return EntryKind::kFile;
        case std::filesystem::file_type::directory:
            return EntryKind::kFolder;
        case std::filesystem::file_type::fifo:
            return EntryKind::kFifo;
        case std::filesystem::file_type::socket:
            return EntryKind::kSocket;
        case std::filesystem::file_type::block:
        case std::filesystem::file_type::character:
            return EntryKind::kDevice;
        default:
            return EntryKind::kBrokenLink;
    }
}

// What one entry of a folder is. The entry's cached type (from d_type) decides, so no entry
// costs an extra stat unless it is a link or the file system does not report types. A link is
// judged by what it leads to, but never descended into: it could leave the tree or loop.
EntryKind KindOfEntry(const std::filesystem::directory_entry& entry) {
    std::error_code error;
    if (!entry.is_symlink(error)) {
        return KindOf(entry.status(error));
    }
    const std::filesystem::file_status target = entry.status(error);
    if (error || !std::filesystem::exists(target)) {
        return EntryKind::kBrokenLink;
    }
    const EntryKind kind = KindOf(target);
    return kind == EntryKind::kFolder ? EntryKind::kLinkToFolder : kind;
}

// One enumeration of `folder`: its files (and every entry that is no folder) go straight to
// `entries`, its subfolders to `subfolders`. Answers 0, or the error that cut the listing short.
int ListOneFolder(const std::filesystem::path& folder, std::vector<TreeEntry>& entries,
                  std::vector<std::filesystem::path>& subfolders) {
    std::error_code error;
    for (std::filesystem::directory_iterator it(folder, error);
         !error && it != std::filesystem::directory_iterator(); it.increment(error)) {
        const EntryKind kind = KindOfEntry(*it);
        if (kind == EntryKind::kFolder) {
            subfolders.push_back(it->path());
        } else {
            entries.push_back({it->path(), 0, kind});
        }
    }
    return error.value();
}

}  // namespace

bool ListTree(const std::filesystem::path& folder, std::vector<TreeEntry>& entries,
              ListingFailure* failure) {
    bool complete = true;
    const auto list = [&](const std::filesystem::path& path,
                          std::vector<std::filesystem::path>& subfolders) {
        const int error = ListOneFolder(path, entries, subfolders);
        // A folder that cannot be listed is reported, not skipped in silence: packing measured
        // data must not lose a subfolder unnoticed.
        if (error != 0 && complete && failure != nullptr) {
            *failure = {path, error};
        }
        complete = complete && error == 0;
    };
    // An explicit stack instead of recursion, so that the depth of a tree never meets the limit
    // of the thread's stack.
    std::vector<PendingSubfolders> stack(1);
    list(folder, stack.back().paths);
    while (!stack.empty()) {
        PendingSubfolders& top = stack.back();
        if (top.next == top.paths.size()) {
            stack.pop_back();
            continue;
        }
        std::filesystem::path subfolder = std::move(top.paths[top.next++]);
        entries.push_back({subfolder, 1, EntryKind::kFolder});
        PendingSubfolders below;
        list(subfolder, below.paths);
        stack.push_back(std::move(below));
    }
    return complete;
}

}  // namespace wl
