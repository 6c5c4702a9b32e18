#include "game/stage/Cloud.h"

#include <algorithm>
#include <cmath>

#include "game/core/Game.h"
#include "game/effect/EfxMath.h"
#include "game/stage/MapMng.h"
#include "game/tables/effect_tables.h"
#include "game/tables/scene_tables.h"
#include "platform/crt_rand.h"
#include "vrax/graphic/SGpMan.h"
#include "vrax/graphic/SGpRect.h"
#include "vrax/resource/SRscMan.h"

namespace {

constexpr float kPi = 3.14159265f;
constexpr float kTwoPi = 6.2831855f;
// The puff colour of stage 1's clouds.
constexpr float kPuffColour[3] = {0.5882353f, 0.372549f, 0.1921569f};

float RandU() { return float(plat::Rand()) / 32767.0f; }

float Fraction(float v) { return v - std::trunc(v); }

bool Loaded() {
  const SRscMan* rsc = GetRscMan();
  return rsc == nullptr || rsc->GetLoaded() != 0;
}

void SetDefaultKey(int32_t key) {
  if (SGpMan* gp = GetGpMan()) gp->SetDefaultKey(key);
}

void EnterTexture(const SGpRect& part) {
  if (SGpState_Texture* t = part.GetTexture()) t->EnterDefault();
}

}  // namespace

int32_t Cloud::Init(SProcArg) {
  SetName("Cloud");
  static constexpr float kWhite[4] = {1.0f, 1.0f, 1.0f, 1.0f};
  weightA_ = weightB_ = 1.0f;
  v_ = s_ = 0.65f;
  e_ = 20.0f;
  length_ = counter_ = step_ = 0;
  fadingIndex_ = 0;
  fading_ = 0;
  veilShown_ = 0;
  if (stage_ == 1) {
    planeA_.Setup(&SprStg01Fog[0], 15, 15, 3072, 3072);
    planeB_.Setup(&SprStg01Fog[0], 15, 15, 3072, 3072);
    planeA_.world.m[3][2] = -1500.0f;
    planeB_.world.m[3][2] = -1501.0f;
    planeB_.Advance(1331.2f, 1331.2f);
    planeA_.ApplyAll(kWhite);
    planeB_.ApplyAll(kWhite);
    puffQuad_.AllocVertices(4);
    puffQuad_.SeekVertex(0);
    static constexpr float kCorners[4][4] = {{-1, -1, 0, 0}, {1, -1, 1, 0}, {-1, 1, 0, 1}, {1, 1, 1, 1}};
    for (const auto& c : kCorners) {
      puffQuad_.SetPos(c[0], c[1], 0.0f);
      puffQuad_.SetUV(c[2], c[3]);
      puffQuad_.SetColour(kPuffColour[0], kPuffColour[1], kPuffColour[2], 0.5f);
      puffQuad_.Next();
    }
    puffQuad_.EndStrip();
    puffAlpha_ = 0.5f;
    PlacePuffs();
  } else {
    planeA_.Setup(&SprEfx11[0], 15, 15, 3072, 3072);
    planeB_.Setup(&SprEfx11[0], 15, 15, 3072, 3072);
    planeA_.world.m[3][2] = -1000.0f;
    planeB_.world.m[3][2] = -1001.0f;
    planeB_.Advance(1536.0f, 1536.0f);
    planeA_.ApplyAll(kWhite);
    planeB_.ApplyAll(kWhite);
    veil_.Setup(&SprEfx11[0], 15, 15, 1024, 1024);
    static constexpr float kClear[4] = {1.0f, 1.0f, 1.0f, 0.0f};
    veil_.ApplyAll(kClear);
    veilAlpha_ = 0.0f;
  }
  SetInitResult(0);
  return 0;
}

void Cloud::PlacePuffs() {
  // 25 puffs on a wide ring, then 15 on a narrower one; each draws u for
  // its radius, its depth and its size, in that order.
  struct Ring {
    int count;
    float step, radiusSpread, radiusCentre;
  };
  static constexpr Ring kRings[2] = {{25, 0.012222222f, 6000.0f, 3000.0f}, {15, 0.033333335f, 5000.0f, 1000.0f}};
  int i = 0;
  for (const Ring& ring : kRings) {
    float a = 1.0f / 24.0f;
    for (int k = 0; k < ring.count; ++k, ++i) {
      const float r = (RandU() - 0.5f) * ring.radiusSpread + ring.radiusCentre;
      const float z = RandU() * 500.0f - 1200.0f;
      puffSize_[i] = RandU() * 700.0f + 500.0f;
      puffPos_[i] = SVec3{r * std::cos(a * kTwoPi), r * std::sin(a * kTwoPi), z};
      a -= ring.step;
    }
  }
}

int32_t Cloud::Main(SProcArg) {
  ++counter_;
  if (stage_ == 1)
    MainStage1();
  else
    MainStage3();
  return 0;
}

void Cloud::MainStage1() {
  const float before = v_;
  const bool ended = length_ > 0 && counter_ >= length_;
  switch (step_) {
    case 0:
      if (static_cast<int32_t>(g_MapMng.t) == 1) {
        counter_ = 0;
        length_ = 290;
      } else if (ended) {
        weightA_ = weightB_ = 1.0f;
        counter_ = 0;
        length_ = 100;
        s_ = v_;
        e_ = std::trunc(v_) + 5.0f;
        step_ = 1;
      }
      break;
    case 1: {
      const float w = 1.0f - std::cos(float(counter_) / float(length_) * (kPi / 2.0f));
      v_ = s_ + (e_ - s_) * w;
      puffAlpha_ = 0.5f - 0.5f * w;
      if (counter_ >= length_) {
        NextSegment(2, 160, before, 10.5f);
        weightA_ = weightB_ = 1.0f;
      }
      break;
    }
    case 2:
      v_ = s_ + (e_ - s_) * float(counter_) / float(length_);
      if (counter_ >= length_) {
        fadingIndex_ = 1;
        NextSegment(3, 80, before, 4.5f);
        weightA_ = weightB_ = 1.0f;
        fading_ = 1;
      }
      break;
    case 3:
      v_ = s_ + (e_ - s_) * float(counter_) / float(length_);
      if (counter_ >= length_) {
        weightA_ = 0.0f;
        weightB_ = 1.0f;
        fading_ = 0;
        NextSegment(-1, 60, before, 0.5f);
      }
      break;
    default: break;
  }
}

void Cloud::NextSegment(int32_t step, int32_t length, float before, float span) {
  // The phase's fraction runs on: the new segment starts from what v grew in
  // this frame.
  step_ = step;
  counter_ = 0;
  length_ = length;
  s_ = v_ - before;
  e_ = s_ + span;
}

void Cloud::DrawPlane(ScrollLayer& plane, float weight, float u, bool first, float depthSpan) {
  if (weight == 0.0f) return;
  BlendPresets[weight == 1.0f ? 0 : 1].EnterDefault();
  const float f = 512.0f / ((1200.0f - u * depthSpan) + 512.0f);
  SMatrix& m = plane.world;
  SMatrix::Identity(&m);
  m.m[3][2] = first ? -1501.0f : -1500.0f;
  SMatrix::Scale(&m, &m, f, f, 0.0f);
  const float colour[4] = {1.0f, 1.0f, 1.0f, weight};
  plane.ApplyAll(colour);
  plane.EnterDefault();
}

void Cloud::DrawStage1() {
  drawnA_ = drawnB_ = 0.0f;
  if (g_MapMng.t > 800.0f || g_MapMng.currentPath != 0) return;
  if (step_ >= 1 || (step_ == 0 && Loaded())) {
    SetDefaultKey(kPlaneKey);
    EnterTexture(SprStg01Fog[0]);
    const float a = Fraction(v_), b = Fraction(v_ + 0.5f);
    const float ease = float(std::min(float(counter_ + 10) / float(std::max(length_, 1)), 1.0f));
    if (a <= b) {
      if (fading_ != 0 && fadingIndex_ != 0) {
        weightA_ = 1.0f - ease;
        fadingIndex_ = 0;
      }
      const float wa = fading_ != 0 ? std::sin(a * (kPi / 2.0f)) * weightA_ : weightA_;
      const float wb = weightB_ * (1.0f - a);
      DrawPlane(planeA_, wa, a, true, 1210.0f);
      DrawPlane(planeB_, wb, b, false, 1210.0f);
      drawnA_ = wa, drawnB_ = wb, aFirst_ = 1;
    } else {
      if (fading_ != 0 && fadingIndex_ != 1) {
        weightB_ = 1.0f - ease;
        fadingIndex_ = 1;
      }
      const float wb = fading_ != 0 ? std::sin(b * (kPi / 2.0f)) * weightB_ : weightB_;
      const float wa = weightA_ * (1.0f - b);
      DrawPlane(planeB_, wb, b, true, 1210.0f);
      DrawPlane(planeA_, wa, a, false, 1210.0f);
      drawnA_ = wa, drawnB_ = wb, aFirst_ = 0;
    }
  }
  // The puffs face the camera: the inverse of its view, at their places.
  const Game* game = GetGame();
  SMatrix facing = kIdentityMatrix;
  if (game != nullptr) SMatrix::Inverse(&facing, nullptr, &const_cast<Game*>(game)->StageCamera());
  EnterTexture(SprEfx11[1]);
  if (g_MapMng.t >= 400.0f) return;
  puffQuad_.SeekVertex(0);
  for (int k = 0; k < 4; ++k) {
    puffQuad_.SetColour(kPuffColour[0], kPuffColour[1], kPuffColour[2], puffAlpha_);
    puffQuad_.Next();
  }
  for (int i = 0; i < kPuffs; ++i) {
    SMatrix& m = puffPackets_[i].GetMatrix();
    m = facing;
    m.m[3][0] = puffPos_[i].x, m.m[3][1] = puffPos_[i].y, m.m[3][2] = puffPos_[i].z, m.m[3][3] = 1.0f;
    SMatrix::Scale(&m, &m, puffSize_[i], puffSize_[i], puffSize_[i]);
    puffPackets_[i].Enter(kPuffKey);
    puffQuad_.Enter(kPuffKey);
  }
}

void Cloud::MainStage3() {
  const float before = v_;
  const bool ended = length_ > 0 && counter_ >= length_;
  switch (step_) {
    case 0:
      if (Loaded() && g_MapMng.t == 1.0f) {
        step_ = 1;
        weightA_ = weightB_ = 1.0f;
        s_ = v_;
        length_ = 300;
        e_ = std::trunc(v_) + 5.0f;
        counter_ = 0;
      }
      break;
    case 1:
      v_ = s_ + (e_ - s_) * (1.0f - std::cos(float(counter_) / float(length_) * (kPi / 2.0f)));
      planeA_.Advance(386.0f, -320.0f);
      planeB_.Advance(386.0f, -320.0f);
      if (ended) {
        NextSegment(2, 60, before, 0.5f);
        weightA_ = 0.0f;
        weightB_ = 1.0f;
      }
      break;
    case 2:
      v_ = s_ + (e_ - s_) * float(counter_) / float(length_);
      weightB_ = 1.0f - float(counter_) / float(length_);
      planeA_.Advance(386.0f, -320.0f);
      planeB_.Advance(386.0f, -320.0f);
      if (ended) {
        step_ = 3;
        length_ = 1;
        v_ = s_ = 0.65f;
        e_ = 0.5f;
        weightA_ = weightB_ = 0.0f;
        counter_ = 0;
      }
      break;
    default: break;
  }
  UpdateVeil();
}

void Cloud::UpdateVeil() {
  const float t = g_MapMng.t;
  const int32_t path = g_MapMng.currentPath;
  veilShown_ = 0;
  if (path == 0 && t >= 5300.0f && t <= 5745.0f) {
    veilShown_ = 1;
    SMatrix::Identity(&veilMatrix_);
    MatrixRotateX(&veilMatrix_, -0.05f);
    veilMatrix_.m[3][2] = -200.0f;
    veilSpeed_[0] = 0.0f;
    if (t <= 5500.0f) {
      const float k = (t - 5300.0f) * 0.005f;
      veilAlpha_ = 0.7f * k;
      veilSpeed_[1] = 60.0f + 40.0f * std::cos(k * kPi);
    } else if (t <= 5560.0f) {
      veilAlpha_ = 0.7f;
      veilSpeed_[1] = 20.0f;
    } else {
      const float k = (t - 5560.0f) / 185.0f;
      veilAlpha_ = 0.7f - 0.7f * k;
      veilSpeed_[1] = 60.0f - 40.0f * std::cos(k * kPi);
    }
  } else if (path == 1 && t >= 2000.0f && t <= 2600.0f) {
    veilShown_ = 1;
    SMatrix::Identity(&veilMatrix_);
    MatrixRotateX(&veilMatrix_, -0.05f);
    if (t < 2300.0f) {
      const float k = (t - 2000.0f) / 300.0f;
      veilAlpha_ = 0.7f * k;
      veilSpeed_[1] = 60.0f + 40.0f * std::cos(k * kPi);
      veilSpeed_[0] = t <= 2200.0f ? 15.0f + 15.0f * std::cos((t - 2000.0f) * kPi / 200.0f) : 0.0f;
    } else if (t == 2300.0f) {
      veilAlpha_ = 0.7f;
      veilSpeed_[0] = 0.0f;
      veilSpeed_[1] = 20.0f;
    } else {
      const float k = (t - 2300.0f) / 300.0f;
      veilAlpha_ = 0.7f - 0.7f * k;
      veilSpeed_[0] = t < 2450.0f ? (1.0f - std::cos(k * kPi)) * 5.0f : 5.0f + 5.0f * std::cos((t - 2450.0f) * kPi / 300.0f);
      veilSpeed_[1] = 60.0f - 40.0f * std::cos(k * kPi);
    }
  }
}

void Cloud::DrawStage3() {
  drawnA_ = drawnB_ = 0.0f;
  if (g_MapMng.t > 400.0f || g_MapMng.currentPath != 0) step_ = 3;
  if (step_ == 1 || step_ == 2 || (step_ == 0 && Loaded())) {
    SetDefaultKey(kPlaneKey);
    EnterTexture(SprEfx11[0]);
    const float a = Fraction(v_), b = Fraction(v_ + 0.5f);
    if (a <= b) {
      const float wa = weightA_, wb = weightB_ * (1.0f - 2.0f * a);
      DrawPlane(planeA_, wa, a, true, 1600.0f);
      DrawPlane(planeB_, wb, b, false, 1600.0f);
      drawnA_ = wa, drawnB_ = wb, aFirst_ = 1;
    } else {
      const float wa = weightA_ * (1.0f - 2.0f * b), wb = weightB_;
      DrawPlane(planeB_, wb, b, true, 1600.0f);
      DrawPlane(planeA_, wa, a, false, 1600.0f);
      drawnA_ = wa, drawnB_ = wb, aFirst_ = 0;
    }
  }
  if (veilShown_ == 0) return;
  // The veil: the screen matrix of the fixed screen layers followed by a
  // move to z -1300, seen through its own state packet, the view of its own
  // tilted matrix.
  const Game* game = GetGame();
  SMatrix back = kIdentityMatrix;
  back.m[3][2] = -1300.0f;
  SMatrix::Multiply(&veil_.world, game != nullptr ? &game->FixedView() : &kIdentityMatrix, &back);
  SetDefaultKey(kPlaneKey);
  veilView_.SetMatrix(veilMatrix_);
  veilView_.EnterDefault();
  BlendPresets[1].EnterDefault();
  EnterTexture(SprEfx11[0]);
  veil_.Advance(veilSpeed_[0], veilSpeed_[1]);
  const float colour[4] = {1.0f, 1.0f, 1.0f, veilAlpha_};
  veil_.ApplyAll(colour);
  veil_.EnterDefault();
}

int32_t Cloud::Draw(SProcArg) {
  if (stage_ == 1)
    DrawStage1();
  else
    DrawStage3();
  return 0;
}
