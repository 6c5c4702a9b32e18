#include "game/core/ScrollLayer.h"

#include "vrax/graphic/SGpMan.h"
#include "vrax/graphic/SGpRect.h"
#include "vrax/graphic/SGpState.h"

float WrapScroll(float x, int32_t w) {
  if (w == 0) return x;
  const auto q = static_cast<int32_t>(x) / w;
  float r = x - static_cast<float>(q) * static_cast<float>(w);
  if (x < 0.0f) r += static_cast<float>(w);
  return r;
}

int32_t ScrollLayer::Setup(const SGpRect* part, int32_t columns, int32_t rows, int32_t tileW, int32_t tileH) {
  part_ = part;
  columns_ = columns > 0 ? columns : 0;
  rows_ = rows > 0 ? rows : 0;
  tileW_ = tileW, tileH_ = tileH;
  offset_[0] = offset_[1] = 0.0f;
  SMatrix::Identity(&world);
  const int64_t n = int64_t(columns_) * rows_;
  if (n <= 0 || n * 4 > SGpObj_Prim::kMaxVertices || quads_.AllocPrims(static_cast<int>(n)) < 0) {
    quads_.SetActiveCount(0);
    return n == 0 ? 0 : -1;
  }
  SGpUV uv[4] = {};
  if (part != nullptr) part->GetCorners(uv);
  const float w = static_cast<float>(tileW), h = static_cast<float>(tileH);
  const float x0 = -static_cast<float>(columns_) * w / 2.0f;
  const float y0 = -static_cast<float>(rows_) * h / 2.0f;
  for (int32_t r = 0; r < rows_; ++r) {
    for (int32_t c = 0; c < columns_; ++c) {
      const float x = x0 + static_cast<float>(c) * w, y = y0 + static_cast<float>(r) * h;
      const float xs[4] = {x, x + w, x, x + w}, ys[4] = {y, y, y + h, y + h};
      quads_.Seek(r * columns_ + c, 0);
      quads_.SetColour(1.0f, 1.0f, 1.0f, 1.0f);
      for (int i = 0; i < 4; ++i) {
        quads_.SetPos(xs[i], ys[i], 0.0f);
        quads_.SetUV(uv[i].u, uv[i].v);
        quads_.Next();
      }
    }
  }
  quads_.SetActiveCount(static_cast<int>(n));
  return 0;
}

void ScrollLayer::ApplyAll(const float* colour) {
  for (int q = 0; q < quads_.GetActiveCount(); ++q) {
    quads_.Seek(q, 0);
    quads_.SetColour(colour);
  }
}

void ScrollLayer::Advance(float dx, float dy) {
  offset_[0] = WrapScroll(offset_[0] + dx, tileW_);
  offset_[1] = WrapScroll(offset_[1] + dy, tileH_);
}

void ScrollLayer::Execute() {
  if (quads_.GetActiveCount() <= 0) return;
  SMatrix m = world;
  m.m[3][0] += offset_[0];
  m.m[3][1] += offset_[1];
  SGpMan::SetWorld(m);
  if (part_ != nullptr)
    if (SGpObj* tex = part_->GetTexture()) tex->Execute();
  quads_.Execute();
}
