#pragma once
// A camera path (".cam"), resource kind 'CAM': an ordered table of keys,
// each a position and a rotation; key k stands at rail position k.
//
// File layout (little-endian): u32 key count N, then N records of seven
// f32: position x, y, z and rotation quaternion x, y, z, w. Nothing else
// is read.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "game/stage/StageRsc.h"
#include "vrax/io/LoadBudget.h"

// One key: position (w is always 1.0) and rotation quaternion.
struct CamKey {
  float x = 0.0f, y = 0.0f, z = 0.0f, w = 1.0f;
  float qx = 0.0f, qy = 0.0f, qz = 0.0f, qw = 1.0f;
};

// The keys of a ".cam" file, in file order; false (keys empty) when the
// count runs past the data or the keys would pass the budget (without one:
// a budget of kMaxResourceBytes of its own).
bool ParseCameraPath(const uint8_t* data, size_t size, std::vector<CamKey>* keys, LoadBudget* budget = nullptr);

class CamRsc : public StageRsc {
 public:
  CamRsc() : StageRsc(".cam", "Game\\CamRsc", true) {}
  uint32_t Kind() const override { return RscTag("CAM"); }
  // The kind's factory: a new resource, or null when memory runs out.
  static SRsc* Create();

  int32_t GetKeyCount() const { return static_cast<int32_t>(keys_.size()); }
  // Key k; null unless 0 <= k < count.
  const CamKey* GetKey(int32_t k) const {
    return k >= 0 && size_t(k) < keys_.size() ? &keys_[size_t(k)] : nullptr;
  }

 protected:
  bool Parse(const uint8_t* data, size_t size) override { return ParseCameraPath(data, size, &keys_, &Budget()); }
  void Release() override { keys_.clear(); }

 private:
  std::vector<CamKey> keys_;
};
