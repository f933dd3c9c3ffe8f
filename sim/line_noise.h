#pragma once
// What a byte sent at the wrong line speed looks like at the other end.

#include <cstdint>

namespace wl {

// Some other byte with the high bit set (a framing error's usual look); never the byte itself, so
// no word survives.
inline uint8_t Spoil(uint8_t byte) {
    return static_cast<uint8_t>((byte ^ 0xA5) | 0x80);
}

}  // namespace wl
