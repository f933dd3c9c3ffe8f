// The serial download and upload, run in process against the simulated instrument on a virtual
// clock (on real time each would take seconds), through a scripted user, with the shim linked
// into this program and armed around the transfer only.

#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <mutex>
#include <thread>

#include "common/utf16.h"
#include "tests/faults/fault_checks.h"
#include "tests/faults/fault_fixtures.h"
#include "tests/faults/fault_shim.h"
#include "tests/faults/operations.h"
#include "tests/faults/program_runner.h"
#include "tests/sim/sim_bench.h"
#include "tests/support/temp_folder.h"
#include "tests/transfer/fake_ui.h"
#include "transfer/serial_download.h"
#include "transfer/serial_upload.h"

namespace wl::faults {

namespace fs = std::filesystem;

namespace {

// A transfer in process cannot be killed: one that has not ended in time ends the test program,
// saying which run hung.
class Watchdog {
  public:
    Watchdog(std::string run, unsigned seconds)
        : run_(std::move(run)), thread_([this, seconds] { Watch(seconds); }) {}
    Watchdog(const Watchdog&) = delete;
    Watchdog& operator=(const Watchdog&) = delete;
    ~Watchdog() {
        {
            std::lock_guard lock(mutex_);
            ended_ = true;
        }
        wakeUp_.notify_one();
        thread_.join();
    }

  private:
    void Watch(unsigned seconds) {
        std::unique_lock lock(mutex_);
        if (!wakeUp_.wait_for(lock, std::chrono::seconds(seconds), [this] { return ended_; })) {
            std::fprintf(stderr, "%s: no end within %u s\n", run_.c_str(), seconds);
            std::_Exit(EXIT_FAILURE);
        }
    }

    std::string run_;
    std::mutex mutex_;
    std::condition_variable wakeUp_;
    bool ended_ = false;
    std::thread thread_;
};

const char* OutcomeName(TransferOutcome outcome) {
    switch (outcome) {
        case TransferOutcome::kDone:
            return "kDone";
        case TransferOutcome::kCancelled:
            return "kCancelled";
        case TransferOutcome::kRefused:
            return "kRefused";
        case TransferOutcome::kFailed:
            return "kFailed";
    }
    return "?";
}

// Runs the transfer with the shim armed; the user's error messages are what it says on failure.
RunResult RunArmed(const std::string& name, const Fault& fault, const test::FakeUi& ui,
                   const std::function<TransferOutcome()>& transfer) {
    RunResult result;
    TransferOutcome outcome;
    {
        const Watchdog watchdog(
            name + ", " + ErrnoName(fault.error) + " at call " + std::to_string(fault.at),
            kRunTimeLimitSeconds);
        if (fault.lasting) {
            wayload_fault_arm_lasting(fault.at, fault.error);
        } else {
            wayload_fault_arm(fault.at, fault.error);
        }
        outcome = transfer();
        result.calls = wayload_fault_disarm();
    }
    char injected[8192];
    if (wayload_fault_injected_call(injected, sizeof injected) != 0) {
        result.injectedCall = injected;
    }
    result.succeeded = outcome == TransferOutcome::kDone;
    result.ending = OutcomeName(outcome);
    for (const test::FakeUi::Shown& shown : ui.shown) {
        std::string& text =
            shown.message.icon == MessageIcon::kError ? result.errorText : result.otherText;
        text += Utf16ToUtf8(shown.message.text) + "\n";
    }
    // Where the window ends without a message, a script is told why all the same.
    for (const std::u16string& reason : ui.silentFailures) {
        result.errorText += Utf16ToUtf8(reason) + "\n";
    }
    return result;
}

// Model code 1, a "Pellix S".
SimulatedInstrumentConfig Pellix() {
    SimulatedInstrumentConfig config;
    config.usbDescription = "T7300-IV";
    config.versionText = "V2.10";
    return config;
}

class SerialDownload : public Operation {
  public:
    explicit SerialDownload(const fs::path& reference)
        : earlier_(PackedContainer(reference / "earlier", {{u"Old", 1, OtherRouteTree()}})) {}

    std::string Name() const override { return "serial download"; }

    void LayOut(const fs::path& fixture) const override {
        test::WriteFile(fixture / "pc" / "day.rvx", earlier_);
        fs::create_directories(fixture / "tmp");
    }

    RunResult Run(const fs::path& fixture, const fs::path&, const Fault& fault) const override {
        SimulatedInstrumentConfig config = Pellix();
        config.routeBlock = route_;
        config.dataBlock = data_;
        test::SimBench bench(config);
        test::FakeUi ui;
        ui.files = {fixture / "pc" / "day.rvx"};
        return RunArmed(Name(), fault, ui, [&] {
            return DownloadFromSerialInstrument(ui, bench.pc, fixture / "tmp");
        });
    }

    void Check(const fs::path& fixture, const fs::path& scratch, const RunResult& result,
               Problems& problems) const override {
        CheckExportTarget(fixture / "pc" / "day.rvx", earlier_,
                          {{1, "Route", Complete({{"data.bdl", data_}, {"route.bdl", route_}})}},
                          result, scratch, problems);
    }

  private:
    std::string earlier_;
    std::string route_ = test::PatternBytes(5000, 1);
    std::string data_ = test::CompressibleBytes(30000, 2);
};

class SerialUpload : public Operation {
  public:
    explicit SerialUpload(const fs::path& reference)
        : routeFile_(PackedContainer(reference / "upload",
                                     {{u"R1", 1, Complete({{"route.bdl", route_}})}})) {}

    std::string Name() const override { return "serial upload"; }

    void LayOut(const fs::path& fixture) const override {
        test::WriteFile(fixture / "pc" / "in.rvi", routeFile_);
        fs::create_directories(fixture / "tmp");
    }

    // What the instrument got is known only while it exists: it is judged here.
    RunResult Run(const fs::path& fixture, const fs::path&, const Fault& fault) const override {
        test::SimBench bench(Pellix());
        test::FakeUi ui;
        ui.files = {fixture / "pc" / "in.rvi"};
        ui.answers = {MessageAnswer::kYes};
        RunResult result = RunArmed(Name(), fault, ui, [&] {
            return UploadToSerialInstrument(ui, bench.pc, fixture / "tmp");
        });
        const SimulatedInstrument& instrument = bench.instrument;
        if (result.succeeded &&
            (!instrument.uploadComplete() || instrument.receivedRouteBlock() != route_)) {
            result.observed.push_back(
                {"the instrument did not get the route as packed",
                 std::to_string(instrument.receivedRouteBlock().size()) + " bytes received"});
        }
        if (!result.succeeded && instrument.routesErased()) {
            result.observed.push_back({"the instrument was erased but got no route", ""});
        }
        return result;
    }

    void Check(const fs::path& fixture, const fs::path&, const RunResult&,
               Problems& problems) const override {
        CheckFileBytes(fixture / "pc" / "in.rvi", routeFile_, "the route file read was changed",
                       problems);
    }

  private:
    std::string route_ = test::PatternBytes(10000, 3);
    std::string routeFile_;
};

}  // namespace

std::unique_ptr<Operation> MakeSerialDownload(const fs::path& reference) {
    return std::make_unique<SerialDownload>(reference);
}

std::unique_ptr<Operation> MakeSerialUpload(const fs::path& reference) {
    return std::make_unique<SerialUpload>(reference);
}

}  // namespace wl::faults
