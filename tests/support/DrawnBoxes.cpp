#include "support/DrawnBoxes.h"

#include <algorithm>
#include <cmath>

namespace testsupport {

PixelBox DepthBox(float x0, float y0, float x1, float y1, float zA, float zB) {
  const float s[2] = {512.0f / (512.0f + zA), 512.0f / (512.0f + zB)};
  float qx0 = 1e9f, qy0 = 1e9f, qx1 = -1e9f, qy1 = -1e9f;
  for (float k : s)
    for (float x : {x0, x1})
      for (float y : {y0, y1}) {
        qx0 = std::min(qx0, x * k), qx1 = std::max(qx1, x * k);
        qy0 = std::min(qy0, y * k), qy1 = std::max(qy1, y * k);
      }
  return PlayBox(qx0, qy0, qx1, qy1);
}

PixelBox Union(const PixelBox& a, const PixelBox& b) {
  return PixelBox{std::min(a.x0, b.x0), std::min(a.y0, b.y0), std::max(a.x1, b.x1), std::max(a.y1, b.y1)};
}

float Reach(const SGpKeyList* keys) {
  float r = 0.0f;
  for (const SGpKeyList* k = keys; k->part != nullptr; ++k) {
    const SGpRect& p = *k->part;
    r = std::max(r, std::hypot(std::max(p.pivotX, p.width - p.pivotX), std::max(p.pivotY, p.height - p.pivotY)));
  }
  return r;
}

Extent Extents(const SGpKeyList* keys) {
  Extent e;
  for (const SGpKeyList* k = keys; k->part != nullptr; ++k) {
    const SGpRect& p = *k->part;
    e.left = std::max(e.left, p.pivotX), e.up = std::max(e.up, p.pivotY);
    e.right = std::max(e.right, p.width - p.pivotX), e.down = std::max(e.down, p.height - p.pivotY);
  }
  return e;
}

float Damped(float f, int n) {
  float s = 0.0f, v = 1.0f;
  for (int i = 0; i < n; ++i) s += (v *= f);
  return s;
}

}  // namespace testsupport
