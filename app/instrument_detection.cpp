#include "app/instrument_detection.h"

#include <cerrno>
#include <cstring>
#include <string_view>
#include <vector>

#include "common/format.h"
#include "common/utf16.h"
#include "instrument/t7300_instrument.h"
#include "locale/program_texts.h"

namespace wl {

bool T7300SerialProbe::IsConnected() {
    return instrument_.IsConnected();
}

std::optional<ConverterRefusal> T7300SerialProbe::Refusal() const {
    return instrument_.LastRefusal();
}

std::u16string ConverterRefusalText(const ConverterRefusal& refusal) {
    const ProgramTexts& texts = ProgramTextTable();
    const std::u16string remedy = refusal.error == EBUSY ? texts.ConverterBusy
                                  : refusal.error == EACCES || refusal.error == EPERM
                                      ? texts.ConverterNotAllowed
                                      : std::u16string();
    std::u16string text =
        Format(texts.ConverterRefusedFmt,
               {Utf8ToUtf16(refusal.device), Utf8ToUtf16(std::strerror(refusal.error))});
    if (!remedy.empty()) {
        text += u"\r\n" + remedy;
    }
    return text;
}

void T7300SerialProbe::Disconnect() {
    instrument_.Disconnect();
}

int32_t AnalyzerKindOfLabel(const std::string& label) {
    // Exact and case-sensitive on the first four characters: "tkb_1", "TKB" or "TKB0417" are not
    // analyzers.
    const std::string_view prefix = std::string_view(label).substr(0, 4);
    if (prefix == "TKB_") {
        return kInstrumentAnalyzerTKB;
    }
    if (prefix == "TKA_") {
        return kInstrumentAnalyzerTKA;
    }
    if (prefix == "TKC_") {
        return kInstrumentAnalyzerTKC;
    }
    return kInstrumentNone;
}

std::filesystem::path AnalyzerDrivePath(int32_t kind, const std::filesystem::path& root) {
    // The TKA analyzer keeps its folders one level down, in "TKA".
    if (kind == kInstrumentAnalyzerTKA) {
        return root / "TKA";
    }
    return root;
}

bool DetectInstrument(ISerialProbe& serial, IDriveLister& drives, DetectedInstrument& state) {
    state.kind = kInstrumentNone;
    if (serial.IsConnected()) {
        state.kind = kInstrumentSerial;
        return true;
    }
    std::vector<DriveInfo> list;
    drives.ListDrives(list);
    for (const DriveInfo& drive : list) {
        const int32_t kind = AnalyzerKindOfLabel(drive.label);
        if (kind != kInstrumentNone) {
            state.drivePath = AnalyzerDrivePath(kind, drive.root);
            state.kind = kind;
            return true;
        }
    }
    return false;
}

}  // namespace wl
