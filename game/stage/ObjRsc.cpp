#include "game/stage/ObjRsc.h"

#include <new>

#include "vrax/io/ByteReader.h"

bool ParsePlacementList(const uint8_t* data, size_t size, std::vector<PlacedObject>* objects, LoadBudget* budget) {
  objects->clear();
  LoadBudget own;
  LoadBudget& b = budget != nullptr ? *budget : own;
  ByteReader r(data, size);
  uint32_t n = 0;
  if (!r.U32(&n) || !r.Skip(4) || n > r.left() / 28) return false;
  if (!ChargeBlock(b, n, sizeof(PlacedObject)) || !b.Charge(VisibleSet::BytesFor(n) + 2 * kHeapBlockOverhead))
    return false;
  objects->resize(n);
  for (PlacedObject& o : *objects) {
    float p[3] = {};
    SQuat q{};
    r.Floats(p, 3);
    r.F32(&q.x), r.F32(&q.y), r.F32(&q.z), r.F32(&q.w);
    SMatrix::RotationQuaternion(&o.matrix, &q);
    o.matrix.m[3][0] = p[0], o.matrix.m[3][1] = p[1], o.matrix.m[3][2] = p[2], o.matrix.m[3][3] = 1.0f;
  }
  if (!r.ok()) objects->clear();
  return r.ok();
}

bool ObjRsc::Parse(const uint8_t* data, size_t size) {
  if (!ParsePlacementList(data, size, &objects_, &Budget())) return false;
  visible_.Reset(objects_.size());
  return true;
}

SRsc* ObjRsc::Create() { return new (std::nothrow) ObjRsc(); }
