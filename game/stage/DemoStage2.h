#pragma once
// The demo play of stage 2.
// Not built yet: it shows nothing, ends itself after kFrames frames and
// asks the game root for the scene that follows it.
#include <cstdint>

#include "vrax/kernel/SProc.h"

class DemoStage2 : public SProc {
 public:
  static constexpr int32_t kFrames = 60;

  int32_t GetArgument() const { return argument_; }

 protected:
  int32_t Init(SProcArg arg) override;
  int32_t Main(SProcArg arg) override;
  int32_t OnDispose(SProcArg arg) override;

 private:
  int32_t argument_ = 0;
  int32_t frame_ = 0;
};
