// The whole serial path on real time: the instrument protocol over the kernel tty driver, on a
// pseudo-terminal, against wayload-instrument-sim in its own process.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>

#include "instrument/t7300_instrument.h"
#include "instrument/tty_driver.h"
#include "tests/support/sim_process.h"
#include "tests/support/temp_folder.h"

namespace wl {
namespace {

namespace fs = std::filesystem;
using test::SimProcess;

std::string Pattern(size_t size, unsigned seed) {
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<char>((i * 31 + seed) % 256);
    }
    return bytes;
}

std::vector<uint8_t> Bytes(const std::string& text) {
    return {text.begin(), text.end()};
}

class PtyEndToEnd : public ::testing::Test {
  protected:
    test::TempFolder temp;
    DiscardingTrace trace;
};

TEST_F(PtyEndToEnd, HandShakeDownloadAndUpload) {
    const std::string route = Pattern(5000, 1);
    const std::string data = Pattern(70000, 2);
    test::WriteFile(temp / "route.bdl", route);
    test::WriteFile(temp / "data.bdl", data);
    SimProcess sim({"--description", "T7300-IV", "--version-text", "V4.2 ML", "--route",
                    (temp / "route.bdl").string(), "--data", (temp / "data.bdl").string(),
                    "--received", (temp / "received.bdl").string()});
    ASSERT_FALSE(sim.port().empty());

    TtyDriver driver("/sys", fs::path(sim.port()));
    CT7300Instrument instrument(driver, ProgramClock(), trace);
    ASSERT_TRUE(instrument.IsConnected());
    ASSERT_TRUE(instrument.Connect(nullptr));
    EXPECT_EQ(instrument.ModelCode(), 5);  // a T7300-IV whose version says "ML"

    std::vector<uint8_t> gotRoute;
    std::vector<uint8_t> gotData;
    ASSERT_TRUE(instrument.DownloadData(gotRoute, gotData, nullptr, 30, 70));
    EXPECT_TRUE(gotRoute == Bytes(route));
    EXPECT_TRUE(gotData == Bytes(data));

    const std::string upload = Pattern(10000, 3);
    ASSERT_TRUE(instrument.UploadRoutes(reinterpret_cast<const uint8_t*>(upload.data()),
                                        static_cast<uint32_t>(upload.size()), nullptr, 0, 100));
    EXPECT_TRUE(instrument.Disconnect());
    // The simulator writes what it received once the upload is complete.
    for (int i = 0; i < 50 && !fs::exists(temp / "received.bdl"); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    EXPECT_TRUE(test::ReadFile(temp / "received.bdl") == upload);
}

TEST_F(PtyEndToEnd, InjectedFaultsFailTheTransfer) {
    test::WriteFile(temp / "data.bdl", Pattern(3000, 4));
    struct Case {
        const char* what;
        std::vector<std::string> args;
        bool download;  // else upload
    };
    const Case cases[] = {
        {"silence within a block", {"--silence-after", "100"}, true},
        {"missing acknowledgement", {"--missing-ack", "1", "--piece-size", "100"}, false},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args = {"--data", (temp / "data.bdl").string()};
        args.insert(args.end(), c.args.begin(), c.args.end());
        SimProcess sim(args);
        ASSERT_FALSE(sim.port().empty());
        TtyDriver driver("/sys", fs::path(sim.port()));
        CT7300Instrument instrument(driver, ProgramClock(), trace);
        ASSERT_TRUE(instrument.Connect(nullptr)) << c.what;
        if (c.download) {
            std::vector<uint8_t> route;
            std::vector<uint8_t> data;
            EXPECT_FALSE(instrument.DownloadData(route, data, nullptr, 30, 70)) << c.what;
            EXPECT_TRUE(data.empty()) << c.what;
        } else {
            const std::string upload = Pattern(1000, 5);
            EXPECT_FALSE(instrument.UploadRoutes(reinterpret_cast<const uint8_t*>(upload.data()),
                                                 1000, nullptr, 0, 100))
                << c.what;
        }
        instrument.Disconnect();
    }
}

}  // namespace
}  // namespace wl
