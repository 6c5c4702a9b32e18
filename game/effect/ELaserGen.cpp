#include "game/effect/ELaserGen.h"

#include <algorithm>
#include <cmath>
#include <new>

#include "game/core/Game.h"
#include "game/effect/EfxMan.h"
#include "game/effect/EfxMath.h"
#include "game/effect/RandF.h"
#include "game/effect/ShotEasing.h"
#include "game/player/Player.h"
#include "game/stage/ScriptStgRsc.h"
#include "game/tables/effect_tables.h"
#include "vrax/graphic/SGpMan.h"

namespace {

// A colour given as bytes over 255 and an alpha.
struct Rgb {
  float c[4];
  constexpr Rgb(int r, int g, int b, float a) : c{r / 255.0f, g / 255.0f, b / 255.0f, a} {}
};

// By laser colour: red, green, blue, yellow.
constexpr Rgb kStripCentre[4] = {{200, 90, 90, 1.0f}, {90, 200, 90, 1.0f}, {90, 90, 200, 1.0f}, {200, 200, 90, 1.0f}};
constexpr Rgb kStripClear[4] = {{200, 90, 90, 0.0f}, {90, 200, 90, 0.0f}, {90, 90, 200, 0.0f}, {200, 200, 90, 0.0f}};
constexpr Rgb kStripEdge{0, 0, 0, 1.0f};
constexpr Rgb kCharge[4][4] = {
    {{100, 10, 10, 0.5f}, {10, 100, 10, 0.5f}, {10, 10, 100, 0.5f}, {100, 100, 10, 0.5f}},
    {{255, 200, 200, 0.9f}, {200, 255, 200, 0.9f}, {200, 200, 255, 0.9f}, {255, 255, 200, 0.9f}},
    {{255, 200, 200, 0.8f}, {200, 255, 200, 0.8f}, {200, 200, 255, 0.8f}, {250, 255, 200, 0.8f}},
    {{100, 10, 10, 0.7f}, {10, 100, 10, 0.7f}, {10, 10, 100, 0.7f}, {100, 100, 10, 0.7f}},
};
constexpr Rgb kGlowLight[4] = {{255, 200, 200, 1.0f}, {200, 255, 200, 1.0f}, {200, 200, 255, 1.0f}, {255, 255, 200, 1.0f}};
constexpr Rgb kGlowDark[4] = {{100, 10, 10, 1.0f}, {10, 100, 10, 1.0f}, {10, 10, 100, 1.0f}, {100, 100, 10, 1.0f}};
// The laser's own hue channels (glow edge): red; green; blue; red and green.
constexpr bool kHue[4][3] = {{true, false, false}, {false, true, false}, {false, false, true}, {true, true, false}};

void PlaySound(int32_t n, int32_t level) {
  if (Game* g = Game::GetInstance()) g->PlaySe(n, level);
}

// Eased value from v0 (t = 0) to v1 (t = 1); constant v1 for an unknown
// easing.
float EaseWidth(uint32_t easing, float v0, float v1, float t) {
  switch (easing) {
    case 0x1: return v0 + (v1 - v0) * t;
    case 0x2: return EaseHalfCosine(v0, v1, t);
    case 0x4: return v0 + (v1 - v0) * (1.0f - std::cos(t * kHalfPi));
    case 0x8: return v0 + (v1 - v0) * std::sin(t * kHalfPi);
    default: return v1;
  }
}

// Count over period; a period of 0 or less is always over (t = 1) instead of
// dividing by zero.
float WidthT(const ELaserGen::Width& w) {
  return w.period > 0.0f ? static_cast<float>(w.count) / w.period : 1.0f;
}

float ArgF(const GeneratorRecord* r, int i) { return r != nullptr ? r->WordF(i) : 0.0f; }
int32_t ArgI(const GeneratorRecord* r, int i) { return r != nullptr ? static_cast<int32_t>(r->Word(i)) : 0; }

}  // namespace

int32_t ELaserGen::s_firing = 0;
uint8_t ELaserGen::s_chargeSound = 1;

ELaserGen::ELaserGen(const SMatrix* origin, const GeneratorRecord* r) {
  if (origin != nullptr) own_ = *origin;
  SetValues(r != nullptr ? r->flags : 0, ArgF(r, 2), ArgI(r, 3), ArgI(r, 4), ArgF(r, 5), ArgF(r, 6), ArgF(r, 7),
            ArgF(r, 8), ArgF(r, 9), ArgF(r, 10), ArgF(r, 11), ArgF(r, 12), ArgF(r, 13), 30);
}

ELaserGen::ELaserGen(SMatrix* origin, uint32_t flags_, float speed_, int32_t firingTime_, int32_t colour_,
                     float coreFactor_, float aBase, float aRange, float aValue1, float aValue0, float bBase,
                     float bRange, float bValue1, float bValue0, int32_t duration_, SObject* holder) {
  SetValues(flags_, speed_, firingTime_, colour_, coreFactor_, aBase, aRange, aValue1, aValue0, bBase, bRange,
            bValue1, bValue0, duration_);
  if (origin != nullptr) {
    own_ = *origin;
    followed_ = origin;
    holder_.Set(holder);
    holderChecked_ = holder != nullptr;
  }
}

ELaserGen::ELaserGen(Copy, const SMatrix* origin, uint32_t flags_, float speed_, int32_t firingTime_,
                     int32_t colour_, float coreFactor_, float aBase, float aRange, float aValue1, float aValue0,
                     float bBase, float bRange, float bValue1, float bValue0, int32_t duration_) {
  if (origin != nullptr) own_ = *origin;
  SetValues(flags_, speed_, firingTime_, colour_, coreFactor_, aBase, aRange, aValue1, aValue0, bBase, bRange,
            bValue1, bValue0, duration_);
}

ELaserGen* ELaserGen::ELaserGenEx(const SMatrix* origin, uint32_t flags_, float speed_, int32_t firingTime_,
                                  int32_t colour_, float coreFactor_, float aBase, float aRange, float aValue1,
                                  float aValue0, float bBase, float bRange, float bValue1, float bValue0,
                                  int32_t duration_) {
  return new (std::nothrow) ELaserGen(Copy{}, origin, flags_, speed_, firingTime_, colour_, coreFactor_, aBase, aRange, aValue1,
                       aValue0, bBase, bRange, bValue1, bValue0, duration_);
}

void ELaserGen::SetValues(uint32_t flags_, float speed_, int32_t firingTime_, int32_t colour_, float coreFactor_,
                          float aBase, float aRange, float aValue1, float aValue0, float bBase, float bRange,
                          float bValue1, float bValue0, int32_t duration_) {
  flags = flags_;
  speed = speed_;
  firingTime = firingTime_;
  // The colour indexes the colour tables: a value from a file outside 0..3
  // gives red.
  colour = (colour_ >= 0 && colour_ <= 3) ? colour_ : 0;
  coreFactor = coreFactor_;
  widthA_ = Width{aBase, aRange, aValue1, aValue0, 0.0f, 0};
  widthB_ = Width{bBase, bRange, bValue1, bValue0, 0.0f, 0};
  duration = duration_;
}

ELaserGen::~ELaserGen() {
  // A laser destroyed without its dispose (a test, the program's end) still
  // leaves the shared counts right.
  if (GetState() != STATE_NONE) OnDispose(0);
  ReleaseAll();
}

SMatrix* ELaserGen::OriginMatrix() {
  if (followed_ != nullptr) {
    if (holderChecked_ && holder_.Get() == nullptr) {
      followed_ = nullptr;  // the holder is gone: stay on the last matrix read
    } else {
      own_ = *followed_;
      return followed_;
    }
  }
  return &own_;
}

const SMatrix& ELaserGen::Origin() { return *OriginMatrix(); }

int32_t ELaserGen::Init(SProcArg) {
  SetName("ELaserGen");
  for (LaserStripPrim* s : {&coreStrip_, &bodyStrip_}) {
    s->AllocPrims(kSegments);
    s->SetActiveCount(0);
  }
  pool_.Init(kSegments);
  phase_ = 0;
  nextHitFrame_ = 0;
  widthA_.count = widthB_.count = 0;
  fullGlow_ = std::min((widthB_.value1 + widthA_.value1) * 1.5f, 120.0f);
  charging_ = 1;
  pulseRising_ = 1;
  counted_ = 0;
  widthA_.period = RandF() * widthA_.range + widthA_.base;
  widthB_.period = RandF() * widthB_.range + widthB_.base;
  const float zero[4] = {0.0f, 0.0f, 0.0f, 0.0f};
  for (GlowDisc& g : glow_) g.Build(0.0f, zero, zero);
  world_.SetMatrix(own_);
  SetInitResult(0);
  return 0;
}

int32_t ELaserGen::Main(SProcArg) {
  SMatrix& w = world_.GetMatrix();
  w = *OriginMatrix();
  const float s = DepthScale(w.m[3][2]);
  w.m[3][0] *= s;
  w.m[3][1] *= s;
  w.m[3][2] = 0.0f;
  if (charging_ != 0) {
    SpawnSparks();
    return 0;
  }
  EmitSegment();
  StepSegments();
  UpdateGlow();
  ++phase_;
  if (phase_ > firingTime) Kill(0);
  return 0;
}

// ------------------------------------------------------------------ charge

void ELaserGen::SpawnSparks() {
  const int32_t n = phase_;
  const int32_t c = colour;
  const SMatrix& w = world_.GetMatrix();
  if (n == 0 && s_chargeSound != 0) {
    PlaySound(kSoundCharge, kSoundChargeLevel);
    s_chargeSound = 0;
  }
  if (n < 80) {
    const float k = fullGlow_ >= 50.0f ? 1.0f : (fullGlow_ >= 30.0f ? 0.8f : 0.5f);
    const float f = (k - 0.1f) * static_cast<float>(n) / 120.0f + 0.1f;
    EfxMan* efx = EfxMan::Instance();
    for (int i = 0; i < 3; ++i) {
      const float a = RandF();
      const float d = RandF() * f * 240.0f;
      const float z = RandF() * f * -256.0f;
      const float scale = RandF() * 0.3f + 0.25f;
      const SVec3 o{std::cos(a * kTwoPi) * d, std::sin(a * kTwoPi) * d, z};
      SVec4 pos;
      SVec3Transform(&pos, &o, &w);
      const SVec3 back{o.x * (-1.0f / 32.0f), o.y * (-1.0f / 32.0f), o.z * (-1.0f / 32.0f)};
      const SVec4 vel{back.x * w.m[0][0] + back.y * w.m[1][0] + back.z * w.m[2][0],
                      back.x * w.m[0][1] + back.y * w.m[1][1] + back.z * w.m[2][1],
                      back.x * w.m[0][2] + back.y * w.m[1][2] + back.z * w.m[2][2], 0.0f};
      if (efx != nullptr)
        efx->SpawnSprite(6, &pos, SprEfx_10Keys, kCharge[0][c].c, kCharge[1][c].c, 15, 15, 0.0f, scale, scale,
                         nullptr, &vel, 0.0f, 1);
    }
    glowRadius_ = fullGlow_ * 0.5f * static_cast<float>(n) / 120.0f;
    glow_[0].Build(0.65f * glowRadius_, kCharge[0][c].c, kGlowDark[c].c);
  }
  if (n == 80) {
    if (EfxMan* efx = EfxMan::Instance())
      efx->SpawnC(0, 2, &w, 128.0f, 0.0f, 0.0f, 32.0f, kCharge[2][c].c, kCharge[3][c].c, 35, nullptr);
  }
  ++phase_;
  if (phase_ == kChargeFrames) Fire();
}

void ELaserGen::Fire() {
  PlaySound(kSoundFire, kSoundFireLevel);
  phase_ = 0;
  charging_ = 0;
  PlaySound(kSoundLoop, kSoundFireLevel);
  ++s_firing;
  counted_ = 1;
  if ((flags & kAim) != 0) {
    SMatrix* o = OriginMatrix();
    const float a = ShotAim(o->m[3][0], o->m[3][1], PlayerPos.x, PlayerPos.y) - 0.25f;
    RotateZ(o, o, a);
    if (o != &own_) own_ = *o;
  }
}

// ------------------------------------------------------------------ beam

void ELaserGen::NextWidths(float* wA, float* wB) {
  if ((flags & kRandomWidth) != 0) {
    *wA = (widthA_.value1 - widthA_.value0) * RandF() + widthA_.value0;
    *wB = (widthB_.value1 - widthB_.value0) * RandF() + widthB_.value0;
    return;
  }
  const float tA = WidthT(widthA_);
  ++widthA_.count;
  const float tB = WidthT(widthB_);
  ++widthB_.count;
  for (auto [t, w] : {std::pair<float, Width*>{tA, &widthA_}, std::pair<float, Width*>{tB, &widthB_}}) {
    if (t >= 1.0f) {
      std::swap(w->value1, w->value0);
      w->count = 0;
      w->period = RandF() * w->range + w->base;
    }
  }
  const uint32_t easing = flags & kWidthEasing;
  *wA = EaseWidth(easing, widthA_.value0, widthA_.value1, tA);
  *wB = EaseWidth(easing, widthB_.value0, widthB_.value1, tB);
}

void ELaserGen::EmitSegment() {
  const int32_t n = phase_;
  LaserSegment* seg = pool_.Acquire();
  if (seg == nullptr) return;
  segments_.PushBack(seg);
  const SMatrix& w = world_.GetMatrix();
  seg->distance = 0.0f;
  seg->state = LaserSegment::EMITTED;
  seg->depthScale = 0.0f;
  seg->position[0] = w.m[3][0];
  seg->position[1] = w.m[3][1];
  seg->position[2] = w.m[3][2];
  seg->position[3] = w.m[3][3];
  if (n >= 20)
    seg->body.Register(kHitGroupHazard, 0x19, seg->position, 0.0f, this, reinterpret_cast<intptr_t>(seg), 25);
  float wA = 0.0f, wB = 0.0f;
  NextWidths(&wA, &wB);
  if (n < 10) {
    const float a = static_cast<float>(n) * 0.1f * kHalfPi;
    wA *= 1.0f - std::cos(a);
    wB *= 1.0f - std::cos(a);
    glowRadius_ = fullGlow_ / 2.0f + (fullGlow_ / 2.0f) * std::sin(a);
  } else if (n >= firingTime - 100) {
    const float q = std::min(static_cast<float>(n - firingTime + 100) / 75.0f, 1.0f);
    const float e = 1.0f - std::cos(q * kHalfPi);
    wA = widthA_.value0 * (1.0f - e);
    wB = widthB_.value0 * (1.0f - e);
    glowRadius_ = fullGlow_ * (1.0f - e);
  }
  seg->widthA = wA;
  seg->widthB = wB;
  if (n >= 10 && n >= firingTime) {
    ReleaseAll();
    return;
  }
  if (bodyStrip_.Room() <= 2 * segments_.Count()) GrowStrips();
}

void ELaserGen::GrowStrips() {
  // Twice what the last Draw needed, and never less than two quads per live
  // segment (a strip that has not been drawn yet would otherwise shrink to
  // nothing).
  const int room = 2 * std::max(lastDrawn_, 2 * segments_.Count() + 2);
  for (LaserStripPrim* s : {&coreStrip_, &bodyStrip_}) {
    s->AllocPrims(room);
    s->SetActiveCount(0);
  }
}

void ELaserGen::StepSegments() {
  const SMatrix& w = world_.GetMatrix();
  const float limit = 3.0f * 320.0f + 2.0f * speed;
  segments_.SafeWalk([&](SObject* o) {
    auto* seg = static_cast<LaserSegment*>(o);
    if (seg->state == LaserSegment::EMITTED) {
      seg->state = LaserSegment::PLACED;
      return;
    }
    const bool travelling = seg->state == LaserSegment::TRAVELLING;
    seg->distance += speed;
    const SVec3 local{0.0f, seg->distance, 0.0f};
    SVec4 p;
    SVec3Transform(&p, &local, &w);
    const float s = DepthScale(p.z);
    seg->depthScale = s;
    if (p.z <= -256.0f) {
      seg->body.SetDisabled(1);
    } else {
      seg->body.SetRadius((seg->widthA + seg->widthB) * s * 0.3f);
    }
    seg->position[0] = p.x * s;
    seg->position[1] = p.y * s;
    seg->position[2] = 0.0f;
    seg->position[3] = p.w;
    seg->state = LaserSegment::TRAVELLING;
    if (travelling && seg->distance > limit) seg->Release(1);
  });
}

void ELaserGen::UpdateGlow() {
  const int32_t p = phase_ % 33;
  const float t = static_cast<float>(p) / 32.0f;
  const float sn = std::sin(t * kHalfPi);
  float v, s;
  if (pulseRising_ != 0) {
    v = 100.0f + 20.0f * sn;
    s = 0.65f + 0.05f * sn;
  } else {
    v = 120.0f - 20.0f * sn;
    s = 0.7f - 0.05f * (1.0f - std::cos(t * kHalfPi));
  }
  float edge[4] = {0.0f, 0.0f, 0.0f, 0.0f};
  for (int i = 0; i < 3; ++i) edge[i] = kHue[colour][i] ? 200.0f / 255.0f : v / 255.0f;
  for (GlowDisc& g : glow_) g.Build(s * glowRadius_, kGlowLight[colour].c, edge);
  if (t == 1.0f) pulseRising_ = pulseRising_ != 0 ? 0 : 1;
}

void ELaserGen::BuildStrips() {
  const int c = colour;
  const float* centre = kStripCentre[c].c;
  const float* clear = kStripClear[c].c;
  const float* edge = kStripEdge.c;
  const float k = coreFactor;
  for (LaserStripPrim* s : {&coreStrip_, &bodyStrip_}) s->SeekVertex(0);
  for (SObject* o = segments_.HeadObj(); o != nullptr; o = o->GetNext()) {
    auto* a = static_cast<LaserSegment*>(o);
    auto* b = static_cast<LaserSegment*>(o->GetPrev());
    if (a->state == LaserSegment::TRAVELLING) {
      if (b == nullptr) {
        // The far end of the beam closes to a point.
        a->widthA = a->widthB = 0.0f;
        continue;
      }
      LaserStripPrim& body = bodyStrip_;
      body.Vertex(-a->widthA, a->distance, edge);
      body.Vertex(0.0f, a->distance, centre);
      body.Vertex(-b->widthA, b->distance, edge);
      body.Vertex(0.0f, b->distance, centre);
      body.Vertex(0.0f, a->distance, centre);
      body.Vertex(a->widthB, a->distance, edge);
      body.Vertex(0.0f, b->distance, centre);
      body.Vertex(b->widthB, b->distance, edge);
      LaserStripPrim& core = coreStrip_;
      core.Vertex(-k * a->widthB, a->distance, edge);
      core.Vertex(0.0f, a->distance, centre);
      core.Vertex(-k * b->widthB, b->distance, edge);
      core.Vertex(0.0f, b->distance, centre);
      core.Vertex(0.0f, a->distance, centre);
      core.Vertex(k * a->widthA, a->distance, edge);
      core.Vertex(0.0f, b->distance, centre);
      core.Vertex(k * b->widthA, b->distance, edge);
    } else if (a->state == LaserSegment::PLACED && b != nullptr) {
      LaserStripPrim& body = bodyStrip_;
      body.Vertex(-0.7f * a->widthA, 0.5f * b->distance, centre);
      body.Vertex(0.0f, a->distance, clear);
      body.Vertex(-b->widthA, b->distance, edge);
      body.Vertex(0.0f, b->distance, centre);
      body.Vertex(0.0f, a->distance, clear);
      body.Vertex(0.7f * a->widthB, 0.5f * b->distance, centre);
      body.Vertex(0.0f, b->distance, centre);
      body.Vertex(b->widthB, b->distance, edge);
      LaserStripPrim& core = coreStrip_;
      core.Vertex(0.0f, a->distance, edge);
      core.Vertex(0.0f, a->distance, clear);
      core.Vertex(-k * b->widthB, b->distance, edge);
      core.Vertex(0.0f, b->distance, centre);
      core.Vertex(0.0f, a->distance, clear);
      core.Vertex(0.0f, a->distance, edge);
      core.Vertex(0.0f, b->distance, centre);
      core.Vertex(k * b->widthA, b->distance, edge);
    }
  }
  for (LaserStripPrim* s : {&coreStrip_, &bodyStrip_}) s->SetActiveCount(std::min(s->QuadsWritten(), s->Room()));
  lastDrawn_ = bodyStrip_.GetActiveCount();
}

int32_t ELaserGen::Draw(SProcArg) {
  BuildStrips();
  if (SGpMan* gp = GetGpMan()) gp->SetDefaultKey(kDrawKey);
  world_.Enter(kDrawKey);
  bodyStrip_.Enter(kDrawKey);
  coreStrip_.Enter(kDrawKey);
  if ((flags & kNoGlow) == 0) {
    glow_[0].Enter(kDrawKey);
    glow_[1].Enter(kDrawKey);
  }
  return 0;
}

// ------------------------------------------------------------------ events

int32_t ELaserGen::User(int32_t code, SProcArg arg) {
  if (code == kHitEventHit) {
    OnHit(arg);
  } else if (code == kHitEventDefeated) {
    Kill(0);
  }
  return 0;
}

void ELaserGen::OnHit(SProcArg arg) {
  const void* p = reinterpret_cast<const void*>(arg);
  const int32_t cell = pool_.IndexOf(p);
  // Only a live segment of this laser is read.
  LaserSegment* hit = (cell >= 0 && pool_.InUse(cell)) ? pool_.At(cell) : nullptr;
  if (hit != nullptr && phase_ >= nextHitFrame_) {
    const int c = colour;
    const float w = fullGlow_;
    float c1[4] = {kStripCentre[c].c[0], kStripCentre[c].c[1], kStripCentre[c].c[2], 1.0f};
    float c0[4] = {c1[0], c1[1], c1[2], 0.6f};
    SMatrix m = world_.GetMatrix();
    MatrixRotateX(&m, 0.3f);
    m.m[3][0] = hit->position[0];
    m.m[3][1] = hit->position[1];
    m.m[3][2] = hit->position[2];
    EfxMan* efx = EfxMan::Instance();
    if (efx != nullptr)
      efx->SpawnC(1, 1, &m, 0.0f, w, 0.0f, 32.0f, c1, c0, static_cast<int32_t>(w * 0.26666668f), nullptr);
    for (int r = 0; r < 3; ++r)
      for (int q = 0; q < 3; ++q) m.m[r][q] = r == q ? 1.0f : 0.0f;
    if (efx != nullptr)
      efx->SpawnD(0, 0, &m, w * 0.4f, w * 0.6666667f, c1, c0, static_cast<int32_t>(w * 0.33333334f), nullptr);
    const SVec4 at{hit->position[0], hit->position[1], hit->position[2], hit->position[3]};
    const float base = ShotAim(at.x, at.y, PlayerPos.x, PlayerPos.y) - 0.2f;
    for (int i = 0; i < 4; ++i) {
      float a = (RandF() - 0.5f) * 0.15f + base;
      const float sp = RandF() * 3.0f + 7.0f;
      for (int j = 0; j < 2; ++j) {
        const float vz = 2.0f * (RandF() - 0.5f);
        const int32_t life = 50 + static_cast<int32_t>(20.0f * RandF());
        const SVec4 v{std::cos(a * kTwoPi) * sp, std::sin(a * kTwoPi) * sp, vz, 0.0f};
        if (efx != nullptr) efx->SpawnB(static_cast<uint32_t>(c), &at, &v, life, 0.8f);
        a += 0.4f;
      }
    }
    nextHitFrame_ = phase_ + 6;
  }
  // The beam is cut at the hit: everything from the far end up to it goes.
  bool found = false;
  for (SObject* o = segments_.HeadObj(); o != nullptr; o = o->GetNext())
    if (o == hit) found = hit != nullptr;
  while (SObject* o = segments_.HeadObj()) {
    const bool last = found && o == hit;
    static_cast<LaserSegment*>(o)->Release(1);
    if (last) break;
  }
}

void ELaserGen::ReleaseAll() {
  while (SObject* o = segments_.HeadObj()) static_cast<LaserSegment*>(o)->Release(1);
}

int32_t ELaserGen::OnDispose(SProcArg) {
  if (counted_ != 0) {
    counted_ = 0;
    if (--s_firing == 0) {
      if (Game* g = Game::GetInstance()) g->StopSe(kSoundLoop);
      s_chargeSound = 1;
    }
  }
  ReleaseAll();
  return 0;
}
