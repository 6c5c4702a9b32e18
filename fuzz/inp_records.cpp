// libFuzzer entry point: arbitrary bytes as the Player's input records
// (".inp").
#include <cstddef>
#include <cstdint>
#include <vector>

#include "game/player/InpRsc.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<uint8_t> records;
  if (InpRsc::Parse(data, size, &records) && records.size() + 4 > size) __builtin_trap();
  return 0;
}
