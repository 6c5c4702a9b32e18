#include <cmath>
#include <cstdint>
#include <new>

#include "game/effect/EShotMan.h"
#include "game/effect/EfxGen.h"
#include "game/effect/EfxMath.h"
#include "game/effect/RandF.h"
#include "game/enemy/BossKit.h"
#include "game/enemy/BossSteps.h"
#include "game/enemy/EnemyToolkit.h"
#include "game/enemy/SpawnChild.h"
#include "game/enemy/boss11/Boss11.h"
#include "game/tables/effect_tables.h"

namespace {

constexpr float kTwoPi = 6.28318530718f;
constexpr uint32_t kHit = 5;
constexpr uint32_t kSheet = 6;

// Shot generators (construction values in order).
constexpr ShotGenArgs kG1 = {0x20101, 5, 11, 11, 0, 0, 0, 1.5f, 2.0f, 43, 1.0f, 1, 0, 0, 3, 15, 25, 0, 0, 0, 0,
                             20.0f, nullptr, -1, 0};
constexpr ShotGenArgs kG2 = {0x50121, 5, 5, 5, 0, 0, 0, 1.5f, 3.0f, 3, 0.3f, 1, 0, 40, 15, 10, 40, 0, 0, 0, 0,
                             40.0f, nullptr, -1, 0};
constexpr ShotGenArgs kG4 = {0x40101, 5, 10, 10, 0, 0, 0, 6.0f, 9.0f, 20, 1.0f, 1, 0, 0, 10, 0, 0, 0, 0, 0, 0,
                             25.0f, nullptr, -1, 0};
constexpr ShotGenArgs kG5 = {0x101, 5, 0, 0, 0, 0.25f, 0.375f, 2.0f, 1.2f, 8, 1.0f, 1, 0, 4, 20, 0, 0, 0, 0, 0, 0,
                             55.0f, nullptr, -1, 0};
constexpr ShotGenArgs kG7 = {0x101, 5, 0, 0, 0, 0, 0, 2.0f, 1.2f, 8, 1.0f, 1, 0, 4, 20, 0, 0, 0, 0, 0, 0,
                             55.0f, nullptr, -1, 0};
constexpr ShotGenArgs kG8 = {0x40101, 5, 7, 7, 0.25f, 0, 0, 0.09f, 0.1f, 4, 0.6f, 1, 0, 30, 33, 0, 0, 0, 0, 0, 0,
                             30.0f, nullptr, 0, 0};
constexpr ShotGenArgs kG9 = {0x40121, 5, 7, 7, 0.25f, 0, 0, 0.1f, 1.8f, 6, 0.3f, 1, 0, 30, 6, 100, 20, 0, 0, 0, 0,
                             30.0f, nullptr, 0, 0};
constexpr ShotGenArgs kG10 = {0x50121, 5, 7, 7, 0, 0, 0, 0.1f, 1.6f, 7, 0.3f, 1, 0, 23, 6, 100, 20, 0, 0, 0, 0,
                              40.0f, nullptr, 0, 0};

// Path key tangents of the wanders (states 1 and 5).
constexpr float kWanderTangents[3][3] = {{1, -0.6f, 0}, {-1, -0.6f, 0}, {1, -0.6f, 0}};
constexpr float kLongTangents[3][3] = {{1.2f, -14.4f, 0}, {-3.6f, -14.4f, 0}, {1.2f, -14.4f, 0}};

// A particle emitter of kind 6 (sheet 6) into child list `list` of the boss.
void Emitter(EnemyType11* boss, int32_t list, const float* at, SObject* holder, uint32_t flags,
             const EfxSpriteDesc* look, float angle, float speed0, float speed1, float damping, int32_t count,
             float spread, float scale, float interval0, float interval1, int32_t emissions, const SVec4& drift,
             int32_t delay) {
  SpawnChild<EfxGen>(boss, list, 0, kSheet, reinterpret_cast<const SVec4*>(at), flags, look, angle, 0.0f, 0.0f,
                     speed0, speed1, damping, count, spread, scale, scale, interval0, interval1, emissions, &drift,
                     delay, holder);
}

}  // namespace

void EnemyType11Behavior::LoopKeys(const float (*tangents)[3], float length) {
  path.Clear();
  for (int k = 0; k < 3; ++k) path.AddKey(position, tangents[k], k < 2 ? 210.0f : 0.0f, length);
  path.loop = 1;
}

void EnemyType11Behavior::TimelineT1(int32_t* counter, int32_t routeAt360) {
  switch (*counter) {
    case 0:
    case 300:
      enemy->SetRoutePoint(4);
      break;
    case 60:
      enemy->SetRoutePoint(6);
      break;
    case 120:
      enemy->SetRoutePoint(1);
      break;
    case 180:
      enemy->SetRoutePoint(2);
      break;
    case 240:
      enemy->SetRoutePoint(3);
      break;
    case 360:
      enemy->SetRoutePoint(uint32_t(routeAt360));
      break;
    case 480:
      enemy->SetRoutePoint(6);
      *counter = 60;
      break;
    default:
      break;
  }
}

void EnemyType11Behavior::RerollPoints() {
  static constexpr float kPoint[4][6] = {
      // x = a r + b, y = c r + d (each with its own draw), z = 100 r
      {140, 140, 135, -185}, {130, -150, 140, -180}, {140, -80, 130, -120}, {130, 90, 140, -140}};
  for (int i = 0; i < 4; ++i) {
    points[i][0] = kPoint[i][0] * RandFS() + kPoint[i][1];
    points[i][1] = kPoint[i][2] * RandFS() + kPoint[i][3];
    points[i][2] = 100.0f * RandFS();
    points[i][3] = 1.0f;
  }
}

void EnemyType11Behavior::AimedFan() {
  const float a = AngleToPlayer(position[0], position[1]);
  auto fire = [this](int32_t code, float angle, float speed) {
    return EShotMan::Fire(code, kHit, position[0], position[1], position[2], angle, speed, nullptr, -1, nullptr,
                          1.0f);
  };
  static constexpr struct {
    float step;
    int32_t pairs;
    float speed;
  } kRows[] = {{0.009f, 4, 4.8f}, {0.007f, 3, 4.6f}, {0.005f, 2, 4.4f}, {0.003f, 1, 4.2f}};
  for (const auto& r : kRows)
    for (int i = 1; i <= r.pairs; ++i) {
      fire(10, a + r.step * float(i), r.speed);
      fire(10, a - r.step * float(i), r.speed);
    }
  fire(10, a, 4.0f);
  // The last shot trails sparks; they stay where it ended once it is gone.
  if (EShot* last = fire(0x309, a, 5.0f))
    Emitter(enemy, 1, last->position, last, 0x1000000, &spriteA, 0, 0, 0, 1.0f, 1, 0, 2.0f, 7, 7, 15,
            SVec4{0, 0, 0, 1}, 0);
}

void EnemyType11Behavior::ShotRain() {
  EShotMan::WalkShots([](EShot* s) {
    if (s->id != 0) return;
    const float speed = 7.0f * RandF() + 2.0f;
    s->angle = 0.25f;
    s->speed = speed;
    s->velocity[0] = speed * std::cos(kTwoPi * 0.25f);
    s->velocity[1] = speed * std::sin(kTwoPi * 0.25f);
  });
}

int32_t EnemyType11Behavior::Handle(int32_t code, int32_t state) {
  switch (state) {
    case kEntrance:
      return Entrance(code);
    case kWander:
      return Wander(code);
    case kSweep:
      return Sweep(code);
    case kSwayBurst:
      return SwayBurst(code);
    case kVolley:
      return Volley(code);
    case kLongWander:
      return LongWander(code);
    case kShotRain:
      return Rain(code);
    case kWait:
      return WaitSegment(code);
    case EnemyBase::SCRIPT_RELEASED:
      return FlyHome(code, {60.0f, 0, kDefeat, true}, home);
    case EnemyBase::SCRIPT_DEFEATED:
      return Defeated(code);
    default:
      return 0;
  }
}

int32_t EnemyType11Behavior::Entrance(int32_t code) {
  if (code == CODE_ENTER) {
    spriteA = EfxSpriteDesc{&SprEfx00_1KeysB[0], {1, 1, 1, 0.05f}, {1, 1, 1, 0.4f}, 85, 85};
    spriteB = EfxSpriteDesc{&SprEfx00_4KeysB[0], {1, 1, 1, 0.95f}, {0.6f, 0.6f, 0.6f, 0.5f}, 55, 30};
    frame = step = 0;
    position[0] = 0.0f, position[1] = -100.0f, position[2] = 0.0f;
    enemy->SetMove(300.0f, 330.0f, 1, 0.5f);
    enemy->body.SetDisabled(1);
    return 1;
  }
  if (code == CODE_LEAVE) {
    enemy->body.SetDisabled(0);
    return 1;
  }
  if (code != CODE_FRAME) return 0;
  if (step == 0 && SegmentDone()) {
    enemy->SetMove(300.0f, 270.0f, 0, -0.5f);
    step = 1;
  } else if (step == 1 && SegmentDone()) {
    enemy->SetRoutePoint(0);
    ChangeState(kWander);
  }
  return 1;
}

int32_t EnemyType11Behavior::Wander(int32_t code) {
  if (code == CODE_ENTER) {
    frame = 0;
    next = kSweep;
    BossVoice(36, 61440);
    LoopKeys(kWanderTangents, 300.0f);
    // The points are drawn by the frame code, which runs before any of these
    // emitters and generators does.
    Emitter(enemy, 1, position, enemy, 0x3000000, &spriteA, 0.25f, 0, 0, 1.0f, 1, 0, 3.0f, 20, 20, 68,
            SVec4{0, 0.4f, 0, 1}, 0);
    static constexpr float kIntervals[4][2] = {{13, 27}, {23, 37}, {29, 19}, {19, 37}};
    for (int i = 0; i < 4; ++i)
      Emitter(enemy, 1, points[i], enemy, 0x3040000, &spriteA, 0.25f, 0, 0, 1.0f, 1, 0, 3.0f, kIntervals[i][0],
              kIntervals[i][1], 70, SVec4{0, 0.3f, 0, 1}, 0);
    for (int i = 0; i < 4; ++i) {
      AddShotGen(enemy, points[i], kG2, enemy);
      ShotGenArgs g3 = kG2;
      g3.flags = 0x60121;
      AddShotGen(enemy, points[i], g3, enemy);
    }
    return 1;
  }
  if (code == CODE_LEAVE) {
    path.Clear();
    KillBossChildren(enemy);
    return 1;
  }
  if (code != CODE_FRAME) return 0;
  // The emitters and generators hold on to the four points: drawn afresh
  // every frame, they scatter the sparks and shots over the screen.
  RerollPoints();
  TimelineT1(&frame, 6);
  ++frame;
  path.Advance(position, 1.0f);
  if (path.laps == 1 && !DefeatWhenOverTime(enemy)) {
    enemy->SetRoutePoint(0);
    ChangeState(kWait);
  }
  return 1;
}

int32_t EnemyType11Behavior::Sweep(int32_t code) {
  if (code == CODE_ENTER) {
    frame = step = 0;
    next = kSwayBurst;
    BossVoice(37, 61440);
    AddShotGen(enemy, position, kG1, enemy);
    const float to[3] = {home[0] - 160.0f, home[1], home[2]};
    PathTo(path, position, to, 120.0f);
    return 1;
  }
  if (code == CODE_LEAVE) {
    path.Clear();
    BossVoice(38, 61440);
    return 1;
  }
  if (code != CODE_FRAME) return 0;
  if (step == 1) {
    if (frame == 0) enemy->SetRoutePoint(4);
    if (frame == 60) enemy->SetRoutePoint(5);
    if (frame == 120) enemy->SetRoutePoint(6);
  } else {
    if (frame == 0) enemy->SetRoutePoint(1);
    if (frame == 60) enemy->SetRoutePoint(3);
  }
  ++frame;
  if (path.Advance(position, 1.0f)) return 1;
  if (step == 0) {
    frame = 0;
    step = 1;
    const float to[3] = {home[0] + 160.0f, home[1], home[2]};
    PathTo(path, position, to, 180.0f);
  } else if (step == 1) {
    frame = 0;
    step = 2;
    enemy->SetRoutePoint(0);
    PathTo(path, position, home, 120.0f);
  } else if (!DefeatWhenOverTime(enemy)) {
    enemy->SetRoutePoint(0);
    ChangeState(kSwayBurst);
  }
  return 1;
}

int32_t EnemyType11Behavior::SwayBurst(int32_t code) {
  if (code == CODE_ENTER) {
    frame = step = swayIndex = 0;
    next = kVolley;
    enemy->SetRoutePoint(11);
    follower.Set(position);
    for (int s = 0; s < 2; ++s) {
      for (int i = 0; i < 4; ++i) swayPoints[s][i] = position[i];
      swayPoints[s][0] += s == 0 ? -60.0f : 60.0f;
    }
    return 1;
  }
  if (code != CODE_FRAME) return code == CODE_LEAVE;
  switch (step) {
    case 0:
      if (frame == 25) BossSe(9, 57344);
      if (frame == 50) BossSe(6, 61440);
      if (frame == 65)
        for (int k = 0; k < 50; ++k) {
          const float t = 0.02f * float(k);
          const float c = std::cos(kTwoPi * t);
          const float speed = 0.7f * (c * c * c * c + 2.0f);
          for (int j = 0; j < 4; ++j)
            EShotMan::Fire(0, kHit, position[0], position[1], position[2], t + 0.125f * float(j), speed, nullptr,
                           -1, nullptr, 1.0f);
        }
      ++frame;
      if (SegmentDone()) {
        step = 1;
        frame = 0;
        enemy->SetRoutePoint(10);
      }
      break;
    case 1:
      if (frame == 30) {
        BossSe(9, 57344);
        AimedFan();
      }
      ++frame;
      // Every second aimed fan ends the attack; between them the boss
      // sways over to the other side and bursts again.
      if (SegmentDone()) {
        if (enemy->EveryFrames(2)) {
          NextOrTimeUp(EnemyBase::SCRIPT_RELEASED, kDefeat);
        } else {
          frame = 0;
          step = 2;
          enemy->SetRoutePoint(0);
          follower.SetTarget(swayPoints[swayIndex], 0.02f);
          swayIndex = (swayIndex + 1) % 2;
        }
      }
      break;
    default:
      if (SegmentDone()) {
        step = 0;
        frame = 0;
        enemy->SetRoutePoint(11);
      }
      break;
  }
  follower.Step();
  return 1;
}

int32_t EnemyType11Behavior::Volley(int32_t code) {
  if (code == CODE_ENTER) {
    frame = 0;
    next = kLongWander;
    enemy->SetRoutePoint(11);
    Emitter(enemy, 1, position, enemy, 0x1000000, &spriteB, 0, 25.0f, 25.0f, 0.8f, 30, 1.0f, 2.0f, 0, 0, 1,
            SVec4{0, 0, 0, 1}, 25);
    AddShotGen(enemy, position, kG4, enemy);
    ShotGenArgs g = kG5;
    g.motion = ParamTable::FindValue(4);
    AddShotGen(enemy, position, g, enemy);
    g.angleFrom = 0.375f, g.angleTo = 0.25f;
    g.motion = ParamTable::FindValue(5);
    AddShotGen(enemy, position, g, enemy);
    AddShotGen(enemy, position, kG7, enemy);
    return 1;
  }
  if (code == CODE_LEAVE) {
    KillBossGenerators(enemy);
    return 1;
  }
  if (code != CODE_FRAME) return 0;
  if (frame == 25) {
    BossSe(53, 63488);
    BossSe(9, 57344);
  }
  if (frame == 30) {
    BossVoice(39, 61440);
    BossSe(21, 63488);
    enemy->animator.speed = 0.3f;
  }
  if (SegmentDone()) NextOrTimeUp(kLongWander, kDefeat);
  ++frame;
  return 1;
}

int32_t EnemyType11Behavior::LongWander(int32_t code) {
  if (code == CODE_ENTER) {
    frame = step = 0;
    next = kShotRain;
    LoopKeys(kLongTangents, 600.0f);
    AddShotGen(enemy, position, kG8, enemy);
    AddShotGen(enemy, position, kG9, enemy);
    AddShotGen(enemy, position, kG10, enemy);
    return 1;
  }
  if (code == CODE_LEAVE) {
    path.Clear();
    KillBossGenerators(enemy);
    return 1;
  }
  if (code != CODE_FRAME) return 0;
  TimelineT1(&step, 5);
  ++frame;
  ++step;
  path.Advance(position, 1.0f);
  if (frame >= 540 && !DefeatWhenOverTime(enemy)) {
    enemy->SetRoutePoint(0);
    next = kShotRain;
    ChangeState(EnemyBase::SCRIPT_RELEASED);
  }
  return 1;
}

int32_t EnemyType11Behavior::Rain(int32_t code) {
  if (code == CODE_ENTER) {
    frame = swayIndex = step = 0;
    next = kWander;
    enemy->SetRoutePoint(10);
    return 1;
  }
  if (code != CODE_FRAME) return code == CODE_LEAVE;
  BossHover(position, home, frame, 6.0f, 4.0f);
  if (step == 0) {
    if (swayIndex == 25) BossSe(9, 57344);
    if (swayIndex == 30) ShotRain();
    ++swayIndex;
    if (SegmentDone()) {
      step = 1;
      enemy->SetRoutePoint(0);
    }
  } else if (SegmentDone()) {
    NextOrTimeUp(kWander, kDefeat);
  }
  ++frame;
  return 1;
}

int32_t EnemyType11Behavior::Defeated(int32_t code) {
  if (code != CODE_ENTER) return code == CODE_FRAME || code == CODE_LEAVE;
  KillBossGenerators(enemy);
  frame = 0;
  enemy->SetRoutePointEx(12, 0.25f);
  StopBossVoices({36, 37, 38, 39});
  // The draw is made whether or not sound is on.
  BossVoice(RandF() <= 0.5f ? 41 : 40, 61440);
  BossPartsObject::Attach(enemy, new (std::nothrow) BossPartsObjectT11(&enemy->model));
  return 1;
}
