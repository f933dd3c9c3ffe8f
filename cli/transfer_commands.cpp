// download and upload: the window's four transfer sequences, run for the instrument one
// detection pass finds (or the one the command line names), talking through the terminal.

#include <cstdio>

#include <memory>

#include "app/demo_instruments.h"
#include "app/instrument_detection.h"
#include "app/system_instruments.h"
#include "cli/cli_output.h"
#include "cli/commands.h"
#include "cli/terminal_ui.h"
#include "common/utf16.h"
#include "fs/file_ops.h"
#include "sim/demo_analyzer.h"
#include "transfer/analyzer_download.h"
#include "transfer/analyzer_upload.h"
#include "transfer/serial_download.h"
#include "transfer/serial_upload.h"
#include "transfer/transfer_sequences.h"

namespace wl::cli {
namespace {

namespace fs = std::filesystem;

enum class Direction { kDownload, kUpload };

// The machine's instruments, or with --demo the simulated analyzer (or serial instrument).
std::unique_ptr<IInstrumentSources> MakeInstruments(const SerialSettings& settings,
                                                    const TransferOptions& options) {
    if (!options.demo) {
        return std::make_unique<SystemInstruments>(settings);
    }
    return std::make_unique<DemoInstruments>(
        options.serialOnly ? DemoInstrument::kSerial : DemoInstrument::kAnalyzer, DemoDataFolder());
}

// The instrument this run works with; nothing when none is connected.
std::optional<DetectedInstrument> FindInstrument(const TransferOptions& options,
                                                 IInstrumentSources& system) {
    DetectedInstrument found;
    if (options.analyzerRoot) {
        found.kind = options.analyzerKind;
        found.drivePath = AnalyzerDrivePath(options.analyzerKind, *options.analyzerRoot);
        return found;
    }
    if (options.serialOnly) {
        if (!system.serial().IsConnected()) {
            return std::nullopt;
        }
        found.kind = kInstrumentSerial;
        return found;
    }
    // One pass, as the window's tick makes it: the serial link first, then the drives.
    if (!DetectInstrument(system.serial(), system.drives(), found)) {
        return std::nullopt;
    }
    return found;
}

TransferOutcome RunSequence(Direction direction, TerminalUi& ui, IInstrumentSources& system,
                            const DetectedInstrument& instrument) {
    if (instrument.kind != kInstrumentSerial) {
        return direction == Direction::kDownload ? DownloadFromAnalyzer(ui, instrument)
                                                 : UploadToAnalyzer(ui, instrument);
    }
    return direction == Direction::kDownload
               ? DownloadFromSerialInstrument(ui, system.instrument(), GetTempFolderPath())
               : UploadToSerialInstrument(ui, system.instrument(), GetTempFolderPath());
}

// The one line on stderr for an ending the transfer did not explain there itself.
const char* EndingText(TransferOutcome outcome) {
    switch (outcome) {
        case TransferOutcome::kCancelled:
            return "cancelled";
        case TransferOutcome::kRefused:
            return "not every route was stored";
        case TransferOutcome::kFailed:
        case TransferOutcome::kDone:
            break;
    }
    return "failed";
}

int RunTransfer(Direction direction, const SerialSettings& settings, const TransferOptions& options,
                const fs::path& file) {
    const char* command = direction == Direction::kDownload ? "download" : "upload";
    if (options.analyzerRoot && !fs::is_directory(*options.analyzerRoot)) {
        ReportFailure(*options.analyzerRoot, "is not a folder");
        return kExitFailure;
    }
    const std::unique_ptr<IInstrumentSources> sources = MakeInstruments(settings, options);
    IInstrumentSources& system = *sources;
    const std::optional<DetectedInstrument> instrument = FindInstrument(options, system);
    if (!instrument) {
        std::fprintf(stderr, "no instrument connected\n");
        return kExitFailure;
    }

    TerminalUiOptions uiOptions;
    uiOptions.file = file;
    uiOptions.questions = options.questions;
    if (options.select) {
        if (instrument->kind == kInstrumentSerial) {
            ReportFailure("--select", "ignored: the serial instrument offers no selection");
        }
        uiOptions.select.emplace();
        for (const std::string& name : *options.select) {
            uiOptions.select->push_back(PathToUtf16(fs::path(name)));
        }
    }
    uiOptions.progressLabel =
        (direction == Direction::kDownload ? "Downloading " : "Uploading ") + file.string();
    TerminalUi ui(std::move(uiOptions));

    const TransferOutcome outcome =
        RunWithinMemory(ui, [&] { return RunSequence(direction, ui, system, *instrument); });
    if (outcome == TransferOutcome::kDone) {
        return kExitSuccess;
    }
    if (!ui.failureTold()) {
        std::fflush(stdout);
        std::fprintf(stderr, "wayload-cli: %s: %s\n", command, EndingText(outcome));
    }
    return kExitFailure;
}

}  // namespace

int RunDownload(const SerialSettings& settings, const TransferOptions& options,
                const fs::path& out) {
    return RunTransfer(Direction::kDownload, settings, options, out);
}

int RunUpload(const SerialSettings& settings, const TransferOptions& options, const fs::path& in) {
    return RunTransfer(Direction::kUpload, settings, options, in);
}

}  // namespace wl::cli
