// What the scenes outside the play draw reaches the screen where it belongs:
// at still moments of the whole program (the game paused, so every scene
// stands still while drawing goes on), each text and picture of a scene is
// taken away in turn and must change the picture inside its own box, worked
// out from the scene's numbers. Scene space has its origin at the screen
// centre, 480 x 640 units on 360 x 480 pixels (0.75 pixels a unit). Where a
// scene leaves a text's font open, the box takes the cells of the font the
// text is set in.
//
// Three runs: the attract scenes and then the test switch (notice, logo,
// title, ranking, the test menu); the end of a play past stage 4 (stage
// result, first ending, name entry, ranking with the new play); and the two
// continue offers (the prompt over the play, with its GAME OVER, and the
// continue scene).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <string>
#include <typeinfo>
#include <vector>

#include "game/core/CoinCounter.h"
#include "game/core/Game.h"
#include "game/core/RankTable.h"
#include "game/core/StageCounters.h"
#include "game/core/SystemFile.h"
#include "game/effect/EShotMan.h"
#include "game/player/ChainCounter.h"
#include "game/player/Player.h"
#include "game/scene/Continue.h"
#include "game/scene/ContinuePrompt.h"
#include "game/scene/EndingScene.h"
#include "game/scene/Entry.h"
#include "game/scene/Notice.h"
#include "game/scene/Ranking.h"
#include "game/scene/StageResult.h"
#include "game/scene/Title.h"
#include "game/tables/font_tables.h"
#include "game/testmode/TestMode.h"
#include "support/DrawnThings.h"
#include "support/PlayWorld.h"

namespace {

using plat::CabInput;
using testsupport::DrawnThing;
using testsupport::Headless;
using testsupport::PixelBox;
using testsupport::PlayBox;
using testsupport::RunUntilScene;

// The whole 480 x 640 scene space, which maps onto the picture as play
// space does.
const PixelBox kScreen = PlayBox(-240.0f, -320.0f, 240.0f, 320.0f);

// A text's glyph cells: n cells of the text's font from (x, y).
PixelBox Cells(const GfxObject& text, float x, float y, int n) {
  const SGpRectGrid* f = text.GetFont();
  return PlayBox(x, y, x + f->cellW * static_cast<float>(n), y + f->cellH);
}
// A column of n cells from x over the whole height: for a text whose
// height on the screen the scene leaves open.
PixelBox CellColumn(const GfxObject& text, float x, int n) {
  PixelBox b = Cells(text, x, -320.0f, n);
  b.y1 = kScreen.y1;
  return b;
}
// A number centred on x as the name entry centres its results: each digit
// after the first moves it half a cell to the left.
float CentredFrom(const GfxObject& text, float centre, int digits) {
  return centre - static_cast<float>(digits - 1) * text.GetFont()->cellW * 0.5f;
}

// Glyphs of a line of text: its characters other than blanks.
int Glyphs(const std::string& s) {
  int n = 0;
  for (char c : s) n += c != ' ' ? 1 : 0;
  return n;
}

int Digits(uint32_t n) { return static_cast<int>(std::to_string(n).size()); }

// Whether a packet is a primitive whose first corner lies at (x, y): how the
// scenes' own quads are picked (the scene keeps them to itself).
bool QuadFrom(SGpObj* o, float x, float y) {
  const auto* q = dynamic_cast<SGpObj_Prim*>(o);
  if (q == nullptr || q->GetActiveCount() < 1) return false;
  const SVec3 p = q->GetVertexPos(0);
  return p.x == x && p.y == y;
}

// Keeps the first n glyphs of a text. The texts cut so are laid out outside
// the drawing (when the scene starts or in its frame step), so while the
// game is paused they stay cut.
std::function<void()> KeepGlyphs(const GfxObject& text, int n) {
  return [&text, n] {
    auto& quads = const_cast<SGpObj_PrimQuadFill&>(text.GetQuads());
    ASSERT_GT(quads.GetActiveCount(), n);
    quads.SetActiveCount(n);
  };
}

// One still moment. The packets its removals pick are dropped only while
// it lasts (a later scene's packet may take the same address), and unless
// the scene pauses the game itself it is paused for the moment.
class Moment {
 public:
  explicit Moment(Headless& h, bool pause = true) : h_(h), id_(++s_last), pause_(pause) {
    s_live = id_;
    if (pause_) GetGame()->SetPause(true);
  }
  ~Moment() {
    s_live = 0;
    if (pause_) GetGame()->SetPause(false);
  }
  Moment(const Moment&) = delete;
  Moment& operator=(const Moment&) = delete;

  std::function<void()> Drop(std::function<bool(int, SGpObj*)> which) {
    const int id = id_;
    return testsupport::DropPackets(
        h_, [id, which = std::move(which)](int key, SGpObj* o) { return s_live == id && which(key, o); });
  }
  std::function<void()> Drop(const SGpObj& packet) {
    return Drop([p = &packet](int, SGpObj* o) { return o == p; });
  }
  // A quad of the scene's key whose first corner is (x, y).
  std::function<void()> DropQuad(int key, float x, float y) {
    return Drop([key, x, y](int k, SGpObj* o) { return k == key && QuadFrom(o, x, y); });
  }

  void Check(const std::vector<DrawnThing>& things) { testsupport::ExpectEachChangesThePicture(h_, things); }

 private:
  static inline int s_last = 0;
  static inline int s_live = 0;
  Headless& h_;
  int id_;
  bool pause_;
};

void ClearCredits() {
  CoinCounter* c = GetCoinCounter();
  c->pendingCoins = c->handOver = c->coins = c->totalCoins = c->serviceCoins = 0;
  c->credits = c->serviceCredits = c->remainder = c->coinEvent = 0;
}

// The scenes taken out of the scene list without naming a successor.
void DropScenes() {
  SProcList* l = GetGame()->GetList(GAME_LIST_SCENE);
  while (l != nullptr && l->Head() != nullptr) {
    SProc* p = l->Head();
    l->DetachProcess(p);
    delete p;
  }
}

template <class T>
T* Scene(const char* name) {
  return dynamic_cast<T*>(GetGame()->FindInList(name, GAME_LIST_SCENE));
}

// Steps until done() or limit frames; whether done() holds.
template <class Done>
bool StepUntil(Headless& h, Done done, int limit) {
  for (int i = 0; i < limit && !done(); ++i) h.Step();
  return done();
}

// The ranking's row k after `frames` steps of its rows state: the 25th
// place starts in the first step and each place above it 62 steps later;
// a row slides in for 21 steps (t = 0.05 a step up to 1) to x = -240, then
// from its 22nd step scrolls down from y = -236 by 716 units over 1225.
bool RowIn(int frames, int k) { return frames - 62 * (24 - k) >= 21; }
float RowY(int frames, int k) {
  const int n = frames - 62 * (24 - k);
  return n <= 22 ? -236.0f : -236.0f + 716.0f * static_cast<float>(n - 22) / 1225.0f;
}

// Ends scene `from` and runs the ranking that follows to kRankingRows steps
// into its rows, the 23rd to 25th places in.
constexpr int kRankingRows = 180;
static_assert(kRankingRows < 62 * 3, "the 22nd place has not started");
void OnToTheRanking(Headless& h, SProc* from, Ranking** out) {
  from->Kill(0);
  ASSERT_GE(RunUntilScene(h, "Ranking", 60), 0);
  auto* ranking = Scene<Ranking>("Ranking");
  ASSERT_NE(ranking, nullptr);
  ASSERT_TRUE(StepUntil(
      h, [&] { return ranking->GetSceneState() == Ranking::STATE_ROWS && ranking->GetFrame() >= kRankingRows; },
      400));
  ASSERT_EQ(ranking->GetFrame(), kRankingRows);
  ASSERT_TRUE(RowIn(kRankingRows, 22));
  *out = ranking;
}

// The program at its notice, on coin play, with the default ranking and no
// entry pending.
void ToTheNotice(Headless& h) {
  ASSERT_TRUE(h.Ok()) << h.Failure();
  ASSERT_GE(RunUntilScene(h, "Notice", 600), 0);
  GetGame()->settings[SettingsWord::coinPlay] = 1;
  ResetRankTable();
  ClearPendingRankEntry();
}

TEST(DrawnThings, AttractScenesThenTheTestMenu) {
  ClearCredits();
  Headless h;
  ASSERT_NO_FATAL_FAILURE(ToTheNotice(h));
  Game* g = GetGame();

  // The notice, faded in: "NOTICE" in the large font's 28 x 31 cells from
  // (-70, -210); eight lines in the small font's 14 x 18 cells, one unit
  // apart, 28 units a line, from (-160, -110), each cut off the text from
  // the last.
  auto* notice = Scene<Notice>("Notice");
  ASSERT_NE(notice, nullptr);
  ASSERT_TRUE(StepUntil(
      h, [&] { return notice->GetSceneState() == 1 && notice->GetFrame() >= 62; }, 200));
  {
    const std::string kLines[8] = {"THIS VIDEO GAME IS",       "FOR USE IN JAPAN ONLY.", "SALES, EXPORTS, OR",
                                   "OPERATION OUTSIDE JAPAN",  "MAY VIOLATE COPYRIGHT",  "AND TRADEMARK LAWS",
                                   "AND SUBJECT THE VIOLATOR", "TO SEVERE PENALTIES."};
    Moment m(h);
    std::vector<DrawnThing> things = {
        {"notice: NOTICE", m.Drop(notice->TitleText()), PlayBox(-70.0f, -210.0f, 98.0f, -179.0f)}};
    int glyphs = 0;
    for (const std::string& line : kLines) glyphs += Glyphs(line);
    for (int k = 7; k >= 0; --k) {
      glyphs -= Glyphs(kLines[k]);
      const float y = -110.0f + 28.0f * static_cast<float>(k);
      const float x1 = -160.0f + 15.0f * static_cast<float>(kLines[k].size() - 1) + 14.0f;
      things.push_back(
          {"notice: " + kLines[k], KeepGlyphs(notice->BodyText(), glyphs), PlayBox(-160.0f, y, x1, y + 18.0f)});
    }
    m.Check(things);
  }

  // The logo, 256 units square about the centre, on a white screen.
  notice->Kill(0);
  ASSERT_GE(RunUntilScene(h, "Logo", 60), 0);
  auto* logo = Scene<AttractScene>("Logo");
  ASSERT_TRUE(StepUntil(
      h, [&] { return logo->GetSceneState() == 1 && logo->GetFrame() >= 62; }, 200));
  {
    Moment m(h);
    m.Check({
        {"logo: the logo", m.DropQuad(3, -128.0f, -128.0f), PlayBox(-128.0f, -128.0f, 128.0f, 128.0f)},
        {"logo: the white screen", m.DropQuad(3, -240.0f, -320.0f), kScreen},
    });
  }

  // The title's five layers, top first: the overlay and the background
  // over the whole screen, the sliding band from y -125 to 129, the emblem
  // from (-148, -5) to (-34, 113), the band from y 41 to 161.
  DropScenes();
  g->ChangeScene(SCENE_TITLE);
  ASSERT_GE(RunUntilScene(h, "Title", 60), 0);
  auto* title = Scene<Title>("Title");
  ASSERT_TRUE(StepUntil(
      h, [&] { return title->GetSceneState() == Title::STATE_WAIT && title->GetFrame() >= 62; }, 200));
  {
    Moment m(h);
    m.Check({
        {"title: the overlay", m.Drop(title->Layer(4)), kScreen},
        {"title: the sliding band", m.Drop(title->Layer(3)), PlayBox(-240.0f, -125.0f, 240.0f, 129.0f)},
        {"title: the emblem", m.Drop(title->Layer(2)), PlayBox(-148.0f, -5.0f, -34.0f, 113.0f)},
        {"title: the band", m.Drop(title->Layer(1)), PlayBox(-240.0f, 41.0f, 240.0f, 161.0f)},
        {"title: the background", m.Drop(title->Layer(0)), kScreen},
    });
  }

  // Left alone the title hands over to the ranking. 180 steps into its
  // rows the 25th, 24th and 23rd places are in (the default table: 4, 8
  // and 12 million, "OSR", stage 0), and the blinking line shows
  // " INSERT COIN(S) " (180 mod 80 is within 0 to 30) in its font from
  // (-126, -10).
  Ranking* ranking = nullptr;
  ASSERT_NO_FATAL_FAILURE(OnToTheRanking(h, title, &ranking));
  {
    const float top = RowY(kRankingRows, 22), bottom = RowY(kRankingRows, 24);
    auto column = [&](const GfxObject& t, float x0, float x1, float dy) {
      return PlayBox(x0, top + dy, x1, bottom + dy + t.GetFont()->cellH);
    };
    const GfxObject& places = ranking->PlaceText();
    const GfxObject& scores = ranking->ScoreText();
    const GfxObject& names = ranking->NameText();
    const GfxObject& stages = ranking->StageText();
    const float cw = scores.GetFont()->cellW;
    Moment m(h);
    m.Check({
        {"ranking: INSERT COIN(S)", m.Drop(ranking->AttractText()),
         Cells(ranking->AttractText(), -126.0f + 14.0f, -10.0f, 14)},
        // "%2d" from x + 20, 2 below the row.
        {"ranking: the places", m.Drop(places),
         column(places, -220.0f, -220.0f + 2.0f * places.GetFont()->cellW, 2.0f)},
        // "%10u" from x + 92: the 8 digits of 12 million end the field.
        {"ranking: the scores", m.Drop(scores), column(scores, -148.0f + 2.0f * cw, -148.0f + 10.0f * cw, 0.0f)},
        // "%s" from x + 302, 5 above the row.
        {"ranking: the names", m.Drop(names), column(names, 62.0f, 62.0f + 3.0f * names.GetFont()->cellW, -5.0f)},
        // "%d" from x + 417.
        {"ranking: the stages", m.Drop(stages), column(stages, 177.0f, 177.0f + stages.GetFont()->cellW, 0.0f)},
        {"ranking: the title", m.DropQuad(3, -226.0f, -309.0f), PlayBox(-226.0f, -309.0f, 222.0f, -248.0f)},
        {"ranking: the background", m.DropQuad(3, -240.0f, -320.0f), kScreen},
    });
  }

  // The test switch: the menu with the cursor on its first item. Strips 24
  // high: the title (168 wide) centred on 0 from -296; the items from x -72
  // at tops -248, -224, -200, -176, -152, -104, -80, -56, as wide as their
  // strips; the arrow (24 wide) centred on -96 beside the first; its help
  // line (168 wide) centred on 10 from 40; the guides (240 and 96 wide)
  // centred on 0 from 64 and 88; the version text, two lines of 22 cells of
  // 16 x 20, from (-176, 224).
  h.Hold(CabInput::kTest);
  h.Step();
  h.Hold(CabInput::kTest, false);
  TestMode* mode = nullptr;
  ASSERT_TRUE(StepUntil(
      h,
      [&] {
        mode = dynamic_cast<TestMode*>(g->FindInList("TestMode", GAME_LIST_MANAGERS));
        return mode != nullptr && mode->GetRunState() == TEST_RUN_RUNNING;
      },
      30));
  h.Step(2);
  ASSERT_EQ(mode->GetCursor(), 0);
  {
    Moment m(h);
    std::vector<DrawnThing> things = {
        {"test menu: the version", m.Drop([](int, SGpObj* o) {
           const auto* t = dynamic_cast<GfxObject*>(o);
           return t != nullptr && t->GetFont() == &SprTestFont_2Desc && t->GetScale()[1] == 1.25f;
         }),
         PlayBox(-176.0f, 224.0f, 176.0f, 264.0f)},
        {"test menu: the second guide", m.Drop(mode->Sprite(12)), PlayBox(-48.0f, 88.0f, 48.0f, 112.0f)},
        {"test menu: the first guide", m.Drop(mode->Sprite(11)), PlayBox(-120.0f, 64.0f, 120.0f, 88.0f)},
        {"test menu: the help line", m.Drop(mode->Sprite(10)), PlayBox(-74.0f, 40.0f, 94.0f, 64.0f)},
        {"test menu: the arrow", m.Drop(mode->Sprite(9)), PlayBox(-108.0f, -248.0f, -84.0f, -224.0f)},
    };
    constexpr float kTops[8] = {-248.0f, -224.0f, -200.0f, -176.0f, -152.0f, -104.0f, -80.0f, -56.0f};
    constexpr float kWidths[8] = {84.0f, 96.0f, 96.0f, 96.0f, 84.0f, 120.0f, 132.0f, 120.0f};
    for (int i = 0; i < 8; ++i)
      things.push_back({"test menu: item " + std::to_string(i), m.Drop(mode->Sprite(1 + i)),
                        PlayBox(-72.0f, kTops[i], -72.0f + kWidths[i], kTops[i] + 24.0f)});
    things.push_back({"test menu: the title", m.Drop(mode->Sprite(0)), PlayBox(-84.0f, -296.0f, 84.0f, -272.0f)});
    m.Check(things);
  }
}

TEST(DrawnThings, EndOfAPlayPastStageFour) {
  ClearCredits();
  Headless h;
  ASSERT_NO_FATAL_FAILURE(ToTheNotice(h));
  Game* g = GetGame();
  DropScenes();

  // Stage 4 cleared with 30 of its 40 enemies destroyed (a ratio of 75), 2
  // contacts, a longest chain of 12, 3 lives, power 2 and 10,000,000
  // points: the bonus is 75 x 30 x 1000 + 12 x 10000 + 2 x 20000 + 3 x
  // 50000 + 2 x 30000 = 2,620,000 and the score 12,620,000.
  g->stage = 4;
  g->lives = 3;
  g_Player.power = 2.0f;
  StageEnemyCount = 40;
  StageDefeatCount = 30;
  g->record[REC_LOCK_CATCHES] = 2;
  g_ChainCounter.stageBest = 12;
  g->record[REC_SCORE] = 10000000;
  g->record[REC_OVERFLOW] = g->record[REC_BONUS_B] = g->record[REC_BONUS_B_OVERFLOW] = 0;
  g->ChangeScene(SCENE_STAGE_RESULT, 1);
  ASSERT_GE(RunUntilScene(h, "StageResult", 60), 0);
  auto* result = Scene<StageResult>("StageResult");
  ASSERT_TRUE(StepUntil(
      h, [&] { return result->GetSceneState() == StageResult::STATE_TALLY; }, 10));
  for (int i = 0; i < 7 && result->GetSceneState() == StageResult::STATE_TALLY; ++i)
    h.Press(CabInput::kButton1);  // each press brings a row in
  ASSERT_TRUE(StepUntil(
      h, [&] { return result->GetSceneState() == StageResult::STATE_WAIT && result->GetCount() >= 50; }, 100));
  {
    // The rows' values from x + 7 of their plates (rows 0 to 2 at 40, the
    // others at 20), in the 16 x 22 digits; the ratio " 75:" from x 40 + 65
    // at y -143 in the 14 x 19 ones. Each row is cut off the text from the
    // last.
    const std::string kRankingRows[7] = {"30", "2", "12", "3", "2", "2620000", "12620000"};
    constexpr float kTextY[7] = {-151.0f, -107.0f, -64.0f, 15.0f, 56.0f, 140.0f, 181.0f};
    Moment m(h);
    std::vector<DrawnThing> things = {
        {"result: the tint", m.Drop([](int, SGpObj* o) {
           return QuadFrom(o, -240.0f, -320.0f) && static_cast<SGpObj_Prim*>(o)->GetVertexColour(0) != 0xFFFFFFFFu;
         }),
         kScreen},
        // A disc of radius 384 drifting along its loop.
        {"result: the glow",
         m.Drop([](int, SGpObj* o) { return typeid(*o) == typeid(SGpObj_Prim) && QuadFrom(o, 0.0f, 0.0f); }), kScreen},
    };
    int glyphs = 0;
    for (const std::string& r : kRankingRows) glyphs += Glyphs(r);
    const GfxObject& values = result->ValueText();
    for (int i = 6; i >= 0; --i) {
      glyphs -= Glyphs(kRankingRows[i]);
      const float x = (i < 3 ? 40.0f : 20.0f) + 7.0f;
      things.push_back({"result: row " + std::to_string(i) + " " + kRankingRows[i], KeepGlyphs(values, glyphs),
                        PlayBox(x, kTextY[i], x + 16.0f * static_cast<float>(kRankingRows[i].size()), kTextY[i] + 22.0f)});
    }
    things.push_back({"result: the ratio 75:", m.Drop(result->RatioText()),
                      PlayBox(105.0f + 14.0f, -143.0f, 105.0f + 4.0f * 14.0f, -143.0f + 19.0f)});
    // Plates 132 wide from 40 (rows 0 to 2) and 196 wide from 20, from the
    // first's top at -160 to the last's bottom at 212.
    things.push_back({"result: the plates", m.DropQuad(1, 40.0f, -160.0f), PlayBox(20.0f, -160.0f, 216.0f, 212.0f)});
    things.push_back({"result: the panel", m.DropQuad(1, -190.0f, -287.0f), PlayBox(-190.0f, -287.0f, 106.0f, 211.0f)});
    things.push_back({"result: the two backgrounds", m.Drop([](int, SGpObj* o) {
                        return QuadFrom(o, -240.0f, -320.0f) &&
                               static_cast<SGpObj_Prim*>(o)->GetVertexColour(0) == 0xFFFFFFFFu;
                      }),
                      kScreen});
    m.Check(things);
  }

  // A press ends the wait; below 350,000,000 the first ending follows. Its
  // staff roll starts with its top at the bottom edge and rises 0.45 a
  // frame, 224 wide about the centre; under it the picture covers the
  // screen.
  h.Press(CabInput::kButton1);
  ASSERT_GE(RunUntilScene(h, "Ending1", 200), 0);
  auto* ending = Scene<EndingScene>("Ending1");
  ASSERT_TRUE(StepUntil(
      h, [&] { return ending->GetSceneState() == EndingScene::STATE_ROLL && ending->GetCount() >= 200; }, 300));
  {
    const float rollTop = 320.0f - 0.45f * static_cast<float>(ending->GetFrames());
    Moment m(h);
    m.Check({
        {"ending: the staff roll", m.Drop(ending->Roll(0)), PlayBox(-112.0f, rollTop, 112.0f, 320.0f)},
        {"ending: the picture", m.Drop(ending->Picture()), kScreen},
    });
  }

  // A press ends the roll; the play ranks 23rd, so the name entry follows.
  h.Press(CabInput::kButton1);
  ASSERT_GE(RunUntilScene(h, "Entry", 200), 0);
  auto* entry = Scene<Entry>("Entry");
  ASSERT_TRUE(StepUntil(
      h, [&] { return entry->GetSceneState() == Entry::STATE_NAME && entry->GetFrame() >= 30; }, 100));
  // "A" chosen, "B" chosen, then the third letter stepped on to "C".
  for (CabInput in : {CabInput::kButton1, CabInput::kRight, CabInput::kButton1, CabInput::kRight}) h.Press(in);
  ASSERT_EQ(entry->GetCursor(), 2);
  ASSERT_TRUE(StepUntil(
      h, [&] { return entry->GetFrame() % 40 < 20; }, 40));  // the letter shown in its blink
  {
    // The letters in the large font's 28 x 31 cells at the slots' x -156,
    // -128 and -100 from y -261; the cursor, "_", at the third slot from
    // y -259. The timer, two 16 x 22 digits from (103, -257).
    const GfxObject& name = entry->NameLine();
    Moment m(h);
    m.Check({
        {"entry: the cursor", KeepGlyphs(name, 3), PlayBox(-100.0f, -259.0f, -72.0f, -228.0f)},
        {"entry: the letter at the cursor", KeepGlyphs(name, 2), PlayBox(-100.0f, -261.0f, -72.0f, -230.0f)},
        {"entry: the letters chosen", KeepGlyphs(name, 0), PlayBox(-156.0f, -261.0f, -100.0f, -230.0f)},
        {"entry: the timer", m.Drop(entry->TimerText()), PlayBox(103.0f, -257.0f, 135.0f, -235.0f)},
    });
  }

  // The third letter chosen and the end mark: the name is entered.
  h.Press(CabInput::kButton1);
  h.Press(CabInput::kButton1);
  ASSERT_EQ(entry->GetSceneState(), Entry::STATE_CONFIRMED);
  h.Step(5);
  {
    // The results centred on x = -8, half a cell to the left for each
    // digit after the first: the stage "4", the chain (the play's longest)
    // at y -17, the score "12620000"; the rank value "0" from (-11, 133);
    // the place "23" from (-35, 205). Where the scene leaves a text's
    // height open, its box is the column of its cells. The sparkles' paths
    // and the panel's size are the scene's own; the background covers the
    // screen.
    const GfxObject& chain = entry->ChainText();
    const int chainDigits = Digits(PendingRankEntry.word[3]);
    const GfxObject& score = entry->ScoreText();
    const GfxObject& stage = entry->StageText();
    Moment m(h);
    m.Check({
        {"entry: the sparkles", m.Drop([](int, SGpObj* o) { return typeid(*o) == typeid(SGpObj_PrimQuadFill); }),
         kScreen},
        {"entry: the name ABC", m.Drop(entry->NameLine()), PlayBox(-156.0f, -261.0f, -72.0f, -230.0f)},
        {"entry: the place 23", m.Drop(entry->PlaceText()), Cells(entry->PlaceText(), -35.0f, 205.0f, 2)},
        {"entry: the rank value", m.Drop(entry->RankText()), Cells(entry->RankText(), -11.0f, 133.0f, 1)},
        {"entry: the score", m.Drop(score), CellColumn(score, CentredFrom(score, -8.0f, 8), 8)},
        {"entry: the chain", m.Drop(chain), Cells(chain, CentredFrom(chain, -8.0f, chainDigits), -17.0f, chainDigits)},
        {"entry: the stage", m.Drop(stage), CellColumn(stage, CentredFrom(stage, -8.0f, 1), 1)},
        {"entry: the panel",
         m.Drop([](int key, SGpObj* o) { return key == 1 && typeid(*o) == typeid(SGpObj_PrimQuad); }), kScreen},
        {"entry: the background", m.Drop([](int key, SGpObj* o) { return key == 3 && QuadFrom(o, -240.0f, -320.0f); }),
         kScreen},
    });
  }

  // On to the ranking: the new play's row, the 23rd, has its bar (459 x 34
  // from 11 right of and 8 above the row) once it has slid in. Then each
  // row that is in, from the 25th up, cut off its four columns: the place
  // ("%2d" from x + 20, 2 below the row), the score ("%10u" from x + 92),
  // the name (from x + 302, 5 above) and the stage (from x + 417), the
  // row's x being -240.
  Ranking* ranking = nullptr;
  ASSERT_NO_FATAL_FAILURE(OnToTheRanking(h, entry, &ranking));
  ASSERT_TRUE(ranking->GetRow(22).highlight);
  {
    struct Row {
      int place;
      std::string score, name, stage;
    };
    // The play went in at the 23rd place; the 23rd and 24th of the default
    // table moved down.
    const Row kShown[3] = {{23, "12620000", "ABC", "4"}, {24, "12000000", "OSR", "0"}, {25, "8000000", "OSR", "0"}};
    const GfxObject* texts[4] = {&ranking->PlaceText(), &ranking->ScoreText(), &ranking->NameText(),
                                 &ranking->StageText()};
    const float placeW = texts[0]->GetFont()->cellW, scoreW = texts[1]->GetFont()->cellW;
    const float nameW = texts[2]->GetFont()->cellW, stageW = texts[3]->GetFont()->cellW;
    const float nameH = texts[2]->GetFont()->cellH;
    int kept[4] = {0, 0, 0, 0};
    for (const Row& r : kShown) {
      kept[0] += 2;
      kept[1] += static_cast<int>(r.score.size());
      kept[2] += static_cast<int>(r.name.size());
      kept[3] += static_cast<int>(r.stage.size());
    }
    const float y = RowY(kRankingRows, 22);
    Moment m(h);
    std::vector<DrawnThing> things = {
        {"ranking: the new play's bar", m.Drop(ranking->Bar()), PlayBox(-229.0f, y - 8.0f, 230.0f, y + 26.0f)}};
    for (int k = 24; k >= 22; --k) {
      const Row& r = kShown[k - 22];
      kept[0] -= 2;
      kept[1] -= static_cast<int>(r.score.size());
      kept[2] -= static_cast<int>(r.name.size());
      kept[3] -= static_cast<int>(r.stage.size());
      const int cut[4] = {kept[0], kept[1], kept[2], kept[3]};
      const float rowY = RowY(kRankingRows, k);
      const float x0 = std::min(-220.0f, -148.0f + scoreW * static_cast<float>(10 - r.score.size()));
      const float x1 = std::max({-220.0f + 2.0f * placeW, -148.0f + 10.0f * scoreW,
                                 62.0f + nameW * static_cast<float>(r.name.size()),
                                 177.0f + stageW * static_cast<float>(r.stage.size())});
      things.push_back({"ranking: row " + std::to_string(r.place) + " " + r.score + " " + r.name,
                        [texts, cut] {
                          for (int c = 0; c < 4; ++c) KeepGlyphs(*texts[c], cut[c])();
                        },
                        PlayBox(x0, rowY - 5.0f, x1, rowY - 5.0f + nameH)});
    }
    m.Check(things);
  }
}

TEST(DrawnThings, ContinueOffers) {
  ClearCredits();
  testsupport::PlayOptions options;
  options.nullDevice = false;
  testsupport::PlayWorld w(options);
  ASSERT_TRUE(w.Ok());
  ASSERT_GE(w.RunToControl(), 0);
  Headless& h = w.H();
  Game* g = w.G();
  g->settings[SettingsWord::coinPlay] = 1;
  g->settings[SettingsWord::continueOn] = 1;
  g->record[REC_SCORE] = 0;  // the play will not rank
  g->lives = 0;

  // The last ship shot down: the prompt over the play.
  ContinuePrompt* prompt = nullptr;
  for (int i = 0; i < 2000 && prompt == nullptr; ++i) {
    if (g_Player.state == Player::STATE_PLAY && g_Player.invulnerability == 0)
      EShotMan::Fire(0, 1, g_Player.position[0], g_Player.position[1], 0.0f, 0.25f, 0.0f, nullptr, 0, nullptr, 1.0f);
    w.Step();
    prompt = dynamic_cast<ContinuePrompt*>(g->FindInList("ContinuePrompt", GAME_LIST_SCENE));
  }
  ASSERT_NE(prompt, nullptr);
  // The prompt pauses the game itself and counts in its drawing: 19 shows
  // from count 61 to 120, long enough for the moment. The number's two
  // cells from x -38; the label from (-89.5, -60) to (89.5, -28).
  ASSERT_TRUE(StepUntil(
      h, [&] { return prompt->GetCount() >= 65; }, 100));
  ASSERT_EQ(prompt->GetShown(), 19);
  {
    Moment m(h, false);
    m.Check({
        {"prompt: the count 19", m.Drop(prompt->NumberText()), CellColumn(prompt->NumberText(), -38.0f, 2)},
        {"prompt: the label", m.DropQuad(1, -89.5f, -60.0f), PlayBox(-89.5f, -60.0f, 89.5f, -28.0f)},
    });
  }
  ASSERT_EQ(prompt->GetShown(), 19);

  // From count 180 each press jumps to the next second: on to GAME OVER,
  // from (-240, -36) to (240, 36) once it has come in from the depth (20
  // counts), held to count 240.
  ASSERT_TRUE(StepUntil(
      h, [&] { return prompt->GetCount() >= 180; }, 200));
  for (int i = 0; i < 30 && prompt->GetPhase() == ContinuePrompt::PHASE_COUNTDOWN; ++i) h.Press(CabInput::kButton1);
  ASSERT_EQ(prompt->GetPhase(), ContinuePrompt::PHASE_GAME_OVER);
  ASSERT_TRUE(StepUntil(
      h, [&] { return prompt->GetCount() >= 30; }, 40));
  {
    Moment m(h, false);
    m.Check({{"prompt: GAME OVER", m.DropQuad(1, -240.0f, -36.0f), PlayBox(-240.0f, -36.0f, 240.0f, 36.0f)}});
  }
  ASSERT_LT(prompt->GetCount(), ContinuePrompt::kGameOverFrames);

  // The play that does not rank goes to the ranking, which gives way to
  // the continue scene: the count "20" from (-38, 124), the label from
  // (-89.5, 82) to (89.5, 114), the curtain over the top of the screen down
  // to y 82, darkening the panel from (-240, -253) to (240, 72).
  ASSERT_GE(RunUntilScene(h, "Ranking", 600), 0);
  DropScenes();
  g->ChangeScene(SCENE_CONTINUE);
  ASSERT_GE(RunUntilScene(h, "Continue", 60), 0);
  auto* offer = Scene<Continue>("Continue");
  ASSERT_TRUE(StepUntil(
      h, [&] { return offer->GetSceneState() == Continue::STATE_COUNTDOWN && offer->GetFrame() >= 40; }, 100));
  ASSERT_EQ(offer->GetCountdown(), 20);
  {
    Moment m(h);
    m.Check({
        {"continue: the count 20", m.Drop(offer->CountdownText()), Cells(offer->CountdownText(), -38.0f, 124.0f, 2)},
        {"continue: the label", m.DropQuad(3, -89.5f, 82.0f), PlayBox(-89.5f, 82.0f, 89.5f, 114.0f)},
        {"continue: the curtain", m.Drop(offer->Curtain()), PlayBox(-240.0f, -320.0f, 240.0f, 82.0f)},
        {"continue: the panel", m.DropQuad(3, -240.0f, -253.0f), PlayBox(-240.0f, -253.0f, 240.0f, 72.0f)},
    });
  }

  // From the fifth press each press takes one off: on to GAME OVER, in
  // from the depth over 40 frames; the count then shows 0 from x -20.
  for (int i = 0; i < 40 && offer->GetSceneState() == Continue::STATE_COUNTDOWN; ++i) h.Press(CabInput::kButton1);
  ASSERT_EQ(offer->GetSceneState(), Continue::STATE_GAME_OVER);
  ASSERT_TRUE(StepUntil(
      h, [&] { return offer->GetFrame() >= 45; }, 60));
  {
    Moment m(h);
    m.Check({
        {"continue: GAME OVER", m.Drop(offer->GameOverQuad()), PlayBox(-240.0f, -36.0f, 240.0f, 36.0f)},
        {"continue: the count 0", m.Drop(offer->CountdownText()), Cells(offer->CountdownText(), -20.0f, 124.0f, 1)},
    });
  }
}

}  // namespace
