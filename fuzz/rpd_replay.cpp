// libFuzzer entry point: arbitrary bytes as a replay file (".rpd"), loaded
// for playback as a demo or the tutorial loads it (read, unpacked), then
// played to its end frame by frame into the player's input counters, as the
// player steps it. After each frame a counter is held (0 or up) exactly
// when the frame's byte has its bit set. The frames are charged to the
// shared total while they are held, and nothing else stays charged.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "game/core/Replay.h"
#include "platform/message_box.h"
#include "vrax/io/LoadBudget.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string kPath = [] {
    plat::SetMessageBoxQuiet(true);
    return "/tmp/ostrel-fuzz-replay-" + std::to_string(getpid()) + ".rpd";
  }();
  std::vector<uint8_t> frames;
  const bool decoded = Replay::Decode(data, size, &frames);
  if (decoded && frames.size() > Replay::kMaxFrames) __builtin_trap();

  FILE* f = std::fopen(kPath.c_str(), "wb");
  if (f == nullptr) return 0;
  const bool written = std::fwrite(data, 1, size, f) == size;
  if (std::fclose(f) != 0 || !written) return 0;
  Replay replay;
  replay.Begin(Replay::MODE_PLAY, kPath.c_str());
  std::remove(kPath.c_str());
  if ((replay.GetMode() == Replay::MODE_PLAY) != decoded || replay.Data() != frames) __builtin_trap();
  // The frames held are charged to the shared total, the file no longer.
  if (LoadedTotal().Used() != replay.Data().size()) __builtin_trap();
  int32_t c[8] = {};
  for (const uint8_t byte : frames) {
    replay.Step(&c[0], &c[1], &c[2], &c[3], &c[4], &c[5], &c[6], &c[7]);
    for (int i = 0; i < 8; ++i)
      if ((c[i] >= 0) != ((byte & (0x80u >> i)) != 0)) __builtin_trap();
  }
  replay.Clear();
  if (LoadedTotal().Used() != 0) __builtin_trap();
  return 0;
}
