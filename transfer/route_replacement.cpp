#include "transfer/route_replacement.h"

#include <vector>

#include "common/format.h"
#include "common/utf16.h"
#include "fs/device_flush.h"
#include "fs/file_ops.h"
#include "locale/program_texts.h"

namespace wl {
namespace {

constexpr const char* kWorkFolderName = ".wayload-upload";
constexpr const char* kNewRoutes = "new";
constexpr const char* kOldRoutes = "old";

std::u16string FolderError(const std::u16string& format, const std::filesystem::path& folder,
                           const std::u16string& reason) {
    return Format(format, {PathToUtf16(folder)}) + u" - " + reason;
}

// The unpacked route is removed unless it was swapped in.
class Staging {
  public:
    explicit Staging(std::filesystem::path path) : path_(std::move(path)) {}
    Staging(const Staging&) = delete;
    Staging& operator=(const Staging&) = delete;
    ~Staging() {
        if (!placed_) {
            DeleteTree(path_);
        }
    }
    const std::filesystem::path& path() const { return path_; }
    void Placed() { placed_ = true; }

  private:
    std::filesystem::path path_;
    bool placed_ = false;
};

// A new empty folder at `path`, with its parents; false with `error` when it cannot be made.
bool MakeEmptyFolder(const std::filesystem::path& path, std::u16string& error) {
    const ProgramTexts& own = ProgramTextTable();
    if (!CreateFolderPath(path.parent_path())) {
        error = FolderError(own.ErrCreateFolderFmt, path.parent_path(), LastFailureReason());
        return false;
    }
    DeleteTree(path);
    if (!CreateFolder(path)) {
        error = FolderError(own.ErrCreateFolderFmt, path, LastFailureReason());
        return false;
    }
    return true;
}

// Puts the unpacked route in the place of the old one, which goes to `retired` meanwhile.
bool SwapIn(const std::filesystem::path& staging, const std::filesystem::path& target,
            const std::filesystem::path& retired, std::u16string& error) {
    const ProgramTexts& own = ProgramTextTable();
    const bool replacing = PathExists(target);
    if (replacing) {
        if (!CreateFolderPath(retired.parent_path())) {
            error = FolderError(own.ErrCreateFolderFmt, retired.parent_path(), LastFailureReason());
            return false;
        }
        // An old copy that a failed deletion left: its route stands, so it is no longer needed.
        DeleteTree(retired);
        if (!RenameEntry(target, retired)) {
            error = FolderError(own.ErrReplaceFolderFmt, target, LastFailureReason());
            return false;
        }
    }
    if (!RenameEntry(staging, target)) {
        error = FolderError(own.ErrReplaceFolderFmt, target, LastFailureReason());
        if (replacing && !RenameEntry(retired, target)) {
            error += u"\r\n" + Format(own.OldRouteKeptFmt, {PathToUtf16(retired)});
        }
        return false;
    }
    // Should this fail, the old copy is removed by the next upload or download.
    if (replacing) {
        DeleteTree(retired);
    }
    return true;
}

}  // namespace

std::filesystem::path RouteWorkFolder(const std::filesystem::path& routeFolder) {
    std::filesystem::path folder = routeFolder;
    if (!folder.has_filename()) {
        folder = folder.parent_path();  // "TKBRoute/" names the same folder as "TKBRoute"
    }
    return folder.parent_path() / kWorkFolderName;
}

void TidyRouteWork(const std::filesystem::path& routeFolder, MissingRoute missing) {
    const std::filesystem::path work = RouteWorkFolder(routeFolder);
    if (routeFolder.empty() || !PathExists(work)) {
        return;
    }
    DeleteTree(work / kNewRoutes);
    const std::filesystem::path oldRoutes = work / kOldRoutes;
    std::vector<std::filesystem::path> names;
    if (ListSubfolders(oldRoutes, names)) {
        for (const std::filesystem::path& name : names) {
            const std::filesystem::path target = routeFolder / name;
            if (PathExists(target)) {
                DeleteTree(oldRoutes / name);
            } else if (missing == MissingRoute::kRestore) {
                RenameEntry(oldRoutes / name, target);
            }
        }
    }
    RemoveEmptyFolder(oldRoutes);
    RemoveEmptyFolder(work);
    std::u16string ignored;
    DeviceFlush(routeFolder).Flush(ignored);
}

bool StoreRoute(BDL::ContainerFile& container, const BDL::Project& project,
                const std::filesystem::path& routeFolder, const std::filesystem::path& name,
                I_InfoWnd* progress, double from, double to, std::u16string& error) {
    const std::filesystem::path work = RouteWorkFolder(routeFolder);
    const std::filesystem::path target = routeFolder / name;
    // Taken before anything is written, so that a write-back failure meanwhile is seen too.
    DeviceFlush device(routeFolder);
    Staging staging(work / kNewRoutes / name);
    if (!MakeEmptyFolder(staging.path(), error) ||
        !container.ExtractProject(project, staging.path(), progress, from, to, error)) {
        return false;
    }
    // The new route must be on the device before it takes the old one's place.
    std::u16string reason;
    const ProgramTexts& own = ProgramTextTable();
    if (!device.Flush(reason)) {
        error = FolderError(own.ErrWriteFolderToDeviceFmt, staging.path(), reason);
        return false;
    }
    if (!SwapIn(staging.path(), target, work / kOldRoutes / name, error)) {
        return false;
    }
    staging.Placed();
    if (!device.Flush(reason)) {
        error = FolderError(own.ErrWriteFolderToDeviceFmt, target, reason);
        return false;
    }
    return true;
}

}  // namespace wl
