// wayload-cli as a user runs it: the real program on real files, its exit code and its output.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <pty.h>
#include <sys/file.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <unistd.h>
#include <cstdio>
#include <cstring>

#include <nlohmann/json.hpp>

#include "common/utf16.h"
#include "container/container_file.h"
#include "tests/cli/run_cli.h"
#include "tests/support/temp_folder.h"

namespace {

namespace fs = std::filesystem;
using wl::test::FolderNames;
using wl::test::Outcome;
using wl::test::ReadFile;
using wl::test::RunCli;
using wl::test::TempFolder;
using wl::test::Terminals;
using wl::test::TreeSnapshot;
using wl::test::WriteFile;

using Snapshot = std::vector<std::pair<std::string, std::string>>;

bool IsOneLine(const std::string& text) {
    return !text.empty() && text.back() == '\n' && std::count(text.begin(), text.end(), '\n') == 1;
}

class CliTest : public ::testing::Test {
  protected:
    void SetUp() override {
        WriteFile(temp / "R1" / "a.txt", "alpha");
        WriteFile(temp / "R1" / "S" / "F", "0123456789");
        WriteFile(temp / "D1" / "data.bin", wl::test::RandomBytes(200000, 1));
    }
    TempFolder temp;
};

TEST_F(CliTest, PackListExtractVerifyRoundTrip) {
    Outcome pack = RunCli(temp.path(), {"pack", "out.rdx", "R1", "./D1/"});
    ASSERT_EQ(pack.exitCode, 0) << pack.err;
    EXPECT_EQ(pack.err, "");  // not a terminal: quiet
    EXPECT_EQ(FolderNames(temp.path()), (std::vector<std::string>{"D1", "R1", "out.rdx"}));

    Outcome list = RunCli(temp.path(), {"list", "out.rdx"});
    ASSERT_EQ(list.exitCode, 0) << list.err;
    EXPECT_EQ(list.out.substr(0, list.out.find('\n')), "1\tR1\t3 items\t167 bytes");
    EXPECT_EQ(std::count(list.out.begin(), list.out.end(), '\n'), 2);

    Outcome json = RunCli(temp.path(), {"list", "--json", "out.rdx"});
    ASSERT_EQ(json.exitCode, 0) << json.err;
    const auto document = nlohmann::json::parse(json.out);
    EXPECT_EQ(document["version"], 1);
    ASSERT_EQ(document["projects"].size(), 2u);
    EXPECT_EQ(document["projects"][1]["name"], "D1");
    const auto& items = document["projects"][0]["items"];
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(items[2]["name"], "\\S\\F");
    EXPECT_EQ(items[2]["size"], 10);
    EXPECT_EQ(items[2]["compsize"], 86);
    EXPECT_EQ(items[1]["type"], 1);
    EXPECT_EQ(items[0]["pos"], 0);

    Outcome extract = RunCli(temp.path(), {"extract", "out.rdx", "dest/new"});
    ASSERT_EQ(extract.exitCode, 0) << extract.err;
    EXPECT_EQ(TreeSnapshot(temp / "dest" / "new" / "R1"), TreeSnapshot(temp / "R1"));
    EXPECT_EQ(TreeSnapshot(temp / "dest" / "new" / "D1"), TreeSnapshot(temp / "D1"));

    Outcome verify = RunCli(temp.path(), {"verify", "out.rdx"});
    EXPECT_EQ(verify.exitCode, 0) << verify.err;
    EXPECT_EQ(verify.out, "out.rdx: 2 projects, 3 files, 200015 bytes restored\n");
}

TEST_F(CliTest, AFailedPackLeavesAnEarlierFileUntouchedAndNoPartialFile) {
    WriteFile(temp / "out.rdx", "earlier");
    WriteFile(temp / "Bad" / "back\\slash", "x");
    WriteFile(temp / "C\\D" / "f", "x");
    struct Case {
        std::vector<std::string> args;
        std::string named;  // what the error line must name
    };
    const Case cases[] = {
        {{"pack", "out.rdx", "R1", "missing"}, "missing"},
        {{"pack", "out.rdx", "R1", "R1/a.txt"}, "R1/a.txt"},
        {{"pack", "out.rdx", "R1", "Bad"}, "Can't add file"},
        {{"pack", "out.rdx", "R1", "R1"}, "Project(1) with name R1 exists already"},
        {{"pack", "nofolder/out.rdx", "R1"}, "nofolder/out.rdx"},
        {{"pack", "R1/S/out.rdx", "D1", "R1"}, "cannot be written inside a folder it packs"},
        // Refused before anything is written: extract could not make a folder of that name.
        {{"pack", "out.rdx", "R1", "C\\D"},
         "Can't add directory C\\D - a project's name must be one plain folder name"},
    };
    for (const Case& c : cases) {
        Outcome outcome = RunCli(temp.path(), c.args);
        EXPECT_EQ(outcome.exitCode, 1) << c.named;
        EXPECT_TRUE(IsOneLine(outcome.err)) << outcome.err;
        EXPECT_NE(outcome.err.find(c.named), std::string::npos) << outcome.err;
        EXPECT_EQ(ReadFile(temp / "out.rdx"), "earlier");
        EXPECT_EQ(FolderNames(temp.path()),
                  (std::vector<std::string>{"Bad", "C\\D", "D1", "R1", "out.rdx"}));
    }
}

TEST_F(CliTest, PackTypeAndExtractByType) {
    ASSERT_EQ(RunCli(temp.path(), {"pack", "--type", "1", "routes.rdx", "R1"}).exitCode, 0);
    fs::rename(temp / "D1", temp / "R1x");
    // One container holding R1 twice, as route (type 1) and as data (type 2).
    BDL::ContainerFile container;
    ASSERT_TRUE(container.Create(temp / "both.rdx"));
    std::u16string error;
    ASSERT_NE(container.AddFolder(u"R1", 1, temp / "R1", nullptr, 0, 50, error), nullptr);
    ASSERT_NE(container.AddFolder(u"R1", 2, temp / "R1x", nullptr, 50, 100, error), nullptr);
    int cause = 0;
    ASSERT_TRUE(container.Finish(cause));
    container.Close();

    Outcome both = RunCli(temp.path(), {"extract", "both.rdx", "all"});
    EXPECT_EQ(both.exitCode, 1);
    EXPECT_NE(both.err.find("occurs more than once"), std::string::npos) << both.err;
    EXPECT_FALSE(fs::exists(temp / "all"));

    ASSERT_EQ(RunCli(temp.path(), {"extract", "--type", "2", "both.rdx", "data"}).exitCode, 0);
    EXPECT_EQ(TreeSnapshot(temp / "data" / "R1"), TreeSnapshot(temp / "R1x"));
    Outcome none = RunCli(temp.path(), {"extract", "--type", "5", "both.rdx", "five"});
    EXPECT_EQ(none.exitCode, 1);
    EXPECT_NE(none.err.find("no project of type 5"), std::string::npos);
}

TEST_F(CliTest, DamagedOrForeignFilesAreRefusedWithOneLine) {
    ASSERT_EQ(RunCli(temp.path(), {"pack", "out.rdx", "D1"}).exitCode, 0);
    std::string bytes = ReadFile(temp / "out.rdx");
    bytes[1000] = static_cast<char>(bytes[1000] ^ 0x55);  // inside the image
    WriteFile(temp / "flipped.rdx", bytes);
    WriteFile(temp / "garbage", wl::test::RandomBytes(3000, 3));
    // A project named ".." must not become a folder.
    const std::string table =
        "<ProjectList><Projects><Project><Name>..</Name><Type>1</Type></Project></Projects>"
        "</ProjectList>";
    std::string escaping;
    for (char c : table) {
        escaping += c;
        escaping += '\0';
    }
    WriteFile(temp / "dots.rdx", escaping + std::string(8, '\0'));

    struct Case {
        std::vector<std::string> args;
        std::string expected;
    };
    const Case cases[] = {
        {{"verify", "flipped.rdx"}, "flipped.rdx: Err decompress file '\\data.bin'"},
        {{"extract", "flipped.rdx", "x"}, "flipped.rdx: Err decompress file '"},
        {{"list", "garbage"}, "garbage: Not a container file"},
        {{"verify", "garbage"}, "garbage: Not a container file"},
        {{"list", "missing.rdx"}, "missing.rdx: No such file or directory"},
        {{"extract", "dots.rdx", "x"}, "dots.rdx: project name '..' is not one plain folder name"},
    };
    for (const Case& c : cases) {
        Outcome outcome = RunCli(temp.path(), c.args);
        EXPECT_EQ(outcome.exitCode, 1) << c.expected;
        EXPECT_TRUE(IsOneLine(outcome.err)) << outcome.err;
        EXPECT_EQ(outcome.err.rfind("wayload-cli: " + c.expected, 0), 0u) << outcome.err;
    }
    EXPECT_FALSE(fs::exists(temp / "x" / ".." / "x" / "R1"));
}

// A project unpacked beside its own container: the container being read is never emptied.
TEST_F(CliTest, ExtractNeverWritesOverTheContainerItReads) {
    WriteFile(temp / "src" / "W" / "w.rdx", "packed as a file of W");
    ASSERT_EQ(RunCli(temp.path(), {"pack", "w.rdx", "src/W"}).exitCode, 0);
    fs::create_directory(temp / "W");
    fs::rename(temp / "w.rdx", temp / "W" / "w.rdx");
    const std::string container = ReadFile(temp / "W" / "w.rdx");

    Outcome outcome = RunCli(temp.path(), {"extract", "W/w.rdx", "."});
    EXPECT_EQ(outcome.exitCode, 1);
    EXPECT_TRUE(IsOneLine(outcome.err)) << outcome.err;
    EXPECT_NE(outcome.err.find("w.rdx - it is the container being read"), std::string::npos)
        << outcome.err;
    EXPECT_EQ(ReadFile(temp / "W" / "w.rdx"), container);
}

// Memory running out ends every command with one line and exit 1, never an abort, and leaves no
// partial file and an earlier one as it was.
TEST_F(CliTest, MemoryRunningOutIsOneLineAndExitOne) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "AddressSanitizer reserves far more address space than the limit allows";
#endif
    // A table of contents of 40,000 items, far more than the limit leaves room for.
    std::u16string table = u"<ProjectList><Projects><Project><Name>P</Name><Items>";
    for (int i = 0; i < 40000; ++i) {
        table += u"<ProjectItem><Name>\\d" + wl::AsciiToUtf16(std::to_string(i)) +
                 u"</Name><Type>1</Type></ProjectItem>\n";
    }
    table += u"</Items></Project></Projects></ProjectList>";
    WriteFile(temp / "many.rdx", wl::test::Utf16Le(table) + std::string(8, '\0'));
    // And a tree of 15,000 files to pack, a measured-data folder of an analyzer. Its records
    // must outgrow the limit.
    const fs::path many = temp / "drive" / "TKBanalyser" / "Many";
    for (int folder = 0; folder < 15; ++folder) {
        const fs::path sub = many / std::to_string(folder);
        fs::create_directories(sub);
        for (int i = 0; i < 1000; ++i) {
            ::close(::creat((sub / std::to_string(i)).c_str(), 0644));
        }
    }
    WriteFile(temp / "out.rdx", "earlier");
    WriteFile(temp / "drive" / "TKBRoute" / "R" / "old.dat", "old");
    const Snapshot routes = TreeSnapshot(temp / "drive" / "TKBRoute");

    const std::vector<std::string> commands[] = {
        {"list", "many.rdx"},
        {"list", "--json", "many.rdx"},
        {"verify", "many.rdx"},
        {"extract", "many.rdx", "X"},
        {"pack", "out.rdx", "drive/TKBanalyser/Many"},
        {"--analyzer", "drive", "--yes", "download", "--select", "Many", "--", "out.rdx"},
        {"--analyzer", "drive", "--yes", "upload", "many.rdx"},
    };
    for (const std::vector<std::string>& command : commands) {
        SCOPED_TRACE(command[0] + " " + command[1]);
        Terminals limited;
        limited.addressSpace = 24 * 1024 * 1024;
        const Outcome outcome = RunCli(temp.path(), command, limited);
        EXPECT_EQ(outcome.exitCode, 1);
        EXPECT_TRUE(IsOneLine(outcome.err)) << outcome.err;
        EXPECT_NE(outcome.err.find("memory"), std::string::npos) << outcome.err;
        EXPECT_EQ(ReadFile(temp / "out.rdx"), "earlier");
        EXPECT_EQ(FolderNames(temp.path()),
                  (std::vector<std::string>{"D1", "R1", "drive", "many.rdx", "out.rdx"}));
        EXPECT_EQ(TreeSnapshot(temp / "drive" / "TKBRoute"), routes);
        EXPECT_EQ(FolderNames(temp / "drive"),
                  (std::vector<std::string>{"TKBRoute", "TKBanalyser"}));
    }
}

// A full disk while packing: the cause is named, and no partial file is left.
TEST_F(CliTest, FullDiskIsReportedWithItsCause) {
    fs::create_directory(temp / "small");
    if (::geteuid() != 0 ||
        ::mount("tmpfs", (temp / "small").c_str(), "tmpfs", 0, "size=64k") != 0) {
        GTEST_SKIP() << "mounting a small tmpfs needs root";
    }
    Outcome outcome = RunCli(temp.path(), {"pack", "small/out.rdx", "D1"});
    const bool empty = fs::is_empty(temp / "small");
    ::umount((temp / "small").c_str());
    EXPECT_EQ(outcome.exitCode, 1);
    EXPECT_TRUE(IsOneLine(outcome.err)) << outcome.err;
    EXPECT_NE(outcome.err.find("13 : The disk is full."), std::string::npos) << outcome.err;
    EXPECT_TRUE(empty);
}

// Looking once for an instrument: the simulated serial instrument on a pseudo-terminal is found
// through --port (or WAYLOAD_PORT); a port with nothing behind it finds no serial instrument.
TEST_F(CliTest, DetectFindsTheSerialInstrumentThroughThePortSetting) {
    // A version text unique to this test names its simulator for stopping it.
    const std::string tag = temp.path().filename().string();
    FILE* sim =
        ::popen((std::string(WAYLOAD_INSTRUMENT_SIM) + " --description T7310 --version-text " + tag)
                    .c_str(),
                "r");
    ASSERT_NE(sim, nullptr);
    char line[256] = {};
    ASSERT_NE(std::fgets(line, sizeof line, sim), nullptr);
    const std::string port(line, std::strcspn(line, "\n"));

    Outcome found = RunCli(temp.path(), {"--port", port, "--trace", "detect"});
    EXPECT_EQ(found.exitCode, 0) << found.err;
    EXPECT_EQ(found.out, "3\tPellix S\n");
    EXPECT_NE(found.err.find("T7300-III: FT_OpenEx (baudrate = 1500000) OK"), std::string::npos)
        << found.err;
    std::system(("pkill -f 'version-text " + tag + "'").c_str());
    ::pclose(sim);

    Outcome none = RunCli(temp.path(), {"--port", (temp / "no-such-port").string(), "detect"});
    if (none.exitCode == 0) {
        GTEST_SKIP() << "an analyzer is mounted on this machine: " << none.out;
    }
    EXPECT_EQ(none.exitCode, 1);
    EXPECT_EQ(none.out, "no instrument connected\n");
    EXPECT_EQ(none.err, "");
    EXPECT_EQ(RunCli(temp.path(), {"--driver", "d2xx", "detect"}).exitCode, 2);
}

// A converter that is there but cannot be opened is told with its device and the remedy, with an
// exit code of its own, not as "no instrument connected".
TEST_F(CliTest, DetectTellsAConverterItCannotOpen) {
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(master, 0);
    ASSERT_EQ(::grantpt(master), 0);
    ASSERT_EQ(::unlockpt(master), 0);
    const std::string port = ::ptsname(master);
    ASSERT_EQ(::chmod(port.c_str(), 0600), 0);

    struct Case {
        const char* what;
        bool asNobody;
        std::string reason;
        std::string remedy;
    };
    const Case cases[] = {
        {"held by another program", false, "Device or resource busy", "Another program holds it"},
        {"not the user's to open", true, "Permission denied",
         "Install the program's udev rule (60-wayload.rules)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.asNobody && ::geteuid() != 0) {
            continue;  // only root can let the program run as someone else
        }
        const int holder = ::open(port.c_str(), O_RDWR | O_NOCTTY);
        ASSERT_GE(holder, 0);
        if (!c.asNobody) {
            ASSERT_EQ(::flock(holder, LOCK_EX | LOCK_NB), 0);
        }
        Terminals terminals;
        terminals.asNobody = c.asNobody;
        const Outcome outcome = RunCli(
            temp.path(), {"--port", port, "--driver", "tty", "--trace", "detect"}, terminals);
        ::close(holder);
        EXPECT_EQ(outcome.exitCode, 3) << outcome.err;
        EXPECT_EQ(outcome.out, "");
        EXPECT_NE(
            outcome.err.find("wayload-cli: The converter " + port +
                             " is connected but cannot be opened: " + c.reason + ".\n" + c.remedy),
            std::string::npos)
            << outcome.err;
        // The trace names the system's error.
        EXPECT_NE(outcome.err.find(port + " cannot be opened: " + c.reason + " (errno"),
                  std::string::npos)
            << outcome.err;
    }
    ::close(master);
}

TEST_F(CliTest, HelpVersionAndUsage) {
    Outcome help = RunCli(temp.path(), {"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_NE(help.out.find("pack"), std::string::npos);
    Outcome version = RunCli(temp.path(), {"--version"});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.out.rfind("wayload-cli ", 0), 0u);
    EXPECT_NE(RunCli(temp.path(), {}).exitCode, 0);
    EXPECT_NE(RunCli(temp.path(), {"pack", "only-out.rdx"}).exitCode, 0);
}

TEST_F(CliTest, ProgressLineOnlyOnATerminal) {
    Outcome shown =
        RunCli(temp.path(), {"pack", "out.rdx", "R1", "D1"}, {std::nullopt, true, std::nullopt});
    ASSERT_EQ(shown.exitCode, 0);
    EXPECT_NE(shown.err.find("Packing out.rdx"), std::string::npos) << shown.err;
    EXPECT_NE(shown.err.find("50%"), std::string::npos) << shown.err;
    Outcome extract =
        RunCli(temp.path(), {"extract", "out.rdx", "dest"}, {std::nullopt, true, std::nullopt});
    EXPECT_NE(extract.err.find("Extracting out.rdx"), std::string::npos);
    Outcome quiet = RunCli(temp.path(), {"verify", "out.rdx"});
    EXPECT_EQ(quiet.err, "");
}

}  // namespace
