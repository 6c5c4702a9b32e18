// libFuzzer entry point: arbitrary bytes as an LZ block. A block of the bit
// levels decodes as the format read bit by bit and byte by byte does: the
// same refusal, or the same bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "support/LzBlocks.h"
#include "vrax/io/SLzCodec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  SLzCodec lz;
  if (lz.SetPacked(data, size) < 0) return 0;
  // Bound the output so that a header claiming gigabytes does not exhaust memory.
  if (lz.GetUnpackedSize() > (1u << 24)) return 0;
  std::vector<uint8_t> out(lz.GetUnpackedSize());
  const int r = lz.Decompress(out.data(), out.size());
  const int level = data[2] | data[3] << 8;
  if (level >= 2 && level <= 4) {
    const testsupport::Bytes block(lz.GetPackedData(), lz.GetPackedData() + lz.GetPackedSize());
    testsupport::Bytes want;
    if (testsupport::ReferenceLzDecode(block, &want) != r || (r == 0 && want != out)) std::abort();
  }
  return 0;
}
