#include "tests/support/temp_folder.h"

#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <random>
#include <stdexcept>

namespace wl::test {

TempFolder::TempFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "wayload-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("mkdtemp failed");
    }
    path_ = pattern;
}

TempFolder::~TempFolder() {
    std::error_code ignored;
    std::filesystem::permissions(path_, std::filesystem::perms::all,
                                 std::filesystem::perm_options::add, ignored);
    std::filesystem::remove_all(path_, ignored);
}

void WriteFile(const std::filesystem::path& path, std::string_view bytes) {
    if (path.has_parent_path()) {
        std::filesystem::create_directories(path.parent_path());
    }
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) {
        throw std::runtime_error("cannot write " + path.string());
    }
}

std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw std::runtime_error("cannot read " + path.string());
    }
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::string CompressibleBytes(size_t size, uint32_t seed) {
    static constexpr std::string_view kWords[] = {"route ", "point ",   "vibration ", "12.5 ",
                                                  "mm/s ",  "bearing ", "\r\n",       "0.031 "};
    std::mt19937 random(seed);
    std::string bytes;
    bytes.reserve(size + 16);
    while (bytes.size() < size) {
        bytes.append(kWords[random() % std::size(kWords)]);
    }
    bytes.resize(size);
    return bytes;
}

std::string Utf16Le(std::u16string_view text) {
    std::string bytes;
    for (char16_t unit : text) {
        bytes.push_back(static_cast<char>(unit & 0xFF));
        bytes.push_back(static_cast<char>(unit >> 8));
    }
    return bytes;
}

std::string RandomBytes(size_t size, uint32_t seed) {
    std::mt19937 random(seed);
    std::string bytes(size, '\0');
    for (char& byte : bytes) {
        byte = static_cast<char>(random());
    }
    return bytes;
}

std::vector<std::pair<std::string, std::string>> TreeSnapshot(const std::filesystem::path& root) {
    std::vector<std::pair<std::string, std::string>> tree;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
        const std::string relative = entry.path().lexically_relative(root).string();
        if (entry.is_directory()) {
            tree.emplace_back(relative, "<dir>");
        } else {
            tree.emplace_back(relative, ReadFile(entry.path()));
        }
    }
    std::sort(tree.begin(), tree.end());
    return tree;
}

}  // namespace wl::test
