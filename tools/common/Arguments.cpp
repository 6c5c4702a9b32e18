#include "tools/common/Arguments.h"

#include <cstdio>
#include <cstring>

#include "tools/common/WholeNumber.h"

namespace tools {

bool AsksForHelp(const char* word) {
  return word != nullptr && (std::strcmp(word, "--help") == 0 || std::strcmp(word, "-h") == 0);
}

int ShowHelp(const char* usage) {
  std::fputs(usage, stdout);
  return 0;
}

int UsageError(const char* usage) {
  std::fputs(usage, stderr);
  return 2;
}

int CheckFolder(const char* tool, const std::string& argument, const char* word, const std::string& what) {
  if (word != nullptr && *word != '\0') return 0;
  return BadArgument(tool, argument, "a folder: " + what);
}

}  // namespace tools
