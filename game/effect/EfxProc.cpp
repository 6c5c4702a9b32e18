#include "game/effect/EfxProc.h"

#include "game/effect/EfxProcG.h"

namespace {

int32_t Add(SProc* parent, SProc* child) {
  if (parent == nullptr) {
    delete child;
    return -1;
  }
  const int32_t r = parent->AddChild(0, child, 0);
  if (child->GetParent() == nullptr) delete child;  // not added
  return r;
}

}  // namespace

int32_t EfxProc::SpawnA(SProc* parent, const SMatrix* placement) { return Add(parent, new EfxProcA(placement)); }
int32_t EfxProc::SpawnB(SProc* parent, const SVec4* pos, float size, int32_t frames, bool alternate) {
  return Add(parent, new EfxProcB(pos, size, frames, alternate ? 16 : 6));
}
int32_t EfxProc::SpawnC(SProc* parent, const SVec4* pos, float size, int32_t frames, bool alternate) {
  return Add(parent, new EfxProcC(pos, size, frames, alternate ? 17 : 7));
}
int32_t EfxProc::SpawnD(SProc* parent, const SMatrix* placement, float spread0, float spread1, float damping,
                        float size, int32_t frames, bool alternate) {
  return Add(parent, new EfxProcD(placement, spread0, spread1, damping, 2.0f * size, frames, alternate ? 17 : 7));
}
int32_t EfxProc::SpawnE(SProc* parent, const SMatrix* placement, float spread0, float spread1, float damping,
                        float size, int32_t frames, bool alternate) {
  return Add(parent, new EfxProcE(placement, spread0, spread1, damping, 1.5f * size, frames, alternate ? 17 : 7));
}
int32_t EfxProc::SpawnF(SProc* parent, const SVec4* pos, float size, int32_t frames, bool alternate) {
  return Add(parent, new EfxProcF(pos, size, frames, alternate ? 17 : 7));
}
int32_t EfxProc::SpawnG(SProc* parent, const SVec4* pos, int32_t type, float scale, const SMatrix* orientation) {
  return Add(parent, new EfxProcG(pos, type, scale, orientation));
}
