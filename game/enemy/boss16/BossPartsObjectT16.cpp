#include <cmath>

#include "game/core/GameMath.h"
#include "game/effect/EfxBursts.h"
#include "game/effect/EfxMath.h"
#include "game/effect/EfxProc.h"
#include "game/effect/RandF.h"
#include "game/enemy/BossKit.h"
#include "game/enemy/boss16/Boss16.h"
#include "game/stage/MapMng.h"

namespace {

constexpr float kPi = 3.14159265f;
constexpr float kTwoPi = 6.28318530718f;
constexpr int32_t kKeptNodes[] = {15, 12, 17, 23, 40, 5, 37, 46, 44, 0, 49, 58, 56, 52};
constexpr int32_t kCoreNodes[] = {72, 77, 15, 37, 49, 40};
// The node that glows and burns through the show.
constexpr int32_t kHeart = 12;

float Ease(float r) { return std::sin(r * kPi / 2.0f); }
float EaseIn(float r) { return 1.0f - std::cos(r * kPi / 2.0f); }
float U() { return RandF() - 0.5f; }

// The identity rotated about z, then about x (turns), placed at p: the z
// turns fan the rays out, the x turn tilts the whole fan.
SMatrix Ray(const SVec4& p, float aboutZ, float aboutX) {
  SMatrix m;
  GetSharedMatrix(&m, 1);
  MatrixRotateZ(&m, aboutZ);
  MatrixRotateX(&m, aboutX);
  m.m[3][0] = p.x, m.m[3][1] = p.y, m.m[3][2] = p.z;
  return m;
}

}  // namespace

SVec4 BossPartsObjectT16::Point(int32_t n) {
  SVec4 out;
  NodePoint(&out.x, n);
  return out;
}

int32_t BossPartsObjectT16::OnDispose(SProcArg arg) {
  glow.Remove();
  return BossPartsObject::OnDispose(arg);
}

void BossPartsObjectT16::Scale(int32_t node, float s) {
  if (SGpNode* n = GetNode(node)) SMatrix::Scale(n->GetLocal(), n->GetLocal(), s, s, s);
}

int32_t BossPartsObjectT16::User(int32_t code, SProcArg) {
  RequestPresentSkip(7);
  if (code == kCodeInit) SetUp();
  if (code == kCodeMain) Frame();
  return 0;
}

void BossPartsObjectT16::SetUp() {
  for (int32_t n : kKeptNodes)
    if (SGpNode* node = GetNode(n)) node->SetKeepWorld(1);
  if (SGpNode* root = owner != nullptr ? owner->GetRootNode() : nullptr) {
    root->SetKeepWorld(1);
    savedRoot = *root->GetLocal();
  }
  offset[0] = offset[1] = offset[2] = 0.0f;
}

// A part flies off: the blast runs from its start to its end over the
// window (x eases out, y and z ease in).
void BossPartsObjectT16::FlyingBlast() {
  const float r = timer.GetRatio();
  const SVec4 p{blastStart[0] + (blastEnd[0] - blastStart[0]) * Ease(r),
                blastStart[1] + (blastEnd[1] - blastStart[1]) * EaseIn(r),
                blastStart[2] + (blastEnd[2] - blastStart[2]) * EaseIn(r), 1.0f};
  EfxBurstE(&p, (Ease(r) + 1.0f) / 2.0f, true);
  EfxProc::SpawnB(this, &p, 1.25f, 10, false);
}

void BossPartsObjectT16::Blast(int32_t node, float dx, float dy, float ex, float ey, bool colors) {
  BossSe(14, 65536);
  BossSe(25, 65536);
  BossSe(33, 61440);
  const SVec4 p = Point(node);
  const SVec4 start{p.x + dx, p.y + dy, p.z, 1.0f};
  for (int i = 0; i < 4; ++i) blastStart[i] = (&start.x)[i];
  EfxBurstE(&start, 1.0f, true);
  blastEnd[0] = start.x + ex, blastEnd[1] = start.y + ey, blastEnd[2] = start.z, blastEnd[3] = 1.0f;
  if (colors) EfxGlowSpot(&start, 0.5f, 120);
  timer.NextPhase();
}

// A part burns: a flash, glows, nine rays and seven spark jets from it.
void BossPartsObjectT16::Burn(int32_t node, int32_t life, int32_t glows) {
  BossSe(33, 61440);
  SVec4 p = Point(node);
  p.y += 5.0f;
  EfxBurstE(&p, 1.0f, true);
  static constexpr float kGlow[3][2] = {{1.0f, 200}, {0.75f, 150}, {0.5f, 100}};
  if (glows == 1) EfxGlowSpot(&p, 1.0f, life);
  for (int i = 0; i < glows && glows > 1; ++i) EfxGlowSpot(&p, kGlow[i][0], int32_t(kGlow[i][1]));
  for (int k = -4; k <= 4; ++k) {
    const SMatrix m = Ray(p, 0.04f * float(k) - 0.2f, 0.1f);
    EfxProc::SpawnE(this, &m, 32.0f, 4.0f, 0.8f, 1.25f, life, false);
  }
  for (int k = -3; k <= 3; ++k) {
    const SMatrix m = Ray(p, 0.03f * float(k) - 0.2f, 0.1f);
    EfxProc::SpawnD(this, &m, 18.0f, 2.0f, 0.9f, 1.25f, life, false);
  }
  glow.Hang(GetNode(kHeart));
}

void BossPartsObjectT16::GlowScale(float r) { glow.SetScale(0.5f - 0.25f * r, 0.5f + 0.25f * r, 0.5f - 0.25f * r); }

void BossPartsObjectT16::Frame() {
  const int32_t count = timer.GetCount();
  const auto start = [this](int32_t a, int32_t b) { return timer.Window(a, b) && timer.GetRatio() == 0.0f; };
  if (start(0, 7)) Blast(17, 20.0f, 0.0f, 300.0f, 50.0f, false);
  if (timer.Window(0, 7)) FlyingBlast();
  if (start(10, 220)) Burn(17, 220, 1);
  if (timer.Window(10, 220)) GlowScale(timer.GetRatio());
  if (timer.Window(10, 40) && count % 4 == 0) {
    const SVec4 p = Point(17);
    const float x = U() * 100.0f - 5.0f;
    const float y = U() * 100.0f + 10.0f;
    const SVec4 at{p.x + x, p.y + y, p.z, 1.0f};
    EfxGlowSpot(&at, 0.4f, 60);
  }
  if (start(250, 257)) Blast(23, -20.0f, 0.0f, -300.0f, 50.0f, true);
  if (timer.Window(250, 257)) FlyingBlast();
  if (start(260, 300)) Burn(23, 50, 1);
  if (timer.Window(260, 300)) GlowScale(timer.GetRatio());
  if (start(332, 339)) Blast(5, -10.0f, 40.0f, -100.0f, 300.0f, true);
  if (timer.Window(332, 339)) FlyingBlast();
  if (start(342, 380)) Burn(5, 60, 1);
  if (timer.Window(342, 380)) GlowScale(timer.GetRatio());
  if (start(460, 650)) Burn(15, 200, 3);
  if (timer.Window(460, 650)) GlowScale(timer.GetRatio());
  if (start(650, 657)) {
    BossSe(14, 65536);
    BossSe(25, 65536);
    BossSe(33, 61440);
    for (int32_t n : {46, 58}) {
      const SVec4 p = Point(n);
      EfxBurstE(&p, 1.0f, true);
    }
    const SVec4 s = Point(15);
    for (int i = 0; i < 4; ++i) blastStart[i] = (&s.x)[i];
    const SVec4 heart = Point(kHeart);
    EfxGlowSpot(&heart, 1.0f, 220);
    timer.NextPhase();
  }
  if (timer.Window(650, 657)) {
    const float r = timer.GetRatio();
    const SVec4 up{blastStart[0], blastStart[1] - 300.0f * std::sin((r + 0.1f) * kPi / 2.0f), blastStart[2], 1.0f};
    EfxBurstE(&up, (Ease(r) + 1.0f) / 2.0f, true);
    EfxProc::SpawnB(this, &up, 1.25f, 20, false);
    for (float side : {-200.0f, 200.0f}) {
      const SVec4 p{blastStart[0] + side * EaseIn(r), blastStart[1] - 150.0f * EaseIn(r), blastStart[2], 1.0f};
      EfxBurstE(&p, 1.0f, true);
    }
  }
  if (timer.Window(660, 800)) {
    // The wreck spins and swells, shaking, then shrinks again.
    const float r = timer.GetRatio();
    if (count == 700 || count == 720) BossSe(34, 61440);
    SMatrix* m = &savedRoot;
    const float t[3] = {m->m[3][0], m->m[3][1], m->m[3][2]};
    GetSharedMatrix(m, 1);
    m->m[3][0] = t[0], m->m[3][1] = t[1], m->m[3][2] = t[2];
    MatrixApplyRotY(m, 0.625f + 0.625f * std::cos(kPi * r));
    MatrixRotateX(m, 0.8f + 0.7f * std::cos(kPi * r));
    const float s = 1.65f - 1.35f * std::cos(kTwoPi * r);
    const float u1 = U();
    const float u2 = U();
    const float u3 = U();
    SMatrix::Scale(m, m, s + 0.25f * s * u2, s + 0.25f * s * u1, s + 0.25f * s * u3);
    offset[0] = 10.0f * U();
    offset[1] = 10.0f * U() - (80.0f - 50.0f * std::cos(kTwoPi * r)) - 50.0f;
    offset[2] = (1.0f - std::cos(kTwoPi * r)) * 50.0f + 10.0f * U();
    glow.SetScale(0.25f - 0.25f * r, 0.75f - 0.5f * r, 0.25f - 0.25f * r);
    for (int32_t n : {60, 66})
      if (SGpNode* node = GetNode(n)) {
        const float d1 = U();
        const float d2 = U();
        const float d3 = U();
        MakeRotationXYZ(node->GetLocal(), node->GetLocal(), 0.2f * d2, 0.2f * d1, 0.2f * d3);
      }
    MatrixApplyRotY(m, 0.001f * U());
    MatrixRotateZ(m, 0.001f * U());
  }
  if (timer.Window(660, 780)) {
    SVec4 p = Point(kHeart);
    p.x += 100.0f * U();
    p.y += 100.0f * U();
    EfxGlowSpot(&p, 0.5f, 20);
  }
  if (start(800, 805)) {
    BossSe(23, 61440);
    SMatrix m;
    GetSharedMatrix(&m, 1);
    MatrixRotateX(&m, -0.025f);
    const SVec4 p = Point(kHeart);
    m.m[3][0] = p.x, m.m[3][1] = p.y, m.m[3][2] = p.z;
    EfxProc::SpawnA(this, &m);
    timer.NextPhase();
  }
  if (timer.Window(800, 805)) {
    const float radius = 290.0f * Ease(timer.GetRatio()) + 10.0f;
    const SVec4 p = Point(kHeart);
    for (int i = 0; i < 8; ++i) {
      const float a = 0.125f * float(i) * kTwoPi;
      // Both offsets follow the cosine: the eight glows lie along a slanted
      // line through the heart, y stretched by 1.25.
      const SVec4 at{p.x + radius * std::cos(a), p.y + 1.25f * radius * std::cos(a), p.z, 1.0f};
      EfxGlowSpot(&at, 1.0f, 60);
    }
  }
  if (start(kRailFrame, 860)) {
    // The arena's loop let go, the rail on to the end of the arena.
    g_MapMng.armed = 0;
    g_MapMng.SetSection(0, kRailTo);
  }
  if (timer.Window(0, 249)) {
    const float s = 1.0f - 0.75f * Ease(timer.GetRatio());
    offset[0] = U() * s * 5.0f;
    offset[1] = U() * s * 10.0f;
  }
  if (timer.Window(250, 659)) {
    const float s = 1.0f - 0.75f * EaseIn(timer.GetRatio());
    offset[0] = U() * s * 5.0f;
    offset[1] = U() * s * 10.0f;
  }
  if (timer.Window(601, 659)) offset[1] = (1.0f - std::cos(timer.GetRatio() * kPi)) * -30.0f;
  if (timer.Window(0, 659)) offset[1] -= (1.0f - std::cos(10.0f * kPi * timer.GetRatio())) * 5.0f;
  if (count == kLastFrame) {
    // The show is over: the companion ends, and the boss with it.
    Kill(0);
    if (SProc* boss = GetParent()) boss->Kill(0);
    return;
  }
  // Tail: the wreck's matrix (moved by the offset) back on its root, and
  // the parts blown off so far hidden.
  if (SGpNode* root = owner != nullptr ? owner->GetRootNode() : nullptr) {
    SMatrix m = savedRoot;
    for (int i = 0; i < 3; ++i) m.m[3][i] += offset[i];
    *root->GetLocal() = m;
  }
  const int32_t phase = timer.GetPhase();
  if (phase == 5) {
    glow.Remove();
    ClearNodePackets();
    timer.NextPhase();
  }
  if (phase == 4)
    for (int32_t n : kCoreNodes) Scale(n, 0.0f);
  if (phase >= 3 && phase <= 4) Scale(5, 0.0f);
  if (phase >= 2 && phase <= 4) Scale(23, 0.0f);
  if (phase >= 1 && phase <= 4) Scale(17, 0.0f);
  timer.Tick();
}
