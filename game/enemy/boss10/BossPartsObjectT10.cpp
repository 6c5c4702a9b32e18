#include <cmath>

#include "game/core/GameMath.h"
#include "game/effect/EfxBursts.h"
#include "game/effect/EfxMath.h"
#include "game/effect/EfxProc.h"
#include "game/effect/RandF.h"
#include "game/enemy/BossKit.h"
#include "game/enemy/boss10/Boss10.h"

namespace {

constexpr float kPi = 3.14159265f;
constexpr float kTwoPi = 6.28318530718f;
// Nodes whose world positions the show reads.
constexpr int32_t kKeptNodes[] = {1, 68, 51, 8, 16, 4};
// The flash: a green glow grid over the whole view.
constexpr float kFlashColour[4] = {0.0f, 0.5f, 0.0f, 0.0f};

SVec4 Offset(const SVec4& p, float x, float y) { return SVec4{p.x + x, p.y + y, p.z, p.w}; }

// The base matrix rotated about z, then about x (turns), translated to p:
// the z turns fan the jets out, the x turn tilts the whole fan.
SMatrix Placement(const SVec4& p, float aboutZ, float aboutX) {
  SMatrix m;
  GetSharedMatrix(&m, 1);
  MatrixRotateZ(&m, aboutZ);
  MatrixRotateX(&m, aboutX);
  m.m[3][0] = p.x, m.m[3][1] = p.y, m.m[3][2] = p.z;
  return m;
}

}  // namespace

BossPartsObjectT10::BossPartsObjectT10(ModelInstance* model) : BossPartsObject(model) {
  tint.Set(SGpColour{1.0f, 1.0f, 1.0f, 1.0f});
  static constexpr float kWhite[4] = {1.0f, 1.0f, 1.0f, 1.0f};
  push.SetColour(kWhite);
}

SVec4 BossPartsObjectT10::P(int32_t n) {
  SGpNode* node = GetNode(n);
  SVec4 out{0.0f, 0.0f, 0.0f, 1.0f};
  if (node == nullptr) return out;
  const float* w = node->GetWorld()->m[3];
  Project(&out.x, w, 512.0f);
  return out;
}

int32_t BossPartsObjectT10::User(int32_t code, SProcArg) {
  if (code == kCodeInit) SetUp();
  if (code == kCodeMain) Frame();
  return 0;
}

int32_t BossPartsObjectT10::OnDispose(SProcArg arg) {
  DetachTint();
  return ScriptedProc::OnDispose(arg);
}

void BossPartsObjectT10::DetachTint() {
  if (tinted_ == 0) return;
  tinted_ = 0;
  if (SGpNode* n = GetNode(1)) {
    n->RemovePacket(&push);
    n->RemovePacket(&tint);
    n->RemovePacket(&pop);
  }
}

void BossPartsObjectT10::SetUp() {
  for (int32_t n : kKeptNodes)
    if (SGpNode* node = GetNode(n)) node->SetKeepWorld(1);
  GetSharedMatrix(&flash_, 1);
  MatrixRotateX(&flash_, -0.0365f);
  SMatrix::Scale(&flash_, &flash_, 10.0f, 10.0f, 1.0f);
  flash_.m[3][2] = RootDepth();
  AttachDrawA(&flash_, 480.0f, 480.0f, 48.0f, 48.0f, kFlashColour);
}

void BossPartsObjectT10::Spark(float cx, float cy, float angle, float radius, int32_t life) {
  const float x = cx + radius * std::cos(kTwoPi * angle), y = cy + radius * std::sin(kTwoPi * angle);
  EfxBurstC(x, y, 30.0f, 50.0f, 3, life);
  EfxBurstD(x, y, 60.0f, 15.0f, 4, life);
}

void BossPartsObjectT10::Frame() {
  const auto first = [this](int32_t a, int32_t b) { return timer.Window(a, b) && timer.GetRatio() == 0.0f; };
  const int32_t count = timer.GetCount();
  if (first(0, 60)) {
    BossSe(14, 65536);
    BossSe(33, 61440);
    const SVec4 p = P(1);
    EfxBurstE(&p, 1.0f, true);
    for (float dx : {-32.0f, 0.0f, 32.0f}) {
      const SMatrix m = Placement(Offset(p, dx, 0.0f), 0.0f, 0.2f);
      EfxBurstB(&m, 16.0f, 1.0f, 0.9f, 1.0f, 8);
    }
    const SVec4 e = Offset(p, -20.0f, 30.0f);
    EfxBurstE(&e, 1.0f, true);
    const SVec4 q = P(68);
    EfxBurstE(&q, 1.0f, true);
    static constexpr float kOffsets[4][2] = {{-20, 60}, {20, 0}, {-20, -80}, {100, 40}};
    for (const auto& o : kOffsets) {
      EfxBurstC(o[0], o[1], 35.0f, 50.0f, 3, 60);
      EfxBurstD(q.x, q.y, 45.0f, 15.0f, 4, 60);
    }
  }
  if (first(125, 240)) {
    BossSe(25, 65536);
    BossSe(33, 61440);
    const SVec4 p1 = P(1);
    const SVec4 p = Offset(p1, 10.0f, -45.0f);
    for (int k = -8; k <= 8; ++k) {
      const SMatrix m = Placement(p, 0.02f * float(k), 0.2f);
      EfxBurstB(&m, 18.0f, 2.0f, 0.9f, 1.0f, 4);
      EfxProc::SpawnD(this, &m, 18.0f, 2.0f, 0.9f, 1.0f, 105, true);
    }
    for (int i = 0; i <= 5; ++i) {
      const int32_t j = 65 + 20 * i;
      const float d = 5.0f * float(i), a = kTwoPi * (0.2f * float(i) - 0.1f);
      const SVec4 at = Offset(p1, 6.0f * std::cos(a) + d + 10.0f, 6.0f * std::sin(a) - 50.0f - d);
      EfxProc::SpawnB(this, &at, 1.0f, j - 20, false);
      EfxProc::SpawnC(this, &at, 1.0f, j, true);
    }
    const SVec4 glow = Offset(p1, 10.0f, -50.0f);
    EfxGlowSpot(&glow, 1.0f, 150);
  }
  if (timer.Window(125, 240) && (count & 1) != 0) {
    const float a = 0.3f * RandFS() + 0.25f;
    const float radius = 200.0f - (1.0f - std::cos(timer.GetRatio() * kPi / 2.0f)) * 120.0f;
    Spark(10.0f, -60.0f, a, radius, 30);
  }
  if (timer.Window(260, 350) && (count & 1) != 0) {
    const float a = RandF();
    const float radius = 80.0f * RandF();
    Spark(-20.0f, 20.0f, a, radius, 60);
  }
  if (timer.Window(320, 340))
    if (SGpNode* n = GetNode(68)) {
      const float x = 0.1f * RandFS(), y = 0.1f * RandFS(), z = 0.1f * RandFS();
      MakeRotationXYZ(n->GetLocal(), n->GetLocal(), x, y, z);
    }
  if (timer.Window(330, 350) || timer.Window(380, 390)) {
    const float x = 1.0f + 0.1f * RandFS(), y = 1.0f + 0.1f * RandFS(), z = 1.0f + 0.1f * RandFS();
    if (SGpNode* n = GetNode(1)) SMatrix::Scale(n->GetLocal(), n->GetLocal(), x, y, z);
  }
  if (first(320, 430))
    if (SGpNode* n = GetNode(1)) {
      n->AddPacketFront(&tint);
      n->AddPacketFront(&push);
      n->AddPacket(&pop);
      tinted_ = 1;
    }
  if (timer.Window(320, 430)) {
    const float r = timer.GetRatio();
    const float w = std::sin(r * kPi / 2.0f);
    tint.Set(0.5f - 0.5f * w, 0.25f * w + 0.5f, 0.5f - 0.4f * w);
    (void)RandF();
    if (SGpNode* n = GetNode(25)) SMatrix::Scale(n->GetLocal(), n->GetLocal(), r + 1.0f, r + 1.0f, r + 1.0f);
  }
  if (timer.Window(320, 420) && count % 4 == 0) {
    const float t = 0.01f + 0.145f * (1.0f - std::cos(timer.GetRatio() * kPi));
    const float s1 = RandFS();
    const float s2 = RandFS();
    const SVec4 p1 = P(1);
    const SVec4 at{p1.x + 30.0f * t * s2 + 20.0f, p1.y - (30.0f * t * s1 + 40.0f), p1.z, 1.0f};
    EfxGlowSpot(&at, t, 20);
  }
  if (first(430, 440)) {
    BossSe(23, 61440);
    const SVec4 p1 = P(1);
    SMatrix m;
    GetSharedMatrix(&m, 1);
    MatrixRotateX(&m, -0.1f);
    SMatrix::Scale(&m, &m, 1.25f, 1.25f, 1.25f);
    m.m[3][0] = p1.x - 40.0f, m.m[3][1] = p1.y + 40.0f, m.m[3][2] = p1.z;
    EfxProc::SpawnA(this, &m);
    EfxBurstC(-20.0f, 0.0f, 60.0f, 60.0f, 1, 60);
    EfxBurstC(80.0f, -80.0f, 30.0f, 50.0f, 3, 60);
    EfxBurstD(80.0f, -80.0f, 60.0f, 15.0f, 4, 60);
    timer.NextPhase();
  }
  if (timer.Window(430, 440))
    if (DrawSet* set = SetA()) {
      SMatrix& w = set->world.GetMatrix();
      OrthonormalizeAxes(&w);
      const float s = 9.5f + 14.5f * std::sin(timer.GetRatio() * kPi / 2.0f);
      SMatrix::Scale(&w, &w, s, s, 1.0f);
    }
  if (timer.GetPhase() == 1) {
    tinted_ = 0;  // the packets of every node go now
    ClearNodePackets();
    timer.NextPhase();
  }
  timer.Tick();
}
