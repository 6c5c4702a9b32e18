#include <cmath>

#include "game/effect/ELaserGen.h"
#include "game/effect/EShotMan.h"
#include "game/effect/EfxMan.h"
#include "game/effect/EfxMath.h"
#include "game/effect/EfxTables.h"
#include "game/effect/RandF.h"
#include "game/enemy/BossKit.h"
#include "game/enemy/BossScript.h"
#include "game/enemy/BossSteps.h"
#include "game/enemy/EnemyToolkit.h"
#include "game/enemy/boss13/EnemyType13.h"
#include "game/tables/effect_tables.h"

namespace {

constexpr float kTwoPi = 6.2831855f;
constexpr float kHalfPi = 1.5707964f;
constexpr float kPi = 3.1415927f;

void SatellitesLeave(SProc* p) {
  if (SProcList* l = p->GetList(2)) l->Broadcast(EObjBase::EV_DEFEATED, 0);
}
void Set4(float* v, float x, float y, float z, float w) { v[0] = x, v[1] = y, v[2] = z, v[3] = w; }

// One shot: hit word 5, z 0, no motion, id -1.
void Shot(int32_t code, float x, float y, float angle, float speed, float last, const float* drift = nullptr) {
  EShotMan::Fire(code, 5, x, y, 0.0f, angle, speed, nullptr, -1, drift, last);
}

// The emitters of the script.
constexpr ShotGenArgs kG3a = {0x121, 5, 269, 269, 0.25f, 0, 0, 1.5f, 3.0f, 1, 0, 1, 0, 6, 54, 100, 4, 0, 0, 0, 0, 0, 0, -1, 0};
constexpr ShotGenArgs kG3b = {0x124, 5, 269, 269, 0.25f, 0, 0, 2.0f, 3.5f, 1, 0, 1, 0, 3, 40, 80, 2, 0, 0, 0, 0, 0, 0, -1, 0};
constexpr ShotGenArgs kG5a = {0x10101, 5, 12,    12, 0.25f, 0.001f, 0.004f, 8.0f, 8.0f, 30, 1.0f, 1, 0,
                            2,       1000, 0,  0, 0,     30.0f,  0,      0,    160.0f, 0, -1, 0};
constexpr ShotGenArgs kG5b = {0x10101, 5, 12,    12, 0.25f, -0.002f, -0.0055f, 8.0f, 8.0f, 30, 1.0f, 1, 0,
                            2,       1000, 0,  0, 0,     30.0f,   0,        0,    5.0f, 0, -1, 0};
constexpr ShotGenArgs kG6a = {0x10101, 5, 516, 516, 0, 0, 0, 3.0f, 5.5f, 41, 1.0f, 1, 0,
                            45,      5, 0,   0,   0, 30.0f, 0, 0, 30.0f, 0, -1, 0};
constexpr ShotGenArgs kG6b = {0x10101, 5, 516, 516, 0, 0, 0, 3.0f, 5.5f, 41, 1.0f, 1, 0,
                            45,      5, 0,   0,   0, 30.0f, 0, 0, 50.0f, 0, -1, 0};
constexpr ShotGenArgs kG7 = {0x10101, 5, 512, 512, 0, 0, 0, 6.0f, 6.0f, 30, 1.0f, 1, 0, 3, 5, 0, 0, 0, 0, 0, 0, 0, 0, -1, 0};
constexpr ShotGenArgs kG8a = {0x101, 5, 522, 522, 0.125f, 0.017f, 0.017f, 7.0f, 7.0f, 40, 1.0f, 1, 0,
                            8,     5, 0,   0,   0,      0,      0,      0,    220.0f, 0, -1, 30};
constexpr ShotGenArgs kG8b = {0x101, 5, 522, 522, 0, 0, 0, 7.0f, 7.0f, 47, 1.0f, 1, 0,
                            0,     1, 0,   0,   0, 0, 0, 0, 260.0f, 0, -1, 0};

// The fan emitter k of state 3 (q: 0 or 1, the side it turns to).
void StartG3c(EnemyBase* boss, float* p, int32_t k, int32_t q) {
  const float fq = float(q), fk = float(k);
  const ShotGenArgs w = {0x10404, 5, 512, 512, 0.1f - 0.2f * fq, 0.02f * fq - 0.01f, 0.06f * fq - 0.03f,
                       6.0f + 0.4f * fk, 8.0f + 0.4f * fk, 1, 0, 1, 0, 3, 13, 0, 0, 0, 0, 0, 0, 10.0f, 0, -1, 0};
  AddShotGen(boss, p, w, boss);
}

}  // namespace

int32_t EnemyType13Behavior::Handle(int32_t code, int32_t state) {
  if (position == nullptr) position = owner->GetPosition();
  if (code == CODE_NOTIFY) return 0;
  switch (state) {
    case MATERIALISE: return Materialise(code);
    case INTERLUDE: return Interlude(code);
    case TWIN_STREAMS: return TwinStreams(code);
    case ORBIT: return Orbit(code);
    case LOOP: return Loop(code);
    case STREAMS: return Streams(code);
    case RINGS: return Rings(code);
    case SWING: return Swing(code);
    case LASERS: return Lasers(code);
    case EnemyBase::SCRIPT_RELEASED: return Return(code);
    case EnemyBase::SCRIPT_DEFEATED: return Defeat(code);
    default: return 0;
  }
}

void EnemyType13Behavior::EnterAttack(int32_t next) {
  c = 0;
  fight = 1;
  for (int i = 0; i < 4; ++i) saved[i] = position[i];
  nextAttack = next;
}

void EnemyType13Behavior::Hover() { BossHover(position, saved, c); }

void EnemyType13Behavior::TimeCheck(int32_t next) {
  if (!DefeatWhenOverTime(owner)) ChangeState(next);
}

// A streamer from a point round the boss (angle `centre` +- 0.125 turn,
// radius base +- 50) converging on it.
void EnemyType13Behavior::LaunchStreamer(float centre, float radiusBase) {
  const float a = RandFS() * 0.25f + centre;
  const float r = RandFS() * 100.0f + radiusBase;
  const float start[4] = {position[0] + r * std::cos(a * kTwoPi), position[1] + r * std::sin(a * kTwoPi),
                          position[2], position[3]};
  streamers.Launch(start, position, r * 0.73913044f, 8.0f);
}

// A reddish glow of size s at a random point within 4 s of the boss.
void EnemyType13Behavior::Glow(float s) {
  static constexpr float kFrom[4] = {1.0f, 0.5f, 0.5f, 0.8f};
  static constexpr float kTo[4] = {0.8f, 0.4f, 0.4f, 0.1f};
  const float a = RandF();
  const float r = RandF() * 4.0f * s;
  const SVec4 at{position[0] + r * std::cos(a * kTwoPi), position[1] + r * std::sin(a * kTwoPi), position[2], 1.0f};
  if (EfxMan* efx = EfxMan::Instance())
    efx->SpawnSprite(6, &at, EfxKeyList7, kFrom, kTo, 15, 15, 0.0f, s, s, nullptr, nullptr, 0.0f, 1);
}

int32_t EnemyType13Behavior::Materialise(int32_t code) {
  if (code == CODE_ENTER) {
    fight = 1;
    c = 0;
    Set4(position, 0.0f, -100.0f, 0.0f, position[3]);
    for (int i = 0; i < 4; ++i) saved[i] = position[i];
    owner->body.SetDisabled(1);
    streamers.SetStatic(true);
    owner->AddChild(2, &streamers, 0);
    static constexpr float kFirst[4] = {150.0f, -250.0f, 0.0f, 1.0f};
    streamers.Launch(kFirst, position, 96.08696f, 10.0f);
    BossSe(29);
    return 1;
  }
  if (code != CODE_FRAME) return code == CODE_LEAVE;
  if (c < 240) {
    if (c % 15 == 0) LaunchStreamer(0.125f, 240.0f), LaunchStreamer(0.625f, 220.0f);
    if (c % 20 == 0) LaunchStreamer(0.375f, 240.0f), LaunchStreamer(0.875f, 220.0f);
  }
  if (c > 120 && c < 300 && c % 3 == 0)
    Glow(std::sin(std::fmin(float(c - 120) / 120.0f, 1.0f) * kHalfPi) * 11.0f + 1.0f);
  if (c > 300 && c < 330 && c % 3 == 0) Glow(12.0f - 3.0f * std::cos(std::fmin(float(c - 300) / 30.0f, 1.0f) * kPi) + 3.0f);
  if (c == 330) {
    BossSe(48);
    for (int i = 0; i < 12; ++i) Glow(18.0f);
    BossScreenRamp(2.0f, 10);
  }
  Hover();
  if (c == 350) {
    streamers.Dispose();
    owner->visible = 1;
    BossScreenRamp(1.0f, 120);
    BossVoice(kVoiceEntry);
    owner->body.SetDisabled(0);
    fight = 1;
    nextAttack = TWIN_STREAMS;
    ChangeState(INTERLUDE);
  }
  ++c;
  return 1;
}

int32_t EnemyType13Behavior::Interlude(int32_t code) {
  if (code == CODE_ENTER) {
    c = 0;
    for (int i = 0; i < 4; ++i) saved[i] = position[i];
    SatellitesLeave(owner);
    return 1;
  }
  if (code != CODE_FRAME) return code == CODE_LEAVE;
  Hover();
  if (c == 80) {
    for (int i = 0; i < 2; ++i) {
      BossOption2D* o = BossOption2D::Spawn(owner, SprEfx02_5Keys);
      satellites.Set(i, o);
      if (o != nullptr) o->SetPolarTarget(0.5f * float(i), 150.0f, 0.06f);
    }
  }
  if (c >= 180) ChangeState(nextAttack);
  ++c;
  return 1;
}

int32_t EnemyType13Behavior::TwinStreams(int32_t code) {
  switch (code) {
    case CODE_ENTER: {
      EnterAttack(ORBIT);
      satellites.ForEach([this](BossOption2D& o, int i) {
        o.SetPolarTarget(0.5f * float(i), 150.0f, 0.06f);
        const float turn = i == 0 ? 0.02f : -0.02f;
        const ShotGenArgs w = {257, 5, 10, 10, 0.25f, turn, turn, 5.0f, 5.0f, 20, 1.0f, 1, 0,
                             10,  1000, 0, 0, 0, 0, 0, 0, 60.0f, 0, -1, 0};
        AddShotGen(owner, o.Position(), w, &o);
      });
      return 1;
    }
    case CODE_FRAME:
      Hover();
      ++c;
      if (owner->EveryFrames(180)) TimeCheck(ORBIT);
      return 1;
    case CODE_LEAVE:
      KillBossGenerators(owner);
      return 1;
    default:
      return 0;
  }
}

int32_t EnemyType13Behavior::Orbit(int32_t code) {
  switch (code) {
    case CODE_ENTER: {
      EnterAttack(LOOP);
      d = 0;
      BossVoice(43);
      if (BossOption2D* a = satellites.Live(0)) AddShotGen(owner, a->Position(), kG3a, a);
      if (BossOption2D* b = satellites.Live(1)) AddShotGen(owner, b->Position(), kG3b, b);
      Set4(points[0], position[0] + 80.0f, position[1], position[2], position[3]);
      Set4(points[1], position[0] - 80.0f, position[1], position[2], position[3]);
      Set4(points[2], position[0], position[1], position[2], position[3]);
      follower.Set(position);
      return 1;
    }
    case CODE_FRAME: {
      const float r = std::fmin(float(c) / 120.0f, 1.0f);
      const float th = kTwoPi * float(c) / 120.0f;
      satellites.ForEach([&](BossOption2D& o, int i) {
        const float t = th + kPi * float(i);
        const float goal[4] = {points[2][0] + 200.0f * std::cos(t), points[2][1] + 15.0f * std::sin(t) - 170.0f * r,
                               0.0f, 0.0f};
        o.SetTarget(goal, r);
      });
      const int32_t m = c % 140;
      if (m == 0) {
        follower.SetTarget(points[d % 2], 0.02f);
        ++d;
        owner->SetRoutePoint(d % 2 == 1 ? 1 : 4);
      }
      if (m == 20) owner->SetRoutePoint(d % 2 == 1 ? 2 : 5);
      if (m == 80) owner->SetRoutePoint(d % 2 == 1 ? 3 : 6);
      if (m == 100) {
        owner->SetRoutePoint(16);
        for (int32_t k = 0; k < 8; ++k) StartG3c(owner, position, k, d % 2);
      }
      if (m == 130) owner->SetRoutePoint(0);
      ++c;
      follower.Step();
      if (owner->EveryFrames(420)) {
        satellites.ForEach([this](BossOption2D& o, int i) {
          const float goal[4] = {saved[0] + 150.0f * std::cos(float(i) * kPi),
                                 saved[1] + 150.0f * std::sin(float(i) * kPi), saved[2], 0.0f};
          o.SetTarget(goal, 0.06f);
        });
        fight = 0;
        nextAttack = LOOP;
        TimeCheck(EnemyBase::SCRIPT_RELEASED);
      }
      return 1;
    }
    case CODE_LEAVE:
      owner->SetRoutePoint(0);
      KillBossGenerators(owner);
      return 1;
    default:
      return 0;
  }
}

int32_t EnemyType13Behavior::Loop(int32_t code) {
  switch (code) {
    case CODE_ENTER: {
      EnterAttack(STREAMS);
      orbit = 0.0f;
      Set4(points[0], position[0] - 100.0f, position[1] - 30.0f, position[2], position[3]);
      Set4(points[1], position[0], position[1] - 60.0f, position[2], position[3]);
      Set4(points[2], position[0] + 100.0f, position[1] - 30.0f, position[2], position[3]);
      const float* k[5] = {position, points[0], points[1], points[2], position};
      float p0[4];
      for (int i = 0; i < 4; ++i) p0[i] = position[i];
      k[0] = k[4] = p0;
      float t[4][4];
      for (int i = 0; i < 4; ++i) CalcSplineTangent(t[i], k[(i + 3) % 4], k[i], k[i + 1], 0.0f, 0.0f);
      path.Clear();
      for (int i = 0; i < 4; ++i) path.AddKey(k[i], t[i], 100.0f, -1.0f);
      path.AddKey(p0, t[0], 0.0f, -1.0f);
      path.loop = 1;
      return 1;
    }
    case CODE_FRAME: {
      orbit += 0.005f;
      const float rate = c >= 120 ? 1.0f : 0.03f + 0.0080833333f * float(c);
      if (BossOption2D* a = satellites.Live(0)) a->SetPolarTarget(orbit, 80.0f, rate);
      if (BossOption2D* b = satellites.Live(1)) b->SetPolarTarget(orbit + 0.5f, 80.0f, rate);
      // Each pair of draws is taken even without its satellite, so the
      // draws stay in step.
      auto spray = [this](int i, float base) {
        const float a = base + 0.25f * RandFS();
        const float s = 3.0f * (RandFS() + 1.0f);
        if (BossOption2D* o = satellites.Live(i)) Shot(12, o->Position()[0], o->Position()[1], a, s, 0.9966f);
      };
      if (c % 3 == 0)
        for (int n = 0; n < 3; ++n) spray(0, orbit), spray(1, orbit + 0.5f);
      if (c % 12 == 0) {
        for (int i = 0; i < 2; ++i) {
          BossOption2D* o = satellites.Live(i);
          const float aim = o != nullptr ? AngleToPlayer(o->Position()[0], o->Position()[1]) : 0.0f;
          const float a = aim + 0.1f * RandFS();
          const float s = 2.0f * (RandFS() + 1.0f);
          if (o != nullptr) Shot(516, o->Position()[0], o->Position()[1], a, s, 1.0f);
        }
      }
      static constexpr int32_t kAt[9] = {0, 20, 80, 100, 120, 280, 300, 320, 380};
      static constexpr uint32_t kRoute[9] = {4, 5, 6, 1, 2, 3, 4, 5, 6};
      for (int i = 0; i < 9; ++i)
        if (c == kAt[i]) owner->SetRoutePoint(kRoute[i]);
      ++c;
      path.Advance(position, 1.0f);
      if (path.laps >= 1) {
        SatellitesLeave(owner);
        fight = 0;
        nextAttack = STREAMS;
        TimeCheck(EnemyBase::SCRIPT_RELEASED);
      }
      return 1;
    }
    case CODE_LEAVE:
      owner->SetRoutePoint(0);
      path.Clear();
      return 1;
    default:
      return 0;
  }
}

int32_t EnemyType13Behavior::Streams(int32_t code) {
  switch (code) {
    case CODE_ENTER:
      EnterAttack(RINGS);
      AddShotGen(owner, position, kG5a, owner);
      return 1;
    case CODE_FRAME:
      if (c == 130) owner->SetRoutePoint(17);
      if (c == 160) BossVoice(44), owner->SetRoutePoint(18);
      if (c == 300) KillBossGenerators(owner), AddShotGen(owner, position, kG5b, owner);
      if (c == 468) KillBossGenerators(owner), owner->SetRoutePointEx(19, 0.25f);
      if (c == 500) {
        fight = 1;
        nextAttack = RINGS;
        TimeCheck(INTERLUDE);
      }
      ++c;
      return 1;
    case CODE_LEAVE:
      owner->SetRoutePoint(0);
      return 1;
    default:
      return 0;
  }
}

int32_t EnemyType13Behavior::Rings(int32_t code) {
  switch (code) {
    case CODE_ENTER:
      EnterAttack(SWING);
      BossVoice(45);
      ringAngle = AngleToPlayer(position[0], position[1]);
      if (BossOption2D* a = satellites.Live(0)) AddShotGen(owner, a->Position(), kG6a, a);
      if (BossOption2D* b = satellites.Live(1)) AddShotGen(owner, b->Position(), kG6b, b);
      return 1;
    case CODE_FRAME:
      if (c >= 30 && c < 240) {
        const int32_t m = c % 60;
        if (m == 0) ringAngle += 0.3f;
        if (m >= 1 && m <= 58)
          for (int k = 0; k < 20; ++k)
            Shot(268, position[0], position[1] + 30.0f, ringAngle + float(k) / 19.0f, 15.0f, 1.0f);
      }
      if (c == 0) owner->SetRoutePoint(13);
      if (c == 30) owner->SetRoutePoint(14);
      if (c == 242) owner->SetRoutePoint(15);
      ++c;
      if (owner->EveryFrames(270)) TimeCheck(SWING);
      return 1;
    case CODE_LEAVE:
      owner->SetRoutePoint(0);
      KillBossGenerators(owner);
      return 1;
    default:
      return 0;
  }
}

int32_t EnemyType13Behavior::Swing(int32_t code) {
  switch (code) {
    case CODE_ENTER: {
      EnterAttack(LASERS);
      d = 0;
      Set4(points[0], position[0] + 80.0f, position[1], position[2], position[3]);
      Set4(points[1], position[0] - 80.0f, position[1], position[2], position[3]);
      float p0[4];
      for (int i = 0; i < 4; ++i) p0[i] = position[i];
      float t0[4], t1[4], t2[4];
      CalcSplineTangent(t0, points[1], p0, points[0], 0.0f, 0.0f);
      CalcSplineTangent(t1, p0, points[0], points[1], 0.0f, 0.0f);
      CalcSplineTangent(t2, points[0], points[1], p0, 0.0f, 0.0f);
      path.Clear();
      path.AddKey(p0, t0, 120.0f, -1.0f);
      path.AddKey(points[0], t1, 120.0f, -1.0f);
      path.AddKey(points[1], t2, 120.0f, -1.0f);
      path.AddKey(p0, t0, 0.0f, -1.0f);
      return 1;
    }
    case CODE_FRAME:
      if (d > 30) {
        const int32_t m = c % 60;
        if (m <= 30 && m % 2 == 1) {
          static constexpr float kDown[2] = {0.0f, 8.0f}, kUp[2] = {0.0f, -8.0f};
          const float x = position[0], y = position[1] + 30.0f;
          for (int k = 0; k < 5; ++k) {
            const float fk = float(k), last = 0.955f - 0.02f * fk;
            Shot(6, x, y, 0.6f - 0.06f * fk, 15.0f, last, kDown);
            Shot(6, x, y, 0.06f * fk - 0.1f, 15.0f, last, kDown);
            Shot(6, x, y, 0.4f + 0.06f * fk, 15.0f, last, kUp);
            Shot(6, x, y, 0.1f - 0.06f * fk, 15.0f, last, kUp);
          }
        }
        if (m <= 30 && (m & 6) != 0) {
          static constexpr float kFrom[4] = {1.0f, 1.0f, 1.0f, 0.05f};
          static constexpr float kTo[4] = {0.9f, 0.9f, 0.9f, 0.25f};
          const float r1 = RandFS(), r2 = RandFS();
          const SVec4 offset{8.0f * r2, 30.0f + 8.0f * r1, 0.0f, 0.0f};
          const float turn = RandF();
          if (EfxMan* efx = EfxMan::Instance())
            efx->SpawnSpriteEx2(6, reinterpret_cast<const SVec4*>(position), &offset, SprEfx02_1Keys, kFrom, kTo, 10,
                                10, turn, 2.0f, 2.0f, nullptr, nullptr, 0.0f, 1, owner);
        }
        if (m == 45) satellites.ForEach([this](BossOption2D& o, int) { AddShotGen(owner, o.Position(), kG7, &o); });
        if (!path.Advance(position, 1.0f)) TimeCheck(LASERS);
        ++c;
      }
      if (d == 0) owner->SetRoutePoint(17);
      if (d == 30) owner->SetRoutePoint(18);
      if (d == 328) owner->SetRoutePointEx(19, 0.25f);
      ++d;
      return 1;
    case CODE_LEAVE:
      owner->SetRoutePoint(0);
      path.Clear();
      return 1;
    default:
      return 0;
  }
}

int32_t EnemyType13Behavior::Lasers(int32_t code) {
  switch (code) {
    case CODE_ENTER:
      EnterAttack(TWIN_STREAMS);
      sub = 0;
      d = 0;
      BossVoice(46);
      return 1;
    case CODE_FRAME:
      Hover();
      if (sub == 0) {
        if (c % 45 == 0) {
          // A laser from satellite A, then B, in turns; it stays where it
          // was made. A missing satellite fires none, and the count goes on.
          if (BossOption2D* o = satellites.Live(d % 2)) {
            laser = kIdentityMatrix;
            for (int i = 0; i < 3; ++i) laser.m[3][i] = o->Position()[i];
            owner->AddChild(0,
                            ELaserGen::ELaserGenEx(&laser, 0x70000, 25.0f, 360, 2, 0.7f, 2.0f, 5.0f, 32.0f, 18.0f,
                                                   3.0f, 6.0f, 30.0f, 15.0f, 0),
                            0);
          }
          if (++d == 8) {
            sub = 1;
            c = -1;
            AddShotGen(owner, position, kG8a, owner);
            AddShotGen(owner, position, kG8b, owner);
          }
        }
      } else if (c >= 500) {
        TimeCheck(TWIN_STREAMS);
      }
      ++c;
      return 1;
    case CODE_LEAVE:
      KillBossGenerators(owner);
      return 1;
    default:
      return 0;
  }
}

int32_t EnemyType13Behavior::Return(int32_t code) {
  switch (code) {
    case CODE_ENTER: {
      if (DefeatWhenOverTime(owner)) return 1;
      c = 0;
      PathTo(path, position, saved, 60.0f);
      owner->SetRoutePoint(0);
      return 1;
    }
    case CODE_FRAME:
      if (!path.Advance(position, 1.0f))
        ChangeState(nextAttack == STREAMS ? STREAMS : fight != 0 ? INTERLUDE : nextAttack);
      return 1;
    case CODE_LEAVE:
      owner->everyCounter = 0;
      path.Clear();
      return 1;
    default:
      return 0;
  }
}

int32_t EnemyType13Behavior::Defeat(int32_t code) {
  if (code == CODE_ENTER) {
    c = 0;
    sub = 0;
    KillBossGenerators(owner);
    SatellitesLeave(owner);
    StopBossVoices({43, 44, 45, 46});
    owner->SetMove(230.0f, 234.0f, 0, 0.5f);
    BossScreenRamp(2.0f, 0);
    return 1;
  }
  if (code != CODE_FRAME) return code == CODE_LEAVE;
  if (sub == 0) {
    const int32_t f = ++c;
    if (f == 6) BossScreenRamp(1.0f, 0);
    position[0] += 1.5f * RandFS();
    position[1] += 1.5f * RandFS();
    if (f == 8) owner->SetMove(234.0f, 236.0f, 1, 0.5f);
    if (f == 40) owner->SetMove(236.0f, 245.0f, 0, 0.5f);
    if (f == 58) {
      c = 0;
      sub = 1;
      owner->SetRoutePoint(0);
      // To the centre with both tangents zero (tension and bias 1).
      static constexpr float kCentre[4] = {0.0f, -80.0f, 0.0f, 1.0f}, kStill[4] = {0.0f, 0.0f, 0.0f, 1.0f};
      path.Clear();
      path.AddKey(position, kStill, 120.0f, -1.0f);
      path.AddKey(kCentre, kStill, 0.0f, -1.0f);
      BossVoice(50);
    }
  } else if (sub == 1) {
    if (!path.Advance(position, 1.0f)) {
      sub = 2;
      owner->SetRoutePoint(20);
      const SVec4 at{position[0], position[1], position[2], position[3]};
      EfxMan* efx = EfxMan::Instance();
      blastSpawned = efx != nullptr && efx->SpawnRandom(6, &at, 1.0f, static_cast<SProc*>(owner)) != nullptr;
      blastCount = 1;
    }
  } else if (blastCount >= 0 && ++blastCount >= kBlastFrames + blastSpawned) {
    // No explosion could be had (or it was cleared away): the boss ends
    // itself when the explosion would have ended it.
    owner->Kill(0);
  }
  return 1;
}
