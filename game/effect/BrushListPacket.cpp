#include "game/effect/BrushListPacket.h"

BrushListPacket::~BrushListPacket() { ClearAll(); }

Brush* BrushListPacket::Add(ColourGridPacket*, float, float, float, float, const float*, const float*, const float*,
                            const float*, float, float, const float*, const float*, int32_t, int32_t) {
  return nullptr;
}

void BrushListPacket::ClearAll() {
  while (!list_.Empty()) static_cast<Brush*>(list_.HeadObj())->Release(1);
}

void BrushListPacket::Update() {}
