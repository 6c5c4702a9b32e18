#include "game/scene/ContinuePrompt.h"

#include <cmath>

#include "cabinet/QvtBTUtil.h"
#include "cabinet/ServiceClient.h"
#include "game/core/CoinCounter.h"
#include "game/core/Game.h"
#include "game/scene/AttractScene.h"
#include "game/scene/CommonTables.h"
#include "game/scene/SceneFrame.h"
#include "game/tables/font_tables.h"
#include "game/tables/scene_tables.h"
#include "vrax/input/SPad.h"
#include "vrax/resource/SRsc_Sound.h"

int32_t ContinuePromptAnswer = -1;

namespace {

constexpr float kPi = 3.14159265358979f;
constexpr int32_t kDrawKey = 1;
// The label's rect and the GAME OVER rect on the continue image.
const SGpRect& LabelRect() { return SprContinue_2[1]; }
const SGpRect& GameOverRect() { return SprContinue_2[2]; }
// The number sits 10 units below the label, as on the continue scene.
constexpr float kNumberY = -18.0f;

void SetCoinMode(int32_t mode) {
  if (CoinCounter* coins = GetCoinCounter()) coins->mode = mode;
}

void StopMusic() {
  for (int32_t i = 0; i <= 5; ++i) SSndMan::Stop(RscMusic, i);
}

}  // namespace

int32_t ContinuePrompt::Init(SProcArg) {
  SetName("ContinuePrompt");
  Game* g = GetGame();
  static constexpr float kTint[4][4] = {
      {0.25f, 0.0f, 0.0f, 0.25f}, {0.25f, 0.0f, 0.0f, 0.25f}, {0.25f, 0.0f, 0.0f, 0.25f}, {0.25f, 0.0f, 0.0f, 0.25f}};
  if (g) g->SetOverlay(1, kTint);
  SetSceneQuad(label_, -89.5f, -60.0f, 89.5f, -28.0f, 0.0f, &LabelRect(), kSceneWhite);
  SetSceneQuad(gameOver_, -240.0f, -36.0f, 240.0f, 36.0f, 0.0f, &GameOverRect(), kSceneWhite);
  number_.Init(&FontCountdown, 16);
  timer_ = PhaseTimer{};
  shown_ = -1;
  ContinuePromptAnswer = 0;
  if (g) g->SetPause(true);
  SetCoinMode(CoinCounter::MODE_CONTINUE);
  if (g && g->settings[SettingsWord::continueOn] == 0) {
    StopMusic();
    SetCoinMode(CoinCounter::MODE_PLAY);
    timer_.SetPhase(PHASE_GAME_OVER);
  }
  return 0;
}

int32_t ContinuePrompt::OnDispose(SProcArg) {
  if (Game* g = GetGame()) {
    g->SetPause(false);
    g->SetOverlay(0, nullptr);
  }
  return 0;
}

int32_t ContinuePrompt::Draw(SProcArg) {
  SceneDrawKey(kDrawKey);
  WorldPresets[1].EnterDefault();
  EnterSceneTexture(LabelRect());
  timer_.Tick();
  switch (timer_.GetPhase()) {
    case PHASE_COUNTDOWN: Countdown(); break;
    case PHASE_CONTINUE: Continue(); break;
    case PHASE_GAME_OVER: GameOver(); break;
    default: break;
  }
  return 0;
}

void ContinuePrompt::Countdown() {
  Game* g = GetGame();
  CoinCounter* coins = GetCoinCounter();
  if (timer_.Window(kPressFrom, kCountFrames) && (ScenePressed(SPad::PAD_BUTTON1) || ScenePressed(SPad::PAD_BUTTON2))) {
    // On to the next whole second, but never past the end of the count: a
    // press on its last frame would otherwise leave the window unfinished
    // and the game paused for good.
    const int32_t next = (timer_.GetCount() + 60) / 60 * 60;
    timer_.SetCount(next < kCountFrames ? next : kCountFrames);
  }
  if (timer_.Window(0, kCountFrames)) {
    const auto n = static_cast<int32_t>(21.0f - 21.0f * timer_.GetRatio());
    shown_ = n;
    number_.SetOrigin(n < 10 ? -20.0f : -38.0f, kNumberY, 0.0f);
    number_.Printf("%d", n);
    if (timer_.GetCount() % 60 == 1 && g) g->PlaySe(kTickSound);
    if (AttractCoinArrived()) timer_.ResetCount();
    if (ScenePressed(SPad::PAD_START) && coins && coins->CanStart()) timer_.SetPhase(PHASE_CONTINUE);
    if (timer_.IsDone() != 0.0f) {
      timer_.SetPhase(PHASE_GAME_OVER);
      timer_.ResetCount();
      SetCoinMode(CoinCounter::MODE_PLAY);
    }
  }
  label_.EnterDefault();
  number_.EnterDefault();
}

void ContinuePrompt::Continue() {
  SceneStopSe(kCountSound);
  ScenePlaySe(kContinueSound);
  if (QvtBTUtil* client = GetServiceClient()) client->SendCode4(0);
  if (CoinCounter* coins = GetCoinCounter()) coins->ConsumePlay();
  SetCoinMode(CoinCounter::MODE_PLAY);
  ContinuePromptAnswer = 1;
  Kill(0);
}

void ContinuePrompt::GameOver() {
  if (timer_.Window(0, 20)) {
    const float r = timer_.GetRatio();
    SMatrix& m = depth_.GetMatrix();
    SMatrix::Identity(&m);
    m.m[3][2] = (1.0f - std::cos(r * kPi * 0.5f)) * 500.0f - 500.0f;
    depth_.EnterDefault();
    if (timer_.GetCount() == 15) {
      StopMusic();
      SceneStopSe(kCountSound);
      ScenePlaySe(kGameOverSound);
      if (QvtBTUtil* client = GetServiceClient()) client->PopCode(0);
    }
  }
  if (timer_.Window(0, kGameOverFrames)) {
    gameOver_.EnterDefault();
    if (timer_.IsDone() != 0.0f) {
      ContinuePromptAnswer = -1;
      Kill(0);
    }
  }
}
