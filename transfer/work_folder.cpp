#include "transfer/work_folder.h"

#include "common/format.h"
#include "common/utf16.h"
#include "fs/file_ops.h"
#include "locale/program_texts.h"
#include "locale/string_table.h"

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

std::u16string WorkFolderError(const std::filesystem::path& tempFolder,
                               const std::filesystem::path& folder) {
    const std::u16string systemReason = LastFailureReason();  // before anything else is asked
    const ProgramTexts& own = ProgramTextTable();
    const std::u16string reason = tempFolder.empty()   ? own.NoTempFolder
                                  : PathExists(folder) ? own.WorkFolderBlocked
                                                       : systemReason;
    return Format("%s\r\n%s\r\n%s",
                  {StringTable().ErrCreateTempDirectory, PathToUtf16(folder), reason});
}

}  // namespace wl
