#pragma once
// Brings what was written on a file system onto its device: the files' data, the folders made,
// the renames and deletions. The operator pulls an analyzer out right after the closing message,
// so no success is told before this has been confirmed.

#include <filesystem>
#include <string>

namespace wl {

class DeviceFlush {
  public:
    // Takes hold of the file system that holds `path` (or its nearest existing parent) now:
    // a write-back failure from here on is reported by Flush, even one that happened before it.
    explicit DeviceFlush(const std::filesystem::path& path);
    DeviceFlush(const DeviceFlush&) = delete;
    DeviceFlush& operator=(const DeviceFlush&) = delete;
    ~DeviceFlush();

    // Waits until everything written on that file system is on the device. False, with the
    // cause in `reason`, when the device did not confirm it.
    bool Flush(std::u16string& reason);

  private:
    int fd_ = -1;
    int openError_ = 0;
};

}  // namespace wl
