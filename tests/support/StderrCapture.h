#pragma once
#include <gtest/gtest.h>

#include <string>

namespace testsupport {

// Captures standard error from construction until Take. A test that stops
// early (a failed ASSERT) ends its capture on the way out, so the next test
// can capture again instead of stopping the whole run.
class StderrCapture {
 public:
  StderrCapture() { ::testing::internal::CaptureStderr(); }
  ~StderrCapture() { Take(); }
  StderrCapture(const StderrCapture&) = delete;
  StderrCapture& operator=(const StderrCapture&) = delete;
  // What was written since construction; empty after the first call.
  std::string Take() {
    if (!active_) return {};
    active_ = false;
    return ::testing::internal::GetCapturedStderr();
  }

 private:
  bool active_ = true;
};

// How many lines of the text begin with the prefix and hold the words
// (any line with the prefix when they are empty), wherever the line starts.
inline int LinesWith(const std::string& text, const std::string& prefix, const std::string& words = "") {
  int n = 0;
  for (size_t p = 0; (p = text.find(prefix, p)) != std::string::npos; ++p) {
    const size_t end = text.find('\n', p);
    if (text.substr(p, end - p).find(words) != std::string::npos) ++n;
  }
  return n;
}

}  // namespace testsupport
