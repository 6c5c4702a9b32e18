#include "game/scene/Entry.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "cabinet/QvtBTUtil.h"
#include "cabinet/ServiceClient.h"
#include "game/core/CoinCounter.h"
#include "game/core/Game.h"
#include "game/core/RankTable.h"
#include "game/effect/RandF.h"
#include "game/enemy/EnemyToolkit.h"
#include "game/scene/SceneResourceTables.h"
#include "game/tables/font_tables.h"
#include "game/tables/scene_tables.h"
#include "vrax/graphic/SGpState.h"
#include "vrax/input/SPad.h"

namespace {

constexpr int32_t kBackKey = 3;
constexpr int32_t kPanelKey = 1;
constexpr float kNameY = -261.0f;
constexpr float kUnderlineY = -259.0f;
constexpr float kSlotX[4] = {-156.0f, -128.0f, -100.0f, -72.0f};
// The results are centred on x = -8 in the results' digit font.
constexpr float kResultCentre = -8.0f;
// Digit fonts, each with a cell for every digit its texts show: the results
// and the timer in 16 x 22 cells; the rank value, only ever 0, in the
// grade digits (cells for "0" to "4" only); the place, 1 to 25, in 39 x 60.
constexpr const SGpFontDesc& kResultFont = SprFontDesc[5];
constexpr const SGpFontDesc& kRankFont = SprFontDesc[9];
constexpr const SGpFontDesc& kPlaceFont = SprFontDesc[8];
constexpr int32_t kSparkleLife = 30;

const SGpRect& BackgroundRect() { return SprEntry[0]; }
const SGpRect& PanelRect() { return SprEntry[1]; }

// Names that may not stand in the ranking (the list holds duplicates).
constexpr const char* kRejected[28] = {"SEX", "KKK", "ASS", "UTU", "ETA", "ERO", "ELO", "OSI", "SHI", " SI",
                                       "SI ", "JAP", "POA", "XXX", "SEX", "5EX", "XXX", "XX ", "X X", " XX",
                                       "XX_", "X_X", "_XX", "XX-", "X-X", "-XX", "   ", "KKK"};

// Prints a number line centred on x = -8: half a glyph further left for each
// character after the first.
void PrintCentred(GfxObject& t, float y, const char* text) {
  const auto n = static_cast<float>(std::strcspn(text, "\n"));
  t.SetOrigin(kResultCentre - (n - 1.0f) * kResultFont.cellW * 0.5f, y, 0.0f);
  t.Printf("%s", text);
}

// The three paths of the drifting lights: round the panel, round the name
// and round the results; closed loops of four points.
constexpr float kPathPoints[3][4][2] = {
    {{-215.0f, -225.0f}, {215.0f, -225.0f}, {215.0f, 225.0f}, {-215.0f, 225.0f}},
    {{-175.0f, -285.0f}, {-45.0f, -285.0f}, {-45.0f, -235.0f}, {-175.0f, -235.0f}},
    {{-120.0f, -85.0f}, {105.0f, -85.0f}, {105.0f, 225.0f}, {-120.0f, 225.0f}},
};
constexpr float kPathFrames[3] = {150.0f, 60.0f, 110.0f};

}  // namespace

bool Entry::NameAccepted(const char* name) {
  if (name[0] == 0) return false;
  for (const char* word : kRejected)
    if (std::strncmp(name, word, 3) == 0) return false;
  return true;
}

int32_t Entry::Init(SProcArg) {
  SetName("Entry");
  LoadSceneResources(RscTableEntry, kEntryCacheArchive);
  repeatCount_ = 0;
  forwardInterval_ = backInterval_ = kFirstInterval;
  frame_ = 0;
  timer_ = kSeconds;
  background_.AllocPrims(1);
  panel_.AllocPrims(1);
  for (GfxObject* t : {&stageText_, &chainText_, &scoreText_, &timerText_}) t->Init(&kResultFont, 32);
  rankText_.Init(&kRankFont, 32);
  placeText_.Init(&kPlaceFont, 8);
  rankText_.SetColour(243.0f / 255.0f, 119.0f / 255.0f, 17.0f / 255.0f, 1.0f);
  rankText_.SetOrigin(-11.0f, 133.0f, 0.0f);
  nameLine_.Init(&FontLarge, 16);
  nameLine_.SetSpacing(2.0f, 0.0f);
  sparkles_.Init(kSparkles);
  sparkleQuads_.AllocPrims(kSparkles);
  sparkleQuads_.SetActiveCount(0);
  behavior.Enter();
  return 0;
}

int32_t Entry::Main(SProcArg arg) {
  SceneProc::Main(arg);
  if (behavior.GetState() != STATE_LOAD) StepSparkles();
  return 0;
}

int32_t Entry::OnDispose(SProcArg) {
  ReleaseSceneResources();
  if (QvtBTUtil* client = GetServiceClient()) client->PopFE();
  const CoinCounter* coins = GetCoinCounter();
  if (Game* g = GetGame()) g->ChangeScene(coins && coins->CanStart() ? SCENE_TITLE : SCENE_RANKING);
  return 0;
}

int32_t Entry::Handler(int32_t code, int32_t state) {
  if (code == Behavior::CODE_NOTIFY) {
    if (state != STATE_LOAD) DrawScreen();
    return 1;
  }
  switch (state) {
    case STATE_LOAD:
      if (LoadingState(code, STATE_NAME, 30)) StartResults();
      return 1;
    case STATE_NAME:
      if (code == Behavior::CODE_ENTER) StartName();
      if (code == Behavior::CODE_FRAME) NameFrame();
      return 1;
    case STATE_CONFIRMED:
      if (code == Behavior::CODE_ENTER) {
        ScenePlaySe(kConfirmSound);
        PrintName(false);
        frame_ = 0;
      } else if (code == Behavior::CODE_FRAME) {
        if ((frame_ >= 180 && ScenePressed(SPad::PAD_BUTTON1)) || frame_ >= 420) behavior.ChangeState(STATE_SAVING);
        ++frame_;
      } else if (code == Behavior::CODE_LEAVE) {
        SceneFade(0.0f, 60);
      }
      return 1;
    case STATE_SAVING:
      if (code == Behavior::CODE_ENTER) {
        frame_ = 0;
        saved_ = SaveRankFile();  // a failed save says so itself
      } else if (code == Behavior::CODE_FRAME) {
        if (frame_ > 60) Kill(0);
        ++frame_;
      }
      return 1;
    default:
      return 0;
  }
}

void Entry::StartResults() {
  SetSceneQuad(background_, -240.0f, -320.0f, 240.0f, 320.0f, 0.0f, &BackgroundRect(), kSceneWhite);
  // The panel reaches from above the name line to below the place.
  const float w = PanelRect().width * 0.5f;
  SetSceneQuad(panel_, -w, -300.0f, w, 260.0f, 0.0f, &PanelRect(), kSceneWhite);
  const RankEntry& e = PendingRankEntry;
  char line[32];
  std::snprintf(line, sizeof line, "%d\n", static_cast<int32_t>(e.word[2]));
  PrintCentred(stageText_, -61.0f, line);
  std::snprintf(line, sizeof line, "%d\n", static_cast<int32_t>(e.word[3]));
  PrintCentred(chainText_, -17.0f, line);
  if (e.word[0] != 0)
    std::snprintf(line, sizeof line, "%u%09u\n", e.word[0], e.word[1]);
  else
    std::snprintf(line, sizeof line, "%u\n", e.word[1]);
  PrintCentred(scoreText_, 27.0f, line);
  Game* g = GetGame();
  rankText_.Printf("%d\n", g ? g->QueryStub(static_cast<int32_t>(e.word[2]), static_cast<int32_t>(e.word[0]),
                                            static_cast<int32_t>(e.word[1]))
                             : 0);
  const int32_t place = FindRankPosition(&e) + 1;
  placeText_.SetOrigin(place >= 10 ? -35.0f : -15.0f, 205.0f, 0.0f);
  placeText_.Printf("%d\n", place);
  for (int k = 0; k < 3; ++k) {
    SplineMover& m = paths_[k];
    m.Clear();
    for (int i = 0; i <= 4; ++i) {
      const float* p = kPathPoints[k][i % 4];
      const float* prev = kPathPoints[k][(i + 3) % 4];
      const float* next = kPathPoints[k][(i + 1) % 4];
      const float at[4] = {p[0], p[1], 0.0f, 1.0f};
      const float a[4] = {prev[0], prev[1], 0.0f, 1.0f};
      const float b[4] = {next[0], next[1], 0.0f, 1.0f};
      float tangent[4];
      CalcSplineTangent(tangent, a, at, b, 0.0f, 0.0f);
      m.AddKey(at, tangent, kPathFrames[k], -1.0f);
    }
    m.loop = 1;
    lastSpawn_[k][0] = kPathPoints[k][0][0];
    lastSpawn_[k][1] = kPathPoints[k][0][1];
  }
}

void Entry::StartName() {
  cursor_ = 0;
  minIndex_ = 0;
  maxIndex_ = kEndMark;
  slots_[0] = Slot{'A', 0, kSlotX[0]};
  slots_[1] = Slot{' ', kBlank, kSlotX[1]};
  slots_[2] = Slot{' ', kBlank, kSlotX[2]};
  slots_[3] = Slot{'`', kEndMark, kSlotX[3]};
}

void Entry::TakeName(char out[4]) const {
  for (int i = 0; i < 3; ++i) out[i] = i < cursor_ ? slots_[i].c : ' ';
  out[3] = 0;
}

void Entry::Confirm(const char* name) {
  SetRankName(&PendingRankEntry, name);
  insertedAt_ = InsertRankEntry(&PendingRankEntry);
  behavior.ChangeState(STATE_CONFIRMED);
}

void Entry::NameFrame() {
  if (frame_ % 60 == 0) {
    --timer_;
    if (timer_ <= -1) {
      char name[4];
      TakeName(name);
      if (!NameAccepted(name)) {
        std::strcpy(name, "!!!");
        for (int i = 0; i < 3; ++i) slots_[i].c = '!';
        cursor_ = 3;
      }
      Confirm(name);
      return;
    }
  }
  ++frame_;
  Game* g = GetGame();
  const SPad* pad = g ? &g->GamePadRef() : nullptr;
  if (pad && pad->GetCounter(SPad::PAD_RIGHT) >= 0) Step(&forwardInterval_, +1);
  if (pad && pad->GetCounter(SPad::PAD_LEFT) >= 0) Step(&backInterval_, -1);
  if (pad && (pad->GetCounter(SPad::PAD_RIGHT) == -1 || pad->GetCounter(SPad::PAD_LEFT) == -1)) {
    repeatCount_ = 0;
    forwardInterval_ = backInterval_ = kFirstInterval;
  }
  if (ScenePressed(SPad::PAD_BUTTON2)) Erase();
  if (ScenePressed(SPad::PAD_BUTTON1)) {
    Slot& s = slots_[cursor_];
    if (s.index == kEraseMark) {
      Erase();
    } else if (s.index == kEndMark) {
      s.c = ' ';
      s.index = kBlank;
      char name[4];
      TakeName(name);
      if (NameAccepted(name))
        Confirm(name);
      else
        behavior.ChangeState(STATE_NAME);  // cleared; the time runs on
    } else {
      const Slot chosen = s;
      if (++cursor_ >= 3) {
        // The end slot offers only the erase and the end mark.
        cursor_ = 3;
        minIndex_ = kEraseMark;
        slots_[3].c = kLetters[kEndMark];
        slots_[3].index = kEndMark;
      } else {
        slots_[cursor_].c = chosen.c;
        slots_[cursor_].index = chosen.index;
      }
      ScenePlaySe(kSelectSound);
    }
  }
  const int32_t shown = timer_ > 0 ? timer_ : 0;
  timerText_.SetOrigin(shown >= 10 ? 103.0f : 119.0f, -257.0f, 0.0f);
  timerText_.Printf("%d\n", shown);
  PrintName(true);
}

void Entry::Step(int32_t* interval, int32_t delta) {
  if (repeatCount_ % *interval == 0) {
    *interval = std::max(*interval - 4, 5);
    repeatCount_ = 0;
    Slot& s = slots_[cursor_];
    s.index += delta;
    if (s.index > maxIndex_) s.index = minIndex_;
    if (s.index < minIndex_) s.index = maxIndex_;
    s.c = kLetters[s.index];
    ScenePlaySe(kStepSound);
  }
  ++repeatCount_;
}

void Entry::Erase() {
  if (cursor_ == 0) return;
  slots_[cursor_].c = ' ';
  slots_[cursor_].index = kBlank;
  if (cursor_ == 3) minIndex_ = 0;
  --cursor_;
}

void Entry::PrintName(bool editing) {
  nameLine_.Clear();
  for (int i = 0; i < cursor_; ++i) {
    nameLine_.SetOrigin(slots_[i].x, kNameY, 0.0f);
    nameLine_.PrintfAppend("%c", slots_[i].c);
  }
  if (!editing) return;
  const Slot& s = slots_[cursor_];
  if (frame_ % 40 < 30) {  // the current letter blinks
    nameLine_.SetOrigin(s.x, kNameY, 0.0f);
    nameLine_.PrintfAppend("%c", s.c);
  }
  nameLine_.SetOrigin(s.x, kUnderlineY, 0.0f);
  nameLine_.PrintfAppend("%c", '_');
}

void Entry::StepSparkles() {
  for (int32_t i = 0; i < kSparkles; ++i)
    if (sparkles_.InUse(i) && ++sparkles_.At(i)->age >= kSparkleLife) sparkles_.At(i)->Release(1);
  for (int k = 0; k < 3; ++k) {
    float p[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    if (paths_[k].KeyCount() < 2) continue;
    paths_[k].Advance(p, 1.0f);
    const float dx = p[0] - lastSpawn_[k][0], dy = p[1] - lastSpawn_[k][1];
    if (dx * dx + dy * dy <= 4.0f) continue;
    lastSpawn_[k][0] = p[0];
    lastSpawn_[k][1] = p[1];
    EntrySparkle* s = sparkles_.Acquire();
    if (s == nullptr) continue;
    s->x = p[0] + RandFS() * 4.0f;
    s->y = p[1] + RandFS() * 4.0f;
    s->colour[0] = 1.0f;
    s->colour[1] = 0.6f + 0.4f * RandF();
    s->colour[2] = 0.3f + 0.7f * RandF();
  }
  sparkleQuads_.Seek(0, 0);
  int32_t n = 0;
  for (int32_t i = 0; i < kSparkles; ++i) {
    if (!sparkles_.InUse(i)) continue;
    const EntrySparkle& s = *sparkles_.At(i);
    const float fade = 1.0f - static_cast<float>(s.age) / kSparkleLife;
    const float c[4] = {s.colour[0], s.colour[1], s.colour[2], fade};
    PutSceneQuad(sparkleQuads_, s.x - 1.5f, s.y - 1.5f, s.x + 1.5f, s.y + 1.5f, 0.0f, nullptr, c);
    ++n;
  }
  sparkleQuads_.SetActiveCount(n);
}

void Entry::DrawScreen() {
  SceneDrawKey(kBackKey);
  WorldPresets[1].EnterDefault();
  EnterSceneTexture(BackgroundRect());
  background_.EnterDefault();
  SceneDrawKey(kPanelKey);
  WorldPresets[1].EnterDefault();
  EnterSceneTexture(PanelRect());
  panel_.EnterDefault();
  for (GfxObject* t : {&stageText_, &chainText_, &scoreText_, &rankText_, &placeText_, &timerText_, &nameLine_})
    t->EnterDefault();
  sparkleQuads_.EnterDefault();
}
