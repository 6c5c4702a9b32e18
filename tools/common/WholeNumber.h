#pragma once
// The number arguments of the tools' command lines.
#include <cstdint>

namespace tools {

// A whole number as a command line gives it: decimal digits only, with a
// leading minus sign where `least` is below 0; nothing else before, between
// or after them (no space, plus sign, point, exponent or letter). True and
// the number in *out when it lies from `least` to `most`; otherwise false,
// and *out is left as it was.
bool ParseWholeNumber(const char* text, int64_t least, int64_t most, int64_t* out);

}  // namespace tools
