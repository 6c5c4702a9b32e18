// The engine's LZ codec against zlib on the same inputs in one run: compress
// and decompress throughput (bytes of unpacked data per second) and the ratio
// packed / unpacked, at LZ levels 1 to 4 and zlib levels 1 and 9. Also the
// unpack of a 16 MiB run, as the cache holds a file padded with zeros: packed
// by the game's writer at its cache level (matches of 83 bytes from 83 back)
// and written with matches of the longest length from 4 back. And the
// unpack of 16 MiB blocks made of one match shape (distance, length) over
// and over, by the codec and by the baseline decoder of lz_baseline.h in the
// same run, so that every shape's two times can be set side by side.
#include <benchmark/benchmark.h>
#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "lz_baseline.h"
#include "support/LzBlocks.h"
#include "vrax/io/SLzCodec.h"

namespace {

using Bytes = std::vector<uint8_t>;
constexpr size_t kSize = 256 * 1024;

uint32_t g_seed = 1;
uint32_t Next() { return g_seed = g_seed * 1664525u + 1013904223u; }

// Script-like text: lines of words from a small vocabulary with numbers.
Bytes MakeText() {
  static const char* const kWords[] = {"enemy", "spawn", "path", "speed", "wait", "fire", "bullet",
                                       "angle", "boss",  "stage", "cloud", "move", "turn", "end"};
  std::string s;
  g_seed = 7;
  while (s.size() < kSize) {
    int n = 3 + Next() % 5;
    for (int i = 0; i < n; ++i) {
      s += kWords[(Next() >> 8) % 14];
      s += ' ';
    }
    s += std::to_string((Next() >> 10) % 1000) + "\r\n";
  }
  s.resize(kSize);
  return Bytes(s.begin(), s.end());
}

// Model-like binary: vertex records of floats on a smooth surface, colours
// and 16-bit indices.
Bytes MakeBinary() {
  Bytes b;
  g_seed = 11;
  while (b.size() < kSize) {
    for (int i = 0; i < 64 && b.size() < kSize; ++i) {
      float v[6] = {static_cast<float>(i % 8) * 0.5f, static_cast<float>(i / 8) * 0.5f,
                    static_cast<float>((Next() >> 20) % 16) * 0.0625f, 0.0f, 0.0f, 1.0f};
      uint32_t colour = 0xFF000000u | ((Next() >> 12) & 0x3F3F3Fu);
      b.insert(b.end(), reinterpret_cast<uint8_t*>(v), reinterpret_cast<uint8_t*>(v) + sizeof v);
      b.insert(b.end(), reinterpret_cast<uint8_t*>(&colour), reinterpret_cast<uint8_t*>(&colour) + 4);
    }
    for (uint16_t i = 0; i < 96 && b.size() < kSize; ++i) {
      uint16_t idx = static_cast<uint16_t>(i / 3 + (i % 3));
      b.push_back(static_cast<uint8_t>(idx));
      b.push_back(static_cast<uint8_t>(idx >> 8));
    }
  }
  b.resize(kSize);
  return b;
}

const Bytes& Input(int which) {
  static const Bytes text = MakeText();
  static const Bytes binary = MakeBinary();
  return which == 0 ? text : binary;
}

void SetCounters(benchmark::State& state, size_t packed) {
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(kSize));
  state.counters["ratio"] = static_cast<double>(packed) / static_cast<double>(kSize);
}

void BM_LzCompress(benchmark::State& state) {
  const Bytes& in = Input(static_cast<int>(state.range(0)));
  SLzCodec lz;
  for (auto _ : state) {
    lz.Compress(in.data(), static_cast<uint32_t>(in.size()), static_cast<int32_t>(state.range(1)));
    benchmark::DoNotOptimize(lz.GetPackedData());
  }
  SetCounters(state, lz.GetPackedSize());
}

// The codec's decoder (baseline false) or the baseline's (lz_baseline.h).
template <bool baseline>
void LzDecompress(benchmark::State& state) {
  const Bytes& in = Input(static_cast<int>(state.range(0)));
  SLzCodec lz;
  lz.Compress(in.data(), static_cast<uint32_t>(in.size()), static_cast<int32_t>(state.range(1)));
  Bytes out(in.size());
  for (auto _ : state) {
    const int32_t r = baseline ? lzbaseline::DecodeBlock(lz.GetPackedData(), lz.GetPackedSize(), out.data(), out.size())
                               : lz.Decompress(out.data(), out.size());
    if (r < 0) state.SkipWithError("decode failed");
    benchmark::DoNotOptimize(out.data());
  }
  if (out != in) state.SkipWithError("round trip differs");
  SetCounters(state, lz.GetPackedSize());
}
void BM_LzDecompress(benchmark::State& state) { LzDecompress<false>(state); }
void BM_LzDecompressBaseline(benchmark::State& state) { LzDecompress<true>(state); }

void BM_ZlibCompress(benchmark::State& state) {
  const Bytes& in = Input(static_cast<int>(state.range(0)));
  Bytes out(compressBound(in.size()));
  uLongf n = 0;
  for (auto _ : state) {
    n = out.size();
    compress2(out.data(), &n, in.data(), in.size(), static_cast<int>(state.range(1)));
    benchmark::DoNotOptimize(out.data());
  }
  SetCounters(state, n);
}

void BM_ZlibDecompress(benchmark::State& state) {
  const Bytes& in = Input(static_cast<int>(state.range(0)));
  Bytes packed(compressBound(in.size()));
  uLongf n = packed.size();
  compress2(packed.data(), &n, in.data(), in.size(), static_cast<int>(state.range(1)));
  Bytes out(in.size());
  for (auto _ : state) {
    uLongf outLen = out.size();
    if (uncompress(out.data(), &outLen, packed.data(), n) != Z_OK) state.SkipWithError("inflate failed");
    benchmark::DoNotOptimize(out.data());
  }
  SetCounters(state, n);
}

// 16 MiB of zeros behind a few bytes of head: arg 0 the writer's level 2
// block, arg 1 a level 4 block of matches 1363 bytes long from 4 back.
template <bool baseline>
void LzUnpackRun(benchmark::State& state) {
  constexpr uint32_t kRun = 16u << 20;
  Bytes block;
  if (state.range(0) == 0) {
    Bytes in(kRun, 0);
    in[0] = 0x89, in[1] = 'P', in[2] = 'N', in[3] = 'G';
    SLzCodec lz;
    lz.Compress(in.data(), kRun, 2);
    block.assign(lz.GetPackedData(), lz.GetPackedData() + lz.GetPackedSize());
  } else {
    std::vector<testsupport::HandLzStep> steps = {{Bytes(4, 0), 4, 1363}};
    for (uint32_t made = 4 + 1363; made + 1363 <= kRun; made += 1363) steps.push_back({{}, 4, 1363});
    block = testsupport::HandLzBlock(4, steps, false);
  }
  SLzCodec::Header h{};
  SLzCodec::ReadHeader(block.data(), block.size(), &h);
  Bytes out(h.unpackedSize);
  for (auto _ : state) {
    const int32_t r = baseline ? lzbaseline::DecodeBlock(block.data(), block.size(), out.data(), out.size())
                               : SLzCodec::DecodeBlock(block.data(), block.size(), out.data(), out.size());
    if (r < 0) state.SkipWithError("decode failed");
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(out.size()));
}
void BM_LzUnpackRun(benchmark::State& state) { LzUnpackRun<false>(state); }
void BM_LzUnpackRunBaseline(benchmark::State& state) { LzUnpackRun<true>(state); }

// 16 MiB of one match shape: D literal bytes, then runs of no literals each
// followed by a match of distance D and length L, at level 1 (bytes) or
// level 2 (bits), cut to whole steps. Made once per shape.
Bytes ShapeBlock(int level, uint32_t d, uint32_t len) {
  constexpr uint32_t kShape = 16u << 20;
  Bytes lits(d);
  for (uint32_t i = 0; i < d; ++i) lits[i] = static_cast<uint8_t>(0x41 + i);
  const uint32_t matches = (kShape - d) / len;
  if (level == 2) {
    std::vector<testsupport::HandLzStep> steps(matches);
    steps[0].lits = lits;
    for (auto& s : steps) s.d = d, s.len = len;
    return testsupport::HandLzBlock(2, steps, false);
  }
  Bytes tokens{static_cast<uint8_t>(d)};
  tokens.reserve(3u * matches + 1);
  for (uint32_t m = 0; m < matches; ++m) {
    if (m != 0) tokens.push_back(0);
    tokens.push_back(static_cast<uint8_t>(d - 4));
    tokens.push_back(static_cast<uint8_t>(len - 4));
  }
  Bytes b(SLzCodec::kHeaderSize + tokens.size() + d);
  const uint32_t fields[] = {static_cast<uint32_t>(b.size()), static_cast<uint32_t>(tokens.size()), d,
                             d + matches * len};
  b[0] = 1, b[2] = 1;
  for (int f = 0; f < 4; ++f)
    for (int i = 0; i < 4; ++i) b[size_t(4 + 4 * f + i)] = static_cast<uint8_t>(fields[f] >> (8 * i));
  std::copy(tokens.begin(), tokens.end(), b.begin() + SLzCodec::kHeaderSize);
  std::copy(lits.begin(), lits.end(), b.end() - d);
  return b;
}

// Args: level, distance, length. The codec's decoder (baseline false) or the
// baseline's; both must give the same bytes.
template <bool baseline>
void LzShape(benchmark::State& state) {
  const Bytes block = ShapeBlock(static_cast<int>(state.range(0)), static_cast<uint32_t>(state.range(1)),
                                 static_cast<uint32_t>(state.range(2)));
  SLzCodec::Header h{};
  SLzCodec::ReadHeader(block.data(), block.size(), &h);
  Bytes out(h.unpackedSize), other(h.unpackedSize);
  auto decode = [&](Bytes& to, bool base) {
    return base ? lzbaseline::DecodeBlock(block.data(), block.size(), to.data(), to.size())
                : SLzCodec::DecodeBlock(block.data(), block.size(), to.data(), to.size());
  };
  if (decode(out, baseline) < 0 || decode(other, !baseline) < 0 || out != other) {
    state.SkipWithError("the two decoders disagree");
    return;
  }
  for (auto _ : state) {
    decode(out, baseline);
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(out.size()));
}
void BM_LzShape(benchmark::State& state) { LzShape<false>(state); }
void BM_LzShapeBaseline(benchmark::State& state) { LzShape<true>(state); }

// Distances 4 to 8 and 16 (the format has none below 4), lengths from the
// shortest to the longest of level 1 (259) and of level 2 (83).
void ShapeArgs(benchmark::internal::Benchmark* b) {
  for (int level : {1, 2})
    for (int d : {4, 5, 6, 7, 8, 16})
      for (int len : {4, 5, 8, 16, 29, 32, 64, 65, 83, 128, 259})
        if (len <= static_cast<int>(SLzCodec::Window(level))) b->Args({level, d, len});
}

// Args: input (0 text, 1 binary), level.
void LzArgs(benchmark::internal::Benchmark* b) {
  for (int in = 0; in < 2; ++in)
    for (int level = 1; level <= 4; ++level) b->Args({in, level});
}
void ZlibArgs(benchmark::internal::Benchmark* b) {
  for (int in = 0; in < 2; ++in)
    for (int level : {1, 9}) b->Args({in, level});
}

BENCHMARK(BM_LzCompress)->Apply(LzArgs)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ZlibCompress)->Apply(ZlibArgs)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LzDecompress)->Apply(LzArgs)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LzDecompressBaseline)->Apply(LzArgs)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ZlibDecompress)->Apply(ZlibArgs)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LzUnpackRun)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LzUnpackRunBaseline)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LzShape)->Apply(ShapeArgs)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LzShapeBaseline)->Apply(ShapeArgs)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
