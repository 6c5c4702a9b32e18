#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>

#include "support/ErrorBox.h"
#include "vrax/graphic/SGpObj_Prim.h"

namespace {

void PutStrip(SGpObj_Prim& p, int n, float x0) {
  for (int i = 0; i < n; ++i) {
    p.SetPos(x0 + float(i), float(i % 2), 0.0f);
    p.Next();
  }
  p.EndStrip();
}

void ExpectIndices(const SGpObj_Prim& p, size_t at, std::initializer_list<uint16_t> want) {
  for (uint16_t w : want) EXPECT_EQ(p.GetIndices()[at++], w) << at - 1;
}
void ExpectColours(const SGpObj_Prim& p, int from, int to, uint32_t want) {
  for (int i = from; i < to; ++i) EXPECT_EQ(p.GetVertexColour(i), want) << i;
}

TEST(SGpObjPrim, AllocWithoutPrimitivesIsAllocVertices) {
  SGpObj_Prim a, b;
  ASSERT_EQ(a.Alloc(0, 10), 0);
  ASSERT_EQ(b.AllocVertices(10), 0);
  for (SGpObj_Prim* p : {&a, &b}) {
    EXPECT_EQ(p->GetPrimCapacity(), 0);
    EXPECT_EQ(p->GetVertexCapacity(), 10);
    EXPECT_EQ(p->GetActiveCount(), 0);
    EXPECT_EQ(p->GetVertsPerPrim(), 0);
    EXPECT_EQ(p->GetIndices().size(), 24u);  // 3 (n - 2)
    ASSERT_EQ(p->GetPrimStarts().size(), 1u);
    EXPECT_EQ(p->GetPrimStarts()[0], 0);
  }
}

TEST(SGpObjPrim, StripsBecomeTriangleListIndices) {
  SGpObj_Prim p;
  ASSERT_EQ(p.AllocVertices(16), 0);
  PutStrip(p, 4, 0.0f);
  EXPECT_EQ(p.GetActiveCount(), 1);
  ExpectIndices(p, 0, {0, 1, 2, 1, 2, 3});
  PutStrip(p, 5, 10.0f);
  EXPECT_EQ(p.GetActiveCount(), 2);
  // The second strip's three triangles start at index position 6, vertices 4..8.
  ExpectIndices(p, 6, {4, 5, 6, 5, 6, 7, 6, 7, 8});
  EXPECT_EQ(p.GetPrimStart(2), 9);
  EXPECT_TRUE(p.IsDirty());

  // SeekVertex finds the strip that holds a vertex.
  for (auto [vertex, prim] : {std::pair{6, 1}, {3, 0}}) {
    p.SeekVertex(vertex);
    EXPECT_EQ(p.GetCurPrim(), prim) << vertex;
  }
  // Rebuilding from vertex 0 overwrites the strips in place.
  p.SeekVertex(0);
  PutStrip(p, 3, 0.0f);
  EXPECT_EQ(p.GetActiveCount(), 1);
  EXPECT_EQ(p.GetPrimStart(1), 3);
}

TEST(SGpObjPrim, ShortAndEmptyStripsWriteNothingOutside) {
  SGpObj_Prim p;
  ASSERT_EQ(p.AllocVertices(6), 0);
  p.EndStrip();        // empty strip
  PutStrip(p, 2, 0);   // too short for a triangle
  PutStrip(p, 4, 5);   // starts where 3 (s - 2p) is negative
  EXPECT_EQ(p.GetActiveCount(), 3);
  // Writing past the capacity is ignored and never closes triangles beyond it.
  PutStrip(p, 5, 9);
  EXPECT_EQ(p.GetIndices().size(), 12u);
  for (uint16_t i : p.GetIndices()) EXPECT_LT(i, 6);
  // Strip numbers far out of range close nothing.
  p.Seek(-3, 0);
  p.EndStrip();
  p.Seek(1 << 30, 0);
  p.EndStrip();
  EXPECT_EQ(p.GetActiveCount(), 4);
}

TEST(SGpObjPrim, ColourPackingClampsAndRounds) {
  EXPECT_EQ(SGpObj_Prim::PackColour(1.2f, 0.5f, -0.1f, 1.0f), 0xFFFF8000u);
  EXPECT_EQ(SGpObj_Prim::PackColour(0.0f, 1.0f / 255.0f, 0.999f, 0.25f), 0x400001FFu);
  EXPECT_EQ(SGpObj_Prim::PackColour(NAN, 0, 0, NAN), 0u);
  SGpObj_Prim p;
  ASSERT_EQ(p.Alloc(1, 3), 0);
  p.SetColour(1.2f, 0.5f, -0.1f, 1.0f);
  EXPECT_EQ(p.GetVertexColour(0), 0xFFFF8000u);
  const float c[4] = {0, 0, 1, 1};
  p.Next();
  p.SetColour(c);
  EXPECT_EQ(p.GetVertexColour(1), 0xFF0000FFu);
}

TEST(SGpObjPrim, QuadsFillTheirIndicesOnceInStripOrder) {
  SGpObj_PrimQuad q;
  ASSERT_EQ(q.AllocPrims(3), 0);
  EXPECT_EQ(q.GetPrimCapacity(), 3);
  EXPECT_EQ(q.GetActiveCount(), 3);
  EXPECT_EQ(q.GetVertexCapacity(), 12);
  ASSERT_EQ(q.GetIndices().size(), 18u);
  ExpectIndices(q, 6, {4, 5, 6, 5, 6, 7});
  q.SeekVertex(5);
  EXPECT_EQ(q.GetCurPrim(), 1);
  q.Seek(2, 1);
  EXPECT_EQ(q.GetCurVertex(), 9);
  EXPECT_EQ(q.GetPrimStart(2), 8);
}

TEST(SGpObjPrim, QuadFillColoursOneQuadAndStartsWhite) {
  SGpObj_PrimQuadFill q;
  ASSERT_EQ(q.AllocPrims(4), 0);
  EXPECT_EQ(q.GetPrimColour(), 0xFFFFFFFFu);
  q.Seek(2, 0);
  q.SetColour(0.0f, 0.0f, 1.0f, 1.0f);
  for (int i = 0; i < 16; ++i) EXPECT_EQ(q.GetVertexColour(i), i >= 8 && i < 12 ? 0xFF0000FFu : 0u) << i;
  // The fill colour of EndStrip is defined (white) before any SetColour.
  // It fills from the current quad's first vertex up to the cursor.
  q.Seek(1, 3);
  q.EndStrip();
  ExpectColours(q, 4, 7, 0xFFFFFFFFu);
  ExpectColours(q, 7, 8, 0u);
  ExpectColours(q, 8, 9, 0xFF0000FFu);
}

TEST(SGpObjPrim, FillColoursAStripWhenClosedAndRecolours) {
  SGpObj_PrimFill f;
  ASSERT_EQ(f.AllocVertices(12), 0);
  f.SetColour(1.0f, 0.0f, 0.0f, 1.0f);  // before the strip: primitive colour only
  PutStrip(f, 4, 0);
  f.SetColour(0.0f, 1.0f, 0.0f, 1.0f);
  PutStrip(f, 4, 10);
  ExpectColours(f, 0, 4, 0xFFFF0000u);
  ExpectColours(f, 4, 8, 0xFF00FF00u);
  // Seek back to strip 0: exactly its four vertices take the new colour.
  f.Seek(0, 0);
  f.SetColour(0.0f, 0.0f, 1.0f, 1.0f);
  ExpectColours(f, 0, 4, 0xFF0000FFu);
  ExpectColours(f, 4, 8, 0xFF00FF00u);
}

TEST(SGpObjPrim, ReallocationShrinksAndFailuresLeaveNothing) {
  testsupport::ErrorBoxCatcher box;
  SGpObj_PrimQuad q;
  ASSERT_EQ(q.AllocPrims(10), 0);
  EXPECT_EQ(q.AllocPrims(5), 0);  // smaller than before: accepted
  EXPECT_EQ(q.GetVertexCapacity(), 20);
  EXPECT_EQ(q.GetIndices().size(), 30u);
  EXPECT_EQ(q.AllocPrims(16384), 0);  // 65,536 vertices: the most
  EXPECT_EQ(q.AllocPrims(16385), -1);  // would overflow 16-bit indices
  EXPECT_GT(box.Count("primitive allocation error"), 0);
  EXPECT_GT(box.Count("Vrax/Graphic/SGpObj_Prim(28)"), 0);
  for (int n : {q.GetPrimCapacity(), q.GetVertexCapacity(), q.GetActiveCount()}) EXPECT_EQ(n, 0);
  EXPECT_TRUE(q.GetVertexBytes().empty());
  q.SetPos(1, 2, 3);  // nothing to write: ignored
  q.Next();
  q.EndStrip();

  box.texts.clear();
  SGpObj_Prim plain;
  EXPECT_EQ(plain.AllocPrims(3), -1);  // no fixed size in this class
  EXPECT_GT(box.Count("primitive allocation error"), 0);
  box.texts.clear();
  EXPECT_EQ(plain.AllocVertices(70000), -1);
  EXPECT_GT(box.Count("vertex allocation error"), 0);
  EXPECT_GT(box.Count("Vrax/Graphic/SGpObj_Prim(66)"), 0);
  EXPECT_EQ(plain.Alloc(2, -4), -1);
  EXPECT_GT(box.Count("SGpObj_Prim(48)"), 0);
}

TEST(SGpObjPrim, WritesPastTheCapacityAreIgnored) {
  SGpObj_PrimQuad q;
  ASSERT_EQ(q.AllocPrims(1), 0);
  q.Seek(0, 0);
  for (int i = 0; i < 4; ++i) {
    q.SetPos(float(i), 0, 0);
    q.Next();
  }
  const auto before = q.GetVertexBytes();
  q.SetPos(99, 99, 99);
  q.SetUV(1, 1);
  q.SetColour(1, 1, 1, 1);
  q.Seek(5, 0);
  q.SetPos(7, 7, 7);
  q.SeekVertex(-1);
  q.SetPos(7, 7, 7);
  EXPECT_EQ(q.GetVertexBytes(), before);
}

TEST(SGpObjPrim, WeldPointsDuplicatesAtTheFirstVertex) {
  SGpObj_PrimQuad q;
  ASSERT_EQ(q.AllocPrims(2), 0);
  // Quad 0 at x 0..1, quad 1 at x 1..2: its first two corners equal quad 0's
  // last two.
  const float xs[8] = {0, 1, 0, 1, 1, 2, 1, 2};
  const float ys[8] = {0, 0, 1, 1, 0, 0, 1, 1};
  q.Seek(0, 0);
  for (int i = 0; i < 8; ++i) {
    q.SetPos(xs[i], ys[i], 0);
    q.SetUV(0, 0);
    q.SetColour(1, 1, 1, 1);
    q.Next();
  }
  // Vertex 4 equals 1 and 6 equals 3; 4 is used once and 6 twice.
  EXPECT_EQ(q.Weld(), 3);
  ExpectIndices(q, 0, {0, 1, 2, 1, 2, 3, 1, 5, 3, 5, 3, 7});
  EXPECT_EQ(q.Weld(), 0);
}

TEST(SGpObjPrim, OtherFormatsKeepTheirLayout) {
  SGpObj_Prim c(plat::kFvfPosColour), nct(plat::kFvfPosNormalColourTex);
  EXPECT_EQ(c.GetStride(), 16u);
  EXPECT_EQ(nct.GetStride(), 36u);
  ASSERT_EQ(c.Alloc(1, 3), 0);
  ASSERT_EQ(nct.Alloc(1, 3), 0);
  for (SGpObj_Prim* p : {&c, &nct}) {
    p->Seek(0, 1);
    p->SetPos(1, 2, 3);
    p->SetNormal(0, 0, 1);
    p->SetUV(0.5f, 0.25f);
    p->SetColour(1, 0, 0, 1);
  }
  EXPECT_EQ(c.GetVertexColour(1), 0xFFFF0000u);
  EXPECT_EQ(c.GetVertexPos(1).z, 3.0f);
  EXPECT_EQ(c.GetVertexBytes().size(), 48u);
  EXPECT_EQ(nct.GetVertexColour(1), 0xFFFF0000u);
  EXPECT_EQ(nct.GetVertexNormal(1).z, 1.0f);
  EXPECT_EQ(nct.GetVertexUV(1).y, 0.25f);
  SGpVertexNCT v;
  std::memcpy(&v, nct.GetVertexBytes().data() + 36, sizeof v);
  EXPECT_EQ(v.colour, 0xFFFF0000u);
  EXPECT_EQ(v.u, 0.5f);
}

}  // namespace
