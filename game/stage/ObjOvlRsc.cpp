#include "game/stage/ObjOvlRsc.h"

#include <new>

#include "vrax/io/ByteReader.h"

bool ParseVisibilityList(const uint8_t* data, size_t size, std::vector<VisibilityStep>* steps, LoadBudget* budget) {
  steps->clear();
  LoadBudget own;
  LoadBudget& b = budget != nullptr ? *budget : own;
  ByteReader r(data, size);
  uint32_t n = 0;
  if (!r.U32(&n) || !r.Skip(4) || n > r.left() / 8 || !ChargeBlock(b, n, sizeof(VisibilityStep))) return false;
  steps->resize(n);
  for (VisibilityStep& s : *steps) {
    uint32_t m = 0;
    if (!r.I32(&s.key) || !r.Count(&m, 4) || !ChargeBlock(b, m, 4)) {
      steps->clear();
      return false;
    }
    s.indices.resize(m);
    for (uint32_t& i : s.indices) r.U32(&i);
  }
  if (!r.ok()) steps->clear();
  return r.ok();
}

SRsc* ObjOvlRsc::Create() { return new (std::nothrow) ObjOvlRsc(); }
