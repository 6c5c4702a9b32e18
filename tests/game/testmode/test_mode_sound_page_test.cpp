// The sound page: auto-repeat, clamps, the test tone's rhythm, the music
// and effect tests with their sound gates, and what keeping or discarding
// does.
#include <gtest/gtest.h>

#include "TestModeRig.h"
#include "game/scene/CommonTables.h"
#include "platform/sound_device.h"
#include "vrax/resource/SRsc_Sound.h"
#include "vrax/sound/SSndMan.h"

namespace {

using namespace testmode_rig;

enum SoundItem : int32_t { kEffectTest, kMusicTest, kEffectVolume, kMusicVolume, kBalance, kExit };

plat::SoundBuffer* Buffer(SRsc* bank, int32_t entry) {
  auto* sound = dynamic_cast<SRsc_Sound*>(bank);
  if (!sound || entry >= static_cast<int32_t>(sound->Bank()->entries.size())) return nullptr;
  return sound->Bank()->entries[entry]->buffer;
}

bool Playing(SRsc* bank, int32_t entry) {
  uint32_t status = 0;
  plat::SoundBuffer* b = Buffer(bank, entry);
  return b && b->GetStatus(&status) == plat::kSoundOk && (status & plat::kSoundStatusPlaying) != 0;
}

// The entries of a bank that play now.
std::vector<int32_t> PlayingEntries(SRsc* bank) {
  std::vector<int32_t> out;
  for (int32_t i = 0; Buffer(bank, i); ++i)
    if (Playing(bank, i)) out.push_back(i);
  return out;
}

int32_t Volume(SRsc* bank, int32_t entry) {
  int32_t v = 1;
  if (plat::SoundBuffer* b = Buffer(bank, entry)) b->GetVolume(&v);
  return v;
}

int32_t Pan(SRsc* bank, int32_t entry) {
  int32_t v = 1;
  if (plat::SoundBuffer* b = Buffer(bank, entry)) b->GetPan(&v);
  return v;
}

TEST(TestModeSoundPage, HeldDirectionsRepeatFromThe22ndFrameAndStopAtTheEnds) {
  TestModeRig rig;
  ASSERT_TRUE(rig.Open());
  rig.OpenPage(kMenuSound);
  rig.CursorTo(kBalance);
  const int32_t* s = rig.Settings();
  // Right held from frame 1: the balance after frame n.
  const std::pair<int, int32_t> held[] = {{1, 1}, {2, 1}, {21, 1}, {22, 2}, {23, 3}, {30, 10}, {119, 99},
                                          {120, 100}, {121, 100}, {150, 100}};
  plat::ClearInjectedCabInputs();
  int frame = 0;
  for (const auto& [n, balance] : held) {
    for (; frame < n; ++frame) rig.Frame({kRight});
    EXPECT_EQ(s[SettingsWord::effectBalance], balance) << "frame " << n;
  }
  rig.Frame();
  EXPECT_EQ(rig.Mode()->Text(kBalance).GlyphCount(), 4);  // "100%"
  rig.Frame({kLeft}, 250);
  EXPECT_EQ(s[SettingsWord::effectBalance], -100);
  rig.Frame();
  EXPECT_EQ(rig.Mode()->Text(kBalance).GlyphCount(), 5);  // "-100%"
  // The test numbers stop at their ends too.
  rig.CursorTo(kEffectTest);
  rig.Frame({kRight}, 60);
  EXPECT_EQ(rig.Mode()->GetEffectTestNo(), 9);
  rig.Frame({kLeft}, 60);
  EXPECT_EQ(rig.Mode()->GetEffectTestNo(), 0);
  rig.CursorTo(kMusicTest);
  rig.Frame({kRight}, 60);
  EXPECT_EQ(rig.Mode()->GetMusicTestNo(), 6);
  rig.Frame();
  rig.CursorTo(kEffectVolume);
  rig.Frame({kRight}, 30);
  EXPECT_EQ(s[SettingsWord::effectVolume], 100);
  rig.Frame({kLeft}, 150);
  EXPECT_EQ(s[SettingsWord::effectVolume], 0);
}

TEST(TestModeSoundPage, TestToneSoundsEvery61FramesOnTheLevelItems) {
  TestModeRig rig;
  ASSERT_TRUE(rig.Open());
  rig.OpenPage(kMenuSound);
  TestMode* m = rig.Mode();
  rig.CursorTo(kMusicTest);
  EXPECT_TRUE(PlayingEntries(RscMusic).empty());
  // Arriving on a level item starts music entry 0 and, the first time, the
  // tone in the same frame.
  rig.Frame({kDown});
  EXPECT_EQ(PlayingEntries(RscMusic), std::vector<int32_t>{0});
  EXPECT_EQ(m->GetMusicTestOn(), 1);
  EXPECT_EQ(m->GetPageTimer(), 60);
  EXPECT_EQ(m->SpritesUsed(), 17);  // title, items, arrow, six marks, help and guide lines
  // Lower the effect volume to 50 (1, then 49 more from the 22nd frame on).
  rig.Frame({kLeft}, 70);
  ASSERT_EQ(rig.Settings()[SettingsWord::effectVolume], 50);
  // The timer runs down over 60 more frames and the tone comes in the 61st,
  // at the new volume: 50% is 0.725 of its gain 57344, 41574, which is
  // 41574 x 10000 / 65536 - 10000 = -3657 hundredths of a decibel.
  EXPECT_EQ(m->GetPageTimer(), 60 - 70 + 61);
  rig.Frame({}, m->GetPageTimer());
  EXPECT_EQ(m->GetPageTimer(), 0);
  EXPECT_NE(Volume(RscSoundEffects, 31), -3657);
  // (Frames run faster than the sound plays: the last tone may still be
  // sounding, and a sound that has just started is not restarted.)
  SSndMan::StopAll(RscSoundEffects);
  rig.Frame();
  EXPECT_EQ(m->GetPageTimer(), 60);
  EXPECT_EQ(Volume(RscSoundEffects, 31), -3657);
  // Moving on to the next level item restarts the music, not the tone.
  rig.Tap({kDown});
  EXPECT_EQ(PlayingEntries(RscMusic), std::vector<int32_t>{0});
  EXPECT_EQ(m->GetPageTimer(), 58);
  // Back to the music test: the music stops; the timer keeps running.
  rig.Tap({kUp});
  rig.Tap({kUp});
  EXPECT_TRUE(PlayingEntries(RscMusic).empty());
  EXPECT_EQ(m->GetMusicTestOn(), 0);
  EXPECT_EQ(m->GetPageTimer(), 54);
}

TEST(TestModeSoundPage, EachEffectTestNumberPlaysItsEntryAtItsGain) {
  TestModeRig rig;
  ASSERT_TRUE(rig.Open());
  rig.OpenPage(kMenuSound);
  TestMode* m = rig.Mode();
  ASSERT_EQ(rig.Settings()[SettingsWord::effectVolume], 100);  // the level curve gives 1.0
  // Number -> effect entry and gain; at full volume the gain g plays at
  // g x 10000 / 65536 - 10000 hundredths of a decibel (truncated).
  const struct {
    int32_t entry, hundredths;
  } rows[10] = {{7, -1563},  {3, -977},  {30, -1485}, {8, -1250},  {51, -625},
                {31, -1250}, {32, -1250}, {11, -1250}, {10, -860}, {54, -625}};
  for (int32_t n = 0; n < 10; ++n) {
    SCOPED_TRACE(n);
    if (n > 0) rig.Tap({kRight});
    ASSERT_EQ(m->GetEffectTestNo(), n);
    rig.Tap({kB1});
    EXPECT_EQ(PlayingEntries(RscSoundEffects), std::vector<int32_t>{rows[n].entry});
    EXPECT_EQ(Volume(RscSoundEffects, rows[n].entry), rows[n].hundredths);
  }
  rig.Tap({kRight});  // 9 is the last number
  EXPECT_EQ(m->GetEffectTestNo(), 9);
}

TEST(TestModeSoundPage, MusicTestPlaysItsEntryAndAChangedNumberStopsIt) {
  TestModeRig rig;
  ASSERT_TRUE(rig.Open());
  rig.OpenPage(kMenuSound);
  TestMode* m = rig.Mode();
  rig.CursorTo(kMusicTest);
  rig.Frame({kRight}, 40);
  rig.Frame();
  ASSERT_EQ(m->GetMusicTestNo(), 6);
  rig.Tap({kB1});
  EXPECT_EQ(PlayingEntries(RscMusic), std::vector<int32_t>{7});  // number 6 plays entry 7
  EXPECT_EQ(m->GetMusicTestOn(), 1);
  rig.Tap({kB1});  // a second press stops it
  EXPECT_TRUE(PlayingEntries(RscMusic).empty());
  rig.Tap({kB1});
  rig.Tap({kLeft});
  EXPECT_TRUE(PlayingEntries(RscMusic).empty());
  EXPECT_EQ(m->GetMusicTestOn(), 0);
  rig.Tap({kB2});
  EXPECT_EQ(PlayingEntries(RscMusic), std::vector<int32_t>{5});
  // The music starts with the balance as its pan: 50 x 196.608 = 9830,
  // 9830 x 10000 / 65536 = 1499 hundredths of a decibel to the right.
  rig.Settings()[SettingsWord::effectBalance] = 50;
  rig.Tap({kB1});
  rig.Tap({kB1});
  EXPECT_EQ(Pan(RscMusic, 5), 1499);
}

// Each row: the sound-off flag, the demo-play flag, the attract-sound
// setting, and whether music numbers 0 and 3 play.
struct GateRow {
  uint8_t soundOff;
  int32_t demoPlay;
  int32_t attractSound;
  bool first;
  bool fourth;
};

TEST(TestModeSoundPage, MusicNumbersZeroToTwoObeyTheAttractSoundSetting) {
  TestModeRig rig;
  ASSERT_TRUE(rig.Open());
  rig.OpenPage(kMenuSound);
  rig.CursorTo(kMusicTest);
  Game* g = rig.Root();
  const GateRow rows[] = {
      {0, 0, 0, true, true}, {0, 1, 1, true, true}, {0, 1, 0, false, true}, {1, 0, 1, false, false}};
  for (const GateRow& r : rows) {
    g->soundOff = r.soundOff;
    g->demoPlay = r.demoPlay;
    g->settings[SettingsWord::attractSound] = r.attractSound;
    for (int32_t number : {0, 3}) {
      SSndMan::StopAll(RscMusic);
      PlayTestMusic(number);
      EXPECT_EQ(Playing(RscMusic, number), number == 0 ? r.first : r.fourth)
          << int(r.soundOff) << r.demoPlay << r.attractSound << " number " << number;
    }
    SSndMan::StopAll(RscSoundEffects);
    PlayTestEffect(0);  // effect entry 7, gated like music 0
    EXPECT_EQ(Playing(RscSoundEffects, 7), r.first);
  }
  g->soundOff = 0;
  g->demoPlay = 0;
}

// Each row: what the confirmation answers, and the sound words after it.
struct KeepRow {
  std::vector<PadLine> answer;
  int32_t effectVolume;
  bool saved;
};

TEST(TestModeSoundPage, DiscardingRestoresOnlyTheSoundWordsKeepingSavesAll) {
  const PadLine release{{}, 1};
  const KeepRow rows[] = {
      {{{{kB1}}, release}, 100, false},
      {{{{kRight}}, release, {{kB1}}, release}, 99, true},
  };
  for (const KeepRow& r : rows) {
    TestModeRig rig;
    ASSERT_TRUE(rig.Open());
    rig.OpenPage(kMenuSound);
    rig.CursorTo(kEffectVolume);
    rig.Tap({kLeft});
    rig.Settings()[SettingsWord::lives] = 4;  // not a sound word
    rig.CursorTo(kExit);
    rig.Tap({kB1});
    ASSERT_EQ(rig.Mode()->Confirm().GetState(), TestModeYN::kOpen);
    rig.Run(r.answer);
    EXPECT_EQ(rig.Settings()[SettingsWord::effectVolume], r.effectVolume);
    EXPECT_EQ(rig.Settings()[SettingsWord::lives], 4);
    const std::string file = SettingsFileBytes(rig.Sys());
    EXPECT_EQ(!file.empty(), r.saved);
    if (r.saved) {
      const int32_t words[kSettingsCount] = {1, 1, 1, 1, 1, 2, 4, 3, 0, 100, 99, 0, 1, 3, 1};
      EXPECT_EQ(file, SettingsFileFor(words));
    }
    EXPECT_TRUE(rig.BackToMenu(3));
    EXPECT_TRUE(PlayingEntries(RscMusic).empty());
  }
}

}  // namespace
