// The numbers of the ship a player feels and hears, each a row: the volley's
// frames, offsets, lengths, speed and damage by difficulty; the options'
// formation, breathing, angles, speed and damage; and the sounds of the
// volley, the bomb, the lock-on, a catch and an extend with their levels
// and frames. The whole program plays stage 1 with the ship under control.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <set>
#include <vector>

#include "game/core/Game.h"
#include "game/player/PShotMan.h"
#include "game/player/Player.h"
#include "platform/crt_rand.h"
#include "support/PlayWorld.h"
#include "support/SoundProbe.h"

namespace {

using plat::CabInput;
using testsupport::PlayWorld;

// A shot fired in the frame just run (moved once since): where it was fired
// from, its velocity, its quad's length and width, its damage word.
struct Fired {
  float x, y, vx, vy, length, width;
  intptr_t power;
  float Turns() const {
    const float a = std::atan2(vy, vx) / 6.2831855f;
    return a < 0.0f ? a + 1.0f : a;
  }
  bool Ship() const { return vx == 0.0f && vy == -35.0f; }
};

std::vector<Fired> NewShots() {
  std::vector<Fired> out;
  const ObjPool<PShot>& pool = g_PShotMan.Pool();
  for (int32_t i = 0; i < pool.Capacity(); ++i) {
    if (!pool.InUse(i) || pool.At(i)->age != 1) continue;
    const PShot* s = pool.At(i);
    const float(&c)[4][4] = s->corners;
    out.push_back({s->position[0] - s->velocity[0], s->position[1] - s->velocity[1], s->velocity[0], s->velocity[1],
                   std::hypot(c[2][0] - c[0][0], c[2][1] - c[0][1]), std::hypot(c[1][0] - c[0][0], c[1][1] - c[0][1]),
                   s->GetPower()});
  }
  return out;
}

// Levels of the sounds at the effect volume 100: factor f gives the volume
// word f, which the device holds as f x 10000 / 65536 - 10000 hundredths of
// a decibel (integer division).
constexpr int32_t Hundredths(int32_t factor) { return factor * 10000 / 65536 - 10000; }

class PlayerNumbers : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(w.Ok());
    ASSERT_GE(w.RunToControl(), 0);
    g = w.G();
    g->settings[SettingsWord::effectVolume] = 100;
    se = testsupport::EffectBank();
    voice = testsupport::VoiceBank();
    ASSERT_TRUE(se != nullptr && voice != nullptr);
  }
  // The options for power n, present and active, with no burst running.
  void Options(int n) {
    w.ReleaseAll();
    g_Player.options.ClearAll();
    g_Player.power = float(n);
    g_Player.options.PlaceByPower();
    for (int i = 0; i < 40 && (g_Player.fireCounter != 0 || g_PShotMan.LiveCount() != 0); ++i) w.Step();
    w.Step(12);
  }
  PlayWorld w;
  Game* g = nullptr;
  SRsc* se = nullptr;
  SRsc* voice = nullptr;
};

TEST_F(PlayerNumbers, VolleysAndOptionsFireOnTheCycleWithTheirOffsetsSpeedsAndDamage) {
  Options(4);
  // Held: the burst counter F runs 1, 2, 3, ...; a volley on every F that
  // is a multiple of 3 with F mod 15 below 12, four in every 15 frames.
  const std::vector<int32_t> volleyF = {3, 6, 9, 15, 18, 21, 24, 30, 33, 36, 39, 45};
  // The damage 8 (ship) and 6.25 (option) times the difficulty's factor
  // (2.0, 1.5, 1.0, 0.75, 0.5), truncated, for the volleys in turn.
  const struct {
    int32_t difficulty;
    intptr_t ship, option;
  } damage[] = {{0, 16, 12}, {1, 12, 9}, {2, 8, 6}, {3, 6, 4}, {4, 4, 3}};
  // The ship's four shots from its shot origin: x and y offsets and length
  // scales (the quad's length is the scale times the shot sprite's height;
  // the shot stands a quarter length ahead of where it was placed).
  const struct {
    float dx, dy, length;
  } volley[] = {{-26, 4, 1.0f}, {-10, -4, 1.5f}, {10, -4, 1.5f}, {26, 4, 1.0f}};
  // Four options: slot angles (turns, 0.75 straight up).
  const float optionTurns[] = {0.76f, 0.74f, 0.77f, 0.73f};
  std::vector<int32_t> shipF, optionF, soundF;
  size_t volleys = 0;
  w.Hold(CabInput::kButton1);
  for (int f = 0; f < 46; ++f) {
    g->settings[SettingsWord::difficulty] = damage[volleys % 5].difficulty;
    testsupport::RearmSound(se, 7);
    w.Step();
    const int32_t F = g_Player.fireCounter;
    std::vector<Fired> ship, option;
    for (const Fired& s : NewShots()) (s.Ship() ? ship : option).push_back(s);
    if (!ship.empty()) shipF.push_back(F);
    if (!option.empty()) optionF.push_back(F);
    if (testsupport::SoundPlayed(se, 7)) {
      soundF.push_back(F);
      EXPECT_EQ(testsupport::SoundVolume(se, 7), Hundredths(55296)) << F;
    }
    if (ship.empty()) continue;
    SCOPED_TRACE(F);
    const auto& d = damage[volleys++ % 5];
    ASSERT_EQ(ship.size(), 4u);
    ASSERT_EQ(option.size(), 4u);
    std::sort(ship.begin(), ship.end(), [](const Fired& a, const Fired& b) { return a.x < b.x; });
    const float sprite = ship[0].length;  // scale 1.0
    for (size_t i = 0; i < 4; ++i) {
      const Fired& s = ship[i];
      EXPECT_NEAR(s.x - g_Player.displayPosition[0], volley[i].dx, 1e-3f) << i;
      EXPECT_NEAR(s.y - g_Player.displayPosition[1] + s.length / 4.0f, volley[i].dy, 1e-3f) << i;
      EXPECT_NEAR(s.length, volley[i].length * sprite, 1e-3f) << i;
      EXPECT_EQ(s.power, d.ship) << "difficulty " << d.difficulty;
    }
    for (int slot = 0; slot < 4; ++slot) {
      // The option's shot leaves from the option, a quarter length ahead.
      const float* at = g_Player.options.options[slot].position;
      const Fired* mine = nullptr;
      for (const Fired& s : option)
        if (mine == nullptr || std::hypot(s.x - at[0], s.y - at[1]) < std::hypot(mine->x - at[0], mine->y - at[1]))
          mine = &s;
      ASSERT_NE(mine, nullptr);
      EXPECT_NEAR(mine->Turns(), optionTurns[slot], 1e-5f) << slot;
      EXPECT_NEAR(std::hypot(mine->vx, mine->vy), 30.0f, 1e-4f) << slot;
      EXPECT_NEAR(std::hypot(mine->x - at[0], mine->y - at[1]), mine->length / 4.0f, 1e-3f) << slot;
      EXPECT_NEAR(mine->length, 1.2f * sprite, 1e-3f) << slot;
      EXPECT_NEAR(mine->width, 1.2f * ship[0].width, 1e-3f) << slot;
      EXPECT_EQ(mine->power, d.option) << "difficulty " << d.difficulty;
    }
  }
  EXPECT_EQ(shipF, volleyF);
  EXPECT_EQ(optionF, volleyF);
  EXPECT_EQ(soundF, volleyF);
  EXPECT_EQ(volleys, volleyF.size());
}

TEST_F(PlayerNumbers, OptionsStandInTheirFormationAndTurnTheirShots) {
  // By the number present: each slot's offset from the ship and its shot's
  // direction (turns). A lone option and the third of three sit at (0, 50).
  const struct {
    int n, slot;
    float dx, dy, turns;
  } rows[] = {
      {1, 0, 0, 50, 0.75f},
      {2, 0, 35, -30, 0.76f}, {2, 1, -35, -30, 0.74f},
      {3, 0, 35, -30, 0.76f}, {3, 1, -35, -30, 0.74f}, {3, 2, 0, 50, 0.75f},
      {4, 0, 35, -30, 0.76f}, {4, 1, -35, -30, 0.74f}, {4, 2, 25, 50, 0.77f}, {4, 3, -25, 50, 0.73f},
  };
  for (int n = 1; n <= 4; ++n) {
    SCOPED_TRACE(n);
    Options(n);
    ASSERT_EQ(g_Player.options.PresentCount(), n);
    // The formation breathes between 1.0 and 1.1 times its offset every 60
    // frames: 1.0 at frame counts that are whole minutes, 1.1 half way.
    // A ship that does not fire has silent options.
    int silent = 0;
    for (const float scale : {1.0f, 1.1f}) {
      const int32_t at = scale == 1.0f ? 0 : 30;
      while (g_Player.options.frameCounter % 60 != at) {
        w.Step();
        silent += int(NewShots().size());
      }
      for (const auto& r : rows) {
        if (r.n != n) continue;
        const float* p = g_Player.options.options[r.slot].position;
        EXPECT_NEAR(p[0] - g_Player.position[0], r.dx * scale, 1e-3f) << r.slot << " x" << scale;
        EXPECT_NEAR(p[1] - g_Player.position[1], r.dy * scale, 1e-3f) << r.slot << " x" << scale;
      }
    }
    EXPECT_EQ(silent, 0);
    w.Hold(CabInput::kButton1);
    std::vector<Fired> option;
    for (int f = 0; f < 3 && option.empty(); ++f) {
      w.Step();
      for (const Fired& s : NewShots())
        if (!s.Ship()) option.push_back(s);
    }
    ASSERT_EQ(option.size(), size_t(n));
    std::multiset<float> want, got;
    for (const auto& r : rows)
      if (r.n == n) want.insert(r.turns);
    for (const Fired& s : option) got.insert(std::round(s.Turns() * 1000.0f) / 1000.0f);
    EXPECT_EQ(got, want);
  }
}

TEST_F(PlayerNumbers, SoundsOfTheBombTheLockOnACatchAndAnExtend) {
  // The frames of the bomb counted from the frame of the press (0): steps
  // of 1, 1, 20, 10, 3 and 30 frames lead to step 6 at frame 64, whose
  // counter 76 is frame 140. Voices 4 or 5 (by rand) start with it.
  const std::vector<int32_t> effects = {10, 15, 25}, voices = {4, 5};
  std::map<int32_t, std::vector<int>> played;  // effect: frames
  std::map<int32_t, int32_t> level;
  std::set<int32_t> voiceAtPress;
  g_Player.options.ClearAll();
  w.Hold(CabInput::kButton1);
  w.Hold(CabInput::kButton2);
  for (int f = 0; f <= 160; ++f) {
    for (int32_t n : effects) testsupport::RearmSound(se, n);
    for (int32_t n : voices) testsupport::RearmSound(voice, n);
    w.Step();
    w.ReleaseAll();
    for (int32_t n : effects)
      if (testsupport::SoundPlayed(se, n)) played[n].push_back(f), level[n] = testsupport::SoundVolume(se, n);
    for (int32_t n : voices)
      if (testsupport::SoundPlayed(voice, n) && f == 0) {
        voiceAtPress.insert(n);
        EXPECT_EQ(testsupport::SoundVolume(voice, n), Hundredths(61440));
      }
  }
  ASSERT_EQ(g_Player.controlMode, Player::CONTROL_BOMB);
  EXPECT_EQ(played[10], (std::vector<int>{0}));
  EXPECT_EQ(played[15], (std::vector<int>{140}));
  EXPECT_EQ(played[25], (std::vector<int>{140}));
  EXPECT_EQ(level[10], Hundredths(59904));
  EXPECT_EQ(level[15], Hundredths(57344));
  EXPECT_EQ(level[25], Hundredths(65536));
  EXPECT_EQ(voiceAtPress.size(), 1u);
  const auto toNormal = [&] {
    for (int i = 0; i < 400 && g_Player.controlMode != Player::CONTROL_NORMAL; ++i) w.Step();
    ASSERT_EQ(g_Player.controlMode, Player::CONTROL_NORMAL);
  };
  toNormal();
  // The voice is the first of the pair when 2 rand() / 32767 truncates to
  // 0, the second when to 1: bombs from other seeds bring the other one.
  for (uint32_t seed = 1; seed < 12 && voiceAtPress.size() < 2; ++seed) {
    g->bombs = 2;
    for (int32_t n : voices) testsupport::RearmSound(voice, n);
    plat::SRand(seed);
    w.PressBomb();
    ASSERT_EQ(g_Player.controlMode, Player::CONTROL_BOMB);
    for (int32_t n : voices)
      if (testsupport::SoundPlayed(voice, n)) voiceAtPress.insert(n);
    toNormal();
  }
  EXPECT_EQ(voiceAtPress, (std::set<int32_t>{4, 5}));

  // The lock-on: effects 8 and 51 and voice 6 or 8 (as the bomb's pair) in
  // the frame of the press of the special button alone.
  std::set<int32_t> lockVoices;
  for (uint32_t seed = 1; seed < 12 && lockVoices.size() < 2; ++seed) {
    SCOPED_TRACE(seed);
    w.Step(2);
    g_Player.lockOnCooldown = 0;
    for (int32_t n : {8, 51}) testsupport::RearmSound(se, n);
    for (int32_t n : {6, 8}) testsupport::RearmSound(voice, n);
    plat::SRand(seed);
    w.Hold(CabInput::kButton2);
    w.Step();
    w.ReleaseAll();
    ASSERT_EQ(g_Player.controlMode, Player::CONTROL_LOCKON);
    EXPECT_TRUE(testsupport::SoundPlayed(se, 8));
    EXPECT_TRUE(testsupport::SoundPlayed(se, 51));
    EXPECT_EQ(testsupport::SoundVolume(se, 8), Hundredths(57344));
    EXPECT_EQ(testsupport::SoundVolume(se, 51), Hundredths(61440));
    for (int32_t n : {6, 8})
      if (testsupport::SoundPlayed(voice, n)) {
        lockVoices.insert(n);
        EXPECT_EQ(testsupport::SoundVolume(voice, n), Hundredths(61440));
      }
    toNormal();
  }
  EXPECT_EQ(lockVoices, (std::set<int32_t>{6, 8}));

  // A catch: effect 11.
  testsupport::RearmSound(se, 11);
  HitBody enemy;
  g_Player.SendEvent(Player::kEventLockHit, reinterpret_cast<SProcArg>(&enemy));
  EXPECT_TRUE(testsupport::SoundPlayed(se, 11));
  EXPECT_EQ(testsupport::SoundVolume(se, 11), Hundredths(57344));

  // An extend (row 1: 50,000,000 and 200,000,000): effect 58 and a life.
  g->settings[SettingsWord::extendRow] = 1;
  g->record[REC_OVERFLOW] = 0;
  g->record[REC_SCORE] = 49999990;
  const int32_t lives = g->lives;
  testsupport::RearmSound(se, 58);
  g->AddScore(9);
  EXPECT_FALSE(testsupport::SoundPlayed(se, 58));
  g->AddScore(1);
  EXPECT_TRUE(testsupport::SoundPlayed(se, 58));
  EXPECT_EQ(testsupport::SoundVolume(se, 58), Hundredths(61440));
  EXPECT_EQ(g->lives, lives + 1);
}

}  // namespace
