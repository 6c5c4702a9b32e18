#include "game/testmode/TestInput.h"

#include "game/core/Game.h"
#include "vrax/input/SCtrlMan.h"

int32_t TestInput::Read(int32_t counter) {
  Game* g = GetGame();
  return g ? g->GamePadRef().GetCounter(counter) : -1;
}

bool TestInput::TestSwitch() const {
  SCtrlMan* ctrl = SCtrlMan::GetInstance();
  return ctrl && ctrl->IsTestSwitch();
}
