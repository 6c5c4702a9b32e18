// libFuzzer entry point: arbitrary bytes as an LZ block.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "vrax/io/SLzCodec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  SLzCodec lz;
  if (lz.SetPacked(data, size) < 0) return 0;
  // Bound the output so that a header claiming gigabytes does not exhaust memory.
  if (lz.GetUnpackedSize() > (1u << 24)) return 0;
  std::vector<uint8_t> out(lz.GetUnpackedSize());
  lz.Decompress(out.data(), out.size());
  return 0;
}
