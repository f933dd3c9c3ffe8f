#include <unistd.h>

#include <system_error>

#include "app/volume_labels.h"

namespace wl {

namespace {

int HexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

std::optional<std::string> ReadLinkTarget(const std::filesystem::path& link) {
    std::string target(256, '\0');
    for (;;) {
        const ssize_t length = ::readlink(link.c_str(), target.data(), target.size());
        if (length < 0) {
            return std::nullopt;
        }
        if (static_cast<size_t>(length) < target.size()) {
            target.resize(static_cast<size_t>(length));
            return target;
        }
        target.resize(target.size() * 2);
    }
}

}  // namespace

std::string DecodeUdevEscapes(std::string_view name) {
    std::string decoded;
    decoded.reserve(name.size());
    for (size_t i = 0; i < name.size(); ++i) {
        if (name[i] == '\\' && i + 3 < name.size() && name[i + 1] == 'x' &&
            HexValue(name[i + 2]) >= 0 && HexValue(name[i + 3]) >= 0) {
            decoded.push_back(
                static_cast<char>(HexValue(name[i + 2]) * 16 + HexValue(name[i + 3])));
            i += 3;
        } else {
            decoded.push_back(name[i]);
        }
    }
    return decoded;
}

std::map<std::string, std::string> ReadLabelsByDevice(const std::filesystem::path& byLabelFolder) {
    std::map<std::string, std::string> labels;
    std::error_code error;
    std::filesystem::directory_iterator links(byLabelFolder, error);
    if (error) {
        return labels;
    }
    for (const auto& entry : links) {
        const std::optional<std::string> target = ReadLinkTarget(entry.path());
        if (!target) {
            continue;
        }
        const std::filesystem::path device = (byLabelFolder / *target).lexically_normal();
        labels[device.string()] = DecodeUdevEscapes(entry.path().filename().string());
    }
    return labels;
}

}  // namespace wl
