#pragma once
// The hardware-error screen "CABRIERRCHECK": once the cabinet reports a
// fault the game root ends everything else and shows only this one white
// line in the middle of a black screen, the fault's name and the coin
// counter's state. Nothing returns from it to play, and it never closes the
// window: the message stays until the cabinet is switched off.
#include <cstdint>

#include "game/core/GfxObject.h"
#include "vrax/kernel/SProc.h"

// The fault codes, tested in this order: 1 the controller manager's
// service-switch error flag, 2 the coin mechanism of coin slot 0 reports a
// status other than 0 (also when there is no board), 3 the board's status
// is -1 (not linked); 0 no fault, also without a controller manager.
enum HardwareFault : int32_t {
  FAULT_NONE = 0,
  FAULT_SERVICE_SWITCH = 1,
  FAULT_COIN = 2,
  FAULT_IO = 3,
};
int32_t CheckHardwareError();
// The three tests alone: 1 when the fault is present, else 0.
int32_t CheckServiceSwitchError();
int32_t CheckCoinError();
int32_t CheckIoError();

class HardwareErrorScreen : public SProc {
 public:
  enum Step : int32_t { STEP_WAIT = 0, STEP_LOADING = 1, STEP_SHOWING = 2, STEP_COUNTDOWN = 3, STEP_DONE = 4 };
  static constexpr int32_t kResourceGroup = 5;
  static constexpr int32_t kCloseFrames = 600;
  static constexpr int kLineSize = 256;

  // The fault's name for a fault code; null for a code without a name.
  static const char* FaultText(int32_t code);

  int32_t GetStep() const { return step_; }
  const char* GetLine() const { return line_; }
  const GfxObject& Text() const { return text_; }

 protected:
  int32_t Init(SProcArg arg) override;
  int32_t Draw(SProcArg arg) override;
  int32_t Main(SProcArg arg) override;

 private:
  void SetUpText();

  int32_t messageIndex_ = 0;
  int32_t step_ = STEP_WAIT;
  int32_t closeTimer_ = 0;
  char line_[kLineSize] = {};
  GfxObject text_;
};
