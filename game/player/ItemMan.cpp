#include "game/player/ItemMan.h"

#include <algorithm>
#include <cmath>

#include "game/core/Game.h"
#include "game/effect/EfxMath.h"
#include "game/effect/RandF.h"
#include "game/enemy/EObjBase.h"
#include "game/player/Player.h"
#include "game/tables/effect_tables.h"

namespace {

constexpr float kTwoPi = 6.2831855f;
constexpr float kHalfPi = 1.5707964f;
// Homing starts within 80 pixels; collection within 10.
constexpr float kAttractDistance2 = 6400.0f;
constexpr float kCollectDistance2 = 100.0f;
// A falling item is attracted only once it no longer rises faster than this.
constexpr float kAttractMinVy = -3.0f;
// Frames of play a scattered item waits before it homes.
constexpr int32_t kScatterWait = 60;

float Distance2ToPlayer(const float* p) {
  const float dx = PlayerPos.x - p[0], dy = PlayerPos.y - p[1];
  return dx * dx + dy * dy;
}

}  // namespace

// ============================================================ item

Item::~Item() {
  if (SGpSpriteCell* cell = sprite.Get()) delete cell;
}

float* Item::Position() const {
  SGpSpriteCell* cell = sprite.Get();
  return cell != nullptr ? cell->ownPos : nullptr;
}

bool Item::Step() {
  SGpSpriteCell* cell = sprite.Get();
  if (cell == nullptr) return false;
  animation.Advance(1.0f);
  cell->part = animation.GetPart();
  float* p = cell->ownPos;
  if (state == STATE_FLYING) {
    vx *= damping;
    vy *= damping;
    p[0] += vx;
    p[1] += vy + fall;
    if (p[1] >= ItemMan::kLostY) return false;
    if (g_Player.state == Player::STATE_PLAY) {
      if (scatter == 0) {
        if (vy >= kAttractMinVy && Distance2ToPlayer(p) < kAttractDistance2) state = STATE_HOMING;
      } else if (++count >= kScatterWait) {
        state = STATE_HOMING;
        count = 0;
      }
    }
    return true;
  }
  if (Distance2ToPlayer(p) >= kCollectDistance2) {
    const float t = std::min(1.0f, static_cast<float>(count) * 0.02f);
    ++count;
    const float k = 1.0f - std::cos(t * kHalfPi);
    p[0] += (PlayerPos.x - p[0]) * k;
    p[1] += (PlayerPos.y - p[1]) * k;
    return true;
  }
  if (Game* g = GetGame()) {
    g->PlaySe(ItemMan::kCollectSound, 53248);
    g_Player.AddPower(ItemMan::kPower);
    g->AddBonusScore(ItemMan::kBonusKind, ItemMan::kBonus);
  } else {
    g_Player.AddPower(ItemMan::kPower);
  }
  return false;
}

// ============================================================ manager

int32_t ItemMan::Init(SProcArg) {
  SetName("ItemMan");
  ClearAll();
  pool_.Init(kCapacity);
  return 0;
}

int32_t ItemMan::Main(SProcArg) {
  live_.SafeWalk([](SObject* o) {
    Item* item = static_cast<Item*>(o);
    if (!item->Step()) item->Release(1);
  });
  BroadcastAll(EVENT_MAIN, 0);
  return 0;
}

int32_t ItemMan::OnDispose(SProcArg) {
  ClearAll();
  return 0;
}

void ItemMan::ClearAll() {
  live_.SafeWalk([](SObject* o) { static_cast<Item*>(o)->Release(1); });
}

void ItemMan::Spawn(EObjBase* enemy) {
  if (enemy == nullptr) return;
  SpawnAt(enemy->GetPosition(), enemy->scoreValue);
}

void ItemMan::SpawnAt(const float* position, int32_t scoreValue) {
  Game* game = GetGame();
  if (position == nullptr || game == nullptr) return;
  float start[4] = {position[0], position[1], position[2], position[3]};
  if (position[2] != 0.0f) {
    // Items fall in the plane z = 0: the enemy's point as seen from the eye.
    const float s = DepthScale(position[2]);
    start[0] = position[0] * s, start[1] = position[1] * s, start[2] = 0.0f, start[3] = 0.0f;
  }
  const int32_t n = scoreValue % 100;
  const bool scatter = g_Player.controlMode == Player::CONTROL_DASH;
  for (int32_t i = 0; i < n; ++i) {
    Item* item = pool_.Acquire();
    if (item == nullptr) return;
    SGpSpriteCell* cell = game->SharedBatch().Take();
    if (cell == nullptr) {
      item->Release(1);
      return;
    }
    item->sprite.Set(cell);
    live_.PushBack(item);
    float a = 0.0f, v = 0.0f;
    if (scatter) {
      item->scatter = 1;
      item->fall = 0.0f;
      item->damping = 0.95f;
      a = RandF();
      v = 6.0f * RandF() + 4.0f;
    } else {
      item->scatter = 0;
      item->damping = 0.97f;
      item->fall = 2.0f * RandF() + 4.0f;
      a = (RandF() - 0.5f) * 0.12f + 0.75f;
      v = 4.0f * RandF() + 10.0f;
    }
    item->vx = std::cos(kTwoPi * a) * v;
    item->vy = std::sin(kTwoPi * a) * v;
    item->count = 0;
    item->state = Item::STATE_FLYING;
    item->animation.Init(SprEfx03_3Keys);
    const float length = item->animation.GetTotal();
    item->animation.Advance(std::clamp(RandF() * length, 0.0f, length));
    for (int k = 0; k < 4; ++k) cell->ownPos[k] = start[k];
    cell->colour[0] = cell->colour[1] = cell->colour[2] = cell->colour[3] = 1.0f;
    // The table has eight rows; view modes beyond them stand upright.
    cell->angle = static_cast<float>(GetDirSign()) * 0.25f;
    cell->scaleX = 0.8f;
    cell->scaleY = 0.87f;
    cell->part = item->animation.GetPart();
  }
}
