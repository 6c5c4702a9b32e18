#pragma once
// The logo of the attract sequence. Not built yet: it shows nothing, ends
// itself after kFrames frames and chooses what follows it: the title when
// credits are present, otherwise the next step of the attract counter.
#include <cstdint>

#include "vrax/kernel/SProc.h"

// Advanced by each logo that ends without credits (0..5, program lifetime).
extern int32_t AttractCounter;

class Logo : public SProc {
 public:
  static constexpr int32_t kFrames = 60;

 protected:
  int32_t Init(SProcArg arg) override;
  int32_t Main(SProcArg arg) override;
  int32_t OnDispose(SProcArg arg) override;

 private:
  int32_t frame_ = 0;
};
