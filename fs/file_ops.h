#pragma once
// The file and folder operations the rest of the program shares. Plain functions without state:
// they answer with a truth value and show nothing. Paths are native; whatever these operations
// create is open to every user (folders 0777, files 0666, set explicitly past the umask).

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace wl {

// One element of a recursive listing: the full path and 0 for a file, 1 for a folder.
struct TreeEntry {
    std::filesystem::path path;
    int32_t folder = 0;
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

// Appends the whole tree below `folder`: the files of a folder first, then each subfolder followed
// directly by its own listing. Symbolic links and special files are never listed or followed.
// False when a folder of the tree could not be listed.
bool ListTree(const std::filesystem::path& folder, std::vector<TreeEntry>& entries);

// Creates one folder; false when it could not be made or already exists.
bool CreateFolder(const std::filesystem::path& path);

// Creates the folder and each missing parent, outermost first; true when every level exists
// afterwards. "/" alone (or an empty path) is refused.
bool CreateFolderPath(const std::filesystem::path& path);

// True when a file exists at the path afterwards; an existing file is left untouched.
bool CreateEmptyFile(const std::filesystem::path& path);

// The user's own temporary folder: $TMPDIR if set, else /tmp/wayload-UID (mode 0700, checked to be
// a real folder owned by the user). Empty when no such folder can be had.
std::filesystem::path GetTempFolderPath();

// Reads a whole file of at most `largestAccepted` bytes; an empty file is refused. On failure
// `error` holds the reason.
bool ReadWholeFile(const std::filesystem::path& path, std::vector<uint8_t>& data, uint32_t& length,
                   std::u16string& error, int32_t largestAccepted);

// Replaces the file with `length` bytes of `data`, an empty file for 0. On failure `error` holds
// the reason.
bool WriteWholeFile(const std::filesystem::path& path, const void* data, uint32_t length,
                    std::u16string& error);

// Deletes a file or a whole tree without following a symbolic link out of it.
bool DeleteTree(const std::filesystem::path& path);

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
