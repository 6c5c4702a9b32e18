#include "game/effect/EffectShotMan.h"

#include "game/effect/EfxMan.h"
#include "game/enemy/EObjBase.h"
#include "game/tables/shot_tables.h"
#include "vrax/graphic/SGpSpriteCell.h"

namespace {

// The engine sprite of a live effect sprite, or null once it is gone.
SGpSpriteCell* LiveCell(const EffectShot* s) {
  EfxSprite* e = s->sprite.Get();
  if (e == nullptr || e->alive == 0) return nullptr;
  return e->Sprite();
}

}  // namespace

int32_t EffectShotMan::Init(SProcArg) {
  SetName("EffectShotMan");
  radius[0] = radius[1] = 15.0f;
  pool_.Init(kCapacity);
  looks[0] = EfxSpriteDesc{SprEShot02KeysA, {1.0f, 1.0f, 1.0f, 0.8f}, {1.0f, 1.0f, 1.0f, 0.6f}, 71, 20};
  SetInitResult(0);
  return 0;
}

void EffectShotMan::Spawn(const SVec4* pos, int32_t look, float angle, float scaleX, float scaleY,
                          const SVec4* velocity, const SVec4* velocity2, float damping) {
  const int32_t l = look != 0 ? 1 : 0;
  EffectShot* s = pool_.Acquire();
  if (s == nullptr) return;
  live_.PushBack(s);
  EfxMan* efx = EfxMan::Instance();
  EfxSprite* e = efx != nullptr ? efx->SpawnSpriteDir(kSheet, pos, &looks[l], angle, scaleX, scaleY, velocity,
                                                      velocity2, damping, 0)
                                : nullptr;
  SGpSpriteCell* cell = e != nullptr ? e->Sprite() : nullptr;
  if (cell == nullptr) {
    s->Release(1);
    return;
  }
  s->sprite.Set(e);
  s->body.Register(kHitGroupHazard, 0xA, cell->position, radius[l], this, reinterpret_cast<intptr_t>(s), 100);
}

void EffectShotMan::ReleaseOrphans() {
  live_.SafeWalk([](SObject* o) {
    auto* s = static_cast<EffectShot*>(o);
    if (LiveCell(s) == nullptr) s->Release(1);
  });
}

int32_t EffectShotMan::Draw(SProcArg) {
  ReleaseOrphans();
  return 0;
}

int32_t EffectShotMan::End(SProcArg) {
  ReleaseOrphans();
  return 0;
}

void EffectShotMan::ClearAll() {
  while (SObject* o = live_.HeadObj()) static_cast<EffectShot*>(o)->Release(1);
}

int32_t EffectShotMan::KillChildren(SProcArg arg) {
  ClearAll();
  return SProc::KillChildren(arg);
}

int32_t EffectShotMan::User(int32_t code, SProcArg arg) {
  if (code == kHitEventHit) {
    // The argument is compared, never read: only a live shot of this list
    // is released.
    for (SObject* o = live_.HeadObj(); o != nullptr; o = o->GetNext()) {
      if (reinterpret_cast<SProcArg>(o) == arg) {
        static_cast<EffectShot*>(o)->Release(1);
        break;
      }
    }
  } else if (code == EObjBase::EV_GRABBED || code == EObjBase::EV_GRAB_ATTEMPT) {  // passed on by the owner
    ClearAll();
  }
  return 0;
}
