#pragma once
// The mounted filesystems as the kernel lists them in a mountinfo file. Only the text of that file
// is read: the mount points themselves are never stat'ed or opened, so a hung network mount cannot
// stall whoever asks.

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace wl {

struct MountEntry {
    std::filesystem::path mountPoint;
    // The mount source as the kernel names it: a device node such as /dev/sdb1, or "tmpfs",
    // "host:/export" and the like for mounts without a block device.
    std::string source;
};

// Decodes the kernel's octal escapes (\040 space, \011 tab, \012 newline, \134 backslash).
std::string DecodeMountEscapes(std::string_view field);

// The mounts of a mountinfo text, sorted by mount point. A mount point listed more than once keeps
// only its last (topmost, visible) mount. Malformed lines are skipped.
std::vector<MountEntry> ParseMountTable(std::string_view mountinfoText);

// The whole text of a mountinfo file; false when it cannot be read.
bool ReadMountInfoText(const std::filesystem::path& mountinfo, std::string& text);

}  // namespace wl
