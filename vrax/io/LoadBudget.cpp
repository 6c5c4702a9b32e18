#include "vrax/io/LoadBudget.h"

bool LoadBudget::Charge(uint64_t count, uint64_t size) {
  if (size != 0 && count > (limit_ - used_) / size) return false;
  used_ += count * size;
  return true;
}
