// Every text of the scenes and of the in-game display is printed in the
// font its scene is meant to use, and every character it can show has a
// whole cell on that font's sheet: a glyph past the sheet's last column or
// row would draw whatever lies next to the sheet on its image. The sheets
// below are the sheet table's rectangles, their cell counts worked out by
// hand; each text is checked as its scene printed it, and with every
// character it can print laid out in its font.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "SceneRig.h"
#include "game/core/CoinDisplay.h"
#include "game/core/NumberPopup.h"
#include "game/core/RankTable.h"
#include "game/core/StageCounters.h"
#include "game/player/ChainCounter.h"
#include "game/player/Player.h"
#include "game/player/ZGInterface.h"
#include "game/scene/Continue.h"
#include "game/scene/ContinuePrompt.h"
#include "game/scene/Entry.h"
#include "game/scene/Notice.h"
#include "game/scene/Opening.h"
#include "game/scene/Ranking.h"
#include "game/scene/StageResult.h"
#include "game/tables/image_slots.h"
#include "support/PlayWorld.h"

namespace {

using scene_rig::CabInput;
using scene_rig::SceneRig;

// A font sheet: its image, the texture size and the sheet's rectangle in
// texels.
struct Sheet {
  const char* name;
  const SImageSlot* image;
  float texW, texH;
  float x, y, w, h;
};

// 252 / 28 = 9 columns, 248 / 31 = 8 rows: 72 cells, " " to "g".
const Sheet kLarge{"large font", &ImgFontLarge, 256, 256, 1, 2, 252, 248};
// 252 / 14 = 18 columns, 72 / 18 = 4 rows: 72 cells, " " to "g".
const Sheet kSmall{"small font", &ImgFontSmall, 256, 128, 1.5f, 1.5f, 252, 72};
// 140 / 14 = 10 columns, one row: "0" to "9".
const Sheet kScoreDigits{"display score digits", &ImgGameIf00, 256, 256, 0, 110, 140, 19};
// 160 / 16 = 10 columns, one row: "0" to "9" (the stage result's values).
const Sheet kValueDigits{"16 x 22 digits at x 315.5", &ImgFontNum, 512, 128, 315.5f, 90, 160, 22};
// 160 / 16 = 10 columns, one row: "0" to "9" (the name entry's and the
// ranking's digits).
const Sheet kResultDigits{"16 x 22 digits at x 155.5", &ImgFontNum, 512, 128, 155.5f, 90, 160, 22};
// 154 / 14 = 11 columns, one row: "0" to "9" and ":".
const Sheet kRatioDigits{"14 x 19 ratio digits", &ImgFontNum, 512, 128, 0.5f, 90, 154, 19};
// 390 / 39 = 10 columns, one row: "0" to "9".
const Sheet kLargeDigits{"39 x 60 digits", &ImgFontNum, 512, 128, 0.5f, 0, 390, 60};
// 145 / 29 = 5 columns, one row: "0" to "4" only.
const Sheet kGradeDigits{"29 x 30 grade digits", &ImgFontNum, 512, 128, 240, 60, 145, 30};
// The number pop-ups: 154 / 14 and 209 / 19 = 11 columns of one row, "0"
// to ":"; 240 / 24 = 10 columns, 62 / 31 = 2 rows, "0" to "C".
const Sheet kPopupDigits[3] = {
    {"small pop-up digits", &ImgGameIf00x, 256, 128, 1, 1, 154, 17},
    {"medium pop-up digits", &ImgGameIf00x, 256, 128, 1, 18, 209, 24},
    {"large pop-up digits", &ImgGameIf00x, 256, 128, 1, 42, 240, 62},
};

const std::string kDigits = "0123456789";
// The attract lines, the credit line and the prompts of the coin display.
const std::string kAttractChars = " INSERT COIN(S) GAME OVER FREE PLAY PRESS START BUTTON TO";
const std::string kCoinChars = "CREDIT(S) 0123456789/ FREE PLAY ENJOY ADD COIN(S) TO START ! - PRESS BUTTON CONTINUE";
// What a ranking name can hold: the characters from the blank to "_".
std::string RankNameChars() {
  std::string s;
  for (char c = ' '; c <= '_'; ++c) s += c;
  return s;
}

// Whether every glyph the text holds samples its sheet only: the texture
// corners of each glyph quad lie inside the sheet's rectangle (to a quarter
// texel), on the sheet's image.
::testing::AssertionResult GlyphsOnSheet(const GfxObject& t, const Sheet& s) {
  const SGpRectGrid* font = t.GetFont();
  if (font == nullptr || font->part == nullptr) return ::testing::AssertionFailure() << "no font";
  if (font->part->image != s.image) return ::testing::AssertionFailure() << "not on the image of the " << s.name;
  const float u0 = (s.x - 0.25f) / s.texW, u1 = (s.x + s.w + 0.25f) / s.texW;
  const float v0 = (s.y - 0.25f) / s.texH, v1 = (s.y + s.h + 0.25f) / s.texH;
  const SGpObj_PrimQuadFill& q = t.GetQuads();
  for (int g = 0; g < t.GlyphCount(); ++g)
    for (int k = 0; k < 4; ++k) {
      const SVec2 uv = q.GetVertexUV(4 * g + k);
      if (uv.x < u0 || uv.x > u1 || uv.y < v0 || uv.y > v1)
        return ::testing::AssertionFailure() << "glyph " << g << " samples texel (" << uv.x * s.texW << ", "
                                             << uv.y * s.texH << "), off the " << s.name;
    }
  return ::testing::AssertionSuccess();
}

// Lays each of `chars` out in the text's font and checks that each one
// that is not a blank or a line feed draws a glyph on the sheet.
::testing::AssertionResult CharsOnSheet(const GfxObject& t, const Sheet& s, const std::string& chars) {
  for (char c : chars) {
    if (c == ' ' || c == '\n') continue;
    GfxObject probe;
    if (probe.Init(t.GetFont(), 1) != 0) return ::testing::AssertionFailure() << "no glyph quad";
    const char one[2] = {c, 0};
    probe.PutString(one);
    if (probe.GlyphCount() != 1) return ::testing::AssertionFailure() << "\"" << c << "\" draws no glyph";
    if (auto r = GlyphsOnSheet(probe, s); !r) return r << " for \"" << c << "\"";
  }
  return ::testing::AssertionSuccess();
}

// Both: the text as printed, and everything it can print.
void ExpectFont(const GfxObject& t, const Sheet& s, const std::string& chars, const char* what) {
  SCOPED_TRACE(what);
  EXPECT_TRUE(GlyphsOnSheet(t, s));
  EXPECT_TRUE(CharsOnSheet(t, s, chars));
}

TEST(TextFonts, NameEntryAtPlaceNineteen) {
  SceneRig rig;
  ASSERT_TRUE(rig.Ok());
  ResetRankTable();
  // Between the defaults 32,000,000 (place 18) and 28,000,000: place 19.
  PendingRankEntry = RankEntry{};
  PendingRankEntry.word[1] = 29876543;
  PendingRankEntry.word[2] = 5;
  PendingRankEntry.word[3] = 87;
  ASSERT_TRUE(rig.Start(SCENE_ENTRY, "Entry"));
  auto* e = rig.Scene<Entry>("Entry");
  for (int i = 0; i < 10 && e->GetSceneState() != Entry::STATE_NAME; ++i) rig.Frame();
  ASSERT_EQ(e->GetSceneState(), Entry::STATE_NAME);
  rig.Frames(61);  // the timer at 29
  ASSERT_EQ(e->GetTimer(), 29);
  EXPECT_EQ(e->PlaceText().GlyphCount(), 2);
  // The results, the timer (30 down to 0) and the place (1 to 25) show
  // every digit; the rank value is always 0.
  ExpectFont(e->StageText(), kResultDigits, kDigits, "stage");
  ExpectFont(e->ChainText(), kResultDigits, kDigits, "chain");
  ExpectFont(e->ScoreText(), kResultDigits, kDigits, "score");
  ExpectFont(e->TimerText(), kResultDigits, kDigits, "timer");
  ExpectFont(e->RankText(), kGradeDigits, "0", "rank value");
  ExpectFont(e->PlaceText(), kLargeDigits, kDigits, "place");
  // The letter table, "<" (erase) and the grave accent (end), and the cursor.
  ExpectFont(e->NameLine(), kLarge, "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789&,.-?! <`_", "name");
  // The results are centred on x -8 by half a 16-unit cell a digit: the
  // eight digits of the score from -8 - 7 x 8.
  EXPECT_EQ(e->ScoreText().GetOrigin()[0], -64.0f);
  ResetRankTable();
}

TEST(TextFonts, RankingColumnsAndAttractLine) {
  SceneRig rig;
  ASSERT_TRUE(rig.Ok());
  ResetRankTable();
  PendingRankEntry = RankEntry{};
  RankTable[24].word[2] = 5;
  SetRankName(&RankTable[24], "Z?_");
  ASSERT_TRUE(rig.Start(SCENE_RANKING, "Ranking"));
  auto* r = rig.Scene<Ranking>("Ranking");
  // Places 25 and 24 are in; the attract line shows "GAME OVER".
  while (r->GetFrame() < 70) rig.Frame();
  ASSERT_EQ(r->PlaceText().GlyphCount(), 4);
  ASSERT_EQ(r->AttractText().GlyphCount(), 8);
  ExpectFont(r->PlaceText(), kResultDigits, kDigits, "places");
  ExpectFont(r->ScoreText(), kResultDigits, kDigits, "scores");
  ExpectFont(r->StageText(), kResultDigits, kDigits, "stages");
  ExpectFont(r->NameText(), kLarge, RankNameChars(), "names");
  ExpectFont(r->AttractText(), kSmall, kAttractChars, "attract line");
  // The small font at its own size: 14 x 18 cells.
  EXPECT_EQ(r->AttractText().GetScale()[0], 1.0f);
  EXPECT_EQ(r->AttractText().GetScale()[1], 1.0f);
  ResetRankTable();
}

TEST(TextFonts, StageResult) {
  SceneRig rig;
  ASSERT_TRUE(rig.Ok());
  Game* g = rig.G();
  g->stage = 2;
  g->record[REC_SCORE] = 98765432;
  g->record[REC_OVERFLOW] = 0;
  g->lives = 1;
  StageDefeatCount = 59;
  StageEnemyCount = 60;
  g_Player.power = 3.0f;
  ASSERT_TRUE(rig.Start(SCENE_STAGE_RESULT, "StageResult"));
  auto* r = rig.Scene<StageResult>("StageResult");
  for (int i = 0; i < 10 && r->GetSceneState() != StageResult::STATE_TALLY; ++i) rig.Frame();
  ASSERT_EQ(r->GetSceneState(), StageResult::STATE_TALLY);
  ASSERT_EQ(r->RatioText().GlyphCount(), 3);  // "98" and the sign after "9"
  ExpectFont(r->ValueText(), kValueDigits, kDigits, "values");
  ExpectFont(r->RatioText(), kRatioDigits, kDigits + ":", "ratio");
}

TEST(TextFonts, ContinueCounts) {
  {
    SceneRig rig;
    ASSERT_TRUE(rig.Ok());
    rig.G()->stage = 3;
    ASSERT_TRUE(rig.Start(SCENE_CONTINUE, "Continue"));
    auto* c = rig.Scene<Continue>("Continue");
    for (int i = 0; i < 10 && c->GetSceneState() != Continue::STATE_COUNTDOWN; ++i) rig.Frame();
    for (int i = 0; i < 200 && c->GetCountdown() > 19; ++i) rig.Frame();
    ASSERT_EQ(c->GetCountdown(), 19);
    ASSERT_EQ(c->CountdownText().GlyphCount(), 2);
    ExpectFont(c->CountdownText(), kLargeDigits, kDigits, "continue scene");
  }
  SceneRig rig;
  ASSERT_TRUE(rig.Ok());
  ContinuePromptAnswer = -1;
  auto* p = new ContinuePrompt();
  rig.G()->AddChild(GAME_LIST_SCENE, p, 0);
  rig.Frames(2);
  ASSERT_EQ(p->GetShown(), 20);
  ASSERT_EQ(p->NumberText().GlyphCount(), 2);
  ExpectFont(p->NumberText(), kLargeDigits, kDigits, "continue prompt");
}

TEST(TextFonts, AttractScenesAndTheCoinDisplay) {
  {
    SceneRig rig;
    ASSERT_TRUE(rig.Ok());
    ASSERT_TRUE(rig.Start(SCENE_NOTICE, "Notice"));
    auto* n = rig.Scene<Notice>("Notice");
    const std::string body =
        "THIS VIDEO GAME IS\nFOR USE IN JAPAN ONLY.\nSALES, EXPORTS, OR\nOPERATION OUTSIDE JAPAN\n"
        "MAY VIOLATE COPYRIGHT\nAND TRADEMARK LAWS\nAND SUBJECT THE VIOLATOR\nTO SEVERE PENALTIES.\n";
    ExpectFont(n->TitleText(), kLarge, "NOTICE", "notice title");
    ExpectFont(n->BodyText(), kSmall, body, "notice body");
  }
  SceneRig rig;
  ASSERT_TRUE(rig.Ok());
  ASSERT_TRUE(rig.Start(SCENE_OPENING, "Opening"));
  ExpectFont(rig.Scene<Opening>("Opening")->AttractText(), kSmall, kAttractChars, "opening");
  rig.GiveCredits(1);  // the opening ends for the title; the credit line shows
  rig.Frames(2);
  const auto* coins = dynamic_cast<CoinDisplay*>(rig.G()->FindByName("CoinDisplay"));
  ASSERT_NE(coins, nullptr);
  ASSERT_GT(coins->Line().GlyphCount(), 0);
  ExpectFont(coins->Line(), kSmall, kCoinChars, "credit line");
  ExpectFont(coins->Prompt(), kSmall, kCoinChars, "coin prompt");
}

TEST(TextFonts, DisplayScoreAndNumberPopups) {
  testsupport::PlayWorld world;
  ASSERT_TRUE(world.Ok());
  ASSERT_GE(world.RunToControl(), 0);
  world.G()->record[REC_SCORE] = 123456789;
  // A chain popup in each of the three sizes.
  g_ChainCounter.chain = 19;
  const float at[4] = {0.0f, 0.0f, 0.0f, 1.0f};
  for (int32_t size = 1; size <= 3; ++size) g_ChainCounter.ShowPopup(at, size);
  world.Step(2);
  ASSERT_EQ(g_ZGInterface.ScoreText().GlyphCount(), 20);
  ExpectFont(g_ZGInterface.ScoreText(), kScoreDigits, kDigits, "display score");
  std::vector<const NumberPopup*> popups;
  for (SProc* p = g_ChainCounter.GetList(1)->Head(); p != nullptr; p = SProcList::Next(p))
    popups.push_back(static_cast<const NumberPopup*>(p));
  ASSERT_EQ(popups.size(), 3u);
  for (int i = 0; i < 3; ++i) {
    EXPECT_STREQ(popups[i]->Text(), ":19");
    ExpectFont(popups[i]->GetText(), kPopupDigits[i], kDigits + ":", kPopupDigits[i].name);
  }
}

}  // namespace
