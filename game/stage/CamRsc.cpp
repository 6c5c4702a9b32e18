#include "game/stage/CamRsc.h"

#include <new>

#include "vrax/io/ByteReader.h"

bool ParseCameraPath(const uint8_t* data, size_t size, std::vector<CamKey>* keys, LoadBudget* budget) {
  keys->clear();
  LoadBudget own;
  LoadBudget& b = budget != nullptr ? *budget : own;
  ByteReader r(data, size);
  uint32_t n = 0;
  if (!r.Count(&n, 28) || !ChargeBlock(b, n, sizeof(CamKey))) return false;
  keys->resize(n);
  for (CamKey& k : *keys) {
    r.F32(&k.x), r.F32(&k.y), r.F32(&k.z);
    k.w = 1.0f;
    r.F32(&k.qx), r.F32(&k.qy), r.F32(&k.qz), r.F32(&k.qw);
  }
  if (!r.ok()) keys->clear();
  return r.ok();
}

SRsc* CamRsc::Create() { return new (std::nothrow) CamRsc(); }
