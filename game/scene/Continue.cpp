#include "game/scene/Continue.h"

#include <cmath>

#include "cabinet/QvtBTUtil.h"
#include "cabinet/ServiceClient.h"
#include "game/core/CoinCounter.h"
#include "game/core/Game.h"
#include "game/core/RankTable.h"
#include "game/scene/AttractScene.h"
#include "game/scene/SceneResourceTables.h"
#include "game/tables/font_tables.h"
#include "game/tables/scene_tables.h"
#include "vrax/graphic/SGpState.h"
#include "vrax/input/SPad.h"

namespace {

constexpr float kPi = 3.14159265358979f;
constexpr int32_t kDrawKey = 3;
constexpr int32_t kCountSound = 12;
constexpr int32_t kContinueSound = 1;
constexpr int32_t kGameOverSound = 13;
constexpr float kTextY = 124.0f;

const SGpRect& PanelRect() { return SprContinue_1[0]; }
const SGpRect& LabelRect() { return SprContinue_1[1]; }
const SGpRect& GameOverRect() { return SprContinue_1[2]; }

}  // namespace

int32_t Continue::Init(SProcArg) {
  SetName("Continue");
  // The image itself is one of the common resources, loaded already.
  LoadSceneCache(kContinueCacheArchive);
  panel_.AllocPrims(1);
  gameOver_.AllocPrims(1);
  label_.AllocPrims(1);
  curtain_.AllocPrims(4);
  text_.Init(&FontCountdown, 64);
  text_.SetOrigin(-38.0f, kTextY, 0.0f);
  behavior.Enter();
  return 0;
}

int32_t Continue::OnDispose(SProcArg) {
  ReleaseSceneResources();
  Game* g = GetGame();
  QvtBTUtil* client = GetServiceClient();
  if (!g) return 0;
  if (continued_) {
    if (client) client->SendCode4(0);
    g->ChangeScene(SCENE_STAGE, g->stage);
    return 0;
  }
  FillPendingRankEntry();
  if (client) client->PopCode(0);
  if (FindRankPosition(&PendingRankEntry) >= kRankEntries) {
    if (client) client->PopFE();
    g->ChangeScene(SCENE_RANKING);
  } else {
    g->ChangeScene(SCENE_ENTRY);
  }
  return 0;
}

int32_t Continue::Handler(int32_t code, int32_t state) {
  switch (state) {
    case STATE_LOAD:
      if (code == Behavior::CODE_ENTER) continued_ = false;
      if (LoadingState(code, STATE_COUNTDOWN, 30)) {
        SetSceneQuad(panel_, -240.0f, -253.0f, 240.0f, 72.0f, 0.0f, &PanelRect(), kSceneWhite);
        SetSceneQuad(label_, -89.5f, 82.0f, 89.5f, 114.0f, 0.0f, &LabelRect(), kSceneWhite);
      }
      return 1;
    case STATE_COUNTDOWN:
      if (code == Behavior::CODE_ENTER) {
        frame_ = 0;
        countdown_ = 21;
        presses_ = 0;
      } else if (code == Behavior::CODE_FRAME) {
        CountdownFrame();
      } else if (code == Behavior::CODE_NOTIFY) {
        DrawScreen(false);
      }
      return 1;
    case STATE_CONTINUE:
      if (code == Behavior::CODE_ENTER) {
        frame_ = 0;
        SceneFade(0.0f, 30);
        SceneStopSe(kCountSound);
        ScenePlaySe(kContinueSound);
        if (CoinCounter* coins = GetCoinCounter()) coins->ConsumePlay();
      } else if (code == Behavior::CODE_FRAME) {
        UpdateCurtain();
        if (frame_ > 30) {
          continued_ = true;
          Kill(0);
        }
        ++frame_;
      } else if (code == Behavior::CODE_NOTIFY) {
        DrawScreen(false);
      }
      return 1;
    case STATE_GAME_OVER:
      if (code == Behavior::CODE_ENTER) {
        frame_ = 0;
        countdown_ = 0;
      } else if (code == Behavior::CODE_FRAME) {
        GameOverFrame();
      } else if (code == Behavior::CODE_NOTIFY) {
        DrawScreen(true);
      }
      return 1;
    default:
      return 0;
  }
}

void Continue::CountdownFrame() {
  UpdateCurtain();
  const CoinCounter* coins = GetCoinCounter();
  if (AttractCoinArrived()) behavior.ChangeState(STATE_COUNTDOWN);
  if (ScenePressed(SPad::PAD_BUTTON1) || ScenePressed(SPad::PAD_BUTTON2)) {
    // From the fifth press on each press takes a second off at once.
    if (presses_++ > 3) frame_ = 0;
  }
  if (frame_ % 120 == 0) {
    --countdown_;
    if (countdown_ >= 0 && countdown_ <= 19) ScenePlaySe(kCountSound);
    text_.SetOrigin(countdown_ <= 9 ? -20.0f : -38.0f, kTextY, 0.0f);
  }
  text_.Printf("%d", countdown_ > 0 ? countdown_ : 0);
  if (countdown_ <= -1) {
    behavior.ChangeState(STATE_GAME_OVER);
    return;
  }
  if (coins && coins->CanStart() && ScenePressed(SPad::PAD_START)) behavior.ChangeState(STATE_CONTINUE);
  ++frame_;
}

void Continue::GameOverFrame() {
  UpdateCurtain();
  text_.Printf("%d", 0);
  const float t = std::fmin(static_cast<float>(frame_) * 0.025f, 1.0f);
  if (frame_ == 35) {
    SceneStopSe(kCountSound);
    ScenePlaySe(kGameOverSound);
  }
  // From depth -500 to the screen in 40 frames.
  const float z = (1.0f - std::cos(t * kPi * 0.5f)) * 500.0f - 500.0f;
  SetSceneQuad(gameOver_, -240.0f, -36.0f, 240.0f, 36.0f, z, &GameOverRect(), kSceneWhite);
  if (frame_ == 240) SceneFade(0.0f, 30);
  if (frame_ == 270) {
    continued_ = false;
    Kill(0);
  }
  ++frame_;
}

void Continue::UpdateCurtain() {
  const float n = static_cast<float>(countdown_) / 21.0f;
  const float a = 1.0f - n;
  // Four black quads, corners (x, y, z, alpha) in vertex order: the panel
  // darkens towards opaque black as the number falls.
  const float quads[4][4][4] = {
      {{-240, -320, 0, 1}, {0, -320, 0, a}, {-240, 82, 0, 1}, {0, 82, 10, a}},
      {{240, -320, 0, 1}, {0, -320, 0, a}, {240, 82, 0, 1}, {0, 82, 10, a}},
      {{-240, -320, 0, 1}, {-240 * n, -320, 0, 0.6f}, {-240, 82, 0, 1}, {-240 * n, 82, 10, 0.6f}},
      {{240, -320, 0, 1}, {240 * n, -320, 0, 0.6f}, {240, 82, 0, 1}, {240 * n, 82, 10, 0.6f}},
  };
  curtain_.Seek(0, 0);
  for (const auto& quad : quads)
    for (const auto& v : quad) {
      curtain_.SetPos(v[0], v[1], v[2]);
      curtain_.SetColour(0.0f, 0.0f, 0.0f, v[3]);
      curtain_.Next();
    }
  curtain_.SetActiveCount(4);
}

void Continue::DrawScreen(bool gameOver) {
  SceneDrawKey(kDrawKey);
  WorldPresets[1].EnterDefault();
  EnterSceneTexture(PanelRect());
  panel_.EnterDefault();
  EnterSceneTexture(LabelRect());
  label_.EnterDefault();
  text_.EnterDefault();
  curtain_.EnterDefault();
  if (gameOver) {
    EnterSceneTexture(GameOverRect());
    gameOver_.EnterDefault();
  }
}
