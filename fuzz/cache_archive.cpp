// libFuzzer entry point: arbitrary bytes as a cache archive (".sca").
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "vrax/io/SCacheArchive.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  SCacheArchive cache;
  cache.Init(1u << 22, 1);
  cache.LoadFromMemory(data, size);
  // Every entry that loaded must look up within its own size.
  if (size >= SCacheArchive::kHeaderSize + SCacheArchive::kNameField) {
    const char* field = reinterpret_cast<const char*>(data) + SCacheArchive::kHeaderSize;
    std::string name(field, strnlen(field, SCacheArchive::kNameField));
    uint32_t n = 0;
    if (cache.GetSize(name, &n) == 0 && n <= (1u << 22)) {
      std::vector<uint8_t> out(n);
      cache.Lookup(name, out.data(), out.size());
    }
  }
  return 0;
}
