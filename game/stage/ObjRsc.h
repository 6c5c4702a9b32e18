#pragma once
// An object placement list (".opl"), resource kind 'OPL': the places where
// an object layer draws its model. Every object starts hidden; visibility
// lists toggle them as the rail passes their keys.
//
// File layout (little-endian): u32 object count N, u32 (not read), then N
// records of seven f32: position x, y, z and rotation quaternion x, y, z, w.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "game/stage/StageRsc.h"
#include "vrax/graphic/SMath.h"

struct PlacedObject {
  uint32_t visible = 0;  // 0 hidden, 1 shown
  // The rotation of the quaternion with the translation row (x, y, z, 1).
  SMatrix matrix = kIdentityMatrix;
};

// The objects of a ".opl" file, all hidden; false (empty) when the count
// runs past the data.
bool ParsePlacementList(const uint8_t* data, size_t size, std::vector<PlacedObject>* objects);

class ObjRsc : public StageRsc {
 public:
  ObjRsc() : StageRsc(".opl", "Game\\ObjRsc", true) {}
  uint32_t Kind() const override { return RscTag("OPL"); }
  // The kind's factory: a new resource, or null when memory runs out.
  static SRsc* Create();

  std::vector<PlacedObject>& Objects() { return objects_; }
  const std::vector<PlacedObject>& Objects() const { return objects_; }

 protected:
  bool Parse(const uint8_t* data, size_t size) override { return ParsePlacementList(data, size, &objects_); }
  void Release() override { objects_.clear(); }

 private:
  std::vector<PlacedObject> objects_;
};
