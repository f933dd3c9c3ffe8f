#pragma once
// Item names are the path below the packed folder with a backslash before every component. They
// become paths on disk only here, after each component was checked to be one plain name.

#include <filesystem>
#include <optional>
#include <string>

namespace wl {

// "sub/a.dat" (relative to the packed folder) to "\sub\a.dat"; nullopt when a component holds a
// backslash or bytes that are not UTF-8, which could not be stored faithfully.
std::optional<std::u16string> ItemNameFromRelativePath(const std::filesystem::path& relative);

// "\sub\a.dat" to "sub/a.dat"; nullopt unless every component is one plain name: no "." or "..",
// no empty component, no '/' or NUL, nothing that is not exact UTF-16.
std::optional<std::filesystem::path> RelativePathFromItemName(const std::u16string& name);

}  // namespace wl
