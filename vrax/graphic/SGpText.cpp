#include "vrax/graphic/SGpText.h"

#include <cstdio>

namespace {
// Two shared formatting buffers (main thread only).
char g_printBuffer[SGpText::kBufferSize];
char g_appendBuffer[SGpText::kBufferSize];
}  // namespace

int SGpText::Init(const SGpRectGrid* f, int capacity) {
  font = f;
  const int r = quads.AllocPrims(capacity);
  quads.SetActiveCount(0);
  return r;
}

void SGpText::SetVertexColour(const float* rgba) { SetVertexColourRGBA(rgba[0], rgba[1], rgba[2], rgba[3]); }

void SGpText::SetVertexColourRGBA(float r, float g, float b, float a) {
  const int n = quads.GetActiveCount();
  for (int q = 0; q < n; ++q) {
    quads.Seek(q, 0);
    quads.SetColour(r, g, b, a);
  }
}

void SGpText::Clear() {
  for (int i = 0; i < 4; ++i) pen[i] = origin[i];
  quads.SetActiveCount(0);
}

void SGpText::VPrintf(const char* format, va_list args) {
  std::vsnprintf(g_printBuffer, sizeof g_printBuffer, format, args);
  Clear();
  PutString(g_printBuffer);
}

void SGpText::VPrintfAppend(const char* format, va_list args) {
  std::vsnprintf(g_appendBuffer, sizeof g_appendBuffer, format, args);
  PutString(g_appendBuffer);
}

void SGpText::Printf(const char* format, ...) {
  va_list args;
  va_start(args, format);
  VPrintf(format, args);
  va_end(args);
}

void SGpText::PrintfAppend(const char* format, ...) {
  va_list args;
  va_start(args, format);
  VPrintfAppend(format, args);
  va_end(args);
}

void SGpText::PutString(const char* text) {
  if (text == nullptr || font == nullptr) return;
  const float w = font->cellW * scale[0];
  const float h = font->cellH * scale[1];
  for (const char* p = text; *p != 0; ++p) {
    const signed char c = static_cast<signed char>(*p);
    if (c == 10) {
      pen[0] = origin[0];
      pen[1] += h + spacing[1];
      continue;
    }
    if (c < static_cast<int>(font->first) || c == 32) {
      pen[0] += w + spacing[0];
      continue;
    }
    const int q = quads.GetActiveCount();
    if (q < quads.GetPrimCapacity()) {
      SGpUV uv[4];
      font->GetCellUV(static_cast<unsigned char>(c), uv);
      quads.Seek(q, 0);
      quads.SetColour(colour);
      quads.SetPos(pen[0], pen[1], pen[2]);
      quads.SetUV(uv[0].u, uv[0].v);
      quads.Next();
      quads.SetPos(pen[0] + w, pen[1], pen[2]);
      quads.SetUV(uv[1].u, uv[1].v);
      quads.Next();
      quads.SetPos(pen[0], pen[1] + h, pen[2]);
      quads.SetUV(uv[2].u, uv[2].v);
      quads.Next();
      quads.SetPos(pen[0] + w, pen[1] + h, pen[2]);
      quads.SetUV(uv[3].u, uv[3].v);
      quads.Next();
      quads.SetActiveCount(q + 1);
    }
    pen[0] += w + spacing[0];
  }
}
