#include "game/core/Game.h"

#include "cabinet/QvtBTUtil.h"
#include "cabinet/ServiceClient.h"
#include "game/core/CoinCounter.h"
#include "game/core/RankTable.h"
#include "game/core/WinMain.h"
#include "game/player/Player.h"
#include "game/scene/HardwareErrorScreen.h"
#include "game/stage/MapMng.h"
#include "game/testmode/TestMode.h"
#include "platform/crt_rand.h"
#include "vrax/graphic/SGpMan.h"
#include "vrax/input/SCtrlMan.h"
#include "vrax/io/SIOMan.h"
#include "vrax/resource/SRscMan.h"

Game* Game::s_instance = nullptr;
uint8_t g_GameTakeover = 0;

namespace {

bool LoadPending() {
  SRscMan* rsc = GetRscMan();
  return rsc && rsc->Sync(0) == 0;
}

void SetQuadColour(SGpObj_PrimQuad& q, float r, float g, float b, float a) {
  q.Seek(0, 0);
  for (int i = 0; i < 4; ++i) {
    q.SetColour(r, g, b, a);
    q.Next();
  }
}

// One quad over the whole play field (x -240..240, y -320..320, z 0).
void BuildPlayFieldQuad(SGpObj_PrimQuad& q, float r, float g, float b, float a) {
  if (q.GetPrimCapacity() < 1) q.AllocPrims(1);
  static constexpr float kCorners[4][2] = {{-240.0f, -320.0f}, {240.0f, -320.0f}, {-240.0f, 320.0f}, {240.0f, 320.0f}};
  q.Seek(0, 0);
  for (const auto& c : kCorners) {
    q.SetPos(c[0], c[1], 0.0f);
    q.SetColour(r, g, b, a);
    q.Next();
  }
  q.SetActiveCount(1);
}

}  // namespace

// ============================================================ ramps

void Game::Ramp::Set(float to, int32_t frames) {
  start = level;
  target = to;
  counter = 0;
  duration = frames;
  // A negative length reaches the target at the next step instead.
  if (frames == 0) level = to;
}

void Game::Ramp::Step() {
  ++counter;
  if (counter < duration)
    level = start + (target - start) * static_cast<float>(counter) / static_cast<float>(duration);
  else
    level = target;
}

// ============================================================ life cycle

Game::Game() {
  s_instance = this;
  SMatrix::Identity(&orientation_);
  SMatrix::Identity(&fixedView_);
  SMatrix::Identity(&playView_);
  SMatrix::Identity(&stageCamera_);
  for (SMatrix& n : cameraNodes_) SMatrix::Identity(&n);
}

Game::~Game() {
  if (s_instance == this) s_instance = nullptr;
}

int32_t Game::Init(SProcArg) {
  SetName("Game");
  if (SIOMan* io = SIOMan::GetInstance()) {
    io->SetDataPath("Data//");
    io->SetCacheMode(2, 16777216u, 2, 524288u);
  }
  g_GameTakeover = 0;
  requests_.clear();
  sceneId_ = 0;
  pause_ = requestedPause_ = 0;
  frameCounter = 0;
  exitWait = 0;

  CreateLists(GAME_LIST_COUNT);
  InitDrawLayers();
  SMatrix::Identity(&stageCamera_);
  LoadSystemFile(settings);
  SetViewMode(IsScreenVertical() ? 2 : 10);

  BuildWhiteQuad();
  ResetFade();
  overlayMode_ = 0;
  overlay_ = Ramp{};

  for (int i = 0; i < kPads; ++i) {
    pads_[i].UnregisterAll();
    pads_[i].Register(i);
    pads_[i].Register(i + 4);
    pads_[i].SetKeyMap(kPadIdentityKeyMap, 32);
  }
  gamePad_.UnregisterAll();
  gamePad_.Register(0);
  gamePad_.Register(4);
  gamePad_.SetKeyMap(kPadIdentityKeyMap, 32);

  RegisterResourceKinds();

  lives = settings[SettingsWord::lives];
  for (int i = 0; i < REC_WORDS; ++i) record[i] = blankRecord[i] = stageSnapshot[i] = 0;
  ResetRankTable();
  LoadRankFile();
  ResetViewParams();

  ChangeScene(SCENE_LOAD_COMMON);
  ChangeScene(SCENE_MANAGERS);
  ChangeScene(SCENE_NOTICE, 1);
  return 0;
}

int32_t Game::KillChildren(SProcArg) {
  // Every child hears of the end; their states are left to them.
  BroadcastAll(EVENT_KILL, 0);
  return 0;
}

int32_t Game::OnDispose(SProcArg) { return 0; }

int32_t Game::User(int32_t code, SProcArg arg) {
  if (code == kEventStageClear && g_Player.GetParent() == this) g_Player.SendEvent(Player::kEventStageClear, arg);
  return 0;
}

// ============================================================ frame events

int32_t Game::Begin(SProcArg) {
  if (SGpMan* gp = GetGpMan()) gp->SetShakeLevel(0.0f);
  pause_ = requestedPause_;
  if (!pause_) BroadcastAll(EVENT_BEGIN, 0);
  return 0;
}

int32_t Game::Main(SProcArg) {
  if (!pause_) BroadcastAll(EVENT_MAIN, 0);
  if (g_GameTakeover) return 0;
  if (const int32_t code = CheckHardwareError(); code != 0) {
    TakeOver(code);
    return 0;
  }
  SCtrlMan* ctrl = SCtrlMan::GetInstance();
  if (ctrl && ctrl->IsTestSwitch()) {
    TakeOver(0);
    return 0;
  }
  if (CoinCounter* coins = GetCoinCounter()) coins->Update();
  TestExitRule();
  return 0;
}

void Game::TakeOver(int32_t code) {
  pause_ = requestedPause_ = 0;
  g_GameTakeover = 1;
  KillChildrenAll(5);
  SProc* screen = code != 0 ? static_cast<SProc*>(new HardwareErrorScreen()) : new TestMode();
  AddChild(GAME_LIST_MANAGERS, screen, code);
  if (!screen->GetParent()) delete screen;
}

void Game::TestExitRule() {
  const CoinCounter* coins = GetCoinCounter();
  const int32_t coinMode = coins ? coins->mode : CoinCounter::MODE_IDLE;
  if (coinMode == CoinCounter::MODE_IDLE || sceneId_ < SCENE_NOTICE) return;
  // Counted once in the life of the program, never reset.
  if (exitWait < 60) {
    ++exitWait;
    return;
  }
  QvtBTUtil* client = GetServiceClient();
  if (!client || !coins) return;
  // A coin short of a credit is money in the cabinet too.
  if (coins->credits != 0 || coins->serviceCredits != 0 || coins->remainder != 0) return;
  if (settings[SettingsWord::coinPlay] == 0) return;
  if (client->GetCounterE() != 0 || client->GetCounterC() != 0) return;
  if (client->GetUserSelectEnable() == 0) return;
  const bool bothHeld = gamePad_.GetCounter(SPad::PAD_START) >= 0 && gamePad_.GetCounter(SPad::PAD_BUTTON1) >= 0;
  if (!bothHeld && client->ReadSharedStatus() != 0) return;
  client->WriteGameResultOnce(0);
  PostCloseToMainWindow();
}

int32_t Game::End(SProcArg) {
  if (pause_) return 0;
  BroadcastAll(EVENT_END, 0);
  SwitchScene();
  fade_.Step();
  overlay_.Step();
  ++frameCounter;
  CheckStageEnd();
  return 0;
}

void Game::CheckStageEnd() {
  if (sceneId_ != SCENE_STAGE || LoadPending()) return;
  if (g_Player.IsStageClearDone()) {
    StepHoldRampOff();
    ClearStageObjects();
    ChangeScene(SCENE_STAGE_RESULT);
    return;
  }
  if (gameOver) {
    gameOver = 0;
    StepHoldRampOff();
    ClearStageObjects();
    FillPendingRankEntry();
    if (FindRankPosition(&PendingRankEntry) < kRankEntries) {
      ChangeScene(SCENE_ENTRY);
      return;
    }
    if (QvtBTUtil* client = GetServiceClient()) client->PopFE();
    const CoinCounter* coins = GetCoinCounter();
    ChangeScene(coins && coins->CanStart() ? SCENE_TITLE : SCENE_RANKING);
  }
}

// ============================================================ scene queue

void Game::ChangeScene(int32_t id, int32_t a1, int32_t a2, int32_t a3, int32_t a4) {
  requests_.push_back(SceneRequest{id, a1, a2, a3, a4});
}

void Game::SwitchScene() {
  if (requests_.empty() || LoadPending()) return;
  const SceneRequest r = requests_.front();
  requests_.pop_front();
  if (g_GameTakeover) {
    sceneId_ = r.id;
    return;
  }
  const int32_t previous = sceneId_;
  current_ = r;
  ActOnScene(r, previous);
  sceneId_ = r.id;
  if (CoinCounter* coins = GetCoinCounter()) {
    if (r.id == SCENE_TITLE)
      coins->mode = 0;
    else if (r.id == SCENE_CONTINUE)
      coins->mode = 2;
    else if (r.id > SCENE_MANAGERS || r.id < 0)
      coins->mode = 3;
  }
}

void Game::StartStage(const SceneRequest& r, int32_t previous) {
  SMatrix::Identity(&cameraNodes_[0]);
  if (previous == SCENE_CONTINUE) {
    ResetForPlay();
  } else if (previous != SCENE_STAGE_RESULT) {
    RestorePlayRecord();
  }
  frameCounter = 0;
  demoPlay = 0;  // the mode word: a demo stage sets it again as it starts
  if (previous != SCENE_CONTINUE) {
    stage = r.a1;
    // A stage entered afresh starts from its beginning: checkpoint 0. (The
    // stage number here would start stage 2 at its second restart point and
    // keep the music of stages 3 to 5 silent.)
    checkpoint = 0;
  }
  stageClear = gameOver = bossBeaten = tutorialFlag = 0;
}

// ============================================================ fade and shake

void Game::RampValue(int32_t layer, float target, int32_t frames) {
  fadeLayer_ = layer;
  fade_.Set(target, frames);
}

void Game::ResetFade() {
  fadeLayer_ = kFadeLayerTop;
  fade_ = Ramp{};
  BuildPlayFieldQuad(fadeQuad_, 1.0f, 1.0f, 1.0f, 0.0f);
}

void Game::BuildWhiteQuad() { BuildPlayFieldQuad(whiteQuad_, 1.0f, 1.0f, 1.0f, 1.0f); }

void Game::DrawFade() {
  float level = fade_.level;
  if (level == 1.0f) return;
  if (level < 1.0f) {
    if (level < 0.0f) level = 0.0f;
    SetQuadColour(fadeQuad_, 0.0f, 0.0f, 0.0f, 1.0f - level);
  } else {
    if (level > 2.0f) level = 2.0f;
    SetQuadColour(fadeQuad_, 0.9f, 0.9f, 1.0f, level - 1.0f);
  }
  WorldPresets[1].Enter(fadeLayer_);
  fadeQuad_.Enter(fadeLayer_);
}

void Game::SetOverlay(int32_t mode, const float corners[4][4]) {
  overlayMode_ = mode;
  if (corners)
    for (int i = 0; i < 4; ++i)
      for (int c = 0; c < 4; ++c) overlayColours_[i][c] = corners[i][c];
}


void Game::StartShake(int32_t strength) {
  shakeStrength_ = strength;
  shakeFrames_ = (strength + 2) * 15;
}

void Game::ResetViewParams() {
  shakeStrength_ = 0;
  shakeFrames_ = 0;
  shakeOffset_ = SVec4{0.0f, 0.0f, 0.0f, 1.0f};
}

void Game::ShakeStep() {
  if (shakeFrames_ <= 0) return;
  --shakeFrames_;
  if (shakeFrames_ % 3 == 1) {
    const float s = static_cast<float>(shakeStrength_);
    const float r1 = static_cast<float>(plat::Rand()) / 32767.0f;
    const float r2 = static_cast<float>(plat::Rand()) / 32767.0f;
    float x = s * (4.0f + 6.0f * r1);
    if (shakeOffset_.x > 0.0f) x = -x;
    float y = s * 12.0f * (r2 - 0.5f);
    if (static_cast<float>(shakeFrames_) < 15.0f * s) {
      x *= s / 15.0f;
      y *= s / 15.0f;
    }
    shakeOffset_.x = x;
    shakeOffset_.y = y;
  }
  if (shakeFrames_ == 0) shakeOffset_ = SVec4{0.0f, 0.0f, 0.0f, 1.0f};
}

// ============================================================ draw

int32_t Game::Draw(SProcArg) {
  if (SGpMan* gp = GetGpMan()) gp->SetPresentSkip(0);
  ShakeStep();
  BuildViews();
  for (int k = 0; k < kLayers; ++k) layers_[k].block.Enter(k);
  const auto* fog = static_cast<const SGpState_Fog*>(layers_[36].block.GetPacket8());
  if (fog && fog->GetEnable()) {
    WorldPresets[1].Enter(36);
    whiteQuad_.Enter(36);
  }
  BroadcastAll(EVENT_DRAW, 0);
  for (int k = 0; k < kLayers; ++k) {
    WorldPresets[1].Enter(k);
    layers_[k].batch.Enter(k);
    if (k == SharedSpriteBatch::kDrawKey) sharedBatch_.Enter();
  }
  DrawFade();
  if (overlayMode_ == 1 || overlayMode_ == 2) {
    BuildPlayFieldQuad(overlayQuad_, 1.0f, 1.0f, 1.0f, 1.0f);
    overlayQuad_.Seek(0, 0);
    const float a = overlay_.level;
    for (int i = 0; i < 4; ++i) {
      overlayQuad_.SetColour(overlayColours_[i][0], overlayColours_[i][1], overlayColours_[i][2],
                             overlayColours_[i][3] * a);
      overlayQuad_.Next();
    }
    overlayBlend_[overlayMode_ - 1].Enter(0);
    WorldPresets[1].Enter(0);
    overlayQuad_.Enter(0);
  }
  return 0;
}
