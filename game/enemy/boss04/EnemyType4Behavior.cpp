#include <algorithm>
#include <cmath>
#include <new>

#include "game/effect/ELaserGen.h"
#include "game/effect/EShotMan.h"
#include "game/effect/EfxMan.h"
#include "game/effect/EfxMath.h"
#include "game/effect/RandF.h"
#include "game/enemy/BossKit.h"
#include "game/enemy/BossShots.h"
#include "game/enemy/boss04/EnemyType4.h"
#include "game/stage/MapMng.h"
#include "game/tables/effect_tables.h"
#include "platform/crt_rand.h"

namespace {

constexpr float kHalfPi = 1.5707964f;
constexpr float kTwoPi = 6.2831855f;
constexpr float kStart[3] = {0.0f, -170.0f, 3000.0f};
constexpr float kLanded[3] = {0.0f, -412.0f, -100.0f};
constexpr float kFightDepth = 3830.0f;
constexpr float kTourStart[3] = {0.0f, -412.0f, 3830.0f};
constexpr float kTourLeft[4] = {-680.0f, -990.0f, 4240.0f, 0.0f};
constexpr float kTourRight[4] = {680.0f, -990.0f, 4240.0f, 0.0f};
constexpr int32_t kPartSwarm = 7;
constexpr int32_t kPartLow = 6;

constexpr ShotTuple kP = {0x101, 5, 4, 4, 0.3f, 0, 0, 2.1f, 2.5f, 8, 1.0f, 1, 0, 0, 3, 1000, 60, 0, 0, 0, 0, 0, -1,
                          -1, 0};
constexpr ShotTuple kQ = {0x10101, 5, 0x20A, 0x20A, 0, 0, 0, 6.0f, 7.0f, 7, 1.0f, 1, 0, 0, 4, 1000, 90, 0, 0, 0, 0,
                          70.0f, -1, -1, 0};
constexpr ShotTuple kR = {0x20101, 5, 0x308, 0x308, 0, 0, 0, 2.0f, 2.0f, 17, 1.0f, 1, 0, 45, 1000, 0, 0, 0, 0, 0,
                          0, 45.0f, -1, -1, 0};
ShotTuple S(int32_t i) {
  return {0x101, 5, 4, 4, 0, 0, 0, 0, 0, 1, 0, 1, 0, 1, 6, 0, 0, 0, 0, 0, 1, 65.0f, -1, i, 0};
}
constexpr ShotTuple kT = {0x40101, 5, 4, 4, 0.25f, 0, 0, 3.2f, 2.5f, 8, 1.0f, 1, 0, 10, 42, 0, 0, 0, 0, 0, 1, 0,
                          -1, -1, 0};
constexpr ShotTuple kU = {0x10101, 5, 0x508, 0x508, 0, 0, 0, 7.0f, 7.0f, 1, 0, 1, 0, 3, 7, 3, 30, 0, 0, 0, 1, 30.0f,
                          -1, -1, 0};
constexpr ShotTuple kV = {0x20101, 5, 0x20A, 0x20A, 0, 0, 0, 2.5f, 2.5f, 27, 1.0f, 1, 0, 68, 100, 0, 0, 0, 0, 0, 1,
                          45.0f, -1, -1, 0};
constexpr ShotTuple kW = {0x2101, 5, 11, 11, 0, 0.25f, 0.5f, 2.5f, 2.5f, 6, 1.0f, 1, 0, 6, 10, 100, 13, 0, 0, 0, 1,
                          50.0f, -1, -1, 0};
ShotTuple X(float a, float s) {
  return {0x101, 5, 0, 0, a, 0, 0, s, s, 15, 1.0f, 1, 0, 0, 1, 0, 0, 0, 0, 0, 1, 0, 2, -1, 0};
}
ShotTuple Y(int32_t m, int32_t n, float d) {
  return {0x40121, 5, m, n, 0.25f, 0, 0, 4.0f, 3.5f, 13, 1.0f, 1, 0, 1, 8, 0, 0, 0, 0, 0, 0, d, 3, -1, 0};
}
constexpr ShotTuple kZ = {0x40121, 5, 0x20B, 10, 0, 0, 0, 2.0f, 3.0f, 16, 1.0f, 1, 0, 13, 10, 100, 15, 0, 0, 0, 1,
                          20.0f, -1, -1, 0};

float Rand01() { return float(plat::Rand()) / 32767.0f; }

}  // namespace

EnemyType4Behavior::EnemyType4Behavior(EnemyType4* boss)
    : BossPhases(boss), parts{boss, boss, boss, boss, boss, boss, boss, boss} {}

void EnemyType4Behavior::DustRing(bool large) {
  static constexpr float kFromA[4] = {0.3f, 0.3f, 0.3f, 0.3f}, kToA[4] = {0.15f, 0.15f, 0.15f, 0.15f};
  static constexpr float kFromB[4] = {1.0f, 1.0f, 1.0f, 1.0f}, kToB[4] = {0.45f, 0.45f, 0.45f, 0.3f};
  const int n = large ? 16 : 12;
  const float rx = large ? 40.0f : 35.0f, vx = large ? 140.0f : 100.0f, vy = large ? 90.0f : 70.0f;
  const float* p = position;
  for (int k = 0; k < n; ++k) {
    const float a = float(k) / float(n) * kTwoPi;
    const SVec4 at{p[0] + rx * std::cos(a), p[1] + 25.0f * std::sin(a), p[2] - 600.0f, 1.0f};
    const float r1 = Rand01();
    const float r2 = Rand01();
    const SVec4 drift{vx * std::cos(a) + 10.0f * r1, vy * std::sin(a) + 10.0f * r2, -6.0f, 0.0f};
    const float r3 = Rand01();
    if (large) {
      g_EfxMan.SpawnSprite(14, &at, SprEfx00_4KeysB, kFromB, kToB, 50, 40, r3, 23.0f, 23.0f, nullptr, &drift, 0.86f,
                           1);
    } else {
      g_EfxMan.SpawnSprite(14, &at, SprEfx00_4KeysB, kFromA, kToA, 30, 30, r3, 20.0f, 20.0f, nullptr, &drift, 0.8f,
                           1);
    }
  }
}

bool EnemyType4Behavior::OnEnter(int32_t state) {
  EnemyType4& e = *enemy;
  float* p = position;
  auto saveHome = [&] { std::copy(p, p + 4, home); };
  switch (state) {
    case ENTRY:
      step = side = frame = 0;
      std::copy(kStart, kStart + 3, p);
      e.SetRoutePoint(0);
      // The rail stops at once and jumps to the arena.
      g_MapMng.StartTransition(0.0f, 1);
      g_MapMng.SetSection(0, kArenaRail);
      return true;
    case TOUR: {
      frame = 0;
      saveHome();
      next = SWARM;
      std::copy(kTourStart, kTourStart + 3, p);
      BossVoice(kVoiceTour);
      for (int i : {0, 1}) StartShots(&parts[i], parts[i].hitPosition, &parts[i], kP);
      for (int i : {2, 3}) StartShots(&parts[i], parts[i].hitPosition, &parts[i], kQ);
      StartShots(&parts[kPartLow], parts[kPartLow].hitPosition, &parts[kPartLow], kR);
      std::copy(p, p + 4, pathKeys[0]);
      std::copy(kTourLeft, kTourLeft + 4, pathKeys[1]);
      std::copy(kTourRight, kTourRight + 4, pathKeys[2]);
      const float* k0 = pathKeys[0];
      const float* k1 = pathKeys[1];
      const float* k2 = pathKeys[2];
      float tan[4];
      path.AddKey(k0, CalcSplineTangent(tan, k0, k0, k1, 1.0f, 0.0f), 128.0f, -1.0f);
      path.AddKey(k1, CalcSplineTangent(tan, k0, k1, k2, 1.0f, 0.0f), 256.0f, -1.0f);
      path.AddKey(k2, CalcSplineTangent(tan, k1, k2, k2, 1.0f, 0.0f), 128.0f, -1.0f);
      path.AddKey(k0, CalcSplineTangent(tan, k2, k0, k0, 1.0f, 0.0f), 0.0f, -1.0f);
      return true;
    }
    case SWARM:
      frame = 0;
      saveHome();
      next = SWEEP;
      e.SetRoutePoint(0);
      for (int32_t i = 0; i < 10; ++i) StartShots(&e, parts[kPartSwarm].hitPosition, &parts[kPartSwarm], S(i));
      return true;
    case SWEEP:
      frame = 0;
      next = BOMBARD;
      BossVoice(kVoiceSweep);
      for (int i : {2, 3}) StartShots(&parts[i], parts[i].hitPosition, &parts[i], kT);
      side = Rand01() < 0.5f ? 1 : 0;
      StartShots(&parts[side], parts[side].hitPosition, &parts[side], kU);
      return true;
    case BOMBARD:
      frame = 0;
      saveHome();
      next = LASER;
      BossVoice(kVoiceBombard);
      StartShots(&e, parts[kPartLow].hitPosition, &parts[kPartLow], kV);
      StartShots(&e, parts[kPartLow].hitPosition, &parts[kPartLow], kW);
      return true;
    case LASER:
      frame = 0;
      saveHome();
      next = TOUR;
      e.SetRoutePoint(19);
      BossVoice(kVoiceLaser);
      return true;
    case EnemyBase::SCRIPT_RELEASED:
      if (DefeatWhenOverTime(&e)) return true;
      frame = step = 0;
      PathTo(path, p, home, 64.0f);
      // Away from home the flight back has an animation of its own side:
      // stretches 10 to 12 when home lies to its right, 7 to 9 to its left.
      if (Vec3Equal(p, home)) e.SetRoutePoint(0);
      else e.SetRoutePoint(p[0] < home[0] ? 10 : 7);
      return true;
    case EnemyBase::SCRIPT_DEFEATED: {
      frame = step = 0;
      // SProc's own: the pause of the timeline stays until the show ends.
      e.SProc::KillChildren(0);
      e.SetRoutePoint(28);
      StopBossVoices({kVoiceTour, kVoiceSweep, kVoiceBombard, kVoiceLaser});
      BossVoice(Rand01() > 0.5f ? 21 : 22);
      BossPartsObject::Attach(&e, new (std::nothrow) BossPartsObjectT4(&e.model));
      return true;
    }
    default:
      return false;
  }
}

void EnemyType4Behavior::EntryFrame() {
  EnemyType4& e = *enemy;
  float* p = position;
  switch (step) {
    case 0:
      if (e.animator.count > 1) step = 1;
      break;
    case 1:
      if (frame == 0) e.SetRoutePoint(23);
      if (frame == 40) {
        BossSe(42, 65536);
        e.SetRoutePoint(24);
        DustRing(false);
      }
      if (frame > 33) {
        // From the leap until it stands at its fighting depth the shadow's
        // plane stays where it was: the shadow does not fly with the body.
        e.shadowHold = 1;
        const float u = float(frame - 33) * 0.04f;
        speed = 80.0f + 30.0f * std::sin(u * kHalfPi);
        p[2] -= speed;
        p[1] -= speed / 3.0f;
        if (u > 1.0f) {
          std::copy(kLanded, kLanded + 3, p);
          // The rail runs again.
          g_MapMng.StartTransition(1.0f, 1);
          step = 2;
          frame = 0;
        }
      }
      ++frame;
      break;
    case 2:
      e.shadowHold = 1;
      if (g_MapMng.t >= kRiseRail) {
        step = 3;
        speed = 3.0f;
        BossSe(2, 63488);
      }
      break;
    case 3:
      e.shadowHold = 1;
      speed *= 1.1f;
      p[2] += speed;
      if (p[2] >= kFightDepth) {
        p[2] = kFightDepth;
        e.SetRoutePointEx(25, 1.5f);
        step = 4;
      }
      break;
    case 4:
      if (frame == 8) {
        BossSe(36, 65536);
        DustRing(true);
      }
      if (frame > 13) {
        e.SetRoutePointEx(26, 1.0f);
        step = 5;
        frame = 0;
      }
      ++frame;
      break;
    case 5:
      if (frame > 59) {
        e.SetRoutePointEx(27, 1.0f);
        frame = 1;
        step = 6;
      } else {
        ++frame;
      }
      break;
    case 6:
      if (frame > 34) {
        e.SetRoutePoint(0);
        frame = 0;
        ChangeState(TOUR);
      }
      ++frame;
      break;
    default:
      break;
  }
}

void EnemyType4Behavior::ReleasedFrame() {
  EnemyType4& e = *enemy;
  const int32_t cursor = e.routeCursorIndex;
  // The flight's three stretches follow the path: the first until it has
  // played once (the path waits), the second while the path runs, the last
  // until it has played; then the attack after the one it was let go in.
  if (step == 0) {
    if (e.animator.count >= 1) {
      step = 1;
      if (cursor == 0) e.SetRoutePoint(0);
      else if (cursor == 7) e.SetRoutePoint(8);
      else if (cursor == 10) e.SetRoutePoint(11);
    }
  } else if (step == 1) {
    if (!path.Advance(position, 1.0f)) {
      step = 2;
      if (cursor == 8) e.SetRoutePoint(9);
      else if (cursor == 11) e.SetRoutePoint(12);
    }
  } else if (step == 2 && e.animator.count >= 1) {
    ChangeState(next);
    if (cursor != 0) e.SetRoutePoint(0);
  }
}

bool EnemyType4Behavior::OnFrame(int32_t state) {
  EnemyType4& e = *enemy;
  switch (state) {
    case ENTRY:
      EntryFrame();
      return true;
    case TOUR: {
      static constexpr struct {
        int32_t frame, route;
      } kRoute[] = {{0, 7}, {32, 8}, {96, 9}, {128, 10}, {160, 11}, {352, 12}, {384, 7}, {416, 8}, {480, 9}};
      if (!path.Advance(position, 1.0f)) DefeatOrChange(SWARM);
      for (const auto& r : kRoute)
        if (frame == r.frame) e.SetRoutePoint(uint32_t(r.route));
      ++frame;
      return true;
    }
    case SWARM:
      if (frame == 30) e.SetRoutePoint(22);
      // Every shot of generator i takes the stage's path from frame 80 + 2i.
      if (frame >= 80 && frame <= 98 && frame % 2 == 0) EShotMan::SetMotionById((frame - 80) / 2, ParamTable::FindValue(4));
      if (frame == 180) {
        e.SetRoutePoint(0);
        DefeatOrChange(SWEEP);
      }
      ++frame;
      return true;
    case SWEEP:
      if (frame == 0) e.SetRoutePoint(uint32_t(13 + 3 * side));
      if (frame == 28) e.SetRoutePoint(uint32_t(14 + 3 * side));
      if (frame == 200) e.SetRoutePoint(uint32_t(15 + 3 * side));
      if (frame == 220) {
        e.SetRoutePoint(0);
        if (!DefeatWhenOverTime(&e)) {
          EndPieceChildren(parts, side, side);
          EndPieceChildren(parts, 2, 3);
          ChangeState(BOMBARD);
        }
      }
      ++frame;
      return true;
    case BOMBARD: {
      B002Parts& low = parts[kPartLow];
      if (frame == 0) e.SetRoutePoint(19);
      if (frame == 40) e.SetRoutePoint(20);
      if (frame == 187)
        KillBossGenerators(&e);
      if (frame == 197) {
        for (const ShotTuple& t : {X(0.25f, 4.5f), X(0.242f, 4.43f), X(0.258f, 4.43f), Y(0x20B, 0x20A, 12.0f),
                                   Y(0x20C, 0x20B, 8.0f)})
          StartShots(&e, low.hitPosition, &low, t);
      }
      if (frame == 297) e.SetRoutePoint(21);
      if (frame == 317) e.SetRoutePoint(0);
      if (frame == 337) DefeatOrChange(LASER);
      ++frame;
      return true;
    }
    case LASER: {
      B002Parts& low = parts[kPartLow];
      if (frame == 40) {
        e.SetRoutePoint(20);
        // The laser stands where the low part stands and faces as it faces:
        // the part's node matrix with the shared matrix applied, taken
        // once (it does not follow the part).
        SMatrix shared;
        GetSharedMatrix(&shared, 1);
        SMatrix m;
        SMatrix::Multiply(&m, low.nodeMatrix, &shared);
        if (ELaserGen* l = ELaserGen::ELaserGenEx(&m, 0x40000u, 25.0f, 200, 2, 0.7f, 2.0f, 5.0f, 32.0f, 18.0f, 3.0f,
                                                  6.0f, 30.0f, 15.0f, 30)) {
          e.AddChild(0, l, 0);
          if (l->GetParent() == nullptr) delete l;
        }
        StartShots(&e, low.hitPosition, &low, kZ);
      }
      if (frame == 340) e.SetRoutePoint(21);
      ++frame;
      if (e.EveryFrames(360)) DefeatOrChange(TOUR);
      return true;
    }
    case EnemyBase::SCRIPT_RELEASED:
      ReleasedFrame();
      return true;
    case EnemyBase::SCRIPT_DEFEATED:
      if (step == 0 && e.animator.count >= 1) {
        step = 1;
        e.SetRoutePoint(29);
      } else if (step == 1 && e.animator.count >= 4) {
        step = 2;
        e.SetRoutePoint(30);
      }
      return true;
    default:
      return false;
  }
}

bool EnemyType4Behavior::OnLeave(int32_t state) {
  EnemyType4& e = *enemy;
  switch (state) {
    case ENTRY:
      e.body.SetDisabled(0);
      return true;
    case TOUR:
      path.Clear();
      for (B002Parts& p : parts) p.KillChildrenAll(0);
      return true;
    case SWARM:
      step = 0;
      return true;
    case SWEEP:
      return true;
    case BOMBARD:
      KillBossGenerators(&e);
      step = 0;
      return true;
    case LASER:
      KillBossGenerators(&e);
      return true;
    case EnemyBase::SCRIPT_RELEASED:
      step = 0;
      e.everyCounter = 0;
      path.Clear();
      return true;
    case EnemyBase::SCRIPT_DEFEATED:
      return true;
    default:
      return false;
  }
}
