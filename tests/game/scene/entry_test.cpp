// Scene 12: the name filter, the auto-repeat of the two directions, the
// erase and end marks, the time limit, the insertion and the saved file,
// and the scene that follows with the code the network service receives.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "SceneRig.h"
#include "game/core/RankTable.h"
#include "game/scene/Entry.h"
#include "support/ExpectAll.h"
#include "support/SoundProbe.h"

namespace {

using scene_rig::CabInput;
using scene_rig::SceneRig;
using Codes = std::vector<uint8_t>;

// A play of 50,000,000 points (place 13 of the defaults) at its first frame
// of the name: the timer shows 30.
Entry* StartEntry(SceneRig& rig) {
  ResetRankTable();
  PendingRankEntry = RankEntry{};
  PendingRankEntry.word[1] = 50000000;
  PendingRankEntry.word[2] = 4;
  rig.Tap().Client().PushFD();
  rig.Tap().Codes();
  if (!rig.Start(SCENE_ENTRY, "Entry")) return nullptr;
  auto* e = rig.Scene<Entry>("Entry");
  for (int i = 0; i < 5 && e->GetSceneState() != Entry::STATE_NAME; ++i) rig.Frame();
  EXPECT_ALL({VAL(e->GetSceneState(), Entry::STATE_NAME), VAL(e->GetTimer(), 30), VAL(e->GetFrame(), 1),
              VAL(e->GetSlot(0).c, 'A')});
  return e;
}

// Steps the current letter n times, one tap each (+ forward, - back).
void Steps(SceneRig& rig, int n) {
  for (int i = 0; i < (n < 0 ? -n : n); ++i) rig.Press({n < 0 ? CabInput::kLeft : CabInput::kRight});
}

std::string PendingName() {
  char name[4];
  RankNameText(PendingRankEntry, name);
  return name;
}

TEST(Entry, NameFilter) {
  for (const char* bad : {"SEX", "5EX", "KKK", " SI", "SI ", "XX_", "-XX", "   ", ""})
    EXPECT_FALSE(Entry::NameAccepted(bad)) << bad;
  for (const char* good : {"ABC", "SE ", "A  ", "S X", "XX?", "!!!"}) EXPECT_TRUE(Entry::NameAccepted(good)) << good;
}

TEST(Entry, LeftAloneTheTimeRunsOutAndTheBlankNameIsStoredAsBangs) {
  SceneRig rig;
  ASSERT_TRUE(rig.Ok());
  Entry* e = StartEntry(rig);
  ASSERT_NE(e, nullptr);
  // One second less every 60 frames: the 31st step, at frame 1,860, is the
  // end of the time.
  rig.Frames(1859);
  EXPECT_ALL({VAL(e->GetTimer(), 0), VAL(e->GetSceneState(), Entry::STATE_NAME)});
  rig.Frame();
  rig.Frame();
  EXPECT_ALL({VAL(e->GetSceneState(), Entry::STATE_CONFIRMED), VAL(e->GetInsertedAt(), 13), VAL(e->GetCursor(), 3)});
  EXPECT_EQ(PendingName(), "!!!");
  char stored[4];
  RankNameText(RankTable[13], stored);
  EXPECT_STREQ(stored, "!!!");
  EXPECT_EQ(RankTable[14].word[1], 48000000u);  // the old place 13, one down
  // 420 frames confirmed, then the file is written and the scene ends 62
  // frames later.
  const int frames = rig.RunToNext(600);
  EXPECT_GE(frames, 420 + 62);
  EXPECT_EQ(rig.G()->GetCurrentRequest().id, SCENE_RANKING);
  EXPECT_EQ(rig.Tap().Codes(), (Codes{0xFE}));
  ResetRankTable();
  LoadRankFile();
  RankNameText(RankTable[13], stored);
  EXPECT_STREQ(stored, "!!!");
  EXPECT_EQ(RankTable[13].word[2], 4u);
}

TEST(Entry, HeldDirectionsRepeatFasterAndFasterDownToEveryFiveFrames) {
  SceneRig rig;
  ASSERT_TRUE(rig.Ok());
  Entry* e = StartEntry(rig);
  ASSERT_NE(e, nullptr);
  std::vector<int32_t> steps;
  int32_t index = e->GetSlot(0).index;
  for (int i = 0; i < 200; ++i) {
    rig.Frame({CabInput::kRight});
    if (e->GetSlot(0).index != index) steps.push_back(e->GetFrame());
    index = e->GetSlot(0).index;
  }
  ASSERT_GE(steps.size(), 11u);
  std::vector<int32_t> gaps;
  for (size_t i = 1; i < 11; ++i) gaps.push_back(steps[i] - steps[i - 1]);
  EXPECT_EQ(gaps, (std::vector<int32_t>{36, 32, 28, 24, 20, 16, 12, 8, 5, 5}));
  // Letting go restarts the sequence: the next hold steps at once.
  rig.Frame();
  EXPECT_ALL({VAL(e->GetRepeatCount(), 0), VAL(e->GetForwardInterval(), 40)});
  const int32_t before = e->GetSlot(0).index;
  rig.Frame({CabInput::kRight});
  EXPECT_EQ(e->GetSlot(0).index, before + 1);
}

TEST(Entry, EraseAndEndMarksAndAOneLetterName) {
  SceneRig rig;
  ASSERT_TRUE(rig.Ok());
  Entry* e = StartEntry(rig);
  ASSERT_NE(e, nullptr);
  rig.Press({CabInput::kButton2});  // erase on the first slot: nothing
  EXPECT_EQ(e->GetCursor(), 0);
  Steps(rig, -1);  // back from A wraps to the end mark, index 44
  EXPECT_EQ(e->GetSlot(0).index, 44);
  Steps(rig, 1);  // and forward to A again
  EXPECT_EQ(e->GetSlot(0).c, 'A');
  rig.Press({CabInput::kButton1});
  Steps(rig, 1);
  rig.Press({CabInput::kButton1});
  rig.Press({CabInput::kButton1});  // "AB", then the end slot
  EXPECT_ALL({VAL(e->GetCursor(), 3), VAL(e->GetSlot(2).c, 'B'), VAL(e->GetSlot(3).index, 44),
              VAL(e->GetMinIndex(), 43)});
  Steps(rig, 1);  // the end slot offers the erase mark and the end mark only
  EXPECT_EQ(e->GetSlot(3).index, 43);  // the erase mark
  Steps(rig, -1);
  EXPECT_EQ(e->GetSlot(3).index, 44);
  Steps(rig, -1);
  rig.Press({CabInput::kButton1});  // the erase mark: back to the third letter
  EXPECT_ALL({VAL(e->GetCursor(), 2), VAL(e->GetMinIndex(), 0)});
  rig.Press({CabInput::kButton2});
  rig.Press({CabInput::kButton2});
  EXPECT_EQ(e->GetCursor(), 0);
  rig.Press({CabInput::kButton1});  // "A", then the end mark on the second slot
  Steps(rig, -1);
  rig.Press({CabInput::kButton1});
  EXPECT_EQ(e->GetSceneState(), Entry::STATE_CONFIRMED);
  EXPECT_EQ(PendingName(), "A  ");
  EXPECT_EQ(e->GetInsertedAt(), 13);
}

TEST(Entry, ARejectedNameStartsAgainWithTheTimeLeftAndBecomesBangsAtTheEnd) {
  SceneRig rig;
  ASSERT_TRUE(rig.Ok());
  Entry* e = StartEntry(rig);
  ASSERT_NE(e, nullptr);
  const auto typeSex = [&] {
    Steps(rig, 18);  // A -> S
    rig.Press({CabInput::kButton1});
    Steps(rig, -14);  // S -> E
    rig.Press({CabInput::kButton1});
    Steps(rig, 19);  // E -> X
    rig.Press({CabInput::kButton1});
  };
  typeSex();
  EXPECT_ALL({VAL(e->GetCursor(), 3), VAL(e->GetSlot(0).c, 'S'), VAL(e->GetSlot(1).c, 'E'), VAL(e->GetSlot(2).c, 'X')});
  const int32_t timer = e->GetTimer();
  rig.Press({CabInput::kButton1});  // the end mark: rejected
  EXPECT_ALL({VAL(e->GetSceneState(), Entry::STATE_NAME), VAL(e->GetCursor(), 0), VAL(e->GetSlot(0).c, 'A'),
              VAL(e->GetTimer(), timer)});
  typeSex();
  while (e->GetSceneState() == Entry::STATE_NAME) rig.Frame();
  EXPECT_EQ(PendingName(), "!!!");
}

TEST(Entry, ButtonOneWaits180FramesAfterTheNameAndACreditLeadsToTheTitle) {
  SceneRig rig;
  ASSERT_TRUE(rig.Ok());
  Entry* e = StartEntry(rig);
  ASSERT_NE(e, nullptr);
  Steps(rig, -1);
  rig.Press({CabInput::kButton1});  // the end mark at once: "   " is rejected
  rig.Press({CabInput::kButton1});  // "A"
  Steps(rig, -1);
  rig.Press({CabInput::kButton1});
  ASSERT_EQ(e->GetSceneState(), Entry::STATE_CONFIRMED);
  rig.Frames(100);
  rig.Press({CabInput::kButton1});
  EXPECT_EQ(e->GetSceneState(), Entry::STATE_CONFIRMED);
  while (e->GetFrame() < 180) rig.Frame();
  rig.Press({CabInput::kButton1});
  EXPECT_EQ(e->GetSceneState(), Entry::STATE_SAVING);
  rig.GiveCredits(1);
  ASSERT_GE(rig.RunToNext(100), 0);
  EXPECT_EQ(rig.G()->GetCurrentRequest().id, SCENE_TITLE);
  EXPECT_EQ(rig.Tap().Codes(), (Codes{0xFE}));
  EXPECT_EQ(PendingName(), "A  ");
}

TEST(Entry, SoundTwentySevenStepsALetterTwentyEightSelectsItAndFortyFourConfirmsTheName) {
  using testsupport::SoundPlayed;
  SceneRig rig;
  ASSERT_TRUE(rig.Ok());
  Entry* e = StartEntry(rig);
  ASSERT_NE(e, nullptr);
  SRsc* se = testsupport::EffectBank();
  ASSERT_NE(se, nullptr);
  for (int n : {27, 28, 44}) testsupport::RearmSound(se, n);
  Steps(rig, 1);
  EXPECT_ALL({VAL(SoundPlayed(se, 27), true), VAL(SoundPlayed(se, 28), false), VAL(SoundPlayed(se, 44), false)});
  testsupport::RearmSound(se, 27);
  rig.Press({CabInput::kButton1});  // "B" chosen: the next slot
  EXPECT_ALL({VAL(e->GetCursor(), 1), VAL(SoundPlayed(se, 28), true), VAL(SoundPlayed(se, 27), false)});
  testsupport::RearmSound(se, 28);
  rig.Press({CabInput::kButton2});  // erase: no sound
  Steps(rig, -1);                   // back from "B" to "A"
  EXPECT_TRUE(SoundPlayed(se, 27));
  rig.Press({CabInput::kButton1});
  EXPECT_TRUE(SoundPlayed(se, 28));
  Steps(rig, -1);  // back from "A" to the end mark on the second slot
  EXPECT_FALSE(SoundPlayed(se, 44));
  rig.Press({CabInput::kButton1});
  EXPECT_ALL({VAL(e->GetSceneState(), Entry::STATE_CONFIRMED), VAL(SoundPlayed(se, 44), true)});
  EXPECT_EQ(PendingName(), "A  ");
}

}  // namespace
