#include <cmath>
#include <cstdint>
#include <new>

#include "game/enemy/BossKit.h"
#include "game/enemy/BossSteps.h"
#include "game/enemy/EnemyToolkit.h"
#include "game/enemy/boss12/Boss12.h"
#include "game/stage/MapMng.h"

namespace {

constexpr float kPi = 3.14159265f;

enum Gen : int32_t { S1, S2, S3, A, A2, B, C, D, E, F, G, H, I, J, K, L, M };

// The generator rows (construction values in order); stage paths are set
// where the generator is made.
constexpr ShotGenArgs kRows[] = {
    /*S1*/ {0x40121, 5, 0x204, 0x204, 0, 0, 0, 1.5f, 3.0f, 4, 1.0f, 1, 0, 5, 20, 2000, 4, 0, 0, 0, 0, 0, nullptr, -1, 0},
    /*S2*/ {0x40101, 5, 0x50f, 0x50f, 0.62f, 0, 0, 7.5f, 7.5f, 1, 0.12f, 1, 0, 15, 2000, 0, 0, 0, 0, 0, 0, 60.0f,
            nullptr, -1, 0},
    /*S3*/ {0x40101, 5, 0x50f, 0x50f, 0.87f, 0, 0, 7.5f, 7.5f, 1, 0.12f, 1, 0, 15, 2000, 0, 0, 0, 0, 0, 0, 60.0f,
            nullptr, -1, 0},
    /*A*/ {0x2101, 5, 0x20a, 0x20a, 0, 0.1f, 0.4f, 3.0f, 3.0f, 1, 0, 1, 0, 1, 15, 5, 0, 0, 0, 0, 0, 0, nullptr, -1, 0},
    /*A2*/ {0x2101, 5, 0x20a, 0x20a, 0, 0.4f, 0.1f, 3.0f, 3.0f, 1, 0, 1, 0, 1, 15, 5, 0, 0, 0, 0, 0, 0, nullptr, -1, 0},
    /*B*/ {0x60101, 5, 0x20b, 0x20b, 0, 0, 0, 3.5f, 7.0f, 1, 0.4f, 5, 60.0f, 1, 16, 0, 0, 0, 0, 0, 0, 0, nullptr, -1, 0},
    /*C*/ {0x60101, 5, 0x10a, 0x10a, 0, 0, 0, 3.5f, 6.5f, 10, 0.1f, 1, 0, 0, 12, 0, 0, 0, 0, 0, 0, 0, nullptr, -1, 0},
    /*D*/ {0x101, 5, 12, 12, 0.25f, 0.01f, 0.01f, 4.5f, 4.5f, 35, 1.0f, 1, 0, 10, 10000, 0, 0, 0, 0, 0, 0, 0, nullptr,
           -1, 0},
    /*E*/ {0x40104, 5, 0x410, 0x410, 0.5f, 0, 0, 4.0f, 3.0f, 2, 0.5f, 1, 0, 16, 10, 1000, 3, 0, 0, 0, 0, 0, nullptr,
           -1, 0},
    /*F*/ {0x40104, 5, 0x410, 0x410, 0, 0, 0, 4.0f, 3.0f, 2, 0.5f, 1, 0, 16, 10, 1000, 3, 0, 0, 0, 0, 7.0f, nullptr,
           -1, 0},
    /*G*/ {0x101, 5, 4, 4, 0, 0.1f, 0.25f, 3.0f, 3.5f, 8, 1.0f, 1, 0, 4, 9, 0, 0, 0, 0, 0, 0, 0, nullptr, -1, 0},
    /*H*/ {0x101, 5, 0x20a, 0x20a, 0.25f, 0, 0, 3.0f, 3.0f, 40, 1.0f, 1, 0, 0, 1, 0, 0, 0, 0, 0, 0, 40.0f, nullptr,
           -1, 0},
    /*I*/ {0x101, 5, 0x20a, 0x20a, 0.263f, 0, 0, 3.0f, 3.0f, 40, 1.0f, 1, 0, 0, 1, 0, 0, 0, 0, 0, 0, 52.0f, nullptr,
           -1, 0},
    /*J*/ {0x40101, 5, 4, 4, 0, 0, 0, 2.5f, 3.0f, 8, 1.0f, 1, 0, 2, 30, 0, 0, 0, 0, 0, 0, 50.0f, nullptr, -1, 30},
    /*K*/ {0x101, 5, 0x50f, 0x50f, 0.25f, 0, 0, 9.0f, 9.0f, 17, 1.0f, 1, 0, 0, 1, 0, 0, 0, 0, 0, 0, 40.0f, nullptr,
           -1, 30},
    /*L*/ {0x101, 5, 0x308, 0x308, 0.278f, 0, 0, 5.0f, 5.0f, 17, 1.0f, 1, 0, 10, 4, 0, 0, 0, 0, 0, 0, 45.0f, nullptr,
           -1, 0},
    /*M*/ {0x101, 5, 0x308, 0x308, 0.262f, 0, 0, 5.0f, 5.0f, 17, 1.0f, 1, 0, 10, 4, 0, 0, 0, 0, 0, 0, 50.0f, nullptr,
           -1, 0},
};

// The stage bullet path each generator follows (-1: none).
constexpr int32_t kStagePath[] = {-1, 5, 6, -1, -1, -1, -1, -1, 8, 9, -1, -1, -1, -1, -1, -1, -1};

}  // namespace

void EnemyType12Behavior::Gen(int32_t which, int32_t n) {
  ShotGenArgs a = kRows[which];
  a.motion = ParamTable::FindValue(kStagePath[which]);
  if (which >= K) a.angle += 0.02f * float(n);  // the turning volleys
  AddShotGen(enemy, position, a, enemy);
}

bool EnemyType12Behavior::Sway(bool wide, float dir) {
  const float k = wide ? 0.0125f : 0.00625f;
  const float s = wide ? 2.0f : 1.0f;
  const float t = float(frame) * k;
  position[0] += dir * s * std::cos(t * kPi / 2.0f);
  ++frame;
  if (t < 1.0f) return false;
  frame = 0;
  return true;
}

int32_t EnemyType12Behavior::Handle(int32_t code, int32_t state) {
  switch (state) {
    case kEntrance:
      return Entrance(code);
    case kHover:
      return Hover(code);
    case kSweep:
      return Sweep(code);
    case kSwayVolley:
    case kSwayStageShots:
      return Sways(code, state);
    case kFanVolley:
      return FanVolley(code);
    case kTurningVolleys:
      return TurningVolleys(code);
    case kEscape: {
      static constexpr float kAway[3] = {0.0f, -700.0f, 0.0f};
      return FlyAway(code, kAway, 120.0f);
    }
    case EnemyBase::SCRIPT_RELEASED:
      return FlyHome(code, {80.0f, 2, kEscape}, home);
    case EnemyBase::SCRIPT_DEFEATED:
      return Defeated(code);
    default:
      return 0;
  }
}

int32_t EnemyType12Behavior::Entrance(int32_t code) {
  if (code == CODE_ENTER) {
    frame = 0;
    enemy->body.SetDisabled(1);
    position[0] = 0.0f, position[1] = 640.0f, position[2] = 380.0f;
    // Up from below and behind through three keys, each tangent from its
    // neighbours.
    static constexpr float kKeys[3][4] = {{0, 640, 380, 1}, {0, -60, 200, 1}, {0, -80, 0, 1}};
    static constexpr float kFrames[3] = {160.0f, 140.0f, 0.0f};
    path.Clear();
    for (int k = 0; k < 3; ++k) {
      float t[4];
      CalcSplineTangent(t, kKeys[k > 0 ? k - 1 : 0], kKeys[k], kKeys[k < 2 ? k + 1 : 2], 0.0f, 0.0f);
      path.AddKey(kKeys[k], t, kFrames[k], -1.0f);
    }
    return 1;
  }
  if (code == CODE_LEAVE) {
    path.Clear();
    enemy->body.SetDisabled(0);
    return 1;
  }
  if (code != CODE_FRAME) return 0;
  if (!path.Advance(position, 1.0f)) ChangeState(kHover);
  if (frame == 0) {
    enemy->SetRoutePoint(0);
    BossSe(20, 61440);
  } else if (frame == 160) {
    enemy->SetRoutePoint(1);
    BossSe(21, 61440);
  } else if (frame == 300) {
    enemy->SetRoutePoint(2);
  }
  ++frame;
  return 1;
}

int32_t EnemyType12Behavior::Hover(int32_t code) {
  if (code == CODE_ENTER) {
    frame = 0;
    SetHome(kSweep);
    enemy->SetRoutePoint(2);
    Gen(S1);
    Gen(S2);
    Gen(S3);
    return 1;
  }
  if (code == CODE_LEAVE) {
    KillBossGenerators(enemy);
    return 1;
  }
  if (code != CODE_FRAME) return 0;
  BossHover(position, home, frame);
  ++frame;
  if (enemy->EveryFrames(240)) NextOrEscape(kSweep);
  return 1;
}

int32_t EnemyType12Behavior::Sweep(int32_t code) {
  if (code == CODE_ENTER) {
    frame = step = 0;
    SetHome(kSwayVolley);
    return 1;
  }
  if (code == CODE_LEAVE) {
    enemy->SetRoutePoint(2);
    return 1;
  }
  if (code != CODE_FRAME) return 0;
  enemy->EveryFrames(0);
  switch (step) {
    case 0:
    case 3:
      if (frame == 0) {
        enemy->SetRoutePoint(step == 0 ? 4 : 3);
        Gen(step == 0 ? A : A2);
      }
      if (Sway(true, step == 0 ? 1.0f : -1.0f)) ++step;
      break;
    case 1:
    case 4:
      if (Sway(false, step == 1 ? -1.0f : 1.0f)) ++step;
      break;
    default:
      if (frame == 0) enemy->SetRoutePoint(step == 2 ? 7 : 8);
      if (frame == 20) {
        Gen(B);
        Gen(C);
      }
      if (frame == 60) {
        if (step == 2) {
          // The count goes on past the change: step 3 starts on its frame
          // 1, so its left sway runs 80 frames, and the stretch and volley
          // of its frame 0 do not come.
          frame = 0;
          step = 3;
        } else {
          NextOrEscape(kSwayVolley);
        }
      }
      ++frame;
      break;
  }
  return 1;
}

int32_t EnemyType12Behavior::Sways(int32_t code, int32_t state) {
  const bool volley = state == kSwayVolley;
  if (code == CODE_ENTER) {
    frame = step = 0;
    SetHome(volley ? kSwayStageShots : kFanVolley);
    if (volley) {
      Gen(D);
    } else {
      Gen(E);
      Gen(F);
    }
    return 1;
  }
  if (code == CODE_LEAVE) {
    KillBossGenerators(enemy);
    return 1;
  }
  if (code != CODE_FRAME) return 0;
  enemy->EveryFrames(0);
  switch (step) {
    case 0:
    case 2:
      if (frame == 0) enemy->SetRoutePoint(step == 0 ? 4 : 3);
      if (Sway(true, step == 0 ? 1.0f : -1.0f)) ++step;
      break;
    case 1:
    case 3: {
      if (volley && frame == 100) KillBossGenerators(enemy);
      if (Sway(false, step == 1 ? -1.0f : 1.0f)) {
        if (volley && step == 1) Gen(D);
        ++step;
      }
      break;
    }
    default:
      NextOrEscape(volley ? kSwayStageShots : kFanVolley);
      break;
  }
  return 1;
}

int32_t EnemyType12Behavior::FanVolley(int32_t code) {
  if (code == CODE_ENTER) {
    frame = 0;
    SetHome(kTurningVolleys);
    return 1;
  }
  if (code == CODE_LEAVE) {
    KillBossGenerators(enemy);
    return 1;
  }
  if (code != CODE_FRAME) return 0;
  enemy->EveryFrames(0);
  switch (frame) {
    case 0:
      enemy->SetRoutePoint(9);
      break;
    case 40:
      enemy->SetRoutePoint(10);
      for (int32_t g : {G, H, I, J}) Gen(g);
      break;
    case 150:
      enemy->SetRoutePoint(11);
      break;
    case 170:
      enemy->SetRoutePoint(2);
      break;
    case 240:
      NextOrEscape(kTurningVolleys);
      break;
    default:
      break;
  }
  ++frame;
  return 1;
}

int32_t EnemyType12Behavior::TurningVolleys(int32_t code) {
  if (code == CODE_ENTER) {
    frame = step = 0;
    SetHome(kHover);
    enemy->SetRoutePoint(2);
    return 1;
  }
  if (code == CODE_LEAVE) {
    KillBossGenerators(enemy);
    return 1;
  }
  if (code != CODE_FRAME) return 0;
  if (frame < 240 && frame % 60 == 0) {
    for (int32_t g : {K, L, M}) Gen(g, step);
    ++step;
  }
  if (frame == 0) enemy->SetRoutePoint(9);
  if (frame == 40) enemy->SetRoutePoint(10);
  if (frame == 270) enemy->SetRoutePoint(11);
  if (frame == 290) enemy->SetRoutePoint(2);
  ++frame;
  if (enemy->EveryFrames(290)) NextOrEscape(kHover);
  return 1;
}

void EnemyType12Behavior::AwayEnter() { enemy->SetRoutePoint(2); }

int32_t EnemyType12Behavior::Defeated(int32_t code) {
  if (code == CODE_ENTER) {
    frame = step = 0;
    KillBossChildren(enemy);
    enemy->framesAlive = 0;
    enemy->SetRoutePoint(12);
    BossPartsObject::Attach(enemy, new (std::nothrow) BossPartsObjectT12(&enemy->model));
    return 1;
  }
  if (code != CODE_FRAME) return code == CODE_LEAVE;
  if (step > 0) {
    // The wreck sinks back into the depth.
    const float t = float(frame) / 350.0f;
    if (t < 1.0f) position[2] += 1.3f * t;
    ++frame;
  }
  static constexpr uint32_t kTimes[3] = {1, 3, 1};
  if (step < 3 && SegmentDone(kTimes[step])) {
    enemy->SetRoutePoint(uint32_t(13 + step));
    ++step;
  }
  return 1;
}
