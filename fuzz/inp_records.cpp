// libFuzzer entry point: arbitrary bytes as the Player's input records
// (".inp"), parsed as the resource parses them, with and without a budget.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "game/player/InpRsc.h"
#include "vrax/io/LoadBudget.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<uint8_t> records;
  if (InpRsc::Parse(data, size, &records) && records.size() + 4 > size) __builtin_trap();
  // With a budget the records' block is charged exactly (its bytes and the
  // allocator's header), or nothing when they are refused.
  LoadBudget budget(uint64_t(1) << 20);
  std::vector<uint8_t> charged;
  const bool parsed = InpRsc::Parse(data, size, &charged, &budget);
  if (parsed && charged != records) __builtin_trap();
  if (budget.Used() != (parsed && !charged.empty() ? charged.size() + kHeapBlockOverhead : 0)) __builtin_trap();
  return 0;
}
