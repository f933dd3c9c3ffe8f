#include "app/mounted_drive_lister.h"

#include "app/mount_table.h"

namespace wl {

namespace {

// Only device nodes are probed: a source such as "tmpfs" or "host:/export" names no device, and
// opening it as a relative path would touch whatever the working folder holds.
bool NamesDeviceNode(const std::string& source) {
    return source.starts_with("/dev/");
}

}  // namespace

MountedDriveLister::MountedDriveLister(std::filesystem::path mountinfo,
                                       std::filesystem::path byLabelFolder, ILabelProbe& probe)
    : mountinfo_(std::move(mountinfo)), byLabelFolder_(std::move(byLabelFolder)), probe_(probe) {}

bool MountedDriveLister::ListDrives(std::vector<DriveInfo>& drives) {
    drives.clear();
    std::string text;
    if (!ReadMountInfoText(mountinfo_, text)) {
        // No mount table is the ordinary nothing-found answer, never a failure of the tick.
        return true;
    }
    if (text != lastMountInfoText_) {
        probedLabels_.clear();
        lastMountInfoText_ = text;
    }
    const std::map<std::string, std::string> udevLabels = ReadLabelsByDevice(byLabelFolder_);
    for (const MountEntry& mount : ParseMountTable(text)) {
        drives.push_back({DriveRootOf(mount.mountPoint),
                          LabelOf(mount.source, mount.mountPoint.string(), udevLabels)});
    }
    return true;
}

std::string MountedDriveLister::LabelOf(const std::string& source, const std::string& mountPoint,
                                        const std::map<std::string, std::string>& udevLabels) {
    if (const auto found = udevLabels.find(source); found != udevLabels.end()) {
        return found->second;
    }
    if (!NamesDeviceNode(source)) {
        return {};
    }
    const auto key = std::make_pair(source, mountPoint);
    auto cached = probedLabels_.find(key);
    if (cached == probedLabels_.end()) {
        cached = probedLabels_.emplace(key, probe_.ProbeLabel(source)).first;
    }
    return cached->second.value_or(std::string());
}

}  // namespace wl
