#include "game/stage/StageName.h"

#include <cmath>

#include "game/tables/font_tables.h"
#include "vrax/graphic/SGpSpriteCell.h"

namespace {
constexpr float kPi = 3.14159265f;
constexpr float kTwoPi = 6.2831855f;
}  // namespace

float StageName::RowX(int32_t f, int i) {
  if (f >= 60 && f < 180) return -60.0f;
  const bool in = f < 60;
  const float a = in ? float(f) / 60.0f : float(f - 180) / 60.0f;
  const float wave = std::cos(float(i) * (1.0f / 23.0f) * 5.0f * a * kTwoPi);
  const float fade = in ? 1.0f - std::sin(a * (kPi / 2.0f)) : 1.0f - std::cos(a * (kPi / 2.0f));
  return wave * fade * 60.0f - 60.0f;
}

float StageName::Alpha(int32_t f) {
  if (f < 60) return float(f) / 60.0f;
  if (f < 180) return 1.0f;
  return 1.0f - float(f - 180) / 60.0f;
}

int32_t StageName::Init(SProcArg arg) {
  SetName("StageName");
  stage_ = static_cast<int32_t>(arg);
  frame_ = 0;
  // Row i of the title is cell (stage - 1) * 23 + 1 + i of the stage-title
  // sprite grid.
  const SGpFontDesc& grid = SprStgNameDesc;
  for (int i = 0; i < kRows; ++i) {
    SGpRect& r = rows_[i];
    r = *grid.part;
    r.width = grid.cellW;
    r.height = grid.cellH;
    r.pivotX = grid.cellW * 0.5f;
    r.pivotY = grid.cellH * 0.5f;
    SGpUV uv[4];
    grid.GetCellUV((stage_ - 1) * kRows + 1 + i, uv);
    r.uTL = uv[0].u, r.vTL = uv[0].v, r.uTR = uv[1].u, r.vTR = uv[1].v;
    r.uBL = uv[2].u, r.vBL = uv[2].v, r.uBR = uv[3].u, r.vBR = uv[3].v;
  }
  SetInitResult(0);
  return 0;
}

void StageName::ClearBatch() {
  SObjList* list = batch_.GetList();
  while (SObject* cell = list->HeadObj()) delete static_cast<SGpSpriteCell*>(cell);
}

int32_t StageName::Main(SProcArg) {
  ClearBatch();
  const float alpha = Alpha(frame_);
  for (int i = 0; i < kRows; ++i) {
    SGpSpriteCell* c = batch_.AddBack();
    if (c == nullptr) break;
    c->part = &rows_[i];
    c->position[0] = RowX(frame_, i);
    c->position[1] = float(i) - 100.0f;
    c->position[2] = 0.0f;
    c->colour[3] = alpha;
  }
  frame_ = frame_ + 1;
  if (frame_ > kFrames - 1) Kill(0);
  return 0;
}

int32_t StageName::Draw(SProcArg) {
  batch_.Enter(kDrawKey);
  return 0;
}

int32_t StageName::OnDispose(SProcArg) {
  ClearBatch();
  return 0;
}
