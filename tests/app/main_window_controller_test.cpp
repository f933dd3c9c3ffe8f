#include "app/main_window_controller.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cerrno>

#include "locale/language.h"
#include "locale/program_texts.h"
#include "locale/settings_file.h"
#include "locale/string_table.h"
#include "tests/app/fake_mounts.h"
#include "tests/app/fake_window.h"
#include "tests/support/temp_folder.h"

namespace wl {
namespace {

using testing::ElementsAre;
using testing::IsEmpty;

class RecordingTransfers : public ITransferHooks {
  public:
    void UploadToAnalyzer(const DetectedInstrument& instrument) override {
        calls.push_back("upload to analyzer " + instrument.drivePath.string());
    }
    void DownloadFromAnalyzer(const DetectedInstrument& instrument) override {
        calls.push_back("download from analyzer " + instrument.drivePath.string());
    }
    void UploadToSerialInstrument() override { calls.push_back("upload to serial"); }
    void DownloadFromSerialInstrument() override { calls.push_back("download from serial"); }
    std::vector<std::string> calls;
};

class MainWindowControllerTest : public testing::Test {
  protected:
    ~MainWindowControllerTest() override {
        // The texts are the program's one set: leave them as the next test expects them.
        LoadLanguage(folder / "none.lng");
    }

    MainWindowController& Controller(std::optional<ProgramVersion> version = ProgramVersion{2, 3,
                                                                                            0}) {
        controller.emplace(window, serial, drives, transfers,
                           LanguageSetup{folder / "languages", folder / "wayload.ini", version});
        return *controller;
    }

    void Plug(const char* label) { drives.drives = {{"/", ""}, {"/media/u/A/", label}}; }
    void Unplug() { drives.drives = {{"/", ""}}; }

    test::TempFolder folder;
    test::FakeWindow window;
    test::FakeSerialProbe serial;
    test::FakeDriveLister drives;
    RecordingTransfers transfers;
    std::optional<MainWindowController> controller;
};

TEST_F(MainWindowControllerTest, StartsUpInOrderAndAsksForALanguageOnlyOnTheFirstRun) {
    test::WriteFile(folder / "languages/eng.lng", "[Language]\nThisLang=English\n");
    Controller().OnInitDialog();
    EXPECT_THAT(window.Take(),
                ElementsAre("picture 1004 enabled 146", "picture 1004 disabled 146",
                            "picture 1005 enabled 147", "picture 1005 disabled 147",
                            "language dialog", "locale en", "title Tarvek Trailpack v2.3",
                            "menu bar Language: English=10000", "status Connect instrument...",
                            "redraw menu bar", "timer 500", "icons 145 155", "register notices"));

    ASSERT_TRUE(SaveLanguageSetting(folder / "wayload.ini", u"eng.lng"));
    test::FakeWindow secondRun;
    MainWindowController again(secondRun, serial, drives, transfers,
                               LanguageSetup{folder / "languages", folder / "wayload.ini", {}});
    again.OnInitDialog();
    EXPECT_THAT(secondRun.calls, testing::Not(testing::Contains("language dialog")));
    EXPECT_EQ(secondRun.title, u"Tarvek Trailpack");
}

TEST_F(MainWindowControllerTest, TicksFollowTheAnalyzerAndSwitchPicturesOnlyForANewKind) {
    MainWindowController& c = Controller();
    c.OnInitDialog();
    window.Take();

    struct Step {
        const char* label;  // null: nothing plugged
        std::vector<std::string> calls;
    };
    const Step steps[] = {
        {nullptr, {"status Connect instrument...", "redraw menu bar", "disable"}},
        {"TKB_0417",
         {"status Found instrument TKBMax ", "redraw menu bar", "enable",
          "picture 1004 enabled 149", "picture 1005 enabled 152", "invalidate buttons"}},
        {"TKB_0417", {"status Found instrument TKBMax ", "redraw menu bar", "enable"}},
        {nullptr, {"status Connect instrument...", "redraw menu bar", "disable"}},
        {"TKB_0999", {"status Found instrument TKBMax ", "redraw menu bar", "enable"}},
        {"TKC_1",
         {"status Found instrument TKCMax ", "redraw menu bar", "enable",
          "picture 1004 enabled 156", "picture 1005 enabled 157", "invalidate buttons"}},
        {"TKA_1",
         {"status Found instrument TKA ", "redraw menu bar", "enable", "picture 1004 enabled 148",
          "picture 1005 enabled 151", "invalidate buttons"}},
    };
    for (const Step& step : steps) {
        if (step.label) {
            Plug(step.label);
        } else {
            Unplug();
        }
        c.OnTimer();
        EXPECT_EQ(window.Take(), step.calls) << (step.label ? step.label : "unplugged");
    }
    EXPECT_EQ(c.lastPictureKind(), kInstrumentAnalyzerTKA);
    EXPECT_EQ(c.instrument().drivePath, "/media/u/A/TKA");

    serial.connected = true;
    c.OnTimer();
    EXPECT_THAT(window.Take(), ElementsAre("status Found instrument Pellix S ", "redraw menu bar",
                                           "enable", "picture 1004 enabled 150",
                                           "picture 1005 enabled 153", "invalidate buttons"));
}

// A converter that is there but cannot be opened is told with its device and the remedy, once,
// not on every tick; again only when it comes back after it went, or changes.
TEST_F(MainWindowControllerTest, AConverterThatCannotBeOpenedIsToldOnce) {
    MainWindowController& c = Controller();
    c.OnInitDialog();
    const ConverterRefusal notAllowed{"/dev/ttyUSB0", EACCES};
    const ConverterRefusal busy{"/dev/ttyUSB0", EBUSY};
    struct Tick {
        std::optional<ConverterRefusal> refusal;
        size_t toldSoFar;
    };
    const Tick ticks[] = {{notAllowed, 1}, {notAllowed, 1}, {notAllowed, 1}, {std::nullopt, 1},
                          {notAllowed, 2}, {busy, 3},       {busy, 3}};
    for (const Tick& tick : ticks) {
        serial.refusal = tick.refusal;
        c.OnTimer();
        EXPECT_EQ(window.problems.size(), tick.toldSoFar);
    }
    EXPECT_EQ(window.problems[0],
              "The converter /dev/ttyUSB0 is connected but cannot be opened: Permission denied.\r\n"
              "Install the program's udev rule (60-wayload.rules), which lets the logged-in user "
              "use it, or join the group \"dialout\" and log in again.");
    EXPECT_EQ(window.problems[2],
              "The converter /dev/ttyUSB0 is connected but cannot be opened: Device or resource "
              "busy.\r\nAnother program holds it: close that program. ModemManager and brltty are "
              "known to take such converters.");
    // The status line says what polling found; the problem is told beside it.
    EXPECT_EQ(c.instrument().kind, kInstrumentNone);
}

TEST_F(MainWindowControllerTest, OnlyTheConvertersRemovalLetsTheSerialLinkGo) {
    struct NoticeCase {
        DeviceNotice notice;
        bool connected;
        int disconnects;
        bool repaint;
    };
    const NoticeCase cases[] = {
        {{"remove", "usb", "0403"}, true, 1, true},    {{"remove", "tty", "0403"}, true, 1, true},
        {{"remove", "usb", "0403"}, false, 0, true},   {{"add", "usb", "0403"}, true, 0, false},
        {{"bind", "usb", "0403"}, true, 0, false},     {{"remove", "usb", "046d"}, true, 0, false},
        {{"remove", "block", "0403"}, true, 0, false}, {{"remove", "usb", ""}, true, 0, false},
    };
    MainWindowController& c = Controller();
    for (const NoticeCase& nc : cases) {
        serial.connected = nc.connected;
        serial.disconnects = 0;
        c.OnDeviceChange(&nc.notice);
        const std::string what =
            nc.notice.action + " " + nc.notice.subsystem + " " + nc.notice.vendorId;
        EXPECT_EQ(serial.disconnects, nc.disconnects) << what;
        EXPECT_EQ(window.Take() == std::vector<std::string>{"invalidate window"}, nc.repaint)
            << what;
    }
    c.OnDeviceChange(nullptr);
    EXPECT_THAT(window.Take(), IsEmpty());
}

TEST_F(MainWindowControllerTest, ButtonsStartTheTransferOfTheKindFoundAtThePress) {
    struct PressCase {
        const char* label;
        bool serialConnected;
        const char* pcToInstrument;  // empty: nothing started
        const char* instrumentToPc;
    };
    const PressCase cases[] = {
        {nullptr, false, "", ""},
        {"TKA_1", false, "upload to analyzer /media/u/A/TKA",
         "download from analyzer /media/u/A/TKA"},
        {"TKB_1", false, "upload to analyzer /media/u/A/", "download from analyzer /media/u/A/"},
        {"TKC_1", false, "upload to analyzer /media/u/A/", "download from analyzer /media/u/A/"},
        {nullptr, true, "upload to serial", "download from serial"},
    };
    for (const PressCase& pc : cases) {
        if (pc.label) {
            Plug(pc.label);
        } else {
            Unplug();
        }
        serial.connected = pc.serialConnected;
        MainWindowController& c = Controller();
        c.OnTimer();
        c.OnPC2I();
        c.OnI2PC();
        std::vector<std::string> expected;
        for (const char* call : {pc.pcToInstrument, pc.instrumentToPc}) {
            if (*call) {
                expected.push_back(call);
            }
        }
        EXPECT_EQ(transfers.calls, expected) << (pc.label ? pc.label : "none");
        transfers.calls.clear();
    }
}

TEST_F(MainWindowControllerTest, APressWithoutAnInstrumentBeforeAnyTickStartsNothing) {
    MainWindowController& c = Controller();
    c.OnInitDialog();
    c.OnPC2I();
    c.OnI2PC();
    EXPECT_THAT(transfers.calls, IsEmpty());
}

TEST_F(MainWindowControllerTest, TheMenuListsNamedLanguagesAndEachCommandLoadsItsOwnFile) {
    test::WriteFile(folder / "languages/a.lng", "[strBDL]\nLanguage=Unnamed\n");
    test::WriteFile(folder / "languages/b.lng",
                    "[Language]\nThisLang=Deutsch\nLocale=de\n[strBDL]\nLanguage=Sprache\n"
                    "AppTitle=Pack\nConnectInstrument=Instrument anschlie\xc3\x9f"
                    "en...\n[Wayload]\nNoAnalyzerConnected=Kein Analysator.\n");
    test::WriteFile(folder / "languages/c.lng",
                    "[Language]\nThisLang=Fran\xc3\xa7"
                    "ais\nLocale=fr\n[strBDL]\nLanguage=Langue\n");
    ASSERT_TRUE(SaveLanguageSetting(folder / "wayload.ini", u"c.lng"));
    MainWindowController& c = Controller();
    c.OnInitDialog();
    EXPECT_THAT(window.calls, testing::Contains("menu bar Langue: Deutsch=10000 Fran\xc3\xa7"
                                                "ais=10001"));
    EXPECT_EQ(window.locale, u"fr");
    window.Take();

    EXPECT_TRUE(c.OnLanguageCommand(10000));
    EXPECT_THAT(window.Take(), ElementsAre("locale de", "title Pack v2.3", "menu caption Sprache",
                                           "status Instrument anschlie\xc3\x9f"
                                           "en...",
                                           "redraw menu bar"));
    EXPECT_EQ(GetLanguageFileName(folder / "wayload.ini"), u"b.lng");
    // The program's own texts come from the same file.
    EXPECT_EQ(ProgramTextTable().NoAnalyzerConnected, u"Kein Analysator.");

    EXPECT_TRUE(c.OnLanguageCommand(10001));
    EXPECT_EQ(window.locale, u"fr");
    EXPECT_EQ(ProgramTextTable().NoAnalyzerConnected, u"No analyzer is connected.");
    EXPECT_EQ(window.menuCaption, u"Langue");
    EXPECT_EQ(window.status, u"Connect instrument...");
    EXPECT_EQ(window.title, u"Tarvek Trailpack v2.3");
    EXPECT_EQ(GetLanguageFileName(folder / "wayload.ini"), u"c.lng");
    window.Take();

    for (int command : {10002, 10029, 10030, 9999, 1004}) {
        EXPECT_FALSE(c.OnLanguageCommand(command)) << command;
    }
    EXPECT_THAT(window.Take(), IsEmpty());
    EXPECT_EQ(GetLanguageFileName(folder / "wayload.ini"), u"c.lng");
}

TEST_F(MainWindowControllerTest, AStoredNameInAnotherLetterCaseLoadsNoLanguage) {
    test::WriteFile(folder / "languages/deu.lng",
                    "[Language]\nThisLang=Deutsch\nLocale=de\n[strBDL]\nLanguage=Sprache\n");
    ASSERT_TRUE(SaveLanguageSetting(folder / "wayload.ini", u"DEU.lng"));
    Controller().OnInitDialog();
    EXPECT_EQ(window.menuCaption, u"Language");
    EXPECT_EQ(window.locale, u"en");
}

TEST_F(MainWindowControllerTest, DestroyReleasesWhatWasRegistered) {
    MainWindowController& c = Controller();
    c.OnInitDialog();
    window.Take();
    c.OnDestroy();
    EXPECT_THAT(window.Take(), ElementsAre("unregister notices", "delete menu bar"));
    c.OnDestroy();
    EXPECT_THAT(window.Take(), IsEmpty());

    window.noticesAvailable = false;
    MainWindowController& withoutNotices = Controller();
    withoutNotices.OnInitDialog();
    window.Take();
    withoutNotices.OnDestroy();
    EXPECT_THAT(window.Take(), ElementsAre("delete menu bar"));
}

TEST(WindowTitle, CarriesTheVersionWhenThereIsOne) {
    EXPECT_EQ(WindowTitle(u"Tarvek Trailpack", ProgramVersion{1, 8, 1}),
              u"Tarvek Trailpack v1.8.1");
    EXPECT_EQ(WindowTitle(u"Tarvek Trailpack", ProgramVersion{1, 8, 0}), u"Tarvek Trailpack v1.8");
    EXPECT_EQ(WindowTitle(u"Tarvek Trailpack", std::nullopt), u"Tarvek Trailpack");
    EXPECT_EQ(WindowTitle(u"100% %s", ProgramVersion{0, 1, 0}), u"100% %s v0.1");
}

}  // namespace
}  // namespace wl

namespace wl {
namespace {

TEST(VendorIdOfUsbProduct, ReadsTheKernelsProductValue) {
    const std::pair<const char*, const char*> cases[] = {
        {"403/6001/600", "0403"},
        {"403/6015/1000", "0403"},
        {"46d/c52b/1211", "046d"},
        {"1D6B/2/515", "1d6b"},
        {"12345/1/1", ""},
        {"/6001/600", ""},
        {"40g/6001/600", ""},
        {"", ""},
        {"0403", ""},
    };
    for (const auto& [product, vendor] : cases) {
        EXPECT_EQ(VendorIdOfUsbProduct(product), vendor) << product;
    }
}

}  // namespace
}  // namespace wl
