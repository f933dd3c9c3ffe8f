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
    // The folder may lie in a temporary folder other users share: only its owner may enter it,
    // so no one else can change a route block before it is sent or packed.
    return CreatePrivateFolder(folder);
}

}  // namespace wl
