#pragma once
// A tiled scrolling plane: a grid of columns x rows tiles of one sprite
// part, centred on its world matrix, moved by a scroll offset that wraps
// within one tile so that the plane scrolls without end. The cloud layers
// and skies of the stages draw with it.
#include <cstdint>

#include "vrax/graphic/SGpObj.h"
#include "vrax/graphic/SGpObj_Prim.h"
#include "vrax/graphic/SMath.h"

struct SGpRect;

class ScrollLayer : public SGpObj {
 public:
  // Sets the world matrix (with the offset added to its translation), binds
  // the part's texture and draws the tiles.
  void Execute() override;

  // Builds the grid: tile (c, r) at x0 + c W, y0 + r H with the grid centred
  // on the origin, each quad with the part's texture corners, white. 0, or
  // -1 when the quads cannot be had (the layer then draws nothing).
  int32_t Setup(const SGpRect* part, int32_t columns, int32_t rows, int32_t tileW, int32_t tileH);
  // Colours every tile.
  void ApplyAll(const float* colour);
  // Moves the offset by (dx, dy) and wraps each axis within its tile size.
  void Advance(float dx, float dy);

  float GetOffsetX() const { return offset_[0]; }
  float GetOffsetY() const { return offset_[1]; }
  const SGpObj_PrimQuadFill& Quads() const { return quads_; }

  SMatrix world = kIdentityMatrix;

 private:
  const SGpRect* part_ = nullptr;
  float offset_[2] = {0.0f, 0.0f};
  SGpObj_PrimQuadFill quads_;
  int32_t columns_ = 0, rows_ = 0, tileW_ = 0, tileH_ = 0;
};

// x wrapped within a tile of size w: x - (trunc(x) / w) w, plus w when x is
// negative. A tile size of 0 leaves x as it is.
float WrapScroll(float x, int32_t w);
