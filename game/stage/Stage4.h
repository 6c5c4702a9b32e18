#pragma once
// The scene of stage 4.
// Not built yet: it shows nothing and counts as cleared after kFrames
// frames; the game root then ends it and shows the stage result.
#include <cstdint>

#include "vrax/kernel/SProc.h"

class Stage4 : public SProc {
 public:
  static constexpr int32_t kFrames = 60;

  int32_t GetArgument() const { return argument_; }

 protected:
  int32_t Init(SProcArg arg) override;
  int32_t Main(SProcArg arg) override;

 private:
  int32_t argument_ = 0;
  int32_t frame_ = 0;
};
