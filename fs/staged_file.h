#pragma once
// A file that appears only complete: it is written beside its target and given the target's
// name only when finished, so a failure leaves no partial file and an earlier file of that name
// untouched. Where the file system allows, the file has no name at all until then (O_TMPFILE),
// so not even a killed process leaves one behind; elsewhere it is named "TARGET.XXXXXX.part".

#include <filesystem>
#include <string>

namespace wl {

class StagedFile {
  public:
    // When the file reaches the device: at Commit, or later, when the caller flushes the whole
    // file system it wrote to (many files at once).
    enum class Flush { kAtCommit, kByCaller };

    explicit StagedFile(std::filesystem::path target, Flush flush = Flush::kAtCommit);
    StagedFile(const StagedFile&) = delete;
    StagedFile& operator=(const StagedFile&) = delete;
    // Removes the staged file unless it was committed.
    ~StagedFile();

    // False when no staged file could be made beside the target; error() says why.
    bool ok() const { return !path_.empty(); }
    const std::u16string& error() const { return error_; }
    // Where to write (a path that reopens the unnamed file, where it has no name).
    const std::filesystem::path& path() const { return path_; }

    // Flushes the staged file to the device, puts it in the target's place and flushes the
    // folder (the flushes left out with Flush::kByCaller). False with error() when any of that
    // failed.
    bool Commit();

  private:
    // The staged file under a name "TARGET.XXXXXX.part", where no unnamed file can be had.
    bool CreateNamed();
    // Gives the unnamed file a temporary name beside the target.
    bool Name();

    std::filesystem::path target_;
    std::filesystem::path path_;
    // The named staged file: set once the file has a name on disk.
    std::filesystem::path named_;
    int unnamedFd_ = -1;
    std::u16string error_;
    Flush flush_;
    bool committed_ = false;
};

}  // namespace wl
