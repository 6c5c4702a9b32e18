#include "game/enemy/boss05/EnemyType5Behavior.h"

#include <algorithm>
#include <cmath>
#include <new>

#include "game/core/Game.h"
#include "game/core/GameMath.h"
#include "game/effect/EShotGen.h"
#include "game/effect/EShotMan.h"
#include "game/effect/EfxMan.h"
#include "game/effect/RandF.h"
#include "game/enemy/BossScript.h"
#include "game/enemy/BossSteps.h"
#include "game/enemy/EnemyToolkit.h"
#include "game/enemy/EventEnemy.h"
#include "game/enemy/SpawnChild.h"
#include "game/enemy/boss05/BossPartsObjectT5.h"
#include "game/enemy/boss05/BossSubProc.h"
#include "game/enemy/boss05/EnemyType5.h"
#include "game/player/Player.h"
#include "game/stage/MapMng.h"
#include "game/tables/effect_tables.h"
#include "game/tables/shot_tables.h"

namespace {

constexpr float kHalfPi = 1.5707964f;
constexpr float kTwoPi = 6.2831855f;
constexpr uint32_t kHit = 5;
constexpr float kWhite9[4] = {0.9f, 0.9f, 0.9f, 0.9f};
constexpr float kGrey5[4] = {0.5f, 0.5f, 0.5f, 0.5f};

SVec4 V(const float* p) { return SVec4{p[0], p[1], p[2], 1.0f}; }
SVec4 Dir(float turns, float v) { return SVec4{v * std::cos(kTwoPi * turns), v * std::sin(kTwoPi * turns), 0.0f, 0.0f}; }

// A path through the points, each key's tangent from its neighbours.
void PathThrough(SplineMover* path, const float (*p)[4], const float* frames, int n) {
  for (int i = 0; i < n; ++i) {
    float t[4];
    CalcSplineTangent(t, p[std::max(i - 1, 0)], p[i], p[std::min(i + 1, n - 1)], 0.0f, 0.0f);
    path->AddKey(p[i], t, frames[i], -1.0f);
  }
}

}  // namespace

int32_t EnemyType5Behavior::Handle(int32_t code, int32_t state) {
  if (code == CODE_NOTIFY) return 0;
  switch (state) {
    case STATE_ENTRY: return Entry(code);
    case STATE_TRANSFORM: return Transform(code);
    case STATE_SWEEP: return Sweep(code);
    case STATE_SPRAY: return Spray(code, false);
    case STATE_ARCS: return Arcs(code);
    case STATE_VOLLEY: return Spray(code, true);
    case STATE_FANS: return Fans(code);
    case STATE_PAIRS: return Pairs(code);
    case STATE_FLAMES: return Flames(code);
    case STATE_ESCAPE: {
      static constexpr float kGone[4] = {0.0f, -400.0f, 0.0f, 1.0f};
      return FlyAway(code, kGone, 120.0f);
    }
    case EnemyBase::SCRIPT_RELEASED: return FlyHome(code, {60.0f, SEG_IDLE, STATE_ESCAPE}, home);
    case EnemyBase::SCRIPT_DEFEATED: return Defeated(code);
    default: return 0;
  }
}

void EnemyType5Behavior::Charge(float t) const {
  EfxMan* efx = EfxMan::Instance();
  const float cx = position[0], cy = position[1] - 25.0f, cz = position[2];
  for (int i = 0; float(i) < 1.0f + 3.0f * t; ++i) {
    const float r = 150.0f + 40.0f * RandF();
    const float a = RandF();
    const SVec4 start{cx + r * std::cos(kTwoPi * a), cy + r * std::sin(kTwoPi * a), cz, 1.0f};
    const SVec4 v{(cx - start.x) / 15.0f, (cy - start.y) / 15.0f, 0.0f, 0.0f};
    if (efx != nullptr) efx->SpawnB(2, &start, &v, int32_t(2.0f * r / 9.0f), 1.0f);
  }
}

void EnemyType5Behavior::Glow(float dy, float s, const float* from, const float* to) const {
  const SVec4 offset{0.0f, dy, 0.0f, 0.0f};
  if (EfxMan* efx = EfxMan::Instance())
    efx->SpawnSpriteEx2(6, reinterpret_cast<const SVec4*>(position), &offset, SprEShot02KeysA, from, to, 30, 30, 0.0f,
                        s, s, nullptr, nullptr, 0.0f, 1, enemy);
}

int32_t EnemyType5Behavior::Entry(int32_t code) {
  switch (code) {
    case CODE_ENTER: {
      frame = step = 0;
      enemy->body.SetDisabled(1);
      enemy->SetRoutePoint(SEG_ENTRY);
      position[0] = 0.0f, position[1] = -400.0f, position[2] = 0.0f;
      std::copy(position, position + 4, home);
      static constexpr float kTop[4] = {0.0f, -70.0f, 0.0f, 1.0f};
      StartFlight(&path, position, kTop, 90.0f);
      entryGlows.reset(new (std::nothrow) ObjHolder[2]);
      if (entryGlows != nullptr) {
        static constexpr float kA[4] = {0.9f, 0.7f, 0.7f, 0.5f}, kB[4] = {0.8f, 0.7f, 0.7f, 0.3f};
        entryGlows[0].Create(6, position, SprEfx02_4Keys, kA, 0.0f, 2.0f, 2.0f);
        entryGlows[1].Create(6, home, SprEfx02_4Keys, kB, 0.0f, 2.0f, 2.0f);
      }
      BossSe(EnemyType5::kChargeSound);
      return 1;
    }
    case CODE_FRAME: {
      // Until the first attack sets it, `home` is the point trailing 30
      // below the rising body: the second glow and the smoke ride on it.
      std::copy(position, position + 4, home);
      home[1] -= 30.0f;
      if (entryGlows != nullptr) {
        entryGlows[0].Step(1.0f);
        entryGlows[1].Step(1.5f);
      }
      if (frame % 10 == 0) {
        static constexpr float kFrom[4] = {1.0f, 1.0f, 1.0f, 0.5f}, kTo[4] = {0.6f, 0.5f, 0.5f, 0.2f};
        static constexpr SVec4 kV1{0, -1, 0, 1}, kV2{0, -1.5f, 0, 1};
        EfxMan* efx = EfxMan::Instance();
        const float r = RandF();
        if (efx != nullptr)
          efx->SpawnSpriteEx(6, reinterpret_cast<const SVec4*>(home), SprEShot02KeysA, kFrom, kTo, 30, 30, r, 2.0f,
                             2.0f, nullptr, nullptr, 1.0f, 1, enemy);
        const float r2 = RandF();
        if (efx != nullptr)
          efx->SpawnSpriteDir2(14, reinterpret_cast<const SVec4*>(home), &enemy->smoke, r2, 2.0f, 2.0f, &kV1, &kV2,
                               0.98f, 1, enemy);
      }
      ++frame;
      if (step == 0) {
        if (!path.Advance(position, 1.0f)) {
          step = 1;
          enemy->SetRoutePoint(SEG_ARRIVE);
        }
      } else if (SegmentDone()) {
        ChangeState(STATE_TRANSFORM);
      }
      return 1;
    }
    case CODE_LEAVE:
      entryGlows.reset();
      path.Clear();
      enemy->CreateGlows();
      return 1;
    default:
      return 0;
  }
}

int32_t EnemyType5Behavior::Transform(int32_t code) {
  switch (code) {
    case CODE_ENTER: {
      frame = step = 0;
      enemy->SetRoutePoint(SEG_OPEN);
      BossSe(kOpenSound, 65536);
      EfxMan* efx = EfxMan::Instance();
      const SVec4 at = V(position);
      static constexpr float kRingTo[4] = {0.5f, 0.5f, 0.5f, 0.7f};
      for (int r = 0; r < 4; ++r) {
        const int32_t lifeA = int32_t(30.0f + 10.0f * RandFS());
        const int32_t lifeB = int32_t(30.0f + 10.0f * RandFS());
        for (int i = 0; i < 20; ++i) {
          const SVec4 v2 = Dir(0.4875f + 0.525f * float(i) / 19.0f, 15.0f + 7.0f * RandFS());
          const float s = 1.5f + 0.15f * float(r);
          if (efx != nullptr)
            efx->SpawnSprite(6, &at, SprEfx10KeysB, kWhite9, kRingTo, lifeA, lifeB, 0.0f, s, s, nullptr, &v2,
                             0.96f - 0.02f * float(r), 1);
        }
      }
      static constexpr SVec4 kUp{0.0f, 1.5f, 0.0f, 1.0f};
      struct Spray {
        int n;
        float from, width, v, dv;
        int32_t lifeA;
        float last;
      };
      for (const Spray& s : {Spray{71, 0.55f, 0.4f, 15.0f, 8.0f, 60, 0.95f}, Spray{51, 0.53f, 0.44f, 16.0f, 9.0f, 70, 0.96f}})
        for (int i = 0; i < s.n; ++i) {
          const SVec4 v2 = Dir(s.from + s.width * float(i) / float(s.n - 1), s.v + s.dv * RandFS());
          if (efx != nullptr)
            efx->SpawnSprite(6, &at, SprEfx00_7KeysB, kWhite9, kGrey5, s.lifeA, 20, 0.0f, 0.4f, 0.4f, &kUp, &v2,
                             s.last, 1);
        }
      return 1;
    }
    case CODE_FRAME:
      if (!SegmentDone()) return 1;
      if (step == 0) {
        enemy->SetRoutePoint(SEG_OPENED);
        step = 1;
      } else {
        ChangeState(STATE_SWEEP);
      }
      return 1;
    case CODE_LEAVE: {
      enemy->body.SetDisabled(0);
      // From now on a hit on a thruster damages the boss as its body does.
      static constexpr float kRadius[6] = {0.0f, 15.0f, 20.0f, 20.0f, 20.0f, 15.0f};
      for (int i = 1; i < EnemyType5::kGlows; ++i)
        enemy->parts[i].Register(7, 0x80, enemy->NodePoint(EnemyType5::kFirstGlowNode + i), kRadius[i], enemy, 0,
                                 100);
      return 1;
    }
    default:
      return 0;
  }
}

int32_t EnemyType5Behavior::Sweep(int32_t code) {
  switch (code) {
    case CODE_ENTER: {
      frame = 0;
      SetHome(STATE_SPRAY);
      sweepCounter = 0;
      sweepFrom = 0.125f, sweepTo = 0.375f;
      enemy->SetRoutePoint(SEG_IDLE);
      const float keys[4][4] = {{position[0], position[1], position[2], 1.0f},
                                {-100.0f, 10.0f, 0.0f, 1.0f},
                                {80.0f, 30.0f, 0.0f, 1.0f},
                                {position[0], position[1], position[2], 1.0f}};
      static constexpr float kFrames[4] = {120.0f, 120.0f, 120.0f, 0.0f};
      PathThrough(&path, keys, kFrames, 4);
      return 1;
    }
    case CODE_FRAME: {
      const float r = float(sweepCounter) / 60.0f;
      const float angle = EaseInterp(sweepFrom, sweepTo, r);
      if (r >= 1.0f) {
        std::swap(sweepFrom, sweepTo);
        sweepCounter = 0;
      }
      ++sweepCounter;
      if (frame % 3 == 0) {
        const SVec4 at = V(muzzle35);
        const SVec4 v = Dir(angle, 12.0f);
        effectShots.Spawn(&at, 0, RandF(), 2.0f, 2.0f, nullptr, &v, 0.95f);
      }
      if (!path.Advance(position, 1.0f)) Next(STATE_SPRAY);
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

void EnemyType5Behavior::Volley() const {
  const int32_t m = 3 - int32_t(-6.0f * RandF());
  for (int32_t k = 0; k < m; ++k) {
    const float angle = 0.75f + 0.35f * RandFS();
    if (k % 2 == 0) {
      static constexpr float kAcc[2] = {0.0f, 4.0f};
      const float v = (RandFS() + 1.0f) * 20.0f;
      EShotMan::Fire(0x203, kHit, muzzle36[0], muzzle36[1], muzzle36[2], angle, v, nullptr, -1, kAcc, 0.95f);
    } else {
      static constexpr float kAcc[2] = {0.0f, 6.0f};
      const float v = 30.0f + 20.0f * RandFS();
      EShotMan::Fire(0x204, kHit, muzzle36[0], muzzle36[1], muzzle36[2], angle, v, nullptr, -1, kAcc, 0.9f);
    }
  }
  static constexpr float kFrom[4] = {1.0f, 1.0f, 1.0f, 0.8f}, kTo[4] = {0.7f, 0.7f, 0.7f, 0.6f};
  Glow(-45.0f, 2.0f, kFrom, kTo);
  static constexpr SVec4 kUp{0.0f, 1.5f, 0.0f, 1.0f};
  const SVec4 offset{0.0f, -45.0f, 0.0f, 0.0f};
  EfxMan* efx = EfxMan::Instance();
  for (int i = 0; i < 6; ++i) {
    const float a = 0.75f * (RandFS() + 1.0f);
    const SVec4 v2 = Dir(a, 7.0f + 3.0f * RandFS());
    if (efx != nullptr)
      efx->SpawnSpriteEx2(6, reinterpret_cast<const SVec4*>(position), &offset, SprEfx00_7KeysB, kWhite9, kGrey5,
                          60, 20, 0.0f, 0.4f, 0.4f, &kUp, &v2, 0.93f, 1, enemy);
  }
}

int32_t EnemyType5Behavior::Spray(int32_t code, bool generators) {
  static constexpr float kFrom[4] = {1.0f, 1.0f, 1.0f, 0.8f}, kTo[4] = {0.7f, 0.7f, 0.7f, 0.6f};
  const int32_t charge = generators ? 100 : 120;
  switch (code) {
    case CODE_ENTER:
      frame = step = 0;
      SetHome(generators ? STATE_FANS : STATE_ARCS);
      enemy->SetMove(200.0f, 215.0f, 0, 0.25f);
      BossSe(kChargeSound);
      return 1;
    case CODE_FRAME:
      switch (step) {
        case 0: {
          const float t = float(frame) / float(charge);
          if ((frame & 4) != 0) {
            Charge(t);
            if (!generators) Glow(-25.0f, 2.0f * (1.0f - std::cos(t * kHalfPi)), kFrom, kTo);
          }
          ++frame;
          if (SegmentDone()) Shake();
          if (frame == charge) {
            if (!generators) frame = 0;
            step = 1;
            enemy->SetMove(215.0f, 220.0f, 0, 0.5f);
          }
          return 1;
        }
        case 1:
          if (!generators && (frame & 5) != 0) Glow(-30.0f, 2.0f, kFrom, kTo);
          ++frame;
          if (!SegmentDone()) return 1;
          frame = 0;
          step = 2;
          enemy->SetRoutePoint(SEG_FIRE);
          BossSe(kShotSound);
          if (Game* g = GetGame()) g->StopSe(kChargeSound);
          if (generators) {
            BossGen(enemy, muzzle36, enemy, 0x101, kHit, 0x204, 0x204, 0, 0, 0, 9.0f, 9.0f, 19, 1.0f, 1, 0, 2, 2000, 0,
                    0, 0, 0, 0, 0, 0, nullptr, -1, 30);
            for (int i = 0; i <= 18; ++i)
              for (int j = 0; j <= 4; ++j)
                BossGen(enemy, muzzle36, enemy, 0x101, kHit, 0x203, 0x203, float(i) / 19.0f, 0, 0, 3.0f, 3.0f, 1, 0,
                        2, 25.0f + 22.0f * float(j), 60, 3, 0, 0, 0, 0, 0, 0, i % 2 == 0 ? 40.0f : 10.0f, nullptr,
                        -1, 0);
          }
          return 1;
        case 2:
          if (generators) {
            ++frame;
            if (frame > 278) {
              enemy->SetRoutePoint(SEG_SETTLE);
              step = 3;
            }
            return 1;
          }
          if (frame < 250 && frame % 5 == 0) Volley();
          Shake();
          ++frame;
          if (frame == 280) {
            enemy->SetRoutePointEx(SEG_SETTLE, 0.25f);
            step = 3;
          }
          return 1;
        default:
          if (!SegmentDone()) return 1;
          Next(EnemyBase::SCRIPT_RELEASED);
          return 1;
      }
    case CODE_LEAVE:
      if (generators) KillBossGenerators(enemy);
      return 1;
    default:
      return 0;
  }
}

int32_t EnemyType5Behavior::Arcs(int32_t code) {
  switch (code) {
    case CODE_ENTER:
      frame = 0;
      SetHome(STATE_VOLLEY);
      return 1;
    case CODE_FRAME: {
      const float t = float(frame) / 90.0f;
      if (frame % 2 == 0) {
        const SVec4 at = V(muzzle35);
        for (float a : {0.25f - t, t - 0.75f}) {
          const SVec4 v = Dir(a, 7.0f);
          effectShots.Spawn(&at, 0, 0.0f, 1.5f, 1.5f, nullptr, &v, 0.96f);
        }
      }
      ++frame;
      if (t >= 1.0f) Next(STATE_VOLLEY);
      return 1;
    }
    case CODE_LEAVE:
      return 1;
    default:
      return 0;
  }
}

int32_t EnemyType5Behavior::Fans(int32_t code) {
  switch (code) {
    case CODE_ENTER:
      frame = 0;
      SetHome(STATE_PAIRS);
      return 1;
    case CODE_FRAME:
      BossHover(position, home, frame);
      if (frame % 90 == 0) {
        const float centre = std::atan2(PlayerPos.y - muzzle35[1], PlayerPos.x - muzzle35[0]) / kTwoPi;
        SpawnChild<BossSubProc>(enemy, 0, 0, muzzle35, 0x200u, centre, 4.0f, 18, 0.12f);
      }
      ++frame;
      if (enemy->EveryFrames(250)) Next(STATE_PAIRS);
      return 1;
    case CODE_LEAVE:
      return 1;
    default:
      return 0;
  }
}

int32_t EnemyType5Behavior::Pairs(int32_t code) {
  switch (code) {
    case CODE_ENTER:
      frame = 0;
      sweepCounter = 0;
      loopCount = 0;
      SetHome(STATE_FLAMES);
      ramp.Set(position);
      for (auto& p : threePoints) std::copy(position, position + 4, p);
      threePoints[0][0] -= 30.0f;
      threePoints[1][0] += 20.0f;
      return 1;
    case CODE_FRAME: {
      const int32_t k = frame % 170;
      if (k == 0) {
        sweepCounter = 0;
        BossGen(enemy, muzzle36, enemy, 0x10101, kHit, 0x203, 0x203, 0, 0, 0, 3.5f, 3.0f, 23, 0.4f, 1, 0, 0, 3, 0, 0,
                0, 0, 0, 0, 0, nullptr, -1, 0);
      }
      if (k == 20) enemy->SetRoutePoint(SEG_LEFT_ARM);
      if (k == 71) {
        sweepCounter = 0;
        enemy->SetRoutePoint(SEG_RIGHT_ARM);
      }
      const bool left = k >= 40 && k <= 70, right = k >= 91 && k <= 121;
      if (left || right) {
        if (k == 40 || k == 101) BossSe(kShotSound);
        const float u = std::min(float(sweepCounter) / 30.0f, 1.0f);
        ++sweepCounter;
        const float angle = left ? 0.75f - 0.65f * u : 0.65f * u - 0.25f;
        shotPoint[0] = position[0] + 15.0f * std::cos(kTwoPi * angle) + (left ? -40.0f : 40.0f);
        shotPoint[1] = position[1] + 25.0f * std::sin(kTwoPi * angle) - 40.0f;
        shotPoint[2] = 0.0f;
        for (float v : {3.2f, 3.7f})
          EShotMan::Fire(0x203, kHit, shotPoint[0], shotPoint[1], 0.0f, angle, v, nullptr, -1, nullptr, 1.0f);
        // The muzzle flashes while the arm's stretch passes its firing frames.
        const float time = enemy->animator.value;
        const float lo = left ? 180.0f : 150.0f;
        if (time >= lo && time <= lo + 6.0f) {
          static constexpr float kTo[4] = {0.5f, 0.5f, 0.5f, 0.7f};
          const SVec4 at = V(left ? muzzle19 : muzzle11);
          const float r = RandF();
          if (EfxMan* efx = EfxMan::Instance())
            efx->SpawnSprite(6, &at, SprEfx10KeysB, kWhite9, kTo, 40, 50, r, 1.0f, 1.0f, nullptr, nullptr, 0.0f, 1);
        }
      }
      if (k == 131) {
        enemy->SetRoutePoint(SEG_IDLE);
        Next(EnemyBase::SCRIPT_RELEASED);
        ++loopCount;
      }
      ramp.Step();
      ++frame;
      return 1;
    }
    case CODE_LEAVE:
      return 1;
    default:
      return 0;
  }
}

int32_t EnemyType5Behavior::Flames(int32_t code) {
  switch (code) {
    case CODE_ENTER:
      frame = sweepCounter = step = 0;
      SetHome(STATE_SPRAY);
      return 1;
    case CODE_FRAME: {
      BossHover(position, home, sweepCounter);
      ++sweepCounter;
      const float t = float(frame) / 60.0f;
      const float angle = step == 0 ? 0.12f + 0.26f * t : 0.38f - 0.26f * t;
      shotPoint[0] = muzzle36[0] + 80.0f * std::cos(kTwoPi * angle);
      shotPoint[1] = muzzle36[1] + 40.0f * std::sin(kTwoPi * angle);
      shotPoint[2] = 0.0f;
      if (frame % 2 == 0) {
        const SVec4 at{shotPoint[0], shotPoint[1], 0.0f, 1.0f};
        const SVec4 v = Dir(angle, 10.0f);
        effectShots.Spawn(&at, 0, RandF(), 2.0f, 2.0f, nullptr, &v, 0.96f);
      }
      if (frame % 8 == 0)
        EShotMan::Fire(0x509, kHit, shotPoint[0], shotPoint[1], 0.0f, angle, 5.0f, nullptr, -1, nullptr, 1.0f);
      ++frame;
      if (t >= 1.0f) {
        if (step == 0) {
          frame = 0;
          step = 1;
        } else {
          Next(STATE_SPRAY);
        }
      }
      return 1;
    }
    case CODE_LEAVE:
      return 1;
    default:
      return 0;
  }
}

void EnemyType5Behavior::AwayEnter() {
  // Bodies never registered (all before the transformation) are left as
  // they are.
  for (HitBody& b : enemy->parts) b.Detach();
}

// The escape stretch is set again every frame: it holds on its first frame.
void EnemyType5Behavior::AwayFrame() { enemy->SetRoutePoint(SEG_ESCAPE); }

int32_t EnemyType5Behavior::Defeated(int32_t code) {
  switch (code) {
    case CODE_ENTER:
      frame = 0;
      KillBossGenerators(enemy);
      enemy->SetRoutePoint(SEG_DEFEAT);
      enemy->ReleaseGlows();
      for (HitBody& b : enemy->parts) b.Detach();
      BossPartsObject::Attach(enemy, new (std::nothrow) BossPartsObjectT5(&enemy->model));
      if (Game* g = GetGame()) g->StopSe(EnemyType5::kChargeSound);
      return 1;
    case CODE_FRAME:
    case CODE_LEAVE:
      return 1;
    default:
      return 0;
  }
}
