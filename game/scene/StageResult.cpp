#include "game/scene/StageResult.h"

#include <cmath>

#include "cabinet/QvtBTUtil.h"
#include "cabinet/ServiceClient.h"
#include "game/core/Game.h"
#include "game/core/RankTable.h"
#include "game/core/StageCounters.h"
#include "game/enemy/EnemyToolkit.h"
#include "game/player/ChainCounter.h"
#include "game/scene/SceneResourceTables.h"
#include "game/tables/font_tables.h"
#include "game/tables/scene_tables.h"
#include "vrax/graphic/SGpRing.h"
#include "vrax/input/SPad.h"

namespace {

constexpr float kPi = 3.14159265358979f;
// The background, the panel, the plates and the numbers draw in layer 1;
// the tint and the glow lie over them, added in the light of layer 2. The
// queue draws higher keys first, so they are entered after the rest at key
// 1, between layer 2's render states and layer 1's again.
constexpr int32_t kGlowLayer = 2;
constexpr int32_t kPanelKey = 1;
constexpr int kTextCapacity = 1024;  // 4,096 vertices

const SGpRect& BackRect(int i) { return SprResultBack[i]; }
const SGpRect& PanelRect() { return SprResultSpr[0]; }
const SGpRect& SmallPlate() { return SprResultSpr[2]; }
const SGpRect& LargePlate() { return SprResultSpr[3]; }

// Rows 0 to 2 on the small plate, 3 to 6 on the large one: top, bottom and
// the value line's y.
struct RowPlace {
  float top, bottom, textY;
};
constexpr RowPlace kRowPlace[StageResult::kRows] = {{-160, -120, -151}, {-117, -77, -107}, {-74, -34, -64},
                                                    {6, 46, 15},        {47, 87, 56},      {131, 171, 140},
                                                    {172, 212, 181}};

float RowTarget(int row) { return row < 3 ? 40.0f : 20.0f; }

// The glow's loop: eight points, the first repeated as the closing key;
// frames of the segment that starts at each.
constexpr float kGlowPoints[9][2] = {{260, -360}, {-50, 160}, {-260, 0},  {-70, -270}, {280, 320},
                                     {50, 365},   {-240, 320}, {30, -370}, {260, -360}};
constexpr float kGlowFrames[9] = {200, 180, 180, 240, 180, 180, 240, 180, 180};

bool FreshPress() { return ScenePressed(SPad::PAD_BUTTON1) || ScenePressed(SPad::PAD_START); }

}  // namespace

int32_t StageResult::Init(SProcArg) {
  SetName("StageResult");
  LoadSceneResources(RscTableResult, kResultCacheArchive);
  for (float& x : rowX_) x = 240.0f;
  BuildGlow();
  SMatrix::Identity(&glowWorld_.GetMatrix());
  glowWorld_.GetMatrix().m[3][0] = 200.0f;
  glowWorld_.GetMatrix().m[3][1] = -400.0f;
  BuildGlowPath();
  for (SGpObj_PrimQuad* q : {&tint_, &back1_, &back2_, &panel_}) {
    q->AllocPrims(1);
    q->SetActiveCount(0);
  }
  plates_.AllocPrims(kRows);
  plates_.SetActiveCount(0);
  values_.Init(&SprFontDesc[4], kTextCapacity);
  values_.SetOrigin(250.0f, 0.0f, 0.0f);
  ratio_.Init(&SprFontDesc[6], kTextCapacity);
  ratio_.SetOrigin(250.0f, 0.0f, 0.0f);
  CreditBonus();
  behavior.Enter();
  return 0;
}

void StageResult::CreditBonus() {
  Game* g = GetGame();
  if (!g) return;
  // The bonus is in the score before the first row shows.
  g->AddScoreCarry(g_ChainCounter.ResultBonus(ChainCounter::RESULT_TOTAL));
  g->record[REC_OVERFLOW] += g->record[REC_BONUS_B_OVERFLOW];
  g->AddScore(g->record[REC_BONUS_B]);
}

void StageResult::BuildGlow() {
  static constexpr float kCentre[4] = {0.66f, 0.288f, 0.144f, 1.0f};
  static constexpr float kEdge[4] = {0.0f, 0.0f, 0.0f, 0.0f};
  BuildRing(&glow_, 0.0f, 384.0f, 0.0f, 0.0f, kCentre, kEdge, 128);
}

void StageResult::BuildGlowPath() {
  glowPath_.Clear();
  for (int i = 0; i < 9; ++i) {
    // The closing key is the first point again: its neighbours are those of
    // the first.
    const int k = i % 8;
    const float p[4] = {kGlowPoints[k][0], kGlowPoints[k][1], 0.0f, 1.0f};
    const float a[4] = {kGlowPoints[(k + 7) % 8][0], kGlowPoints[(k + 7) % 8][1], 0.0f, 1.0f};
    const float b[4] = {kGlowPoints[(k + 1) % 8][0], kGlowPoints[(k + 1) % 8][1], 0.0f, 1.0f};
    float tangent[4];
    CalcSplineTangent(tangent, a, p, b, -0.3f, 0.0f);
    glowPath_.AddKey(p, tangent, kGlowFrames[i], -1.0f);
  }
  glowPath_.loop = 1;
}

void StageResult::BuildStaticQuads() {
  // The tint shades from one corner: alpha 0.3, 0.8, 0.3, 0.3.
  static constexpr float kTintAlpha[4] = {0.3f, 0.8f, 0.3f, 0.3f};
  static constexpr float kTintCorners[4][2] = {{-240, -320}, {240, -320}, {-240, 320}, {240, 320}};
  tint_.Seek(0, 0);
  for (int i = 0; i < 4; ++i) {
    tint_.SetPos(kTintCorners[i][0], kTintCorners[i][1], 0.0f);
    tint_.SetColour(0.165f, 0.072f, 0.036f, kTintAlpha[i]);
    tint_.Next();
  }
  tint_.SetActiveCount(1);
  SetSceneQuad(back1_, -240.0f, -320.0f, 240.0f, 320.0f, 0.0f, &BackRect(0), kSceneWhite);
  SetSceneQuad(back2_, -240.0f, -320.0f, 240.0f, 320.0f, 0.0f, &BackRect(1), kSceneWhite);
  SetSceneQuad(panel_, -190.0f, -287.0f, 106.0f, 211.0f, 0.0f, &PanelRect(), kSceneWhite);
}

int32_t StageResult::Handler(int32_t code, int32_t state) {
  if (code == Behavior::CODE_NOTIFY) {
    if (state != STATE_LOAD) DrawScreen();
    return 1;
  }
  switch (state) {
    case STATE_LOAD:
      if (LoadingState(code, STATE_TALLY, 60)) BuildStaticQuads();
      return 1;
    case STATE_TALLY:
      if (code == Behavior::CODE_ENTER) {
        row_ = 0;
        count_ = 0;
      } else if (code == Behavior::CODE_FRAME) {
        TallyFrame();
      }
      return 1;
    case STATE_WAIT:
      if (code == Behavior::CODE_ENTER) {
        count_ = 0;
      } else if (code == Behavior::CODE_FRAME) {
        Update();
        if (count_ >= 240 || FreshPress()) {
          SceneFade(0.0f, 60);
          behavior.ChangeState(STATE_FADE);
        }
        ++count_;
      }
      return 1;
    case STATE_FADE:
      if (code == Behavior::CODE_ENTER) {
        count_ = 0;
      } else if (code == Behavior::CODE_FRAME) {
        Update();
        if (count_ > 60) Kill(0);
        ++count_;
      }
      return 1;
    default:
      return 0;
  }
}

void StageResult::TallyFrame() {
  const float f = static_cast<float>(count_) * (1.0f / 30.0f);
  if (count_ == 0) ScenePlaySe(kRowSound);
  ++count_;
  const float target = RowTarget(row_);
  rowX_[row_] = (target - 240.0f) * std::sin(f * kPi * 0.5f) + 240.0f;
  // A row that is not hurried moves for 31 frames and ends on its 32nd.
  if (f > 1.0f || FreshPress()) {
    count_ = 0;
    rowX_[row_] = target;
    if (++row_ == kRows) behavior.ChangeState(STATE_WAIT);
  }
  Update();
}

void StageResult::Update() {
  BuildGlow();
  float p[4] = {0.0f, 0.0f, 0.0f, 1.0f};
  if (glowPath_.KeyCount() >= 2) {
    glowPath_.Advance(p, 1.0f);
    glowWorld_.GetMatrix().m[3][0] = p[0];
    glowWorld_.GetMatrix().m[3][1] = p[1];
    glowWorld_.GetMatrix().m[3][2] = p[2];
  }
  plates_.Seek(0, 0);
  for (int i = 0; i < kRows; ++i) {
    const SGpRect& plate = i < 3 ? SmallPlate() : LargePlate();
    PutSceneQuad(plates_, rowX_[i], kRowPlace[i].top, rowX_[i] + plate.width, kRowPlace[i].bottom, 0.0f, &plate,
                 kSceneWhite);
  }
  plates_.SetActiveCount(kRows);
  PrintValues();
}

void StageResult::PrintValues() {
  const Game* g = GetGame();
  const uint32_t bonusLow = g ? g->record[REC_BONUS_B] : 0u;
  const uint32_t bonusHigh = g ? g->record[REC_BONUS_B_OVERFLOW] : 0u;
  const uint32_t score = g ? g->record[REC_SCORE] : 0u;
  const uint32_t overflow = g ? g->record[REC_OVERFLOW] : 0u;
  const auto at = [this](int row) { values_.SetOrigin(rowX_[row] + 7.0f, kRowPlace[row].textY, 0.0f); };
  at(0);
  values_.Printf("%d\n", StageDefeatCount);
  ratio_.SetOrigin(rowX_[0] + 65.0f, -143.0f, 0.0f);
  ratio_.Printf("%3d%c\n", ChainCounter::ResultRatio(), ':');
  at(1);
  values_.PrintfAppend("%d\n", ChainCounter::GetLockCatches());
  at(2);
  values_.PrintfAppend("%d\n", g_ChainCounter.GetStageBest());
  at(3);
  values_.PrintfAppend("%d\n", ChainCounter::GetLives());
  at(4);
  values_.PrintfAppend("%d\n", ChainCounter::GetPowerLevel());
  at(5);
  if (bonusHigh == 0)
    values_.PrintfAppend("%u\n", bonusLow);
  else
    values_.PrintfAppend("%u%09u\n", bonusHigh, bonusLow);
  at(6);
  if (overflow != 0)
    values_.PrintfAppend("%u%09u\n", overflow, score);
  else
    values_.PrintfAppend("%u\n", score);
}

void StageResult::DrawScreen() {
  SceneDrawKey(kPanelKey);
  WorldPresets[1].EnterDefault();
  EnterSceneTexture(BackRect(0));
  back1_.EnterDefault();
  EnterSceneTexture(BackRect(1));
  back2_.EnterDefault();
  EnterSceneTexture(PanelRect());
  panel_.EnterDefault();
  EnterSceneTexture(SmallPlate());
  plates_.EnterDefault();
  values_.EnterDefault();
  ratio_.EnterDefault();
  Game* g = GetGame();
  if (g == nullptr) return;
  g->LayerBlock(kGlowLayer).EnterDefault();
  WorldPresets[1].EnterDefault();
  tint_.EnterDefault();
  glowWorld_.EnterDefault();
  glow_.EnterDefault();
  g->LayerBlock(kPanelKey).EnterDefault();
  WorldPresets[1].EnterDefault();
}

int32_t StageResult::OnDispose(SProcArg) {
  ReleaseSceneResources();
  Game* g = GetGame();
  if (!g) return 0;
  QvtBTUtil* client = GetServiceClient();
  switch (g->stage) {
    case 1:
    case 2:
    case 3:
      g->ChangeScene(SCENE_STAGE, g->stage + 1);
      break;
    case 4:
      if (g->record[REC_OVERFLOW] == 0 && g->record[REC_SCORE] < kEndingScore) {
        FillPendingRankEntry();
        g->ChangeScene(SCENE_ENDING1, 1);
      } else {
        g->ChangeScene(SCENE_STAGE, 5);
      }
      break;
    case 5:
      FillPendingRankEntry();
      if (client) client->PopCode(0);
      if (FindRankPosition(&PendingRankEntry) >= kRankEntries) {
        if (client) client->PopFE();
        g->ChangeScene(SCENE_RANKING, 0);
      } else {
        g->ChangeScene(SCENE_ENTRY, 1);
      }
      break;
    case -10:
      g->ChangeScene(SCENE_STAGE, -10);
      break;
    default:
      g->ChangeScene(SCENE_TITLE, 0);
      break;
  }
  g->ResetScoreGlobals();
  return 0;
}
