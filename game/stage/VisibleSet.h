#pragma once
// The visible flags of a list (the objects of a placement list, the parts
// of a tunnel) that visibility steps toggle one by one, walked in ascending
// order at a cost that follows the flags that are set rather than the
// list's length: one bit per flag, and one summary bit per 64 flags telling
// whether any of them is set. A walk looks at one summary word per 4,096
// flags, then only at the words and flags that are set.
#include <cstddef>
#include <cstdint>
#include <vector>

class VisibleSet {
 public:
  // Bytes the set takes for n flags.
  static uint64_t BytesFor(size_t n);

  // n flags, all clear.
  void Reset(size_t n);
  bool Test(size_t i) const { return i < size_ && (words_[i / 64] >> (i % 64) & 1) != 0; }
  // Flips flag i; nothing for i outside the list.
  void Toggle(size_t i);
  // Clears every flag (a cost that follows the flags set, as a walk's).
  void ClearAll();
  // Calls f(i) for every set flag, ascending.
  template <class F>
  void ForEach(F&& f) const;
  // Words looked at by the last ForEach or ClearAll, summary and flag
  // words together, plus the flags it called f for.
  uint64_t WalkSteps() const { return steps_; }

 private:
  size_t size_ = 0;
  std::vector<uint64_t> words_;    // bit i % 64 of word i / 64: flag i
  std::vector<uint64_t> summary_;  // bit w % 64 of word w / 64: words_[w] != 0
  mutable uint64_t steps_ = 0;
};

template <class F>
void VisibleSet::ForEach(F&& f) const {
  steps_ = 0;
  for (size_t s = 0; s < summary_.size(); ++s) {
    ++steps_;
    for (uint64_t sw = summary_[s]; sw != 0; sw &= sw - 1) {
      const size_t w = s * 64 + size_t(__builtin_ctzll(sw));
      ++steps_;
      for (uint64_t bits = words_[w]; bits != 0; bits &= bits - 1) {
        ++steps_;
        f(w * 64 + size_t(__builtin_ctzll(bits)));
      }
    }
  }
}
