#include <algorithm>
#include <cmath>
#include <new>

#include "game/core/Game.h"
#include "game/effect/EShotMan.h"
#include "game/effect/EfxMan.h"
#include "game/effect/RandF.h"
#include "game/enemy/BossShots.h"
#include "game/enemy/BossSteps.h"
#include "game/enemy/EnemySet.h"
#include "game/enemy/boss08/EnemyType8.h"
#include "game/stage/MapMng.h"
#include "game/tables/effect_tables.h"
#include "game/tables/shot_tables.h"
#include "platform/crt_rand.h"

namespace {

constexpr float kHalfPi = 1.5707964f;
constexpr float kTwoPi = 6.2831855f;
constexpr float kHoverPeriod = 220.0f;
constexpr float kEntryStart[3] = {0.0f, 1666.0f, 700.0f};
constexpr float kEntryMid[4] = {0.0f, -194.0f, 2200.0f, 0.0f};
constexpr float kEntryEnd[4] = {0.0f, -534.0f, 1770.0f, 0.0f};
constexpr float kRingRadii[10] = {170, 200, 180, 160, 150, 150, 160, 180, 200, 170};
constexpr float kEscapeDepth = 2188.0f;
constexpr int32_t kMost = 61440;

constexpr ShotTuple kA = {0x50101, 5, 260, 260, 0, 0, 0, 3.0f, 2.0f, 2, 0.05f, 1, 0, 1, 17, 0, 0, 0, 0, 0, 0, 0, -1,
                          -1, 0};
constexpr ShotTuple kB = {0x40101, 5, 1288, 1288, 0.25f, 0, 0, 2.0f, 3.0f, 7, 1.0f, 1, 0, 2, 3, 2, 130, 0, 0, 0, 0,
                          60.0f, -1, 0, 0};
constexpr ShotTuple kC = {0x60101, 5, 4, 4, 0, 0, 0, 6.0f, 6.0f, 2, 0.3f, 1, 0, 1, 1000, 0, 0, 0, 60.0f, 0, 1, 98.0f,
                          -1, -1, 30};
constexpr ShotTuple kD = {0x20101, 5, 10, 10, 0, 0, 0, 2.0f, 2.0f, 6, 1.0f, 1, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, -1, -1,
                          0};
constexpr ShotTuple kE = {0x20101, 5, 783, 783, 0, 0, 0, 7.0f, 7.0f, 1, 0.02f, -1, 50.0f, 0, 0, 10000, 65, 0, 0, 0,
                          0, 60.0f, -1, -1, 30};

void HumVolume(float f) {
  if (Game* g = GetGame()) g->SetSeVolume(EnemyType8Behavior::kHum, int32_t(std::max(f, 0.0f) * float(kMost)));
}
void Shot(int32_t code, const float* p, float angle, float speed, int32_t tag = -1,
          const EShotMotion* motion = nullptr) {
  EShotMan::Fire(code, 5, p[0], p[1], p[2], angle, speed, motion, tag, nullptr, 1.0f);
}

}  // namespace

EnemyType8Behavior::EnemyType8Behavior(EnemyType8* boss) : BossPhases(boss), parts{boss, boss, boss} {}

void EnemyType8Behavior::Hover() {
  hoverPhase += 1.0f;
  const float s = std::sin(kTwoPi * hoverPhase / kHoverPeriod);
  enemy->angles[0] = 0.005f * s - 0.11f;
  position[2] = kHoverDepth - 50.0f * s;
}

void EnemyType8Behavior::BounceShots(int32_t tag) {
  EShotMan::WalkShots([tag](EShot* shot) {
    if (shot->id != tag) return;
    float a = shot->angle;
    if (a > 1.0f) a -= 1.0f;
    if (a < 0.0f) a += 1.0f;
    float v = shot->speed;
    const float x = shot->position[0], y = shot->position[1];
    const bool beyond[4] = {x > 240.0f, x < -240.0f, y > 320.0f, y < -320.0f};
    for (int edge = 0; edge < 4; ++edge) {
      if (!beyond[edge]) continue;
      v = std::max(0.8f * v, 1.3f);
      switch (edge) {
        case 0:  // right
          if (a > 0.75f && a < 1.0f) a = 1.5f - a;
          else if (a >= 0.0f && a < 0.25f) a = 0.5f - a;
          break;
        case 1:  // left
          if (a > 0.5f && a < 0.75f) a = 1.5f - a;
          else if (a > 0.25f && a < 0.5f) a = 0.5f - a;
          break;
        case 2:  // y > 320
          if (a > 0.0f && a < 0.25f) a = 1.0f - a;
          else if (a > 0.25f && a < 0.5f) a = -a;
          break;
        default:  // y < -320
          if (a > 0.5f && a < 0.75f) a = 1.0f - a;
          else if (a > 0.75f && a < 1.0f) a = 2.0f - a;
          break;
      }
      shot->velocity[0] = v * std::cos(kTwoPi * a);
      shot->velocity[1] = v * std::sin(kTwoPi * a);
    }
    shot->angle = a;
    shot->speed = v;
  });
}

void EnemyType8Behavior::EscapeOr(int32_t to) { ChangeState(BossTimeUp(enemy) ? ESCAPE : to); }

void EnemyType8Behavior::Timer(int32_t n, int32_t to) {
  if (enemy->EveryFrames(n)) EscapeOr(to);
}

void EnemyType8Behavior::RecoilFrom(int32_t n) {
  // The boss's own copy of its record: the stage's route table stays.
  OwnParam& own = enemy->own;
  const int32_t r = own.param.recoilRouteIndex;
  const std::vector<RouteEntry>& e = own.routes.entries;
  if (r < 0 || n < 0 || size_t(n) >= e.size()) return;
  const RouteEntry copy = e[size_t(n)];
  for (int32_t i = r; i <= r + 1; ++i)
    if (size_t(i) < e.size()) own.routes.entries[size_t(i)] = copy;
}

bool EnemyType8Behavior::OnEnter(int32_t state) {
  EnemyType8& e = *enemy;
  float* p = position;
  auto begin = [&](int32_t nextState) {
    frame = 0;
    std::copy(p, p + 4, home);
    next = nextState;
  };
  switch (state) {
    case ENTRY: {
      mountPoint[0] = parts[0].hitPosition;
      mountPoint[1] = parts[1].hitPosition;
      step = frame = 0;
      hoverPhase = 0.0f;
      e.SetRoutePoint(2);
      std::copy(kEntryStart, kEntryStart + 3, p);
      e.body.SetDisabled(1);
      float p0[4];
      std::copy(p, p + 4, p0);
      float tan[4];
      path.AddKey(p0, CalcSplineTangent(tan, p0, p0, kEntryMid, 0.0f, 0.0f), 240.0f, -1.0f);
      path.AddKey(kEntryMid, CalcSplineTangent(tan, p0, kEntryMid, kEntryEnd, 0.0f, 0.0f), 240.0f, -1.0f);
      path.AddKey(kEntryEnd, CalcSplineTangent(tan, kEntryMid, kEntryEnd, kEntryEnd, 0.0f, 0.0f), 0.0f, -1.0f);
      std::copy(kRingRadii, kRingRadii + 10, ringRadii);
      return true;
    }
    case SPIRAL:
      begin(MOUNT_GUNS);
      secondHalf = 0;
      RecoilFrom(2);
      e.axisTimer = 0.0f;  // the spin of the spiral, in turns
      return true;
    case MOUNT_GUNS:
      begin(BOUNCE);
      return true;
    case BOUNCE:
      begin(SEEDS);
      StartShots(&parts[0], mountPoint[0], &parts[0], kB);
      StartShots(&parts[1], mountPoint[1], &parts[1], kB);
      return true;
    case CANNON:
      begin(SEEDS);
      StartShots(&parts[2], cannonPoint, &e, kC);
      return true;
    case SEEDS:
      begin(LINES);
      // Each round's two seeds carry ids of their own (1 to 3 left, 4 to 6
      // right): the bursts find this round's seeds among all the live shots.
      Shot(0x30F, mountPoint[0], 0.25f, 4.0f, step + 1);
      Shot(0x30F, mountPoint[1], 0.25f, 4.0f, step + 4);
      return true;
    case LINES:
      begin(SPIRAL);
      StartShots(&parts[2], cannonPoint, &e, kE);
      return true;
    case MOVE_A:
    case MOVE_B:
      frame = step = 0;
      e.SetRoutePoint(state == MOVE_A ? 3 : 1);
      return true;
    case EnemyBase::SCRIPT_RELEASED:
      frame = 0;
      return true;
    case ESCAPE:
      KillBossGenerators(&e);
      frame = 0;
      savedDepth = p[2];
      e.body.Detach();
      // The stage script turns to its escape path; the arena loop and the
      // timeline are let go.
      g_MapMng.sectionFlag = 1;
      g_MapMng.armed = 0;
      e.ReleaseTimeline();
      return true;
    case EnemyBase::SCRIPT_DEFEATED:
      KillBossGenerators(&e);
      frame = step = 0;
      g_MapMng.sectionFlag = 0;
      e.framesAlive = 0;
      BossPartsObject::Attach(&e, new (std::nothrow) BossPartsObjectT8(&e.model));
      return true;
    default:
      return false;
  }
}

void EnemyType8Behavior::EntryRing() {
  static constexpr float kFrom[4] = {0.65f, 0.65f, 0.9f, 0.7f};
  static constexpr float kTo[4] = {0.4f, 0.4f, 0.4f, 0.3f};
  if (step == 0) {
    if (++frame >= 240) {
      BossSe(18, 59136);
      BossSe(kHum, 57344);
      frame = 0;
      step = 1;
    }
    return;
  }
  const float t = float(frame) / (step == 3 ? 120.0f : 60.0f);
  if (frame % 4 == 0) {
    for (int i = 0; i < 10; ++i) {
      float radius, angle, size, v;
      if (step == 1) {
        radius = ringRadii[i] * 0.4f * t, angle = 0.0777778f * float(i) - 0.1f, size = 3.0f, v = 1.05f;
      } else if (step == 2) {
        radius = ringRadii[i] * (0.4f + (0.5714286f - 0.4f) * t), angle = float(i) / 15.0f - 0.05f, size = 4.0f;
        v = 1.1f;
      } else {
        radius = ringRadii[i] * (0.5714286f + (1.0f - 0.5714286f) * t), angle = float(i) / 15.0f - 0.05f;
        size = 5.5f, v = 1.15f;
      }
      const SVec4 at{radius * std::cos(kTwoPi * angle), radius * std::sin(kTwoPi * angle) - 120.0f, 0.0f, 1.0f};
      const float start = RandF();
      const float r = RandF();
      const SVec4 vel{v * std::cos(kTwoPi * r), v * std::sin(kTwoPi * r), 0.0f, 0.0f};
      g_EfxMan.SpawnSprite(13, &at, SprEfx00_4KeysB, kFrom, kTo, 30, 30, start, size, size, &vel, nullptr, 0.0f, 1);
    }
  }
  ++frame;
  if (step < 3 && t > 1.0f) {
    frame = 0;
    ++step;
  }
}

void EnemyType8Behavior::EscapeFrame() {
  EnemyType8& e = *enemy;
  float* p = position;
  const float rail = g_MapMng.t;
  const int32_t i = int32_t(rail);
  if (g_MapMng.currentPath != 1 || i < 0) return;
  const float t = float(frame) / 85.0f;
  if (t < 1.0f) {
    p[2] = savedDepth + (kEscapeDepth - savedDepth) * (1.0f - std::cos(t * kHalfPi));
    e.angles[1] = 0.015f * std::sin(t * kHalfPi);
  }
  if (i >= 85) {
    if (i == 85) {
      BossSe(36, 65536);
      BossSe(43, 65536);
    }
    p[1] += 18.0f;
    p[2] -= 16.0f;
    HumVolume(1.0f - (rail - 85.0f) / 165.0f);
    ProjectToScreen(p, escapePoint);
  }
  // The smoke and sparks are one texel drawn at their sizes: a puff 30 units
  // across, a spark 50.
  if (i < 146 && (frame & 5) != 0) {
    static constexpr float kSmoke[4] = {0.5f, 0.5f, 0.5f, 0.5f};
    static constexpr float kSmokeTo[4] = {0.3f, 0.3f, 0.3f, 0.0f};
    static constexpr float kFrom[4] = {0.4f, 0.4f, 0.4f, 0.3f};
    static constexpr float kTo[4] = {0.8f, 0.8f, 0.8f, 0.8f};
    SVec4 spot[2];
    for (int side = 0; side < 2; ++side) {
      const float sign = side == 0 ? -1.0f : 1.0f;
      spot[side] = SVec4{escapePoint[0] + sign * 70.0f + 20.0f * RandFS(), escapePoint[1] + 20.0f * RandFS(), 0.0f,
                         1.0f};
      for (int k = 0; k < 2; ++k)
        g_EfxMan.SpawnSprite(6, &spot[side], SprEfx_2Keys, kSmoke, kSmokeTo, 20, 20, 0.0f, 30.0f, 30.0f, nullptr,
                             nullptr, 0.0f, 1);
    }
    if (i < 116) {
      for (int n = 0; n < 20; ++n)
        for (const SVec4& at : spot) {
          const float d = 0.75f + 0.4f * RandFS();
          const float v = 20.0f * RandFS() + 3.0f;
          const SVec4 vel{v * std::cos(kTwoPi * d), v * std::sin(kTwoPi * d), 0.0f, 0.0f};
          g_EfxMan.SpawnSprite(6, &at, SprEfx_2Keys, kFrom, kTo, 15, 15, 0.0f, 50.0f, 50.0f, nullptr, &vel, 0.93f,
                               1);
        }
    }
  }
  if (i >= 250) {
    BossStopSe(kHum);
    // Gone along the escape path: no defeat, no score.
    e.Kill(0);
  }
  ++frame;
}

void EnemyType8Behavior::DefeatFrame() {
  EnemyType8& e = *enemy;
  const bool arrived = e.animator.count >= 1;
  if (secondHalf == 0) {
    if (step == 0) {
      e.SetRoutePoint(7);
      step = 1;
    } else if (step == 1 && arrived) {
      e.SetRoutePoint(8);
      step = 2;
    } else if (step == 2 && e.animator.count >= 2) {
      step = 3;
    }
  } else if (step == 0) {
    e.SetRoutePoint(9);
    step = 1;
  } else if (step == 1 && arrived) {
    e.SetRoutePoint(10);
    step = 2;
  }
  HumVolume(1.0f - float(frame) * 0.00125f);
}

bool EnemyType8Behavior::OnFrame(int32_t state) {
  EnemyType8& e = *enemy;
  if ((state >= SPIRAL && state <= MOVE_B) || state == EnemyBase::SCRIPT_RELEASED) Hover();
  const bool arrived = e.animator.count >= 1;
  switch (state) {
    case ENTRY:
      EntryRing();
      if (!path.Advance(position, 1.0f)) ChangeState(SPIRAL);
      return true;
    case SPIRAL: {
      float& s = e.axisTimer;
      if (frame % 10 < 3) {
        for (int i = 0; i < 3; ++i) {
          const float a = float(i) * 0.33f + s;
          Shot(0x20C, mountPoint[0], a, 2.5f);
          Shot(0x20C, mountPoint[1], 1.0f - a, 2.5f);
        }
        s += 0.018f;
      }
      s += 0.0025f;
      ++frame;
      Timer(180, EnemyBase::SCRIPT_RELEASED);
      return true;
    }
    case MOUNT_GUNS:
      if (frame % 30 == 0) StartShots(&parts[0], mountPoint[0], &parts[0], kA);
      if (frame % 35 == 0) StartShots(&parts[1], mountPoint[1], &parts[1], kA);
      if (frame % 2 == 0) {
        Shot(0x204, mountPoint[0], RandF(), 2.5f);
        Shot(0x204, mountPoint[1], RandF(), 2.5f);
      }
      ++frame;
      Timer(210, BOUNCE);
      return true;
    case BOUNCE:
      BounceShots(0);
      if (e.EveryFrames(330)) {
        // The cannon, like the spiral, comes after a move; the move goes on
        // to `next` once its animation has played.
        next = CANNON;
        EscapeOr(MOVE_A);
      }
      return true;
    case CANNON: {
      if (frame > 98 && frame < 150 && frame % 4 != 0 && cannonPoint != nullptr) {
        static constexpr float kFrom[4] = {0.7f, 0.4f, 0.4f, 0.1f};
        static constexpr float kTo[4] = {0.6f, 0.6f, 0.8f, 0.9f};
        const float c[4] = {cannonPoint[0], cannonPoint[1] + 60.0f, cannonPoint[2], cannonPoint[3]};
        float q[4];
        ProjectToScreen(c, q);
        const float t = 2.5f * RandF() + 0.5f;
        const float d = 4.0f * t * RandF();
        const float dir = kTwoPi * RandF();
        const SVec4 at{q[0] + d * std::cos(dir), q[1] + d * std::sin(dir), 0.0f, 1.0f};
        g_EfxMan.SpawnSprite(6, &at, SprEfx00_4KeysB, kFrom, kTo, 15, 15, 0.0f, t, t, nullptr, nullptr, 0.0f, 1);
      }
      if (frame == 0) e.SetRoutePoint(4);
      if (frame == 98) e.SetRoutePoint(5);
      if (frame == 150) {
        EndPieceChildren(parts, 0, 2);
        e.SetRoutePoint(6);
      }
      ++frame;
      Timer(180, EnemyBase::SCRIPT_RELEASED);
      return true;
    }
    case SEEDS:
      if (frame % 15 == 0) {
        const int32_t a = step + 1, b = step + 4;
        EShotMan::WalkShots([&](EShot* shot) {
          // The generator holds the shot's last position once the shot ends.
          if (shot->id == a || shot->id == b) StartShots(&e, shot->position, shot, kD);
        });
      }
      ++frame;
      if (e.EveryFrames(90)) {
        EscapeOr(step >= 2 ? EnemyBase::SCRIPT_RELEASED : SEEDS);
        ++step;
      }
      return true;
    case LINES:
      if (frame % 8 == 0) {
        const EShotMotion* m = ParamTable::FindValue(0);
        for (int k = 0; k < 2; ++k) {
          const float* q = mountPoint[k];
          const SVec4 at{q[0], q[1], q[2], q[3]};
          g_EfxMan.SpawnSprite(7, &at, SprEShot00KeysA, nullptr, nullptr, 2, 6, 0.0f, 1.0f, 1.0f, nullptr, nullptr,
                               0.0f, 1);
        }
        for (int k = 0; k < 2; ++k) {
          const float* q = mountPoint[k];
          for (int n = 0; n < 3; ++n) {
            const float a = RandF();
            const float ox = 12.0f * std::cos(kTwoPi * a + kHalfPi), oy = 12.0f * std::sin(kTwoPi * a + kHalfPi);
            for (float side : {0.0f, 1.0f, -1.0f}) {
              const float from[3] = {q[0] + side * ox, q[1] + side * oy, 0.0f};
              Shot(0x20A, from, a, 10.0f, -1, m);
            }
          }
        }
      }
      ++frame;
      if (e.EveryFrames(360)) {
        next = SPIRAL;
        EscapeOr(MOVE_B);
      }
      return true;
    case MOVE_A:
    case MOVE_B:
      if (step == 0 && arrived) {
        step = 1;
        e.SetRoutePoint(state == MOVE_A ? 0 : 2);
      } else if (step == 1 && arrived) {
        ChangeState(next);
      }
      return true;
    case EnemyBase::SCRIPT_RELEASED:
      if (frame > 60) {
        // The cycle goes on with the attack after the one it was let go in;
        // an attack that comes after a move gets its move first.
        EscapeOr(next == SPIRAL ? MOVE_B : next == CANNON ? MOVE_A : next);
      }
      ++frame;
      return true;
    case ESCAPE:
      EscapeFrame();
      return true;
    case EnemyBase::SCRIPT_DEFEATED:
      DefeatFrame();
      ++frame;
      return true;
    default:
      return false;
  }
}

bool EnemyType8Behavior::OnLeave(int32_t state) {
  EnemyType8& e = *enemy;
  switch (state) {
    case ENTRY:
      path.Clear();
      e.body.SetDisabled(0);
      return true;
    case MOUNT_GUNS:
      EndPieceChildren(parts, 0, 1);
      return true;
    case BOUNCE:
      KillBossGenerators(&e);
      secondHalf = 1;
      RecoilFrom(0);
      return true;
    case CANNON:
      EndPieceChildren(parts, 0, 2);
      KillBossGenerators(&e);
      e.SetRoutePoint(0);
      step = 0;
      return true;
    case LINES:
      KillBossGenerators(&e);
      EndPieceChildren(parts, 0, 2);
      return true;
    case EnemyBase::SCRIPT_RELEASED:
      e.everyCounter = 0;
      path.Clear();
      return true;
    case SPIRAL:
    case SEEDS:
    case MOVE_A:
    case MOVE_B:
    case ESCAPE:
    case EnemyBase::SCRIPT_DEFEATED:
      return true;
    default:
      return false;
  }
}
