#pragma once
// Item names are the path below the packed folder with a backslash before every component. They
// become paths on disk only here, after each component was checked to be one plain name.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace wl {

// Why a name (of a file, a folder or a project) would not come back from the table of contents
// as it went in: the table's reader drops line feeds and reads the escape texts as "<" and ">".
// Empty when it comes back whole.
std::u16string NameStorageFlaw(std::u16string_view name);

// Why a text cannot name a project: it must be one plain folder name that the table of contents
// keeps whole, since unpacking makes a folder of that name. Empty when it can.
std::u16string ProjectNameFlaw(std::u16string_view name);

// "sub/a.dat" (relative to the packed folder) to "\sub\a.dat"; nullopt, with the reason, when a
// component could not be stored faithfully: a backslash (the stored separator), bytes that are
// not UTF-8, or a flaw of NameStorageFlaw.
std::optional<std::u16string> ItemNameFromRelativePath(const std::filesystem::path& relative,
                                                       std::u16string& reason);

// "\sub\a.dat" to "sub/a.dat"; nullopt unless every component is one plain name: no "." or "..",
// no empty component, no '/' or NUL, nothing that is not exact UTF-16.
std::optional<std::filesystem::path> RelativePathFromItemName(const std::u16string& name);

}  // namespace wl
