#pragma once
// The commands of wayload-cli. Each answers the process's exit code: 0 on success, 1 on failure
// (after one line on stderr).

#include <filesystem>
#include <optional>
#include <vector>

#include "instrument/driver_choice.h"

namespace wl::cli {

inline constexpr int kExitSuccess = 0;
inline constexpr int kExitFailure = 1;

int RunPack(const std::filesystem::path& out, const std::vector<std::filesystem::path>& folders,
            int type);
int RunList(const std::filesystem::path& file, bool json);
int RunExtract(const std::filesystem::path& file, const std::filesystem::path& destination,
               std::optional<int> type);
int RunVerify(const std::filesystem::path& file);
// One detection pass; exit 0 when an instrument was found, 1 when none.
int RunDetect(const SerialSettings& settings);

}  // namespace wl::cli
