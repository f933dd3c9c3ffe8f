#pragma once
// The file and folder operations the rest of the program shares. Plain functions without state:
// they answer with a truth value and show nothing. Paths are native; whatever these operations
// create is open to every user (folders 0777, files 0666, set explicitly past the umask).

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "platform/byte_file.h"

namespace wl {

// What a listed entry is. A link to a file is a file: it is packed as the file it leads to.
// Whatever is neither file nor folder is listed too, so that the packer can name it instead of
// losing it in silence.
enum class EntryKind { kFile, kFolder, kLinkToFolder, kBrokenLink, kFifo, kSocket, kDevice };

// One element of a recursive listing: the full path, 0 for a file (or anything else that is not
// a folder) and 1 for a folder, and what it is.
struct TreeEntry {
    std::filesystem::path path;
    int32_t folder = 0;
    EntryKind kind = EntryKind::kFile;
};

// The first folder of a tree that could not be listed, and the system's error code.
struct ListingFailure {
    std::filesystem::path folder;
    int error = 0;
};

// True when anything (file, folder, other entry, even a dangling link) is at the path.
bool PathExists(const std::filesystem::path& path);

// `name` may hold the wildcards * and ? in its last component: true when the first entry that
// matches exists and is not a folder.
bool FileExists(const std::filesystem::path& name);

// Windows-style mask match: * and ?, letter case ignored, "*.*" matches every name.
bool MatchesMask(std::string_view name, std::string_view mask);

// Names of the files of `folder` matching `mask`, in the directory's own order; true when at
// least one entry of any kind matched.
bool ListFiles(const std::filesystem::path& folder, std::string_view mask,
               std::vector<std::filesystem::path>& names);

// Names of the subfolders of `folder`; true when the folder could be listed.
bool ListSubfolders(const std::filesystem::path& folder, std::vector<std::filesystem::path>& names);

// Appends the whole tree below `folder`: the files of a folder first (with the links and special
// files among them), then each subfolder followed directly by its own listing. No link is
// descended into. False when a folder of the tree could not be listed; `failure` then names the
// first such folder.
bool ListTree(const std::filesystem::path& folder, std::vector<TreeEntry>& entries,
              ListingFailure* failure = nullptr);

// Creates one folder; false when it could not be made or already exists.
bool CreateFolder(const std::filesystem::path& path);

// Creates the folder and each missing parent, outermost first; true when every level exists
// afterwards. "/" alone (or an empty path) is refused.
bool CreateFolderPath(const std::filesystem::path& path);

// True when a file exists at the path afterwards; an existing file is left untouched. A new
// file is open to everyone, or with FileAccess::kOwnerOnly to its owner alone.
bool CreateEmptyFile(const std::filesystem::path& path, FileAccess access = FileAccess::kEveryone);

// The user's own temporary folder: $TMPDIR if set, else /tmp/wayload-UID (mode 0700, checked to be
// a real folder owned by the user). Empty when no such folder can be had.
std::filesystem::path GetTempFolderPath();

// Creates a new folder that only the user may enter (0700): false unless it was made here and is
// a real folder owned by the user afterwards. For work files in a folder other users may share.
bool CreatePrivateFolder(const std::filesystem::path& path);

// True when `inner` is `outer` or lies below it, symbolic links resolved.
bool LiesWithin(const std::filesystem::path& inner, const std::filesystem::path& outer);

// Reads a whole file of at most `largestAccepted` bytes; an empty file is refused. On failure
// `error` holds the reason.
bool ReadWholeFile(const std::filesystem::path& path, std::vector<uint8_t>& data, uint32_t& length,
                   std::u16string& error, int32_t largestAccepted);

// Replaces the file with `length` bytes of `data`, an empty file for 0. On failure `error` holds
// the reason.
bool WriteWholeFile(const std::filesystem::path& path, const void* data, uint32_t length,
                    std::u16string& error, FileAccess access = FileAccess::kEveryone);

// Deletes a file or a whole tree without following a symbolic link out of it.
bool DeleteTree(const std::filesystem::path& path);

// Gives a file or folder a new path on the same file system in one step.
bool RenameEntry(const std::filesystem::path& from, const std::filesystem::path& to);

// Removes a folder only when it is empty.
bool RemoveEmptyFolder(const std::filesystem::path& path);

// Why the last of these operations that failed did so, for a message: "13 : The disk is full.
// (No space left on device)". Read it right after the failure.
std::u16string LastFailureReason();

// Splits a path into folder (with its trailing separator), name and extension (with its dot).
bool SplitPath(const std::filesystem::path& path, std::filesystem::path& folder,
               std::u16string& name, std::u16string& extension);

// Splits a text at any of `separators`, trimming blanks and separators from each piece.
bool SplitTokens(std::u16string_view text, std::u16string_view separators,
                 std::vector<std::u16string>& pieces);

// True when `name` can become one folder or file name: not empty, not "." or "..", no separator
// ('/' or '\'), no NUL, and representable on disk.
bool IsPlainName(std::u16string_view name);

}  // namespace wl
