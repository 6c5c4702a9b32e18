#include "game/effect/EfxProc.h"

#include <new>

#include "game/effect/EfxProcG.h"

namespace {

// An effect that could not be made (null) adds nothing.
int32_t Add(SProc* parent, SProc* child) {
  if (parent == nullptr || child == nullptr) {
    delete child;
    return -1;
  }
  const int32_t r = parent->AddChild(0, child, 0);
  if (child->GetParent() == nullptr) delete child;  // not added
  return r;
}

}  // namespace

int32_t EfxProc::SpawnA(SProc* parent, const SMatrix* placement) {
  return Add(parent, new (std::nothrow) EfxProcA(placement));
}
int32_t EfxProc::SpawnB(SProc* parent, const SVec4* pos, float size, int32_t frames, bool alternate) {
  return Add(parent, new (std::nothrow) EfxProcB(pos, size, frames, alternate ? 16 : 6));
}
int32_t EfxProc::SpawnC(SProc* parent, const SVec4* pos, float size, int32_t frames, bool alternate) {
  return Add(parent, new (std::nothrow) EfxProcC(pos, size, frames, alternate ? 17 : 7));
}
int32_t EfxProc::SpawnD(SProc* parent, const SMatrix* placement, float spread0, float spread1, float damping,
                        float size, int32_t frames, bool alternate) {
  const int32_t sheet = alternate ? 17 : 7;
  return Add(parent, new (std::nothrow) EfxProcD(placement, spread0, spread1, damping, 2.0f * size, frames, sheet));
}
int32_t EfxProc::SpawnE(SProc* parent, const SMatrix* placement, float spread0, float spread1, float damping,
                        float size, int32_t frames, bool alternate) {
  const int32_t sheet = alternate ? 17 : 7;
  return Add(parent, new (std::nothrow) EfxProcE(placement, spread0, spread1, damping, 1.5f * size, frames, sheet));
}
int32_t EfxProc::SpawnF(SProc* parent, const SVec4* pos, float size, int32_t frames, bool alternate) {
  return Add(parent, new (std::nothrow) EfxProcF(pos, size, frames, alternate ? 17 : 7));
}
int32_t EfxProc::SpawnG(SProc* parent, const SVec4* pos, int32_t type, float scale, const SMatrix* orientation) {
  return Add(parent, new (std::nothrow) EfxProcG(pos, type, scale, orientation));
}
