#pragma once
#include <string>

namespace testsupport {

// The text written `times` times in a row (a long list of one line).
inline std::string Repeated(const std::string& text, int times) {
  std::string s;
  s.reserve(text.size() * static_cast<size_t>(times > 0 ? times : 0));
  for (int i = 0; i < times; ++i) s += text;
  return s;
}

}  // namespace testsupport
