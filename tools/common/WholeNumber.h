#pragma once
// The number arguments of the tools' command lines, and how a tool tells
// an argument it cannot take.
#include <cstdint>
#include <string>

namespace tools {

// A whole number as a command line gives it: decimal digits only, with a
// leading minus sign where `least` is below 0; nothing else before, between
// or after them (no space, plus sign, point, exponent or letter). True and
// the number in *out when it lies from `least` to `most`; otherwise false,
// and *out is left as it was.
bool ParseWholeNumber(const char* text, int64_t least, int64_t most, int64_t* out);

// What an option that reads ParseWholeNumber(text, least, most) takes:
// "a whole number from <least> to <most>".
std::string WholeNumberRange(int64_t least, int64_t most);

// Tells, in one line on standard error, "<tool>: <argument> takes <what>",
// and returns 2, the status of a usage error: an argument the tool knows
// but given something it does not take is named, not answered with the
// whole usage.
int BadArgument(const char* tool, const std::string& argument, const std::string& what);

}  // namespace tools
