#include "vrax/io/LoadBudget.h"

#include <algorithm>
#include <limits>

bool LoadTotal::Take(uint64_t bytes) {
  if (used_ > limit_ || bytes > limit_ - used_) return false;
  used_ += bytes;
  if (used_ > most_) most_ = used_;
  return true;
}

LoadTotal& LoadedTotal() {
  static constinit LoadTotal total(kMaxLoadedBytes);
  return total;
}

bool LoadBudget::Charge(uint64_t count, uint64_t size) {
  if (size != 0 && count > (limit_ - used_) / size) return false;
  const uint64_t bytes = count * size;
  if (total_ != nullptr && !total_->Take(bytes)) return false;
  used_ += bytes;
  return true;
}

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
