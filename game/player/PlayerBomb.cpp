// The bomb: the ship vanishes in a burst, flies back in along a short path,
// and at fixed frames every enemy bullet is cleared, the screen shakes and
// the blow hits the enemies. Eight steps of 1, 1, 20, 10, 3, 30, 150 and 18
// frames on the Player's step fields.
#include <cmath>

#include "game/core/Easing.h"
#include "game/core/Game.h"
#include "game/effect/EShotMan.h"
#include "game/effect/ExplosionBursts.h"
#include "game/effect/RandF.h"
#include "game/player/EnemyScan.h"
#include "game/player/Player.h"
#include "game/player/PlayerFx.h"

namespace {

float Between(float lo, float hi) { return lo + (hi - lo) * RandF(); }

void PlaySe(int32_t n, int32_t factor) {
  if (Game* g = Game::GetInstance()) g->PlaySe(n, factor);
}

}  // namespace

void Player::BombStep() {
  bombGaugeShown = 0;
  bombGaugeValue = 800.0f;
  for (float& v : leanTarget) v = 0.0f;
  if (stepLength > 0) ++stepCounter;
  const float r = stepLength > 0 ? static_cast<float>(stepCounter) / static_cast<float>(stepLength) : 1.0f;
  const bool done = stepCounter >= stepLength;
  CaptureBonePositions();
  const SVec4 emitter = BonePosition(20);
  auto next = [this](int32_t s, int32_t length) {
    step = s;
    stepLength = length;
    stepCounter = 0;
  };
  switch (step) {
    case 0:
      PlaySe(10, 59904);
      next(1, 1);
      break;
    case 1:
      if (done) next(2, 20);
      break;
    case 2:
      hullOffset[2] += 0.1f;
      hullScale[0] = 1.0f - r;
      hullScale[1] = hullScale[2] = 1.0f;
      {
        // Two sparkles a frame: one beside each engine.
        const float angle = RandF();
        const float a = Between(1.3f, 1.6f), b = Between(0.4f, 0.5f), c = Between(0.3f, 0.5f),
                    d = Between(0.2f, 0.3f);
        const auto l1 = static_cast<int32_t>(Between(30.0f, 50.0f));
        const auto l2 = static_cast<int32_t>(Between(30.0f, 50.0f));
        SpawnEffect(position, angle, a, b, c, d, 0.0f, l1, l2);
      }
      if (done) {
        for (float& v : hullOffset) v = 0.0f;
        for (float& v : hullScale) v = 1.0f;
        drawn = 0;
        next(3, 10);
      }
      break;
    case 3: {
      const float angle = RandF();
      const float a = Between(0.1f, 0.2f), b = Between(0.05f, 0.1f), c = Between(0.3f, 0.5f),
                  d = Between(0.2f, 0.3f);
      const auto l1 = static_cast<int32_t>(Between(10.0f, 30.0f));
      const auto l2 = static_cast<int32_t>(Between(10.0f, 20.0f));
      SpawnEffect(position, angle, a, b, c, d, 0.0f, l1, l2);
      if (done) next(4, 3);
      break;
    }
    case 4:
      if (stepCounter == 2) PlayerFx::BombAnchors(this, emitter);
      if (done) {
        StartMotion(0, 40);
        flightPath.Reset();
        flightPath.kind = 0;
        flightPath.tension = 0.0f;
        flightPath.AddKey(SVec4{0.0f, 50.0f, -400.0f, 1.0f});
        flightPath.AddKey(SVec4{0.0f, 100.0f, 0.0f, 1.0f});
        flightPath.SetEnds(nullptr, nullptr);
        next(5, 30);
      }
      break;
    case 5: {
      drawn = 1;
      float p[3] = {position[0], position[1], position[2]};
      if (flightPath.Evaluate(p, 0, std::sin(r * kHalfPi))) SetPosition(p[0], p[1], p[2]);
      if (done) {
        EnemyScan::BombGrid();
        next(6, 150);
      }
      break;
    }
    case 6: {
      const int32_t k = stepCounter;
      if (k == 100) StartMotion(1, 26);
      if (k >= 98 && k <= 119) {
        const int32_t pairs = k == 98 ? 30 : 1;
        for (int32_t i = 0; i < pairs; ++i)
          for (float side : {-20.0f, 20.0f}) {
            const float at[4] = {position[0] + side, position[1] + 50.0f, position[2], 1.0f};
            const float speed = Between(1.0f, 4.0f);
            const auto life = static_cast<int32_t>(Between(10.0f, 30.0f));
            SpawnSparkle(at, 0.25f + (RandF() - 0.5f) * 0.4f, speed, speed * 0.5f, 0.0f, 0.0f, 0.0f, 0.0f, life,
                         life);
          }
      }
      if (k >= 35 && k <= 74) SpawnRandomBurst(k - 35, 40);
      if (k == 76) {
        g_EShotMan.ClearAll(1);
        BombRing();
        PlayerFx::Burst(position);
        SendEvent(kEventShake, 1);
        PlaySe(15, 57344);
        PlaySe(25, 65536);
      }
      if (k == 78) EnemyScan::BombBlast();
      if (done) {
        StartMotion(0, 44);
        next(7, 18);
      }
      break;
    }
    default:
      // The bomb's end: back to normal control. It adds no invulnerability:
      // the bullets went at step 6 and the ship is open to hits again.
      if (done) ResetControl();
      break;
  }
}

void Player::SpawnRandomBurst(int32_t i, int32_t n) {
  const std::vector<SVec4>& points = EnemyScan::BombPoints();
  if (n <= 0 || i % 3 != 0) return;
  const SVec4 at = points.empty() ? SVec4{position[0], position[1], position[2], 1.0f}
                                  : points[static_cast<size_t>(i / 3) % points.size()];
  SpawnExplosionBurst(&at);
}

void Player::BombRing() {
  for (int32_t k = 0; k < 16; ++k) {
    const float r = 220.0f * RandF();
    const float a = static_cast<float>(k) / 16.0f * 6.2831855f;
    const SVec4 at{position[0] + r * std::cos(a), position[1] + r * std::sin(a), 0.0f, 1.0f};
    SpawnExplosionLarge(&at);
  }
}
