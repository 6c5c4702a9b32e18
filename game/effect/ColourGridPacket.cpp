#include "game/effect/ColourGridPacket.h"

#include "vrax/graphic/SGpMan.h"

void ColourGridPacket::Build(float w, float h, int32_t columns, int32_t rows, const float* colour) {
  // A grid needs one cell at least: 0 columns or rows would divide by zero.
  if (columns < 1) columns = 1;
  if (rows < 1) rows = 1;
  const size_t n = static_cast<size_t>(columns + 1) * static_cast<size_t>(rows + 1);
  colours_.assign(n * 4, 0.0f);
  if (colour != nullptr)
    for (size_t i = 0; i < n; ++i)
      for (int k = 0; k < 4; ++k) colours_[i * 4 + k] = colour[k];
  prim_.Alloc(rows, 2 * (columns + 1));
  const float cw = w / static_cast<float>(columns), ch = h / static_cast<float>(rows);
  for (int32_t r = 0; r < rows; ++r) {
    prim_.Seek(r, 0);
    const float y = -h * 0.5f + static_cast<float>(r) * ch;
    for (int32_t c = 0; c <= columns; ++c) {
      const float x = -w * 0.5f + static_cast<float>(c) * cw;
      for (int k = 0; k < 2; ++k) {
        prim_.SetPos(x, y + (k == 0 ? 0.0f : ch), 0.0f);
        prim_.SetColour(0.0f, 0.0f, 0.0f, 0.0f);
        prim_.Next();
      }
    }
  }
  w_ = w, h_ = h, columns_ = columns, rows_ = rows;
}

const float* ColourGridPacket::ColourAt(int32_t c, int32_t r) const {
  return colours_.data() + 4 * (static_cast<size_t>(r) * static_cast<size_t>(columns_ + 1) + static_cast<size_t>(c));
}

void ColourGridPacket::Paint(float x, float y, float radius, const float* colour1, const float* colour2,
                             float strength) {
  if (radius == 0.0f || columns_ < 1 || rows_ < 1) return;
  const float cw = w_ / static_cast<float>(columns_), ch = h_ / static_cast<float>(rows_);
  const float cx = w_ * 0.5f + x, cy = h_ * 0.5f + y;
  auto clamp = [](int32_t v, int32_t hi) { return v < 0 ? 0 : (v > hi ? hi : v); };
  const int32_t c0 = clamp(static_cast<int32_t>((cx - radius) / cw + 0.99999f), columns_);
  const int32_t c1 = clamp(static_cast<int32_t>((cx + radius) / cw), columns_);
  const int32_t r0 = clamp(static_cast<int32_t>((cy - radius) / ch + 0.99999f), rows_);
  const int32_t r1 = clamp(static_cast<int32_t>((cy + radius) / ch), rows_);
  const float rr = radius * radius;
  for (int32_t r = r0; r <= r1; ++r) {
    for (int32_t c = c0; c <= c1; ++c) {
      const float dx = static_cast<float>(c) * cw - cx, dy = static_cast<float>(r) * ch - cy;
      const float d2 = dx * dx + dy * dy;
      if (!(d2 <= rr)) continue;
      const float q = d2 / rr;
      const float k = (1.0f - q) * strength;
      float* v = colours_.data() + 4 * (static_cast<size_t>(r) * static_cast<size_t>(columns_ + 1) + static_cast<size_t>(c));
      const float a0 = v[3];
      for (int i = 0; i < 4; ++i) {
        const float target = colour1[i] + q * (colour2[i] - colour1[i]);
        v[i] = v[i] + (target - v[i]) * k;
      }
      // Paint never pushes an alpha further out of the bounds than it was.
      float a = v[3];
      if (a0 >= alphaMin_) {
        if (a < alphaMin_) a = alphaMin_;
      } else if (a < a0) {
        a = a0;
      }
      if (a0 <= alphaMax_) {
        if (a > alphaMax_) a = alphaMax_;
      } else if (a > a0) {
        a = a0;
      }
      v[3] = a;
    }
  }
}

void ColourGridPacket::Execute() {
  if (columns_ < 1 || rows_ < 1) return;
  for (int32_t r = 0; r < rows_; ++r) {
    prim_.Seek(r, 0);
    for (int32_t c = 0; c <= columns_; ++c) {
      prim_.SetColour(ColourAt(c, r));
      prim_.Next();
      prim_.SetColour(ColourAt(c, r + 1));
      prim_.Next();
    }
  }
  const int zMode = SGpMan::GetZMode();
  const int blend = SGpMan::GetBlendMode();
  const float alpha = SGpMan::GetBlendAlpha();
  SGpMan::SetBlendMode(blend_ != 0 ? 2 : 1, 0.0f);
  SGpMan::SetZMode(4);
  prim_.Execute();
  SGpMan::SetZMode(zMode);
  SGpMan::SetBlendMode(blend, alpha);
}
