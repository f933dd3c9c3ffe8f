#include "transfer/work_folder.h"

#include "fs/file_ops.h"

namespace wl {

bool RecreateWorkFolder(const std::filesystem::path& tempFolder,
                        const std::filesystem::path& folder) {
    if (tempFolder.empty()) {
        return false;
    }
    if (PathExists(folder)) {
        DeleteTree(folder);
    }
    return CreateFolder(folder);
}

}  // namespace wl
