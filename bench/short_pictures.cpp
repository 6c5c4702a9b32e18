// What a picture file far shorter than the pixels its header claims costs
// the decoder: a PNG of 167 bytes (the first row of a 4096 x 4096 picture)
// and a JPEG of 64 x 64 pixels whose frame header says 4096 x 4096, both
// refused. Counters: the file's bytes, and the most memory the decode held
// at once through the program's `new` (where the decoders make the
// picture's rows), in KB.
//
// And what a progressive JPEG's scans cost against a plain picture of the
// same size, 8192 x 2048 of noise at quality 100 (the heaviest a plain
// picture of that size decodes): the plain picture in colour (4:2:0 and
// 4:4:4) and grey, the encoder's own progressive script, a script of 100
// scans (each AC coefficient of a band of its own) and one of 100 scans
// that repeats the luma's whole band, and scripts that send every AC
// coefficient a bit at a time (7 scans a component): past the scans' bound,
// they are refused where they reach it, so their time is the most the
// bound lets a picture of that size and layout take.
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

const plat::Image& Noise() {
  static const plat::Image noise = testsupport::MakeImage(8192, 2048, [](int x, int y) {
    uint32_t s = uint32_t(y) * 8192u + uint32_t(x);
    s = (s ^ 61u) ^ (s >> 16);
    s *= 9u;
    s ^= s >> 4;
    s *= 0x27D4EB2Du;
    s ^= s >> 15;
    return 0xFF000000u | (s & 0xFFFFFFu);
  });
  return noise;
}

void Jpeg(benchmark::State& state, const std::vector<uint8_t>& file) {
  bool decoded = false;
  for (auto _ : state) {
    plat::Image out;
    decoded = plat::DecodeImage(file.data(), file.size(), &out);
    benchmark::DoNotOptimize(out.rgba.data());
  }
  state.counters["file_MB"] = double(file.size()) / (1 << 20);
  state.counters["decoded"] = decoded ? 1 : 0;
}

void Jpeg(benchmark::State& state, const testsupport::JpegForm& form, const std::vector<testsupport::JpegScan>& scans) {
  Jpeg(state, testsupport::EncodeJpeg(Noise(), 100, form, scans));
}

// Every AC band 1..63 of `component` at bits 7 down to 0: a first scan at
// bit 6, then one refinement for each lower bit.
void AddBitsOfEveryBand(std::vector<testsupport::JpegScan>* s, std::vector<int> component) {
  s->push_back({component, 1, 63, 0, 6});
  for (int al = 5; al >= 0; --al) s->push_back({component, 1, 63, al + 1, al});
}

std::vector<testsupport::JpegScan> ColourBits() {
  std::vector<testsupport::JpegScan> s = {{{0, 1, 2}, 0, 0, 0, 0}};
  for (int c : {0, 1, 2}) AddBitsOfEveryBand(&s, {c});
  return s;
}

std::vector<testsupport::JpegScan> GreyBits() {
  std::vector<testsupport::JpegScan> s = {{{0}, 0, 0, 0, 0}};
  AddBitsOfEveryBand(&s, {0});
  return s;
}

void BM_JpegPlain420(benchmark::State& state) { Jpeg(state, {false, 2, false}, {}); }
void BM_JpegPlain444(benchmark::State& state) { Jpeg(state, {false, 1, false}, {}); }
void BM_JpegPlainGrey(benchmark::State& state) { Jpeg(state, {true, 1, false}, {}); }
void BM_JpegProgressive420(benchmark::State& state) { Jpeg(state, {false, 2, true}, {}); }
void BM_JpegProgressive444(benchmark::State& state) { Jpeg(state, {false, 1, true}, {}); }
void BM_JpegProgressiveGrey(benchmark::State& state) { Jpeg(state, {true, 1, true}, {}); }
void BM_Jpeg100Scans(benchmark::State& state) { Jpeg(state, {false, 2, false}, testsupport::SpectralScript(100)); }
void BM_Jpeg64Scans(benchmark::State& state) { Jpeg(state, {false, 2, false}, testsupport::SpectralScript(64)); }
// The luma's whole AC band, 97 times over (the decoder takes it again
// without a warning): 100 scans, of a picture of one colour (of noise, the
// file would be 1.5 GB).
void BM_Jpeg100ScansOneBand(benchmark::State& state) {
  const plat::Image flat = testsupport::MakeImage(8192, 2048, [](int, int) { return 0xFF5080B0u; });
  Jpeg(state, testsupport::RepeatScan(testsupport::EncodeJpeg(flat, 100, testsupport::SpectralScript(4)), 2, 96));
}
void BM_JpegBits444(benchmark::State& state) { Jpeg(state, {false, 1, false}, ColourBits()); }
void BM_JpegBitsGrey(benchmark::State& state) { Jpeg(state, {true, 1, false}, GreyBits()); }

BENCHMARK(BM_JpegPlain420)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_JpegPlain444)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_JpegPlainGrey)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_JpegProgressive420)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_JpegProgressive444)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_JpegProgressiveGrey)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Jpeg100Scans)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Jpeg64Scans)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Jpeg100ScansOneBand)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_JpegBits444)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_JpegBitsGrey)->Unit(benchmark::kMillisecond);

}  // namespace

// The program's `new` and `delete`, counting what is held.
void* operator new(std::size_t n) {
  void* p = std::malloc(n == 0 ? 1 : n);
  if (p == nullptr) throw std::bad_alloc();
  g_live += malloc_usable_size(p);
  if (g_live > g_peak) g_peak = g_live;
  return p;
}
namespace {
void Forget(void* p) {
  if (p != nullptr) g_live -= malloc_usable_size(p);
  std::free(p);
}
}  // namespace
void operator delete(void* p) noexcept { Forget(p); }
void operator delete(void* p, std::size_t) noexcept { Forget(p); }
// Every other form goes through the two above, so that each block is freed
// the way it was made (the sanitizers check that).
void* operator new[](std::size_t n) { return operator new(n); }
void* operator new(std::size_t n, const std::nothrow_t&) noexcept {
  try {
    return operator new(n);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}
void* operator new[](std::size_t n, const std::nothrow_t& t) noexcept { return operator new(n, t); }
void operator delete[](void* p) noexcept { Forget(p); }
void operator delete[](void* p, std::size_t) noexcept { Forget(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { Forget(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { Forget(p); }

BENCHMARK_MAIN();
