#include <cmath>
#include <cstdint>
#include <new>

#include "game/effect/ELaserGen.h"
#include "game/effect/EfxMan.h"
#include "game/effect/EfxMath.h"
#include "game/effect/RandF.h"
#include "game/enemy/BossKit.h"
#include "game/enemy/EnemyToolkit.h"
#include "game/enemy/EnemySet.h"
#include "game/enemy/SpawnChild.h"
#include "game/enemy/boss10/Boss10.h"
#include "game/stage/MapMng.h"
#include "game/tables/effect_tables.h"

namespace {

constexpr float kTwoPi = 6.28318530718f;
constexpr int32_t kLevel = 65536;
// Sounds: the climb's roar and each volley, the climb's ring burst.
constexpr int32_t kSoundVolley = 42;
constexpr int32_t kSoundRing = 36;
// The climb: from (0, -4000, 4170) up and forward over 130 counts.
constexpr float kClimbY0 = -4000.0f, kClimbRise = 3358.0f;
constexpr float kClimbZ0 = 4170.0f, kClimbAdvance = 1146.0f;
// The muzzle and ring effect sprites: the spark sequence at the muzzles,
// the growing ring for the climb's ring burst.
constexpr uint32_t kMuzzleSheet = 14;
constexpr float kMuzzleSize = 23.0f;
constexpr float kRingSize = 30.0f;
constexpr float kMuzzleWhite[4] = {1.0f, 1.0f, 1.0f, 0.9f};
constexpr float kMuzzleFade[4] = {1.0f, 0.8f, 0.5f, 0.0f};

// The generator rows (construction values in order).
constexpr ShotGenArgs kGenF = {0x40101, 5, 516, 516, 0.25f, 0, 0, 2.5f, 2.5f, 5, 1.0f, 1, 0, 10, 1000, 0, 0, 0, 0,
                               0, 0, 0, nullptr, -1, 0};
constexpr ShotGenArgs kGenA1 = {0x101, 5, 0, 0, 0.25f, 0, 0, 0.7f, 0.7f, 25, 1.0f, 1, 0, 0, 1, 0, 0, 0, 0,
                                0, 0, 0, nullptr, -1, 0};
constexpr ShotGenArgs kGenA4 = {0x101, 5, 260, 260, 0.25f, 0, 0, 3.0f, 3.0f, 25, 1.0f, 1, 0, 0, 1, 0, 0, 0, 0,
                                0, 0, 0, nullptr, -1, 0};
constexpr ShotGenArgs kGenG = {0x40101, 5, 256, 256, 0.25f, 0, 0, 0.5f, 0.3f, 30, 1.0f, 1, 0, 5, 16, 0, 0, 0, 0,
                               0, 0, 0, nullptr, -1, 0};
constexpr ShotGenArgs kGenB = {0x101, 5, 260, 260, 0.25f, 0, 0, 3.2f, 3.5f, 20, 1.0f, 0, 0, 0, 3, 0, 0, 0, 0,
                               0, 0, 0, nullptr, -1, 0};

}  // namespace

float EnemyType10Behavior::Value() const { return enemy->animator.value; }

void EnemyType10Behavior::MuzzleSprites(const float* at, int32_t n) {
  // The n sparks stand on the muzzle, each turned i/n of a turn further, so
  // that a burst reads as a star.
  const SVec4 p{at[0], at[1], at[2], 1.0f};
  for (int32_t i = 0; i < n; ++i)
    g_EfxMan.SpawnSprite(kMuzzleSheet, &p, SprEfx01_4KeysB, kMuzzleWhite, kMuzzleFade, 4, 10, float(i) / float(n),
                         kMuzzleSize, kMuzzleSize, nullptr, nullptr, 0.0f, 1);
}

void EnemyType10Behavior::EmitterTriples() {
  for (int32_t rest = 0; rest <= 12; rest += 2) {
    SpawnChild<BossArrowEmitter>(enemy, 0, 0, emitterPoint, enemy, RandFS(), 2.0f, 3000, rest);
    SpawnChild<BossArrowEmitter>(enemy, 0, 0, emitterPoint, enemy, RandFS(), 3.5f, 3000, rest);
    const float aim = AngleToPlayer(position[0], position[1]);
    SpawnChild<BossArrowEmitter>(enemy, 0, 0, emitterPoint, enemy, aim, 3.0f, 3000, rest);
  }
}

void EnemyType10Behavior::VolleyA() {
  const float v = Value();
  if (v != 308.0f && v != 321.0f) return;
  const bool first = v == 308.0f;
  BossSe(kSoundVolley, kLevel);
  const float s1 = RandFS();
  const float s2 = RandFS();
  volleyPoint[0] = emitterPoint[0] + 400.0f * s1;
  volleyPoint[1] = emitterPoint[1] + 150.0f * s2;
  volleyPoint[2] = emitterPoint[2];
  volleyPoint[3] = 1.0f;
  static constexpr float kHeadings[3] = {0.25f, 0.245f, 0.255f};
  for (int i = 0; i < 3; ++i) {
    ShotGenArgs a = kGenA1;
    a.angle = kHeadings[i];
    a.delay = i == 0 ? 0.0f : 10.0f;
    AddShotGen(enemy, volleyPoint, a, enemy);
  }
  float* muzzlePoint = first ? muzzle[1] : muzzle[2];
  for (int i = 0; i < 3; ++i) {
    ShotGenArgs a = kGenA4;
    a.angle = i == 2 ? (first ? 0.254f : 0.255f) : kHeadings[i];
    a.delay = i == 0 ? 0.0f : 3.0f;
    AddShotGen(enemy, muzzlePoint, a, enemy);
  }
  MuzzleSprites(muzzlePoint, 16);
}

void EnemyType10Behavior::VolleyB() {
  const float v = Value();
  if (v != 308.0f && v != 321.0f) return;
  float* muzzlePoint = v == 308.0f ? muzzle[1] : muzzle[2];
  BossSe(kSoundVolley, kLevel);
  AddShotGen(enemy, muzzlePoint, kGenB, enemy);
  MuzzleSprites(muzzlePoint, 16);
}

int32_t EnemyType10Behavior::Handle(int32_t code, int32_t state) {
  switch (state) {
    case kClimb:
      return Climb(code);
    case kArrowTour:
      return ArrowTour(code);
    case kFanCannon:
      return FanCannon(code);
    case kLasers:
      return Lasers(code);
    case EnemyBase::SCRIPT_RELEASED:
      return Return(code);
    case EnemyBase::SCRIPT_DEFEATED:
      return Defeat(code);
    default:
      return 0;
  }
}

int32_t EnemyType10Behavior::Climb(int32_t code) {
  if (code == CODE_ENTER) {
    frame = step = 0;
    swaySpeed = 4.3f;
    position[0] = 0.0f, position[1] = kClimbY0, position[2] = kClimbZ0;
    enemy->SetRoutePoint(0);
    return 1;
  }
  if (code == CODE_LEAVE) {
    enemy->body.SetDisabled(0);
    return 1;
  }
  if (code != CODE_FRAME) return 0;
  auto place = [this](float t) {
    position[1] = kClimbRise * t + kClimbY0;
    position[2] = kClimbZ0 - kClimbAdvance * t;
  };
  switch (step) {
    case 0: {
      const int32_t v = int32_t(Value());
      if (v == 546 || v == 552 || v == 556 || v == 558) BossSe(kSoundVolley, kLevel);
      place(float(frame) / 130.0f);
      if (frame < 60) ++frame;
      if (SegmentDone(2)) {
        enemy->SetRoutePoint(1);
        step = 1;
      }
      break;
    }
    case 1:
      place(std::fmin(float(frame) / 130.0f, 1.0f));
      if (frame > 90 && frame < 131 && (frame & 4) != 0) {
        MuzzleSprites(muzzle[1], 1);
        MuzzleSprites(muzzle[2], 1);
      }
      if (frame == 128) {
        BossSe(kSoundRing, kLevel);
        for (int k = 0; k < 7; ++k) {
          const float a = kTwoPi * (0.05f * float(k) + 0.1f);
          for (int m = 1; m <= 2; ++m) {
            const SVec4 p{muzzle[m][0] + 100.0f * std::cos(a), muzzle[m][1] + 80.0f * std::sin(a), muzzle[m][2],
                          1.0f};
            g_EfxMan.SpawnSprite(kMuzzleSheet, &p, SprEfx00_4KeysB, kMuzzleWhite, kMuzzleFade, 6, 14, 0.0f,
                                 kRingSize, kRingSize, nullptr, nullptr, 0.0f, 1);
          }
        }
      }
      ++frame;
      if (SegmentDone()) {
        enemy->SetRoutePoint(2);
        step = 2;
      }
      break;
    default:
      if (SegmentDone()) ChangeState(kArrowTour);
      break;
  }
  return 1;
}

int32_t EnemyType10Behavior::ArrowTour(int32_t code) {
  if (code == CODE_ENTER) {
    frame = step = 0;
    SetHome(kFanCannon);
    enemy->SetRoutePoint(3);
    EmitterTriples();
    return 1;
  }
  if (code == CODE_LEAVE) {
    KillBossGenerators(enemy);
    return 1;
  }
  if (code != CODE_FRAME) return 0;
  if (enemy->routeCursorIndex == 4) position[0] += swaySpeed;
  if (enemy->routeCursorIndex == 7) position[0] -= swaySpeed;
  // Each sub-step waits for its route (arrived, or completed n times),
  // then loads the next one.
  auto advance = [this](uint32_t times, int32_t route) {
    if (!SegmentDone(times)) return false;
    enemy->SetRoutePoint(uint32_t(route));
    ++step;
    return true;
  };
  switch (step) {
    case 0:
    case 8:
      advance(1, 4);
      break;
    case 1:
    case 9:
      advance(2, 5);
      break;
    case 2:
    case 6:
      if (SegmentDone()) KillBossGenerators(enemy);
      advance(1, 24);
      break;
    case 3:
    case 7:
      VolleyB();
      if (SegmentDone()) EmitterTriples();
      advance(1, step == 3 ? 6 : 3);
      break;
    case 4:
      advance(1, 7);
      break;
    case 5:
      advance(4, 8);
      break;
    case 10:
      if (SegmentDone()) {
        KillBossGenerators(enemy);
        enemy->SetMove(300.0f, 325.0f, 0, 0.25f);
        ++step;
      }
      break;
    default:
      VolleyB();
      if (SegmentDone()) NextOrTimeUp(EnemyBase::SCRIPT_RELEASED, kDefeat);
      break;
  }
  return 1;
}

int32_t EnemyType10Behavior::FanCannon(int32_t code) {
  if (code == CODE_ENTER) {
    frame = 0;
    SetHome(kLasers);
    enemy->SetRoutePoint(24);
    AddShotGen(enemy, hitPoint, kGenF, enemy);
    return 1;
  }
  if (code == CODE_LEAVE) {
    KillBossGenerators(enemy);
    return 1;
  }
  if (code != CODE_FRAME) return 0;
  VolleyA();
  ++frame;
  if (enemy->EveryFrames(299)) NextOrTimeUp(kLasers, kDefeat);
  return 1;
}

int32_t EnemyType10Behavior::Lasers(int32_t code) {
  if (code == CODE_ENTER) {
    frame = step = 0;
    SetHome(kArrowTour);
    return 1;
  }
  if (code != CODE_FRAME) return code == CODE_LEAVE;
  switch (step) {
    case 0:
      if (SegmentDone()) {
        enemy->SetRoutePoint(15);
        step = 1;
      }
      break;
    case 1:
      if (Value() == 107.0f) {
        BossSe(kSoundVolley, kLevel);
        MuzzleSprites(muzzle[1], 8);
        MuzzleSprites(muzzle[2], 8);
      }
      if (SegmentDone()) {
        frame = 0;
        enemy->SetRoutePoint(16);
        ShotGenArgs g = kGenG;
        g.motion = ParamTable::FindValue(1);
        AddShotGen(enemy, muzzle[0], g, enemy);
        // Eight lasers from node 91; the one matrix turns on, so laser i
        // points at 0.125 x i(i + 1)/2 turns. Each copies the matrix.
        SMatrix m;
        GetSharedMatrix(&m, 1);
        for (int i = 0; i < 3; ++i) m.m[3][i] = muzzle[0][i];
        for (int i = 0; i < 8; ++i) {
          MatrixRotateZ(&m, 0.125f * float(i));
          ELaserGen* laser = ELaserGen::ELaserGenEx(&m, i == 0 ? 0x40000u : 0x240000u, 25.0f, 200, 1, 0.7f, 3.0f,
                                                    5.0f, 50.0f, 20.0f, 4.0f, 6.0f, 55.0f, 28.0f, 30);
          if (laser == nullptr) continue;
          enemy->AddChild(0, laser, 0);
          if (laser->GetParent() == nullptr) delete laser;
        }
        step = 2;
      }
      break;
    case 2:
      if (SegmentDone(5)) {
        enemy->SetRoutePoint(17);
        step = 3;
      }
      break;
    default:
      if (SegmentDone()) {
        enemy->SetRoutePoint(0);
        NextOrTimeUp(next, kDefeat);
      }
      break;
  }
  return 1;
}

// The craft does not slide home like the smaller bosses: it banks into the
// turn (stretch 3 or 6) where it stands, flies the path home level (4 or 7),
// banks out (5 or 8) and, once that has arrived, starts the next attack at
// once on the idle stretch (2). Only a craft standing right of its home
// point flies; one on it or left of it idles (2) where it is first.
int32_t EnemyType10Behavior::Return(int32_t code) {
  if (code == CODE_ENTER) {
    if (DefeatWhenOverTime(enemy)) return 1;
    frame = step = 0;
    if (position[0] - home[0] < 0.0001f) {
      enemy->SetRoutePoint(2);
      return 1;
    }
    PathTo(path, position, home, 104.0f);
    enemy->SetRoutePoint(home[0] > position[0] ? 3 : 6);
    return 1;
  }
  if (code == CODE_LEAVE) {
    step = 0;
    enemy->everyCounter = 0;
    path.Clear();
    return 1;
  }
  if (code != CODE_FRAME) return 0;
  const int32_t cursor = enemy->routeCursorIndex;
  switch (step) {
    case 0:
      if (!SegmentDone()) break;
      if (cursor == 2) {
        ChangeState(next);
        break;
      }
      step = 1;
      frame = 0;
      enemy->SetRoutePoint(cursor == 3 ? 4 : 7);
      break;
    case 1:
      if (!path.Advance(position, 1.0f)) {
        step = 2;
        enemy->SetRoutePoint(cursor == 4 ? 5 : 8);
      }
      break;
    default:
      if (!SegmentDone()) break;
      if (cursor != 2) enemy->SetRoutePoint(2);
      ChangeState(next);
      break;
  }
  return 1;
}

int32_t EnemyType10Behavior::Defeat(int32_t code) {
  if (code == CODE_ENTER) {
    frame = step = 0;
    // Every child ends; the timeline stays paused until the defeat lets it go.
    KillBossChildren(enemy);
    enemy->SetRoutePoint(25);
    BossPartsObject::Attach(enemy, new (std::nothrow) BossPartsObjectT10(&enemy->model));
    return 1;
  }
  if (code != CODE_FRAME) return code == CODE_LEAVE;
  switch (step) {
    case 0:
    case 1:
      if (SegmentDone()) enemy->SetRoutePoint(uint32_t(26 + step++));
      break;
    case 2:
      if (SegmentDone(2)) {
        enemy->SetRoutePoint(28);
        step = 3;
      }
      break;
    case 3:
      if (SegmentDone()) {
        step = 4;
        frame = 0;
      }
      break;
    default:
      if (frame == 120) {
        enemy->ReleaseTimeline();
        g_MapMng.StartTransition(1.0f, 60);
        g_MapMng.armed = 0;
      }
      if (frame == 400) enemy->Kill(0);
      ++frame;
      break;
  }
  return 1;
}
