// libFuzzer entry point: sound list (".sr") reading, walked line by line the
// way the sound resource's loader walks it.
#include <cstddef>
#include <cstdint>

#include "vrax/sound/SoundList.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  size_t cursor = 0;
  size_t lines = 0;
  while (cursor < size) {
    SoundListLine line;
    if (!ReadSoundListLine(data, size, cursor, &line)) break;
    if (line.name.size() > kMaxSoundNameLength) __builtin_trap();
    const size_t next = SoundListNextLine(data, size, cursor);
    if (next <= cursor) __builtin_trap();  // the walk always moves on
    cursor = next;
    ++lines;
  }
  if (lines > size) __builtin_trap();
  return 0;
}
