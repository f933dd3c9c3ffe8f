#pragma once
// The commands of wayload-cli. Each answers the process's exit code: 0 on success, 1 on failure
// (after one line on stderr).

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "cli/terminal_ui.h"
#include "common/instrument_kind.h"
#include "instrument/driver_choice.h"

namespace wl::cli {

inline constexpr int kExitSuccess = 0;
inline constexpr int kExitFailure = 1;
// detect: a converter is there but cannot be opened (no permission, or another program holds it).
inline constexpr int kExitConverterRefused = 3;

int RunPack(const std::filesystem::path& out, const std::vector<std::filesystem::path>& folders,
            int type);
int RunList(const std::filesystem::path& file, bool json);
int RunExtract(const std::filesystem::path& file, const std::filesystem::path& destination,
               std::optional<int> type);
int RunVerify(const std::filesystem::path& file);
// One detection pass; exit 0 when an instrument was found, 1 when none.
int RunDetect(const SerialSettings& settings);

// How download and upload find their instrument and answer the transfer's questions.
struct TransferOptions {
    // An analyzer's drive root taken instead of detection, and the analyzer's kind.
    std::optional<std::filesystem::path> analyzerRoot;
    int32_t analyzerKind = kInstrumentAnalyzerTKB;
    // Only the serial instrument is looked for, not the drives.
    bool serialOnly = false;
    // The demo's simulated instruments instead of the machine's.
    bool demo = false;
    QuestionPolicy questions = QuestionPolicy::kAsk;
    // The folder names the route selection ticks; nothing keeps its own ticks.
    std::optional<std::vector<std::string>> select;
};

// The window's transfer sequences for the instrument found: exit 0 when the transfer was done,
// 1 when it failed, was refused or cancelled, or no instrument is connected.
int RunDownload(const SerialSettings& settings, const TransferOptions& options,
                const std::filesystem::path& out);
int RunUpload(const SerialSettings& settings, const TransferOptions& options,
              const std::filesystem::path& in);

}  // namespace wl::cli
