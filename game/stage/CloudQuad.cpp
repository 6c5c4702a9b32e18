#include "game/stage/CloudQuad.h"

#include <cmath>

#include "game/core/Game.h"
#include "game/core/GameMath.h"
#include "game/stage/MapMng.h"
#include "game/stage/RangeTable.h"
#include "game/tables/image_slots.h"
#include "platform/crt_rand.h"
#include "vrax/graphic/SGpMan.h"
#include "vrax/resource/SRsc_Image.h"

namespace {

constexpr float kTwoPi = 6.2831855f;
// The float nearest 1/32767: rand() times it runs from 0 to 1.
constexpr float kRandScale = 1.0f / 32767.0f;

float Draw01() { return float(plat::Rand()) * kRandScale; }

// The direction (x, y, z, 0) moved by m (no translation).
SVec3 TurnVector(const SVec3& v, const SMatrix& m) {
  SVec3 out;
  out.x = v.x * m.m[0][0] + v.y * m.m[1][0] + v.z * m.m[2][0];
  out.y = v.x * m.m[0][1] + v.y * m.m[1][1] + v.z * m.m[2][1];
  out.z = v.x * m.m[0][2] + v.y * m.m[1][2] + v.z * m.m[2][2];
  return out;
}

// The rotation by `turns` about a unit axis (row-vector convention).
SMatrix AxisRotation(const SVec3& a, float turns) {
  const float c = std::cos(turns * kTwoPi), s = std::sin(turns * kTwoPi), t = 1.0f - c;
  SMatrix m = kIdentityMatrix;
  m.m[0][0] = t * a.x * a.x + c, m.m[0][1] = t * a.x * a.y + s * a.z, m.m[0][2] = t * a.x * a.z - s * a.y;
  m.m[1][0] = t * a.x * a.y - s * a.z, m.m[1][1] = t * a.y * a.y + c, m.m[1][2] = t * a.y * a.z + s * a.x;
  m.m[2][0] = t * a.x * a.z + s * a.y, m.m[2][1] = t * a.y * a.z - s * a.x, m.m[2][2] = t * a.z * a.z + c;
  return m;
}

}  // namespace

int32_t FindCloudRange(const float* table, float t) { return FindRangeIndex(table, t); }

int32_t CloudQuad::Init(SProcArg arg) {
  SetName("CloudQuad");
  for (Cloud& c : clouds_) c = Cloud{};
  driftX_ = driftZ_ = moveX_ = moveY_ = 0.0f;
  aliveCount_ = ring_ = 0;
  timer_ = 0.0f;
  quad_.AllocVertices(4);
  const float corners[4][4] = {{-100, -100, 0, 0}, {100, -100, 1, 0}, {-100, 100, 0, 1}, {100, 100, 1, 1}};
  for (const auto& v : corners) {
    quad_.SetPos(v[0], v[1], -25.0f);
    quad_.SetUV(v[2], v[3]);
    quad_.SetColour(1.0f, 1.0f, 1.0f, 0.5f);
    quad_.Next();
  }
  quad_.EndStrip();
  if (const auto* a = reinterpret_cast<const CloudQuadArgs*>(arg)) {
    stage_ = a->stage;
    tables_[0] = a->table0;
    tables_[1] = a->table1;
    mode_ = uint8_t(a->flags & 0xFF);
    billboard_ = uint8_t((a->flags >> 8) & 0xFF);
    life_ = a->life;
    z_ = a->z;
  }
  SetInitResult(0);
  return 0;
}

void CloudQuad::UpdateByDistance(int32_t flag, float d) {
  // Values of the stage: the second stage's clouds live longer further on;
  // the fourth's are spawned at depth 90 up to rail position 2700 (edge
  // included) and at -120 beyond it.
  if (stage_ == 2) life_ = d >= (flag == 0 ? 1602.0f : 2000.0f) ? 1000.0f : 300.0f;
  if (stage_ == 4) z_ = d <= 2700.0f ? 90.0f : -120.0f;
}

int32_t CloudQuad::Main(SProcArg) {
  const MapMng& map = g_MapMng;
  const int32_t p = map.currentPath;
  const float v = map.speed, t = map.t;
  UpdateByDistance(p == 0 ? 0 : 1, t);
  if (mode_ == 1) {
    Game* game = GetGame();
    SMatrix camera = game != nullptr ? game->FixedView() : kIdentityMatrix;
    camera.m[3][0] = camera.m[3][1] = 0.0f;
    const SMatrix current = game != nullptr ? game->StageCamera() : kIdentityMatrix;
    SMatrix::Multiply(&view_, &current, &camera);
    const SVec3 drift = TurnVector(SVec3{driftX_, driftZ_, 0.0f}, view_);
    moveX_ = drift.x, moveY_ = drift.y;
    // The clouds roll about the view's depth axis.
    const SVec3 depth{0.0f, 0.0f, 1.0f};
    SVec3 axis = TurnVector(depth, view_);
    NormalizeVec3(&axis_, &axis);
  } else {
    moveX_ = driftX_, moveY_ = driftZ_;
  }
  for (Cloud& c : clouds_) {
    if (c.alive == 0) continue;
    if (c.life > 0.0f) {
      c.x += v * moveX_;
      c.y += v * moveY_;
      c.life -= v;
    } else {
      c.alive = 0;
      --aliveCount_;
    }
  }
  const float* table = tables_[p == 0 ? 0 : 1];
  if (table == nullptr) return 0;
  const int32_t i = FindCloudRange(table, t);
  if (i < 0) {
    timer_ = 0.0f;
    return 0;
  }
  const float* a = table + size_t(i) * kEntryFloats;
  const float* b = a + 12;
  // An entry whose ends are equal stands at its from values.
  const float f = b[0] != a[0] ? (t - a[0]) / (b[0] - a[0]) : 0.0f;
  auto lerp = [f, a, b](int k) { return a[k] + (b[k] - a[k]) * f; };
  driftX_ = lerp(1), driftZ_ = lerp(2), driftFactor_ = lerp(3);
  for (int k = 0; k < 4; ++k) colour_[k] = lerp(4 + k);
  carried_ = lerp(8);
  startY_ = a[9];
  interval_ = lerp(10);
  rotation_ = lerp(11);
  timer_ -= v;
  if (timer_ <= 0.0f) Spawn();
  return 0;
}

void CloudQuad::Spawn() {
  if (aliveCount_ >= kClouds) return;
  const int i = ring_;
  Cloud& c = clouds_[i];
  const float r = float(plat::Rand());
  c.scale = 2.0f * r * kRandScale + 1.0f;
  if (mode_ == 0) {
    c.x = (Draw01() - 0.5f) * 480.0f;
    c.y = startY_ - c.scale * 100.0f;
  } else {
    SVec3 d{driftX_, driftZ_, 0.0f}, n;
    NormalizeVec3(&n, &d);
    const SVec3 dir = TurnVector(n, view_);
    const float side = Draw01() - 0.5f < 0.0f ? -0.25f : 0.25f;
    SMatrix turn;
    RotateZ(&turn, &kIdentityMatrix, side);
    SVec3 s = TurnVector(TurnVector(dir, turn), view_);
    NormalizeVec3(&s, &s);
    const float dist = Draw01();
    c.x = -driftFactor_ * dir.x + dist * 320.0f * s.x;
    c.y = -driftFactor_ * dir.y + dist * 320.0f * s.y;
  }
  c.z = z_;
  // A slot still in use is taken over without counting it twice.
  if (c.alive == 0) ++aliveCount_;
  c.alive = 1;
  c.life = life_;
  ring_ = (i + 1) % kClouds;
  timer_ = (Draw01() - 0.5f) * 10.0f + interval_;
}

int32_t CloudQuad::Draw(SProcArg) {
  if (aliveCount_ <= 0) return 0;
  Game* game = GetGame();
  if (ImgEfx11 != nullptr && ImgEfx11->IsSettled()) ImgEfx11->GetTexturePacket(0)->Enter(kDrawKey);
  // The view the clouds are drawn with is that of their draw layer, which
  // the Game rebuilds every frame: changing it here lasts for this frame.
  SMatrix inverse = kIdentityMatrix;
  if (game != nullptr) {
    SGpState_View& view = game->LayerView(kDrawKey);
    if (mode_ == 0) {
      view.SetMatrix(game->FixedView());
    } else if (rotation_ != 0.0f) {
      const SMatrix turn = AxisRotation(axis_, rotation_);
      SMatrix::Multiply(&view.GetMatrix(), &turn, &view.GetMatrix());
    }
    if (billboard_ != 0) SMatrix::Inverse(&inverse, nullptr, &view.GetMatrix());
  }
  quad_.SeekVertex(0);
  for (int k = 0; k < 4; ++k) {
    quad_.SetColour(colour_);
    quad_.Next();
  }
  for (int i = 0; i < kClouds; ++i) {
    const Cloud& c = clouds_[i];
    if (c.alive == 0) continue;
    SMatrix& m = packets_[i].GetMatrix();
    m = billboard_ != 0 ? inverse : kIdentityMatrix;
    m.m[3][0] = c.x, m.m[3][1] = c.y, m.m[3][2] = c.z, m.m[3][3] = 1.0f;
    SMatrix::Scale(&m, &m, c.scale, c.scale, c.scale);
    packets_[i].Enter(kDrawKey);
    quad_.Enter(kDrawKey);
  }
  return 0;
}
