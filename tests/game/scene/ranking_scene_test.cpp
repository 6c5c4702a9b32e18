// Scene 13: the rows launched from the 25th place up, their slide and
// scroll, the highlight and the badge, the blinking attract line, and the
// ways it ends.
#include <gtest/gtest.h>

#include <vector>

#include "SceneRig.h"
#include "game/core/CoinCounter.h"
#include "game/scene/Ranking.h"
#include "support/ExpectAll.h"

namespace {

using scene_rig::CabInput;
using scene_rig::SceneRig;

// The scene at the first frame of its rows (frame 0 has run: row 24 slides).
Ranking* StartRanking(SceneRig& rig, uint32_t pendingScore) {
  ResetRankTable();
  PendingRankEntry = RankEntry{};
  PendingRankEntry.word[1] = pendingScore;
  if (!rig.Start(SCENE_RANKING, "Ranking")) return nullptr;
  auto* r = rig.Scene<Ranking>("Ranking");
  for (int i = 0; i < 5 && r->GetSceneState() != Ranking::STATE_ROWS; ++i) rig.Frame();
  EXPECT_ALL({VAL(r->GetSceneState(), Ranking::STATE_ROWS), VAL(r->GetFrame(), 1), VAL(r->GetNextRow(), 23)});
  return r;
}

TEST(RankingScene, RowsSlideInFromTheLastPlaceUpScrollDownAndTheSceneEndsForTheLogo) {
  SceneRig rig;
  ASSERT_TRUE(rig.Ok());
  // Place 3 of the defaults is 88,000,000: one point more takes it.
  Ranking* r = StartRanking(rig, 88000001);
  ASSERT_NE(r, nullptr);
  RankTable[5].word[5] = 0x7A434241u;  // "ABCz", no zero byte: "ABC" and a blank at most
  // Row 24 (even) slides from x -720 to -240 over 20 frames, then scrolls
  // from y -236 at 716 / 1225 a frame; row 23 (odd) comes from x 240 62
  // frames after it.
  const Ranking::Row& last = r->GetRow(24);
  EXPECT_ALL({VAL(last.rowState, Ranking::ROW_SLIDING), VAL(last.x, -720.0f)});
  // 24 a frame, -480 half way, and on no frame past -240.
  for (int f = 1; f <= 20; ++f) {
    rig.Frame();
    EXPECT_NEAR(last.x, -720.0f + 24.0f * float(f), 1e-3f) << "frame " << f;
    EXPECT_LE(last.x, -240.0f) << "frame " << f;
    if (f == 10) { EXPECT_EQ(last.x, -480.0f); }
  }
  EXPECT_ALL({VAL(last.x, -240.0f), VAL(last.rowState, Ranking::ROW_SCROLLING), VAL(last.y, -236.0f)});
  while (r->GetFrame() < 62) rig.Frame();
  EXPECT_EQ(r->GetRow(23).rowState, Ranking::ROW_WAITING);
  rig.Frame();
  EXPECT_ALL({VAL(r->GetRow(23).rowState, Ranking::ROW_SLIDING), VAL(r->GetRow(23).x, 240.0f)});
  // Place 1 starts at frame 24 x 62; 21 frames later the rows stop.
  while (r->GetRow(0).rowState == Ranking::ROW_WAITING) rig.Frame();
  EXPECT_ALL({VAL(r->GetNextRow(), -1), VAL(r->GetInterval(), 21), VAL(r->GetFrame(), 1)});
  // Row 3 is the new play: the bar 11 right of its x and 8 above its y.
  const Ranking::Row& mine = r->GetRow(3);
  EXPECT_ALL({VAL(mine.highlight, true), VAL(r->Bar().GetActiveCount(), 1), VAL(r->Bar().GetVertexPos(0).x, mine.x + 11),
              VAL(r->Bar().GetVertexPos(0).y, mine.y - 8), VAL(r->Bar().GetVertexColour(0) >> 24, 230u)});
  EXPECT_EQ(r->Badge().GetActiveCount(), 1);  // the first place has its badge
  // The rows that scrolled past y 285 have faded, by 0.03 a frame.
  EXPECT_LT(r->GetRow(24).alpha, 1.0f);
  EXPECT_EQ(r->GetRow(3).alpha, 1.0f);
  ASSERT_GE(r->GetRow(24).y, 285.0f);
  const float faded = r->GetRow(24).alpha;
  rig.Frame();
  EXPECT_NEAR(r->GetRow(24).alpha, faded - 0.03f, 1e-5f);
  // Every name at most three characters: 25 rows, "OSR" 24 times, "ABC".
  EXPECT_EQ(r->NameText().GlyphCount(), 25 * 3);
  rig.Frames(19);  // frames 1 to 20 after place 1 started (one ran above)
  EXPECT_EQ(r->GetSceneState(), Ranking::STATE_ROWS);
  rig.Frame();
  rig.Frame();
  EXPECT_EQ(r->GetSceneState(), Ranking::STATE_CLOSING);
  const int frames = rig.RunToNext(500);
  EXPECT_GE(frames, 360);
  EXPECT_EQ(rig.G()->GetCurrentRequest().id, SCENE_LOGO);
  EXPECT_ALL({VAL(PendingRankEntry.word[1], 0u), VAL(PendingRankEntry.word[5] & 0xFFFFFFu, 0x202020u)});
  ResetRankTable();
}

TEST(RankingScene, AFirstPlaceEntryIsHighlightedWithoutTheBadge) {
  SceneRig rig;
  ASSERT_TRUE(rig.Ok());
  Ranking* r = StartRanking(rig, 100000000);  // equal to the first place: above it
  ASSERT_NE(r, nullptr);
  while (r->GetNextRow() >= 0) rig.Frame();
  rig.Frame();
  EXPECT_ALL({VAL(r->GetRow(0).highlight, true), VAL(r->Badge().GetActiveCount(), 0),
              VAL(r->Bar().GetActiveCount(), 1)});
}

TEST(RankingScene, TheAttractLineBlinksAndACoinOrAFreePlayStartLeadToTheTitle) {
  for (const bool freePlay : {false, true}) {
    SCOPED_TRACE(freePlay);
    SceneRig rig;
    ASSERT_TRUE(rig.Ok());
    rig.G()->settings[SettingsWord::coinPlay] = freePlay ? 0 : 1;
    Ranking* r = StartRanking(rig, 0);
    ASSERT_NE(r, nullptr);
    // 31 frames one line, 9 none, 31 the other, 9 none: runs of equal glyph
    // counts (the lines " INSERT COIN(S) " and "   GAME OVER    " hold 13
    // and 8 glyphs; "    FREE PLAY   " and "PRESS START BUTTON\n     TO
    // START" 8 and 23).
    std::vector<std::pair<int, int>> runs;  // glyphs, frames
    for (int i = 0; i < 80; ++i) {
      rig.Frame();
      const int glyphs = r->AttractText().GlyphCount();
      if (runs.empty() || runs.back().first != glyphs) runs.push_back({glyphs, 0});
      ++runs.back().second;
    }
    const int one = freePlay ? 8 : 13, two = freePlay ? 23 : 8;
    // The first frame counted is the scene's frame 1 (line 1 for frames 0 to 30).
    EXPECT_EQ(runs, (std::vector<std::pair<int, int>>{{one, 30}, {0, 9}, {two, 31}, {0, 9}, {one, 1}}));
    if (freePlay) {
      rig.Press({CabInput::kStart});
      EXPECT_EQ(GetCoinCounter()->serviceCredits, 1);
    } else {
      rig.GiveCredits(1);
    }
    ASSERT_GE(rig.RunToNext(10), 0);
    EXPECT_EQ(rig.G()->GetCurrentRequest().id, SCENE_TITLE);
    GetCoinCounter()->serviceCredits = GetCoinCounter()->credits = 0;
    rig.G()->settings[SettingsWord::coinPlay] = 1;
  }
}

}  // namespace
