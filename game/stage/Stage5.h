#pragma once
// The scene of stage 5 (process name "Stage5"), the last stage: one camera
// path under a brown fog that darkens to black, the rocks (Stage5Rock), no
// cloud layer. From rail position 4230 on the scene draws the hall itself,
// breaking apart and shaking; at 5180 it fades to black and fades the music
// out, and at 5300 it ends the play's stages and hands over to the second
// ending. Its triggers fire on any camera path.
#include "game/stage/Stage5Rock.h"
#include "game/stage/StageProc.h"
#include "vrax/graphic/SGpState.h"
#include "vrax/kernel/SHandle.h"

class Stage5 : public StageProc {
 public:
  static constexpr int32_t kMusicEntry = 4;

  Stage5();

  // The sideways shake of the hall at rail key k.
  static float ShakeX(int32_t k);
  // The music's share of its volume at rail key k (from 5180 on): 1 at
  // 5180 falling to 0 at 5300 and after.
  static float MusicFade(int32_t k);

  // The rock process once the loading has ended (null before and after).

 protected:
  void StartLayers() override;
  void SetUpMap() override;
  void FinishLoading() override;
  void PlayTriggers() override;
  void PlayDraw() override;

 private:
  // Slots first..last (inclusive) drawn at the shake position; a time of 0
  // or more sets their animation time first.
  void DrawSlots(int32_t first, int32_t last, float time);

  SHandle<Stage5Rock> rocks_;
  SVec3 shake_{0.0f, 0.0f, 0.0f};
  // The view of key 34 (the sky and the rocks) through the collapse.
  SGpState_View collapseView_;
};
