#pragma once
// Whether a translated format can stand in for the built-in one. The reading code passes the
// arguments that the built-in format expects, so a translation must ask for the same ones.

#include <string_view>

namespace wl {

// True when `translation` has as many '%' characters as `builtIn` ("%%" counting two), only
// conversions the formatter knows (%s %hS %d %lld %X %%), and the argument-taking ones in the
// same kinds and order as `builtIn`.
bool IsCompatibleFormat(std::u16string_view translation, std::u16string_view builtIn);

}  // namespace wl
