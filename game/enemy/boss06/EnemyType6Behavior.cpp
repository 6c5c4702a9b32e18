#include "game/enemy/boss06/EnemyType6Behavior.h"

#include <algorithm>
#include <cmath>

#include "game/effect/EfxMan.h"
#include "game/effect/RandF.h"
#include "game/enemy/BossScript.h"
#include "game/enemy/BossSteps.h"
#include "game/enemy/EventEnemy.h"
#include "game/enemy/boss06/EnemyType6.h"
#include "game/stage/MapMng.h"
#include "game/tables/enemy_tables.h"
#include "game/tables/image_slots.h"
#include "platform/crt_rand.h"
#include "vrax/resource/SImageSlot.h"

namespace {

constexpr float kTwoPi = 6.2831855f;
constexpr uint32_t kHit = 5;
constexpr float kTilt[3] = {0.1f, 0.0f, 0.0f};
constexpr float kCentre[4] = {0.0f, 0.0f, 0.0f, 1.0f};
constexpr float kEntryCorners[4][4] = {{-150, -200, 0, 1}, {150, -200, 0, 1}, {-150, 200, 0, 1}, {150, 200, 0, 1}};
constexpr float kFireCorners[4][4] = {{-150, -200, 0, 1}, {150, -200, 0, 1}, {150, 200, 0, 1}, {-150, 200, 0, 1}};
constexpr float kHoverPoints[5][4] = {
    {0, -90, 0, 1}, {-130, -200, 0, 1}, {130, -200, 0, 1}, {130, 20, 0, 1}, {-130, 20, 0, 1}};
// The arms' image and model pairs.
const EnemyRscSlotPair kArmPairs[2] = {{&ImgEnemyBs04b, &MdlEnemyBs04b}, {&ImgEnemyBs04c, &MdlEnemyBs04c}};

float Draw01() { return float(plat::Rand()) * (1.0f / 32767.0f); }

}  // namespace

void EnemyType6Behavior::Animate(float a, float c) {
  cableSpread = cableFactor * armSpread;
  arms[0].Aim(0.5f, armSpread, a, kTilt);
  arms[1].Aim(0.0f, armSpread, a, kTilt);
  cables[0].Aim(0.38f, cableSpread, c, kTilt);
  cables[1].Aim(0.12f, cableSpread, c, kTilt);
  for (int i = 0; i < 2; ++i) cables[i].Rebuild(position, arms[i].position, 20.0f, 20.0f);
}

void EnemyType6Behavior::ChooseNext(int32_t from) {
  const float r = Draw01();
  switch (from) {
    case 0: chosenIndex = int32_t(r * 4.9f); break;
    case 1:
    case 4: chosenIndex = int32_t(r * 1.9f) == 0 ? 2 : 3; break;
    case 2:
    case 3: chosenIndex = int32_t(r * 1.9f) == 0 ? 1 : 4; break;
    default: return;
  }
  chosen = hover[chosenIndex];
}

void EnemyType6Behavior::Move(const float* target, float d) { StartFlight(&path, position, target, d); }

void EnemyType6Behavior::Charge(int32_t n) const {
  EfxMan* efx = EfxMan::Instance();
  for (int32_t i = 0; i < n; ++i) {
    const float a = RandF();
    const float r = 40.0f * RandF() + 150.0f;
    const SVec4 d{r * std::cos(kTwoPi * a), r * std::sin(kTwoPi * a), r, 0.0f};
    const SVec4 start{position[0] + d.x, position[1] + d.y, position[2] + d.z, 1.0f};
    const SVec4 v{-d.x / 15.0f, -d.y / 15.0f, -d.z / 15.0f, 0.0f};
    if (efx != nullptr) efx->SpawnB(2, &start, &v, int32_t(0.2222222f * r), 1.0f);
  }
}

void EnemyType6Behavior::ShadowsTo(const float (*points)[4], float rate) {
  for (int i = 0; i < kShadows; ++i) shadows[i].Glide(points != nullptr ? points[i] : kCentre, rate);
}

void EnemyType6Behavior::ShowParts(uint8_t on) {
  for (auto& a : arms) a.visible = on;
  for (auto& c : cables) c.visible = on;
}

int32_t EnemyType6Behavior::Handle(int32_t code, int32_t state) {
  if (code == CODE_NOTIFY) return 0;
  switch (state) {
    case STATE_ENTRANCE: return Entrance(code);
    case STATE_PODS_IN: return PodsIn(code);
    case STATE_HOVER: return Hover(code);
    case STATE_BURST: return Burst(code);
    case STATE_DIVE: return Dive(code);
    case STATE_RECALL: return Recall(code);
    case STATE_SHADOWS: return Shadows(code);
    case STATE_WOBBLE: return Wobble(code);
    case EnemyBase::SCRIPT_RELEASED: return FlyHome(code, {40.0f, 0, kDefeat}, home);
    case EnemyBase::SCRIPT_DEFEATED: return Defeated(code);
    default: return 0;
  }
}

int32_t EnemyType6Behavior::Entrance(int32_t code) {
  if (code == CODE_LEAVE) return 1;
  if (code == CODE_ENTER) {
    frame = 0;
    position[0] = 0.0f, position[1] = -600.0f, position[2] = 0.0f;
    enemy->body.SetDisabled(1);
    enemy->SetRoutePoint(14);
    for (auto& s : shadows) s.TakeMotion(enemy->param != nullptr ? enemy->param->RouteAt(14) : nullptr);
    ShadowsTo(kEntryCorners, 1.0f);
    return 1;
  }
  if (frame == 200) {
    BossSe(21);
    ShadowsTo(nullptr, 0.03f);
  }
  if (frame == 480) {
    for (auto& s : shadows) s.TakeMotion(enemy->param != nullptr ? enemy->param->RouteAt(15) : nullptr);
    enemy->SetRoutePoint(15);
  }
  if (frame == 500) {
    for (auto& s : shadows) s.visible = 0;
    position[0] = position[1] = position[2] = 0.0f;
    ChangeState(STATE_PODS_IN);
  }
  ++frame;
  return 1;
}

int32_t EnemyType6Behavior::PodsIn(int32_t code) {
  switch (code) {
    case CODE_ENTER:
      frame = 0;
      BossVoice(23);
      for (int i = 0; i < 2; ++i) {
        arms[i].SetStatic(true);
        enemy->AddChild(2, &arms[i], reinterpret_cast<SProcArg>(&kArmPairs[i]));
      }
      for (auto& c : cables) {
        c.SetStatic(true);
        enemy->AddChild(2, &c, 0);
      }
      enemy->SetRoutePoint(0);
      for (int i = 0; i < kPods; ++i) {
        pods[i].behavior.orbit = 0.59f + 0.08f * float(i);
        pods[i].behavior.spin = -0.16f + 0.08f * float(i);
        pods[i].SetDock(enemy->Node47World());
        pods[i].SetStatic(true);
        enemy->AddChild(2, &pods[i], reinterpret_cast<SProcArg>(static_cast<EnemyBase*>(enemy)));
        pods[i].behavior.ChangeState(EnemyType6PodBehavior::RETURN);
      }
      armSpread = 80.0f, cableFactor = 0.75f;
      chosenIndex = 0;
      return 1;
    case CODE_FRAME:
      Animate(0.1f, 0.6f);
      if (pods[0].behavior.GetState() == EnemyType6PodBehavior::DOCKED) {
        chosenIndex = int32_t(Draw01() * 4.9f);
        ChangeState(STATE_HOVER);
      }
      ++frame;
      return 1;
    case CODE_LEAVE:
      enemy->body.SetDisabled(0);
      std::copy(&kHoverPoints[0][0], &kHoverPoints[0][0] + 20, &hover[0][0]);
      chosen = hover[chosenIndex];
      return 1;
    default:
      return 0;
  }
}

int32_t EnemyType6Behavior::Hover(int32_t code) {
  switch (code) {
    case CODE_ENTER: {
      frame = 0;
      // Released in the middle of the tour, the boss flies home to one of
      // the first four points, drawn here.
      const float r = RandF();
      std::copy(hover[int32_t(4.0f * r)], hover[int32_t(4.0f * r)] + 4, home);
      next = STATE_BURST;
      Move(hover[chosenIndex], 30.0f);
      return 1;
    }
    case CODE_FRAME: {
      Animate(0.1f, 0.6f);
      if (path.Advance(position, 1.0f)) {
        const bool left = chosenIndex == 1 || chosenIndex == 4;
        if (chosenIndex != 0 && frame % 10 == 0 && frame <= 20)
          enemy->SetRoutePoint(uint32_t((left ? 1 : 4) + frame / 10));
        ++frame;
        return 1;
      }
      // Each arrival starts the hover again towards the next point; the
      // ninth ends the tour with the flight home to the top point, and the
      // ring of this arrival is fired either way.
      ChooseNext(chosenIndex);
      if (!enemy->EveryFrames(9)) {
        ChangeState(STATE_HOVER);
      } else {
        KillBossGenerators(enemy);
        std::copy(hover[0], hover[0] + 4, home);
        NextOrTimeUp(EnemyBase::SCRIPT_RELEASED, kDefeat);
      }
      BossGen(enemy, position, enemy, 0x20101, kHit, 5, 0x205, 0, 0, 0, 5.0f, 5.0f, 21, 1.0f, 1, 0, 0, 1, 0, 0, 0, 0,
              0, 1, 0, nullptr, -1, 0);
      return 1;
    }
    case CODE_LEAVE:
      path.Clear();
      return 1;
    default:
      return 0;
  }
}

// The arms open to their full spread for the flight home, whatever the
// attack left them at.
void EnemyType6Behavior::HomeEnter() { armSpread = 80.0f, cableFactor = 0.75f; }

void EnemyType6Behavior::HomeFrame() { Animate(0.1f, 0.6f); }

int32_t EnemyType6Behavior::Burst(int32_t code) {
  if (code == CODE_LEAVE) return 1;
  if (code == CODE_ENTER) {
    std::copy(hover[0], hover[0] + 4, home);
    next = STATE_RECALL;
    frame = 0;
    for (int i = 0; i <= 5; ++i) {
      BossGen(enemy, position, enemy, 0x101, kHit, 10, 10, 0.1666f * float(i) + 0.25f, 0, 0, 2.5f, 2.5f, 6, 0.0833f,
              1, 0, 10, 3, 50, 40, 0, 0, 0, 0, 30.0f, nullptr, -1, 0);
      BossGen(enemy, position, enemy, 0x101, kHit, 266, 266, 0.1666f * float(i) + 0.3333f, 0, 0, 2.5f, 2.5f, 6,
              0.0833f, 1, 0, 10, 3, 50, 40, 0, 0, 0, 0, 60.0f, nullptr, -1, 0);
    }
    return 1;
  }
  Animate(0.1f, 0.6f);
  if (frame <= 20 && (frame & 4) != 0) Charge(int32_t(std::ceil(3.0f * float(frame) * 0.05f + 1.0f)));
  armSpread = 80.0f - 80.0f * std::min(1.0f, float(frame) / 60.0f);
  if (frame == 0) enemy->SetMove(200.0f, 210.0f, 0, 0.5f);
  if (frame == 20) enemy->SetMove(210.0f, 230.0f, 0, 0.5f);
  if (frame == 60) {
    enemy->SetRoutePoint(0);
    ChangeState(STATE_DIVE);
  }
  ++frame;
  return 1;
}

int32_t EnemyType6Behavior::Dive(int32_t code) {
  switch (code) {
    case CODE_ENTER:
      frame = 0;
      step = 0;
      next = STATE_RECALL;
      enemy->SetRoutePoint(0);
      return 1;
    case CODE_FRAME:
      Animate(0.1f, 0.6f);
      if (frame % 5 == 0 && frame <= 20) {
        EnemyType6PodBehavior& pod = pods[frame / 5].behavior;
        pod.acceleration = 0.17f;
        pod.ChangeState(EnemyType6PodBehavior::LAUNCH);
      }
      if (frame == 250) KillBossGenerators(enemy);
      if (frame == 300) NextOrTimeUp(STATE_RECALL, kDefeat);
      ++frame;
      return 1;
    case CODE_LEAVE:
      KillBossGenerators(enemy);
      return 1;
    default:
      return 0;
  }
}

int32_t EnemyType6Behavior::Recall(int32_t code) {
  if (code == CODE_LEAVE) return 1;
  if (code == CODE_ENTER) {
    frame = 0;
    armSpread = 0.0f;
    enemy->body.SetDisabled(1);
    for (auto& p : pods) p.behavior.ChangeState(EnemyType6PodBehavior::SPREAD);
    return 1;
  }
  Animate(0.1f, 0.6f);
  if (frame == 10) enemy->SetRoutePoint(13);
  if (frame == 30) enemy->SetRoutePoint(14);
  if (frame == 60) ChangeState(STATE_SHADOWS);
  ++frame;
  return 1;
}

int32_t EnemyType6Behavior::Shadows(int32_t code) {
  if (code == CODE_LEAVE) return 1;
  if (code == CODE_ENTER) {
    frame = 0;
    for (auto& s : shadows) {
      s.Glide(position, 1.0f);
      s.visible = 1;
      s.TakeMotion(enemy->param != nullptr ? enemy->param->RouteAt(14) : nullptr);
    }
    ShowParts(0);
    position[0] = 0.0f, position[1] = -600.0f, position[2] = 0.0f;
    return 1;
  }
  Animate(1.0f, 1.0f);
  if (frame == 50) {
    BossVoice(25);
    BossSe(21);
    ShadowsTo(kFireCorners, 0.04f);
  }
  if (frame == 200)
    for (int i = 0; i < kShadows; ++i) {
      EnemyType6Kage* s = &shadows[i];
      BossGen(enemy, s->Position(), s, 0x101, kHit, 4, 4, 0.25f * float(i) + 0.125f, 0, 0, 1.9f, 1.9f, 12, 0.13f, 1, 0,
              16, 3, 0, 0, 0, 0, 0, 1, 0, nullptr, -1, 0);
      BossGen(enemy, s->Position(), s, 0x101, kHit, 4, 4, 0, 0, 0, 2.7f, 2.7f, 20, 1.0f, 1, 0, 0, 1, 0, 0, 0, 0, 0, 1,
              0, nullptr, -1, 0);
    }
  if (frame == 250) {
    BossSe(21);
    ShadowsTo(nullptr, 0.04f);
  }
  if (frame == 360) {
    for (auto& s : shadows) s.TakeMotion(enemy->param != nullptr ? enemy->param->RouteAt(15) : nullptr);
    enemy->SetRoutePoint(15);
  }
  if (frame == 380) {
    for (auto& s : shadows) s.visible = 0;
    enemy->SetRoutePoint(0);
    position[0] = position[1] = position[2] = 0.0f;
  }
  if (frame == 390) ChangeState(STATE_WOBBLE);
  ++frame;
  return 1;
}

int32_t EnemyType6Behavior::Wobble(int32_t code) {
  switch (code) {
    case CODE_ENTER:
      frame = 0;
      armSpread = 80.0f, cableFactor = 0.75f;
      SetHome(STATE_HOVER);
      enemy->body.SetDisabled(0);
      BossVoice(24);
      for (auto& p : pods) p.behavior.ChangeState(EnemyType6PodBehavior::RETURN);
      ShowParts(1);
      BossGen(enemy, position, enemy, 0x101, kHit, 10, 10, 0.25f, -0.0283f, -0.0283f, 5.0f, 5.0f, 20, 1.0f, 1, 0, 7, 10,
              0, 0, 0, 0, 0, 1, 100.0f, nullptr, -1, 30);
      BossGen(enemy, position, enemy, 0x101, kHit, 10, 10, 0, 0, 0, 5.0f, 5.0f, 33, 1.0f, 1, 0, 0, 1, 0, 0, 0, 0, 0, 1,
              170.0f, nullptr, -1, 0);
      return 1;
    case CODE_FRAME:
      BossHover(position, home, frame);
      Animate(0.1f, 0.6f);
      if (frame <= 89 && (frame & 4) != 0) Charge(int32_t(std::ceil(5.0f * float(frame) / 90.0f + 2.0f)));
      if (frame == 30) enemy->SetMove(200.0f, 210.0f, 0, 0.25f);
      if (frame == 90) enemy->SetMove(210.0f, 217.0f, 0, 0.5f);
      if (frame == 204) enemy->SetMove(217.0f, 230.0f, 0, 0.5f);
      ++frame;
      if (enemy->EveryFrames(230)) NextOrTimeUp(STATE_HOVER, kDefeat);
      return 1;
    case CODE_LEAVE:
      KillBossGenerators(enemy);
      return 1;
    default:
      return 0;
  }
}

int32_t EnemyType6Behavior::Defeated(int32_t code) {
  switch (code) {
    case CODE_ENTER: {
      KillBossGenerators(enemy);
      frame = 0, step = 0;
      home[0] = 0.0f, home[1] = -150.0f, home[2] = 0.0f;
      StopBossVoices({25, 24});
      // Bodies never registered (a defeat before the pods came) are left
      // as they are.
      for (auto& p : pods) p.body.Detach();
      for (auto& a : arms) a.body.Detach();
      armSpread = 80.0f, cableFactor = 0.75f;
      g_MapMng.armed = 0;
      enemy->SetMove(230.0f, 234.0f, 0, 0.5f);
      BossScreenRamp(2.0f, 0);
      return 1;
    }
    case CODE_FRAME:
      break;
    default:
      return code == CODE_LEAVE ? 1 : 0;
  }
  Animate(0.1f, 0.6f);
  const uint32_t done = enemy->animator.count;
  switch (step) {
    case 0:
      ++frame;
      if (frame == 5)
        BossScreenRamp(1.0f, 0);
      Shake();
      if (frame == 8) enemy->SetMove(234.0f, 240.0f, 1, 0.5f);
      if (frame == 56) enemy->SetMove(240.0f, 250.0f, 0, 0.5f);
      if (frame == 76) {
        frame = 0, step = 1;
        enemy->SetRoutePoint(0);
        Move(home, 60.0f);
      }
      return 1;
    case 1:
      if (!path.Advance(position, g_MapMng.speed)) {
        frame = 0, step = 2;
        std::copy(position, position + 4, home);
      }
      break;
    case 2:
      if (frame > 29) {
        BossVoice(30);
        frame = 0, step = 3;
        enemy->SetRoutePoint(21);
        blast = 0;
        if (EfxMan* efx = EfxMan::Instance())
          blast = efx->SpawnRandom(4, reinterpret_cast<const SVec4*>(position), 1.0f, enemy) != nullptr ? 1 : 0;
      }
      break;
    case 3:
      if (done > 0) step = 4, frame = 0;
      break;
    case 4:
      if (frame > 70) {
        step = 5, frame = 0;
        enemy->SetRoutePoint(22);
      }
      break;
    case 5:
      if (done > 0) frame = 0, step = 6;
      break;
    default:
      if (frame == kEndFrame) {
        if (g_MapMng.t < kRailOn) g_MapMng.SetSection(0, kRailOn);
        // The blast of the explosion started in sub-step 2 ends the body.
        // When no explosion could be had (its pool was full) the body ends
        // here: kept to the stage's end it would hold the enemy timeline,
        // and the stage's next boss would never come.
        if (blast == 0) enemy->Kill(0);
      }
      break;
  }
  ++frame;
  return 1;
}
