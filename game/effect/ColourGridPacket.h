#pragma once
// A flat grid of coloured vertices drawn as triangle strips, one strip per
// row. Its colours change by painting disc-shaped blobs into it: each blob
// blends the vertices under it towards a radial gradient, within the grid's
// alpha bounds. Vertex (c, r) lies at (-W/2 + c W/columns, -H/2 + r H/rows, 0)
// in the packet's own frame; the owner sets the world transform.
#include <cstdint>
#include <vector>

#include "game/effect/ShotBatch.h"
#include "vrax/graphic/SGpObj.h"

class ColourGridPacket : public SGpObj {
 public:
  // Draws the grid: blend mode 2 with the blend flag set, else 1; Z mode 4;
  // both restored afterwards.
  void Execute() override;

  // (columns + 1) x (rows + 1) vertices, all of colour (null: transparent
  // black). Columns and rows below 1 count as 1.
  virtual void Build(float w, float h, int32_t columns, int32_t rows, const float* colour);
  virtual void SetAlphaMin(float a) { alphaMin_ = a; }
  virtual void SetAlphaMax(float a) { alphaMax_ = a; }
  virtual void SetBlend(int32_t b) { blend_ = b; }
  // Blends the vertices within radius of (x, y) towards colour1 at the
  // centre and colour2 at the rim, by strength x (1 - d^2 / radius^2).
  virtual void Paint(float x, float y, float radius, const float* colour1, const float* colour2, float strength);
  virtual float GetAlphaMin() const { return alphaMin_; }
  virtual float GetAlphaMax() const { return alphaMax_; }
  virtual int32_t GetBlend() const { return blend_; }

  int32_t Columns() const { return columns_; }
  int32_t Rows() const { return rows_; }
  // The colour of vertex (c, r).
  const float* ColourAt(int32_t c, int32_t r) const;

 private:
  float w_ = 0.0f, h_ = 0.0f;
  int32_t columns_ = 0, rows_ = 0;
  float alphaMin_ = 0.0f, alphaMax_ = 1.0f;
  int32_t blend_ = 0;
  std::vector<float> colours_;  // four floats per vertex, row by row
  ShotBatch prim_;
};
