#pragma once
// The pictures of the two buttons, by resource number.

#include <cstdint>

namespace wl {

// The PC with a grey arrow: the disabled pictures for the whole run, and the enabled ones until
// an instrument is recognised.
inline constexpr int kPictureGreyToInstrument = 146;
inline constexpr int kPictureGreyToPc = 147;

struct ButtonPictures {
    int toInstrument;  // button "PC to instrument"
    int toPc;          // button "instrument to PC"
};

// The enabled pictures that show the instrument family of `kind`; the grey ones for no instrument.
ButtonPictures EnabledPicturesFor(int32_t kind);

}  // namespace wl
