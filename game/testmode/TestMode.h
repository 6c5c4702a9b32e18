#pragma once
// The operator's test and service mode. Not built yet: it only names
// itself; IsTestMode reports it while it exists.
#include <cstdint>

#include "vrax/kernel/SProc.h"

// Non-zero while the test and service mode is active.
uint8_t IsTestMode();

class TestMode : public SProc {
 public:
  ~TestMode() override;

 protected:
  int32_t Init(SProcArg arg) override;
  int32_t OnDispose(SProcArg arg) override;
};
