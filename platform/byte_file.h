#pragma once
// A random-access file of raw bytes. Failures of an open file (writing, positioning, reading)
// raise FileError; reading fewer bytes than asked is a count, not an error.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

namespace wl {

// Who may use a file the program creates: everyone, or its owner alone (work files in a
// temporary folder that other users may share).
enum class FileAccess { kEveryone, kOwnerOnly };

struct FileIdentity {
    uint64_t device = 0;
    uint64_t inode = 0;
    bool operator==(const FileIdentity&) const = default;
};

class ByteFile {
  public:
    ByteFile() = default;
    ByteFile(const ByteFile&) = delete;
    ByteFile& operator=(const ByteFile&) = delete;
    ByteFile(ByteFile&& other) noexcept;
    ByteFile& operator=(ByteFile&& other) noexcept;
    ~ByteFile();

    // Both answer false and leave errno's value in `error` when the file cannot be opened.
    bool OpenForReading(const std::filesystem::path& path, int& error);
    enum class Links { Follow, Refuse };
    // Creates the file, or empties it if it exists; with Links::Refuse a symbolic link at the
    // path is not written through.
    bool CreateForWriting(const std::filesystem::path& path, int& error,
                          Links links = Links::Follow);
    // Creates the file or opens an existing one for writing, without emptying it yet: the caller
    // can first check which file it is (see Identity) and then Truncate it.
    bool OpenForWriting(const std::filesystem::path& path, int& error, Links links,
                        FileAccess access = FileAccess::kEveryone);

    bool IsOpen() const { return fd_ >= 0; }
    // Which file on which device this is, whatever path reached it.
    FileIdentity Identity() const;
    const std::filesystem::path& path() const { return path_; }

    int64_t Length() const;
    void SeekTo(int64_t offset);
    // Positions at the end and answers that offset.
    int64_t SeekToEnd();
    int64_t Position() const;

    // Reads up to `size` bytes, fewer only at the end of the file.
    size_t Read(void* buffer, size_t size);
    void Write(const void* data, size_t size);
    void Truncate(int64_t length);
    // Flushes the file's data to the device.
    void Sync();
    // Closes the file; for a written file a failure to close is a file error.
    void Close();

  private:
    [[noreturn]] void Fail(int error) const;

    int fd_ = -1;
    std::filesystem::path path_;
};

}  // namespace wl
