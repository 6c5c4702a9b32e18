#pragma once
// The stage's title: 23 rows of the stage-title sprites shown for 240
// frames with a rippling fade in (60 frames) and out (60 frames) around a
// 120-frame hold, then the process ends itself. Process name "StageName".
#include <cstdint>

#include "vrax/graphic/SGpRect.h"
#include "vrax/graphic/SGpSpriteBatch.h"
#include "vrax/kernel/SProc.h"

class StageName : public SProc {
 public:
  static constexpr int kRows = 23;
  static constexpr int32_t kFrames = 240;
  // The rows are screen coordinates: the batch goes in the fixed,
  // alpha-blended screen layer of the display's panel and the route banner,
  // which neither shakes nor follows the stage camera and lies over the whole
  // play. The batch sets no world: it draws under the identity that the
  // layer behind leaves with its own sprite batch.
  static constexpr int32_t kDrawKey = 3;

  int32_t GetFrame() const { return frame_; }
  const SGpSpriteBatch& GetBatch() const { return batch_; }
  // The row's x and the alpha the frame f gives (before the frame counts up).
  static float RowX(int32_t f, int i);
  static float Alpha(int32_t f);

 protected:
  int32_t Init(SProcArg arg) override;
  int32_t Main(SProcArg arg) override;
  int32_t Draw(SProcArg arg) override;
  int32_t OnDispose(SProcArg arg) override;

 private:
  void ClearBatch();

  int32_t stage_ = 1;
  int32_t frame_ = 0;
  SGpRect rows_[kRows];
  SGpSpriteBatch batch_;
};
