#include "vrax/graphic/SGpSpriteBatch.h"

#include <cmath>

#include "vrax/graphic/SGpMan.h"
#include "vrax/graphic/SGpRect.h"
#include "vrax/resource/SImageSlot.h"

SGpSpriteBatch::~SGpSpriteBatch() { Clear(); }

void SGpSpriteBatch::Clear() {
  for (Entry& e : table_) delete e.prim;
  std::vector<Entry>().swap(table_);
}

SGpSpriteCell* SGpSpriteBatch::AddBack() {
  SGpSpriteCell* cell = GetSpriteCellPool()->Acquire();
  if (cell != nullptr) list_.PushBack(cell);
  return cell;
}

SGpSpriteCell* SGpSpriteBatch::AddFront() {
  SGpSpriteCell* cell = GetSpriteCellPool()->Acquire();
  if (cell != nullptr) list_.PushFront(cell);
  return cell;
}

void SGpSpriteBatch::Build() {
  for (Entry& e : table_) {
    e.prim->SetActiveCount(0);
    e.prim->SeekVertex(0);
  }
  bool haveView = false;
  float right[3] = {0, 0, 0}, up[3] = {0, 0, 0};
  size_t cursor = 0;
  for (SObject* o = list_.HeadObj(); o != nullptr; o = o->SObject::GetNext()) {
    const SGpSpriteCell* cell = static_cast<const SGpSpriteCell*>(o);
    const SGpRect* part = cell->part;
    if (part == nullptr) continue;
    SRsc_Image* image = part->image != nullptr ? part->image->Get() : nullptr;
    const uint32_t texture = part->id;

    // Search from the last hit: requests grouped by texture cost one compare.
    size_t hit = table_.size();
    for (size_t i = cursor; i < table_.size() && hit == table_.size(); ++i)
      if (table_[i].image == image && table_[i].texture == texture) hit = i;
    for (size_t i = 0; i < cursor && hit == table_.size(); ++i)
      if (table_[i].image == image && table_[i].texture == texture) hit = i;
    if (hit < table_.size()) {
      cursor = hit;
    } else {
      SGpObj_PrimQuadFill* prim = new SGpObj_PrimQuadFill();
      prim->AllocPrims(kInitialQuads);
      prim->SetActiveCount(0);
      table_.push_back(Entry{image, texture, prim});
    }
    SGpObj_PrimQuadFill* prim = table_[hit].prim;

    const int active = prim->GetActiveCount();
    const int capacity = prim->GetPrimCapacity();
    if (active < capacity) {
      prim->SetActiveCount(active + 1);
    } else {
      // Grow by doubling; the quads written so far stay.
      if (capacity >= kMaxQuads) continue;
      const int grown = capacity * 2 > kMaxQuads ? kMaxQuads : (capacity > 0 ? capacity * 2 : kInitialQuads);
      if (prim->AllocPrims(grown) < 0) continue;
      prim->SetActiveCount(capacity + 1);
      prim->Seek(capacity, 0);
    }

    const float* p = cell->position;
    const float sx = cell->scaleX, sy = cell->scaleY;
    const float x0 = -sx * part->pivotX;
    const float y0 = -sy * part->pivotY;
    const float x1 = x0 + sx * part->width;
    const float y1 = y0 + sy * part->height;
    float dx[4] = {x0, x1, x0, x1};
    float dy[4] = {y0, y0, y1, y1};
    if (cell->angle != 0.0f) {
      const float a = kTurnToRad * cell->angle;
      const float c = std::cos(a), s = std::sin(a);
      for (int i = 0; i < 4; ++i) {
        const float rx = dx[i] * c - dy[i] * s;
        const float ry = dx[i] * s + dy[i] * c;
        dx[i] = rx;
        dy[i] = ry;
      }
    }
    if (cell->billboard && !haveView) {
      // The camera's right and up axes, turned to the sprite convention.
      const SMatrix* vi = &SGpMan::GetViewInverse();
      for (int k = 0; k < 3; ++k) {
        right[k] = vi->m[0][k] * -1.0f;
        up[k] = vi->m[1][k] * -1.0f;
      }
      haveView = true;
    }
    const SGpUV uv[4] = {{part->uTL, part->vTL}, {part->uTR, part->vTR},
                         {part->uBL, part->vBL}, {part->uBR, part->vBR}};
    for (int i = 0; i < 4; ++i) {
      if (cell->billboard) {
        prim->SetPos(p[0] + right[0] * dx[i] + up[0] * dy[i], p[1] + right[1] * dx[i] + up[1] * dy[i],
                     p[2] + right[2] * dx[i] + up[2] * dy[i]);
      } else {
        prim->SetPos(p[0] + dx[i], p[1] + dy[i], p[2]);
      }
      prim->SetUV(uv[i].u, uv[i].v);
      if (i == 0) prim->SetColour(cell->colour);
      prim->Next();
    }
  }
}

void SGpSpriteBatch::Execute() {
  Build();
  for (Entry& e : table_) {
    if (e.prim->GetActiveCount() < 1) continue;
    SGpMan::SetPictureTexture(e.image, static_cast<int>(e.texture));
    e.prim->Execute();
  }
}
