#pragma once
// Text output: lays a string out as glyph quads of a one-colour-per-quad
// primitive, reading glyphs from a font part cut into equal cells
// (SGpRectGrid). The state (origin, pen, spacing, scale, colour, the quads)
// is what a text drawable owns; the drawable binds the font's texture and
// executes `quads` when its packet runs. The pen's y grows downwards.
#include <cstdarg>

#include "vrax/graphic/SGpObj_Prim.h"
#include "vrax/graphic/SGpRect.h"

class SGpText {
 public:
  // Formatted texts are cut to this many characters.
  static constexpr int kBufferSize = 616;

  // Stores the font and allocates `capacity` glyph quads, none active.
  // 0, or -1 when the quads cannot be allocated.
  int Init(const SGpRectGrid* font, int capacity);
  // Recolours every glyph already laid out; later glyphs take `colour`.
  void SetVertexColour(const float* rgba);
  void SetVertexColourRGBA(float r, float g, float b, float a);
  // Pen back to the origin, no glyph.
  void Clear();
  // Formats into the first shared buffer, then Clear and PutString.
  void Printf(const char* format, ...) __attribute__((format(printf, 2, 3)));
  // Formats into the second shared buffer and continues at the pen.
  void PrintfAppend(const char* format, ...) __attribute__((format(printf, 2, 3)));
  void VPrintf(const char* format, va_list args);
  void VPrintfAppend(const char* format, va_list args);
  // Lays out a zero-terminated string from the pen. A line feed returns the
  // pen to the origin's x one line down; a space or a character below the
  // font's first index (bytes from 128 up count as below) only advances the
  // pen; a glyph beyond the quads' capacity is dropped but still advances.
  void PutString(const char* text);

  const SGpRectGrid* font = nullptr;
  float origin[4] = {0.0f, 0.0f, 0.0f, 0.0f};
  float pen[4] = {0.0f, 0.0f, 0.0f, 0.0f};
  float spacing[2] = {0.0f, 0.0f};
  float scale[2] = {1.0f, 1.0f};
  float colour[4] = {1.0f, 1.0f, 1.0f, 1.0f};
  SGpObj_PrimQuadFill quads;
};
