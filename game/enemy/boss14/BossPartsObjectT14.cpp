#include "game/enemy/boss14/BossPartsObjectT14.h"

#include <cmath>

#include "game/core/Game.h"
#include "game/effect/EfxBursts.h"
#include "game/effect/EfxMath.h"
#include "game/effect/EfxProc.h"
#include "game/effect/RandF.h"
#include "game/enemy/BossScript.h"
#include "game/enemy/BossSteps.h"

namespace {

constexpr float kPi = 3.1415927f;
constexpr float kHalfPi = 1.5707964f;

SVec4 Vec(float x, float y) { return SVec4{x, y, 0.0f, 1.0f}; }

void HideNode(SGpNode* n) {
  if (n == nullptr) return;
  SMatrix* m = n->GetLocal();
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 4; ++c) m->m[r][c] = 0.0f;
}

}  // namespace

int32_t BossPartsObjectT14::User(int32_t code, SProcArg) {
  RequestPresentSkip(7);
  if (code == kCodeInit) SetUp();
  if (code == kCodeMain) Frame();
  return 0;
}

int32_t BossPartsObjectT14::OnDispose(SProcArg arg) {
  core.Remove();
  return BossPartsObject::OnDispose(arg);
}

void BossPartsObjectT14::SetUp() {
  static constexpr int32_t kTracked[] = {5, 3, 30, 36, 8, 14, 20, 21, 22, 25, 26, 27};
  for (int32_t n : kTracked)
    if (SGpNode* node = GetNode(n)) node->SetKeepWorld(1);
  if (SGpNode* top = GetTopNode()) top->SetKeepWorld(1);
  core.Hang(GetNode(kCore));
  core.SetScale(0.5f, 0.5f, 0.5f);
  if (owner != nullptr && owner->GetRootNode() != nullptr) savedRoot = *owner->GetRootNode()->GetLocal();
}

void BossPartsObjectT14::ChainExplosion(float r) {
  BossSe(14, 65536);
  float p[4];
  NodePoint(p, kCore);
  p[0] += (RandF() - 0.5f) * 100.0f;
  p[1] += (RandF() - 0.5f) * 30.0f - (1.0f - std::cos(r * kHalfPi)) * 130.0f + 90.0f;
  const SVec4 at = Vec(p[0], p[1]);
  if (RandF() <= 0.5f) {
    EfxBurstF(&at, 0.9f, true);
    BossSe(33);
  } else {
    EfxBurstE(&at, 1.5f, false);
  }
  const float rootX = savedRoot.m[3][0];
  shakeTarget[0] += ((RandF() - 0.5f) * 20.0f - rootX - shakeTarget[0]) * 0.05f;
  shakeTarget[1] += (0.0f - shakeTarget[1]) * 0.05f;
}

void BossPartsObjectT14::PartFlight(float r) {
  const float s = std::sin(r * kHalfPi);
  const float c = 1.0f - std::cos(r * kHalfPi);
  const SVec4 at{blastStart[0] + (blastEnd[0] - blastStart[0]) * c, blastStart[1] + (blastEnd[1] - blastStart[1]) * s,
                 blastStart[2] + (blastEnd[2] - blastStart[2]) * s, 1.0f};
  EfxBurstE(&at, (s + 1.0f) * 0.5f, true);
  EfxProc::SpawnB(this, &at, 1.25f, 10, false);
}

void BossPartsObjectT14::Frame() {
  const int32_t count = timer.GetCount();
  if (timer.Window(0, 20)) {
    const float r = timer.GetRatio();
    if (r == 0.0f) {
      BossSe(14, 65536);
      BossSe(33);
      float p[4];
      NodePoint(p, kFirstBurst);
      const SVec4 at = Vec(p[0], p[1] + 20.0f);
      EfxBurstE(&at, 1.25f, true);
      EfxGlowSpot(&at, 1.0f, 40);
      shakeTarget[1] = 100.0f;
    }
    offset[1] = shakeTarget[1] * std::sin(r * kHalfPi);
  }
  if (timer.Window(20, 280)) {
    const float r = timer.GetRatio();
    // Certain on every 60th frame; otherwise one draw decides.
    if (count % 60 == 0 || RandF() <= 0.2f * std::sin(r * kHalfPi)) ChainExplosion(r);
    const float s = 0.5f - (1.0f - std::cos(r * kPi)) * 0.25f;
    core.SetScale(s, s, s);
    offset[0] += (shakeTarget[0] - offset[0]) * 0.1f;
    offset[1] += (shakeTarget[1] - offset[1]) * 0.1f;
  }
  if (timer.Window(230, 237)) {
    if (timer.GetRatio() == 0.0f) {
      BossSe(14, 65536), BossSe(25, 65536), BossSe(33);
      NodePoint(blastStart, kLeftPart);
      blastStart[0] -= 20.0f;
      for (int i = 0; i < 4; ++i) blastEnd[i] = blastStart[i];
      blastEnd[0] -= 300.0f, blastEnd[1] -= 100.0f;
      timer.NextPhase();
    }
    PartFlight(timer.GetRatio());
  }
  if (timer.Window(250, 257)) {
    if (timer.GetRatio() == 0.0f) {
      BossSe(14, 65536), BossSe(25, 65536), BossSe(33);
      NodePoint(blastStart, kRightPart);
      blastStart[0] += 20.0f;
      for (int i = 0; i < 4; ++i) blastEnd[i] = blastStart[i];
      blastEnd[0] += 300.0f, blastEnd[1] -= 100.0f;
      timer.NextPhase();
    }
    PartFlight(timer.GetRatio());
  }
  if (timer.Window(300, 307)) {
    const float r = timer.GetRatio();
    if (r == 0.0f) {
      BossSe(14, 65536), BossSe(15, 57344), BossSe(25, 65536), BossSe(33);
      NodePoint(blastStart, kCore);
      const SVec4 at = Vec(blastStart[0], blastStart[1]);
      EfxBurstE(&at, 1.0f, true);
      timer.NextPhase();
    }
    const float s = std::sin(r * kHalfPi), c = 1.0f - std::cos(r * kHalfPi);
    const float size = (s + 1.0f) * 0.5f;
    const SVec4 up = Vec(blastStart[0], blastStart[1] - 300.0f * std::sin((r + 0.1f) * kHalfPi));
    EfxBurstF(&up, size, true);
    EfxProc::SpawnB(this, &up, 1.25f, 20, false);
    const SVec4 left = Vec(blastStart[0] - 200.0f * c, blastStart[1] - 150.0f * c);
    const SVec4 right = Vec(blastStart[0] + 200.0f * c, blastStart[1] - 150.0f * c);
    EfxBurstE(&left, size, true);
    EfxBurstE(&right, size, true);
  }
  if (count == 310) {
    float p[4];
    NodePoint(p, kLastPart);
    const SVec4 at = Vec(p[0], p[1] + 10.0f);
    EfxProc::SpawnC(this, &at, 1.0f, 60, true);
  }
  if (timer.Window(320, 340) && count % 2 == 0) {
    const float r = timer.GetRatio();
    const float s = 0.01f - 0.02f * std::cos(1.75f * kPi * r) + 0.02f;
    float p[4];
    NodePoint(p, kLastPart);
    const float x = p[0] + (RandF() - 0.5f) * s * 80.0f;
    const float y = p[1] + (RandF() - 0.5f) * s * 80.0f;
    const SVec4 at = Vec(x, y);
    EfxGlowSpot(&at, s, 10);
  }
  if (timer.Window(340, kVanish)) {
    const float r = timer.GetRatio();
    offset[1] += 0.5f * std::sin(r * kHalfPi);
    offset[2] += 0.75f * std::sin(r * kHalfPi);
    if (r == 1.0f) {
      BossSe(23);
      SMatrix m = kIdentityMatrix;
      MatrixRotateX(&m, -0.05f);
      float p[4];
      NodePoint(p, kCore);
      m.m[3][0] = p[0], m.m[3][1] = p[1] + 40.0f, m.m[3][2] = 0.0f;
      EfxProc::SpawnA(this, &m);
      timer.NextPhase();
    }
  }
  if (count == kBeaten)
    if (Game* game = GetGame()) game->SendEvent(Game::kEventStageClear, 0);
  if (owner != nullptr && owner->GetRootNode() != nullptr) {
    SMatrix* root = owner->GetRootNode()->GetLocal();
    *root = savedRoot;
    for (int i = 0; i < 3; ++i) root->m[3][i] += offset[i];
  }
  HideParts();
  timer.Tick();
}

void BossPartsObjectT14::HideParts() {
  switch (timer.GetPhase()) {
    case 4:
      core.Remove();
      ClearNodePackets();
      timer.NextPhase();
      break;
    case 3:
      HideNode(GetNode(kHiddenThird));
      [[fallthrough]];
    case 2:
      HideNode(GetNode(kHiddenSecond));
      [[fallthrough]];
    case 1:
      HideNode(GetNode(kHiddenFirst));
      break;
    default:
      break;
  }
}
