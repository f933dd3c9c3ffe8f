#pragma once
// A fresh folder for one test, removed with everything in it afterwards, and small helpers to lay
// out and read back real files.

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace wl::test {

class TempFolder {
  public:
    TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    ~TempFolder();

    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::filesystem::path& relative) const {
        return path_ / relative;
    }

  private:
    std::filesystem::path path_;
};

// Writes the file, creating its parent folders.
void WriteFile(const std::filesystem::path& path, std::string_view bytes);
std::string ReadFile(const std::filesystem::path& path);

// A text as UTF-16LE bytes, as a table of contents holds it.
std::string Utf16Le(std::u16string_view text);

// Bytes that compress (text-like) or do not (pseudo-random), the same for the same seed.
std::string CompressibleBytes(size_t size, uint32_t seed);
std::string RandomBytes(size_t size, uint32_t seed);

// Every regular file and folder below `root` as "relative path" -> content ("<dir>" for folders).
std::vector<std::pair<std::string, std::string>> TreeSnapshot(const std::filesystem::path& root);

}  // namespace wl::test
