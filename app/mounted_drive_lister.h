#pragma once
// Drives from the mount table. A tick reads only the mountinfo text and the by-label folder's
// links (both in kernel or udev memory); device probes are remembered until the mount table
// changes, so an unchanged system is probed once.

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <utility>

#include "app/drive_list.h"
#include "app/volume_labels.h"

namespace wl {

class MountedDriveLister : public IDriveLister {
  public:
    MountedDriveLister(std::filesystem::path mountinfo, std::filesystem::path byLabelFolder,
                       ILabelProbe& probe);

    bool ListDrives(std::vector<DriveInfo>& drives) override;

  private:
    std::string LabelOf(const std::string& source, const std::string& mountPoint,
                        const std::map<std::string, std::string>& udevLabels);

    std::filesystem::path mountinfo_;
    std::filesystem::path byLabelFolder_;
    ILabelProbe& probe_;
    std::string lastMountInfoText_;
    // (device, mount point) -> probed label, or nothing when the probe found none.
    std::map<std::pair<std::string, std::string>, std::optional<std::string>> probedLabels_;
};

// The system's own mount table and udev's by-label folder.
inline constexpr const char* kSystemMountInfo = "/proc/self/mountinfo";
inline constexpr const char* kSystemByLabelFolder = "/dev/disk/by-label";

}  // namespace wl
