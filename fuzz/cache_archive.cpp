// libFuzzer entry point: arbitrary bytes as a cache archive (".sca"), loaded
// into a cache of the game's size, then every entry the archive names read
// out as the I/O manager serves a cached file: its size, a buffer of that
// size, the copy or the LZ decode into it. An entry's size never exceeds
// the cache's capacity, so no read asks for more. The entries the cache
// keeps, empty ones too, never take more than it charged to its pool; a
// pool of 4 KB takes what fits and leaves the rest out. What the pools
// hold is what they charged to the shared total, all given back when they
// end.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>
#include <string>

#include "fuzz/load_bytes.h"
#include "platform/byte_order.h"
#include "vrax/io/LoadBudget.h"
#include "vrax/io/SCacheArchive.h"

namespace {

// The cache the game sets up (mode 2, 16 MB).
constexpr uint32_t kCapacity = 16777216;

void ServeEntry(const SCacheArchive& cache, const std::string& name) {
  uint32_t n = 0;
  if (cache.GetSize(name, &n) < 0) return;
  if (n > kCapacity) __builtin_trap();
  std::unique_ptr<uint8_t[]> out(new (std::nothrow) uint8_t[n == 0 ? 1 : n]);
  if (out) cache.Lookup(name, out.get(), n);
}

void Run(const uint8_t* data, size_t size);

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // What the pools hold is charged to the shared total while they live,
  // exactly, and given back when they end.
  if (LoadedTotal().Used() != 0) __builtin_trap();
  Run(data, size);
  if (LoadedTotal().Used() != 0) __builtin_trap();
  return 0;
}

namespace {

void Run(const uint8_t* data, size_t size) {
  SCacheArchive cache;
  cache.Init(kCapacity, 1);
  fuzzsupport::LoadBytes::Begin();
  cache.LoadFromMemory(data, size);
  if (fuzzsupport::LoadBytes::End() > cache.ChargedBytes() + fuzzsupport::LoadBytes::kSlack) __builtin_trap();
  // A small pool fills: what it takes stays within it.
  SCacheArchive small;
  small.Init(4096, 1);
  fuzzsupport::LoadBytes::Begin();
  small.LoadFromMemory(data, size);
  if (fuzzsupport::LoadBytes::End() > small.ChargedBytes() + fuzzsupport::LoadBytes::kSlack ||
      small.ChargedBytes() > 4096)
    __builtin_trap();
  if (LoadedTotal().Used() != cache.ChargedBytes() + small.ChargedBytes()) __builtin_trap();
  if (size < SCacheArchive::kHeaderSize) return;
  // The names, walked as the archive lays them out (an entry running past
  // the end stops the walk, as it stops the load).
  size_t at = SCacheArchive::kHeaderSize;
  while (size - at >= SCacheArchive::kEntryHeaderSize) {
    const char* field = reinterpret_cast<const char*>(data + at);
    ServeEntry(cache, std::string(field, strnlen(field, SCacheArchive::kNameField)));
    const uint32_t dataSize = plat::ReadLe32(data + at + SCacheArchive::kNameField);
    at += SCacheArchive::kEntryHeaderSize;
    if (dataSize > size - at) break;
    at += dataSize;
  }
}

}  // namespace
