#include "app/button_pictures.h"

#include "app/instrument_detection.h"

namespace wl {

ButtonPictures EnabledPicturesFor(int32_t kind) {
    switch (kind) {
        case kInstrumentAnalyzerTKA:
            return {148, 151};
        case kInstrumentAnalyzerTKB:
            return {149, 152};
        case kInstrumentSerial:
            return {150, 153};
        case kInstrumentAnalyzerTKC:
            return {156, 157};
        default:
            return {kPictureGreyToInstrument, kPictureGreyToPc};
    }
}

}  // namespace wl
