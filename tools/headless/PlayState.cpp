#include "tools/headless/PlayState.h"

#include <cstring>

#include "game/core/Game.h"
#include "game/core/HitBody.h"
#include "game/effect/ELaserGen.h"
#include "game/effect/EShotMan.h"
#include "game/effect/EThunderMan.h"
#include "game/effect/EfxMan.h"
#include "game/enemy/EObjBase.h"
#include "game/enemy/EnemyMan.h"
#include "game/player/ItemMan.h"
#include "game/player/Player.h"
#include "game/stage/ScriptStgRsc.h"
#include "platform/crt_rand.h"

namespace headless {

namespace {

constexpr int kEffectPools = 9;
constexpr int32_t kBeamGroup = 9;

struct Fnv {
  uint64_t h = 14695981039346656037ull;
  void Bytes(const void* p, size_t n) {
    const auto* b = static_cast<const uint8_t*>(p);
    for (size_t i = 0; i < n; ++i) h = (h ^ b[i]) * 1099511628211ull;
  }
  void Word(uint32_t v) { Bytes(&v, sizeof v); }
  void Int(int32_t v) { Word(static_cast<uint32_t>(v)); }
  void Float(float f) {
    uint32_t v;
    std::memcpy(&v, &f, sizeof v);
    Word(v);
  }
  void Floats(const float* f, int n) {
    for (int i = 0; i < n; ++i) Float(f[i]);
  }
};

}  // namespace

uint64_t PlayStateHash() {
  Fnv f;
  f.Word(plat::RandSeed());
  if (const Game* g = Game::GetInstance()) {
    f.Int(g->GetSceneId());
    f.Int(g->stage);
    f.Int(g->lives);
    f.Int(g->bombs);
    f.Bytes(g->record, sizeof g->record);
  }
  f.Int(g_Player.state);
  f.Int(g_Player.controlMode);
  f.Floats(g_Player.position, 3);
  f.Float(g_Player.power);
  for (EObjBase* e : EnemyDrawList) {
    f.Floats(e->GetPosition(), 3);
    f.Int(e->hitPoints);
  }
  for (int group = 0; group < kHitGroupCount; ++group) {
    for (HitBody* b = HitGroupTable[group].Head(); b != nullptr; b = b->NextBody()) {
      f.Int(b->group);
      f.Word(b->mask);
      f.Int(b->disabled);
      if (b->position != nullptr) f.Floats(b->position, 3);
      f.Float(b->radius);
    }
  }
  for (int pool = 1; pool <= kEffectPools; ++pool) f.Int(g_EfxMan.LiveCount(pool));
  f.Int(g_ItemMan.LiveCount());
  return f.h;
}

PlayLoad CurrentLoad() {
  PlayLoad load;
  load.bullets = g_EShotMan.LiveCount();
  for (HitBody* b = HitGroupTable[kBeamGroup].Head(); b != nullptr; b = b->NextBody()) {
    if (dynamic_cast<ELaserGen*>(b->owner) != nullptr) {
      ++load.lasers;
    } else if (dynamic_cast<EThunderMan*>(b->owner) != nullptr) {
      ++load.thunder;
    } else {
      ++load.beams;
    }
  }
  for (int pool = 1; pool <= kEffectPools; ++pool) load.effects += g_EfxMan.LiveCount(pool);
  load.enemies = static_cast<int32_t>(EnemyDrawList.size());
  for (const EObjBase* e : EnemyDrawList) {
    const int32_t type = e->param != nullptr ? e->param->type : 0;
    load.bosses += type >= 3 && type <= 16 && type != 9;
  }
  return load;
}

}  // namespace headless
