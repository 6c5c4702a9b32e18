#pragma once
// The scene of stage 5.
// Not built yet: it shows nothing; after kFrames frames it ends the stage
// and asks for the second ending.
#include <cstdint>

#include "vrax/kernel/SProc.h"

class Stage5 : public SProc {
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
