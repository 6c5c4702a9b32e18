#include "vrax/graphic/SGpRing.h"

#include <cmath>

namespace {

// n = 3k, or 3 for k of 0 or less (a count cannot be negative); -1 when the
// 2n + 2 vertices would pass what 16-bit indices address (k above 10922),
// tested before 3k is formed so no k overflows it.
int Segments(int k) {
  if (k <= 0) return 3;
  if (k > (SGpObj_Prim::kMaxVertices - 2) / 6) return -1;
  return 3 * k;
}

struct RingShape {
  float innerR, outerR, innerZ, outerZ;
};

// Shared walk: places each vertex (inner, then outer, at segment i) on the
// ring; `vertex` then writes the rest of it. The closing pair repeats the
// first one's position exactly: (r, 0), whatever the sign of r.
template <class Fn>
int Build(SGpObj_Prim* prim, int k, const RingShape& ring, Fn&& vertex) {
  const int n = Segments(k);
  if (n < 0) return -1;
  if (prim->Alloc(1, 2 * n + 2) < 0) return -1;
  prim->Seek(0, 0);
  auto place = [&](int i, bool outer, float c, float s) {
    const float r = outer ? ring.outerR : ring.innerR;
    const float z = outer ? ring.outerZ : ring.innerZ;
    if (i == n) {
      prim->SetPos(r, 0.0f, z);
    } else {
      prim->SetPos(r * c, r * s, z);
    }
    vertex(i, outer);
    prim->Next();
  };
  const float step = -1.0f / static_cast<float>(n);
  float a = 0.0f;
  for (int i = 0; i < n; ++i) {
    const float c = std::cos(a * kTurnToRad);
    const float s = std::sin(a * kTurnToRad);
    place(i, false, c, s);
    place(i, true, c, s);
    a += step;
  }
  place(n, false, 1.0f, 0.0f);
  place(n, true, 1.0f, 0.0f);
  return 0;
}

}  // namespace

int BuildRing(SGpObj_Prim* prim, float innerR, float outerR, float innerZ, float outerZ,
              const float* innerColour, const float* outerColour, int k) {
  return Build(prim, k, {innerR, outerR, innerZ, outerZ},
               [&](int, bool outer) { prim->SetColour(outer ? outerColour : innerColour); });
}

int BuildRingMono(SGpObj_Prim* prim, float innerR, float outerR, float innerZ, float outerZ,
                  const float* colour, int k) {
  bool first = true;
  return Build(prim, k, {innerR, outerR, innerZ, outerZ}, [&](int, bool) {
    if (first) {
      prim->SetColour(colour);
      first = false;
    }
  });
}

int BuildRingTextured(SGpObj_Prim* prim, float innerR, float outerR, float innerZ, float outerZ,
                      const float* innerColour, const float* outerColour, const SGpUV* corners,
                      int k) {
  const int n = Segments(k);
  // Left to right along the image, or the other way for an inverted ring.
  const bool forward = !(outerR < innerR);
  const SGpUV inStart = forward ? corners[0] : corners[1];
  const SGpUV inEnd = forward ? corners[1] : corners[0];
  const SGpUV outStart = forward ? corners[2] : corners[3];
  const SGpUV outEnd = forward ? corners[3] : corners[2];
  const float fn = static_cast<float>(n);
  const SGpUV inStep{(inEnd.u - inStart.u) / fn, (inEnd.v - inStart.v) / fn};
  const SGpUV outStep{(outEnd.u - outStart.u) / fn, (outEnd.v - outStart.v) / fn};
  SGpUV inUV = inStart, outUV = outStart;
  return Build(prim, k, {innerR, outerR, innerZ, outerZ}, [&](int i, bool outer) {
    if (i == n) {
      const SGpUV& e = outer ? outEnd : inEnd;
      prim->SetUV(e.u, e.v);
    } else {
      SGpUV& uv = outer ? outUV : inUV;
      const SGpUV& st = outer ? outStep : inStep;
      prim->SetUV(uv.u, uv.v);
      uv.u += st.u;
      uv.v += st.v;
    }
    prim->SetColour(outer ? outerColour : innerColour);
  });
}
