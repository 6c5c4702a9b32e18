#include "game/effect/BrushListPacket.h"

#include <cmath>

namespace {

float Ease(int32_t easing, float t) {
  switch (easing) {
    case 1: return (1.0f - std::cos(3.1415927f * t)) * 0.5f;
    case 2: return 1.0f - std::cos(t * 1.5707964f);
    case 3: return std::sin(t * 1.5707964f);
    default: return t;
  }
}

}  // namespace

BrushListPacket::~BrushListPacket() { ClearAll(); }

Brush* BrushListPacket::Add(ColourGridPacket* target, float x, float y, float radius0, float radius1,
                            const float* colour1From, const float* colour2From, const float* colour1To,
                            const float* colour2To, float strength0, float strength1, const float* vel0,
                            const float* vel1, int32_t life, int32_t easing) {
  if (pool_.Capacity() == 0) pool_.Init(kCapacity);
  Brush* b = pool_.Acquire();
  if (b == nullptr) return nullptr;
  list_.PushBack(b);
  b->target = target;
  b->x = x, b->y = y;
  b->radius0 = radius0, b->radiusD = radius1 - radius0;
  for (int i = 0; i < 4; ++i) {
    b->colour1[i] = colour1From[i], b->colour2[i] = colour2From[i];
    b->colour1D[i] = colour1To[i] - colour1From[i];
    b->colour2D[i] = colour2To[i] - colour2From[i];
  }
  b->strength0 = strength0, b->strengthD = strength1 - strength0;
  for (int i = 0; i < 2; ++i) b->vel0[i] = vel0[i], b->velD[i] = vel1[i] - vel0[i];
  b->life = life;
  b->easing = easing;
  b->age = 0;
  return b;
}

void BrushListPacket::ClearAll() {
  while (!list_.Empty()) static_cast<Brush*>(list_.HeadObj())->Release(1);
}

void BrushListPacket::Update() {
  list_.SafeWalk([](SObject* o) {
    Brush* b = static_cast<Brush*>(o);
    // A life below 1 paints once, as its start (t = 0), then ends.
    const float t = b->life > 0 ? static_cast<float>(b->age) / static_cast<float>(b->life) : 0.0f;
    const float e = Ease(b->easing, t);
    b->x += b->vel0[0] + e * b->velD[0];
    b->y += b->vel0[1] + e * b->velD[1];
    float c1[4], c2[4];
    for (int i = 0; i < 4; ++i) {
      c1[i] = b->colour1[i] + e * b->colour1D[i];
      c2[i] = b->colour2[i] + e * b->colour2D[i];
    }
    const float radius = b->radius0 + e * b->radiusD;
    const float strength = b->strength0 + e * b->strengthD;
    if (b->target != nullptr) b->target->Paint(b->x, b->y, radius, c1, c2, strength);
    b->age += 1;
    if (b->age > b->life) b->Release(1);
  });
}
