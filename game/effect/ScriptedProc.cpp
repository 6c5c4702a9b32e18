#include "game/effect/ScriptedProc.h"

#include <cmath>
#include <cstring>

#include "game/core/Game.h"
#include "game/effect/EfxMath.h"

namespace {

std::unique_ptr<ScriptedProc::DrawSet> MakeSet(const SMatrix& world, float w, float h, float columns, float rows,
                                               const float* colour) {
  auto set = std::make_unique<ScriptedProc::DrawSet>();
  set->world.SetMatrix(world);
  set->grid.Build(w, h, static_cast<int32_t>(columns), static_cast<int32_t>(rows), colour);
  return set;
}

// The view key 25 draws through: the stage camera's, which the game builds
// every frame before its children draw.
const SMatrix& StageView(Game* g) { return g->LayerView(ScriptedProc::kKeySetA).GetMatrix(); }

}  // namespace

// Set A stands in the view where its matrix puts it before the fixed screen
// camera (the game's second camera node: the flip, the eye 512 units before
// the play plane), as the play objects stand: m x inverse(N2 x inverse(N1)),
// N1 that node and N2 the view key 25 draws through, the stage camera's, so
// that the stage camera cancels out. A matrix that cannot be inverted counts
// as the identity.
void ScriptedProc::AttachDrawA(const SMatrix* m, float w, float h, float columns, float rows, const float* colour) {
  SMatrix world = *m;
  if (Game* g = GetGame()) {
    viewA_ = StageView(g);
    SMatrix inv1 = kIdentityMatrix, rel, invRel = kIdentityMatrix;
    SMatrix::Inverse(&inv1, nullptr, &g->CameraNode(1));
    SMatrix::Multiply(&rel, &viewA_, &inv1);
    SMatrix::Inverse(&invRel, nullptr, &rel);
    SMatrix::Multiply(&world, m, &invRel);
  }
  setA_ = MakeSet(world, w, h, columns, rows, colour);  // a second attach replaces (and frees) the first
  setA_->grid.SetAlphaMin(0.85f);
}

void ScriptedProc::AttachDrawB(const SMatrix* m, float w, float h, float columns, float rows, const float* colour,
                               int32_t key) {
  setB_ = MakeSet(*m, w, h, columns, rows, colour);
  setB_->grid.SetBlend(1);
  setB_->grid.SetAlphaMin(0.75f);
  setB_->grid.SetAlphaMax(1.0f);
  keyB_ = key;
}

int32_t ScriptedProc::Init(SProcArg) {
  setA_.reset();
  setB_.reset();
  // The script's answer to its set-up is the process's init result.
  const int32_t r = SendScript(kCodeInit);
  SetInitResult(r);
  return r;
}

int32_t ScriptedProc::Draw(SProcArg) {
  SendScript(kCodeDraw);
  if (setA_) {
    // The rail moves the stage camera on after the set was placed: the set
    // moves with it (world x the view it stood in x inverse(the view now)),
    // so that it keeps its place in the view.
    if (Game* g = GetGame()) {
      const SMatrix& now = StageView(g);
      if (std::memcmp(&now, &viewA_, sizeof now) != 0) {
        SMatrix back = kIdentityMatrix, moved;
        SMatrix::Inverse(&back, nullptr, &now);
        SMatrix::Multiply(&moved, &viewA_, &back);
        SMatrix::Multiply(&setA_->world.GetMatrix(), &setA_->world.GetMatrix(), &moved);
        viewA_ = now;
      }
    }
    setA_->world.Enter(kKeySetA);
    setA_->grid.Enter(kKeySetA);
  }
  if (setB_) {
    setB_->world.Enter(keyB_);
    setB_->grid.Enter(keyB_);
  }
  BroadcastAll(EVENT_DRAW, 0);
  return 0;
}

int32_t ScriptedProc::Main(SProcArg) {
  SendScript(kCodeMain);
  if (setA_) setA_->brushes.Update();
  if (setB_) setB_->brushes.Update();
  BroadcastAll(EVENT_MAIN, 0);
  return 0;
}

int32_t ScriptedProc::OnDispose(SProcArg) {
  setA_.reset();
  setB_.reset();
  return 0;
}

int32_t ScriptedProc::SendScript(int32_t code) { return SendEvent(code, 0); }

void ScriptedProc::EfxBurstC(float x, float y, float radius, float size, int32_t count, int32_t life) {
  Burst(x, y, radius, size, count, life, false);
}

void ScriptedProc::EfxBurstD(float x, float y, float radius, float size, int32_t count, int32_t life) {
  Burst(x, y, radius, size, count, life, true);
}

void ScriptedProc::Burst(float x, float y, float radius, float size, int32_t count, int32_t life, bool ring) {
  if (!setA_) return;
  static constexpr float kStill[2] = {0.0f, 0.0f};
  const float g = ring ? 0.8f : 0.5f;  // green of the first two colours
  BrushListPacket& brushes = setA_->brushes;
  ColourGridPacket* grid = &setA_->grid;
  if (count == 1) {
    const float g1 = ring ? 0.8f : 0.3f;
    const float alpha = ring ? 0.5f : 0.15f;
    const float c1[4] = {0, g1, 0.1f, 0.85f}, c2[4] = {0, g1, 0, 0};
    const float e1[4] = {0, 0, 0, alpha}, e2[4] = {0, 0.85f, 0, alpha};
    brushes.Add(grid, x, y, ring ? 1.0f : 0.0f, size, c1, c2, e1, e2, 0.1f, 0.1f, kStill, kStill, life, 3);
    return;
  }
  for (int32_t i = 0; i < count; ++i) {
    const float alpha = static_cast<float>(i) * 0.5f / static_cast<float>(count) + (ring ? 0.3f : 0.25f);
    const float a = RandF();
    const float d = ring ? (RandF() + 1.0f) * radius * 0.5f : RandF() * radius;
    const float c1[4] = {0, g, 0.1f, 0.85f}, c2[4] = {0, g, 0, 0};
    const float e1[4] = {0, 0, 0, alpha}, e2[4] = {0, 0.85f, 0, alpha};
    brushes.Add(grid, x + std::cos(6.2831855f * a) * d, y + std::sin(6.2831855f * a) * d, 0.0f, size, c1, c2, e1,
                e2, 0.2f, 0.2f, kStill, kStill, life, 3);
    if (!ring) size *= 0.85f;
  }
}
