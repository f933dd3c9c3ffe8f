#include <blkid/blkid.h>

#include "app/volume_labels.h"

namespace wl {

std::optional<std::string> BlkidLabelProbe::ProbeLabel(const std::string& device) {
    blkid_probe probe = blkid_new_probe_from_filename(device.c_str());
    if (probe == nullptr) {
        return std::nullopt;
    }
    // Only the superblock's label is wanted; partition tables need not be walked.
    blkid_probe_enable_superblocks(probe, 1);
    blkid_probe_set_superblocks_flags(probe, BLKID_SUBLKS_LABEL);
    blkid_probe_enable_partitions(probe, 0);
    std::optional<std::string> label;
    if (blkid_do_safeprobe(probe) == 0) {
        const char* value = nullptr;
        size_t length = 0;
        if (blkid_probe_lookup_value(probe, "LABEL", &value, &length) == 0 && value != nullptr) {
            label = std::string(value);
        }
    }
    blkid_free_probe(probe);
    return label;
}

}  // namespace wl
