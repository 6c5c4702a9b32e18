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

// Lines before + i + after for i from 0 up to times - 1 (a long list of
// lines that each name a file of their own: "t0.png\r\n", "t1.png\r\n", ...).
inline std::string Numbered(const std::string& before, const std::string& after, int times) {
  std::string s;
  for (int i = 0; i < times; ++i) s += before + std::to_string(i) + after;
  return s;
}

}  // namespace testsupport
