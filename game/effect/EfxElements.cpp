#include "game/effect/EfxElements.h"

EfxSprite::~EfxSprite() {
  // The cell's own destructor unlinks it from its sheet and frees its slot.
  if (SGpSpriteCell* cell = sprite.Get()) delete cell;
}

void EfxSprite::SetAccel(float x, float y, float z) {
  accel = SVec4{x, y, z, 0.0f};
  flags |= kAccel;
}

void EfxRibbon::AddPoint(const SVec4* p, float width, const SGpRect* rect) {
  if (static_cast<int32_t>(points.size()) > maxPoints) points.erase(points.begin() + maxPoints);
  points.insert(points.begin(), Point{p->x, p->y, p->z, p->w, width, rect});
}

EfxTendril::~EfxTendril() {
  if (EfxRibbon* r = ribbon.Get()) r->Release(1);
}
