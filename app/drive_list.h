#pragma once
// The drives an analyzer could be: every mounted filesystem, its root and its volume label.

#include <filesystem>
#include <string>
#include <vector>

namespace wl {

struct DriveInfo {
    // The mount point with a trailing separator ("/" stays "/").
    std::filesystem::path root;
    // Empty when the filesystem has no label or none could be learnt.
    std::string label;
};

// The port detection asks; the real one reads the mount table, tests may fake it.
class IDriveLister {
  public:
    virtual ~IDriveLister() = default;
    // Fills `drives` (cleared first) sorted by mount point; true, also when there are none.
    virtual bool ListDrives(std::vector<DriveInfo>& drives) = 0;
};

// The mount point as a drive root: with its trailing separator.
std::filesystem::path DriveRootOf(const std::filesystem::path& mountPoint);

}  // namespace wl
