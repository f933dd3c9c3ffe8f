#pragma once
// Volume labels of block devices, learnt without touching any mounted filesystem: first from
// udev's by-label folder (links named by label that point at the device node), else by probing
// the device's superblock with libblkid.

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace wl {

// Decodes udev's \xHH escapes (\x20 space, \x2f slash) in a by-label link name.
std::string DecodeUdevEscapes(std::string_view name);

// Device node -> label for every link of a by-label folder. Link targets are resolved lexically
// against the folder (../../sdb1 -> /dev/sdb1) with readlink; nothing they point at is opened.
// An absent folder gives an empty map.
std::map<std::string, std::string> ReadLabelsByDevice(const std::filesystem::path& byLabelFolder);

// Asks a device for its label. An interface so tests can count and fake probes.
class ILabelProbe {
  public:
    virtual ~ILabelProbe() = default;
    // The label, or nothing when the device has none or cannot be probed.
    virtual std::optional<std::string> ProbeLabel(const std::string& device) = 0;
};

// Reads the filesystem superblock of a block device through libblkid.
class BlkidLabelProbe : public ILabelProbe {
  public:
    std::optional<std::string> ProbeLabel(const std::string& device) override;
};

}  // namespace wl
