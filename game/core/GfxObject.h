#pragma once
// The drawable through which the game prints numbers and words: a draw
// packet owning a glyph-quad list laid out by the engine's text output, with
// its font, text origin, pen, spacing, scale and colour. The owner calls Init
// once, prints in EVENT_DRAW and enters the object under its key.
#include <cstdarg>

#include "vrax/graphic/SGpObj.h"
#include "vrax/graphic/SGpText.h"

class GfxObject : public SGpObj {
 public:
  GfxObject() = default;

  // Binds the font's texture, then draws the glyph quads.
  void Execute() override;

  // Stores the font and allocates capacity glyph quads (none laid out).
  // 0, or -1 when the quads cannot be allocated.
  virtual int Init(const SGpRectGrid* font, int capacity);
  // Recolours every glyph already laid out.
  virtual void SetVertexColour(const float* rgba);
  virtual void SetVertexColourRGBA(float r, float g, float b, float a);
  // origin = pen = v (x, y, z, w).
  virtual void SetOriginV(const float* v);
  // origin x, y, z; pen = origin (with the origin's w).
  virtual void SetOrigin(float x, float y, float z);
  // Moves the pen only.
  virtual void MovePen(float dx, float dy, float dz);
  virtual void SetSpacing(float x, float y);
  virtual void SetScale(float x, float y);
  virtual void SetColourV(const float* rgba);
  virtual void SetColour(float r, float g, float b, float a);
  // Formats, clears and lays the text out from the origin.
  virtual void Printf(const char* format, ...) __attribute__((format(printf, 2, 3)));
  // Formats and continues at the pen.
  virtual void PrintfAppend(const char* format, ...) __attribute__((format(printf, 2, 3)));
  // Pen back to the origin, no glyph.
  virtual void Clear();
  virtual void PutString(const char* text);

  const SGpRectGrid* GetFont() const { return text_.font; }
  const float* GetOrigin() const { return text_.origin; }
  const float* GetPen() const { return text_.pen; }
  const float* GetSpacing() const { return text_.spacing; }
  const float* GetScale() const { return text_.scale; }
  const float* GetColour() const { return text_.colour; }
  const SGpObj_PrimQuadFill& GetQuads() const { return text_.quads; }
  int GlyphCount() const { return text_.quads.GetActiveCount(); }

 private:
  SGpText text_;
};
