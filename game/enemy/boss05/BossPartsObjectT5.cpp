#include "game/enemy/boss05/BossPartsObjectT5.h"

#include <cmath>

#include "game/effect/EfxBursts.h"
#include "game/effect/EfxProc.h"
#include "game/effect/RandF.h"
#include "game/enemy/BossScript.h"
#include "game/stage/MapMng.h"

namespace {

constexpr float kPi = 3.1415927f;
constexpr float kHalfPi = 1.5707964f;
constexpr float kTwoPi = 6.2831855f;
constexpr int32_t kReadNodes[] = {5, 6, 9, 10, 11, 17, 0, 19, 21, 23, 3};

SVec4 Plus(const SVec4& p, float x, float y) { return SVec4{p.x + x, p.y + y, p.z, p.w}; }

}  // namespace

BossPartsObjectT5::BossPartsObjectT5(ModelInstance* model) : BossPartsObject(model) {
  static constexpr float kWhite[4] = {1.0f, 1.0f, 1.0f, 1.0f};
  ambient.Set(1.0f, 1.0f, 1.0f);
  push.SetColour(kWhite);
}

SVec4 BossPartsObjectT5::Point(int32_t n) {
  SGpNode* node = GetNode(n);
  const float* w = node != nullptr ? &node->GetWorld()->m[3][0] : nullptr;
  const float p[3] = {w != nullptr ? w[0] : 0.0f, w != nullptr ? w[1] : 0.0f, w != nullptr ? w[2] : 0.0f};
  float out[4];
  Project(out, p, 512.0f);
  return SVec4{out[0], out[1], out[2], out[3]};
}

void BossPartsObjectT5::Hide(int32_t n) {
  if (SGpNode* node = GetNode(n)) SMatrix::Scale(node->GetLocal(), node->GetLocal(), 0.0f, 0.0f, 0.0f);
}

int32_t BossPartsObjectT5::User(int32_t code, SProcArg) {
  if (code == kCodeInit) {
    SetName("BossPartsObjectT5");
    for (int32_t n : kReadNodes)
      if (SGpNode* node = GetNode(n)) node->SetKeepWorld(1);
    // The last blast is centred on the wreck: its top node's place.
    if (SGpNode* top = GetTopNode()) top->SetKeepWorld(1);
  }
  // The boss's draw resets its placement's turn before this draw step: the
  // wreck's shrink is applied after it, so that it is drawn.
  if (code == kCodeDraw)
    if (SGpNode* top = GetTopNode()) SMatrix::Scale(top->GetLocal(), top->GetLocal(), shrink, shrink, shrink);
  if (code == kCodeMain) Frame();
  return 0;
}

void BossPartsObjectT5::Arc(int32_t a, int32_t b, int32_t node, const float* towards, bool swing) {
  if (!timer.Window(a, b)) return;
  const float r = timer.GetRatio();
  if (timer.IsAtStart() != 0.0f) {
    BossSe(33);
    const SVec4 p = Point(node);
    arcStart[0] = p.x, arcStart[1] = p.y, arcStart[2] = p.z;
    for (int i = 0; i < 3; ++i) arcEnd[i] = arcStart[i] + towards[i];
  }
  const float e = 1.0f - std::cos(r * kHalfPi);
  const float d = arcEnd[0] - arcStart[0];
  const float x = swing ? arcStart[0] + d / 2.0f - d / 2.0f * std::cos(1.25f * r * kPi) : arcStart[0] + d * r;
  const SVec4 point{x, arcStart[1] + (arcEnd[1] - arcStart[1]) * e, arcStart[2] + (arcEnd[2] - arcStart[2]) * e, 1.0f};
  EfxProc::SpawnB(this, &point, 1.0f, 40, false);
  EfxProc::SpawnC(this, &point, 1.0f, 60, true);
}

void BossPartsObjectT5::Frame() {
  const int32_t c = timer.GetCount();
  if (timer.Window(0, 60)) {
    if (timer.IsAtStart() != 0.0f) {
      BossSe(14, 65536);
      BossSe(33);
      const SVec4 p = Point(17);
      EfxDrawRing(&p, 1.0f, false);
      for (int k = -5; k <= 5; ++k) {
        SMatrix m = kIdentityMatrix;
        m.m[3][0] = p.x, m.m[3][1] = p.y, m.m[3][2] = p.z;
        RotateZ(&m, &m, 0.3f + 0.03f * float(k));
        RotateX(&m, &m, 0.05f);
        EfxBurstB(&m, 18.0f, 2.0f, 0.9f, 1.0f, 4);
      }
    }
    if (c == 10) {
      const SVec4 p = Plus(Point(17), 0.0f, -20.0f);
      for (int k = -5; k <= 5; ++k) {
        SMatrix m = kIdentityMatrix;
        m.m[3][0] = p.x, m.m[3][1] = p.y, m.m[3][2] = p.z;
        RotateZ(&m, &m, 0.3f + 0.03f * float(k));
        RotateX(&m, &m, 0.05f);
        EfxProc::SpawnD(this, &m, 18.0f, 2.0f, 0.9f, 1.0f, 60, true);
      }
    }
  }
  if (timer.Window(60, 90)) {
    const int32_t m = c % 16;
    const int32_t node = m == 4 ? 21 : m == 8 ? 19 : m == 12 ? 23 : -1;
    if (node >= 0) {
      const SVec4 p = Plus(Point(node), -20.0f * RandF(), 50.0f);
      EfxProc::SpawnB(this, &p, 1.0f, 40, false);
    }
  }
  if (c == 80) timer.NextPhase();
  static constexpr float kArcA[3] = {200.0f, 40.0f, 200.0f}, kArcB[3] = {-50.0f, 80.0f, 200.0f};
  Arc(115, 125, 9, kArcA, false);
  if (c == 120) timer.NextPhase();
  Arc(140, 150, 17, kArcB, true);
  if (c == 145) timer.NextPhase();
  if (timer.Window(180, 300)) {
    const float r = timer.GetRatio();
    if (timer.IsAtStart() != 0.0f) {
      BossSe(15, 57344);
      BossSe(33);
    }
    if (c % 16 == 0) {
      const float s = 25.0f * (1.0f + 0.5f * std::cos(r * kPi)) - 12.5f;
      const float dx = s * RandFS();
      const float dy = s * RandFS() + 25.0f;
      const SVec4 p = Plus(Point(5), dx, dy);
      EfxProc::SpawnC(this, &p, 1.0f, 40, true);
      if (c < 250) EfxProc::SpawnB(this, &p, 1.0f, 40, false);
    }
  }
  if (timer.Window(200, 300)) {
    const float r = timer.GetRatio();
    SGpNode* core = GetNode(5);
    if (timer.IsAtStart() != 0.0f && core != nullptr) {
      core->AddPacketFront(&ambient);
      core->AddPacketFront(&push);
      core->AddPacket(&pop);
    }
    const float t = std::sin(r * kHalfPi);
    shrink = 1.0f - t;
    ambient.Set(0.5f - 0.25f * t, 0.5f + 0.5f * t, 0.5f - 0.5f * t);
    if (c % 4 == 0) {
      const SVec4 p = Point(5);
      EfxGlowSpot(&p, 0.045f + 0.045f * std::cos(1.75f * r * kPi), 40);
    }
  }
  if (c == 300) timer.NextPhase();
  if (timer.Window(340, 360)) {
    const float r = timer.GetRatio();
    if (timer.IsAtStart() != 0.0f) {
      BossSe(33);
      BossSe(34);
      SGpNode* top = GetTopNode();
      const float* w = top != nullptr ? &top->GetWorld()->m[3][0] : nullptr;
      const float p[3] = {w != nullptr ? w[0] : 0.0f, w != nullptr ? w[1] : 0.0f, w != nullptr ? w[2] : 0.0f};
      Project(arcStart, p, 512.0f);
      const SVec4 at{arcStart[0], arcStart[1], arcStart[2], 1.0f};
      for (float s : {0.25f, 0.5f, 1.5f}) EfxGlowSpot(&at, s, 30);
      arcStart[1] += 20.0f;
    }
    if (c % 2 == 1) {
      const float a0 = RandF();
      const float radius = 20.0f + 250.0f * r;
      for (int i = 0; i < 16; ++i) {
        const float a = a0 + float(i) / 16.0f;
        const SVec4 p{arcStart[0] + radius * std::cos(kTwoPi * a), arcStart[1] + radius * std::sin(kTwoPi * a),
                      arcStart[2], 1.0f};
        EfxProc::SpawnC(this, &p, 2.5f, 5, true);
      }
    }
  }
  if (timer.Window(340, kEndFrame) && timer.IsDone() != 0.0f) {
    // The arena loop is let go and the boss ends, this show with it.
    g_MapMng.armed = 0;
    if (SProc* boss = GetParent()) boss->Kill(0);
  }
  switch (timer.GetPhase()) {
    case 1: Hide(0); break;
    case 2: Hide(9), Hide(0); break;
    case 3: Hide(21), Hide(23), Hide(9), Hide(0); break;
    case 4:
      ClearNodePackets();
      timer.NextPhase();
      break;
    default: break;
  }
  timer.Tick();
}
