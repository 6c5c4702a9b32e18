// Pictures of the end-of-play scenes on the OpenGL device, with a few
// places checked by hand: the name entry with a name being typed and at
// place 19 (a place's every digit on its sheet), the ranking with its rows,
// the new play's bar and the attract line, and the ranking of the attract
// sequence with its line over the scrolling rows.
#include <gtest/gtest.h>

#include "SceneRig.h"
#include "game/core/StageCounters.h"
#include "game/player/ChainCounter.h"
#include "game/player/Player.h"
#include "game/scene/Entry.h"
#include "game/scene/Ranking.h"
#include "game/scene/StageResult.h"
#include "platform/crt_rand.h"
#include "support/ImageCompare.h"

namespace {

using scene_rig::CabInput;
using scene_rig::SceneRig;

using testsupport::CountPlayPixels;

bool White(uint32_t r, uint32_t g, uint32_t b) { return r > 235 && g > 235 && b > 235; }
bool Orange(uint32_t r, uint32_t g, uint32_t b) { return r > 200 && g > 80 && g < 160 && b < 60; }

TEST(EndPictures, NameEntry) {
  SceneRig rig(true);
  ASSERT_TRUE(rig.Ok());
  ResetRankTable();
  PendingRankEntry = RankEntry{};
  PendingRankEntry.word[1] = 50000000;  // place 14
  PendingRankEntry.word[2] = 4;
  PendingRankEntry.word[3] = 12;
  plat::SRand(0);  // the sparkles' colours and spacing
  ASSERT_TRUE(rig.Start(SCENE_ENTRY, "Entry"));
  auto* e = rig.Scene<Entry>("Entry");
  rig.Frames(40);  // past the 30-frame fade-in
  rig.Press({CabInput::kButton1});  // "A", and "A" again on the second slot
  rig.Press({CabInput::kRight});    // ... stepped to "B"
  while (e->GetFrame() % 40 != 10) rig.Frame();  // the letter shown in its blink
  plat::Image shot;
  ASSERT_TRUE(rig.Sys().Screenshot(&shot));
  ASSERT_EQ(shot.width, 640);
  // "A" and "B" in the white of the large font on slots 0 and 1 (cells 28 x
  // 31 from y -261), the underline under slot 1, nothing on slot 2.
  EXPECT_GT(CountPlayPixels(shot, -156.0f, -261.0f, -128.0f, -235.0f, White), 30);
  EXPECT_GT(CountPlayPixels(shot, -128.0f, -261.0f, -100.0f, -235.0f, White), 30);
  EXPECT_EQ(CountPlayPixels(shot, -100.0f, -261.0f, -72.0f, -235.0f, White), 0);
  // The timer (two 16 x 22 digits from x 103), the rank value in orange
  // (a 29 x 30 digit at (-11, 133)) and the place, 14, in the 39 x 60
  // digits from (-35, 205).
  EXPECT_GT(CountPlayPixels(shot, 103.0f, -257.0f, 135.0f, -235.0f, White), 10);
  EXPECT_GT(CountPlayPixels(shot, -11.0f, 133.0f, 18.0f, 163.0f, Orange), 10);
  EXPECT_GT(CountPlayPixels(shot, -35.0f, 205.0f, 43.0f, 265.0f, White), 40);
  EXPECT_TRUE(testsupport::MatchesGolden(shot, "name_entry.png", 8, 60));
}

TEST(EndPictures, NameEntryAtPlaceNineteen) {
  SceneRig rig(true);
  ASSERT_TRUE(rig.Ok());
  ResetRankTable();
  PendingRankEntry = RankEntry{};
  PendingRankEntry.word[1] = 29876543;  // below the default 32,000,000 of place 18
  PendingRankEntry.word[2] = 5;
  PendingRankEntry.word[3] = 87;
  plat::SRand(0);
  ASSERT_TRUE(rig.Start(SCENE_ENTRY, "Entry"));
  auto* e = rig.Scene<Entry>("Entry");
  while (e->GetTimer() > 29) rig.Frame();  // "29" on the timer, faded in
  while (e->GetFrame() % 40 != 10) rig.Frame();  // the "A" shown in its blink
  plat::Image shot;
  ASSERT_TRUE(rig.Sys().Screenshot(&shot));
  // "19" in the 39 x 60 digits from (-35, 205): the "1" in the first cell,
  // the "9" in the second, and no ink past their 60-unit height.
  EXPECT_GT(CountPlayPixels(shot, -35.0f, 205.0f, 4.0f, 265.0f, White), 20);
  EXPECT_GT(CountPlayPixels(shot, 4.0f, 205.0f, 43.0f, 265.0f, White), 40);
  EXPECT_EQ(CountPlayPixels(shot, -35.0f, 266.0f, 43.0f, 280.0f, White), 0);
  EXPECT_TRUE(testsupport::MatchesGolden(shot, "name_entry_place19.png", 8, 60));
  ResetRankTable();
}

TEST(EndPictures, Ranking) {
  SceneRig rig(true);
  ASSERT_TRUE(rig.Ok());
  ResetRankTable();
  PendingRankEntry = RankEntry{};
  PendingRankEntry.word[1] = 8000001;  // place 24: the second row to come
  SetRankName(&RankTable[24], "ZZ?");
  ASSERT_TRUE(rig.Start(SCENE_RANKING, "Ranking"));
  auto* r = rig.Scene<Ranking>("Ranking");
  while (r->GetFrame() < 180 || r->GetFrame() % 80 != 10) rig.Frame();
  rig.Frames(1);  // drawn in the frame after
  plat::Image shot;
  ASSERT_TRUE(rig.Sys().Screenshot(&shot));
  const Ranking::Row& mine = r->GetRow(23);
  ASSERT_TRUE(mine.highlight);
  ASSERT_EQ(mine.x, -240.0f);
  // The new play's row: its place "24" in white from x + 20 and its name
  // ("OSR" from x + 302) in the large font.
  EXPECT_GT(CountPlayPixels(shot, mine.x + 20.0f, mine.y + 2.0f, mine.x + 52.0f, mine.y + 24.0f, White), 10);
  EXPECT_GT(CountPlayPixels(shot, mine.x + 302.0f, mine.y - 5.0f, mine.x + 386.0f, mine.y + 26.0f, White), 40);
  // The attract line, " INSERT COIN(S) " from (-126, -10) in the small
  // font (cells of 14 x 18).
  EXPECT_GT(CountPlayPixels(shot, -126.0f, -10.0f, 112.0f, 8.0f, White), 60);
  EXPECT_TRUE(testsupport::MatchesGolden(shot, "ranking.png", 8, 60));
  ResetRankTable();
}

TEST(EndPictures, RankingInTheAttract) {
  SceneRig rig(true);
  ASSERT_TRUE(rig.Ok());
  rig.G()->settings[SettingsWord::coinPlay] = 1;
  ResetRankTable();
  PendingRankEntry = RankEntry{};  // no play of its own: no row highlighted
  ASSERT_TRUE(rig.Start(SCENE_RANKING, "Ranking"));
  auto* r = rig.Scene<Ranking>("Ranking");
  // Frame 450: 450 mod 80 = 50 shows the second line; the 24th place,
  // started at frame 62, slid in for 21 frames and has scrolled 367 of
  // 1,225 frames down from -236: y = 716 x 367 / 1225 - 236 = -21.5.
  while (r->GetFrame() < 450) rig.Frame();
  plat::Image shot;
  ASSERT_TRUE(rig.Sys().Screenshot(&shot));
  ASSERT_NEAR(r->GetRow(23).y, -21.5f, 0.6f);
  EXPECT_EQ(r->GetRow(23).x, -240.0f);
  // The attract line at draw key 0, drawn last: "   GAME OVER    " from
  // (-126, -10) in the small font (cells of 14 x 18), its letters from x
  // -84 to 42, across the 24th place, whose score "8000000" runs from x -100
  // to 12 (the last seven of ten cells of 16 from x -148) and whose name
  // from x 62 (three cells of 28 x 31 from y -26.5).
  EXPECT_EQ(r->AttractText().GlyphCount(), 8);
  EXPECT_GT(CountPlayPixels(shot, -84.0f, -10.0f, 42.0f, 8.0f, White), 60);
  EXPECT_GT(CountPlayPixels(shot, 62.0f, -26.5f, 146.0f, 4.5f, White), 40);
  EXPECT_TRUE(testsupport::MatchesGolden(shot, "ranking_attract.png", 8, 60));
  ResetRankTable();
}

// The first place's badge lies over the whole of row 1 and leaves a score
// of ten digits ("4000000000", cells of 16 from x + 92) readable, and the
// badge's gold is there.
TEST(EndPictures, FirstPlaceBadgeLeavesATenDigitScoreReadable) {
  SceneRig rig(true);
  ASSERT_TRUE(rig.Ok());
  ResetRankTable();
  RankTable[0].word[1] = 4000000000u;
  PendingRankEntry = RankEntry{};  // no play of its own: the badge is drawn
  ASSERT_TRUE(rig.Start(SCENE_RANKING, "Ranking"));
  auto* r = rig.Scene<Ranking>("Ranking");
  // Place 1 starts last, 24 x 62 frames in, and slides in for 20 frames;
  // the frame after it reached its place shows it at the top.
  for (int i = 0; i < 1600 && r->GetRow(0).x != -240.0f; ++i) rig.Frame();
  const Ranking::Row& first = r->GetRow(0);
  ASSERT_EQ(first.x, -240.0f);
  rig.Frames(1);
  plat::Image shot;
  ASSERT_TRUE(rig.Sys().Screenshot(&shot));
  // Place 2's score, 96000000, ends in the same six zeros as place 1's
  // 4000000000 (cells 4 to 9): under the badge each shows as much white as
  // the one below it, no more (no ink of the badge over it) and no less.
  const Ranking::Row& second = r->GetRow(1);
  for (int d = 4; d < 10; ++d) {
    const float x = first.x + 92.0f + 16.0f * static_cast<float>(d);
    const int under = CountPlayPixels(shot, x, first.y, x + 16.0f, first.y + 20.0f, White);
    const int free = CountPlayPixels(shot, x, second.y, x + 16.0f, second.y + 20.0f, White);
    EXPECT_GT(free, 2) << "digit " << d;
    EXPECT_NEAR(under, free, 3) << "digit " << d;
  }
  const auto gold = [](uint32_t rr, uint32_t g, uint32_t b) { return rr > 200 && g > 160 && g < 220 && b < 100; };
  EXPECT_GT(CountPlayPixels(shot, first.x + 11.0f, first.y - 8.0f, first.x + 478.0f, first.y + 34.0f, gold), 100);
  ResetRankTable();
}

TEST(EndPictures, StageResultTally) {
  SceneRig rig(true);
  ASSERT_TRUE(rig.Ok());
  Game* g = rig.G();
  g->stage = 1;
  g->record[REC_SCORE] = 87654321;
  g->record[REC_OVERFLOW] = 0;
  g->record[REC_LOCK_CATCHES] = 3;
  g->lives = 2;
  g->settings[SettingsWord::extendRow] = 0;
  StageDefeatCount = 45;
  StageEnemyCount = 60;
  g_ChainCounter.stageBest = 12;
  g_Player.power = 2.5f;
  ASSERT_TRUE(rig.Start(SCENE_STAGE_RESULT, "StageResult"));
  auto* r = rig.Scene<StageResult>("StageResult");
  while (r->GetSceneState() != StageResult::STATE_TALLY) rig.Frame();
  rig.Frames(60);  // faded in; row 0 in, row 1 at count 28
  for (int i = 0; i < 4; ++i) rig.Press({CabInput::kButton1});
  rig.Frames(14);  // row 5 half way in (count 15)
  plat::Image shot;
  ASSERT_TRUE(rig.Sys().Screenshot(&shot));
  ASSERT_EQ(r->GetRow(), 5);
  // The lives row (3) is in at x 20: "2" in white from x 27, y 15 (digits
  // 16 x 22); the bonus row is on its way; the score row (6) is still out
  // at x 240 beyond the right edge.
  EXPECT_GT(CountPlayPixels(shot, 27.0f, 15.0f, 43.0f, 37.0f, White), 5);
  EXPECT_GT(r->GetRowX(5), 20.0f);
  EXPECT_LT(r->GetRowX(5), 240.0f);
  EXPECT_EQ(CountPlayPixels(shot, 20.0f, 172.0f, 236.0f, 212.0f, White), 0);
  EXPECT_TRUE(testsupport::MatchesGolden(shot, "stage_result.png", 8, 60));
}

}  // namespace
