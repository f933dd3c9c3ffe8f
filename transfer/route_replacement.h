#pragma once
// Storing a route on an analyzer without ever losing the one it replaces. The new route is
// unpacked into a work folder beside the route folder and, once it is complete and on the
// device, swapped in by two renames; the old route waits in the work folder until the new one
// stands in its place. The work folder lies outside the folders the analyzer keeps its routes
// and data in, so it never meets an analyzer's folder and is never offered for download, and
// its copies keep the route's own name, so any name that fits as a folder can be uploaded.

#include <filesystem>
#include <string>

#include "common/info_wnd.h"
#include "container/container_file.h"

namespace wl {

// ".wayload-upload" beside the route folder, holding "new" (routes being unpacked) and "old"
// (routes being replaced), each under the route's own name.
std::filesystem::path RouteWorkFolder(const std::filesystem::path& routeFolder);

// What to do with an old route left in the work folder whose own folder is missing.
enum class MissingRoute {
    kRestore,  // give it its old content back: an upload was interrupted between the renames
    kKeep,     // leave it where a message has just said it is kept
};

// Puts right what an interrupted or failed upload left in the work folder: routes being unpacked
// are removed, an old route goes back to its folder when that is missing (or stays, as `missing`
// says) and is removed when its folder stands, and the work folder goes once it is empty. Best
// effort: what cannot be done now is done by the next upload or download.
void TidyRouteWork(const std::filesystem::path& routeFolder, MissingRoute missing);

// Stores `project` as the route folder `name` below `routeFolder`. True once the new route stands
// in its place and is on the device. False with `error` otherwise; the old route then still
// stands, unless `error` says where it is kept. Errors of reading the container or writing a
// file raise FileError, with the old route in place.
bool StoreRoute(BDL::ContainerFile& container, const BDL::Project& project,
                const std::filesystem::path& routeFolder, const std::filesystem::path& name,
                I_InfoWnd* progress, double from, double to, std::u16string& error);

}  // namespace wl
