#include <cmath>

#include "game/core/Game.h"
#include "game/core/GameMath.h"
#include "game/effect/EfxBursts.h"
#include "game/effect/EfxMath.h"
#include "game/effect/EfxProc.h"
#include "game/effect/RandF.h"
#include "game/enemy/BossKit.h"
#include "game/enemy/boss11/Boss11.h"

namespace {

constexpr float kPi = 3.14159265f;
constexpr float kTwoPi = 6.28318530718f;
constexpr int32_t kPart12 = 12;
constexpr int32_t kPart13 = 13;
constexpr float kFlashColour[4] = {0.0f, 0.5f, 0.0f, 0.0f};
constexpr float kFlashLevel = 0.5f;

}  // namespace

BossPartsObjectT11::BossPartsObjectT11(ModelInstance* model) : BossPartsObject(model) {
  colour.Set(SGpColour{0.5f, 0.5f, 0.5f, 1.0f});
  static constexpr float kWhite[4] = {1.0f, 1.0f, 1.0f, 1.0f};
  push.SetColour(kWhite);
}

SVec4 BossPartsObjectT11::Projected(int32_t n) {
  SVec4 out;
  NodePoint(&out.x, n);
  return out;
}

int32_t BossPartsObjectT11::User(int32_t code, SProcArg) {
  RequestPresentSkip(15);
  if (code == kCodeInit) SetUp();
  if (code == kCodeMain) Frame();
  return 0;
}

int32_t BossPartsObjectT11::OnDispose(SProcArg arg) {
  if (tinted_ != 0)
    if (SGpNode* n = GetNode(kPart12)) {
      n->RemovePacket(&push);
      n->RemovePacket(&colour);
      n->RemovePacket(&pop);
    }
  tinted_ = 0;
  return ScriptedProc::OnDispose(arg);
}

void BossPartsObjectT11::SetUp() {
  if (SGpNode* n = GetNode(kPart13)) n->SetKeepWorld(1);
  SGpNode* root = owner != nullptr ? owner->GetRootNode() : nullptr;
  if (root != nullptr) {
    root->SetKeepWorld(1);
    modelMatrix = *root->GetLocal();
  }
  if (SGpNode* n = GetNode(kPart12)) {
    n->SetKeepWorld(1);
    n->AddPacketFront(&colour);
    n->AddPacketFront(&push);
    n->AddPacket(&pop);
    tinted_ = 1;
  }
  colour.Set(0.5f, 0.5f, 0.5f);
  // The model slides from its root's own place towards the target.
  for (int i = 0; i < 4; ++i) rise[i] = target[i] = spare[i] = 0.0f;
}

void BossPartsObjectT11::Frame() {
  const int32_t count = timer.GetCount();
  float* translation = modelMatrix.m[3];
  if (timer.Window(0, 60)) {
    if (count == 0 || count == 10 || count == 20) {
      BossSe(14, 65536);
      const float r = 20.0f * (RandF() - 0.5f);
      const SVec4 p = Projected(kPart12);
      const SVec4 e{p.x + r, p.y + 30.0f, p.z, 1.0f};
      EfxBurstE(&e, 1.0f, true);
      for (float dx : {-32.0f, 0.0f, 32.0f}) {
        SMatrix m;
        GetSharedMatrix(&m, 1);
        MatrixRotateX(&m, 0.2f);
        m.m[3][0] = p.x + dx, m.m[3][1] = p.y, m.m[3][2] = p.z;
        EfxBurstB(&m, 16.0f, 1.0f, 0.9f, 1.0f, 8);
      }
      target[0] -= r / 2.0f;
      target[1] += 40.0f;
    }
    for (int i = 0; i < 3; ++i) translation[i] += (target[i] - translation[i]) * 0.3f;
    const float v = 0.5f - (1.0f - std::cos(timer.GetRatio() * kPi)) * 0.25f;
    colour.Set(v, 0.5f, v);
  }
  if (timer.Window(30, 37)) {
    const float r = timer.GetRatio();
    if (r == 0.0f) {
      BossSe(14, 65536);
      BossSe(25, 65536);
      BossSe(33, 61440);
      const SVec4 p = Projected(kPart13);
      for (int i = 0; i < 4; ++i) rise[i] = (&p.x)[i];
      EfxBurstF(&p, 1.0f, true);
      timer.NextPhase();
    }
    const float s = std::sin(r * kPi / 2.0f);
    const SVec4 at{rise[0], rise[1] - 300.0f * s, rise[2], 1.0f};
    EfxBurstF(&at, (s + 1.0f) / 2.0f, true);
  }
  if (timer.Window(60, 190))
    if (SGpNode* n = GetNode(kPart12)) {
      const float* q = n->GetWorld()->m[3];
      for (int k = 0; k < 4; ++k) {
        const float a = RandF();
        const float d = 60.0f * RandF();
        const float size = 0.1f * RandF() + 0.02f;
        const SVec4 at{q[0] + d * std::cos(kTwoPi * a), q[1] + d * std::sin(kTwoPi * a) + 20.0f, q[2], 1.0f};
        EfxGlowSpot(&at, size, 10);
      }
    }
  if (timer.Window(60, 200)) {
    const float k = 1.0f - std::cos(timer.GetRatio() * kPi);
    translation[1] += 7.5f * k;
    translation[2] -= 8.0f * k;
  }
  if (timer.Window(200, 230)) {
    const float r = timer.GetRatio();
    if (r == 0.0f) {
      BossSe(23, 61440);
      SMatrix m;
      GetSharedMatrix(&m, 1);
      MatrixRotateX(&m, -0.04f);
      SMatrix::Scale(&m, &m, 0.9f, 0.9f, 1.25f);
      SVec4 s = Projected(kPart12);
      const float k = (512.0f / (s.z + 612.0f)) / (512.0f / (s.z + 512.0f));
      s.x *= k;
      s.y = (s.y + 40.0f) * k;
      s.z += 100.0f;
      m.m[3][0] = s.x, m.m[3][1] = s.y, m.m[3][2] = s.z;
      EfxProc::SpawnA(this, &m);
      GetSharedMatrix(&m, 1);
      MatrixRotateX(&m, -0.05f);
      m.m[3][0] = s.x - 80.0f, m.m[3][1] = s.y, m.m[3][2] = s.z;
      AttachDrawA(&m, 480.0f, 480.0f, 48.0f, 48.0f, kFlashColour);
      // The flash's grid floor comes down from the set's 0.85 to 0.5.
      if (DrawSet* set = SetA()) set->grid.SetAlphaMin(kFlashLevel);
      timer.NextPhase();
    }
    const float a = RandF();
    const float d = 40.0f * RandF();
    EfxBurstC(d * std::cos(kTwoPi * a), d * std::sin(kTwoPi * a), 30.0f, 50.0f, 3, 30);
    if (SGpNode* n = GetNode(kPart12)) EfxBurstD(n->GetWorld()->m[3][0], n->GetWorld()->m[3][1], 60.0f, 15.0f, 4, 30);
    if (DrawSet* set = SetA()) {
      SMatrix& w = set->world.GetMatrix();
      OrthonormalizeAxes(&w);
      const float s = 1.0f + 5.0f * std::sin(r * kPi / 2.0f);
      SMatrix::Scale(&w, &w, s, s, 1.0f);
    }
  }
  if (count == kBeatenFrame)
    if (Game* g = GetGame()) g->SendEvent(Game::kEventStageClear, 0);
  // Tail: the model's matrix back on its root, the burst part hidden, and
  // once the flash has come the model no longer drawn.
  if (SGpNode* root = owner != nullptr ? owner->GetRootNode() : nullptr) *root->GetLocal() = modelMatrix;
  if (timer.GetPhase() == 1)
    if (SGpNode* n = GetNode(kPart13)) SMatrix::Scale(n->GetLocal(), n->GetLocal(), 0.0f, 0.0f, 0.0f);
  if (timer.GetPhase() == 2) {
    tinted_ = 0;
    ClearNodePackets();
    timer.NextPhase();
  }
  // After frame 230 the companion only ticks: it and the wreck, which holds
  // the enemy timeline, last until the stage ends.
  timer.Tick();
}
