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
  if (SProcList* l = p->GetList(2)) l->Broadcast(kHitEventDefeated, 0);
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
  if (position == nullptr) position = enemy->GetPosition();
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
    case EnemyBase::SCRIPT_RELEASED: return FlyHome(code, {60.0f, 0, kDefeat}, home);
    case EnemyBase::SCRIPT_DEFEATED: return Defeat(code);
    default: return 0;
  }
}

void EnemyType13Behavior::EnterAttack(int32_t then) {
  BeginAttack(then);
  fight = 1;
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
    frame = 0;
    Set4(position, 0.0f, -100.0f, 0.0f, position[3]);
    for (int i = 0; i < 4; ++i) home[i] = position[i];
    enemy->body.SetDisabled(1);
    streamers.SetStatic(true);
    enemy->AddChild(2, &streamers, 0);
    static constexpr float kFirst[4] = {150.0f, -250.0f, 0.0f, 1.0f};
    streamers.Launch(kFirst, position, 96.08696f, 10.0f);
    BossSe(29);
    return 1;
  }
  if (code != CODE_FRAME) return code == CODE_LEAVE;
  // The streamers converge for 240 frames; the glow swells from 120 and
  // flares from 300 into the white flash of 330. Only at 350, with the
  // screen still white, does the body show and become open to hits.
  if (frame < 240) {
    if (frame % 15 == 0) LaunchStreamer(0.125f, 240.0f), LaunchStreamer(0.625f, 220.0f);
    if (frame % 20 == 0) LaunchStreamer(0.375f, 240.0f), LaunchStreamer(0.875f, 220.0f);
  }
  if (frame > 120 && frame < 300 && frame % 3 == 0)
    Glow(std::sin(std::fmin(float(frame - 120) / 120.0f, 1.0f) * kHalfPi) * 11.0f + 1.0f);
  if (frame > 300 && frame < 330 && frame % 3 == 0) Glow(12.0f - 3.0f * std::cos(std::fmin(float(frame - 300) / 30.0f, 1.0f) * kPi) + 3.0f);
  if (frame == 330) {
    BossSe(48);
    for (int i = 0; i < 12; ++i) Glow(18.0f);
    BossScreenRamp(2.0f, 10);
  }
  BossHover(position, home, frame);
  if (frame == 350) {
    streamers.Dispose();
    enemy->visible = 1;
    BossScreenRamp(1.0f, 120);
    BossVoice(kVoiceEntry);
    enemy->body.SetDisabled(0);
    fight = 1;
    next = TWIN_STREAMS;
    ChangeState(INTERLUDE);
  }
  ++frame;
  return 1;
}

int32_t EnemyType13Behavior::Interlude(int32_t code) {
  if (code == CODE_ENTER) {
    frame = 0;
    for (int i = 0; i < 4; ++i) home[i] = position[i];
    SatellitesLeave(enemy);
    return 1;
  }
  if (code != CODE_FRAME) return code == CODE_LEAVE;
  BossHover(position, home, frame);
  if (frame == 80) {
    for (int i = 0; i < 2; ++i) {
      BossOption2D* o = BossOption2D::Spawn(enemy, SprEfx02_5Keys);
      satellites.Set(i, o);
      if (o != nullptr) o->SetPolarTarget(0.5f * float(i), 150.0f, 0.06f);
    }
  }
  if (frame >= 180) ChangeState(next);
  ++frame;
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
        AddShotGen(enemy, o.Position(), w, &o);
      });
      return 1;
    }
    case CODE_FRAME:
      BossHover(position, home, frame);
      ++frame;
      if (enemy->EveryFrames(180)) EndAttack(ORBIT);
      return 1;
    case CODE_LEAVE:
      KillBossGenerators(enemy);
      return 1;
    default:
      return 0;
  }
}

int32_t EnemyType13Behavior::Orbit(int32_t code) {
  switch (code) {
    case CODE_ENTER: {
      EnterAttack(LOOP);
      count = 0;
      BossVoice(43);
      if (BossOption2D* a = satellites.Live(0)) AddShotGen(enemy, a->Position(), kG3a, a);
      if (BossOption2D* b = satellites.Live(1)) AddShotGen(enemy, b->Position(), kG3b, b);
      Set4(points[0], position[0] + 80.0f, position[1], position[2], position[3]);
      Set4(points[1], position[0] - 80.0f, position[1], position[2], position[3]);
      Set4(points[2], position[0], position[1], position[2], position[3]);
      follower.Set(position);
      return 1;
    }
    case CODE_FRAME: {
      const float r = std::fmin(float(frame) / 120.0f, 1.0f);
      const float th = kTwoPi * float(frame) / 120.0f;
      satellites.ForEach([&](BossOption2D& o, int i) {
        const float t = th + kPi * float(i);
        const float goal[4] = {points[2][0] + 200.0f * std::cos(t), points[2][1] + 15.0f * std::sin(t) - 170.0f * r,
                               0.0f, 0.0f};
        o.SetTarget(goal, r);
      });
      // A 140-frame sway, to one side and back in turns: the body's motions
      // 1 to 3 (4 to 6 on the other turn) go with it, and at 100 motion 16
      // with the eight fans, whose turn alternates with the sway.
      const int32_t m = frame % 140;
      if (m == 0) {
        follower.SetTarget(points[count % 2], 0.02f);
        ++count;
        enemy->SetRoutePoint(count % 2 == 1 ? 1 : 4);
      }
      if (m == 20) enemy->SetRoutePoint(count % 2 == 1 ? 2 : 5);
      if (m == 80) enemy->SetRoutePoint(count % 2 == 1 ? 3 : 6);
      if (m == 100) {
        enemy->SetRoutePoint(16);
        for (int32_t k = 0; k < 8; ++k) StartG3c(enemy, position, k, count % 2);
      }
      if (m == 130) enemy->SetRoutePoint(0);
      ++frame;
      follower.Step();
      if (enemy->EveryFrames(420)) {
        satellites.ForEach([this](BossOption2D& o, int i) {
          const float goal[4] = {home[0] + 150.0f * std::cos(float(i) * kPi),
                                 home[1] + 150.0f * std::sin(float(i) * kPi), home[2], 0.0f};
          o.SetTarget(goal, 0.06f);
        });
        fight = 0;
        next = LOOP;
        EndAttack(EnemyBase::SCRIPT_RELEASED);
      }
      return 1;
    }
    case CODE_LEAVE:
      enemy->SetRoutePoint(0);
      KillBossGenerators(enemy);
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
      const float rate = frame >= 120 ? 1.0f : 0.03f + 0.0080833333f * float(frame);
      if (BossOption2D* a = satellites.Live(0)) a->SetPolarTarget(orbit, 80.0f, rate);
      if (BossOption2D* b = satellites.Live(1)) b->SetPolarTarget(orbit + 0.5f, 80.0f, rate);
      // Each pair of draws is taken even without its satellite, so the
      // draws stay in step.
      auto spray = [this](int i, float base) {
        const float a = base + 0.25f * RandFS();
        const float s = 3.0f * (RandFS() + 1.0f);
        if (BossOption2D* o = satellites.Live(i)) Shot(12, o->Position()[0], o->Position()[1], a, s, 0.9966f);
      };
      if (frame % 3 == 0)
        for (int n = 0; n < 3; ++n) spray(0, orbit), spray(1, orbit + 0.5f);
      if (frame % 12 == 0) {
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
        if (frame == kAt[i]) enemy->SetRoutePoint(kRoute[i]);
      ++frame;
      path.Advance(position, 1.0f);
      if (path.laps >= 1) {
        SatellitesLeave(enemy);
        fight = 0;
        next = STREAMS;
        EndAttack(EnemyBase::SCRIPT_RELEASED);
      }
      return 1;
    }
    case CODE_LEAVE:
      enemy->SetRoutePoint(0);
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
      AddShotGen(enemy, position, kG5a, enemy);
      return 1;
    case CODE_FRAME:
      if (frame == 130) enemy->SetRoutePoint(17);
      if (frame == 160) BossVoice(44), enemy->SetRoutePoint(18);
      if (frame == 300) KillBossGenerators(enemy), AddShotGen(enemy, position, kG5b, enemy);
      if (frame == 468) KillBossGenerators(enemy), enemy->SetRoutePointEx(19, 0.25f);
      if (frame == 500) {
        fight = 1;
        next = RINGS;
        EndAttack(INTERLUDE);
      }
      ++frame;
      return 1;
    case CODE_LEAVE:
      enemy->SetRoutePoint(0);
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
      if (BossOption2D* a = satellites.Live(0)) AddShotGen(enemy, a->Position(), kG6a, a);
      if (BossOption2D* b = satellites.Live(1)) AddShotGen(enemy, b->Position(), kG6b, b);
      return 1;
    case CODE_FRAME:
      if (frame >= 30 && frame < 240) {
        const int32_t m = frame % 60;
        if (m == 0) ringAngle += 0.3f;
        if (m >= 1 && m <= 58)
          for (int k = 0; k < 20; ++k)
            Shot(268, position[0], position[1] + 30.0f, ringAngle + float(k) / 19.0f, 15.0f, 1.0f);
      }
      if (frame == 0) enemy->SetRoutePoint(13);
      if (frame == 30) enemy->SetRoutePoint(14);
      if (frame == 242) enemy->SetRoutePoint(15);
      ++frame;
      if (enemy->EveryFrames(270)) EndAttack(SWING);
      return 1;
    case CODE_LEAVE:
      enemy->SetRoutePoint(0);
      KillBossGenerators(enemy);
      return 1;
    default:
      return 0;
  }
}

int32_t EnemyType13Behavior::Swing(int32_t code) {
  switch (code) {
    case CODE_ENTER: {
      EnterAttack(LASERS);
      count = 0;
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
      // `count` times the body's motions from the start; the swing itself
      // (`frame`) waits the 30 frames until motion 18 is on.
      if (count > 30) {
        const int32_t m = frame % 60;
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
          // The spark key list is the one boss 16's sparks use.
          if (EfxMan* efx = EfxMan::Instance())
            efx->SpawnSpriteEx2(6, reinterpret_cast<const SVec4*>(position), &offset, &SprEfx00_4KeysB[0], kFrom, kTo,
                                10, 10, turn, 2.0f, 2.0f, nullptr, nullptr, 0.0f, 1, enemy);
        }
        if (m == 45) satellites.ForEach([this](BossOption2D& o, int) { AddShotGen(enemy, o.Position(), kG7, &o); });
        if (!path.Advance(position, 1.0f)) EndAttack(LASERS);
        ++frame;
      }
      if (count == 0) enemy->SetRoutePoint(17);
      if (count == 30) enemy->SetRoutePoint(18);
      if (count == 328) enemy->SetRoutePointEx(19, 0.25f);
      ++count;
      return 1;
    case CODE_LEAVE:
      enemy->SetRoutePoint(0);
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
      step = 0;
      count = 0;
      BossVoice(46);
      return 1;
    case CODE_FRAME:
      BossHover(position, home, frame);
      if (step == 0) {
        if (frame % 45 == 0) {
          // A laser from satellite A, then B, in turns; it stays where it
          // was made. A missing satellite fires none, and the count goes on.
          if (BossOption2D* o = satellites.Live(count % 2)) {
            laser = kIdentityMatrix;
            for (int i = 0; i < 3; ++i) laser.m[3][i] = o->Position()[i];
            enemy->AddChild(0,
                            ELaserGen::ELaserGenEx(&laser, 0x70000, 25.0f, 360, 2, 0.7f, 2.0f, 5.0f, 32.0f, 18.0f,
                                                   3.0f, 6.0f, 30.0f, 15.0f, 0),
                            0);
          }
          if (++count == 8) {
            // The 500 frames of the two emitters count from the next frame.
            step = 1;
            frame = -1;
            AddShotGen(enemy, position, kG8a, enemy);
            AddShotGen(enemy, position, kG8b, enemy);
          }
        }
      } else if (frame >= 500) {
        EndAttack(TWIN_STREAMS);
      }
      ++frame;
      return 1;
    case CODE_LEAVE:
      KillBossGenerators(enemy);
      return 1;
    default:
      return 0;
  }
}

int32_t EnemyType13Behavior::AfterHome() {
  // The loop always leads straight into the streams. The orbit flies home
  // by itself (fight 0) and goes on to the loop; an attack that the enemy
  // timeline cut short goes on through the interlude, whose new satellites
  // replace any the attack lost.
  if (next == STREAMS) return STREAMS;
  return fight != 0 ? INTERLUDE : next;
}

int32_t EnemyType13Behavior::Defeat(int32_t code) {
  if (code == CODE_ENTER) {
    frame = 0;
    step = 0;
    KillBossGenerators(enemy);
    SatellitesLeave(enemy);
    StopBossVoices({43, 44, 45, 46});
    enemy->SetMove(230.0f, 234.0f, 0, 0.5f);
    BossScreenRamp(2.0f, 0);
    return 1;
  }
  if (code != CODE_FRAME) return code == CODE_LEAVE;
  if (step == 0) {
    const int32_t f = ++frame;
    if (f == 6) BossScreenRamp(1.0f, 0);
    position[0] += 1.5f * RandFS();
    position[1] += 1.5f * RandFS();
    if (f == 8) enemy->SetMove(234.0f, 236.0f, 1, 0.5f);
    if (f == 40) enemy->SetMove(236.0f, 245.0f, 0, 0.5f);
    if (f == 58) {
      frame = 0;
      step = 1;
      enemy->SetRoutePoint(0);
      // To the centre with both tangents zero (tension and bias 1).
      static constexpr float kCentre[4] = {0.0f, -80.0f, 0.0f, 1.0f}, kStill[4] = {0.0f, 0.0f, 0.0f, 1.0f};
      path.Clear();
      path.AddKey(position, kStill, 120.0f, -1.0f);
      path.AddKey(kCentre, kStill, 0.0f, -1.0f);
      BossVoice(50);
    }
  } else if (step == 1) {
    if (!path.Advance(position, 1.0f)) {
      step = 2;
      enemy->SetRoutePoint(20);
      const SVec4 at{position[0], position[1], position[2], position[3]};
      EfxMan* efx = EfxMan::Instance();
      blastSpawned = efx != nullptr && efx->SpawnRandom(6, &at, 1.0f, static_cast<SProc*>(enemy)) != nullptr;
      blastCount = 1;
    }
  } else if (blastCount >= 0 && ++blastCount >= kBlastFrames + blastSpawned) {
    // No explosion could be had (or it was cleared away): the boss ends
    // itself when the explosion would have ended it.
    enemy->Kill(0);
  }
  return 1;
}
