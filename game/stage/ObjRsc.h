#pragma once
// An object placement list (".opl"), resource kind 'OPL': the places where
// an object layer draws its model. Every object starts hidden; visibility
// lists toggle them as the rail passes their keys, and a draw walks only
// the visible ones.
//
// File layout (little-endian): u32 object count N, u32 (not read), then N
// records of seven f32: position x, y, z and rotation quaternion x, y, z, w.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "game/stage/StageRsc.h"
#include "game/stage/VisibleSet.h"
#include "vrax/graphic/SMath.h"
#include "vrax/io/LoadBudget.h"

struct PlacedObject {
  // The rotation of the quaternion with the translation row (x, y, z, 1).
  SMatrix matrix = kIdentityMatrix;
};

// The objects of a ".opl" file; false (empty) when the count runs past the
// data or the objects (with their visible flags) would pass the budget
// (without one: a budget of kMaxResourceBytes of its own).
bool ParsePlacementList(const uint8_t* data, size_t size, std::vector<PlacedObject>* objects,
                        LoadBudget* budget = nullptr);

class ObjRsc : public StageRsc {
 public:
  ObjRsc() : StageRsc(".opl", "Game\\ObjRsc", true) {}
  uint32_t Kind() const override { return RscTag("OPL"); }
  // The kind's factory: a new resource, or null when memory runs out.
  static SRsc* Create();

  const std::vector<PlacedObject>& Objects() const { return objects_; }
  // Visible flags, all clear after loading; indices outside the list are
  // passed over.
  bool Visible(size_t i) const { return visible_.Test(i); }
  void Toggle(size_t i) { visible_.Toggle(i); }
  void HideAll() { visible_.ClearAll(); }
  // Calls f(object) for every visible object, in list order.
  template <class F>
  void ForEachVisible(F&& f) const {
    visible_.ForEach([this, &f](size_t i) { f(objects_[i]); });
  }
  // Steps of the last ForEachVisible or HideAll: they follow the visible
  // objects (and one word per 4,096 objects), not the list's length.
  uint64_t WalkSteps() const { return visible_.WalkSteps(); }

 protected:
  bool Parse(const uint8_t* data, size_t size) override;
  void Release() override {
    objects_.clear();
    visible_.Reset(0);
  }

 private:
  std::vector<PlacedObject> objects_;
  VisibleSet visible_;
};
