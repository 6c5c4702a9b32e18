#include "game/effect/ShadowPacket.h"

#include <cmath>

#include "vrax/graphic/SGpMan.h"

ShadowPacket::~ShadowPacket() { RemoveCasters(); }

void ShadowPacket::Bind(SGpNode* node) {
  if (node != nullptr) node->SetKeepWorld(1);
  node_ = node;
  SMatrix::Identity(&plane_);
}

ShadowCaster* ShadowPacket::AddCaster(SGpNode* node) {
  if (node == nullptr) return nullptr;
  if (pool_.Capacity() == 0) pool_.Init(kCasters);
  ShadowCaster* c = pool_.Acquire();
  if (c == nullptr) return nullptr;
  casters_.PushBack(c);
  node->SetKeepWorld(1);
  c->matrix = node->GetWorld();
  c->size = 32.0f;
  return c;
}

void ShadowPacket::RemoveCasters() {
  while (SObject* o = casters_.HeadObj()) static_cast<ShadowCaster*>(o)->Release(1);
}

SVec3 ShadowPacket::Normal() const {
  // (0, 0, -1) as a direction through M: the plane's normal, unmoved by its
  // translation.
  return SVec3{-plane_.m[2][0], -plane_.m[2][1], -plane_.m[2][2]};
}

bool ShadowPacket::Projection(SMatrix* s) const {
  const SVec3 u = Normal();
  const SVec3 l{direction_.x, direction_.y, direction_.z};
  const SVec3 p{plane_.m[3][0], plane_.m[3][1], plane_.m[3][2]};
  const float ul = SVec3Dot(&u, &l);
  if (ul == 0.0f || !std::isfinite(ul)) return false;
  const float f = 1.0f / ul;
  const float pu = SVec3Dot(&p, &u);
  const float uv[3] = {u.x, u.y, u.z};
  const float lv[3] = {l.x, l.y, l.z};
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j < 3; ++j) s->m[i][j] = f * ((i == j ? ul : 0.0f) - uv[i] * lv[j]);
    s->m[i][3] = 0.0f;
  }
  for (int j = 0; j < 3; ++j) s->m[3][j] = f * pu * lv[j];
  s->m[3][3] = 1.0f;
  return true;
}

bool ShadowPacket::CasterWorld(const ShadowCaster& c, SMatrix* out) const {
  SMatrix s;
  if (c.matrix == nullptr || !Projection(&s)) return false;
  const float k = std::sqrt(s.m[0][0] * s.m[0][0] + s.m[0][1] * s.m[0][1] + 1.0f);
  const float scale = c.size * k;
  SMatrix t;
  SMatrix::Multiply(&t, &plane_, &s);
  for (int j = 0; j < 4; ++j) t.m[3][j] = s.m[3][j];
  // The caster's position alone: a copy with its rotation cleared (the
  // node's own matrix keeps its pose).
  SMatrix at = *c.matrix;
  for (int r = 0; r < 3; ++r)
    for (int q = 0; q < 3; ++q) at.m[r][q] = r == q ? 1.0f : 0.0f;
  SMatrix::Multiply(&t, &at, &t);
  SMatrix::Scale(out, &t, scale, scale, scale);
  return true;
}

void ShadowPacket::Execute() {
  if (node_ == nullptr) return;
  node_->GetRoot()->UpdateKept(nullptr, 0);
  const SVec3 u = Normal();
  const SMatrix* nm = node_->GetWorld();
  const SVec3 d{plane_.m[3][0] - nm->m[3][0], plane_.m[3][1] - nm->m[3][1], plane_.m[3][2] - nm->m[3][2]};
  const float e = std::fabs(SVec3Dot(&d, &u));
  if (maxDistance_ != 0.0f && !(e < maxDistance_)) return;
  SMatrix s;
  if (!Projection(&s)) return;
  const float a = maxDistance_ != 0.0f ? colour_[3] * (1.0f - e / maxDistance_) : colour_[3];
  const float full[4] = {colour_[0], colour_[1], colour_[2], a};
  const float mid[4] = {colour_[0], colour_[1], colour_[2], 0.95f * a};
  const float none[4] = {colour_[0], colour_[1], colour_[2], 0.0f};
  inner_.Build(0.0f, 0.5f, full, mid, 8);
  rim_.Build(0.5f, 1.0f, mid, none, 8);
  const SMatrix world = SGpMan::GetWorld();
  const int blendMode = SGpMan::GetBlendMode();
  const float blendAlpha = SGpMan::GetBlendAlpha();
  const int zMode = SGpMan::GetZMode();
  SGpMan::SetBlendMode(blend_ != 0 ? 2 : 1, 0.0f);
  SGpMan::SetZMode(4);
  casters_.SafeWalk([this](SObject* o) {
    SMatrix t;
    if (!CasterWorld(*static_cast<ShadowCaster*>(o), &t)) return;
    SGpMan::SetWorld(t);
    inner_.Execute();
    rim_.Execute();
  });
  SGpMan::SetZMode(zMode);
  SGpMan::SetBlendMode(blendMode, blendAlpha);
  SGpMan::SetWorld(world);
}
