#include "vrax/graphic/SGpRect.h"

#include <cmath>

#include "vrax/resource/SImageSlot.h"

int SGpRectGrid::Columns() const {
  if (part == nullptr || !(cellW > 0.0f)) return 1;
  const float n = std::floor(part->width / cellW + 0.5f);
  // A grid narrower than one cell still has one column (no division by 0).
  if (!(n >= 1.0f)) return 1;
  if (n > 65536.0f) return 65536;
  return static_cast<int>(n);
}

void SGpRectGrid::GetCellUV(int index, SGpUV out[4]) const {
  if (part == nullptr) {
    for (int i = 0; i < 4; ++i) out[i] = SGpUV{};
    return;
  }
  const SGpRect& p = *part;
  if (!(cellW > 0.0f) || !(cellH > 0.0f) || !(p.width > 0.0f) || !(p.height > 0.0f)) {
    p.GetCorners(out);
    return;
  }
  const int k = static_cast<uint8_t>(index - first);
  const int columns = Columns();
  const int row = k / columns;
  const int column = k % columns;
  const float du = p.uTR - p.uTL;
  const float dv = p.vBL - p.vTL;
  const float x0 = static_cast<float>(column) * cellW;
  const float y0 = static_cast<float>(row) * cellH;
  const float left = p.uTL + x0 / p.width * du;
  const float right = p.uTL + (x0 + cellW - 1.0f) / p.width * du;
  const float top = p.vTL + y0 / p.height * dv;
  const float bottom = p.vTL + (y0 + cellH - 1.0f) / p.height * dv;
  out[0] = {left, top};
  out[1] = {right, top};
  out[2] = {left, bottom};
  out[3] = {right, bottom};
}

SGpKeyRef SGpRect::KeyRef() const { return SGpKeyRef{image, id}; }

SGpState_Texture* SGpRect::GetTexture(int index) const {
  if (image == nullptr || *image == nullptr) return nullptr;
  return (*image)->GetTexturePacket(index);
}
