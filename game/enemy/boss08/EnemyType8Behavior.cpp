#include <algorithm>
#include <cmath>
#include <new>

#include "game/core/Game.h"
#include "game/effect/EShotMan.h"
#include "game/effect/EfxMan.h"
#include "game/effect/RandF.h"
#include "game/enemy/BossShots.h"
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

void Se(int32_t n, int32_t level) {
  if (Game* g = GetGame()) g->PlaySe(n, level);
}
void HumVolume(float f) {
  if (Game* g = GetGame()) g->SetSeVolume(EnemyType8Behavior::kHum, int32_t(std::max(f, 0.0f) * float(kMost)));
}
void Shot(int32_t code, const float* p, float angle, float speed, int32_t tag = -1,
          const EShotMotion* motion = nullptr) {
  EShotMan::Fire(code, 5, p[0], p[1], p[2], angle, speed, motion, tag, nullptr, 1.0f);
}

}  // namespace

EnemyType8Behavior::EnemyType8Behavior(EnemyType8* boss) : owner(boss), parts{boss, boss, boss} {}

void EnemyType8Behavior::Hover() {
  hoverPhase += 1.0f;
  const float s = std::sin(kTwoPi * hoverPhase / kHoverPeriod);
  owner->angles[0] = 0.005f * s - 0.11f;
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

void EnemyType8Behavior::Timer(int32_t n, int32_t to) {
  if (!owner->EveryFrames(n)) return;
  ChangeState(owner->framesAlive > owner->chainFrameLimit ? ESCAPE : to);
}

void EnemyType8Behavior::KillMounts(int last) {
  for (int i = 0; i <= last; ++i) parts[i].KillChildrenAll(0);
}

void EnemyType8Behavior::KillOwn() {
  if (SProcList* l = owner->GetList(0)) l->KillAll(0);
}

void EnemyType8Behavior::RecoilFrom(int32_t n) {
  // The boss's own copy of its record: the stage's route table stays.
  OwnParam& own = owner->own;
  const int32_t r = own.param.recoilRouteIndex;
  const std::vector<RouteEntry>& e = own.routes.entries;
  if (r < 0 || n < 0 || size_t(n) >= e.size()) return;
  const RouteEntry copy = e[size_t(n)];
  for (int32_t i = r; i <= r + 1; ++i)
    if (size_t(i) < e.size()) own.routes.entries[size_t(i)] = copy;
}

int32_t EnemyType8Behavior::Handle(int32_t code, int32_t state) {
  switch (code) {
    case CODE_ENTER:
      return OnEnter(state) ? 1 : 0;
    case CODE_FRAME:
      return OnFrame(state) ? 1 : 0;
    case CODE_LEAVE:
      return OnLeave(state) ? 1 : 0;
    default:
      return 0;
  }
}

bool EnemyType8Behavior::OnEnter(int32_t state) {
  EnemyType8& e = *owner;
  float* p = position;
  auto begin = [&](int32_t nextState) {
    count = 0;
    std::copy(p, p + 4, saved);
    next = nextState;
  };
  switch (state) {
    case ENTRY: {
      mountPoint[0] = parts[0].hitPosition;
      mountPoint[1] = parts[1].hitPosition;
      subStep = count = 0;
      hoverPhase = 0.0f;
      e.SetRoutePoint(2);
      std::copy(kEntryStart, kEntryStart + 3, p);
      e.body.SetDisabled(1);
      float p0[4];
      std::copy(p, p + 4, p0);
      float tan[4];
      mover.AddKey(p0, CalcSplineTangent(tan, p0, p0, kEntryMid, 0.0f, 0.0f), 240.0f, -1.0f);
      mover.AddKey(kEntryMid, CalcSplineTangent(tan, p0, kEntryMid, kEntryEnd, 0.0f, 0.0f), 240.0f, -1.0f);
      mover.AddKey(kEntryEnd, CalcSplineTangent(tan, kEntryMid, kEntryEnd, kEntryEnd, 0.0f, 0.0f), 0.0f, -1.0f);
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
      Shot(0x30F, mountPoint[0], 0.25f, 4.0f, subStep + 1);
      Shot(0x30F, mountPoint[1], 0.25f, 4.0f, subStep + 4);
      return true;
    case LINES:
      begin(SPIRAL);
      StartShots(&parts[2], cannonPoint, &e, kE);
      return true;
    case MOVE_A:
    case MOVE_B:
      count = subStep = 0;
      e.SetRoutePoint(state == MOVE_A ? 3 : 1);
      return true;
    case EnemyBase::SCRIPT_RELEASED:
      count = 0;
      return true;
    case ESCAPE:
      KillOwn();
      count = 0;
      savedDepth = p[2];
      e.body.Detach();
      // The stage script turns to its escape path; the arena loop and the
      // timeline are let go.
      g_MapMng.sectionFlag = 1;
      g_MapMng.armed = 0;
      e.ReleaseTimeline();
      return true;
    case EnemyBase::SCRIPT_DEFEATED:
      KillOwn();
      count = subStep = 0;
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
  if (subStep == 0) {
    if (++count >= 240) {
      Se(18, 59136);
      Se(kHum, 57344);
      count = 0;
      subStep = 1;
    }
    return;
  }
  const float t = float(count) / (subStep == 3 ? 120.0f : 60.0f);
  if (count % 4 == 0) {
    for (int i = 0; i < 10; ++i) {
      float radius, angle, size, v;
      if (subStep == 1) {
        radius = ringRadii[i] * 0.4f * t, angle = 0.0777778f * float(i) - 0.1f, size = 3.0f, v = 1.05f;
      } else if (subStep == 2) {
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
  ++count;
  if (subStep < 3 && t > 1.0f) {
    count = 0;
    ++subStep;
  }
}

void EnemyType8Behavior::EscapeFrame() {
  EnemyType8& e = *owner;
  float* p = position;
  const float rail = g_MapMng.t;
  const int32_t i = int32_t(rail);
  if (g_MapMng.currentPath != 1 || i < 0) return;
  const float t = float(count) / 85.0f;
  if (t < 1.0f) {
    p[2] = savedDepth + (kEscapeDepth - savedDepth) * (1.0f - std::cos(t * kHalfPi));
    e.angles[1] = 0.015f * std::sin(t * kHalfPi);
  }
  if (i >= 85) {
    if (i == 85) {
      Se(36, 65536);
      Se(43, 65536);
    }
    p[1] += 18.0f;
    p[2] -= 16.0f;
    HumVolume(1.0f - (rail - 85.0f) / 165.0f);
    ProjectToScreen(p, escapePoint);
  }
  if (i < 146 && (count & 5) != 0) {
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
        g_EfxMan.SpawnSprite(6, &spot[side], SprEfx00_4KeysB, kSmoke, kSmokeTo, 20, 20, 0.0f, 30.0f, 30.0f, nullptr,
                             nullptr, 0.0f, 1);
    }
    if (i < 116) {
      for (int n = 0; n < 20; ++n)
        for (const SVec4& at : spot) {
          const float d = 0.75f + 0.4f * RandFS();
          const float v = 20.0f * RandFS() + 3.0f;
          const SVec4 vel{v * std::cos(kTwoPi * d), v * std::sin(kTwoPi * d), 0.0f, 0.0f};
          g_EfxMan.SpawnSprite(6, &at, SprEfx00_4KeysB, kFrom, kTo, 15, 15, 0.0f, 50.0f, 50.0f, &vel, nullptr, 0.93f,
                               1);
        }
    }
  }
  if (i >= 250) {
    if (Game* g = GetGame()) g->StopSe(kHum);
    // Gone along the escape path: no defeat, no score.
    e.Kill(0);
  }
  ++count;
}

void EnemyType8Behavior::DefeatFrame() {
  EnemyType8& e = *owner;
  const bool arrived = e.animator.count >= 1;
  if (secondHalf == 0) {
    if (subStep == 0) {
      e.SetRoutePoint(7);
      subStep = 1;
    } else if (subStep == 1 && arrived) {
      e.SetRoutePoint(8);
      subStep = 2;
    } else if (subStep == 2 && e.animator.count >= 2) {
      subStep = 3;
    }
  } else if (subStep == 0) {
    e.SetRoutePoint(9);
    subStep = 1;
  } else if (subStep == 1 && arrived) {
    e.SetRoutePoint(10);
    subStep = 2;
  }
  HumVolume(1.0f - float(count) * 0.00125f);
}

bool EnemyType8Behavior::OnFrame(int32_t state) {
  EnemyType8& e = *owner;
  if ((state >= SPIRAL && state <= MOVE_B) || state == EnemyBase::SCRIPT_RELEASED) Hover();
  const bool arrived = e.animator.count >= 1;
  switch (state) {
    case ENTRY:
      EntryRing();
      if (!mover.Advance(position, 1.0f)) ChangeState(SPIRAL);
      return true;
    case SPIRAL: {
      float& s = e.axisTimer;
      if (count % 10 < 3) {
        for (int i = 0; i < 3; ++i) {
          const float a = float(i) * 0.33f + s;
          Shot(0x20C, mountPoint[0], a, 2.5f);
          Shot(0x20C, mountPoint[1], 1.0f - a, 2.5f);
        }
        s += 0.018f;
      }
      s += 0.0025f;
      ++count;
      Timer(180, EnemyBase::SCRIPT_RELEASED);
      return true;
    }
    case MOUNT_GUNS:
      if (count % 30 == 0) StartShots(&parts[0], mountPoint[0], &parts[0], kA);
      if (count % 35 == 0) StartShots(&parts[1], mountPoint[1], &parts[1], kA);
      if (count % 2 == 0) {
        Shot(0x204, mountPoint[0], RandF(), 2.5f);
        Shot(0x204, mountPoint[1], RandF(), 2.5f);
      }
      ++count;
      Timer(210, BOUNCE);
      return true;
    case BOUNCE:
      BounceShots(0);
      if (e.EveryFrames(330)) {
        next = CANNON;
        ChangeState(e.framesAlive > e.chainFrameLimit ? ESCAPE : MOVE_A);
      }
      return true;
    case CANNON: {
      if (count > 98 && count < 150 && count % 4 != 0 && cannonPoint != nullptr) {
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
      if (count == 0) e.SetRoutePoint(4);
      if (count == 98) e.SetRoutePoint(5);
      if (count == 150) {
        KillMounts(2);
        e.SetRoutePoint(6);
      }
      ++count;
      Timer(180, EnemyBase::SCRIPT_RELEASED);
      return true;
    }
    case SEEDS:
      if (count % 15 == 0) {
        const int32_t a = subStep + 1, b = subStep + 4;
        EShotMan::WalkShots([&](EShot* shot) {
          // The generator holds the shot's last position once the shot ends.
          if (shot->id == a || shot->id == b) StartShots(&e, shot->position, shot, kD);
        });
      }
      ++count;
      if (e.EveryFrames(90)) {
        ChangeState(e.framesAlive > e.chainFrameLimit ? ESCAPE : subStep >= 2 ? EnemyBase::SCRIPT_RELEASED : SEEDS);
        ++subStep;
      }
      return true;
    case LINES:
      if (count % 8 == 0) {
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
      ++count;
      if (e.EveryFrames(360)) {
        next = SPIRAL;
        ChangeState(e.framesAlive > e.chainFrameLimit ? ESCAPE : MOVE_B);
      }
      return true;
    case MOVE_A:
    case MOVE_B:
      if (subStep == 0 && arrived) {
        subStep = 1;
        e.SetRoutePoint(state == MOVE_A ? 0 : 2);
      } else if (subStep == 1 && arrived) {
        ChangeState(next);
      }
      return true;
    case EnemyBase::SCRIPT_RELEASED:
      if (count > 60) {
        if (e.framesAlive > e.chainFrameLimit) ChangeState(ESCAPE);
        else ChangeState(next == SPIRAL ? MOVE_B : next == CANNON ? MOVE_A : next);
      }
      ++count;
      return true;
    case ESCAPE:
      EscapeFrame();
      return true;
    case EnemyBase::SCRIPT_DEFEATED:
      DefeatFrame();
      ++count;
      return true;
    default:
      return false;
  }
}

bool EnemyType8Behavior::OnLeave(int32_t state) {
  EnemyType8& e = *owner;
  switch (state) {
    case ENTRY:
      mover.Clear();
      e.body.SetDisabled(0);
      return true;
    case MOUNT_GUNS:
      KillMounts(1);
      return true;
    case BOUNCE:
      KillOwn();
      secondHalf = 1;
      RecoilFrom(0);
      return true;
    case CANNON:
      KillMounts(2);
      KillOwn();
      e.SetRoutePoint(0);
      subStep = 0;
      return true;
    case LINES:
      KillOwn();
      KillMounts(2);
      return true;
    case EnemyBase::SCRIPT_RELEASED:
      e.everyCounter = 0;
      mover.Clear();
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
