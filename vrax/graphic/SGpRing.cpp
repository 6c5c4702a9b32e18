#include "vrax/graphic/SGpRing.h"

#include <cmath>

namespace {

int Segments(int k) { return k <= 0 ? 3 : 3 * k; }

// Shared walk: `vertex` writes one vertex (inner or outer) at segment i.
template <class Fn>
int Build(SGpObj_Prim* prim, int k, Fn&& vertex) {
  const int n = Segments(k);
  if (n > (SGpObj_Prim::kMaxVertices - 2) / 2) return -1;
  if (prim->Alloc(1, 2 * n + 2) < 0) return -1;
  prim->Seek(0, 0);
  const float step = -1.0f / static_cast<float>(n);
  float a = 0.0f;
  for (int i = 0; i < n; ++i) {
    const float c = std::cos(a * kTurnToRad);
    const float s = std::sin(a * kTurnToRad);
    vertex(i, false, c, s);
    prim->Next();
    vertex(i, true, c, s);
    prim->Next();
    a += step;
  }
  vertex(n, false, 1.0f, 0.0f);
  prim->Next();
  vertex(n, true, 1.0f, 0.0f);
  prim->Next();
  return 0;
}

}  // namespace

int BuildRing(SGpObj_Prim* prim, float innerR, float outerR, float innerZ, float outerZ,
              const float* innerColour, const float* outerColour, int k) {
  return Build(prim, k, [&](int i, bool outer, float c, float s) {
    const float r = outer ? outerR : innerR;
    if (i == Segments(k)) {
      prim->SetPos(r, 0.0f, outer ? outerZ : innerZ);
    } else {
      prim->SetPos(r * c, r * s, outer ? outerZ : innerZ);
    }
    prim->SetColour(outer ? outerColour : innerColour);
  });
}

int BuildRingMono(SGpObj_Prim* prim, float innerR, float outerR, float innerZ, float outerZ,
                  const float* colour, int k) {
  bool first = true;
  return Build(prim, k, [&](int i, bool outer, float c, float s) {
    if (first) {
      prim->SetColour(colour);
      first = false;
    }
    const float r = outer ? outerR : innerR;
    if (i == Segments(k)) {
      prim->SetPos(r, 0.0f, outer ? outerZ : innerZ);
    } else {
      prim->SetPos(r * c, r * s, outer ? outerZ : innerZ);
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
  return Build(prim, k, [&](int i, bool outer, float c, float s) {
    const float r = outer ? outerR : innerR;
    if (i == n) {
      prim->SetPos(r, 0.0f, outer ? outerZ : innerZ);
      const SGpUV& e = outer ? outEnd : inEnd;
      prim->SetUV(e.u, e.v);
    } else {
      prim->SetPos(r * c, r * s, outer ? outerZ : innerZ);
      SGpUV& uv = outer ? outUV : inUV;
      const SGpUV& st = outer ? outStep : inStep;
      prim->SetUV(uv.u, uv.v);
      uv.u += st.u;
      uv.v += st.v;
    }
    prim->SetColour(outer ? outerColour : innerColour);
  });
}
