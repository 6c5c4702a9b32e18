#include "game/scene/EndingScene.h"

#include <algorithm>

#include "game/core/Game.h"
#include "game/scene/CommonTables.h"
#include "game/tables/scene_tables.h"
#include "vrax/graphic/SGpState.h"
#include "vrax/graphic/SMath.h"
#include "vrax/input/SPad.h"
#include "vrax/resource/SRsc_Sound.h"

namespace {

constexpr int32_t kDrawKey = 0;

// The music's level curve at the music volume setting.
float MusicLevel() {
  const Game* g = GetGame();
  const float percent = g ? static_cast<float>(g->settings[SettingsWord::musicVolume]) : 100.0f;
  return QuadBezier(0.0f, 0.95f, 1.0f, percent * 0.01f);
}


}  // namespace

int32_t EndingScene::Init(SProcArg) {
  SetName(design_.name);
  LoadSceneResources(design_.table, design_.cacheName);
  count_ = frames_ = 0;
  pictureOffset_ = rollOffset_ = 0.0f;
  picture_.AllocPrims(1);
  picture_.SetActiveCount(0);
  for (SGpObj_PrimQuad& q : roll_) {
    q.AllocPrims(1);
    q.SetActiveCount(0);
  }
  behavior.Enter();
  return 0;
}

int32_t EndingScene::OnDispose(SProcArg) {
  SSndMan::Stop(RscMusic, kMusic);
  return 0;
}

int32_t EndingScene::Handler(int32_t code, int32_t state) {
  Game* g = GetGame();
  if (code == Behavior::CODE_NOTIFY) {
    if (state != STATE_LOAD) DrawScreen();
    return 1;
  }
  switch (state) {
    case STATE_LOAD:
      if (LoadingState(code, STATE_ROLL, 120) && g && g->soundOff == 0)
        SSndMan::Play(RscMusic, kMusic, static_cast<int32_t>(MusicLevel() * 65536.0f),
                      static_cast<int32_t>(static_cast<float>(g->settings[SettingsWord::effectBalance]) * 196.608f));
      return 1;
    case STATE_ROLL:
      if (code == Behavior::CODE_ENTER) {
        count_ = 0;
      } else if (code == Behavior::CODE_FRAME) {
        Update();
        if (count_ >= kRollFrames || ScenePressed(SPad::PAD_BUTTON1) || ScenePressed(SPad::PAD_START))
          behavior.ChangeState(STATE_FADE);
        ++count_;
      }
      return 1;
    case STATE_FADE:
      if (code == Behavior::CODE_ENTER) {
        SceneFade(0.0f, 60);
        count_ = 0;
      } else if (code == Behavior::CODE_FRAME) {
        Update();
        const float t = std::min(static_cast<float>(count_) / 60.0f, 1.0f);
        SSndMan::SetVolume(RscMusic, kMusic, static_cast<int32_t>((1.0f - t) * 65536.0f * MusicLevel()));
        if (count_ >= design_.lastFadeCount) Kill(0);
        ++count_;
      }
      return 1;
    default:
      return 0;
  }
}

void EndingScene::Update() {
  pictureOffset_ += 0.15f;
  // Opaque for 800 updates, then gone over 120.
  float alpha = 1.0f;
  if (frames_ >= 800) alpha = std::max(1.0f - static_cast<float>(frames_ - 800) / 120.0f, 0.0f);
  ++frames_;
  const float colour[4] = {1.0f, 1.0f, 1.0f, alpha};
  const float p = pictureOffset_;
  SetSceneQuad(picture_, -240.0f, p - design_.pictureTop, 240.0f, p + 320.0f, 0.0f, design_.picture, colour);
  rollOffset_ -= 0.45f;
  // Three strips 224 x 640 one under the other, the first from y = 320 on.
  for (int k = 0; k < 3; ++k) {
    const float top = rollOffset_ + 320.0f + 640.0f * static_cast<float>(k);
    SetSceneQuad(roll_[k], -112.0f, top, 112.0f, top + 640.0f, 0.0f, &SprStaff[k], kSceneWhite);
  }
}

void EndingScene::DrawScreen() {
  SceneDrawKey(kDrawKey);
  WorldPresets[1].EnterDefault();
  EnterSceneTexture(*design_.picture);
  picture_.EnterDefault();
  for (int k = 0; k < 3; ++k) {
    EnterSceneTexture(SprStaff[k]);
    roll_[k].EnterDefault();
  }
}
