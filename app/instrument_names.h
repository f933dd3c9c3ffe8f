#pragma once
// What the operator is told about the instrument found: its display name and the status line.

#include <cstdint>
#include <string>

namespace wl {

// The string-table name of an instrument of `kind`; empty for no instrument.
std::u16string InstrumentDisplayName(int32_t kind);

// The status line for `kind`: "Found instrument %s " with the display name, or
// "Connect instrument..." when nothing is found (both as translated).
std::u16string StatusText(int32_t kind);

}  // namespace wl
