#pragma once
// Fake mount tables, by-label folders and probes for the detection tests.

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "app/instrument_detection.h"
#include "app/volume_labels.h"

namespace wl::test {

// One mountinfo line; `mountPoint` and `source` are written as given, so callers pass escapes.
inline std::string MountInfoLine(int id, const std::string& mountPoint, const std::string& source,
                                 const std::string& type = "ext4") {
    return std::to_string(id) + " 1 8:" + std::to_string(id) + " / " + mountPoint +
           " rw,relatime shared:" + std::to_string(id) + " - " + type + " " + source + " rw\n";
}

// A by-label link named `escapedLabel` pointing at `target` (for example "../../sdb1").
inline void AddLabelLink(const std::filesystem::path& folder, const std::string& escapedLabel,
                         const std::string& target) {
    std::filesystem::create_directories(folder);
    std::filesystem::create_symlink(target, folder / escapedLabel);
}

class FakeLabelProbe : public ILabelProbe {
  public:
    std::optional<std::string> ProbeLabel(const std::string& device) override {
        probed.push_back(device);
        const auto found = labels.find(device);
        if (found == labels.end()) {
            return std::nullopt;
        }
        return found->second;
    }
    std::map<std::string, std::string> labels;
    std::vector<std::string> probed;
};

class FakeSerialProbe : public ISerialLink {
  public:
    bool IsConnected() override {
        ++calls;
        return connected;
    }
    void Disconnect() override {
        ++disconnects;
        connected = false;
    }
    std::optional<ConverterRefusal> Refusal() const override { return refusal; }
    bool connected = false;
    std::optional<ConverterRefusal> refusal;
    int calls = 0;
    int disconnects = 0;
};

class FakeDriveLister : public IDriveLister {
  public:
    bool ListDrives(std::vector<DriveInfo>& list) override {
        ++calls;
        list = drives;
        return true;
    }
    std::vector<DriveInfo> drives;
    int calls = 0;
};

}  // namespace wl::test
