#pragma once
// LZ blocks of the bit levels (2 to 4) read and written straight from the
// format, bit by bit, for the codec's tests, seeds and fuzz target.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

namespace testsupport {

using Bytes = std::vector<uint8_t>;

inline uint32_t LzU32(const Bytes& b, size_t o) {
  return b[o] | b[o + 1] << 8 | b[o + 2] << 16 | uint32_t(b[o + 3]) << 24;
}

// The bit levels decoded bit by bit, straight from the format, each match
// byte by byte: the codec's table-driven reader must agree with it on every
// block, good or bad. The block's header must be whole (20 bytes).
inline int ReferenceLzDecode(const Bytes& b, Bytes* out) {
  const uint32_t a = LzU32(b, 8), level = b[2], total = LzU32(b, 16);
  size_t bit = 0, lit = 20 + a, litEnd = lit + LzU32(b, 12), pos = 0;
  bool ended = false;
  auto num = [&](uint32_t w, uint32_t m) {
    uint32_t k = 0;
    uint64_t v = 0, base = 0;
    auto get = [&] {
      if (bit >= a * 8u) return ended = true, 0;
      const int x = (b[20 + bit / 8] >> (7 - bit % 8)) & 1;
      return ++bit, x;
    };
    while (k < m && get() == 1) base += uint64_t{1} << (w + 2 * k++);
    for (uint32_t i = 0; i < w + 2 * k; ++i) v = v * 2 + get();
    return v + base;
  };
  out->assign(total, 0);
  while (pos < total) {
    const uint64_t r = num(3, 16);
    if (ended || r > total - pos || r > litEnd - lit) return -1;
    std::memcpy(out->data() + pos, b.data() + lit, r);
    lit += r, pos += r;
    if (pos >= total) break;
    const uint64_t d = num(4, level - 1) + 4, len = num(4, level - 1) + 4;
    if (ended || d > pos || len > total - pos) return -1;
    for (uint64_t i = 0; i < len; ++i, ++pos) (*out)[pos] = (*out)[pos - d];
  }
  return 0;
}

// A level 2 to 4 block written from the format by hand: steps of a literal
// run then a match (distance, length), the last step a run alone when
// `closingRun` is set, or a match. The writer never makes a match longer
// than its distance; these do.
struct HandLzStep {
  Bytes lits;
  uint32_t d = 0, len = 0;
};
inline Bytes HandLzBlock(int level, const std::vector<HandLzStep>& steps, bool closingRun) {
  Bytes tokens, lits;
  uint32_t acc = 0, n = 0, unpacked = 0;
  auto bit = [&](uint32_t b) {
    acc = acc << 1 | b;
    if (++n == 8) tokens.push_back(static_cast<uint8_t>(acc)), acc = 0, n = 0;
  };
  auto number = [&](uint32_t start, uint32_t stop, uint32_t x) {
    uint32_t k = 0, base = 0;
    while (k < stop && x >= base + (1u << (start + 2 * k))) base += 1u << (start + 2 * k++);
    for (uint32_t i = 0; i < k; ++i) bit(1);
    if (k < stop) bit(0);
    for (uint32_t w = start + 2 * k; w-- > 0;) bit((x - base) >> w & 1);
  };
  for (size_t i = 0; i < steps.size(); ++i) {
    number(3, 16, static_cast<uint32_t>(steps[i].lits.size()));
    lits.insert(lits.end(), steps[i].lits.begin(), steps[i].lits.end());
    unpacked += static_cast<uint32_t>(steps[i].lits.size());
    if (closingRun && i + 1 == steps.size()) break;
    number(4, static_cast<uint32_t>(level - 1), steps[i].d - 4);
    number(4, static_cast<uint32_t>(level - 1), steps[i].len - 4);
    unpacked += steps[i].len;
  }
  tokens.push_back(static_cast<uint8_t>(acc << (8 - n)));
  // The block made at its full size and filled in place: growing a 20-byte
  // header by inserts trips GCC 12's bounds check at -O3.
  Bytes b(20 + tokens.size() + lits.size());
  const uint32_t fields[] = {static_cast<uint32_t>(20 + tokens.size() + lits.size()),
                             static_cast<uint32_t>(tokens.size()), static_cast<uint32_t>(lits.size()), unpacked};
  b[0] = 1, b[2] = static_cast<uint8_t>(level);
  for (int f = 0; f < 4; ++f)
    for (int i = 0; i < 4; ++i) b[size_t(4 + 4 * f + i)] = static_cast<uint8_t>(fields[f] >> (8 * i));
  std::copy(tokens.begin(), tokens.end(), b.begin() + 20);
  std::copy(lits.begin(), lits.end(), b.begin() + 20 + static_cast<std::ptrdiff_t>(tokens.size()));
  return b;
}

}  // namespace testsupport
