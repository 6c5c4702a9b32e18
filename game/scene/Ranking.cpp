#include "game/scene/Ranking.h"

#include "game/core/CoinCounter.h"
#include "game/core/Game.h"
#include "game/scene/AttractScene.h"
#include "game/scene/SceneResourceTables.h"
#include "game/tables/font_tables.h"
#include "game/tables/scene_tables.h"
#include "vrax/graphic/SGpState.h"
#include "vrax/input/SPad.h"

namespace {

constexpr int32_t kDrawKey = 3;
constexpr int32_t kAttractKey = 0;
// Glyph quads of a column text: 25 rows of at most ten characters.
constexpr int kColumnCapacity = 256;
constexpr float kRowLeft = -240.0f;
constexpr float kRowTop = -236.0f;
constexpr float kFadeFromY = 285.0f;

const SGpRect& BackgroundRect() { return SprRanking[0]; }
const SGpRect& TitleRect() { return SprRanking[1]; }
const SGpRect& BadgeRect() { return SprRanking[2]; }
const SGpRect& BarRect() { return SprRanking[3]; }

// The badge and the bar start 11 units right of the row's x and 8 above
// its y, at their rect's size.
void PutRowMark(SGpObj_Prim& q, const SGpRect& rect, float x, float y, float alpha) {
  const float colour[4] = {1.0f, 1.0f, 1.0f, alpha};
  SetSceneQuad(q, x + 11.0f, y - 8.0f, x + 11.0f + rect.width, y - 8.0f + rect.height, 0.0f, &rect, colour);
}

}  // namespace

int32_t Ranking::Init(SProcArg) {
  SetName("Ranking");
  LoadSceneResources(RscTableRanking, kRankingCacheArchive);
  background_.AllocPrims(1);
  title_.AllocPrims(1);
  badge_.AllocPrims(1);
  bar_.AllocPrims(1);
  // The digit columns in the 16 x 22 digits the name entry shows its
  // results in, the names in the large font, the attract line in the small
  // one, as the other attract scenes print it.
  places_.Init(&SprFontDesc[5], kColumnCapacity);
  scores_.Init(&SprFontDesc[5], kColumnCapacity);
  names_.Init(&FontLarge, kColumnCapacity);
  stages_.Init(&SprFontDesc[5], kColumnCapacity);
  attract_.Init(&FontSmall, 64);
  attract_.SetOrigin(-126.0f, -10.0f, 0.0f);
  attract_.Printf("%s", AttractPromptLine(0, false));
  behavior.Enter();
  return 0;
}

int32_t Ranking::OnDispose(SProcArg) {
  ClearPendingRankEntry();
  ReleaseSceneResources();
  const CoinCounter* coins = GetCoinCounter();
  if (Game* g = GetGame()) g->ChangeScene(coins && coins->HasCredit() ? SCENE_TITLE : SCENE_LOGO);
  return 0;
}

int32_t Ranking::Draw(SProcArg arg) {
  SceneProc::Draw(arg);
  Attract();
  return 0;
}

int32_t Ranking::Handler(int32_t code, int32_t state) {
  switch (state) {
    case STATE_LOAD:
      if (LoadingState(code, STATE_ROWS, 60)) {
        SetSceneQuad(background_, -240.0f, -320.0f, 240.0f, 320.0f, 0.0f, &BackgroundRect(), kSceneWhite);
        SetSceneQuad(title_, -226.0f, -309.0f, 222.0f, -248.0f, 0.0f, &TitleRect(), kSceneWhite);
      }
      return 1;
    case STATE_ROWS:
      if (code == Behavior::CODE_ENTER) {
        StartRows();
      } else if (code == Behavior::CODE_FRAME) {
        RowsFrame();
      } else if (code == Behavior::CODE_NOTIFY) {
        DrawScreen();
      }
      return 1;
    case STATE_CLOSING:
      if (code == Behavior::CODE_ENTER) {
        frame_ = 0;
      } else if (code == Behavior::CODE_FRAME) {
        if (frame_ == 300) SceneFade(0.0f, 60);
        if (frame_ == 360) Kill(0);
        ++frame_;
      } else if (code == Behavior::CODE_NOTIFY) {
        DrawScreen();
      }
      return 1;
    default:
      return 0;
  }
}

void Ranking::StartRows() {
  frame_ = 0;
  nextRow_ = kRankEntries - 1;
  interval_ = 62;
  for (int i = 0; i < kRankEntries; ++i) {
    Row& r = rows_[i];
    r = Row{};
    r.entry = &RankTable[i];
    r.startX = (i % 2 == 0) ? -720.0f : 240.0f;
    r.x = r.startX;
    r.y = kRowTop;
  }
  const int32_t p = FindRankPosition(&PendingRankEntry);
  if (p < kRankEntries) rows_[p].highlight = true;
  badge_.SetActiveCount(0);
  bar_.SetActiveCount(0);
}

void Ranking::RowsFrame() {
  places_.Clear();
  scores_.Clear();
  names_.Clear();
  stages_.Clear();
  if (frame_ % interval_ == 0) {
    // The 25th place first, 62 frames apart; 20 frames after the first
    // place started the scene moves on.
    if (nextRow_ >= 0) rows_[nextRow_].rowState = ROW_SLIDING;
    --nextRow_;
    if (nextRow_ == -1) {
      interval_ = 21;
      frame_ = 0;
    } else if (nextRow_ < -1) {
      behavior.ChangeState(STATE_CLOSING);
    }
  }
  ++frame_;
  for (int i = 0; i < kRankEntries; ++i) {
    Row& r = rows_[i];
    StepRow(r);
    if (r.rowState <= ROW_WAITING) continue;
    if (r.y >= kFadeFromY) r.alpha -= 0.03f;
    if (i == 0 && !r.highlight) PutRowMark(badge_, BadgeRect(), r.x, r.y, 1.0f);
    if (r.highlight) PutRowMark(bar_, BarRect(), r.x, r.y, r.alpha * 0.9f);
    PrintRow(i);
  }
}

void Ranking::StepRow(Row& r) {
  if (r.rowState == ROW_SLIDING) {
    const float t = static_cast<float>(r.rowTimer) * 0.05f;
    ++r.rowTimer;
    r.x = r.startX + (kRowLeft - r.startX) * t;
    if (t >= 1.0f) {
      r.rowState = ROW_SCROLLING;
      r.rowTimer = 0;
    }
  } else if (r.rowState == ROW_SCROLLING) {
    const float t = static_cast<float>(r.rowTimer) / 1225.0f;
    ++r.rowTimer;
    r.y = 716.0f * t + kRowTop;
    if (t >= 1.0f) {
      r.rowState = ROW_DONE;
      r.rowTimer = 0;
    }
  }
}

void Ranking::PrintRow(int i) {
  const Row& r = rows_[i];
  const RankEntry& e = *r.entry;
  for (GfxObject* t : {&places_, &scores_, &names_, &stages_}) t->SetColour(1.0f, 1.0f, 1.0f, r.alpha);
  places_.SetOrigin(r.x + 20.0f, r.y + 2.0f, 0.0f);
  places_.PrintfAppend("%2d", i + 1);
  scores_.SetOrigin(r.x + 92.0f, r.y, 0.0f);
  if (e.word[0] != 0)
    scores_.PrintfAppend("%u%09u", e.word[0], e.word[1]);
  else
    scores_.PrintfAppend("%10u", e.word[1]);
  // The name word of a file may lack its zero byte or hold characters the
  // font does not have.
  char name[4];
  RankNameText(e, name);
  names_.SetOrigin(r.x + 302.0f, r.y - 5.0f, 0.0f);
  names_.PrintfAppend("%s", name);
  stages_.SetOrigin(r.x + 417.0f, r.y, 0.0f);
  stages_.PrintfAppend("%d", static_cast<int32_t>(e.word[2]));
}

void Ranking::DrawScreen() {
  SceneDrawKey(kDrawKey);
  WorldPresets[1].EnterDefault();
  EnterSceneTexture(BackgroundRect());
  background_.EnterDefault();
  EnterSceneTexture(TitleRect());
  title_.EnterDefault();
  badge_.EnterDefault();
  bar_.EnterDefault();
  places_.EnterDefault();
  scores_.EnterDefault();
  names_.EnterDefault();
  stages_.EnterDefault();
}

void Ranking::Attract() {
  const int32_t state = behavior.GetState();
  if (state == STATE_ROWS || state == STATE_CLOSING) {
    attract_.Printf("%s", AttractPromptLine(frame_, AttractFreePlay()));
    WorldPresets[1].Enter(kAttractKey);
    attract_.Enter(kAttractKey);
  }
  // Coins counted or a granted credit end it, as a free-play start does.
  const CoinCounter* coins = GetCoinCounter();
  if (coins && coins->HasCredit()) {
    Kill(0);
  } else if (AttractFreeStartPressed()) {
    AttractGrantFreeStart();
    Kill(0);
  }
}
