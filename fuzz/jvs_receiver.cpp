// Feeds arbitrary wire bytes to the bus's receive state machine, split into
// reads at the positions the first byte chooses; a complete frame must lie
// inside the machine's buffer and its length must come from the wire.
#include <cstddef>
#include <cstdint>

#include "cabinet/JvsFrame.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  JvsReceiver rx;
  const size_t step = data[0] % 7 + 1;
  for (size_t i = 1; i < size; i += step) {
    if (data[0] & 0x80) rx.Reset();
    for (size_t k = i; k < size && k < i + step; ++k) {
      if (rx.Feed(data[k]) == JvsReceiver::kFrame && rx.Size() > 254) __builtin_trap();
    }
  }
  return 0;
}
