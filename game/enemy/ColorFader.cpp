#include "game/enemy/ColorFader.h"

void ColorFader::Set(float* v) {
  output = v;
  for (int i = 0; i < 4; ++i) current[i] = goal[i] = v[i];
  rate = 1.0f;
}

void ColorFader::SetTarget(const float* v, float r) {
  for (int i = 0; i < 4; ++i) goal[i] = v[i];
  rate = r;
  if (r == 1.0f)
    for (int i = 0; i < 4; ++i) current[i] = goal[i];
}

void ColorFader::Step() {
  for (int i = 0; i < 3; ++i) current[i] += (goal[i] - current[i]) * rate;
  if (output != nullptr)
    for (int i = 0; i < 4; ++i) output[i] = current[i];
}
