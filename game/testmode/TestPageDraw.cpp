#include "game/testmode/TestPageDraw.h"

#include "game/core/GfxObject.h"
#include "vrax/graphic/SGpState.h"

namespace {

// The colour of an item code; false for a code that names none.
bool CodeColour(int32_t code, float* r, float* g, float* b) {
  switch (code) {
    case kItemWhite: *r = 1.0f, *g = 1.0f, *b = 1.0f; return true;
    case kItemRed: *r = 1.0f, *g = 0.0f, *b = 0.0f; return true;
    case kItemCyan: *r = 0.0f, *g = 1.0f, *b = 1.0f; return true;
    case kItemYellow: *r = 1.0f, *g = 1.0f, *b = 0.0f; return true;
    default: return false;
  }
}

}  // namespace

void SetPrimItemColour(SGpObj_Prim& prim, int32_t code, float alpha) {
  float r, g, b;
  if (CodeColour(code, &r, &g, &b)) prim.SetColour(r, g, b, alpha);
}

void SetTextItemColour(GfxObject& text, int32_t code, float alpha) {
  float r, g, b;
  if (CodeColour(code, &r, &g, &b)) text.SetColour(r, g, b, alpha);
}

void SetBarItemColour(SGpObj_Prim& prim, int32_t code, float alpha) { SetPrimItemColour(prim, code, alpha); }

void DrawSpriteQuad(float x, float y, SGpObj_Prim& prim, const SGpRect& rect, int32_t mode) {
  const float left = mode == kAnchorCentre ? x - rect.width * 0.5f : x;
  const float corners[4][2] = {
      {left, y}, {left + rect.width, y}, {left, y + rect.height}, {left + rect.width, y + rect.height}};
  for (int i = 0; i < 4; ++i) {
    prim.SetPos(corners[i][0], corners[i][1], 0.0f);
    const SGpUV uv = rect.Corner(i);
    prim.SetUV(uv.u, uv.v);
    prim.Next();
  }
  prim.SetActiveCount(prim.GetCurVertex() / 4);
}

void PutSpriteQuad(SGpObj_Prim& prim, const SGpRect* rect, float x, float y, int32_t mode, const QuadColour& colour) {
  if (!rect) return;
  prim.Seek(0, 0);
  if (SGpObj* texture = rect->GetTexture(0)) texture->EnterDefault();
  if (colour.code == QuadColour::kFixed)
    prim.SetColour(colour.r, colour.g, colour.b, colour.a);
  else
    SetPrimItemColour(prim, colour.code, colour.a);
  DrawSpriteQuad(x, y, prim, *rect, mode);
  prim.EnterDefault();
}
