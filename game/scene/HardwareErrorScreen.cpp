#include "game/scene/HardwareErrorScreen.h"

#include <cstdio>
#include <cstring>

#include "game/core/CoinCounter.h"
#include "game/core/Game.h"
#include "game/core/WinMain.h"
#include "game/scene/AttractScene.h"
#include "game/tables/font_tables.h"
#include "vrax/graphic/SGpState.h"
#include "vrax/input/SCtrlMan.h"
#include "vrax/resource/SRscMan.h"

int32_t CheckServiceSwitchError() {
  const SCtrlMan* ctrl = SCtrlMan::GetInstance();
  return ctrl && ctrl->GetFlag() != 0 ? 1 : 0;
}

int32_t CheckCoinError() {
  SCtrlMan* ctrl = SCtrlMan::GetInstance();
  return ctrl && ctrl->BoardQuery12(0) != 0 ? 1 : 0;
}

int32_t CheckIoError() {
  SCtrlMan* ctrl = SCtrlMan::GetInstance();
  return ctrl && ctrl->BoardStatus() == -1 ? 1 : 0;
}

int32_t CheckHardwareError() {
  if (CheckServiceSwitchError()) return FAULT_SERVICE_SWITCH;
  if (CheckCoinError()) return FAULT_COIN;
  if (CheckIoError()) return FAULT_IO;
  return FAULT_NONE;
}

const char* HardwareErrorScreen::FaultText(int32_t code) {
  static constexpr char kTexts[3][25] = {"SERVICE SWITCH ERROR", "COIN ERROR", "I/O ERROR"};
  // The code comes from the creator's argument: one outside the table names
  // no fault rather than a row beyond it.
  return code >= FAULT_SERVICE_SWITCH && code <= FAULT_IO ? kTexts[code - 1] : nullptr;
}

int32_t HardwareErrorScreen::Init(SProcArg arg) {
  SetName("CABRIERRCHECK");
  step_ = STEP_WAIT;
  messageIndex_ = static_cast<int32_t>(arg) - 1;
  if (Game* g = GetGame()) g->RampValue(1, 0.0f, 0);
  return 0;
}

void HardwareErrorScreen::SetUpText() {
  const CoinCounter* coins = GetCoinCounter();
  const Game* g = GetGame();
  const char* fault = FaultText(messageIndex_ + 1);
  std::snprintf(line_, sizeof line_, "%s CREDIT:%d COIN:%d/%d", fault ? fault : "", coins ? coins->credits : 0,
                coins ? coins->remainder : 0, g ? g->settings[SettingsWord::coinUnit] : 0);
  const int length = static_cast<int>(std::strlen(line_));
  // Room for every character of the line (it may pass 32 with wide numbers).
  text_.Init(&SprTestFont_1Desc, length > 32 ? length : 32);
  text_.SetScale(1.0f, 1.0f);
  text_.SetSpacing(0.0f, 0.0f);
  text_.SetColour(1.0f, 1.0f, 1.0f, 1.0f);
  text_.SetOrigin(static_cast<float>(-(16 * length) / 2), 0.0f, 0.0f);
  text_.Printf("%s", line_);
}

int32_t HardwareErrorScreen::Main(SProcArg) {
  SRscMan* rsc = GetRscMan();
  const bool settled = !rsc || rsc->Sync(0) != 0;
  switch (step_) {
    case STEP_WAIT:
      if (!settled) break;
      if (rsc) {
        rsc->ReleaseGroup(kResourceGroup, SceneBuffer(), kSceneBufferSize);
        rsc->LoadTable(kResourceGroup, RscTableErrorScreen, -1);
      }
      SetUpText();
      step_ = STEP_LOADING;
      break;
    case STEP_LOADING:
      if (!settled) break;
      step_ = STEP_SHOWING;
      closeTimer_ = kCloseFrames;
      break;
    case STEP_COUNTDOWN:
      // Nothing moves the screen into this step: the fault stays shown.
      if (--closeTimer_ < 0) {
        PostCloseToMainWindow();
        step_ = STEP_DONE;
      }
      break;
    default:
      break;
  }
  return 0;
}

int32_t HardwareErrorScreen::Draw(SProcArg) {
  if (step_ != STEP_SHOWING) return 0;
  SceneDrawKey(0);
  WorldPresets[1].EnterDefault();
  text_.EnterDefault();
  BroadcastAll(EVENT_DRAW, 0);
  return 0;
}
