// The transfers' messages in the language loaded: the string table's texts and the program's own
// beside them come from the same language file.

#include <gtest/gtest.h>

#include <functional>
#include <new>
#include <string>

#include "common/utf16.h"
#include "locale/language.h"
#include "tests/support/temp_folder.h"
#include "tests/transfer/fake_ui.h"
#include "transfer/analyzer_download.h"
#include "transfer/analyzer_upload.h"
#include "transfer/transfer_sequences.h"

namespace wl {
namespace {

class GermanTransferTest : public testing::Test {
  protected:
    GermanTransferTest() {
        EXPECT_EQ(LoadLanguage(std::filesystem::path(WAYLOAD_LANGUAGE_SOURCE_FOLDER) / "deu.lng"),
                  u"de");
        test::WriteFile(drive / "TKBRoute/R1/route.dat", "route R1");
    }
    // The texts are the program's one set: leave them as the next test expects them.
    ~GermanTransferTest() override { LoadLanguage(folder / "none.lng"); }

    std::string Shown(const std::filesystem::path& path) const {
        return Utf16ToUtf8(PathToUtf16(path));
    }

    test::TempFolder folder;
    std::filesystem::path drive = folder / "drive/";
    DetectedInstrument tkb{kInstrumentAnalyzerTKB, drive};
};

TEST_F(GermanTransferTest, ErrorsAreShownInGermanUnderFehler) {
    struct Case {
        const char* name;
        std::function<void(test::FakeUi&)> run;
        std::string text;
    };
    const std::filesystem::path inside = drive / "TKBRoute/R1/day.rdx";
    const Case cases[] = {
        {"analyzer gone after the chooser",
         [&](test::FakeUi& ui) {
             DetectedInstrument live = tkb;
             ui.files = {folder / "routes.rdi"};
             ui.onChoose = [&] { live.kind = kInstrumentNone; };
             UploadToAnalyzer(ui, live);
         },
         "Instrument anschlie\xc3\x9f"
         "en...\r\nEs ist kein Analysator angeschlossen."},
        {"memory ran out",
         [](test::FakeUi& ui) {
             RunWithinMemory(ui, []() -> TransferOutcome { throw std::bad_alloc(); });
         },
         "Nicht genug Speicher, um die \xc3\x9c"
         "bertragung abzuschlie\xc3\x9f"
         "en."},
        {"export inside a folder it packs",
         [&](test::FakeUi& ui) {
             ui.files = {inside};
             DownloadFromAnalyzer(ui, tkb);
         },
         "Routendatei kann nicht erstellt werden\r\n" + Shown(inside) +
             "\r\nDie Exportdatei kann nicht in " + Shown(drive / "TKBRoute/R1") +
             " geschrieben werden, einem Ordner, den sie packt"},
    };
    for (const Case& c : cases) {
        test::FakeUi ui;
        c.run(ui);
        ASSERT_EQ(ui.shown.size(), 1u) << c.name;
        EXPECT_EQ(ui.Texts()[0], c.text) << c.name;
        EXPECT_EQ(ui.shown[0].message.caption, u"Fehler") << c.name;
    }
}

}  // namespace
}  // namespace wl
