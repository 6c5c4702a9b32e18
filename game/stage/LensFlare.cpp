#include "game/stage/LensFlare.h"

#include <algorithm>

#include "game/effect/EfxMan.h"
#include "game/stage/MapMng.h"
#include "game/tables/effect_tables.h"

namespace {

constexpr LensFlareElem kFlare[LensFlare::kElemCount] = {
    {1.0f, 0.4f, 3, 1.0f, 1.0f, 1.0f, 1.0f},   {0.24f, 0.05f, 0, 1.0f, 0.0f, 0.0f, 1.0f},
    {0.46f, 0.09f, 1, 1.0f, 1.0f, 0.6f, 1.0f}, {0.78f, 0.15f, 0, 1.0f, 0.7f, 0.0f, 0.3f},
    {0.32f, 0.15f, 2, 1.0f, 0.5f, 0.0f, 0.2f}, {0.53f, 0.01f, 1, 1.0f, 0.0f, 0.0f, 0.7f},
    {0.15f, 0.05f, 0, 1.0f, 1.0f, 0.0f, 0.5f}, {0.21f, 0.13f, 2, 1.0f, 1.0f, 0.0f, 0.5f},
    {0.43f, 0.05f, 0, 1.0f, 0.5f, 0.0f, 1.0f}, {0.17f, 0.05f, 1, 1.0f, 1.0f, 0.5f, 0.5f},
    {-0.2f, 0.05f, 0, 1.0f, 0.0f, 0.0f, 1.0f}, {-0.3f, 0.09f, 1, 1.0f, 1.0f, 0.6f, 1.0f},
    {-0.4f, 0.15f, 0, 1.0f, 0.7f, 0.0f, 0.3f}, {-0.7f, 0.15f, 2, 1.0f, 0.5f, 0.0f, 0.2f},
    {-1.0f, 0.32f, 1, 1.0f, 0.7f, 0.0f, 0.2f}, {-1.3f, 0.4f, 2, 1.0f, 0.0f, 0.0f, 0.5f},
};

// One axis of EdgeDistance.
int32_t Outside(float v, float middle) {
  if (v > middle) return static_cast<int32_t>(v - middle);
  if (v == middle) return 0;
  return static_cast<int32_t>(-v);
}

}  // namespace

void LensFlare::Build(int firstElem) {
  elems_.assign(kFlare + std::clamp(firstElem, 0, kElemCount), kFlare + kElemCount);
}

SVec2 LensFlare::Project(const SVec3& world) {
  const RailCamera* cam = g_MapMng.camera;
  SVec4 v{};
  SVec3Transform(&v, &world, &cam->view);
  if (v.w != 0.0f) v.x /= v.w, v.y /= v.w, v.z /= v.w;
  const SVec3 eye{v.x, v.y, v.z};
  SVec3Transform(&v, &eye, &cam->projection);
  if (v.w != 0.0f) v.x /= v.w, v.y /= v.w;
  return SVec2{v.x * 480.0f, v.y * 640.0f};
}

int32_t LensFlare::EdgeDistance(float x, float y) { return std::max(Outside(x, 240.0f), Outside(y, 320.0f)); }

const SGpKeyList* LensFlare::Keys(int32_t kind) {
  switch (kind) {
    case 0: return SprLensFlareKeysA;
    case 1: return SprLensFlareKeysB;
    case 2: return SprLensFlareKeysC;
    case 3: return SprLensFlareKeysD;
    default: return nullptr;
  }
}

void LensFlare::SpawnElem(const LensFlareElem& e, uint32_t sheet, float x, float y, float alpha) {
  EfxMan* efx = EfxMan::Instance();
  if (efx == nullptr) return;
  const float colour[4] = {e.r, e.g, e.b, std::clamp(alpha, 0.0f, 1.0f)};
  const SVec4 pos{x * e.position, y * e.position, 0.0f, 1.0f};
  const float size = e.size * 10.0f;
  efx->SpawnSprite(sheet, &pos, Keys(e.kind), colour, colour, 1, 0, 0.0f, size, size, nullptr, nullptr, 0.0f, 1);
}

void LensFlare::Draw(uint32_t sheetGlow, float glowFactor, uint32_t sheetRing, float ringFactor, float x,
                     float y) const {
  const float g = 1.0f - static_cast<float>(std::min(EdgeDistance(x, y), 400)) * 0.0025f;
  for (const LensFlareElem& e : elems_) {
    const bool glow = e.kind == 3;
    SpawnElem(e, glow ? sheetGlow : sheetRing, x, y, e.a * g * (glow ? glowFactor : ringFactor));
  }
}
