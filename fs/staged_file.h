#pragma once
// A file that appears only complete: it is written under a temporary name beside its target and
// renamed over the target when finished, so a failure leaves no partial file and an earlier file
// of that name untouched.

#include <filesystem>
#include <string>

namespace wl {

class StagedFile {
  public:
    explicit StagedFile(std::filesystem::path target);
    StagedFile(const StagedFile&) = delete;
    StagedFile& operator=(const StagedFile&) = delete;
    // Removes the staged file unless it was committed.
    ~StagedFile();

    // False when no staged file could be made beside the target; error() says why.
    bool ok() const { return !path_.empty(); }
    const std::u16string& error() const { return error_; }
    // Where to write.
    const std::filesystem::path& path() const { return path_; }

    // Flushes the staged file to the device and renames it over the target.
    bool Commit();

  private:
    std::filesystem::path target_;
    std::filesystem::path path_;
    std::u16string error_;
    bool committed_ = false;
};

}  // namespace wl
