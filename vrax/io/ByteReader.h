#pragma once
// Reads little-endian values and strings from a byte range; every read checks
// what is left, and once a read has failed every later one fails too. The
// parsers of the engine's and the game's file formats share it.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "platform/byte_order.h"

class ByteReader {
 public:
  ByteReader(const uint8_t* data, size_t size)
      : base_(data), size_(data != nullptr ? size : 0), p_(data), left_(size_) {}

  bool ok() const { return ok_; }
  size_t left() const { return left_; }
  // Offset of the next read from the start of the range.
  // Moves the next read to offset `at` of the range; fails past its end.
  bool Seek(size_t at) {
    if (!ok_ || at > size_) return ok_ = false;
    p_ = base_ + at;
    left_ = size_ - at;
    return true;
  }
  bool Skip(size_t n) {
    if (!ok_ || n > left_) return ok_ = false;
    p_ += n;
    left_ -= n;
    return true;
  }

  bool Bytes(void* out, size_t n) {
    if (!ok_ || n > left_) return ok_ = false;
    if (n != 0) std::memcpy(out, p_, n);
    p_ += n;
    left_ -= n;
    return true;
  }
  bool U8(uint8_t* v) { return Bytes(v, 1); }
  bool U16(uint16_t* v) {
    uint8_t b[2];
    if (!Bytes(b, 2)) return false;
    *v = plat::ReadLe16(b);
    return true;
  }
  bool U32(uint32_t* v) {
    uint8_t b[4];
    if (!Bytes(b, 4)) return false;
    *v = plat::ReadLe32(b);
    return true;
  }
  bool I32(int32_t* v) {
    uint32_t u;
    if (!U32(&u)) return false;
    *v = static_cast<int32_t>(u);
    return true;
  }
  bool F32(float* v) {
    uint32_t u;
    if (!U32(&u)) return false;
    std::memcpy(v, &u, 4);
    return true;
  }
  bool Floats(float* v, int n) {
    for (int i = 0; i < n; ++i)
      if (!F32(&v[i])) return false;
    return true;
  }
  bool Str(std::string* s) {
    uint32_t n;
    if (!U32(&n) || n > left_) return ok_ = false;
    s->assign(reinterpret_cast<const char*>(p_), n);
    p_ += n;
    left_ -= n;
    return true;
  }
  bool SkipStr() {
    std::string s;
    return Str(&s);
  }
  // A count of elements of at least minBytes each: fails when the bytes left
  // cannot hold that many (which also bounds every allocation by the size of
  // the input).
  bool Count(uint32_t* n, size_t minBytes) {
    if (!U32(n)) return false;
    if (minBytes != 0 && *n > left_ / minBytes) return ok_ = false;
    return true;
  }
  bool Flag(bool* f) {
    uint8_t b;
    if (!U8(&b)) return false;
    *f = b != 0;
    return true;
  }

 private:
  const uint8_t* base_;
  size_t size_;
  const uint8_t* p_;
  size_t left_;
  bool ok_ = true;
};
