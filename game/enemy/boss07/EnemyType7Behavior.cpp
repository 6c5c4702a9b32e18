#include "game/enemy/boss07/EnemyType7Behavior.h"

#include <cmath>

#include "game/effect/EShotMan.h"
#include "game/effect/EThunderGen.h"
#include "game/effect/EfxMan.h"
#include "game/effect/EfxTables.h"
#include "game/effect/RandF.h"
#include "game/enemy/BossScript.h"
#include "game/enemy/EnemyToolkit.h"
#include "game/enemy/boss07/BossPartsObjectT7.h"
#include "game/enemy/boss07/EnemyType7.h"
#include "game/tables/effect_tables.h"
#include "game/tables/shot_tables.h"

namespace {

constexpr float kPi = 3.1415927f;
constexpr float kTwoPi = 6.2831855f;
// The hit argument of every shot of this boss.
constexpr uint32_t kHit = 5;

}  // namespace

int32_t EnemyType7Behavior::Handle(int32_t code, int32_t state) {
  if (code == CODE_NOTIFY) return 0;
  switch (state) {
    case STATE_ENTRANCE:
      return Entrance(code);
    case STATE_SWAY:
      return Sway(code);
    case STATE_SWEEP:
      return Sweep(code);
    case STATE_COMETS:
      return Comets(code);
    case STATE_BARRAGE:
      return Barrage(code);
    case EnemyBase::SCRIPT_RELEASED:
      return FlyHome(code, {float(kReturnFrames), 0, kDefeat}, home);
    case EnemyBase::SCRIPT_DEFEATED:
      return Defeated(code);
    default:
      return 0;
  }
}

void EnemyType7Behavior::Thunder(float length, float aFrom, float aTo, float bFrom, float bTo, float v1, float v2,
                                 int32_t v3, int32_t word, int32_t count, int32_t period, int32_t delay) {
  SpawnChild<EThunderGen>(enemy, 0, 0, &thunder, position, length, aFrom, aTo, bFrom, bTo, v1, v2, v3, word, count,
                          period, 0.0f, 0.0f, delay, 0);
}

int32_t EnemyType7Behavior::Entrance(int32_t code) {
  switch (code) {
    case CODE_ENTER:
      frame = 0;
      enemy->SetRoutePoint(0);
      enemy->body.SetDisabled(1);
      enemy->SetRoutePoint(20);
      position[0] = 0.0f, position[1] = -150.0f, position[2] = 0.0f;
      return 1;
    case CODE_FRAME:
      if (frame == 160) enemy->SetRoutePointEx(21, 0.5f);
      if (frame == 190) enemy->SetRoutePoint(0);
      if (frame == 270) ChangeState(STATE_SWAY);
      ++frame;
      return 1;
    case CODE_LEAVE:
      path.Clear();
      enemy->body.SetDisabled(0);
      return 1;
    default:
      return 0;
  }
}

int32_t EnemyType7Behavior::Sway(int32_t code) {
  switch (code) {
    case CODE_ENTER: {
      // The first fan of the sway comes 5 frames in, the next every 90.
      frame = 85;
      step = 0;
      SetHome(STATE_SWEEP);
      BossVoice(kVoiceSway);
      static constexpr float kGoal[2][4] = {{-140.0f, -180.0f, 0.0f, 1.0f}, {140.0f, -180.0f, 0.0f, 1.0f}};
      for (int i = 0; i < 2; ++i) {
        options.Set(i, BossOption2D::Spawn(enemy, SprEfx02_5Keys));
        if (BossOption2D* o = options.Live(i)) o->SetTarget(kGoal[i], 0.03f);
      }
      // Each satellite's stream follows it while it lives.
      if (BossOption2D* o = options.Live(0))
        BossGen(enemy, o->Position(), o, 0x101, kHit, 0x20a, 0x20a, 0.375f, -0.02f, -0.02f, 4.2f, 4.2f, 1, 0, 1, 0, 4,
                2000, 0, 0, 0, 0, 0, 0, 1.0f, nullptr, -1, 0);
      if (BossOption2D* o = options.Live(1))
        BossGen(enemy, o->Position(), o, 0x101, kHit, 0x20a, 0x20a, 0.125f, 0.02f, 0.02f, 4.2f, 4.2f, 1, 0, 1, 0, 4,
                2000, 0, 0, 0, 0, 0, 0, 1.0f, nullptr, -1, 0);
      StartLoopPath(&path, position, -0.6f, 400.0f);
      return 1;
    }
    case CODE_FRAME: {
      if (frame % 90 == 0) {
        for (int i = -3; i <= 4; ++i) {
          const float a = 0.125f * float(i) + 0.25f;
          BossGen(enemy, position, enemy, 0x101, kHit, 0x20a, 0x20a, 0, a, 0.125f * float(i) + 0.32f, 3.0f, 1.5f, 1,
                  0, 1, 0, 0, 6, 0, 0, 0, 0, 0, 0, 0, nullptr, -1, 0);
          BossGen(enemy, position, enemy, 0x101, kHit, 0x20a, 0x20a, 0, a, a - 0.07f, 3.0f, 1.5f, 1, 0, 1, 0, 0, 6, 0,
                  0, 0, 0, 0, 0, 0, nullptr, -1, 0);
          BossGen(enemy, position, enemy, 0x10804, kHit, 0x204, 0x204, 0, 0, 0, 5.0f, 5.0f, 33, 1.0f, 1, 0, 0, 0, 0,
                  0, 0, 0, 0, 0, 2.0f, nullptr, -1, 0);
        }
      }
      // The model's stretches: 4, 5 and 6 once, then 1 to 6 every 240 frames.
      switch (step) {
        case 0: enemy->SetRoutePoint(4); break;
        case 20: enemy->SetRoutePoint(5); break;
        case 40: enemy->SetRoutePoint(6); break;
        case 60: enemy->SetRoutePoint(1); break;
        case 100: enemy->SetRoutePoint(2); break;
        case 160: enemy->SetRoutePoint(3); break;
        case 180: enemy->SetRoutePoint(4); break;
        case 200: enemy->SetRoutePoint(5); break;
        case 280: enemy->SetRoutePoint(6); break;
        case 300: step = 60; break;
        default: break;
      }
      ++step;
      ++frame;
      path.Advance(position, 1.0f);
      if (enemy->EveryFrames(300)) {
        enemy->SetRoutePoint(0);
        EndAttack(EnemyBase::SCRIPT_RELEASED);
      }
      return 1;
    }
    case CODE_LEAVE:
      // The satellites fade out and end themselves.
      if (SProcList* l = enemy->GetList(2)) l->Broadcast(kHitEventDefeated, 0);
      KillBossGenerators(enemy);
      path.Clear();
      return 1;
    default:
      return 0;
  }
}

int32_t EnemyType7Behavior::Sweep(int32_t code) {
  switch (code) {
    case CODE_ENTER:
      frame = 0;
      twinCounter = 0;
      SetHome(STATE_BARRAGE);
      BossVoice(kVoiceSweep);
      for (int i = 0; i <= 3; ++i) {
        const float a = 0.25f * float(i) + 0.125f;
        Thunder(20.0f, a, a - 0.25f, a, a - 0.25f, 50.0f, 6.0f, 5, 5, 10, 25, 0);
      }
      return 1;
    case CODE_FRAME:
      if (frame <= 269 && frame % 3 == 0) {
        const EShotMotion* m = ParamTable::FindValue(0);
        const float k = float(twinCounter);
        EShotMan::Fire(0x204, kHit, position[0], position[1], 0.0f, 0.01f * k, 1.0f, m, -1, nullptr, 1.0f);
        EShotMan::Fire(0x204, kHit, position[0], position[1], 0.0f, 0.01f * k + 0.5f, 1.0f, m, -1, nullptr, 1.0f);
      }
      ++twinCounter;
      ++frame;
      if (enemy->EveryFrames(300)) EndAttack(EnemyBase::SCRIPT_RELEASED);
      return 1;
    case CODE_LEAVE:
      KillBossGenerators(enemy);
      return 1;
    default:
      return 0;
  }
}

int32_t EnemyType7Behavior::Comets(int32_t code) {
  switch (code) {
    case CODE_ENTER:
      frame = 0;
      step = 0;
      twinCounter = 0;
      SetHome(STATE_SWEEP);
      StartLoopPath(&path, position, 0.0f, 250.0f);
      BossGen(enemy, position, enemy, 0x101, kHit, 0x204, 0x204, 0, 0, 0, 3.0f, 6.0f, 32, 1.0f, 1, 0, 30, 40, 0, 0, 0,
              0, 0, 1, 0, nullptr, -1, 30);
      BossVoice(kVoiceComets);
      return 1;
    case CODE_FRAME: {
      for (int j = 0; j <= 3; ++j) {
        const float q = 0.25f * float(j) + float(frame) * 0.00025f * 3.6f + 0.125f;
        const float cx = position[0] + 40.0f * std::cos(kTwoPi * q);
        const float cy = position[1] + 40.0f * std::sin(kTwoPi * q);
        const float ratio = float(twinCounter) / 120.0f;
        twinCounter += ratio > 0.0f && ratio < 1.0f ? 1 : -1;
        const float w = -24.0f * std::cos(kPi * float(twinCounter) / 120.0f);
        const float dx = w * std::cos(kTwoPi * q + kPi / 2.0f), dy = w * std::sin(kTwoPi * q + kPi / 2.0f);
        twinA[0] = cx + dx, twinA[1] = cy + dy, twinA[2] = 0.0f;
        twinB[0] = cx - dx, twinB[1] = cy - dy, twinB[2] = 0.0f;
        if (frame % 3 != 0) continue;
        for (const float* p : {twinA, twinB}) {
          const SVec4 at{p[0], p[1], p[2], 1.0f};
          const float spin = RandF();
          if (EfxMan* efx = EfxMan::Instance())
            efx->SpawnSprite(7, &at, EShotKeysFromCode(4), nullptr, nullptr, 2, 6, spin, 1.0f, 1.0f, nullptr, nullptr,
                             0.0f, 1);
        }
        for (const float* p : {twinA, twinB})
          EShotMan::Fire(4, kHit, p[0], p[1], 0.0f, q, 4.0f, nullptr, -1, nullptr, 1.0f);
      }
      if (frame % 250 == 80) {
        for (int i = 0; i <= 3; ++i) {
          const float a = 0.25f * float(i) + 0.25f, b = 0.25f * float(i + 1);
          BossGen(enemy, position, enemy, 0x101, kHit, 0x20a, 0x20a, 0, a, a + 0.06f, 6.0f, 4.0f, 1, 0, 1, 0, 2, 7, 1,
                  8, 0, 0, 0, 1, 0, nullptr, -1, 30);
          BossGen(enemy, position, enemy, 0x101, kHit, 0x20a, 0x20a, 0, b, b - 0.06f, 6.0f, 4.0f, 1, 0, 1, 0, 2, 7, 1,
                  8, 0, 0, 0, 0, 0, nullptr, -1, 30);
        }
      }
      ++frame;
      path.Advance(position, 1.0f);
      if (enemy->EveryFrames(910)) {
        enemy->SetRoutePoint(0);
        EndAttack(EnemyBase::SCRIPT_RELEASED);
      }
      return 1;
    }
    case CODE_LEAVE:
      KillBossGenerators(enemy);
      path.Clear();
      return 1;
    default:
      return 0;
  }
}

int32_t EnemyType7Behavior::Barrage(int32_t code) {
  switch (code) {
    case CODE_ENTER:
      frame = 0;
      SetHome(STATE_COMETS);
      BossVoice(kVoiceBarrage);
      BossGen(enemy, position, enemy, 0x40824, kHit, 0x204, 0x203, 0, 0.25f, 1.25f, 2.5f, 1.5f, 8, 1.0f, 1, 0, 10, 10,
              100, 30, 0, 0, 0, 0, 60.0f, nullptr, -1, 0);
      return 1;
    case CODE_FRAME:
      if (frame % 200 == 0) {
        for (int32_t d = 0; d <= 60; d += 30) {
          Thunder(20.0f, 0.25f, 0.7f, -0.05f, 0.4f, 80.0f, 7.0f, 5, 5, 10, 30, d);
          Thunder(20.0f, 0.25f, -0.2f, 0.55f, 0.1f, 80.0f, 7.0f, 5, 5, 10, 30, d);
        }
      }
      ++frame;
      if (enemy->EveryFrames(360)) EndAttack(EnemyBase::SCRIPT_RELEASED);
      return 1;
    case CODE_LEAVE:
      KillBossGenerators(enemy);
      return 1;
    default:
      return 0;
  }
}

int32_t EnemyType7Behavior::Defeated(int32_t code) {
  switch (code) {
    case CODE_ENTER: {
      frame = 0;
      // Every child goes, the thunder manager and the storm included; the
      // timeline stays held until the companion ends the body.
      enemy->KillChildrenAll(0);
      enemy->SetRoutePoint(22);
      StopBossVoices({kVoiceSway, kVoiceSweep, kVoiceComets, kVoiceBarrage});
      BossVoice(RandF() <= 0.5f ? kVoiceDefeatB : kVoiceDefeatA);
      BossPartsObject::Attach(enemy, new (std::nothrow) BossPartsObjectT7(&enemy->model));
      return 1;
    }
    case CODE_FRAME:
    case CODE_LEAVE:
      return 1;
    default:
      return 0;
  }
}
