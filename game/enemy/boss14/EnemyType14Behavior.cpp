#include <cmath>
#include <new>

#include "game/effect/EShotMan.h"
#include "game/effect/EfxMan.h"
#include "game/effect/EfxMath.h"
#include "game/effect/RandF.h"
#include "game/enemy/BossKit.h"
#include "game/enemy/BossScript.h"
#include "game/enemy/BossSteps.h"
#include "game/enemy/ERingShotGen.h"
#include "game/enemy/EnemyToolkit.h"
#include "game/enemy/boss14/BossPartsObjectT14.h"
#include "game/enemy/boss14/EnemyType14.h"
#include "game/player/Player.h"
#include "game/tables/effect_tables.h"

namespace {

constexpr float kTwoPi = 6.2831855f;
constexpr float kPi = 3.1415927f;


// One shot of the script: hit word 5, id -1, no drift.
void Shot(int32_t code, const float* p, float z, float angle, float speed, const EShotMotion* motion = nullptr) {
  EShotMan::Fire(code, 5, p[0], p[1], z, angle, speed, motion, -1, nullptr, 1.0f);
}

// An emitter of the script: hit word 5 and shot id -1, the rest 0.
ShotGenArgs Gen() {
  ShotGenArgs g{};
  g.hit = 5;
  g.id = -1;
  return g;
}

// The satellite goal k of the six: radius 180 round the screen centre.
void SatelliteGoal(float* v, int32_t k, float orbit) {
  const float a = kTwoPi * (0.1666f * float(k) + orbit);
  v[0] = 180.0f * std::cos(a), v[1] = 180.0f * std::sin(a), v[2] = 0.0f, v[3] = 0.0f;
}
constexpr int32_t kSatelliteK[EnemyType14Behavior::kSatellites] = {1, 0, -1, -2, -3, -4};

}  // namespace

int32_t EnemyType14Behavior::Handle(int32_t code, int32_t state) {
  if (position == nullptr) position = enemy->GetPosition();
  switch (state) {
    case ENTRANCE:
      return Entrance(code);
    case RINGS:
      return Rings(code);
    case LOOP:
      return Loop(code);
    case PETALS:
      return Petals(code);
    case SATELLITES:
      return Satellites(code);
    case BOWS:
      return Bows(code);
    case CHARGE:
      return Charge(code);
    case WAIT:
      return WaitSegment(code);
    case EnemyBase::SCRIPT_RELEASED:
      return ReturnHome(code);
    case EnemyBase::SCRIPT_DEFEATED:
      return Defeat(code);
    default:
      return 0;
  }
}

void EnemyType14Behavior::EndOfAttack(int32_t n, int32_t state) {
  if (enemy->EveryFrames(n)) EndAttack(state);
}

int32_t EnemyType14Behavior::Entrance(int32_t code) {
  switch (code) {
    case CODE_ENTER:
      frame = 0;
      position[0] = 0.0f, position[1] = -80.0f, position[2] = 0.0f;
      enemy->SetMove(214.0f, 215.0f, 0, 0.5f);
      enemy->body.SetDisabled(1);
      return 1;
    case CODE_FRAME:
      if (frame == 70) enemy->SetMove(215.0f, 200.0f, 0, -0.25f);
      if (frame == 130) enemy->SetRoutePoint(0);
      if (frame == 170) ChangeState(RINGS);
      ++frame;
      return 1;
    case CODE_LEAVE:
      enemy->body.SetDisabled(0);
      return 1;
    default:
      return 0;
  }
}

int32_t EnemyType14Behavior::Rings(int32_t code) {
  switch (code) {
    case CODE_ENTER: {
      BeginAttack(LOOP);
      enemy->SetRoutePoint(0);
      BossVoice(kVoiceRings);
      ShotGenArgs g = Gen();
      g.flags = 0x20101, g.codeA = g.codeB = 516, g.angleTo = 1.0f, g.speedFrom = 2.0f, g.speedTo = 4.0f;
      g.ways = 27, g.spread = 1.0f, g.rows = 1, g.stepFrames = 30, g.steps = 1000, g.delay = 40.0f;
      AddShotGen(enemy, position, g, enemy);
      for (int32_t i = 0; i < 8; ++i)
        SpawnChild<ERingShotGen>(enemy, 0, 0, position, 0.125f * float(i), 0.05f, 5.0f, i * 1000, 0, enemy);
      return 1;
    }
    case CODE_FRAME:
      EndOfAttack(300, WAIT);
      ++frame;
      return 1;
    case CODE_LEAVE:
      KillBossGenerators(enemy);
      return 1;
    default:
      return 0;
  }
}

void EnemyType14Behavior::LoopWall() {
  ShotGenArgs g = Gen();
  g.flags = 0x101, g.angle = angleA, g.speedFrom = 4.5f, g.speedTo = 3.0f, g.ways = 1, g.rows = 6;
  g.rowWidth = 70.0f, g.steps = 7, g.offsetY = 40.0f;
  AddShotGen(enemy, position, g, enemy);
}

void EnemyType14Behavior::LoopBurst(bool mirrored) {
  ShotGenArgs g = Gen();
  g.codeA = g.codeB = 516, g.rows = 1, g.stepFrames = 2, g.steps = 22;
  if (PlayerPos.y >= -50.0f) {
    g.flags = 0x40101, g.angle = mirrored ? 0.15f : 0.35f, g.angleTo = mirrored ? -0.01f : 0.01f;
    g.speedFrom = 4.5f, g.speedTo = 3.0f, g.ways = 4, g.spread = 0.1f;
  } else {
    g.flags = 0x50101, g.speedFrom = 5.5f, g.speedTo = 4.0f, g.ways = 5, g.spread = 0.2f;
  }
  AddShotGen(enemy, position, g, enemy);
}

int32_t EnemyType14Behavior::Loop(int32_t code) {
  switch (code) {
    case CODE_ENTER: {
      BeginAttack(PETALS);
      motionClock = 0;
      enemy->SetRoutePointEx(0, 0.1666f);
      BossVoice(kVoiceLoop);
      static constexpr float kOffset[4][2] = {{0.0f, 0.0f}, {-100.0f, -20.0f}, {0.0f, -40.0f}, {100.0f, -20.0f}};
      static constexpr float kTension[4] = {-0.8f, 0.8f, -0.8f, 0.8f};
      for (int i = 0; i < 4; ++i) {
        for (int c = 0; c < 4; ++c) pathPoints[i][c] = position[c];
        pathPoints[i][0] += kOffset[i][0], pathPoints[i][1] += kOffset[i][1];
      }
      float tangents[4][4];
      for (int i = 0; i < 4; ++i)
        CalcSplineTangent(tangents[i], pathPoints[(i + 3) % 4], pathPoints[i], pathPoints[(i + 1) % 4], kTension[i],
                          0.0f);
      path.Clear();
      for (int i = 0; i < 4; ++i) path.AddKey(pathPoints[i], tangents[i], 60.0f, -1.0f);
      path.AddKey(pathPoints[0], tangents[0], 0.0f, -1.0f);
      path.loop = 1;
      angleA = 0.0f;
      return 1;
    }
    case CODE_FRAME: {
      const int32_t t = frame % 240;
      if (t >= 60 && t <= 150) {
        if (t == 60) angleA = 0.375f;
        if (t % 15 == 0) {
          LoopWall();
          angleA -= 0.03f;
        }
        if (t == 140) LoopBurst(false);
      } else if (frame > 60) {
        if (t == 175) angleA = 0.125f;
        if (t % 15 == 0) {
          LoopWall();
          angleA += 0.03f;
        }
        if (t == 30) LoopBurst(true);
      }
      // The body's motions 1 to 6, one every 40 frames; the clock goes back
      // from 300 to 59, so they come round again while the loop lasts.
      if (motionClock >= 60 && motionClock <= 260 && motionClock % 40 == 20)
        enemy->SetRoutePoint(uint32_t(1 + (motionClock - 60) / 40));
      if (motionClock == 300) motionClock = 59;
      ++motionClock;
      path.Advance(position, 1.0f);
      EndOfAttack(420, EnemyBase::SCRIPT_RELEASED);
      ++frame;
      return 1;
    }
    case CODE_LEAVE:
      path.Clear();
      return 1;
    default:
      return 0;
  }
}

int32_t EnemyType14Behavior::Petals(int32_t code) {
  switch (code) {
    case CODE_ENTER:
      BeginAttack(SATELLITES);
      enemy->SetRoutePoint(0);
      angleA = 0.0f;
      return 1;
    case CODE_FRAME: {
      BossHover(position, home, frame);
      const int32_t t = frame % 45;
      if (t == 0) {
        // Four arms, each opening into two curved branches: 88 shots.
        for (int i = 0; i <= 10; ++i) {
          const float r = float(i) / 11.0f;
          const float speed = 4.5f - 3.6f * r;
          for (int j = 0; j < 4; ++j) {
            Shot(12, position, position[2], angleA + 0.25f * float(j) + 0.2f * r, speed);
            Shot(12, position, position[2], angleA + 0.25f * float(j) - 0.2f * r, speed);
          }
        }
        angleA += 0.04f;
      }
      if (t == 10) {
        const EShotMotion* m = ParamTable::FindValue(3);
        for (int i = 0; i < 45; ++i) Shot(512, position, position[2], float(i) / 45.0f, 2.0f, m);
      }
      EndOfAttack(220, WAIT);
      ++frame;
      return 1;
    }
    default:
      return 0;
  }
}

int32_t EnemyType14Behavior::Satellites(int32_t code) {
  switch (code) {
    case CODE_ENTER: {
      BeginAttack(BOWS);
      enemy->SetRoutePoint(0);
      orbit = 0.0f;
      satellites.Clear();
      for (int i = 0; i < kSatellites; ++i) {
        const int32_t k = kSatelliteK[i];
        BossOption2D* o = BossOption2D::Spawn(enemy, SprEfx02_5Keys);
        satellites.Set(i, o);
        if (o == nullptr) continue;  // no satellite, and nothing fires from it
        float v[4];
        SatelliteGoal(v, k, 0.0f);
        o->SetTarget(v, 0.04f);
        ShotGenArgs g = Gen();
        g.flags = 0x101, g.codeA = g.codeB = 784, g.angle = 0.1666f * float(k) + 0.0001f;
        g.angleFrom = g.angleTo = 0.045f, g.speedFrom = g.speedTo = 2.0f, g.ways = 1, g.rows = 1;
        g.stepFrames = 20, g.steps = 1000, g.delay = 150.0f;
        AddShotGen(enemy, o->Position(), g, o);
      }
      satellites.ForEach([this](BossOption2D& o, int) {
        ShotGenArgs g = Gen();
        g.flags = 0x101, g.codeA = g.codeB = 522, g.speedFrom = g.speedTo = 2.0f, g.ways = 15, g.spread = 1.0f;
        g.rows = 1, g.stepFrames = 120, g.steps = 1000, g.delay = 120.0f;
        AddShotGen(enemy, o.Position(), g, &o);
      });
      return 1;
    }
    case CODE_FRAME:
      BossHover(position, home, frame);
      // The satellites glide out for 120 frames; from then on the ring of
      // six turns, each held exactly to its place on it (rate 1).
      if (frame >= 120) {
        orbit += 0.0014992504f;
        satellites.ForEach([this](BossOption2D& o, int i) {
          float v[4];
          SatelliteGoal(v, kSatelliteK[i], orbit);
          o.SetTarget(v, 1.0f);
        });
      }
      EndOfAttack(787, WAIT);
      ++frame;
      return 1;
    case CODE_LEAVE:
      if (SProcList* l = enemy->GetList(2)) l->Broadcast(kHitEventDefeated, 0);
      KillBossGenerators(enemy);
      return 1;
    default:
      return 0;
  }
}

int32_t EnemyType14Behavior::Bows(int32_t code) {
  switch (code) {
    case CODE_ENTER:
      BeginAttack(CHARGE);
      enemy->SetRoutePoint(0);
      angleA = 0.0f;
      return 1;
    case CODE_FRAME:
      if (frame >= 120 && frame <= 588 && frame % 10 == 0) {
        for (int i = 0; i < 14; ++i) {
          const float u = float(i) / 14.0f;
          Shot(12, position, position[2], angleA - 0.2f + 0.4f * u, 1.5f + std::sin(kPi * u));
        }
        for (int i = 0; i < 19; ++i) {
          const float u = float(i) / 19.0f;
          Shot(524, position, position[2], angleA - 0.2f + 0.4f * u, 2.0f + std::sin(kPi * u));
        }
        angleA += 0.11f;
      }
      if (frame == 40) enemy->SetRoutePoint(17);
      if (frame == 120) {
        BossSe(6);
        enemy->SetRoutePoint(18);
      }
      if (frame == 588) enemy->SetRoutePoint(19);
      if (frame == 612) enemy->SetRoutePoint(0);
      EndOfAttack(620, WAIT);
      ++frame;
      return 1;
    default:
      return 0;
  }
}

int32_t EnemyType14Behavior::Charge(int32_t code) {
  switch (code) {
    case CODE_ENTER:
      BeginAttack(RINGS);
      enemy->SetRoutePoint(0);
      BossVoice(kVoiceCharge);
      return 1;
    case CODE_FRAME: {
      if (frame == 62 || frame == 222) {
        BossSe(2);
        static constexpr float kFrom[4] = {0.0f, 0.4f, 0.8f, 0.8f};
        static constexpr float kTo[4] = {0.35f, 0.35f, 0.4f, 0.1f};
        for (int i = 0; i < 6; ++i) {
          SMatrix m;
          GetSharedMatrix(&m, 1);
          const float ax = RandFS() * 0.12f;
          const float ay = RandFS() * 0.12f;
          MatrixRotateX(&m, ax);
          RotateLeft(&m, 1, ay);
          for (int c = 0; c < 3; ++c) m.m[3][c] = position[c] + RandFS() * 30.0f;
          if (EfxMan* efx = EfxMan::Instance())
            efx->SpawnC(0, 2, &m, 0.0f, 512.0f, 0.0f, 64.0f, kFrom, kTo, 240, nullptr);
        }
        sweep = 0;
      }
      // The shots are born on the rim of the flash's ring, which widens to
      // 512 over its 240 frames: `sweep` counts from the flash.
      const bool first = frame >= 72 && frame <= 169 && frame % 4 == 0;
      const bool second = frame >= 232 && frame <= 329 && frame % 3 == 0;
      if (first || second) {
        const float r = (1.0f - std::cos(float(sweep) / 240.0f * kPi * 0.5f)) * 512.0f - 9.0f;
        const EShotMotion* m = ParamTable::FindValue(4);
        for (int i = 0, n = first ? 17 : 20; i < n; ++i) {
          const float a = RandF();
          const float at[2] = {position[0] + r * std::cos(kTwoPi * a), position[1] + r * std::sin(kTwoPi * a)};
          Shot(12, at, 0.0f, a, 0.3f, m);
        }
      }
      if (frame == 0) enemy->SetRoutePoint(17);
      if (frame == 92) {
        BossSe(6);
        enemy->SetRoutePoint(18);
      }
      if (frame == 340) enemy->SetRoutePoint(19);
      if (frame == 364) enemy->SetRoutePoint(0);
      ++sweep, ++frame;
      EndOfAttack(364, EnemyBase::SCRIPT_RELEASED);
      return 1;
    }
    default:
      return 0;
  }
}

int32_t EnemyType14Behavior::ReturnHome(int32_t code) {
  // Motion 0 is set only when another motion is on: the charge starts it
  // on its own last frame, and setting it again would restart its run.
  return FlyHome(code, {80.0f, 0, kDefeat, true}, home);
}

int32_t EnemyType14Behavior::Defeat(int32_t code) {
  if (code == CODE_FRAME) return 1;
  if (code != CODE_ENTER) return 0;
  frame = 0;
  // Every child goes now (the satellites without their fade); the pause of
  // the timeline stays as long as the wreck.
  enemy->KillChildrenAll(0);
  enemy->SetRoutePoint(20);
  StopBossVoices({kVoiceRings, kVoiceLoop, kVoiceCharge});
  BossVoice(RandF() > 0.5f ? kVoiceDefeatA : kVoiceDefeatB);
  BossPartsObject::Attach(enemy, new (std::nothrow) BossPartsObjectT14(&enemy->model));
  return 1;
}
