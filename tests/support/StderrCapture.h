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

}  // namespace testsupport
