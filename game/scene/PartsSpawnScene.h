#pragma once
// Scene 15, which no scene requests: once its image has loaded it throws a
// scene-parts object of the first stock enemy's sprite into the game root's
// enemy list every 64 frames, with a chain popup of its own chain counter.
#include "game/player/ChainCounter.h"
#include "vrax/kernel/SHandle.h"
#include "vrax/kernel/SProc.h"

class PartsSpawnScene : public SProc {
 public:
  static constexpr int32_t kResourceGroup = 3;
  static constexpr int32_t kSpawnInterval = 64;

  int32_t GetFrame() const { return frame_; }
  ChainCounter* Chain() const { return chain_.Get(); }

 protected:
  int32_t Init(SProcArg arg) override;
  int32_t Draw(SProcArg arg) override;
  int32_t Main(SProcArg arg) override;

 private:
  int32_t frame_ = 0;
  SHandle<ChainCounter> chain_;
};
