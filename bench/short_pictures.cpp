// What a picture file far shorter than the pixels its header claims costs
// the decoder: a PNG of 167 bytes (the first row of a 4096 x 4096 picture)
// and a JPEG of 64 x 64 pixels whose frame header says 4096 x 4096, both
// refused. Counters: the file's bytes, and the most memory the decode held
// at once through the program's `new` (where the decoders make the
// picture's rows), in KB.
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <new>
#include <vector>

#include "platform/image_decode.h"
#include "support/image_files.h"

namespace {

size_t g_live = 0, g_peak = 0;

std::vector<uint8_t> ShortPng() { return testsupport::FlatPng(4096, 4096, 0xFF336699u, {}, 1); }

std::vector<uint8_t> ShortJpeg() {
  std::vector<uint8_t> f = testsupport::EncodeJpeg(
      testsupport::MakeImage(64, 64, [](int x, int y) { return 0xFF000000u | uint32_t(x * 4) << 8 | uint32_t(y * 4); }));
  for (size_t at = 2; at + 9 < f.size(); at += 2 + (size_t(f[at + 2]) << 8 | f[at + 3])) {
    if (f[at + 1] != 0xC0) continue;
    f[at + 5] = 0x10, f[at + 6] = 0x00, f[at + 7] = 0x10, f[at + 8] = 0x00;  // height, width
    break;
  }
  return f;
}

void Decode(benchmark::State& state, const std::vector<uint8_t>& file) {
  size_t peak = 0;
  for (auto _ : state) {
    plat::Image out;
    g_peak = g_live;
    const size_t base = g_live;
    benchmark::DoNotOptimize(plat::DecodeImage(file.data(), file.size(), &out));
    if (g_peak - base > peak) peak = g_peak - base;
  }
  state.counters["file_bytes"] = double(file.size());
  state.counters["held_KB"] = double(peak) / 1024;
}

void BM_ShortPng(benchmark::State& state) { Decode(state, ShortPng()); }
void BM_ShortJpeg(benchmark::State& state) { Decode(state, ShortJpeg()); }

BENCHMARK(BM_ShortPng)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ShortJpeg)->Unit(benchmark::kMicrosecond);

}  // namespace

// The program's `new` and `delete`, counting what is held.
void* operator new(std::size_t n) {
  void* p = std::malloc(n == 0 ? 1 : n);
  if (p == nullptr) throw std::bad_alloc();
  g_live += malloc_usable_size(p);
  if (g_live > g_peak) g_peak = g_live;
  return p;
}
void operator delete(void* p) noexcept {
  if (p != nullptr) g_live -= malloc_usable_size(p);
  std::free(p);
}
void operator delete(void* p, std::size_t) noexcept { operator delete(p); }

BENCHMARK_MAIN();
