// libFuzzer entry point: arbitrary bytes as a replay file (".rpd").
#include <cstddef>
#include <cstdint>
#include <vector>

#include "game/core/Replay.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<uint8_t> frames;
  if (Replay::Decode(data, size, &frames) && frames.size() > Replay::kMaxFrames) __builtin_trap();
  return 0;
}
