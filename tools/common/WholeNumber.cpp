#include "tools/common/WholeNumber.h"

#include <cstdio>

namespace tools {

bool ParseWholeNumber(const char* text, int64_t least, int64_t most, int64_t* out) {
  if (text == nullptr || least > most) return false;
  const bool negative = *text == '-' && least < 0;
  if (negative) ++text;
  if (*text == '\0') return false;
  // The magnitude is gathered unsigned against the bound on its side, so no
  // string of digits, however long, passes the range of the type.
  const uint64_t bound = negative ? uint64_t{0} - uint64_t(least) : most < 0 ? 0 : uint64_t(most);
  uint64_t n = 0;
  for (const char* p = text; *p != '\0'; ++p) {
    if (*p < '0' || *p > '9') return false;
    const unsigned digit = unsigned(*p - '0');
    if (n > bound / 10) return false;
    n *= 10;
    if (digit > bound - n) return false;
    n += digit;
  }
  const int64_t value = negative ? int64_t(uint64_t{0} - n) : int64_t(n);
  if (value < least || value > most) return false;
  *out = value;
  return true;
}

std::string WholeNumberRange(int64_t least, int64_t most) {
  return "a whole number from " + std::to_string(least) + " to " + std::to_string(most);
}

int BadArgument(const char* tool, const std::string& argument, const std::string& what) {
  std::fprintf(stderr, "%s: %s takes %s\n", tool, argument.c_str(), what.c_str());
  return 2;
}

}  // namespace tools
