#pragma once
// The process base of the boss companions and scene parts: its behaviour is
// its user-event handler (the script), which the frame slots call with code
// 7 at EVENT_INIT, 8 at EVENT_DRAW and 9 at EVENT_MAIN. A script may attach
// two draw sets, each a world transform, a brush list and the colour grid its
// brushes paint.
#include <cstdint>
#include <memory>

#include "game/effect/BrushListPacket.h"
#include "game/effect/ColourGridPacket.h"
#include "vrax/graphic/SGpState.h"
#include "vrax/kernel/SProc.h"

class ScriptedProc : public SProc {
 public:
  static constexpr int32_t kCodeInit = 7;
  static constexpr int32_t kCodeDraw = 8;
  static constexpr int32_t kCodeMain = 9;
  static constexpr int32_t kKeySetA = 25;

  struct DrawSet {
    SGpState_World world;
    BrushListPacket brushes;
    ColourGridPacket grid;
  };

  // Set A: drawn at key 25 with the matrix taken relative to the game's
  // cameras, so that it keeps its place in the view as the stage camera
  // moves; alpha minimum 0.85. Attaching again replaces the set.
  void AttachDrawA(const SMatrix* m, float w, float h, float columns, float rows, const float* colour);
  // Set B: drawn at `key` with the matrix as it is; additive, alpha 0.75 to 1.
  void AttachDrawB(const SMatrix* m, float w, float h, float columns, float rows, const float* colour,
                   int32_t key);

  // Count dim green brushes scattered in a disc (count 1: one brush at the
  // centre), painted into set A. Nothing without set A.
  void EfxBurstC(float x, float y, float radius, float size, int32_t count, int32_t life);
  // Count brighter green brushes in a ring.
  void EfxBurstD(float x, float y, float radius, float size, int32_t count, int32_t life);

  DrawSet* SetA() const { return setA_.get(); }
  DrawSet* SetB() const { return setB_.get(); }
  int32_t SetBKey() const { return keyB_; }

 protected:
  int32_t Init(SProcArg arg) override;
  int32_t Draw(SProcArg arg) override;
  int32_t Main(SProcArg arg) override;
  int32_t OnDispose(SProcArg arg) override;

 private:
  int32_t SendScript(int32_t code);
  void Burst(float x, float y, float radius, float size, int32_t count, int32_t life, bool ring);

  std::unique_ptr<DrawSet> setA_;
  // The stage camera's view set A's world stands in.
  SMatrix viewA_ = kIdentityMatrix;
  std::unique_ptr<DrawSet> setB_;
  int32_t keyB_ = 0;
};
