#include <cmath>
#include <cstdint>
#include <new>

#include "game/effect/ELaserGen.h"
#include "game/effect/EShotMan.h"
#include "game/effect/EThunderGen.h"
#include "game/effect/EfxMath.h"
#include "game/enemy/BossKit.h"
#include "game/enemy/BossSteps.h"
#include "game/enemy/EnemyToolkit.h"
#include "game/enemy/SpawnChild.h"
#include "game/enemy/boss16/Boss16.h"

namespace {

constexpr float kPi = 3.14159265f;
// Every voice of this boss is a little quieter than the others'.
constexpr int32_t kVoiceLevel = 65024;

// A generator of this boss: the named values, every other one 0 (hit 5,
// id -1).
ShotGenArgs Row(uint32_t flags, int32_t code, float angle, float from, float to, float speed0, float speed1,
                int32_t ways, float spread, int32_t stepFrames, int32_t steps, int32_t volleys = 0,
                int32_t volleyFrames = 0, float delay = 0.0f) {
  return ShotGenArgs{flags, 5, code, code, angle, from, to, speed0, speed1, ways, spread, 1, 0, stepFrames, steps,
                     volleys, volleyFrames, 0, 0, 0, 0, delay, nullptr, -1, 0};
}

}  // namespace

uint32_t EnemyType16Behavior::Passes() const { return enemy->animator.count; }

void EnemyType16Behavior::Motion(uint32_t n) { enemy->SetRoutePoint(n); }

bool EnemyType16Behavior::WindUp() {
  if (Passes() < 1) return false;
  step = 1;
  Motion(10);
  return true;
}

void EnemyType16Behavior::Close() {
  step = 2;
  Motion(11);
}

void EnemyType16Behavior::CloseToRest() {
  if (step == 2) {
    if (Passes() >= 1) {
      step = 3;
      Motion(0);
    }
  } else if (Passes() >= 2) {
    EndAttack(next);
  }
}

void EnemyType16Behavior::Shot(int32_t code, float angle, float speed, int32_t stageMotion) {
  EShotMan::Fire(code, 5, position[0], position[1], position[2], angle, speed,
                 stageMotion >= 0 ? ParamTable::FindValue(stageMotion) : nullptr, -1, nullptr, 1.0f);
}

int32_t EnemyType16Behavior::Handle(int32_t code, int32_t state) {
  switch (state) {
    case kEntrance:
      return Entrance(code);
    case kSpirals:
      return Spirals(code);
    case kThunder:
      return Thunder(code);
    case kChevrons:
      return Chevrons(code);
    case kRings:
      return Rings(code);
    case kStream:
      return Stream(code);
    case kLasers:
      return Lasers(code);
    case kWait:
      return WaitSegment(code);
    case EnemyBase::SCRIPT_RELEASED:
      return FlyHome(code, {80.0f, 0, kDefeat}, home);
    case EnemyBase::SCRIPT_DEFEATED:
      return Defeat(code);
    default:
      return 0;
  }
}

int32_t EnemyType16Behavior::Entrance(int32_t code) {
  if (code == CODE_ENTER) {
    frame = step = 0;
    position[0] = 0.0f, position[1] = -80.0f, position[2] = 0.0f;
    for (int i = 0; i < 3; ++i) home[i] = position[i];
    Motion(0);
    enemy->body.SetDisabled(1);
    return 1;
  }
  if (code == CODE_LEAVE) {
    enemy->body.SetDisabled(0);
    return 1;
  }
  if (code != CODE_FRAME) return 0;
  BossHover(position, home, frame);
  if (Passes() >= 1) ChangeState(kSpirals);
  ++frame;
  return 1;
}

int32_t EnemyType16Behavior::Spirals(int32_t code) {
  if (code == CODE_ENTER) {
    BeginAttack(kThunder);
    spiral = 0.0f;
    // A release during the spirals flies the boss back to the centre, not
    // to where the entrance's hover left it.
    home[0] = 0.0f, home[1] = -80.0f, home[2] = 0.0f;
    Motion(9);
    BossVoice(58, kVoiceLevel);
    return 1;
  }
  if (code != CODE_FRAME) return code == CODE_LEAVE;
  if (step == 0) {
    WindUp();
  } else if (step == 1) {
    // Two spirals turning against each other, six frames of every ten.
    if (frame % 10 <= 5) {
      float a = spiral, b = 1.2f - spiral;
      for (int i = 0; i < 5; ++i) {
        Shot(522, a, 4.0f, 0);
        a += 0.2f;
        Shot(10, b, 4.0f, 1);
        b += 0.2f;
      }
      spiral += 0.005f;
    } else {
      spiral += 0.008f;
    }
    ++frame;
    if (enemy->EveryFrames(149)) Close();
  } else if (Passes() >= 1) {
    EndAttack(next);
  }
  return 1;
}

int32_t EnemyType16Behavior::Thunder(int32_t code) {
  if (code == CODE_ENTER) {
    BeginAttack(kChevrons);
    Motion(9);
    return 1;
  }
  if (code == CODE_LEAVE) {
    enemy->KillList(0);
    return 1;
  }
  if (code != CODE_FRAME) return 0;
  if (step == 0) {
    if (WindUp()) {
      AddShotGen(enemy, position, Row(0x40121, 525, 0.25f, 0.005f, 0.01f, 1.5f, 2.5f, 3, 1.0f, 5, 25, 1000, 5),
                 enemy);
      AddShotGen(enemy, position, Row(0x40121, 525, 0.5f, 0.007f, 0.013f, 0.5f, 3.5f, 3, 1.0f, 5, 20, 1000, 5),
                 enemy);
      AddShotGen(enemy, position, Row(0x40121, 525, 0.75f, 0.003f, 0.015f, 3.5f, 1.5f, 3, 1.0f, 6, 40, 1000, 7),
                 enemy);
    }
  } else if (step == 1) {
    // Four bolts a cross apart, each turning a full turn over its 30 bolts.
    if (frame % 300 == 0)
      for (int k = 0; k < 4; ++k) {
        const float f = 0.25f * float(k);
        SpawnChild<EThunderGen>(enemy, 0, 0, &thunder, position, 16.0f, f + 0.25f, f + 1.25f, f - 0.05f, f + 0.95f,
                                80.0f, 7.0f, 7, 5, 30, 10, 0.0f, 0.0f, 0, 0, enemy);
      }
    ++frame;
    if (enemy->EveryFrames(299)) Close();
  } else if (Passes() >= 1) {
    EndAttack(next);
  }
  return 1;
}

int32_t EnemyType16Behavior::Chevrons(int32_t code) {
  if (code == CODE_ENTER) {
    BeginAttack(kRings);
    spiral = 0.0f;
    Motion(9);
    BossVoice(59, kVoiceLevel);
    return 1;
  }
  if (code != CODE_FRAME) return code == CODE_LEAVE;
  switch (step) {
    case 0:
      WindUp();
      break;
    case 1:
      if (frame % 7 == 0) {
        spiral += 0.1f;
        for (int i = 0; i <= 20; ++i) {
          const float u = float(i) / 21.0f;
          const float speed = 4.0f - 3.0f * std::sin(u * kPi / 2.0f);
          Shot(4, spiral + 0.25f * u, speed, -1);
          Shot(4, spiral - 0.25f * u, speed, -1);
        }
      }
      ++frame;
      if (enemy->EveryFrames(210)) Close();
      break;
    default:
      CloseToRest();
      break;
  }
  return 1;
}

int32_t EnemyType16Behavior::Rings(int32_t code) {
  if (code == CODE_ENTER) {
    BeginAttack(kStream);
    Motion(9);
    BossVoice(60, kVoiceLevel);
    return 1;
  }
  if (code == CODE_LEAVE) {
    enemy->KillList(0);
    return 1;
  }
  if (code != CODE_FRAME) return 0;
  BossHover(position, home, frame);
  ++frame;
  if (step == 0) {
    if (WindUp()) {
      AddShotGen(enemy, position, Row(0x101, 777, 0.25f, 0, 0, 3.5f, 3.5f, 27, 1.0f, 14, 2000), enemy);
      AddShotGen(enemy, position, Row(0x101, 777, 0.266f, 0, 0, 3.5f, 3.5f, 27, 1.0f, 14, 2000, 0, 0, 7.0f),
                 enemy);
    }
  } else if (step == 1) {
    if (enemy->EveryFrames(110)) {
      Close();
      enemy->KillList(0);
    }
  } else if (Passes() >= 1) {
    // The stream that follows has no wind-up: it starts from the rest
    // motion.
    Motion(0);
    EndAttack(next);
  }
  return 1;
}

int32_t EnemyType16Behavior::Stream(int32_t code) {
  if (code == CODE_ENTER) {
    BeginAttack(kLasers);
    BossVoice(61, kVoiceLevel);
    ShotGenArgs a = Row(0x40101, 260, 0.75f, 0, 0, 6.6f, 6.6f, 20, 1.0f, 6, 2000);
    a.motion = ParamTable::FindValue(5);
    AddShotGen(enemy, position, a, enemy);
    return 1;
  }
  if (code == CODE_LEAVE) {
    enemy->KillList(0);
    return 1;
  }
  if (code != CODE_FRAME) return 0;
  BossHover(position, home, frame, 6.0f, 5.0f);
  ++frame;
  if (enemy->EveryFrames(480)) EndAttack(next);
  return 1;
}

int32_t EnemyType16Behavior::Lasers(int32_t code) {
  if (code == CODE_ENTER) {
    BeginAttack(kSpirals);
    Motion(9);
    BossVoice(62, kVoiceLevel);
    return 1;
  }
  if (code == CODE_LEAVE) {
    enemy->KillList(0);
    return 1;
  }
  if (code != CODE_FRAME) return 0;
  switch (step) {
    case 0:
      if (WindUp()) {
        AddShotGen(enemy, position, Row(0x40101, 4, 0, 0, 0, 1.0f, 1.0f, 7, 1.0f, 4, 2000), enemy);
        AddShotGen(enemy, position, Row(0x40101, 516, 0, 0, 0, 1.0f, 1.5f, 5, 1.0f, 3, 2000, 0, 0, 5.0f), enemy);
      }
      break;
    case 1:
      if (frame == 100)
        for (int i = 0; i < 8; ++i) {
          SMatrix m;
          GetSharedMatrix(&m, 1);
          for (int c = 0; c < 3; ++c) m.m[3][c] = position[c];
          MatrixRotateZ(&m, 0.125f * float(i));
          ELaserGen* laser = ELaserGen::ELaserGenEx(&m, i == 0 ? 0x40000u : 0x240000u, 25.0f, 400, i % 2 == 0 ? 2 : 0,
                                                    0.7f, 5.0f, 7.0f, 50.0f, 20.0f, 6.0f, 8.0f, 55.0f, 28.0f, 30);
          if (laser == nullptr) continue;
          enemy->AddChild(0, laser, 0);
          // A child the boss did not take (it has no such list, or is no
          // longer running) is not kept.
          if (laser->GetParent() == nullptr) delete laser;
        }
      ++frame;
      if (enemy->EveryFrames(660)) {
        Close();
        enemy->KillList(0);
      }
      break;
    default:
      CloseToRest();
      break;
  }
  return 1;
}

int32_t EnemyType16Behavior::Defeat(int32_t code) {
  if (code == CODE_ENTER) {
    // Every child ends (the thunder manager too); the timeline stays held
    // until the companion ends the boss.
    for (int32_t l = 0; l < enemy->ListCount(); ++l) enemy->KillList(l);
    frame = step = 0;
    Motion(12);
    StopBossVoices({58, 59, 60, 61, 62});
    BossVoice(63, kVoiceLevel);
    BossPartsObject::Attach(enemy, new (std::nothrow) BossPartsObjectT16(&enemy->model));
    return 1;
  }
  if (code != CODE_FRAME) return code == CODE_LEAVE;
  static constexpr uint32_t kPasses[5] = {1, 2, 1, 2, 1};
  if (step < 5 && Passes() >= kPasses[step]) {
    Motion(uint32_t(13 + step));
    ++step;
  }
  return 1;
}
