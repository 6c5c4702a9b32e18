#pragma once
// Enemy type 0: a flat sprite enemy animated from a sprite key list. All it
// does comes from its stage data (the default behaviour and script step of
// EObjBase); the value animator chooses the frame of its key list.
#include <cstdint>

#include "game/enemy/EObjBase.h"
#include "vrax/graphic/SGpKeyTrack.h"
#include "vrax/graphic/SGpObj_Prim.h"

class EnemyType0 : public EObjBase {
 public:
  // Draw keys while the collision body is on and off (out of depth).
  static constexpr int32_t kKeyNear = 18;
  static constexpr int32_t kKeyFar = 21;

  // The quad from the current rect, turned by the third angle and scaled by
  // the parameter record's word 11, at the live position.
  void BuildQuad();
  // Colour = the parameter record's words 16 to 18, alpha 1.
  void RestoreColour();
  void Flash(const float* colour, uint8_t hold) override;

  const SGpObj_PrimQuad& Quad() const { return quad; }
  const SGpKeyTrack& Track() const { return track; }

  SGpObj_PrimQuad quad;
  SGpKeyTrack track;
  const SGpRect* rect = nullptr;
  float colour[4] = {1.0f, 1.0f, 1.0f, 1.0f};
  float corners[4][2] = {};
  float scale = 1.0f;

 protected:
  // Argument: the key list (EnemySprKeyTable entry).
  int32_t Init(SProcArg arg) override;
  int32_t Main(SProcArg arg) override;
  int32_t Draw(SProcArg arg) override;
  int32_t OnDispose(SProcArg arg) override;

 private:
  // The key track at the value animator's value, clamped to the list.
  void SetTrackTime();
  uint8_t listed_ = 0;
};
