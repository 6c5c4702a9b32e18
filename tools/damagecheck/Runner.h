#pragma once
// One run of the whole program on one data tree, headless on the null
// device: a stretch of the attract sequence or a recorded stage play,
// going on past every error line. It prints, one a line on standard output:
//   read <frame> <path>    a data file opened for the first time (--watch)
//   error <frame> <text>   an error line
//   scene <frame> <id>     a scene starts, a stage as 1000 + its request's
//                          number (--watch)
//   end <frame> <reason>   how the run ended
//   times <frame> ...      with --times, just before the end line: the
//                          slowest frame (which it was, the wall time of
//                          its step and the processor time the frame's
//                          thread spent in it) and the most resident
//                          memory the process reached, and the most the
//                          shared total of loads held
// and returns the exit status: 0 when the run ended as planned, 1 when the
// program failed to start, quit, or a scene stayed on too long. A sanitizer
// report ends the process itself.
#include <cstdint>
#include <string>

namespace damagecheck {

struct RunOptions {
  std::string scenario;  // one of Scenarios()
  std::string dataDir;
  // Frames after the first error line at which the run stops (0: it runs
  // to the scenario's end).
  int64_t margin = 0;
  // Report every data file the run opens.
  bool watch = false;
  // When above 0: the run goes on for exactly this many frames instead
  // (an attract stretch goes on round the attract sequence).
  int64_t frames = 0;
  // Report the slowest frame and the peak resident memory at the end.
  bool times = false;
};

// "opening demo1 demo2 demo3 stage4 stage5".
const char* const* Scenarios();
bool IsScenario(const std::string& name);
// A scenario of the check, or stage1 to stage3 (the recorded plays).
bool IsRunScenario(const std::string& name);

int RunScenario(const RunOptions& options);

}  // namespace damagecheck
