// The effect manager's packets: in EVENT_DRAW it enters the shapes that the
// previous EVENT_END built; the queue draws them in EVENT_BEGIN. Owned rings
// (key 4) lie under the streaks (6), which lie under the free rings and discs
// (8), which lie under the ribbons (13). Sprite particles draw with their
// sheets.
#include "game/effect/EfxMan.h"
#include "game/tables/image_slots.h"
#include "vrax/graphic/SGpMan.h"
#include "vrax/graphic/SGpState.h"
#include "vrax/resource/SRsc_Image.h"

namespace {

// Texture 0 of the effect image, once it is loaded (where its picture
// failed, the packet that binds none: the shapes after it are not drawn).
void EnterEffectTexture(int32_t key) {
  if (ImgEfx != nullptr) ImgEfx->GetTexturePacket(0)->Enter(key);
}

SGpState_World& SharedWorld() { return WorldPresets[1]; }

}  // namespace

int32_t EfxMan::Draw(SProcArg) {
  EnterEffectTexture(kKeyStreaks);
  SharedWorld().Enter(kKeyStreaks);
  streakPrim_.Enter(kKeyStreaks);
  DrawRings();
  DrawOwnedRings();
  DrawDiscs();
  DrawRibbons();
  return 0;
}

template <class T>
void DrawShapeList(const SObjList& list, int32_t key) {
  EnterEffectTexture(key);
  for (SObject* o = list.HeadObj(); o != nullptr; o = o->GetNext()) {
    T* e = static_cast<T*>(o);
    e->world.Enter(key);
    e->prim->Enter(key);
  }
}

void EfxMan::DrawRings() { DrawShapeList<EfxRing>(live_[2], kKeyRings); }
void EfxMan::DrawOwnedRings() { DrawShapeList<EfxRing>(live_[3], kKeyOwnedRings); }
void EfxMan::DrawDiscs() { DrawShapeList<EfxDisc>(live_[4], kKeyRings); }

void EfxMan::DrawRibbons() {
  if (SGpMan* gp = GetGpMan()) gp->SetDefaultKey(kKeyRibbons);
  SharedWorld().EnterDefault();
  for (SObject* o = live_[5].HeadObj(); o != nullptr; o = o->GetNext()) {
    EfxRibbon* e = static_cast<EfxRibbon*>(o);
    if (e->points.size() < 2) continue;
    if (const SGpRect* r = e->points.front().rect)
      if (SGpObj* t = r->GetTexture()) t->EnterDefault();
    e->prim->EnterDefault();
  }
}
