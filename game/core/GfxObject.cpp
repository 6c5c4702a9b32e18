#include "game/core/GfxObject.h"

#include "vrax/graphic/SGpMan.h"
#include "vrax/resource/SImageSlot.h"

void GfxObject::Execute() {
  const SGpRectGrid* f = text_.font;
  if (f != nullptr && f->part != nullptr && f->part->image != nullptr)
    SGpMan::SetPictureTexture(f->part->image->Get(), static_cast<int>(f->part->id));
  text_.quads.Execute();
}

int GfxObject::Init(const SGpRectGrid* font, int capacity) { return text_.Init(font, capacity); }

void GfxObject::SetVertexColour(const float* rgba) { text_.SetVertexColour(rgba); }

void GfxObject::SetVertexColourRGBA(float r, float g, float b, float a) {
  text_.SetVertexColourRGBA(r, g, b, a);
}

void GfxObject::SetOriginV(const float* v) {
  for (int i = 0; i < 4; ++i) text_.origin[i] = text_.pen[i] = v[i];
}

void GfxObject::SetOrigin(float x, float y, float z) {
  text_.origin[0] = x;
  text_.origin[1] = y;
  text_.origin[2] = z;
  for (int i = 0; i < 4; ++i) text_.pen[i] = text_.origin[i];
}

void GfxObject::MovePen(float dx, float dy, float dz) {
  text_.pen[0] += dx;
  text_.pen[1] += dy;
  text_.pen[2] += dz;
}

void GfxObject::SetSpacing(float x, float y) {
  text_.spacing[0] = x;
  text_.spacing[1] = y;
}

void GfxObject::SetScale(float x, float y) {
  text_.scale[0] = x;
  text_.scale[1] = y;
}

void GfxObject::SetColourV(const float* rgba) {
  for (int i = 0; i < 4; ++i) text_.colour[i] = rgba[i];
}

void GfxObject::SetColour(float r, float g, float b, float a) {
  text_.colour[0] = r;
  text_.colour[1] = g;
  text_.colour[2] = b;
  text_.colour[3] = a;
}

void GfxObject::Printf(const char* format, ...) {
  va_list args;
  va_start(args, format);
  text_.VPrintf(format, args);
  va_end(args);
}

void GfxObject::PrintfAppend(const char* format, ...) {
  va_list args;
  va_start(args, format);
  text_.VPrintfAppend(format, args);
  va_end(args);
}

void GfxObject::Clear() { text_.Clear(); }

void GfxObject::PutString(const char* text) { text_.PutString(text); }
