#include "vrax/io/SLzCodec.h"

#include <bit>
#include <cstring>
#include <new>

#include "platform/byte_order.h"

namespace {

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

class BitWriter {
 public:
  explicit BitWriter(std::vector<uint8_t>& out) : out_(out) {}
  void Bit(uint32_t b) {
    acc_ = static_cast<uint8_t>((acc_ << 1) | (b & 1));
    if (++n_ == 8) {
      out_.push_back(acc_);
      acc_ = 0;
      n_ = 0;
    }
  }
  void Bits(uint64_t v, uint32_t count) {
    while (count > 0) {
      --count;
      Bit(static_cast<uint32_t>(v >> count) & 1);
    }
  }
  // False when the number does not fit the code.
  bool Number(const Code& c, uint64_t x) {
    uint32_t k = 0;
    uint64_t base = 0;
    while (k < c.stop && x >= base + (uint64_t{1} << (c.start + k * kStep))) {
      base += uint64_t{1} << (c.start + k * kStep);
      ++k;
    }
    uint32_t width = c.start + k * kStep;
    if (width < 64 && x - base >= (uint64_t{1} << width)) return false;
    for (uint32_t i = 0; i < k; ++i) Bit(1);
    if (k < c.stop) Bit(0);
    Bits(x - base, width);
    return true;
  }
  // The stream always ends with the partial byte, zero-padded (a whole
  // number of bytes gets one more zero byte).
  void Finish() {
    out_.push_back(static_cast<uint8_t>(acc_ << (8 - n_)));
    acc_ = 0;
    n_ = 0;
  }

 private:
  std::vector<uint8_t>& out_;
  uint8_t acc_ = 0;
  uint32_t n_ = 0;
};

// Decoding tables of the codes: entry x of a table of B bits tells what the
// code starting with the B bits x is, as (number << 4) | bits the code takes,
// or 0 when the code is longer than B bits (the bit-by-bit reader takes
// those). Runs below 168 fit the 10-bit run table; every distance and length
// code fits the 13-bit match table.
constexpr uint32_t kRunPeek = 10;
// The most bits a step read by BitReader::Step takes at a level: a run of
// 7 bits, then a distance and a length of at most level - 1 prefix bits and
// 4 + 2 * (level - 1) value bits each (21 bits at level 2, 33 at level 4).
constexpr uint32_t LongestStep(int32_t level) {
  return 7 + 2 * (4 + 3 * static_cast<uint32_t>(level - 1));
}
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
uint32_t SizeNibbles(const Code& c) {
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
const CodeTable<kRunPeek>& RunTable() {
  static const CodeTable<kRunPeek> t = MakeTable<kRunPeek>(Code{kRunStart, kRunStop});
  return t;
}
const CodeTable<kMatchPeek>& MatchTable(int32_t level) {
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
  // "10" and 5 bits), then a distance and a length through the match table.
  // The codes are read from the window as it stands, so they do not wait on
  // one another the way three reads in a row do. False, with nothing read,
  // when the run is longer or the window holds fewer bits than the step
  // takes.
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
    // A length below 16 is "0" and 4 bits; a longer one goes through the
    // table (the long runs of a padded file are made of such lengths).
    uint32_t nl = 5;
    uint64_t l = (after >> 59) & 15;
    if ((after >> 63) != 0) {
      const uint32_t el = t.entry[after >> (64 - kMatchPeek)];
      nl = el & 15;
      l = el >> 4;
    }
    const uint32_t used = nr + n + nl;
    if (nl == 0 || used > cnt_) return false;
    *r = shortRun ? (b >> 60) & 7 : 8 + ((b >> 57) & 31);
    *d = e >> 4;
    *len = l;
    buf_ = after << nl;
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
void PutVarint(std::vector<uint8_t>& out, uint32_t r) {
  if (r >= (1u << 21)) out.push_back(static_cast<uint8_t>(0x80 | (r >> 21)));
  if (r >= (1u << 14)) out.push_back(static_cast<uint8_t>(0x80 | ((r >> 14) & 0x7F)));
  if (r >= (1u << 7)) out.push_back(static_cast<uint8_t>(0x80 | ((r >> 7) & 0x7F)));
  out.push_back(static_cast<uint8_t>(r & 0x7F));
}

bool GetVarint(const uint8_t*& p, const uint8_t* end, uint64_t* out) {
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

}  // namespace

uint32_t SLzCodec::Window(int32_t level) {
  switch (level) {
    case 1: return 259;
    case 2: return 83;
    case 3: return 339;
    case 4: return 1363;
    default: return 0;
  }
}

void SLzCodec::Clear() {
  std::vector<uint8_t>().swap(block_);
  unpackedSize_ = 0;
  packedSize_ = 0;
}

int32_t SLzCodec::ReadHeader(const void* block, size_t available, Header* out) {
  if (block == nullptr || available < kHeaderSize) return -1;
  const uint8_t* b = static_cast<const uint8_t*>(block);
  Header h;
  h.version = plat::ReadLe16(b);
  h.level = static_cast<int16_t>(plat::ReadLe16(b + 2));
  h.total = plat::ReadLe32(b + 4);
  h.tokenSize = plat::ReadLe32(b + 8);
  h.literalSize = plat::ReadLe32(b + 12);
  h.unpackedSize = plat::ReadLe32(b + 16);
  if (h.version != 1 || h.total == 0) return -1;
  uint64_t sum = uint64_t{kHeaderSize} + h.tokenSize + h.literalSize;
  if (sum != h.total || h.total > available) return -1;
  if (out != nullptr) *out = h;
  return 0;
}

int32_t SLzCodec::SetPacked(const void* block, size_t available) {
  Clear();
  if (block == nullptr) return 0;
  Header h;
  if (ReadHeader(block, available, &h) < 0) return -1;
  try {
    const uint8_t* b = static_cast<const uint8_t*>(block);
    block_.assign(b, b + h.total);
  } catch (const std::bad_alloc&) {
    Clear();
    return -1;
  }
  packedSize_ = h.total;
  unpackedSize_ = h.unpackedSize;
  return 0;
}

int32_t SLzCodec::Compress(const void* source, uint32_t size, int32_t level) {
  Clear();
  if (level < kMinLevel || level > kMaxLevel) return -1;
  if (source == nullptr && size != 0) return -1;
  const uint8_t* in = static_cast<const uint8_t*>(source);
  try {
    std::vector<uint8_t> tokens;
    std::vector<uint8_t> lits;
    if (level == 5) {
      lits.assign(in, in + size);
    } else {
      const Code runCode{kRunStart, kRunStop};
      const Code matchCode{kMatchStart, static_cast<uint32_t>(level - 1)};
      BitWriter bits(tokens);
      const uint32_t window = Window(level);
      auto putRun = [&](uint32_t r) {
        if (level == 1) {
          if (r >= (1u << 28)) return false;
          PutVarint(tokens, r);
          return true;
        }
        return bits.Number(runCode, r);
      };
      lits.reserve(size);
      uint32_t p = 0;
      uint32_t r = 0;
      bool lastWasMatch = false;
      while (p < size) {
        uint32_t c = p > window ? p - window : 0;
        uint32_t bestLen = 0x7FFFFFFF;
        uint32_t bestPos = 0;
        bool found = false;
        const uint8_t first = in[p];
        while (c < p) {
          if (in[c] != first) {
            ++c;
            continue;
          }
          uint32_t n = 1;
          while (c + n < p && p + n < size && in[c + n] == in[p + n]) ++n;
          if (n >= 4 && n <= bestLen) {
            bestLen = n;
            bestPos = c;
            found = true;
          }
          c += n;
        }
        if (found) {
          if (!putRun(r)) return Clear(), -1;
          uint32_t d4 = p - bestPos - 4;
          uint32_t l4 = bestLen - 4;
          if (level == 1) {
            tokens.push_back(static_cast<uint8_t>(d4));
            tokens.push_back(static_cast<uint8_t>(l4));
          } else if (!bits.Number(matchCode, d4) || !bits.Number(matchCode, l4)) {
            return Clear(), -1;
          }
          p += bestLen;
          r = 0;
          lastWasMatch = true;
        } else {
          lits.push_back(in[p]);
          ++r;
          ++p;
          lastWasMatch = false;
        }
      }
      if (!lastWasMatch && !putRun(r)) return Clear(), -1;
      if (level > 1) bits.Finish();
    }
    uint64_t total = uint64_t{kHeaderSize} + tokens.size() + lits.size();
    if (total > 0xFFFFFFFFu) return Clear(), -1;
    block_.resize(static_cast<size_t>(total));
    uint8_t* b = block_.data();
    plat::WriteLe16(b, 1);
    plat::WriteLe16(b + 2, static_cast<uint16_t>(level));
    plat::WriteLe32(b + 4, static_cast<uint32_t>(total));
    plat::WriteLe32(b + 8, static_cast<uint32_t>(tokens.size()));
    plat::WriteLe32(b + 12, static_cast<uint32_t>(lits.size()));
    plat::WriteLe32(b + 16, size);
    if (!tokens.empty()) std::memcpy(b + kHeaderSize, tokens.data(), tokens.size());
    if (!lits.empty()) std::memcpy(b + kHeaderSize + tokens.size(), lits.data(), lits.size());
    packedSize_ = static_cast<uint32_t>(total);
    unpackedSize_ = size;
  } catch (const std::bad_alloc&) {
    Clear();
    return -1;
  }
  return 0;
}

int32_t SLzCodec::Decompress(void* destination, size_t capacity) const {
  if (block_.empty()) return -1;
  return DecodeBlock(block_.data(), block_.size(), destination, capacity);
}

namespace {

// Bytes of the output as a number in host order, and that number's bytes
// moved n places on (Later) or back (Earlier) in memory, for 0 < n < 8 (0
// too for Later); the places left over read zero.
inline uint64_t Load4(const uint8_t* p) {
  uint32_t v;
  std::memcpy(&v, p, 4);
  return std::endian::native == std::endian::little ? v : uint64_t{v} << 32;
}
inline uint64_t Load8(const uint8_t* p) {
  uint64_t v;
  std::memcpy(&v, p, 8);
  return v;
}
inline uint64_t Later(uint64_t v, uint32_t n) {
  return std::endian::native == std::endian::little ? v << (8 * n) : v >> (8 * n);
}
inline uint64_t Earlier(uint64_t v, uint32_t n) {
  return std::endian::native == std::endian::little ? v >> (8 * n) : v << (8 * n);
}

// Writes the L bytes that repeat the D (4 to 16) before dst, and up to 15
// bytes past them: the first 16 bytes of the repetition are put together in
// two registers from the D bytes and stored every 16 / D whole periods (16
// bytes for D = 4, 8 and 16, 15 for D = 5, ...), so no store waits on a load
// of bytes just written (a copy of the bytes just written would wait for
// them on every piece, as short repeats mostly are). Kept out of line:
// inlined, it costs the bit levels' loop some 3% more instructions on
// ordinary data.
[[gnu::noinline]] void RepeatPeriod(uint8_t* dst, const uint8_t* src, uint32_t n, size_t len) {
  uint64_t w0, w1;
  if (n < 8) {
    const uint64_t w = Load4(src) | Later(Load4(src + n - 4), n - 4);
    w0 = w | Later(w, n);
    w1 = n == 4 ? w0 : Earlier(w0, 8 - n) | Later(w0, 2 * n - 8);
  } else {
    w0 = Load8(src);
    w1 = n == 8 ? w0 : n == 16 ? Load8(src + 8) : Earlier(Load8(src + n - 8), 16 - n) | Later(w0, n - 8);
  }
  const size_t stride = (16 / n) * n;
  for (size_t i = 0; i < len; i += stride) {
    std::memcpy(dst + i, &w0, 8);
    std::memcpy(dst + i + 8, &w1, 8);
  }
}

// The steps of a level 1 block (bytes true) or of a level 2 to 4 block.
template <bool bytes>
int32_t DecodeSteps(int32_t level, const uint8_t* tok, const uint8_t* tokEnd, const uint8_t* lit,
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
  // Refilling only for the level's own longest step keeps the refills of a
  // level 2 block as few as its short codes allow.
  const uint32_t longestStep = LongestStep(bytes ? 2 : level);
  uint64_t pos = 0;
  while (pos < total) {
    uint64_t r, d, len;
    bool whole = false;  // the step's three codes are read already
    if constexpr (bytes) {
      if (!GetVarint(tok, tokEnd, &r)) return -1;
    } else {
      bits.FillFor(longestStep);
      whole = bits.Step(matchTable, sizes, &r, &d, &len);
      if (!whole) {
        bits.Fill();
        if (!bits.Table(runTable, runCode, runBases, &r)) return -1;
      }
    }
    if (r > total - pos || r > static_cast<uint64_t>(litEnd - lit)) return -1;
    if (r <= 32 && total - pos >= 32 && litEnd - lit >= 32) {
      std::memcpy(out + pos, lit, 32);  // short run: one fixed-size copy
    } else if (r != 0) {
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
    const uint64_t room = total - pos;  // bytes of output from dst on
    if (len <= 16 && d >= 16 && room >= 16) {
      // Short match from at least 16 back: one fixed-size copy.
      std::memcpy(dst, src, 16);
    } else if (len <= 24 && d >= 8 && room >= 24) {
      // Three fixed 8-byte copies. With D >= 8 each reads only bytes
      // already in place, so the result is the byte-wise one (bytes written
      // past L are rewritten by the following steps).
      std::memcpy(dst, src, 8);
      std::memcpy(dst + 8, src + 8, 8);
      std::memcpy(dst + 16, src + 16, 8);
    } else if (len > 64 && d >= 32 && room >= ((len + 31) & ~uint64_t{31})) {
      // Fixed 32-byte copies, the last one running past L: each reads only
      // bytes already in place, as above.
      for (size_t i = 0; i < len; i += 32) std::memcpy(dst + i, src + i, 32);
    } else if (len <= 8 && d >= len) {
      // Short match clear of its source: two 4-byte copies that meet or
      // overlap in the middle.
      std::memcpy(dst, src, 4);
      std::memcpy(dst + len - 4, src + len - 4, 4);
    } else if (len > 8 && d <= 16 && room >= len + 16) {
      // Overlapping, from 4 to 16 back: the D bytes repeated from
      // registers, the last store running past L, as above.
      RepeatPeriod(dst, src, static_cast<uint32_t>(d), static_cast<size_t>(len));
    } else if (d > 16 && d < len && room >= len + 16) {
      // Overlapping, from 17 back or more: fixed 16-byte copies, each
      // reading only bytes already in place, as above.
      for (size_t i = 0; i < len; i += 16) std::memcpy(dst + i, src + i, 16);
    } else if (d >= len) {
      std::memcpy(dst, src, static_cast<size_t>(len));
    } else {
      // Overlapping, of 8 bytes or fewer or at the end of the output:
      // D >= 4, so every 4-byte word read is complete (each reads the bytes
      // the one before it stored, never part of them).
      size_t i = 0;
      for (; i + 4 <= len; i += 4) std::memcpy(dst + i, src + i, 4);
      for (; i < len; ++i) dst[i] = src[i];
    }
    pos += len;
  }
  return 0;
}

}  // namespace

int32_t SLzCodec::DecodeBlock(const void* block, size_t available, void* destination, size_t capacity) {
  Header h;
  if (ReadHeader(block, available, &h) < 0) return -1;
  if (h.level < kMinLevel || h.level > kMaxLevel) return -1;
  const uint64_t total = h.unpackedSize;
  if (total > capacity) return -1;
  if (total == 0) return 0;
  if (destination == nullptr) return -1;
  uint8_t* out = static_cast<uint8_t*>(destination);
  const uint8_t* tok = static_cast<const uint8_t*>(block) + kHeaderSize;
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
