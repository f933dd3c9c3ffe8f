// wayload-cli download and upload as a user runs them: the real program against analyzer folders
// and the simulated serial instrument, answering questions by flag or on a terminal.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <optional>
#include <thread>

#include "common/utf16.h"
#include "container/container_file.h"
#include "tests/cli/run_cli.h"
#include "tests/support/sim_process.h"
#include "tests/support/temp_folder.h"

namespace {

namespace fs = std::filesystem;
using wl::test::FolderNames;
using wl::test::Outcome;
using wl::test::ReadFile;
using wl::test::RunCli;
using wl::test::SimProcess;
using wl::test::TempFolder;
using wl::test::Terminals;
using wl::test::TreeSnapshot;
using wl::test::WriteFile;

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// The projects of a container as "type name", in their order.
std::vector<std::string> Projects(const fs::path& file) {
    BDL::ContainerFile container;
    if (!container.Open(file)) {
        return {"cannot be opened"};
    }
    std::vector<std::string> projects;
    for (const auto& project : container.GetProjectList().projects) {
        projects.push_back(std::to_string(project->type) + " " + wl::Utf16ToUtf8(project->name));
    }
    return projects;
}

using Strings = std::vector<std::string>;
using Snapshot = std::vector<std::pair<std::string, std::string>>;

class CliTransferTest : public ::testing::Test {
  protected:
    // A TKB analyzer below `root`: routes R1 and R2, measured data D1.
    static void LayOutAnalyzer(const fs::path& root, const fs::path& routes = "TKBRoute",
                               const fs::path& data = "TKBanalyser") {
        WriteFile(root / routes / "R1" / "a.txt", "alpha");
        WriteFile(root / routes / "R1" / "S" / "F", "0123456789");
        WriteFile(root / routes / "R2" / "b.txt", "beta");
        WriteFile(root / data / "D1" / "data.bin", wl::test::RandomBytes(20000, 1));
    }

    // routes.rdi holding the routes of the analyzer laid out below "source".
    void PackRoutes() {
        ASSERT_EQ(
            RunCli(temp.path(), {"pack", "routes.rdi", "source/TKBRoute/R1", "source/TKBRoute/R2"})
                .exitCode,
            0);
    }

    TempFolder temp;
};

TEST_F(CliTransferTest, DownloadPacksTheSelectedAnalyzerFolders) {
    LayOutAnalyzer(temp / "tkb");
    LayOutAnalyzer(temp / "tka" / "TKA", "route", "analyzer");
    struct Case {
        Strings args;
        std::string written;  // the export file, with the extension the chooser adds
        Strings projects;
    };
    const Case cases[] = {
        {{"--analyzer", "tkb", "--select", "R1", "D1", "out.rdx"}, "out.rdx", {"1 R1", "2 D1"}},
        // By itself the selection ticks the routes.
        {{"--analyzer", "tkb", "day"}, "day.rdx", {"1 R1", "1 R2"}},
        {{"--analyzer", "tka", "--model", "TKA", "--select", "D1", "R1", "a.rdx"},
         "a.rdx",
         {"1 R1", "2 D1"}},
        {{"--analyzer", "tkb", "--model", "TKC", "--select", "D1", "c.rdx"}, "c.rdx", {"2 D1"}},
    };
    for (const Case& c : cases) {
        Strings args = c.args;
        args.insert(args.begin(), "download");
        const Outcome outcome = RunCli(temp.path(), args);
        EXPECT_EQ(outcome.exitCode, 0) << c.written << outcome.err;
        EXPECT_EQ(outcome.out, "Routes saved into '" + c.written + "'\n");
        EXPECT_EQ(outcome.err, "");  // not a terminal: no progress line
        EXPECT_EQ(Projects(temp / c.written), c.projects) << c.written;
    }

    // The folders themselves travel: unpacked again they equal the analyzer's.
    ASSERT_EQ(RunCli(temp.path(), {"extract", "a.rdx", "back"}).exitCode, 0);
    EXPECT_EQ(TreeSnapshot(temp / "back" / "R1"),
              TreeSnapshot(temp / "tka" / "TKA" / "route" / "R1"));
    EXPECT_EQ(TreeSnapshot(temp / "back" / "D1"),
              TreeSnapshot(temp / "tka" / "TKA" / "analyzer" / "D1"));
}

TEST_F(CliTransferTest, UploadStoresTheRoutesInAFreshAnalyzer) {
    LayOutAnalyzer(temp / "source");
    PackRoutes();
    fs::create_directory(temp / "fresh");
    // The chooser adds ".rdi" to a name without an extension.
    const Outcome outcome =
        RunCli(temp.path(), {"upload", "--analyzer", "fresh", "--yes", "routes"});
    EXPECT_EQ(outcome.exitCode, 0) << outcome.err;
    EXPECT_EQ(outcome.out, "Following routes were uploaded into instrument : \nR1\nR2\n");
    EXPECT_EQ(outcome.err, "");
    EXPECT_EQ(FolderNames(temp / "fresh"), Strings{"TKBRoute"});
    EXPECT_EQ(TreeSnapshot(temp / "fresh" / "TKBRoute"),
              TreeSnapshot(temp / "source" / "TKBRoute"));
}

// An existing route is replaced only after a Yes: from --yes or typed on the terminal. Anything
// else, the end of input, or no terminal to ask on keep it, and the upload counts as refused.
TEST_F(CliTransferTest, AnExistingRouteIsReplacedOnlyAfterAYes) {
    LayOutAnalyzer(temp / "source");
    PackRoutes();
    const std::string question = "Overwrite following route 'R1' in instrument? [y/N] ";
    const Snapshot old = {{"old.txt", "old"}};
    struct Case {
        std::string what;
        Strings flags;
        std::optional<std::string> typed;
        bool replaced;
        std::string shownAnswer;  // what follows the question on stdout
    };
    const Case cases[] = {
        {"--yes", {"--yes"}, std::nullopt, true, "y\n"},
        {"--no", {"--no"}, std::nullopt, false, "n\n"},
        {"typed y", {}, "y\n", true, ""},
        {"typed Yes", {}, " Yes \n", true, ""},
        {"typed n", {}, "n\n", false, ""},
        {"typed maybe", {}, "maybe\n", false, ""},
        {"end of input", {}, "\x04", false, "\n"},
        {"no terminal", {}, std::nullopt, false, "n\n"},
    };
    for (const Case& c : cases) {
        fs::remove_all(temp / "analyzer");
        WriteFile(temp / "analyzer" / "TKBRoute" / "R1" / "old.txt", "old");
        Strings args = {"upload", "--analyzer", "analyzer"};
        args.insert(args.end(), c.flags.begin(), c.flags.end());
        args.push_back("routes.rdi");
        const Outcome outcome = RunCli(temp.path(), args, {c.typed, false, std::nullopt});

        EXPECT_EQ(outcome.out.rfind(question + c.shownAnswer, 0), 0u) << c.what << outcome.out;
        EXPECT_EQ(FolderNames(temp / "analyzer" / "TKBRoute"), (Strings{"R1", "R2"})) << c.what;
        EXPECT_EQ(TreeSnapshot(temp / "analyzer" / "TKBRoute" / "R2"),
                  TreeSnapshot(temp / "source" / "TKBRoute" / "R2"))
            << c.what;
        const Snapshot r1 = TreeSnapshot(temp / "analyzer" / "TKBRoute" / "R1");
        if (c.replaced) {
            EXPECT_EQ(outcome.exitCode, 0) << c.what << outcome.err;
            EXPECT_EQ(r1, TreeSnapshot(temp / "source" / "TKBRoute" / "R1")) << c.what;
            EXPECT_EQ(outcome.err, "") << c.what;
        } else {
            EXPECT_EQ(outcome.exitCode, 1) << c.what;
            EXPECT_EQ(r1, old) << c.what;
            EXPECT_TRUE(Contains(outcome.out,
                                 "Following routes were NOT uploaded into instrument : \nR1\n"))
                << c.what << outcome.out;
            EXPECT_TRUE(Contains(outcome.err, "wayload-cli: upload: not every route was stored\n"))
                << c.what << outcome.err;
        }
        EXPECT_EQ(Contains(outcome.err, "no terminal to ask on: answered No"),
                  c.what == "no terminal")
            << c.what << outcome.err;
    }
}

// The save chooser asks before it replaces an earlier export; a No cancels the download.
TEST_F(CliTransferTest, AnEarlierExportIsReplacedOnlyAfterAYes) {
    LayOutAnalyzer(temp / "tkb");
    struct Case {
        Strings flags;
        std::optional<std::string> typed;
        bool replaced;
    };
    const Case cases[] = {
        {{"--no"}, std::nullopt, false},
        {{}, std::nullopt, false},
        {{}, "y\n", true},
    };
    for (const Case& c : cases) {
        WriteFile(temp / "out.rdx", "earlier");
        Strings args = {"download", "--analyzer", "tkb"};
        args.insert(args.end(), c.flags.begin(), c.flags.end());
        args.push_back("out.rdx");
        const Outcome outcome = RunCli(temp.path(), args, {c.typed, false, std::nullopt});
        const std::string question = "'out.rdx' already exists. Replace it? [y/N] ";
        EXPECT_EQ(outcome.out.rfind(question, 0), 0u) << outcome.out;
        if (c.replaced) {
            EXPECT_EQ(outcome.exitCode, 0) << outcome.err;
            EXPECT_EQ(Projects(temp / "out.rdx"), (Strings{"1 R1", "1 R2"}));
        } else {
            EXPECT_EQ(outcome.exitCode, 1);
            EXPECT_EQ(ReadFile(temp / "out.rdx"), "earlier");
            EXPECT_TRUE(Contains(outcome.err, "wayload-cli: download: cancelled\n")) << outcome.err;
        }
    }
}

TEST_F(CliTransferTest, FailuresAreToldOnStderrAndExitOne) {
    LayOutAnalyzer(temp / "tkb");
    fs::create_directory(temp / "empty");
    WriteFile(temp / "plain-file", "x");
    WriteFile(temp / "plain-file.rdi", "x");
    struct Case {
        Strings args;
        std::string told;  // all of stderr
    };
    const Case cases[] = {
        {{"upload", "--analyzer", "tkb", "--yes", "missing"},
         "wayload-cli: missing.rdi: No such file or directory\n"},
        {{"upload", "--analyzer", "tkb", "--yes", "tkb.rdx"},
         "wayload-cli: tkb.rdx: is not a file\n"},
        // Where the window ends without a message, the reason is told all the same.
        {{"upload", "--analyzer", "tkb", "--yes", "plain-file.rdi"},
         "wayload-cli: plain-file.rdi: Not a container file: shorter than its 8-byte trailer\n"},
        {{"download", "--analyzer", "empty", "x.rdx"}, "No routes(s) were selected!!\n"},
        {{"download", "--analyzer", "tkb", "--select", "R1", "Nope", "R3", "x.rdx"},
         "wayload-cli: --select: the instrument has no folder 'Nope', 'R3'\n"},
        {{"download", "--analyzer", "plain-file", "x.rdx"},
         "wayload-cli: plain-file: is not a folder\n"},
        {{"download", "--analyzer", "tkb", "--select", "R1", "tkb"},
         "wayload-cli: tkb.rdx: is a folder\n"},
        {{"--port", (temp / "no-such-port").string(), "--driver", "tty", "--serial", "download",
          "x.rvx"},
         "no instrument connected\n"},
    };
    fs::create_directory(temp / "tkb.rdx");
    const Snapshot before = TreeSnapshot(temp / "tkb");
    for (const Case& c : cases) {
        const Outcome outcome = RunCli(temp.path(), c.args);
        EXPECT_EQ(outcome.exitCode, 1) << c.told;
        EXPECT_EQ(outcome.err, c.told);
        EXPECT_EQ(outcome.out, "");
        EXPECT_FALSE(fs::exists(temp / "x.rdx"));
        EXPECT_EQ(TreeSnapshot(temp / "tkb"), before);
    }

    // Command lines that cannot be read.
    const Strings usage[] = {
        {"--yes", "--no", "upload", "x.rdi"},
        {"--model", "TKA", "upload", "x.rdi"},
        {"--analyzer", "tkb", "--model", "TKZ", "upload", "x.rdi"},
        {"--analyzer", "tkb", "--serial", "upload", "x.rdi"},
    };
    for (const Strings& args : usage) {
        EXPECT_EQ(RunCli(temp.path(), args).exitCode, 2) << args[0] << " " << args[1];
    }
}

TEST_F(CliTransferTest, ProgressLineOnlyOnATerminal) {
    LayOutAnalyzer(temp / "tkb");
    const Outcome shown =
        RunCli(temp.path(), {"download", "--analyzer", "tkb", "--select", "R1", "D1", "out.rdx"},
               {std::nullopt, true, std::nullopt});
    ASSERT_EQ(shown.exitCode, 0) << shown.err;
    EXPECT_EQ(shown.out, "Routes saved into 'out.rdx'\n");
    // One line, redrawn in place, naming the folder being packed; cleared at the end.
    EXPECT_EQ(shown.err.rfind("\r\033[KDownloading out.rdx   0% R1", 0), 0u) << shown.err;
    EXPECT_TRUE(Contains(shown.err, "% D1")) << shown.err;
    EXPECT_EQ(shown.err.find('\n'), std::string::npos) << shown.err;
    EXPECT_EQ(shown.err.substr(shown.err.size() - 4), "\r\033[K");
}

// The command line reaching the simulated instrument on its terminal, followed by `args`.
Strings SerialLine(const SimProcess& sim, const Strings& args) {
    Strings line = {"--port", sim.port(), "--driver", "tty", "--serial"};
    line.insert(line.end(), args.begin(), args.end());
    return line;
}

TEST_F(CliTransferTest, SerialDownloadPacksTheInstrumentsBlocksAsOneRoute) {
    struct Case {
        const char* what;
        std::string route;
        std::string data;
    };
    const Case cases[] = {
        {"both blocks", wl::test::RandomBytes(5000, 2), wl::test::RandomBytes(30000, 3)},
        {"no measured data yet", wl::test::RandomBytes(5000, 2), ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WriteFile(temp / "sim" / "route.bdl", c.route);
        WriteFile(temp / "sim" / "data.bdl", c.data);
        SimProcess sim({"--route", (temp / "sim" / "route.bdl").string(), "--data",
                        (temp / "sim" / "data.bdl").string()});
        ASSERT_FALSE(sim.port().empty());

        fs::remove(temp / "x.rvx");
        const Outcome download = RunCli(temp.path(), SerialLine(sim, {"download", "x"}));
        ASSERT_EQ(download.exitCode, 0) << download.err;
        EXPECT_EQ(download.out, "Routes saved into 'x.rvx'\n");
        EXPECT_EQ(download.err, "");
        EXPECT_EQ(Projects(temp / "x.rvx"), Strings{"1 Route"});
        fs::remove_all(temp / "back");
        ASSERT_EQ(RunCli(temp.path(), {"extract", "x.rvx", "back"}).exitCode, 0);
        EXPECT_TRUE(TreeSnapshot(temp / "back" / "Route") ==
                    (Snapshot{{"data.bdl", c.data}, {"route.bdl", c.route}}));
    }
}

TEST_F(CliTransferTest, SerialUploadSendsTheRouteOnlyAfterTheEraseIsAllowed) {
    const fs::path received = temp / "received.bdl";
    // Erasing answers at once, so the upload does not wait the instrument's erase time.
    SimProcess sim({"--received", received.string(), "--clr-busy-ms", "0", "--cld-busy-ms", "0"});
    ASSERT_FALSE(sim.port().empty());
    const std::string route = wl::test::RandomBytes(9000, 4);
    WriteFile(temp / "Route" / "route.bdl", route);
    ASSERT_EQ(RunCli(temp.path(), {"pack", "--type", "1", "x.rvi", "Route"}).exitCode, 0);
    const std::string question = "Instrument memory will be erased !\nContinue? [y/N] ";

    const Outcome declined = RunCli(temp.path(), SerialLine(sim, {"--no", "upload", "x"}));
    EXPECT_EQ(declined.exitCode, 1);
    EXPECT_EQ(declined.out, question + "n\n");
    EXPECT_EQ(declined.err, "wayload-cli: upload: cancelled\n");

    const Outcome uploaded = RunCli(temp.path(), SerialLine(sim, {"--yes", "upload", "x.rvi"}));
    EXPECT_EQ(uploaded.exitCode, 0) << uploaded.err;
    EXPECT_EQ(uploaded.out, question + "y\nRoute 'Route' was uploaded into instrument\n");
    EXPECT_EQ(uploaded.err, "");
    // The simulator writes what it received right after acknowledging the last piece.
    for (int i = 0; i < 50 && !fs::exists(received); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    EXPECT_TRUE(ReadFile(received) == route);
}

}  // namespace

namespace {

TEST(CliDemo, DownloadsFromTheDemoAnalyzerAndStoresRoutesBackIntoIt) {
    TempFolder temp;
    // The child inherits the data folder, so the demo analyzer is laid out in the test's folder.
    ::setenv("XDG_DATA_HOME", (temp / "data").c_str(), 1);
    const Outcome download = RunCli(temp.path(), {"--demo", "download", "--select", "Cooling pumps",
                                                  "Cooling pumps 2026-12-10", "day"});
    EXPECT_EQ(download.exitCode, 0) << download.err;
    EXPECT_EQ(download.out, "Routes saved into 'day.rdx'\n");
    EXPECT_EQ(Projects(temp / "day.rdx"),
              (Strings{"1 Cooling pumps", "2 Cooling pumps 2026-12-10"}));

    const fs::path demoRoutes = temp / "data/wayload/demo/TKB_DEMO/TKBRoute";
    fs::remove_all(demoRoutes / "Cooling pumps");
    const Outcome upload = RunCli(temp.path(), {"--demo", "--yes", "upload", "day.rdx"});
    ::unsetenv("XDG_DATA_HOME");
    EXPECT_EQ(upload.exitCode, 0) << upload.err;
    EXPECT_EQ(ReadFile(demoRoutes / "Cooling pumps/route.dat"), "ROUTE Cooling pumps\nPOINTS 2\n");
}

}  // namespace
