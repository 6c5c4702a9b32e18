#include "vrax/io/SLzCodec.h"

#include <gtest/gtest.h>

#include "support/LzBlocks.h"

#include <cstring>
#include <numeric>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

Bytes B(const std::string& s) { return Bytes(s.begin(), s.end()); }

Bytes Pack(const Bytes& in, int level) {
  SLzCodec lz;
  EXPECT_EQ(lz.Compress(in.data(), static_cast<uint32_t>(in.size()), level), 0);
  return Bytes(lz.GetPackedData(), lz.GetPackedData() + lz.GetPackedSize());
}

Bytes Tokens(const Bytes& block) {
  uint32_t a = block[8] | block[9] << 8 | block[10] << 16 | block[11] << 24;
  return Bytes(block.begin() + 20, block.begin() + 20 + a);
}

uint32_t U32(const Bytes& b, size_t o) { return b[o] | b[o + 1] << 8 | b[o + 2] << 16 | b[o + 3] << 24; }

// Unpacks a block; -1 on refusal.
int Unpack(const Bytes& block, Bytes* out, size_t extraCapacity = 0) {
  SLzCodec lz;
  if (lz.SetPacked(block.data(), block.size()) < 0) return -1;
  out->assign(lz.GetUnpackedSize() + extraCapacity, 0xEE);
  int r = lz.Decompress(out->data(), out->size());
  out->resize(lz.GetUnpackedSize());
  return r;
}

Bytes Noise(size_t n, uint32_t seed) {
  Bytes b(n);
  for (auto& x : b) {
    seed = seed * 1664525u + 1013904223u;
    x = static_cast<uint8_t>(seed >> 24);
  }
  return b;
}

TEST(LzCodec, KnownBlocksLevel1) {
  Bytes blk = Pack(B("abcabcabcabc"), 1);
  ASSERT_EQ(blk.size(), 29u);
  EXPECT_EQ(blk[0] | blk[1] << 8, 1);  // version
  EXPECT_EQ(blk[2] | blk[3] << 8, 1);  // level
  for (auto [at, want] : {std::pair<size_t, uint32_t>{4, 29}, {8, 3}, {12, 6}, {16, 12}})
    EXPECT_EQ(U32(blk, at), want) << at;
  EXPECT_EQ(Tokens(blk), (Bytes{0x06, 0x02, 0x02}));
  EXPECT_EQ(std::string(blk.begin() + 23, blk.end()), "abcabc");

  EXPECT_EQ(Tokens(Pack(B("aaaaaaaa"), 1)), (Bytes{0x04, 0x00, 0x00}));
  // 128 literals, no repeat of 4 bytes: run written as 0x81 0x00.
  Bytes lit128(128);
  std::iota(lit128.begin(), lit128.end(), uint8_t{0});
  EXPECT_EQ(Tokens(Pack(lit128, 1)), (Bytes{0x81, 0x00}));
  EXPECT_EQ(Tokens(Pack({}, 1)), (Bytes{0x00})) << "empty input: one run of 0";
}

// The writer's choice among candidate matches: the shortest of at least 4
// bytes wins, and of equally short ones the one nearest the current position.
TEST(LzCodec, MatchChoiceShortestThenNearest) {
  // abcd X abcd Y abcd: at 10 both earlier abcd give 4 bytes; the one at 5
  // (D = 5) wins over the one at 0 (D = 10).
  // run 5, D-4 = 1, L-4 = 0; run 1, D-4 = 1, L-4 = 0; ends on a match.
  Bytes equal = Pack(B("abcdXabcdYabcd"), 1);
  EXPECT_EQ(Tokens(equal), (Bytes{0x05, 0x01, 0x00, 0x01, 0x01, 0x00}));
  EXPECT_EQ(std::string(equal.begin() + 26, equal.end()), "abcdXY");

  // abcd X abcdef Y abcdef: at 12 the far abcd (4 bytes, D = 12) beats the
  // near abcdef (6 bytes, D = 7); the trailing ef repeats only 2 bytes.
  // run 5, D 5, L 4; run 3, D 12, L 4; final run 2.
  Bytes shortest = Pack(B("abcdXabcdefYabcdef"), 1);
  EXPECT_EQ(Tokens(shortest), (Bytes{0x05, 0x01, 0x00, 0x03, 0x08, 0x00, 0x02}));
  EXPECT_EQ(std::string(shortest.begin() + 27, shortest.end()), "abcdXefYef");
  EXPECT_EQ(U32(shortest, 4), 37u);
  Bytes out;
  ASSERT_EQ(Unpack(shortest, &out), 0);
  EXPECT_EQ(out, B("abcdXabcdefYabcdef"));
}

TEST(LzCodec, KnownBlocksBitLevelsAndLevel5) {
  // 20 distinct bytes, then the first 4 again: run 20, D = 20, L = 4.
  Bytes in(20);
  std::iota(in.begin(), in.end(), uint8_t{'A'});
  in.insert(in.end(), in.begin(), in.begin() + 4);
  // run 20 = "10"+"01100", D-4 = 16 = "1"+"000000", L-4 = 0 = "0"+"0000".
  EXPECT_EQ(Tokens(Pack(in, 2)), (Bytes{0x99, 0x00, 0x00}));
  // 15 in code (4,2,*) is "0" + "1111": distance 19.
  Bytes in15(in.begin(), in.begin() + 19);
  in15.insert(in15.end(), in15.begin(), in15.begin() + 4);
  // run 19 = "10"+"01011", D-4 = 15 = "0"+"1111", L-4 = "00000"
  EXPECT_EQ(Tokens(Pack(in15, 2)), (Bytes{0x96, 0xF0, 0x00}));

  Bytes l5 = Pack(B("hello"), 5);
  EXPECT_EQ(l5.size(), 25u);
  EXPECT_EQ(U32(l5, 8), 0u);
  Bytes out;
  ASSERT_EQ(Unpack(l5, &out), 0);
  EXPECT_EQ(out, B("hello")) << "level 5 copies its literal stream";

  SLzCodec lz;
  for (int level : {0, 6}) EXPECT_EQ(lz.Compress("x", 1, level), -1) << level;
  EXPECT_EQ(lz.GetPackedData(), nullptr);
}

// Matches longer than their distance repeat the D bytes before them: byte
// i of the match is the byte D before it, so D distinct bytes followed by a
// match give those bytes again and again. Every distance from 4 to 40, with
// lengths around each doubling of the bytes in place (D, 2D, 4D, ... and one
// either side), the level's longest, and the match last in the block or
// followed by 5 or 24 bytes more (the copies that write past L take their
// fast paths only with room after it, up to 16 bytes).
TEST(LzCodec, OverlappingMatchesRepeatTheirDistance) {
  for (int level : {2, 4}) {
    const uint32_t longest = level == 2 ? 83 : 1363;
    for (uint32_t d = 4; d <= 40; ++d) {
      std::vector<uint32_t> lengths = {4, 5, longest, longest - 1};
      for (uint32_t p = d; p <= 2 * longest; p *= 2)
        for (uint32_t l : {p - 1, p, p + 1, p + d / 2})
          if (l >= 4 && l <= longest) lengths.push_back(l);
      for (const uint32_t len : lengths) {
        for (const std::string tail : {"", "tail!", "a tail of 24 bytes, more"}) {
          Bytes head(d);
          for (uint32_t i = 0; i < d; ++i) head[i] = static_cast<uint8_t>(0x41 + i * 7 % 61);
          std::vector<testsupport::HandLzStep> steps = {{head, d, len}};
          if (!tail.empty()) steps.push_back({B(tail), 0, 0});
          const Bytes block = testsupport::HandLzBlock(level, steps, !tail.empty());
          // Worked byte by byte: the head, then each byte of the match is
          // the head's byte at its offset modulo D, then the tail.
          Bytes want = head;
          for (uint32_t i = 0; i < len; ++i) want.push_back(head[i % d]);
          for (char c : tail) want.push_back(static_cast<uint8_t>(c));
          Bytes out;
          ASSERT_EQ(Unpack(block, &out), 0) << level << " " << d << " " << len;
          EXPECT_EQ(out, want) << "level " << level << " D " << d << " L " << len << " tail " << tail.size();
        }
      }
    }
  }
  // Runs of matches at one short distance (a long run of a pattern):
  // 4 bytes, then 40 matches of the level's longest at D = 4, 5 and 7.
  for (uint32_t d : {4u, 5u, 7u}) {
    Bytes head(d);
    for (uint32_t i = 0; i < d; ++i) head[i] = static_cast<uint8_t>(i + 1);
    std::vector<testsupport::HandLzStep> steps = {{head, d, 1363}};
    for (int i = 0; i < 39; ++i) steps.push_back({{}, d, 1363});
    Bytes want(d + 40 * 1363);
    for (size_t i = 0; i < want.size(); ++i) want[i] = static_cast<uint8_t>(i % d + 1);
    Bytes out;
    ASSERT_EQ(Unpack(testsupport::HandLzBlock(4, steps, false), &out), 0) << d;
    EXPECT_EQ(out, want) << d;
  }
}

TEST(LzCodec, RoundTripEveryLevelAndInput) {
  std::string text;
  for (int i = 0; i < 200; ++i) text += "the quick brown fox " + std::to_string(i % 17) + " jumps; ";
  Bytes binary;
  for (int i = 0; i < 6000; ++i) binary.push_back(static_cast<uint8_t>((i * i) >> 3 ^ (i % 7 == 0 ? 0xFF : 0)));
  Bytes zeros(5000, 0);
  const Bytes inputs[] = {B(text), binary, {}, Noise(3000, 7), zeros, B("abcd")};
  for (int level = 1; level <= 5; ++level) {
    for (const Bytes& in : inputs) {
      Bytes blk = Pack(in, level);
      Bytes out;
      ASSERT_EQ(Unpack(blk, &out, 3), 0) << "level " << level << " size " << in.size();
      EXPECT_EQ(out, in) << "level " << level << " size " << in.size();
      if (level < 5 && in == zeros) { EXPECT_LT(blk.size(), in.size() / 2); }
    }
  }
  EXPECT_LT(Pack(zeros, 4).size(), 100u);
}

TEST(LzCodec, BadBlocksFailCleanly) {
  Bytes good = Pack(B("abcabcabcabc"), 1);
  Bytes out;
  // One byte changed: the total no longer 20 + A + B; the version; a run of 2
  // with D = 6, before the output start; a run longer than the literal
  // stream; a length beyond the unpacked size; an unpacked size larger than
  // the streams can fill; an unknown level.
  const std::pair<size_t, uint8_t> changes[] = {{4, 30}, {0, 2}, {20, 0x02}, {20, 0x07}, {22, 0x03}, {16, 40}, {2, 9}};
  for (auto [at, value] : changes) {
    Bytes b = good;
    b[at] = value;
    EXPECT_EQ(Unpack(b, &out), -1) << at << " = " << int(value);
  }
  SLzCodec lz;
  EXPECT_EQ(lz.SetPacked(good.data(), good.size() - 1), -1) << "block longer than the bytes given";
  EXPECT_EQ(lz.Decompress(out.data(), 100), -1) << "nothing held";
  EXPECT_EQ(lz.SetPacked(nullptr, 0), 0);
  ASSERT_EQ(lz.SetPacked(good.data(), good.size()), 0);
  Bytes small(11);
  EXPECT_EQ(lz.Decompress(small.data(), small.size()), -1) << "destination too small";
}

// Deterministic mutations of valid blocks: decoding never crashes, never
// writes past the destination (the sanitizers watch) and either fails or
// yields exactly the unpacked size.
TEST(LzCodec, MutatedBlocksNeverCrash) {
  std::string text;
  for (int i = 0; i < 40; ++i) text += "mutation seed text " + std::to_string(i % 5);
  std::vector<Bytes> seeds;
  for (int level = 1; level <= 5; ++level) seeds.push_back(Pack(B(text), level));
  seeds.push_back(Pack(Noise(300, 3), 1));
  // Long runs and long matches: the codes the reader takes bit by bit.
  Bytes mixed = Noise(200, 9);
  mixed.insert(mixed.end(), 1500, 'z');
  for (int level = 2; level <= 4; ++level) seeds.push_back(Pack(mixed, level));
  uint32_t rng = 12345;
  auto next = [&] { return rng = rng * 1103515245u + 12345u, rng >> 8; };
  int refused = 0, decoded = 0;
  for (int iter = 0; iter < 4000; ++iter) {
    Bytes b = seeds[iter % seeds.size()];
    int edits = 1 + next() % 4;
    for (int e = 0; e < edits; ++e) {
      size_t at = next() % b.size();
      switch (next() % 4) {
        case 0: b[at] = static_cast<uint8_t>(next()); break;
        case 1: b[at] ^= static_cast<uint8_t>(1u << (next() % 8)); break;
        case 2: if (b.size() > 1) b.resize(at + 1); break;
        default: b.insert(b.begin() + at, static_cast<uint8_t>(next())); break;
      }
    }
    // Keep the header consistent half the time so the streams get exercised.
    if ((iter & 1) && b.size() >= 20) {
      uint32_t a = U32(b, 8) % (b.size() - 19);
      uint32_t l = static_cast<uint32_t>(b.size() - 20 - a);
      uint32_t total = static_cast<uint32_t>(b.size());
      for (int i = 0; i < 4; ++i) {
        b[4 + i] = static_cast<uint8_t>(total >> (8 * i));
        b[8 + i] = static_cast<uint8_t>(a >> (8 * i));
        b[12 + i] = static_cast<uint8_t>(l >> (8 * i));
      }
      b[0] = 1, b[1] = 0;
      if (U32(b, 16) > 100000) b[18] = b[19] = 0;
    }
    SLzCodec lz;
    if (lz.SetPacked(b.data(), b.size()) < 0) {
      ++refused;
      continue;
    }
    const size_t size = lz.GetUnpackedSize() <= 1u << 20 ? lz.GetUnpackedSize() : 0;
    // Decoded twice, into room for 8 more bytes filled with two different
    // patterns: a success writes every byte of the unpacked size (both
    // results agree) and not one beyond it (the fill is still there).
    Bytes out1(size + 8, 0xEE), out2(size + 8, 0x11);
    const int r1 = lz.Decompress(out1.data(), out1.size());
    const int r2 = lz.Decompress(out2.data(), out2.size());
    ASSERT_EQ(r1, r2) << iter;
    if (b[2] >= 2 && b[2] <= 4 && b[3] == 0 && size == lz.GetUnpackedSize()) {
      Bytes want;
      ASSERT_EQ(testsupport::ReferenceLzDecode(b, &want), r1) << iter;
      if (r1 == 0) { ASSERT_EQ(Bytes(out1.begin(), out1.begin() + long(size)), want) << iter; }
    }
    if (r1 < 0) {
      ++refused;
      continue;
    }
    ++decoded;
    ASSERT_EQ(Bytes(out1.begin(), out1.begin() + long(size)), Bytes(out2.begin(), out2.begin() + long(size))) << iter;
    ASSERT_EQ(Bytes(out1.begin() + long(size), out1.end()), Bytes(8, 0xEE)) << iter;
    ASSERT_EQ(Bytes(out2.begin() + long(size), out2.end()), Bytes(8, 0x11)) << iter;
  }
  EXPECT_GT(refused, 100);
  EXPECT_GT(decoded, 100);
}

}  // namespace
