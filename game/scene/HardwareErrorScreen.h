#pragma once
// The hardware-error screen "CABRIERRCHECK": shown alone once the cabinet
// reports a fault; when its countdown ends it closes the main window.
// Not built yet: it draws nothing, it only counts down and closes.
#include <cstdint>

#include "vrax/kernel/SProc.h"

// 1 when the service switch reports an error, else 2 for a coin-mechanism
// error, else 3 when the I/O board cannot be read, else 0. Not built yet:
// reports no fault.
int32_t CheckHardwareError();

class HardwareErrorScreen : public SProc {
 public:
  static constexpr int32_t kCountdownFrames = 600;
  int32_t GetCode() const { return code_; }

 protected:
  int32_t Init(SProcArg arg) override;
  int32_t Main(SProcArg arg) override;

 private:
  int32_t code_ = 0;
  int32_t frame_ = 0;
};
