#include <cmath>
#include <new>

#include "game/effect/ELaserGen.h"
#include "game/effect/EShotMan.h"
#include "game/effect/EfxMan.h"
#include "game/effect/RandF.h"
#include "game/enemy/BossKit.h"
#include "game/enemy/BossShots.h"
#include "game/enemy/boss03/EnemyType3.h"
#include "game/player/Player.h"
#include "game/stage/MapMng.h"
#include "game/tables/shot_tables.h"

namespace {

constexpr float kHalfPi = 1.5707964f;
constexpr float kTwoPi = 6.2831855f;
constexpr float kRiseTop = -730.0f;
constexpr int32_t kFlashCount = 8;

// The muzzle flash of the cannons' direct shots: rects 25 to 32 of the shot
// sheet, seven of one frame and the last of two.
const SGpKeyList kFlashKeys[kFlashCount + 1] = {
    {&SprEShot00[25], 1.0f}, {&SprEShot00[26], 1.0f}, {&SprEShot00[27], 1.0f}, {&SprEShot00[28], 1.0f},
    {&SprEShot00[29], 1.0f}, {&SprEShot00[30], 1.0f}, {&SprEShot00[31], 1.0f}, {&SprEShot00[32], 2.0f},
    {nullptr, 0.0f}};

// First set (on the cannons' muzzle points).
ShotTuple A(int k) {
  const float f = float(k) / 8.0f;
  return {0x401, 5, 0x20A, 0x20A, 0, f + 0.25f, f + 0.5f, 3.0f, 4.6f, 4, 1.0f, 1, 0, 3, 14, 0, 0, 0, 0, 0, 1,
          80.0f * float(k), 0, -1, 0};
}
ShotTuple B(int k) {
  const float f = float(k) / 8.0f;
  return {0x401, 5, 10, 10, 0, f + 0.375f, f + 0.125f, 3.0f, 4.6f, 4, 1.0f, 1, 0, 3, 14, 0, 0, 0, 0, 0, 1,
          80.0f * float(k) + 40.0f, 0, -1, 0};
}
constexpr ShotTuple kC = {0x101, 5, 10, 10, 0.25f, 0, 0, 5.0f, 5.0f, 30, 1.0f, 1, 0, 5, 3, 300, 45, 0, 0, 0, 1,
                          45.0f, -1, -1, 0};
constexpr ShotTuple kD = {0x101, 5, 10, 10, 0.266f, 0, 0, 5.0f, 5.0f, 30, 1.0f, 1, 0, 5, 3, 300, 45, 0, 0, 0, 1,
                          75.0f, -1, -1, 0};
constexpr ShotTuple kE = {0x101, 5, 10, 10, 0.375f, -0.024f, -0.024f, 3.3f, 3.3f, 5, 0.3f, 1, 0, 10, 160, 0, 0, 0,
                          0, 0, 1, 0, -1, -1, 0};
constexpr ShotTuple kF = {0x101, 5, 10, 10, 0.125f, 0.024f, 0.024f, 3.3f, 3.3f, 5, 0.3f, 1, 0, 10, 160, 0, 0, 0,
                          0, 0, 1, 0, -1, -1, 0};
constexpr ShotTuple kG = {0x40101, 5, 0x204, 0x204, 0, 0, 0, 2.0f, 3.0f, 7, 1.0f, 1, 0, 5, 400, 0, 0, 0, 0, 0, 1,
                          80.0f, -1, -1, 0};
// Second set and body.
constexpr ShotTuple kH = {0x50101, 5, 0x204, 0x204, 0, 0, 0, 1.0f, 4.0f, 7, 0.3f, 1, 0, 3, 17, 0, 0, 0, 0, 0, 1,
                          200.0f, 1, -1, 0};
ShotTuple R1(float a) {
  return {0x101, 5, 10, 10, 0, a, a + 0.05f, 4.5f, 2.5f, 1, 0, 1, 0, 1, 8, 2, 8, 0, 0, 0, 0, 0, -1, -1, 0};
}
ShotTuple R2(float a) {
  return {0x101, 5, 10, 10, 0, a, a - 0.05f, 4.5f, 2.5f, 1, 0, 1, 0, 1, 8, 2, 8, 0, 0, 0, 0, 0, -1, -1, 30};
}
ShotTuple T(float aim, int32_t n, float delay) {
  return {0x101, 5, 0x309, 0x309, aim, 0, 0, 3.0f, 3.0f, n, 1.0f, 1, 0, 0, 1, 0, 0, 0, 0, 0, 0, delay, -1, -1, 0};
}

void MuzzleFlash(B001Cannon& c) {
  const SVec4 at{c.hitPosition[0], c.hitPosition[1], c.hitPosition[2], c.hitPosition[3]};
  g_EfxMan.SpawnSprite(7, &at, kFlashKeys, nullptr, nullptr, 2, 6, RandF(), 1.0f, 1.0f, nullptr, nullptr, 0.0f, 1);
}

}  // namespace

EnemyType3Behavior::EnemyType3Behavior(EnemyType3* boss)
    : BossPhases(boss),
      wheels{boss, boss, boss, boss, boss, boss, boss, boss},
      cannons{boss, boss, boss, boss, boss, boss} {}

void EnemyType3Behavior::SetWheelSpin(float target, float frames) {
  for (B001Wheel& w : wheels) {
    w.startSpeed = w.speed;
    w.targetSpeed = target;
    w.easeFrames = frames;
    w.easeCounter = 0.0f;
  }
}

void EnemyType3Behavior::AddCannons(int first) {
  for (int i = 0; i < 3; ++i) {
    B001Cannon& c = cannons[first + i];
    c.SetStatic(true);
    enemy->AddChild(2, &c, i);
  }
}

void EnemyType3Behavior::ShotS1(B001Cannon& c) {
  MuzzleFlash(c);
  const float* p = c.hitPosition;
  const float a = 1.0f - c.angle;
  EShotMan::Fire(0x204, 5, p[0], p[1], p[2], a + 0.25f + 0.12f * RandFS(), 2.5f, nullptr, -1, nullptr, 1.0f);
}

void EnemyType3Behavior::ShotS2(B001Cannon& c) {
  MuzzleFlash(c);
  const float* p = c.hitPosition;
  const float a = 1.0f - c.angle;
  for (float d : {0.23f, 0.27f, 0.19f, 0.31f})
    EShotMan::Fire(10, 5, p[0], p[1], p[2], a + d, 5.0f, nullptr, -1, nullptr, 1.0f);
}

bool EnemyType3Behavior::OnEnter(int32_t state) {
  EnemyType3& e = *enemy;
  switch (state) {
    case ROLL_IN:
      BossSe(kEngineSound);
      frame = 0;
      e.SetCannonTables(0);
      e.SetRoutePoint(0);
      AddCannons(0);
      for (int i = 0; i < 3; ++i) cannons[i].shield.Detach();
      cannons[0].body.SetMask(6);
      cannons[1].body.SetMask(6);
      cannons[2].body.SetMask(4);
      SetWheelSpin(0.02f, 120.0f);
      return true;
    case SETTLE_A:
    case SETTLE_B:
      frame = 0;
      return true;
    case FANS:
      next = ARCS;
      frame = 0;
      for (int i = 0; i < 3; ++i) cannons[i].body.SetDisabled(0);
      e.body.SetDisabled(0);
      e.armour.SetDisabled(1);
      for (int k = 0; k < 2; ++k) {
        StartShots(&cannons[2], cannons[2].hitPosition, &cannons[2], A(k));
        StartShots(&cannons[2], cannons[2].hitPosition, &cannons[2], B(k));
      }
      return true;
    case ARCS:
      frame = 0;
      next = STREAMS;
      StartShots(&cannons[2], cannons[2].hitPosition, &cannons[2], kC);
      StartShots(&cannons[2], cannons[2].hitPosition, &cannons[2], kD);
      return true;
    case STREAMS:
      frame = 0;
      next = FANS;
      e.SetRoutePoint(0);
      cannons[0].SetRateTarget(0.2f, 60.0f, 2);
      cannons[1].SetRateTarget(0.2f, 60.0f, 2);
      StartShots(&cannons[0], cannons[0].hitPosition, &cannons[0], kE);
      StartShots(&cannons[1], cannons[1].hitPosition, &cannons[1], kF);
      StartShots(&cannons[2], cannons[2].hitPosition, &cannons[2], kG);
      return true;
    case UNFOLD:
      frame = 0;
      step = 0;
      e.everyCounter = 0;
      // The recoil route moves 9 entries on: in the boss's own copy of its
      // record, never in the stage's.
      e.own.param.recoilRouteIndex = 9;
      if (SProcList* l = e.GetList(2)) l->Broadcast(kHitEventDefeated, 0);
      return true;
    case RISE:
      return true;
    case LASER:
      frame = 0;
      next = QUADS;
      SpawnChild<ELaserGen>(&cannons[5], 0, 0, cannons[5].muzzleMatrix, 0x40000u, 25.0f, 254, 0, 0.7f, 2.0f, 5.0f,
                            32.0f, 18.0f, 3.0f, 6.0f, 30.0f, 15.0f, 30, &cannons[5]);
      return true;
    case QUADS:
      frame = 0;
      next = LASER;
      StartShots(&cannons[5], cannons[5].hitPosition, &cannons[5], kH);
      return true;
    case CORE:
      frame = 0;
      SetWheelSpin(0.02f, 120.0f);
      e.everyCounter = 0;
      e.body.SetDisabled(0);
      e.armour.SetDisabled(0);
      for (int i = 3; i <= 4; ++i) {
        cannons[i].SetAngleTarget(0.0f, 30.0f, 1);
        cannons[i].body.SetMask(B001Cannon::kMuzzleMask);
        cannons[i].shield.SetMask(2);
      }
      return true;
    case RINGS: {
      frame = 0;
      next = RINGS;
      // Every other volley turns by half the gap between two shots, so that
      // its rings fly through the gaps of the last.
      const float half = float(step & 1) / 16.0f;
      for (int j = -4; j <= 4; ++j) {
        const float a = float(j) / 8.0f + half + 0.25f;
        StartShots(&e, e.hitPosition, &e, R1(a));
        StartShots(&e, e.hitPosition, &e, R2(a));
      }
      const float aim = std::atan2(PlayerPos.y - e.hitPosition[1], PlayerPos.x - e.hitPosition[0]) / kTwoPi;
      StartShots(&e, e.hitPosition, &e, T(aim, 13, 70.0f));
      StartShots(&e, e.hitPosition, &e, T(aim, 28, 82.0f));
      StartShots(&e, e.hitPosition, &e, T(aim, 18, 94.0f));
      ++step;
      return true;
    }
    case EnemyBase::SCRIPT_RELEASED:
      if (!DefeatWhenOverTime(&e)) e.SetRoutePoint(GetPreviousState() > STREAMS ? 5 : 0);
      return true;
    case EnemyBase::SCRIPT_DEFEATED:
      KillBossGenerators(&e);
      EShotMan::ClearAll(1);
      step = 0;
      e.framesAlive = 0;
      SetWheelSpin(0.0f, 185.0f);
      g_MapMng.StartTransition(0.0f, 185);
      BossPartsObject::Attach(&e, new (std::nothrow) BossPartsObjectT3(&e.model));
      return true;
    default:
      return false;
  }
}

bool EnemyType3Behavior::OnFrame(int32_t state) {
  EnemyType3& e = *enemy;
  float& y = position[1];
  switch (state) {
    case ROLL_IN: {
      const float t = float(frame) / 120.0f;
      y += 70.0f - 70.0f * std::sin(t * kHalfPi);
      ++frame;
      if (t >= 1.0f) ChangeState(SETTLE_A);
      return true;
    }
    case SETTLE_A: {
      const float t = float(frame) / 60.0f;
      y -= 20.0f * std::sin(t * kHalfPi);
      ++frame;
      if (t >= 1.0f) ChangeState(SETTLE_B);
      return true;
    }
    case SETTLE_B: {
      const float t = float(frame) / 70.0f;
      y -= 20.0f - 20.0f * std::sin(t * kHalfPi);
      ++frame;
      if (t >= 1.0f) ChangeState(FANS);
      return true;
    }
    case FANS:
      ++frame;
      if (e.EveryFrames(170)) DefeatOrChange(ARCS);
      return true;
    case ARCS:
      // The side cannons' spin eases to a stop over 60 frames, so that they
      // stand still as the state ends at 200 (STREAMS likewise at 270).
      if (frame == 140) {
        cannons[0].SetRateTarget(0.0f, 60.0f, 2);
        cannons[1].SetRateTarget(0.0f, 60.0f, 2);
      }
      ++frame;
      if (e.EveryFrames(200)) {
        // Both side cannons shot away: on at once, without the time check.
        if (!cannons[0].Present() && !cannons[1].Present()) {
          e.everyCounter = 0;
          ChangeState(STREAMS);
        } else {
          DefeatOrChange(STREAMS);
        }
      }
      return true;
    case STREAMS:
      if (frame == 210) {
        cannons[0].SetRateTarget(0.0f, 60.0f, 2);
        cannons[1].SetRateTarget(0.0f, 60.0f, 2);
      }
      ++frame;
      if (e.EveryFrames(270)) DefeatOrChange(FANS);
      return true;
    case UNFOLD:
      if (step == 0) {
        e.SetRoutePoint(4);
        step = 1;
      } else if (step == 1) {
        if (int32_t(e.animator.value) == 180) BossSe(kUnfoldSound);
        if (e.animator.count > 0) {
          e.SetCannonTables(1);
          AddCannons(3);
          for (int i = 3; i <= 4; ++i) {
            cannons[i].easeMode = B001Cannon::EASE_ANGLE;
            cannons[i].body.SetMask(B001Cannon::kMuzzleMask);
            cannons[i].shield.SetMask(2);
          }
          cannons[5].shield.Detach();
          cannons[5].body.SetMask(B001Cannon::kMuzzleMask);
          e.SetRoutePoint(5);
          step = 2;
        }
      } else {
        if (frame > 30) DefeatOrChange(RISE);
        ++frame;
      }
      return true;
    case RISE:
      y += 10.0f;
      if (y > kRiseTop) ChangeState(LASER);
      return true;
    case LASER:
      if (frame % 60 == 30) {
        cannons[3].SetAngleTarget(0.13f, 30.0f, 1);
        cannons[4].SetAngleTarget(-0.13f, 30.0f, 1);
      } else if (frame % 60 == 59) {
        cannons[3].SetAngleTarget(-0.03f, 30.0f, 1);
        cannons[4].SetAngleTarget(0.03f, 30.0f, 1);
      }
      if (frame >= 30 && frame % 4 == 0)
        for (int i = 3; i <= 4; ++i)
          if (cannons[i].Present()) ShotS1(cannons[i]);
      ++frame;
      if (e.EveryFrames(400)) DefeatOrChange(QUADS);
      return true;
    case QUADS:
      if (frame >= 60 && frame <= 260) {
        if (frame == 60) {
          cannons[3].SetAngleTarget(0.06f, 130.0f, 1);
          cannons[4].SetAngleTarget(-0.06f, 130.0f, 1);
        }
        if (frame % 12 == 0)
          for (int i = 3; i <= 4; ++i)
            if (cannons[i].Present()) ShotS2(cannons[i]);
      }
      ++frame;
      if (e.EveryFrames(300)) DefeatOrChange(LASER);
      return true;
    case CORE:
      if (frame == 20) e.SetRoutePoint(5);
      if (frame == 160) DefeatOrChange(RINGS);
      ++frame;
      return true;
    case RINGS:
      if (e.EveryFrames(170)) DefeatOrChange(RINGS);
      return true;
    case EnemyBase::SCRIPT_RELEASED:
      if (e.animator.count > 0) ChangeState(next);
      return true;
    case EnemyBase::SCRIPT_DEFEATED:
      // The wreck's animation slows with the rail.
      e.animator.speed = g_MapMng.speed;
      if (g_MapMng.holdState != 2) {
        g_MapMng.SetHoldState(2);
        g_MapMng.SetEnemyTimeScale(1.0f);
        g_MapMng.SetShotTimeScale(1.0f);
      }
      return true;
    default:
      return false;
  }
}

bool EnemyType3Behavior::OnLeave(int32_t state) {
  EnemyType3& e = *enemy;
  switch (state) {
    case ROLL_IN:
    case SETTLE_A:
    case SETTLE_B:
    case RISE:
      if (state == RISE) {
        e.body.SetDisabled(0);
        e.armour.SetDisabled(0);
        for (int i = 3; i <= 5; ++i) {
          cannons[i].shield.SetDisabled(0);
          cannons[i].body.SetDisabled(0);
        }
      }
      return true;
    case FANS:
      EndPieceChildren(cannons, 2, 2);
      return true;
    case ARCS:
      EndPieceChildren(cannons, 0, 2);
      cannons[0].SetRateTarget(0.0f, 60.0f, 2);
      cannons[1].SetRateTarget(0.0f, 60.0f, 2);
      return true;
    case STREAMS:
      EndPieceChildren(cannons, 0, 2);
      return true;
    case UNFOLD:
      e.grabMode = EObjBase::GRAB_FREE;
      return true;
    case LASER:
      cannons[3].SetAngleTarget(0.0f, 30.0f, 1);
      cannons[4].SetAngleTarget(0.0f, 30.0f, 1);
      EndPieceChildren(cannons, 3, 5);
      return true;
    case QUADS:
      EndPieceChildren(cannons, 3, 5);
      return true;
    case CORE:
      e.grabMode = EObjBase::GRAB_FREE;
      step = 0;
      return true;
    case RINGS:
      // The volley generators belong to the boss and run on.
      EndPieceChildren(cannons, 3, 4);
      return true;
    case EnemyBase::SCRIPT_RELEASED:
      e.everyCounter = 0;
      return true;
    case EnemyBase::SCRIPT_DEFEATED:
      return true;
    default:
      return false;
  }
}
