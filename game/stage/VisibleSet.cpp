#include "game/stage/VisibleSet.h"

uint64_t VisibleSet::BytesFor(size_t n) {
  const uint64_t words = (uint64_t(n) + 63) / 64;
  return 8 * (words + (words + 63) / 64);
}

void VisibleSet::Reset(size_t n) {
  size_ = n;
  words_.assign((n + 63) / 64, 0);
  summary_.assign((words_.size() + 63) / 64, 0);
  steps_ = 0;
}

void VisibleSet::Toggle(size_t i) {
  if (i >= size_) return;
  const size_t w = i / 64;
  words_[w] ^= uint64_t(1) << (i % 64);
  const uint64_t bit = uint64_t(1) << (w % 64);
  if (words_[w] != 0) {
    summary_[w / 64] |= bit;
  } else {
    summary_[w / 64] &= ~bit;
  }
}

void VisibleSet::ClearAll() {
  steps_ = 0;
  for (uint64_t& s : summary_) {
    ++steps_;
    for (; s != 0; s &= s - 1) {
      ++steps_;
      words_[size_t(&s - summary_.data()) * 64 + size_t(__builtin_ctzll(s))] = 0;
    }
  }
}
