#include <cmath>
#include <new>

#include "game/core/Game.h"
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
#include "game/enemy/boss15/EnemyType15.h"
#include "game/stage/MapMng.h"
#include "game/tables/effect_tables.h"
#include "game/tables/image_slots.h"
#include "game/tables/shot_tables.h"

namespace {

constexpr float kTwoPi = 6.2831855f;
constexpr float kHalfPi = 1.5707964f;

// The game's shared view matrix: the stage camera's view that the map
// manager writes each frame (the identity without a game).
SMatrix SharedView() {
  const Game* g = GetGame();
  return g != nullptr ? const_cast<Game*>(g)->StageCamera() : kIdentityMatrix;
}

// The image and model pairs of the two model satellites.
const EnemyRscSlotPair kRight{&ImgEnemyBs13r, &MdlEnemyBs13r};
const EnemyRscSlotPair kLeft{&ImgEnemyBs13l, &MdlEnemyBs13l};

void Shot(int32_t code, const float* from, float angle, float speed, int32_t id = -1,
          const EShotMotion* motion = nullptr) {
  EShotMan::Fire(code, 5, from[0], from[1], from[2], angle, speed, motion, id, nullptr, 1.0f);
}

// The shot emitters of the script.
constexpr ShotGenArgs kFlower = {0x20101, 5, 0x104, 0x104, 0, 0.01f, 0, 3.0f, 4.0f, 53, 1.0f, 1, 0,
                               0,       2, 0,     0,     0, 0,     0, 0, 0,    0,    -1, 0};
constexpr ShotGenArgs kCurtain = {0x20101, 5, 0x20A, 0x20A, 0, 0.25f, 0.7f, 5.5f, 6.0f, 51, 1.0f, 1, 0,
                                8,       3, 11,    30,    0, 0,     0,    0,    0,    0,  -1,   0};
constexpr ShotGenArgs kSwing[3] = {
    {0x101, 5, 0x20B, 0x20B, 0.25f, 0, 0, 7.0f, 5.0f, 1, 0, 1, 0, 0, 7, 10000, 30, 0, 0, 0, 0, 0, 0, -1, 0},
    {0x101, 5, 0x20B, 0x20B, 0.25f, 0, 0, 8.0f, 6.0f, 1, 0, 1, 0, 0, 9, 10000, 40, -30.0f, 0, 0, 0, 20.0f, 0, -1, 0},
    {0x101, 5, 0x20B, 0x20B, 0.25f, 0, 0, 6.0f, 4.0f, 1, 0, 1, 0, 0, 6, 10000, 50, 30.0f, 0, 0, 0, 30.0f, 0, -1, 0}};
// Where the six sprite satellites of the curtain stand (x; y is -240).
constexpr float kCurtainX[6] = {-220.0f, -160.0f, -100.0f, 100.0f, 160.0f, 220.0f};

}  // namespace

int32_t EnemyType15Behavior::Handle(int32_t code, int32_t state) {
  if (position == nullptr) position = enemy->GetPosition();
  if (code == CODE_NOTIFY) return 0;
  switch (state) {
    case DESCENT: return Descent(code);
    case TWIN_FANS: return TwinFans(code);
    case ORBITING: return Orbiting(code);
    case FLOWERS: return Flowers(code);
    case DOUBLE_FANS: return DoubleFans(code);
    case CURTAIN: return Curtain(code);
    case TO_RINGS:
      if (code == CODE_ENTER) next = RINGS, ChangeState(EnemyBase::SCRIPT_RELEASED);
      return code == CODE_ENTER || code == CODE_FRAME || code == CODE_LEAVE;
    case RINGS: return Rings(code);
    case WAIT:
      if (code == CODE_FRAME) PlaceOptions();
      return WaitSegment(code);
    case EnemyBase::SCRIPT_RELEASED: return FlyHome(code, {60.0f, 2, kDefeat}, home);
    case EnemyBase::SCRIPT_DEFEATED: return Defeat(code);
    default: return 0;
  }
}

void EnemyType15Behavior::PlaceOptions(float rate) {
  for (int i = 0; i < 2; ++i)
    if (LiveProc(SHandle<BossOption3D>(&options[i])) != nullptr)
      options[i].SetPolarTarget(i == 0 ? 0.12f : 0.38f, 100.0f, rate);
}

int32_t EnemyType15Behavior::Descent(int32_t code) {
  static constexpr float kStation[4] = {0.0f, -80.0f, 0.0f, 1.0f};
  if (code == CODE_ENTER) {
    frame = step = 0;
    enemy->body.SetDisabled(1);
    shafts.SetStatic(true);
    enemy->AddChild(1, &shafts, 0);
    position[0] = 0.0f, position[1] = -500.0f, position[2] = 0.0f;
    const EnemyRscSlotPair* pairs[2] = {&kRight, &kLeft};
    for (int i = 0; i < 2; ++i) {
      options[i].SetStatic(true);
      enemy->AddChild(2, &options[i], reinterpret_cast<SProcArg>(pairs[i]));
    }
    enemy->SetRoutePoint(0);
    // Placed at once; their models stand on the boss until their first
    // frame puts them on their places.
    PlaceOptions(1.0f);
    for (auto& o : options)
      for (int c = 0; c < 3; ++c) o.position[c] = position[c];
    PathTo(path, position, kStation, 180.0f);
    return 1;
  }
  if (code == CODE_LEAVE) {
    enemy->body.SetDisabled(0);
    return 1;
  }
  if (code != CODE_FRAME) return 0;
  PlaceOptions();
  // Steps: 0 a still wait of 120 frames, 1 the flight down to the station,
  // 2 motion 1 under its sounds, 3 motion 2 once the shafts have been
  // told to go; its end starts the fight.
  switch (step) {
    case 0:
      if (++frame > 120) frame = 0, step = 1, BossSe(29, kSeGain);
      break;
    case 1:
      if (!path.Advance(position, 1.0f)) frame = 0, step = 2, path.Clear(), enemy->SetRoutePoint(1);
      break;
    case 2:
      if (frame == 40) BossSe(21, kSeGain);
      if (frame == 60) BossStopSe(29);
      ++frame;
      if (SegmentDone()) {
        BossVoice(53, kVoiceGain);
        shafts.SendEvent(BossLightShafts::kEventFadeOut, 0);
        enemy->SetRoutePoint(2);
        step = 3, frame = 0;
      }
      break;
    default:
      if (SegmentDone()) ChangeState(TWIN_FANS);
      break;
  }
  return 1;
}

int32_t EnemyType15Behavior::TwinFans(int32_t code) {
  if (code == CODE_ENTER) {
    BeginAttack(ORBITING);
    fanA = fanB = 0;
    angleA = 0.7f, angleB = 0.625f;
    enemy->SetRoutePoint(2);
    BossVoice(54, kVoiceGain);
    return 1;
  }
  if (code == CODE_LEAVE) {
    if (SProcList* l = enemy->GetList(2)) l->Broadcast(kHitEventDefeated, 0);
    return 1;
  }
  if (code != CODE_FRAME) return 0;
  BounceShots(kBounceId);
  PlaceOptions();
  if (fanA <= 10) {
    const int32_t k = frame % 20;
    if (k < 15) {
      if (k == 0) ++fanA, angleA -= 0.01f;
      if (frame % 2 == 1) {
        for (float a : {angleA, angleA - 0.015f, angleA + 0.015f}) Shot(3, home, a, 5.5f, kBounceId);
        for (float a : {angleA, angleA - 0.015f, angleA + 0.015f}) Shot(3, home, 0.5f - a, 5.5f, kBounceId);
      }
    }
    const int32_t k2 = frame % 30;
    if (fanB <= 10 && k2 < 20) {
      if (k2 == 0) ++fanB, angleB += 0.03f;
      if (frame % 2 == 1) {
        for (float b : {angleB, angleB - 0.015f, angleB + 0.015f}) Shot(0x203, options[0].Position(), b, 4.5f, kBounceId);
        for (float b : {angleB, angleB - 0.015f, angleB + 0.015f})
          Shot(0x203, options[1].Position(), 0.5f - b, 4.5f, kBounceId);
      }
    }
  }
  if (++frame > 300) EndAttack(WAIT);
  return 1;
}

int32_t EnemyType15Behavior::Orbiting(int32_t code) {
  if (code == CODE_ENTER) {
    BeginAttack(FLOWERS);
    angleA = 0.0f, angleB = 0.5f;
    enemy->SetRoutePoint(2);
    return 1;
  }
  if (code != CODE_FRAME) return code == CODE_LEAVE;
  BounceShots(kBounceId);
  BossHover(position, home, frame);
  const float d = (float(frame) / 180.0f + 1.0f) * 0.01f;
  options[0].SetPolarTarget(angleA, 130.0f, 0.06f);
  options[1].SetPolarTarget(angleB, 130.0f, 0.06f);
  angleA += d, angleB -= d;
  const EShotMotion* m = ParamTable::FindValue(8);
  const SGpKeyList* keys[2] = {SprEShot00KeysA, SprEShot00KeysB};
  for (int i = 0; i < 2; ++i) {
    const float* p = options[i].Position();
    const SVec4 at{p[0], p[1], p[2], 1.0f};
    const float turn = RandF();
    if (EfxMan* efx = EfxMan::Instance())
      efx->SpawnSprite(7, &at, keys[i], nullptr, nullptr, 2, 6, turn, 1.0f, 1.0f, nullptr, nullptr, 0.0f, 1);
  }
  Shot(4, options[0].Position(), angleA - 0.25f, 4.0f, -1, m);
  Shot(0x204, options[1].Position(), angleB + 0.25f, 4.0f, -1, m);
  ++frame;
  if (enemy->EveryFrames(600)) EndAttack(WAIT);
  return 1;
}

int32_t EnemyType15Behavior::Flowers(int32_t code) {
  if (code == CODE_ENTER) {
    BeginAttack(DOUBLE_FANS);
    step = 0;
    angleA = 0.25f;
    enemy->SetRoutePoint(2);
    BossVoice(55, kVoiceGain);
    return 1;
  }
  if (code != CODE_FRAME) return code == CODE_LEAVE;
  BossHover(position, home, frame);
  PlaceOptions();
  switch (frame % 100) {
    case 1:
      enemy->SetRoutePoint(uint32_t(9 + step));
      step = 1 - step;
      break;
    case 30:
      // 12 rings of decreasing speed, each 8 arms opening in two: 192 shots.
      for (int i = 0; i < 12; ++i) {
        const float u = float(i) / 12.0f, speed = 4.5f - 3.6f * u;
        for (int j = 0; j < 8; ++j) {
          const float b = float(j) / 8.0f;
          Shot(12, position, b + 0.2f * u + angleA, speed);
          Shot(12, position, b - 0.2f * u + angleA, speed);
        }
      }
      break;
    case 45:
      AddShotGen(enemy, position, kFlower, enemy);
      break;
    case 60:
      enemy->SetRoutePointEx(2, 1.0f);
      break;
    default:
      break;
  }
  ++frame;
  if (enemy->EveryFrames(390)) EndAttack(WAIT);
  return 1;
}

int32_t EnemyType15Behavior::DoubleFans(int32_t code) {
  if (code == CODE_ENTER) {
    BeginAttack(CURTAIN);
    step = 0;
    angleA = 0.0f;
    enemy->SetRoutePoint(11);
    return 1;
  }
  if (code != CODE_FRAME) return code == CODE_LEAVE;
  PlaceOptions();
  if (step == 0) {
    if (SegmentDone()) step = 1, enemy->SetRoutePoint(12);
  } else if (step == 1) {
    if (frame % 7 == 0)
      for (int k = 0; k <= 14; ++k) {
        const bool edge = k == 0 || k == 14;
        const float a = 0.025f * float(k) + angleA;
        Shot(edge ? 4 : 0x203, position, a, 5.0f);
        Shot(edge ? 0x204 : 3, position, a + 0.5f, 5.0f);
      }
    angleA += 0.0053f;
    ++frame;
    if (enemy->EveryFrames(120)) enemy->SetRoutePoint(13), step = 2;
  } else if (SegmentDone()) {
    enemy->SetRoutePoint(2);
    EndAttack(WAIT);
  }
  return 1;
}

int32_t EnemyType15Behavior::Curtain(int32_t code) {
  if (code == CODE_ENTER) {
    BeginAttack(RINGS);
    angleA = angleB = 0.0f;
    curtain.Clear();
    for (int i = 0; i < 6; ++i) {
      BossOption2D* o = BossOption2D::Spawn(enemy, SprEfx02_5Keys);
      curtain.Set(i, o);
      const float goal[4] = {kCurtainX[i], -240.0f, 0.0f, 0.0f};
      if (o != nullptr) o->SetTarget(goal, 0.03f);
    }
    PlaceOptions();
    ramp.Set(position);
    static constexpr float kGoal[4] = {0.0f, -190.0f, 0.0f, 1.0f};
    ramp.SetTarget(kGoal, 0.02f);
    AddShotGen(enemy, position, kCurtain, enemy);
    return 1;
  }
  if (code == CODE_LEAVE) {
    KillBossGenerators(enemy);
    return 1;
  }
  if (code != CODE_FRAME) return 0;
  CurtainStep();
  ++frame;
  ramp.Step();
  if (enemy->EveryFrames(1080)) {
    curtain.ForEach([](BossOption2D& o, int) { o.Kill(0); });
    // The curtain has drawn the boss down towards y -190: by way of TO_RINGS
    // it flies back to where the curtain began before the rings.
    if (!DefeatWhenOverTime(enemy)) next = TO_RINGS, ChangeState(WAIT);
  }
  return 1;
}

void EnemyType15Behavior::CurtainStep() {
  // 1. The model satellites circle the boss, 80 above it, on a ring turned
  // by the stage camera's view (the game's shared view matrix) and tilted
  // 0.075 turn about x before it.
  angleA += 0.01f + 0.025f * (1.0f - std::cos(std::fmin(float(frame) / 180.0f, 1.0f) * kHalfPi));
  SMatrix ring = SharedView();
  ring.m[3][0] = position[0], ring.m[3][1] = position[1] - 80.0f, ring.m[3][2] = position[2];
  MatrixRotateX(&ring, 0.075f);
  for (int i = 0; i < 2; ++i) {
    const float a = (angleA + 0.5f * float(i)) * kTwoPi;
    const float x = 270.0f * std::cos(a), y = 270.0f * std::sin(a);
    float goal[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    for (int c = 0; c < 3; ++c) goal[c] = x * ring.m[0][c] + y * ring.m[1][c] + ring.m[3][c];
    options[i].SetTarget(goal, 0.08f);
  }
  // 2. Lasers from the sprite satellites, pair by pair from the outside in.
  for (int pair = 0; pair < 3; ++pair) {
    if (frame != 120 + 60 * pair) continue;
    for (int i : {pair, 5 - pair}) {
      BossOption2D* o = curtain.Live(i);
      if (o == nullptr) continue;
      laserOrigins[i] = SharedView();
      for (int c = 0; c < 3; ++c) laserOrigins[i].m[3][c] = o->Position()[c];
      if (auto* l = new (std::nothrow) ELaserGen(&laserOrigins[i], 0x40000, 25.0f, 540 - frame, 0, 0.7f, 2.0f, 5.0f,
                                                 32.0f, 18.0f, 3.0f, 6.0f, 30.0f, 15.0f, 0, enemy))
        enemy->AddChild(0, l, 0);
    }
  }
  // 3. The curtain rises, its lasers with it.
  if (frame >= 420 && frame <= 539) {
    angleB += 2.0f;
    curtain.ForEach([this](BossOption2D& o, int i) {
      const float goal[4] = {kCurtainX[i], -240.0f - angleB, 0.0f, 0.0f};
      o.SetTarget(goal, 0.03f);
      for (int c = 0; c < 3; ++c) laserOrigins[i].m[3][c] = o.Position()[c];
    });
  }
  // 4. The charge gathering under the boss.
  EfxMan* efx = EfxMan::Instance();
  if (frame >= 100 && frame <= 539 && frame % 2 == 0) {
    const float a = (0.25f + 0.35f * RandFS()) * kTwoPi;
    const float r = RandF() * (0.1f + 0.017954545f * float(frame - 100)) * 128.0f;
    const float size = 0.3f + 0.5f * RandF();
    const SVec4 off{r * std::cos(a), 30.0f + r * std::sin(a), 0.0f, 0.0f};
    const SVec4 at{position[0] + off.x, position[1] + off.y, position[2], 1.0f};
    const SVec4 v{-off.x / 64.0f, -off.y / 64.0f, 0.0f, 0.0f};
    if (efx != nullptr) efx->SpawnSprite(6, &at, EfxKeyList7, nullptr, nullptr, 10, 10, 0.0f, size, size, &v, nullptr, 1.0f, 1);
  }
  // 5. Its glow.
  if (frame >= 100 && frame <= 934 && frame % 4 == 0) {
    const float s = std::fmin(0.1f + 0.027045455f * float(frame - 100), 12.0f);
    const float r = RandF() * s * 4.0f;
    const float a = RandF() * kTwoPi;
    const SVec4 at{position[0] + r * std::cos(a), position[1] + 30.0f + r * std::sin(a), position[2], 1.0f};
    if (efx != nullptr) efx->SpawnSprite(8, &at, EfxKeyList7, nullptr, nullptr, 15, 15, 0.0f, s, s, nullptr, nullptr, 0.0f, 1);
  }
  // 6. Five lasers from the boss.
  if (frame == 414) {
    BossVoice(56, kVoiceGain);
    static constexpr float kOffsetX[5] = {0.0f, -20.0f, 20.0f, -40.0f, 40.0f};
    for (int i = 0; i < 5; ++i) {
      SMatrix& m = laserOrigins[6 + i];
      m = kIdentityMatrix;
      m.m[3][0] = position[0] + kOffsetX[i], m.m[3][1] = position[1] + 30.0f, m.m[3][2] = position[2];
      if (auto* l = new (std::nothrow) ELaserGen(&m, 0x240000, 25.0f, 300, 3, 0.7f, 2.0f, 5.0f, 64.0f, 45.0f, 3.0f,
                                                 6.0f, 60.0f, 37.5f, i == 4 ? 30 : 0, enemy))
        enemy->AddChild(0, l, 0);
    }
  }
}

int32_t EnemyType15Behavior::Rings(int32_t code) {
  auto aim = [this]() {
    options[0].SetPolarTarget3(0.875f, 100.0f, -50.0f, 0.06f);
    options[1].SetPolarTarget3(0.625f, 100.0f, -50.0f, 0.06f);
  };
  if (code == CODE_ENTER) {
    BeginAttack(TWIN_FANS);
    aim();
    static constexpr float kRight[4] = {1.2f, -0.5f, 0.0f, 1.0f}, kLeft[4] = {-1.2f, -0.5f, 0.0f, 1.0f};
    path.Clear();
    path.AddKey(position, kRight, 143.0f, 600.0f);
    path.AddKey(position, kLeft, 143.0f, 600.0f);
    path.AddKey(position, kRight, 0.0f, 600.0f);
    path.loop = 1;
    enemy->SetRoutePoint(2);
    for (const auto& g : kSwing) AddShotGen(enemy, position, g, enemy);
    return 1;
  }
  if (code == CODE_LEAVE) {
    path.Clear();
    KillBossGenerators(enemy);
    return 1;
  }
  if (code != CODE_FRAME) return 0;
  path.Advance(position, 1.0f);
  aim();
  if (frame % 40 == 0)
    for (int i = 0; i < 2; ++i)
      for (int k = 0; k < 120; ++k)
        if (k % 6 < 4) Shot(4, options[i].Position(), float(k) / 120.0f, 2.5f);
  ++frame;
  // After eight swings the boss flies home from wherever the swing left it.
  if (enemy->animator.count > 7) EndAttack(EnemyBase::SCRIPT_RELEASED);
  return 1;
}

int32_t EnemyType15Behavior::Defeat(int32_t code) {
  static constexpr float kCentre[4] = {0.0f, -80.0f, 0.0f, 1.0f};
  if (code == CODE_ENTER) {
    KillBossGenerators(enemy);
    frame = step = 0;
    StopBossVoices({54, 55, 56});
    PlaceOptions();
    g_MapMng.armed = 0;
    enemy->SetMove(565.0f, 569.0f, 0, 0.5f);
    BossScreenRamp(2.0f, 0);
    return 1;
  }
  if (code != CODE_FRAME) return code == CODE_LEAVE;
  switch (step) {
    case 0:
      // The step counts on between the clear screen (its step 5) and the
      // later marks, which read the counted step.
      if (frame == 5) BossScreenRamp(1.0f, 0);
      ++frame;
      position[0] += 1.5f * RandFS();
      position[1] += 1.5f * RandFS();
      if (frame == 8) enemy->SetMove(569.0f, 575.0f, 1, 0.5f);
      if (frame == 56) enemy->SetMove(575.0f, 585.0f, 0, 0.5f);
      if (frame == 76) {
        frame = 0, step = 1;
        enemy->SetRoutePoint(2);
        PathTo(path, position, kCentre, 120.0f);
      }
      break;
    case 1:
    case 2:
      PlaceOptions();
      if (step == 1 && !path.Advance(position, 1.0f)) {
        BossVoice(57, kVoiceGain);
        step = 2;
        waitTarget = enemy->animator.count + 4;
      } else if (step == 2 && enemy->animator.count >= waitTarget) {
        step = 3;
        enemy->SetRoutePointEx(14, 0.7f);
        const SVec4 at{position[0], position[1], position[2], 1.0f};
        if (EfxMan* efx = EfxMan::Instance()) efx->SpawnRandom(7, &at, 1.0f, static_cast<SProc*>(nullptr));
      }
      break;
    case 3:
      if (SegmentDone()) enemy->SetRoutePointEx(15, 0.66f), step = 4;
      break;
    case 4:
      if (SegmentDone()) enemy->SetRoutePoint(16), step = 5;
      break;
    case 5:
      if (SegmentDone()) enemy->SetRoutePointEx(17, 1.0f), step = 6;
      break;
    case 6:
      if (enemy->animator.count > 1) {
        // The show is over: the boss ends, its satellites with it, and its
        // end lets the enemy timeline go for the stage's next boss.
        step = 7;
        enemy->Kill(0);
      }
      break;
    default:
      break;
  }
  return 1;
}
