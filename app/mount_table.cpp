#include "app/mount_table.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>

namespace wl {

namespace {

bool IsOctalDigit(char c) {
    return c >= '0' && c <= '7';
}

std::vector<std::string_view> SplitFields(std::string_view line) {
    std::vector<std::string_view> fields;
    size_t start = 0;
    while (start < line.size()) {
        size_t end = line.find(' ', start);
        if (end == std::string_view::npos) {
            end = line.size();
        }
        if (end > start) {
            fields.push_back(line.substr(start, end - start));
        }
        start = end + 1;
    }
    return fields;
}

}  // namespace

std::string DecodeMountEscapes(std::string_view field) {
    std::string decoded;
    decoded.reserve(field.size());
    for (size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size() && IsOctalDigit(field[i + 1]) &&
            IsOctalDigit(field[i + 2]) && IsOctalDigit(field[i + 3])) {
            int value = (field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 + (field[i + 3] - '0');
            decoded.push_back(static_cast<char>(value & 0xFF));
            i += 3;
        } else {
            decoded.push_back(field[i]);
        }
    }
    return decoded;
}

std::vector<MountEntry> ParseMountTable(std::string_view mountinfoText) {
    // Keyed by mount point so a later mount over the same point replaces the hidden one.
    std::map<std::string, std::string> sourceByMountPoint;
    size_t start = 0;
    while (start < mountinfoText.size()) {
        size_t end = mountinfoText.find('\n', start);
        if (end == std::string_view::npos) {
            end = mountinfoText.size();
        }
        const std::vector<std::string_view> fields =
            SplitFields(mountinfoText.substr(start, end - start));
        start = end + 1;
        // id, parent, major:minor, root, mount point, options, optional fields..., "-", type,
        // source, super options.
        if (fields.size() < 9) {
            continue;
        }
        const auto separator = std::find(fields.begin() + 6, fields.end(), std::string_view("-"));
        if (std::distance(separator, fields.end()) < 3) {
            continue;
        }
        std::string mountPoint = DecodeMountEscapes(fields[4]);
        if (mountPoint.empty() || mountPoint.front() != '/') {
            continue;
        }
        sourceByMountPoint[std::move(mountPoint)] = DecodeMountEscapes(*(separator + 2));
    }
    std::vector<MountEntry> mounts;
    mounts.reserve(sourceByMountPoint.size());
    for (auto& [mountPoint, source] : sourceByMountPoint) {
        mounts.push_back({mountPoint, source});
    }
    return mounts;
}

bool ReadMountInfoText(const std::filesystem::path& mountinfo, std::string& text) {
    std::ifstream in(mountinfo, std::ios::binary);
    if (!in) {
        return false;
    }
    std::ostringstream content;
    content << in.rdbuf();
    text = std::move(content).str();
    return true;
}

}  // namespace wl
