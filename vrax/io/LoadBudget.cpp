#include "vrax/io/LoadBudget.h"

#include <algorithm>
#include <limits>

void LoadYielder::Join(LoadTotal& total) {
  Leave();
  total_ = &total;
  prev_ = total.last_;
  if (prev_ != nullptr) prev_->next_ = this;
  total.last_ = this;
}

void LoadYielder::Leave() {
  if (total_ == nullptr) return;
  if (prev_ != nullptr) prev_->next_ = next_;
  if (next_ != nullptr) next_->prev_ = prev_;
  if (total_->last_ == this) total_->last_ = prev_;
  total_ = nullptr;
  prev_ = next_ = nullptr;
}

uint64_t LoadTotal::HeldAhead() const {
  uint64_t held = 0;
  for (const LoadYielder* y = last_; y != nullptr; y = y->prev_) held += y->HeldAhead();
  return std::min(held, used_);
}

bool LoadTotal::Take(uint64_t bytes, bool ask) {
  if (!Fits(bytes)) {
    // Room held ahead is asked for only when it is enough: a charge that
    // what the rest holds leaves no room for is refused with the copies kept.
    if (!ask || last_ == nullptr) return false;
    const uint64_t rest = used_ - HeldAhead();
    if (rest > limit_ || bytes > limit_ - rest) return false;
    for (LoadYielder* y = last_; y != nullptr && !Fits(bytes);) {
      LoadYielder* before = y->prev_;  // the holder may leave as it yields
      // What is missing (at most what is held ahead, since rest + bytes fit).
      y->Yield(used_ <= limit_ ? bytes - (limit_ - used_) : bytes + (used_ - limit_));
      y = before;
    }
    if (!Fits(bytes)) return false;
  }
  used_ += bytes;
  if (used_ > most_) most_ = used_;
  return true;
}

LoadTotal& LoadedTotal() {
  static constinit LoadTotal total(kMaxLoadedBytes);
  return total;
}

bool LoadBudget::Take(uint64_t bytes, bool ask) {
  if (bytes > limit_ - used_) return false;
  if (total_ != nullptr && !total_->Take(bytes, ask)) return false;
  used_ += bytes;
  return true;
}

bool LoadBudget::Charge(uint64_t count, uint64_t size) {
  if (size != 0 && count > (limit_ - used_) / size) return false;
  return Take(count * size, use_ == LoadUse::kNeeded);
}

bool LoadBudget::ChargeAhead(uint64_t bytes) { return Take(bytes, false); }

void LoadBudget::GiveBack(uint64_t bytes) {
  if (bytes > used_) bytes = used_;
  if (total_ != nullptr) total_->GiveBack(bytes);
  used_ -= bytes;
}

void LoadBudget::Release() {
  if (total_ != nullptr) total_->GiveBack(used_);
  used_ = 0;
}

bool ChargeBlock(LoadBudget& budget, uint64_t count, uint64_t size) {
  if (count == 0) return true;
  // The block's bytes and its header in one charge: both or neither.
  if (size != 0 && count > (std::numeric_limits<uint64_t>::max() - kHeapBlockOverhead) / size) return false;
  return budget.Charge(count * size + kHeapBlockOverhead);
}
