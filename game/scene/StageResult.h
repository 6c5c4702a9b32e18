#pragma once
// Scene 8, after every cleared stage: the stage's bonus goes into the score
// as the scene starts, then seven rows of numbers (enemies destroyed with
// the destroy ratio, lock catches, the stage's longest chain, lives, power,
// the bonus and the score) slide in one after another onto a panel while an
// orange glow drifts along a closed curve; a press hurries the rows and the
// wait. It then leads to the next stage, the first ending, the name entry
// or the ranking.
#include <cstdint>

#include "game/core/GfxObject.h"
#include "game/core/SplineMover.h"
#include "game/scene/SceneFrame.h"
#include "vrax/graphic/SGpObj_Prim.h"
#include "vrax/graphic/SGpState.h"

class StageResult : public SceneProc {
 public:
  enum State : int32_t { STATE_LOAD = 0, STATE_TALLY = 1, STATE_WAIT = 2, STATE_FADE = 3 };
  static constexpr int32_t kRows = 7;
  static constexpr int32_t kRowSound = 19;
  // Below this score after stage 4 (and without overflow) the first ending
  // follows instead of stage 5.
  static constexpr uint32_t kEndingScore = 350000000u;

  int32_t GetRow() const { return row_; }
  int32_t GetCount() const { return count_; }
  float GetRowX(int i) const { return rowX_[i]; }
  const GfxObject& ValueText() const { return values_; }
  const GfxObject& RatioText() const { return ratio_; }
  const SGpState_World& GlowTransform() const { return glowWorld_; }

 protected:
  int32_t Init(SProcArg arg) override;
  int32_t OnDispose(SProcArg arg) override;
  int32_t Handler(int32_t code, int32_t state) override;

 private:
  void CreditBonus();
  void BuildGlowPath();
  void BuildGlow();
  void BuildStaticQuads();
  void TallyFrame();
  void Update();
  void PrintValues();
  void DrawScreen();

  SGpObj_PrimQuad tint_{plat::kFvfPosColour};
  SGpObj_Prim glow_{plat::kFvfPosColour};
  SGpState_World glowWorld_;
  SGpObj_PrimQuad back1_, back2_, panel_;
  SGpObj_PrimQuad plates_;
  GfxObject values_;
  GfxObject ratio_;
  float rowX_[kRows] = {};
  int32_t row_ = 0;
  int32_t count_ = 0;
  SplineMover glowPath_;
};
