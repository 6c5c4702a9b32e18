#include "app/CommandLine.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr const char* kUsage =
    "usage: ostrel [-fullscreen N] [-screen N] [-rotate N]\n"
    "  -fullscreen N  0 plays in a 640x480 window; any other number full screen (the default)\n"
    "  -screen N      kept; changes nothing\n"
    "  -rotate N      kept; changes nothing\n"
    "OSTREL_DATA_DIR names the data folder, OSTREL_SAVE_DIR the save folder.\n";

// A whole number in decimal digits, with an optional sign, and nothing else.
bool IsNumber(const char* s) {
  if (*s == '-' || *s == '+') ++s;
  if (*s == '\0') return false;
  for (; *s != '\0'; ++s)
    if (*s < '0' || *s > '9') return false;
  return true;
}

int Refuse(const char* what, const char* word) {
  std::fprintf(stderr, "ostrel: %s %s\n%s", what, word, kUsage);
  return 2;
}

}  // namespace

int CheckCommandLine(int argc, const char* const* argv) {
  for (int i = 1; i < argc; ++i) {
    const char* arg = argv[i];
    if (std::strcmp(arg, "--help") == 0 || std::strcmp(arg, "-h") == 0) {
      std::fputs(kUsage, stdout);
      return 0;
    }
  }
  for (int i = 1; i < argc; ++i) {
    const char* arg = argv[i];
    if (std::strcmp(arg, "-fullscreen") != 0 && std::strcmp(arg, "-screen") != 0 &&
        std::strcmp(arg, "-rotate") != 0)
      return Refuse(arg[0] == '-' ? "unknown option" : "unknown argument", arg);
    if (i + 1 >= argc) return Refuse("no number after", arg);
    if (!IsNumber(argv[i + 1])) {
      std::fprintf(stderr, "ostrel: %s takes a number, not %s\n%s", arg, argv[i + 1], kUsage);
      return 2;
    }
    ++i;
  }
  return -1;
}
