#include "game/scene/HardwareErrorScreen.h"

#include "game/core/WinMain.h"

int32_t CheckHardwareError() { return 0; }

int32_t HardwareErrorScreen::Init(SProcArg arg) {
  SetName("CABRIERRCHECK");
  code_ = static_cast<int32_t>(arg);
  frame_ = 0;
  return 0;
}

int32_t HardwareErrorScreen::Main(SProcArg) {
  if (++frame_ == kCountdownFrames) PostCloseToMainWindow();
  return 0;
}
