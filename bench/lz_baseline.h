#pragma once
// A second decoder of the codec's block format for the match rows of the
// LZ bench to run beside the codec's own: the same code tables and bit
// reader, a one-read step that takes only lengths below 16, and overlapping
// matches copied 4 bytes at a time. It is the baseline the codec's match
// copies are held to; the engine never uses it.
#include <cstdint>
#include <cstring>

#include "vrax/io/SLzCodec.h"

namespace lzbaseline {

constexpr uint32_t kRunStart = 3;   // start width of the literal-run code
constexpr uint32_t kRunStop = 16;   // its largest prefix
constexpr uint32_t kMatchStart = 4; // start width of the distance and length codes
constexpr uint32_t kStep = 2;

// Start-step-stop code: prefix of k one-bits (ended by a zero unless k is the
// stop), then w + k*s value bits; the number is the value plus the sizes of
// the shorter classes.
struct Code {
  uint32_t start, stop;
  uint64_t Base(uint32_t k) const {
    uint64_t b = 0;
    for (uint32_t j = 0; j < k; ++j) b += uint64_t{1} << (start + j * kStep);
    return b;
  }
};

// Decoding tables of the codes: entry x of a table of B bits tells what the
// code starting with the B bits x is, as (number << 4) | bits the code takes,
// or 0 when the code is longer than B bits (the bit-by-bit reader takes
// those). Runs below 168 fit the 10-bit run table; every distance and length
// code fits the 13-bit match table.
constexpr uint32_t kRunPeek = 10;
// The most bits a step read by BitReader::Step takes: 7 + 13 + 5.
constexpr uint32_t kLongestStep = 25;
constexpr uint32_t kMatchPeek = 13;

template <uint32_t B>
struct CodeTable {
  uint16_t entry[1u << B];
};

template <uint32_t B>
CodeTable<B> MakeTable(const Code& c) {
  CodeTable<B> t{};
  for (uint32_t x = 0; x < (1u << B); ++x) {
    uint32_t k = 0;
    while (k < c.stop && k < B && ((x >> (B - 1 - k)) & 1) != 0) ++k;
    const uint32_t prefix = k < c.stop ? k + 1 : k;
    const uint32_t width = c.start + k * kStep;
    if (prefix + width > B) continue;
    const uint32_t value = (x >> (B - prefix - width)) & ((1u << width) - 1);
    t.entry[x] = static_cast<uint16_t>(((value + c.Base(k)) << 4) | (prefix + width));
  }
  return t;
}

// The size of a code by its first three bits, as eight nibbles (nibble q
// for the bits q); every distance and length code of levels 2 to 4 is
// sized by them.
inline uint32_t SizeNibbles(const Code& c) {
  uint32_t sizes = 0;
  for (uint32_t q = 0; q < 8; ++q) {
    uint32_t k = 0;
    while (k < c.stop && k < 3 && ((q >> (2 - k)) & 1) != 0) ++k;
    const uint32_t prefix = k < c.stop ? k + 1 : k;
    sizes |= (prefix + c.start + k * kStep) << (q * 4);
  }
  return sizes;
}

// The run table and the match tables of levels 2 to 4, made once.
inline const CodeTable<kRunPeek>& RunTable() {
  static const CodeTable<kRunPeek> t = MakeTable<kRunPeek>(Code{kRunStart, kRunStop});
  return t;
}
inline const CodeTable<kMatchPeek>& MatchTable(int32_t level) {
  static const CodeTable<kMatchPeek> t[3] = {MakeTable<kMatchPeek>(Code{kMatchStart, 1}),
                                             MakeTable<kMatchPeek>(Code{kMatchStart, 2}),
                                             MakeTable<kMatchPeek>(Code{kMatchStart, 3})};
  return t[level - 2];
}

// Reads codes most significant bit first. The 64-bit window holds cnt_
// valid bits at its top; the bits below them are always zero.
class BitReader {
 public:
  BitReader(const uint8_t* p, size_t n) : cur_(p), end_(p + n) {}
  // Tops the window up to at least 57 bits while the stream lasts.
  void Fill() {
    if (cnt_ < 57) Refill();
  }
  // The same, only when fewer than `bits` bits are left: a full window
  // serves two common steps.
  void FillFor(uint32_t bits) {
    if (cnt_ < bits) Refill();
  }
  // One code through its table, without refilling: the caller keeps enough
  // bits in the window (a step takes at most 10 + 13 + 13 bits through
  // tables after one Fill). Longer codes go to Number.
  template <uint32_t B>
  bool Table(const CodeTable<B>& t, const Code& c, const uint64_t* bases, uint64_t* out) {
    const uint32_t e = t.entry[buf_ >> (64 - B)];
    const uint32_t n = e & 15;
    if (n == 0) return Number(c, bases, out);
    if (n > cnt_) return false;  // the stream ends inside the code
    buf_ <<= n;
    cnt_ -= n;
    *out = e >> 4;
    return true;
  }
  // The common step in one go: a run below 40 (code "0" and 3 bits, or
  // "10" and 5 bits), a distance through the match table and a length
  // below 16 (code "0" and 4 bits). The three codes are read from the window
  // as it stands, so they do not wait on one another the way three reads in
  // a row do. False, with nothing read, when any of them is longer or the
  // window holds fewer bits than the step takes.
  // The distance code's size depends only on its first three bits: it is
  // nibble q of `sizes` for those bits q (SizeNibbles), taken beside the
  // table read of its number so that finding where the length code starts
  // does not wait for memory.
  bool Step(const CodeTable<kMatchPeek>& t, uint32_t sizes, uint64_t* r, uint64_t* d, uint64_t* len) {
    const uint64_t b = buf_;
    if ((b >> 62) == 3) return false;
    const bool shortRun = (b >> 63) == 0;
    const uint32_t nr = shortRun ? 4 : 7;
    const uint32_t q = static_cast<uint32_t>(shortRun ? (b >> 57) & 7 : (b >> 54) & 7);
    const uint32_t n = (sizes >> (q * 4)) & 15;
    const uint32_t e = t.entry[(b << nr) >> (64 - kMatchPeek)];
    const uint64_t after = b << (nr + n);
    const uint32_t used = nr + n + 5;
    if ((after >> 63) != 0 || used > cnt_) return false;
    *r = shortRun ? (b >> 60) & 7 : 8 + ((b >> 57) & 31);
    *d = e >> 4;
    *len = (after >> 59) & 15;
    buf_ = after << 5;
    cnt_ -= used;
    return true;
  }
  bool Number(const Code& c, const uint64_t* bases, uint64_t* out) {
    if (cnt_ < 57) Refill();
    // Count the prefix of one-bits, at most the stop.
    uint64_t inv = ~buf_;
    uint32_t k = inv == 0 ? 64 : static_cast<uint32_t>(__builtin_clzll(inv));
    if (k > c.stop) k = c.stop;
    const uint32_t prefix = k < c.stop ? k + 1 : k;
    const uint32_t width = c.start + k * kStep;
    // At most 16 + 1 + 35 bits: a refilled window holds them unless the
    // stream ends.
    if (prefix + width > cnt_) return false;
    buf_ <<= prefix;
    *out = (width != 0 ? buf_ >> (64 - width) : 0) + bases[k];
    buf_ = width != 0 ? buf_ << width : buf_;
    cnt_ -= prefix + width;
    return true;
  }

 private:
  void Refill() {
    if (end_ - cur_ >= 8) {
      uint64_t w;
      std::memcpy(&w, cur_, 8);
      w = __builtin_bswap64(w);
      const uint32_t bytes = (63 - cnt_) >> 3;
      const uint32_t next = cnt_ + bytes * 8;
      buf_ |= (w >> cnt_) & ~((uint64_t{1} << (64 - next)) - 1);
      cur_ += bytes;
      cnt_ = next;
      return;
    }
    while (cnt_ <= 56 && cur_ < end_) {
      buf_ |= static_cast<uint64_t>(*cur_++) << (56 - cnt_);
      cnt_ += 8;
    }
  }
  const uint8_t* cur_;
  const uint8_t* end_;
  uint64_t buf_ = 0;
  uint32_t cnt_ = 0;
};

// Level 1 run length: 7-bit groups, most significant first.
inline bool GetVarint(const uint8_t*& p, const uint8_t* end, uint64_t* out) {
  uint64_t v = 0;
  for (int i = 0; i < 5; ++i) {
    if (p >= end) return false;
    uint8_t b = *p++;
    v = (v << 7) | (b & 0x7F);
    if ((b & 0x80) == 0) {
      *out = v;
      return true;
    }
  }
  return false;  // longer than any run a block can need
}

// The steps of a level 1 block (bytes true) or of a level 2 to 4 block.
template <bool bytes>
inline int32_t DecodeSteps(int32_t level, const uint8_t* tok, const uint8_t* tokEnd, const uint8_t* lit,
                           const uint8_t* litEnd, uint8_t* out, uint64_t total) {
  const Code runCode{kRunStart, kRunStop};
  const Code matchCode{kMatchStart, static_cast<uint32_t>(bytes ? 1 : level - 1)};
  uint64_t runBases[kRunStop + 1];
  uint64_t matchBases[kRunStop + 1];
  for (uint32_t k = 0; k <= kRunStop; ++k) {
    runBases[k] = runCode.Base(k);
    matchBases[k] = matchCode.Base(k);
  }
  BitReader bits(tok, static_cast<size_t>(tokEnd - tok));
  const auto& runTable = RunTable();
  const auto& matchTable = MatchTable(bytes ? 2 : level);
  const uint32_t sizes = SizeNibbles(matchCode);
  uint64_t pos = 0;
  while (pos < total) {
    uint64_t r, d, len;
    bool whole = false;  // the step's three codes are read already
    if constexpr (bytes) {
      if (!GetVarint(tok, tokEnd, &r)) return -1;
    } else {
      bits.FillFor(kLongestStep);
      whole = bits.Step(matchTable, sizes, &r, &d, &len);
      if (!whole) {
        bits.Fill();
        if (!bits.Table(runTable, runCode, runBases, &r)) return -1;
      }
    }
    if (r > total - pos || r > static_cast<uint64_t>(litEnd - lit)) return -1;
    if (r <= 32 && total - pos >= 32 && litEnd - lit >= 32) {
      std::memcpy(out + pos, lit, 32);  // short run: one fixed-size copy
    } else {
      std::memcpy(out + pos, lit, static_cast<size_t>(r));
    }
    lit += r;
    pos += r;
    if (pos >= total) break;
    if constexpr (bytes) {
      if (tokEnd - tok < 2) return -1;
      d = tok[0];
      len = tok[1];
      tok += 2;
    } else if (!whole && (!bits.Table(matchTable, matchCode, matchBases, &d) ||
                          !bits.Table(matchTable, matchCode, matchBases, &len))) {
      return -1;
    }
    d += 4;
    len += 4;
    if (d > pos || len > total - pos) return -1;
    uint8_t* dst = out + pos;
    const uint8_t* src = dst - d;
    if (len <= 16 && d >= 16 && total - pos >= 16) {
      // Short match from at least 16 back: one fixed-size copy.
      std::memcpy(dst, src, 16);
    } else if (len <= 24 && d >= 8 && total - pos >= 24) {
      // Three fixed 8-byte copies. With D >= 8 each reads only bytes
      // already in place, so the result is the byte-wise one (bytes written
      // past L are rewritten by the following steps).
      std::memcpy(dst, src, 8);
      std::memcpy(dst + 8, src + 8, 8);
      std::memcpy(dst + 16, src + 16, 8);
    } else if (d >= len) {
      std::memcpy(dst, src, static_cast<size_t>(len));
    } else {
      // Overlapping copy: D >= 4, so every 4-byte word read is complete.
      size_t i = 0;
      for (; i + 4 <= len; i += 4) std::memcpy(dst + i, src + i, 4);
      for (; i < len; ++i) dst[i] = src[i];
    }
    pos += len;
  }
  return 0;
}

// As SLzCodec::DecodeBlock.
inline int32_t DecodeBlock(const void* block, size_t available, void* destination, size_t capacity) {
  SLzCodec::Header h;
  if (SLzCodec::ReadHeader(block, available, &h) < 0) return -1;
  if (h.level < SLzCodec::kMinLevel || h.level > SLzCodec::kMaxLevel) return -1;
  const uint64_t total = h.unpackedSize;
  if (total > capacity) return -1;
  if (total == 0) return 0;
  if (destination == nullptr) return -1;
  uint8_t* out = static_cast<uint8_t*>(destination);
  const uint8_t* tok = static_cast<const uint8_t*>(block) + SLzCodec::kHeaderSize;
  const uint8_t* tokEnd = tok + h.tokenSize;
  const uint8_t* lit = tokEnd;
  const uint8_t* litEnd = lit + h.literalSize;

  if (h.level == 5) {
    if (h.literalSize < total) return -1;
    std::memcpy(out, lit, static_cast<size_t>(total));
    return 0;
  }

  if (h.level == 1) return DecodeSteps<true>(h.level, tok, tokEnd, lit, litEnd, out, total);
  return DecodeSteps<false>(h.level, tok, tokEnd, lit, litEnd, out, total);
}

}  // namespace lzbaseline
