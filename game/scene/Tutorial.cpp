#include "game/scene/Tutorial.h"

#include <cmath>

#include "game/core/CoinCounter.h"
#include "game/core/Game.h"
#include "game/core/Replay.h"
#include "game/enemy/EnemySet.h"
#include "game/player/ChainCounter.h"
#include "game/player/DashForm.h"
#include "game/player/Player.h"
#include "game/player/ZGInterface.h"
#include "game/stage/MapMng.h"
#include "game/stage/ScriptStgRsc.h"
#include "game/tables/font_tables.h"
#include "game/tables/scene_tables.h"
#include "platform/crt_rand.h"
#include "vrax/graphic/SGpState.h"
#include "vrax/input/SPad.h"

namespace {

constexpr float kPi = 3.14159265358979f;

// The timeline, queued in this order: events of one frame apply in it (at
// 1,570 and 1,700 the pause changes before the caption).
constexpr TutorialEvent kTimeline[] = {
    {0, 0, 1, 1, -200, -200}, {0, 100, 1, 0, 0, 0},   {1, 210, 1, 0, 0, 0},     {0, 210, 1, 1, -200, -200},
    {0, 470, 1, 0, 0, 0},     {1, 470, 2, 0, 0, 0},   {1, 670, 3, 0, 0, 0},     {1, 840, 4, 0, 0, 0},
    {1, 1000, 5, 0, 0, 0},    {3, 1167, 1, 0, 0, 0},  {1, 1270, 6, 0, 0, 0},    {1, 1420, 7, 0, 0, 0},
    {3, 1570, 0, 0, 0, 0},    {1, 1570, 8, 0, 0, 0},  {3, 1700, 1, 0, 0, 0},    {1, 1700, 9, 0, 0, 0},
    {3, 1840, 0, 0, 0, 0},    {1, 2200, 10, 0, 0, 0}, {0, 2290, 0, 1, 0, -290}, {0, 2530, 0, 0, 0, 0},
    {1, 2650, 11, 0, 0, 0},   {4, 3000, 0, 0, 0, 0},
};

}  // namespace

void Tutorial::AddEvent(int32_t kind, int32_t frame, int32_t a, int32_t b, int32_t c, int32_t d) {
  if (events_.size() >= kEventCapacity) return;
  events_.push_back({kind, frame, a, b, c, d});
}

int32_t Tutorial::Init(SProcArg arg) {
  SetName("Tutorial");
  LoadSceneResources(RscTableTutorial, kTutorialCacheArchive);
  band_.AllocPrims(2);
  frameQuad_.AllocPrims(1);
  hint_.AllocPrims(1);
  bandPhase_ = 0;
  mode_ = arg == MODE_BEFORE_GAME ? MODE_BEFORE_GAME : MODE_ATTRACT;
  if (mode_ == MODE_ATTRACT) {
    text_.Init(&FontSmall, 64);
    text_.SetSpacing(1.0f, 0.0f);
    text_.SetOrigin(-28.0f, 275.0f, 0.0f);
    text_.Printf("%s", " INSERT COIN(S) \n");
  }
  events_.clear();
  events_.reserve(kEventCapacity);
  nextEvent_ = 0;
  if (Game* g = GetGame()) g->demoPlay = mode_ == MODE_ATTRACT ? 1 : 0;
  behavior.Enter();
  return 0;
}

int32_t Tutorial::Draw(SProcArg) {
  behavior.Notify();
  if (mode_ == MODE_ATTRACT && EarlyEnd()) return 0;
  BroadcastAll(EVENT_DRAW, 0);
  return 0;
}

int32_t Tutorial::Main(SProcArg) {
  behavior.Update();
  BroadcastAll(EVENT_MAIN, 0);
  return 0;
}

int32_t Tutorial::End(SProcArg) {
  BroadcastAll(EVENT_END, 0);
  return 0;
}

int32_t Tutorial::OnDispose(SProcArg) {
  Game* g = GetGame();
  if (g) g->demoPlay = 0;
  g_Replay.Save();
  if (g) g->ResetViewParams();
  events_.clear();
  nextEvent_ = 0;
  ReleaseSceneResources();
  if (g) {
    if (mode_ == MODE_ATTRACT)
      g->ChangeScene(SCENE_TITLE);
    else
      g->ChangeScene(SCENE_STAGE, 1);
  }
  return 0;
}

void Tutorial::StartPlay() {
  Game* g = GetGame();
  captions_.Init(&SprTutorial_2[0]);
  markers_[0].Init(&SprTutorial_1[2]);
  markers_[1].Init(&SprTutorial_1[3]);
  ring_.Set(false, 0.0f, 0.0f, 0.0f);
  const ScriptStgRsc* script = StageScriptSlot.Ready();
  g_EnemySet.Init(script ? &script->Script() : nullptr, 0);
  g_ZGInterface.ResetPanel();
  plat::SRand(0);
  if (g) g->tutorialFlag = 1;
  g_DashForm.ClearAll();
  g_DashForm.Clear();
  g_MapMng.SetSpeed(1.0f);
  g_MapMng.SetEnemyTimeScale(1.0f);
  g_MapMng.SetShotTimeScale(1.0f);
  g_ChainCounter.Set(0);
  g_ChainCounter.gaugeValue = 0.0f;
  g_Player.ClearInputHistory();
  g_Replay.Begin(Replay::MODE_PLAY, "common\\Tutorial.rpd");
  if (g && g_Player.GetParent() == g) {
    g_Player.SetState(Player::STATE_START, 0);
    g_Player.OnEvent(1);
  }
  g_Player.power = 2.6f;
  if (g) g->bombs = 2;
  g_Player.SetPosition(0.0f, 60.0f, 0.0f);
}

void Tutorial::QueueEvents() {
  for (const TutorialEvent& e : kTimeline) AddEvent(e.kind, e.frame, e.a, e.b, e.c, e.d);
}

void Tutorial::Apply(const TutorialEvent& e) {
  Game* g = GetGame();
  switch (e.kind) {
    case EVENT_MARKER:
      markers_[e.a & 1].Set(e.b != 0, static_cast<float>(e.c), static_cast<float>(e.d));
      break;
    case EVENT_CAPTION:
      captions_.Show(e.a);
      break;
    case EVENT_RING:
      ring_.Set(e.a != 0, static_cast<float>(e.b), static_cast<float>(e.c), static_cast<float>(e.d));
      break;
    case EVENT_PAUSE:
      if (g) g->SetPause(e.a != 0);
      break;
    case EVENT_END:
      behavior.ChangeState(STATE_ENDING);
      break;
    default:
      break;
  }
}

void Tutorial::DispatchEvents() {
  while (nextEvent_ < events_.size() && events_[nextEvent_].frame <= frame) Apply(events_[nextEvent_++]);
  ++frame;
}

void Tutorial::BuildBand() {
  // The product is kept unrounded: at 360 it is 1.00000002, above 1, and the
  // sweep starts again (rounded to single precision it would be 1.0).
  const double wide = static_cast<double>(bandPhase_) * static_cast<double>(0.0027777778f);
  const float c = static_cast<float>(wide);
  if (wide > 1.0) bandPhase_ = 0;
  ++bandPhase_;
  const float a = 0.2f + 0.8f * std::sin(c * kPi / 2.0f);
  const float yc = 640.0f * c - 320.0f;
  const SGpRect& r = SprTutorial_1[0];
  // Rows of the two quads: y, alpha, v.
  const float rows[4][3] = {{-320.0f, 0.2f, 1.0f - c}, {yc, a, 1.0f}, {yc, a, 0.0f}, {320.0f, 1.0f, 1.0f - c}};
  band_.Seek(0, 0);
  for (const auto& row : rows) {
    for (int side = 0; side < 2; ++side) {
      band_.SetPos(side ? 240.0f : -240.0f, row[0], 0.0f);
      band_.SetColour(1.0f, 1.0f, 1.0f, row[1]);
      band_.SetUV(side ? r.uTR : r.uTL, row[2]);
      band_.Next();
    }
  }
  band_.SetActiveCount(2);
}

void Tutorial::DrawAll() {
  BuildBand();
  captions_.Build();
  for (TutorialMarker& m : markers_) m.Build();
  ring_.Build();
  g_ZGInterface.DrawTutorialPanel();
  SceneDrawKey(32);
  EnterSceneTexture(SprTutorial_1[0]);
  band_.EnterDefault();
  SceneDrawKey(3);
  EnterSceneTexture(SprTutorial_1[1]);
  frameQuad_.EnterDefault();
  captions_.Enter();
  for (TutorialMarker& m : markers_) m.Enter();
  ring_.Enter();
  if (mode_ == MODE_ATTRACT) {
    text_.Printf("%s", AttractPromptLine(frame, AttractFreePlay(), true));
    text_.Enter(0);
  } else {
    WorldPresets[1].EnterDefault();
    EnterSceneTexture(SprTutorial_1[4]);
    hint_.EnterDefault();
  }
}

bool Tutorial::EarlyEnd() {
  if (GetState() != STATE_RUNNING) return false;
  if (AttractCoinArrived()) {
    if (Game* g = GetGame()) g->SetPause(false);
    CleanUp();
    return true;
  }
  if (AttractFreeStartPressed()) {
    AttractGrantFreeStart();
    if (Game* g = GetGame()) g->SetPause(false);
    CleanUp();
    return true;
  }
  return false;
}

void Tutorial::CleanUp() {
  if (Game* g = GetGame()) g->ClearStageObjects();
  Kill(0);
}

int32_t Tutorial::Handler(int32_t code, int32_t state) {
  Game* g = GetGame();
  switch (state) {
    case STATE_LOADING:
      if (code == Behavior::CODE_ENTER) SceneFade(0.0f, 0);
      if (code == Behavior::CODE_FRAME && SceneResourcesLoaded()) {
        StartPlay();
        behavior.ChangeState(STATE_TUTORIAL);
      }
      if (code == Behavior::CODE_LEAVE) {
        SceneFade(1.0f, 30);
        SetSceneQuad(frameQuad_, -240.0f, 118.0f, 240.0f, 308.0f, 0.0f, &SprTutorial_1[1], kSceneWhite);
        SetSceneQuad(hint_, -20.0f, 275.0f, 200.0f, 300.0f, 0.0f, &SprTutorial_1[4], kSceneWhite);
      }
      return code != Behavior::CODE_NOTIFY;
    case STATE_TUTORIAL:
      if (code == Behavior::CODE_ENTER) {
        frame = 0;
        QueueEvents();
      } else if (code == Behavior::CODE_FRAME) {
        g_ZGInterface.DrawScorePanel();
        g_ZGInterface.Ramp().Update(false);
        g_EnemySet.Update();
      } else if (code == Behavior::CODE_NOTIFY) {
        DispatchEvents();
        DrawAll();
        const bool startPressed = ScenePressed(SPad::PAD_START);
        const bool ends = mode_ == MODE_BEFORE_GAME ? startPressed : AttractCoinsPresent();
        if (ends) {
          if (g) g->SetPause(false);
          behavior.ChangeState(STATE_ENDING);
        }
      }
      return 1;
    case STATE_ENDING:
      if (code == Behavior::CODE_ENTER) {
        frame = 0;
        SceneFade(0.0f, kFadeFrames);
      } else if (code == Behavior::CODE_FRAME) {
        if (frame == kFadeFrames) CleanUp();
        ++frame;
      } else if (code == Behavior::CODE_NOTIFY) {
        DrawAll();
      }
      return 1;
    default:
      return 0;
  }
}
