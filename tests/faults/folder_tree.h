#pragma once
// Folder trees as data: every folder and file below a root as its relative path and content, so
// that a fixture is written from one value and what a run left is compared with another.

#include <filesystem>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

namespace wl::faults {

// Sorted by path; a folder's content is kFolder, anything neither file nor folder reads as
// "<link to TARGET>" or "<other>".
using Tree = std::vector<std::pair<std::string, std::string>>;

inline const std::string kFolder = "<dir>";

// The tree with every folder on the way to an entry listed, sorted, without repeats.
Tree Complete(Tree tree);
// The tree moved below `prefix` ("TKBRoute/R1"), the prefix's own folders included.
Tree Below(const std::string& prefix, const Tree& tree);
Tree Merged(std::initializer_list<Tree> trees);
// The tree without `prefix` and everything below it.
Tree Without(const Tree& tree, const std::string& prefix);
// The part of the tree below `prefix`, relative to it; nothing when `prefix` is not a folder.
Tree Part(const Tree& tree, const std::string& prefix);

void WriteTree(const std::filesystem::path& root, const Tree& tree);
// What is below `root` now; an empty tree when there is no such folder.
Tree ReadTree(const std::filesystem::path& root);

// How `actual` differs from `expected`, in a few readable lines: missing, extra, different.
std::string Difference(const Tree& expected, const Tree& actual);

}  // namespace wl::faults
