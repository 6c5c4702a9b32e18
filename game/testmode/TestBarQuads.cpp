#include "game/testmode/TestBarQuads.h"

#include "game/testmode/TestPageDraw.h"

void TestBarQuads::Prepare() {
  for (int32_t s = 0; s < kSlots; ++s) {
    fills_[s].AllocPrims(1);
    backs_[s].AllocPrims(1);
  }
}

void TestBarQuads::PutBox(SGpObj_Prim& q, float left, float right, float top, float bottom) {
  const float corners[4][2] = {{left, top}, {right, top}, {left, bottom}, {right, bottom}};
  q.Seek(0, 0);
  for (const auto& c : corners) {
    q.SetPos(c[0], c[1], 0.0f);
    q.Next();
  }
  q.SetActiveCount(1);
  q.EnterDefault();
}

void TestBarQuads::PutBack(int32_t slot, float x, float y, float w, float h, int32_t code, float alpha) {
  SGpObj_Prim& back = backs_[slot];
  back.Seek(0, 0);
  SetBarItemColour(back, code, alpha * 0.5f);
  PutBox(back, x, x + w, y, y + h);
}

void TestBarQuads::DrawLevelBar(int32_t slot, float x, float y, float w, float h, float ratio, int32_t code,
                                float alpha) {
  if (slot < 0 || slot >= kSlots) return;
  PutBack(slot, x, y, w, h, code, alpha);
  SGpObj_Prim& fill = fills_[slot];
  fill.Seek(0, 0);
  SetBarItemColour(fill, code, alpha);
  PutBox(fill, x, x + w * ratio, y, y + h);
}

void TestBarQuads::DrawCentreBar(int32_t slot, float x, float y, float w, float h, float value, int32_t code,
                                 float alpha) {
  if (slot < 0 || slot >= kSlots) return;
  PutBack(slot, x, y, w, h, code, alpha);
  const float c = x + w * 0.5f;
  const float end = c + w * 0.5f * value;
  float left = c - 1.0f, right = c + 1.0f;
  if (value < 0.0f) left = end;
  if (value > 0.0f) right = end;
  SGpObj_Prim& fill = fills_[slot];
  fill.Seek(0, 0);
  SetBarItemColour(fill, code, alpha);
  PutBox(fill, left, right, y, y + h);
}
