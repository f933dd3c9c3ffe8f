#include "app/instrument_names.h"

#include "app/instrument_detection.h"
#include "common/format.h"
#include "locale/string_table.h"

namespace wl {

std::u16string InstrumentDisplayName(int32_t kind) {
    const strBDL& texts = StringTable();
    switch (kind) {
        case kInstrumentAnalyzerTKA:
            return texts.InstrTKA;
        case kInstrumentAnalyzerTKB:
            return texts.InstrTKB;
        case kInstrumentSerial:
            return texts.InstrPellix;
        case kInstrumentAnalyzerTKC:
            return texts.InstrTKC;
        default:
            return {};
    }
}

std::u16string StatusText(int32_t kind) {
    const strBDL& texts = StringTable();
    switch (kind) {
        case kInstrumentAnalyzerTKA:
        case kInstrumentAnalyzerTKB:
        case kInstrumentSerial:
        case kInstrumentAnalyzerTKC:
            return Format(texts.InstrumentConnedtedFmt, {InstrumentDisplayName(kind)});
        default:
            return texts.ConnectInstrument;
    }
}

}  // namespace wl
