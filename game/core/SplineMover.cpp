#include "game/core/SplineMover.h"

#include "vrax/graphic/SMath.h"

SplineMover::SplineMover() { pool_.Init(kKeyCapacity); }

SplineMover::~SplineMover() { Clear(); }

SplineKey* SplineMover::Append(const float* tangent, float frames, float length) {
  SplineKey* k = pool_.Acquire();
  if (k == nullptr) return nullptr;
  keys_.PushBack(k);
  SVec3 t{tangent[0], tangent[1], tangent[2]};
  if (length != -1.0f) {
    SVec3Normalize(&t, &t);
    t.x *= length;
    t.y *= length;
    t.z *= length;
  }
  k->tangent[0] = t.x;
  k->tangent[1] = t.y;
  k->tangent[2] = t.z;
  k->frames = frames;
  return k;
}

void SplineMover::AddKey(const float* position, const float* tangent, float frames, float length) {
  SplineKey* k = Append(tangent, frames, length);
  if (k == nullptr) return;
  for (int i = 0; i < 4; ++i) k->ownPosition[i] = position[i];
  if (keys_.Count() == 2) {
    current = static_cast<SplineKey*>(keys_.HeadObj());
    next = k;
  }
}

void SplineMover::AddKeyShared(float* point, const float* tangent, float frames, float length) {
  SplineKey* k = Append(tangent, frames, length);
  if (k == nullptr) return;
  k->position = point;
  if (keys_.Count() == 2) {
    current = static_cast<SplineKey*>(keys_.HeadObj());
    next = k;
  }
}

void SplineMover::Clear() {
  elapsed = 0.0f;
  laps = 0;
  loop = 0;
  current = next = nullptr;
  while (!keys_.Empty()) static_cast<SplineKey*>(keys_.HeadObj())->Release(1);
}

bool SplineMover::Advance(float* out, float step) {
  if (current == nullptr || next == nullptr) {
    // Fewer than two keys: no segment to run; stay at the only key.
    if (!keys_.Empty()) {
      const float* p = static_cast<SplineKey*>(keys_.HeadObj())->position;
      out[0] = p[0];
      out[1] = p[1];
      out[2] = p[2];
    }
    Clear();
    return false;
  }
  const float frames = current->frames;
  const float u = frames > 0.0f ? elapsed / frames : 1.0f;
  const float u2 = u * u;
  const float u3 = u2 * u;
  const float h00 = 2.0f * u3 - 3.0f * u2 + 1.0f;
  const float h01 = 3.0f * u2 - 2.0f * u3;
  const float h10 = u3 - 2.0f * u2 + u;
  const float h11 = u3 - u2;
  const float* p0 = current->position;
  const float* p1 = next->position;
  const float* t0 = current->tangent;
  const float* t1 = next->tangent;
  for (int i = 0; i < 3; ++i) out[i] = h00 * p0[i] + h01 * p1[i] + h10 * t0[i] + h11 * t1[i];

  elapsed += step;
  if (!(elapsed > frames) && frames > 0.0f) return true;
  current = next;
  next = static_cast<SplineKey*>(current->GetNext());
  if (next != nullptr) {
    elapsed = 1.0f;
    return true;
  }
  if (loop != 0) {
    current = static_cast<SplineKey*>(keys_.HeadObj());
    next = static_cast<SplineKey*>(current->GetNext());
    ++laps;
    elapsed = 1.0f;
    return true;
  }
  Clear();
  return false;
}
