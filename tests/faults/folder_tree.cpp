#include "tests/faults/folder_tree.h"

#include <algorithm>
#include <map>
#include <system_error>

#include "tests/support/temp_folder.h"

namespace wl::faults {

namespace fs = std::filesystem;

namespace {

// A content shown briefly: short texts as they are, others by size.
std::string Brief(const std::string& content) {
    const bool printable =
        std::all_of(content.begin(), content.end(), [](char c) { return c >= 0x20 && c < 0x7F; });
    if (printable && content.size() <= 40) {
        return "\"" + content + "\"";
    }
    return std::to_string(content.size()) + " bytes";
}

}  // namespace

Tree Complete(Tree tree) {
    const size_t given = tree.size();
    for (size_t i = 0; i < given; ++i) {
        for (fs::path folder = fs::path(tree[i].first).parent_path(); !folder.empty();
             folder = folder.parent_path()) {
            tree.emplace_back(folder.generic_string(), kFolder);
        }
    }
    std::sort(tree.begin(), tree.end());
    tree.erase(std::unique(tree.begin(), tree.end()), tree.end());
    return tree;
}

Tree Below(const std::string& prefix, const Tree& tree) {
    Tree moved = {{prefix, kFolder}};
    for (const auto& [path, content] : tree) {
        moved.emplace_back(prefix + "/" + path, content);
    }
    return Complete(std::move(moved));
}

Tree Merged(std::initializer_list<Tree> trees) {
    Tree all;
    for (const Tree& tree : trees) {
        all.insert(all.end(), tree.begin(), tree.end());
    }
    return Complete(std::move(all));
}

Tree Without(const Tree& tree, const std::string& prefix) {
    Tree kept;
    for (const auto& entry : tree) {
        if (entry.first != prefix && !entry.first.starts_with(prefix + "/")) {
            kept.push_back(entry);
        }
    }
    return kept;
}

Tree Part(const Tree& tree, const std::string& prefix) {
    Tree part;
    for (const auto& [path, content] : tree) {
        if (path.starts_with(prefix + "/")) {
            part.emplace_back(path.substr(prefix.size() + 1), content);
        }
    }
    return part;
}

void WriteTree(const fs::path& root, const Tree& tree) {
    fs::create_directories(root);
    for (const auto& [path, content] : tree) {
        if (content == kFolder) {
            fs::create_directories(root / path);
        } else {
            test::WriteFile(root / path, content);
        }
    }
}

Tree ReadTree(const fs::path& root) {
    Tree tree;
    std::error_code error;
    if (!fs::is_directory(fs::symlink_status(root, error))) {
        return tree;
    }
    for (auto it = fs::recursive_directory_iterator(root, error);
         !error && it != fs::recursive_directory_iterator(); it.increment(error)) {
        const std::string relative = it->path().lexically_relative(root).generic_string();
        const fs::file_status status = it->symlink_status(error);
        if (fs::is_symlink(status)) {
            tree.emplace_back(relative,
                              "<link to " + fs::read_symlink(it->path(), error).string() + ">");
        } else if (fs::is_directory(status)) {
            tree.emplace_back(relative, kFolder);
        } else if (fs::is_regular_file(status)) {
            tree.emplace_back(relative, test::ReadFile(it->path()));
        } else {
            tree.emplace_back(relative, "<other>");
        }
    }
    std::sort(tree.begin(), tree.end());
    return tree;
}

std::string Difference(const Tree& expected, const Tree& actual) {
    const std::map<std::string, std::string> wanted(expected.begin(), expected.end());
    const std::map<std::string, std::string> found(actual.begin(), actual.end());
    std::vector<std::string> lines;
    for (const auto& [path, content] : wanted) {
        const auto at = found.find(path);
        if (at == found.end()) {
            lines.push_back("missing " + path);
        } else if (at->second != content) {
            lines.push_back("different " + path + ": " + Brief(at->second) + " instead of " +
                            Brief(content));
        }
    }
    for (const auto& [path, content] : found) {
        if (!wanted.contains(path)) {
            lines.push_back("extra " + path + (content == kFolder ? "/" : ""));
        }
    }
    constexpr size_t kShown = 6;
    std::string text;
    for (size_t i = 0; i < lines.size() && i < kShown; ++i) {
        text += (i == 0 ? "" : "; ") + lines[i];
    }
    if (lines.size() > kShown) {
        text += "; and " + std::to_string(lines.size() - kShown) + " more";
    }
    return text;
}

}  // namespace wl::faults
