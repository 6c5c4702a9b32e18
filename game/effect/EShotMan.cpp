#include "game/effect/EShotMan.h"

#include <cmath>

#include "game/effect/EfxMan.h"
#include "game/effect/RandF.h"
#include "game/effect/ShotEasing.h"
#include "game/player/Player.h"
#include "game/stage/MapMng.h"
#include "game/tables/image_slots.h"
#include "game/tables/shot_tables.h"
#include "vrax/graphic/SGpMan.h"
#include "vrax/graphic/SGpState.h"
#include "vrax/resource/SRsc_Image.h"

namespace {

constexpr uint32_t kAimBits = 0x30000;
constexpr uint32_t kAngleAbsolute = 0x400000;
constexpr uint32_t kSpeedAbsolute = 0x800000;
constexpr uint32_t kAngleModeMask = 0x300000;
constexpr uint32_t kModeTarget = 0x100000;
constexpr uint32_t kModeTurn = 0x200000;

// The animation of each kind. Kinds 10 to 16 are the elongated bullets,
// whose parts turn about their tip.
const SGpKeyList* const kKindKeys[EShotMan::kKinds] = {
    SprEShot00KeysA,   SprEShot00KeysH,   SprEShot00KeysJ,   SprEShot00KeysL,   SprEShot00KeysM,
    SprEShot00KeysK,   SprEShot00KeysE,   SprEShot00KeysF,   SprEShot01_2KeysA, SprEShot01_2KeysB,
    SprEShot00KeysB,   SprEShot00KeysC,   SprEShot00KeysD,   SprEShot00KeysG,   SprEShot00KeysI,
    SprEShot01_2KeysC, SprEShot01_2KeysD,
};

bool Elongated(int32_t kind) { return kind >= 10; }

// The shot time step of the stage world.
float ShotStep() { return g_MapMng.shotTimeScale; }

// Whether a record's step reads its easing curves, and so its t: a speed
// easing, or an angle easing its angle mode applies (the sweep to a stored
// target leaves the heading alone under the ease-in curve, and a mode of
// both bits never turns).
bool EasesOverTime(uint32_t flags) {
  float e;
  if (ShotEase(flags & 0xF, 0.0f, &e)) return true;
  const uint32_t angleSel = (flags >> 8) & 0xF;
  if (!ShotEase(angleSel, 0.0f, &e)) return false;
  switch (flags & kAngleModeMask) {
    case 0:
    case kModeTurn:
      return true;
    case kModeTarget:
      return angleSel != 0x4;
    default:
      return false;
  }
}

}  // namespace

const float EShotMan::kKindRadius[kKinds] = {5, 9, 6, 4, 5, 5, 3, 3, 10, 10, 3, 1.5f, 3, 4, 3, 10, 7};
float EShotMan::s_kindSize[kKinds][2] = {};
EShotMan* EShotMan::s_instance = nullptr;

void EShotElongatedQuad(float out[4][4], float c, float s, float w, float h) {
  const float ax = 0.125f * h * c, ay = 0.125f * h * s;
  const float bx = -0.875f * h * c, by = -0.875f * h * s;
  const float px = 0.5f * w * s, py = 0.5f * w * c;
  const float corners[4][2] = {{ax + px, ay - py}, {ax - px, ay + py}, {bx + px, by - py}, {bx - px, by + py}};
  for (int i = 0; i < 4; ++i) {
    out[i][0] = corners[i][0];
    out[i][1] = corners[i][1];
    out[i][2] = 0.0f;
    out[i][3] = 0.0f;
  }
}

EShotMan::EShotMan() : previous_(s_instance) { s_instance = this; }

EShotMan::~EShotMan() {
  // Shots still registered in group 8 go with the pool; the list must not
  // keep them.
  pool_.DestroyAll();
  if (s_instance == this) s_instance = previous_;
}

bool EShotMan::IsManager(const SProc* p) {
  if (p == nullptr) return false;
  for (const EShotMan* m = s_instance; m != nullptr; m = m->previous_)
    if (m == p) return true;
  return false;
}

bool EShotMan::Owns(const void* p) const {
  const int32_t i = pool_.IndexOf(p);
  return i >= 0 && pool_.InUse(i) && static_cast<const void*>(pool_.At(i)) == p;
}

int32_t EShotMan::Init(SProcArg) {
  SetName("EShotMan");
  for (int32_t k = 0; k < kKinds; ++k) {
    tracks_[k].Init(kKindKeys[k]);
    const SGpRect* r = tracks_[k].GetPart();
    s_kindSize[k][0] = r != nullptr ? r->width : 0.0f;
    s_kindSize[k][1] = r != nullptr ? r->height : 0.0f;
  }
  pool_.Init(kCapacity);
  for (int32_t b = 0; b < kBatches; ++b) {
    SGpObj_PrimQuad& q = batches_[b];
    q.AllocPrims(kCapacity);
    for (int32_t v = 0; v < kCapacity * 4; ++v) {
      q.SeekVertex(v);
      q.SetColour(1.0f, 1.0f, 1.0f, 1.0f);
    }
    q.SeekVertex(0);
    q.SetActiveCount(0);
    batchCount_[b] = 0;
  }
  speedFactor_ = 1.0f;
  SetInitResult(0);
  return 0;
}

// ------------------------------------------------------------------ firing

EShot* EShotMan::Fire(int32_t code, uint32_t hitWord, float x, float y, float z, float angle, float speed,
                      const EShotMotion* motion, int32_t id, const float* drift, float velocityFactor) {
  EShotMan* m = Instance();
  if (m == nullptr) return nullptr;
  return m->FireShot(code, hitWord, x, y, z, angle, speed, motion, id, drift, velocityFactor);
}

EShot* EShotMan::FireShot(int32_t code, uint32_t hitWord, float x, float y, float z, float angle, float speed,
                          const EShotMotion* motion, int32_t id, const float* drift, float velocityFactor) {
  if (!IsFiredCode(code)) return nullptr;
  const int32_t kind = (code & 0xFF) % kKinds;
  EShot* s = pool_.Acquire();
  if (s == nullptr) return nullptr;
  if (z != 0.0f) {
    // The divisor is held at 1 or more: a shot at or behind the eye would
    // otherwise divide by zero or flip over.
    float d = z + 512.0f;
    if (!(d >= 1.0f)) d = 1.0f;
    const float k = 1.0f / d;
    x = x * 512.0f * k;
    y = y * 512.0f * k;
  }
  int32_t batch = (code >> 8) % kBatches;
  if (batch < 0) batch += kBatches;
  const float a = angle * kTwoPi;
  const float vx = std::cos(a) * speedFactor_ * speed;
  const float vy = std::sin(a) * speedFactor_ * speed;
  s->Register(kHitGroup, 1, s->position, kKindRadius[kind], this, reinterpret_cast<intptr_t>(s), hitWord);
  s->position[0] = x;
  s->position[1] = y;
  s->position[2] = 0.0f;
  s->position[3] = 1.0f;
  s->baseAngle = s->angle = angle;
  // A first record in a target mode aims at the shot's own heading.
  s->targetAngle = angle;
  s->speed = speed;
  s->velocity[0] = vx;
  s->velocity[1] = vy;
  s->velocityFactor = velocityFactor;
  s->id = id;
  s->motion = motion;
  s->motionTimer = 0.0f;
  s->drift[0] = drift != nullptr ? drift[0] : 0.0f;
  s->drift[1] = drift != nullptr ? drift[1] : 0.0f;
  s->kind = kind;
  s->batch = batch;
  if (!Elongated(kind)) {
    s->quad = kindQuad_[kind];
  } else {
    const float d = std::atan2(vy, vx);
    const float c = std::cos(d), sn = std::sin(d);
    const float h = s_kindSize[kind][1];
    s->position[0] = x + 0.25f * h * c;
    s->position[1] = y + 0.25f * h * sn;
    EShotElongatedQuad(s->ownQuad, c, sn, s_kindSize[kind][0], h);
    s->quad = s->ownQuad;
  }
  return s;
}

// ------------------------------------------------------------------ motion

void EShotMan::StepMotion(EShot* s) {
  const EShotMotion* r = s->motion;
  if (r == nullptr) return;
  float v = s->speed;
  const uint32_t angleSel = (r->flags >> 8) & 0xF;
  // A record of duration 0 runs its frame like any other (the velocity from
  // its angle and speed, then the hand-over) unless it eases the angle or
  // the speed: its t would then be 0 / 0, and it is over at once.
  if (r->duration != 0 || !EasesOverTime(r->flags)) {
    const float t = r->duration != 0 ? s->motionTimer / static_cast<float>(r->duration) : 0.0f;
    float e = 0.0f;
    const bool eased = ShotEase(angleSel, t, &e);
    const float a0 = s->baseAngle;
    switch (r->flags & kAngleModeMask) {
      case 0:
        s->angle = a0 + e * r->angleDelta;
        break;
      case kModeTarget:
        // The ease-in curve leaves the heading alone in this mode.
        if (eased && angleSel != 0x4) s->angle = a0 + e * (s->targetAngle - a0);
        break;
      case kModeTurn:
        if (eased) s->angle = a0 + e * (s->targetAngle - a0);
        break;
      default:
        break;
    }
    v = s->speed + ShotEaseOr0(r->flags & 0xF, t) * r->speedDelta;
    const float a = s->angle * kTwoPi;
    s->velocity[0] = std::cos(a) * v;
    s->velocity[1] = std::sin(a) * v;
    s->motionTimer += ShotStep();
    if (!(s->motionTimer > static_cast<float>(r->duration))) return;
  }
  const EShotMotion* n = r->next;
  s->motion = n;
  if (n == nullptr) return;
  s->motionTimer = 0.0f;
  s->speed = (n->flags & kSpeedAbsolute) != 0 ? n->speed : v + n->speed;
  const float x = s->position[0], y = s->position[1];
  if ((n->flags & kAimBits) != 0) s->angle = s->baseAngle = ShotAim(x, y, PlayerPos.x, PlayerPos.y);
  s->baseAngle = (n->flags & kAngleAbsolute) != 0 ? n->angle : n->angle + s->angle;
  const uint32_t mode = n->flags & kAngleModeMask;
  if (mode == kModeTarget) {
    s->targetAngle = n->angleDelta + s->baseAngle;
  } else if (mode == kModeTurn) {
    s->targetAngle = ShotAim(x, y, PlayerPos.x, PlayerPos.y);
    if (s->baseAngle < 0.0f) {
      s->baseAngle += 1.0f;
    } else if (s->baseAngle > 1.0f) {
      s->baseAngle -= 1.0f;
    }
    const float d = std::fabs(s->targetAngle - s->baseAngle);
    if (d >= 1.0f - d) s->targetAngle = s->baseAngle + (1.0f - d);
  }
}

// ------------------------------------------------------------------ frame

int32_t EShotMan::End(SProcArg) {
  for (int32_t b = 0; b < kBatches; ++b) {
    batchCount_[b] = 0;
    batches_[b].SeekVertex(0);
  }
  for (int32_t k = 0; k < kKinds; ++k) {
    tracks_[k].Advance(1.0f);
    const SGpRect* r = tracks_[k].GetPart();
    for (int i = 0; i < 4; ++i) {
      const SGpUV uv = r != nullptr ? r->Corner(i) : SGpUV{};
      kindUV_[k][i][0] = uv.u;
      kindUV_[k][i][1] = uv.v;
    }
  }
  for (int32_t k = 0; k < 10; ++k) {
    const float hw = s_kindSize[k][0] / 2.0f, hh = s_kindSize[k][1] / 2.0f;
    const float corners[4][2] = {{-hw, -hh}, {hw, -hh}, {-hw, hh}, {hw, hh}};
    for (int i = 0; i < 4; ++i) {
      kindQuad_[k][i][0] = corners[i][0];
      kindQuad_[k][i][1] = corners[i][1];
      kindQuad_[k][i][2] = 0.0f;
      kindQuad_[k][i][3] = 0.0f;
    }
  }
  const float dt = ShotStep();
  HitGroupTable[kHitGroup].SafeWalk([this, dt](SObject* o) {
    auto* b = static_cast<HitBody*>(o);
    if (b->owner == this) StepShot(static_cast<EShot*>(b), dt);
  });
  for (int32_t b = 0; b < kBatches; ++b) batches_[b].SetActiveCount(batchCount_[b]);
  return 0;
}

void EShotMan::StepShot(EShot* s, float dt) {
  int32_t& count = batchCount_[s->batch];
  if (count >= kCapacity) return;
  if (s->motion != nullptr) {
    StepMotion(s);
    if (Elongated(s->kind)) {
      const float a = s->angle * kTwoPi;
      EShotElongatedQuad(s->ownQuad, std::cos(a), std::sin(a), s_kindSize[s->kind][0], s_kindSize[s->kind][1]);
    }
  }
  if (s->velocityFactor != 1.0f) {
    s->velocity[0] *= s->velocityFactor;
    s->velocity[1] *= s->velocityFactor;
  }
  float* p = s->position;
  p[0] += dt * s->velocity[0] + s->drift[0];
  p[1] += dt * s->velocity[1] + s->drift[1];
  if (p[0] > kLimitX || p[0] < -kLimitX || p[1] > kLimitY || p[1] < -kLimitY) {
    s->Release(1);
    return;
  }
  SGpObj_PrimQuad& q = batches_[s->batch];
  const float(*uv)[2] = kindUV_[s->kind];
  for (int i = 0; i < 4; ++i) {
    q.SetPos(p[0] + s->quad[i][0], p[1] + s->quad[i][1], p[2] + s->quad[i][2]);
    q.SetUV(uv[i][0], uv[i][1]);
    q.Next();
  }
  ++count;
}

int32_t EShotMan::Draw(SProcArg) {
  if (SGpMan* gp = GetGpMan()) gp->SetDefaultKey(kDrawKey);
  WorldPresets[1].Enter(kDrawKey);
  for (int32_t b = 0; b < kBatches; ++b) {
    SRsc_Image* img = b < 3 ? ImgEShot00 : ImgEShot01;
    if (img != nullptr) img->GetTexturePacket(b % 3)->Enter(kDrawKey);
    batches_[b].Enter(kDrawKey);
  }
  return 0;
}

// ------------------------------------------------------------------ events

void EShotMan::SpawnHitEffect(const EShot* s, const SVec4* extra) {
  const SVec4 pos{s->position[0], s->position[1], s->position[2], s->position[3]};
  // The random angle is drawn whether or not an effect can be had.
  const float angle = RandF();
  EfxMan* efx = EfxMan::Instance();
  if (efx == nullptr) return;
  efx->SpawnSprite(7, &pos, EShotKeyTableA[s->batch][s->kind], nullptr, nullptr, 0, 0, angle, 1.0f, 1.0f,
                   nullptr, extra, 0.0f, 1);
}

int32_t EShotMan::OnUser(int32_t code, SProcArg arg) {
  if (code != kHitEventHit) return 0;
  // The argument is the body HitMan found; only a live shot of this pool is
  // acted on.
  void* p = reinterpret_cast<void*>(arg);
  if (!Owns(p)) return 0;
  EShot* s = static_cast<EShot*>(static_cast<HitBody*>(p));
  SpawnHitEffect(s, nullptr);
  s->Release(1);
  return 0;
}

void EShotMan::ClearAll(uint8_t withEffect) {
  WalkShots([withEffect](EShot* s) {
    if (withEffect != 0) {
      const SVec4 extra{s->velocity[0] * 0.5f, s->velocity[1] * 0.5f, 0.0f, 1.0f};
      SpawnHitEffect(s, &extra);
    }
    s->Release(1);
  });
}

void EShotMan::SetMotionById(int32_t id, const EShotMotion* motion) {
  WalkShots([id, motion](EShot* s) {
    if (s->id != id) return;
    s->motion = motion;
    s->motionTimer = 0.0f;
    s->targetAngle = s->angle;
  });
}

void EShotMan::SetVelocityById(int32_t id, const float* velocity) {
  if (velocity == nullptr) return;
  WalkShots([id, velocity](EShot* s) {
    if (s->id != id) return;
    s->velocity[0] = velocity[0];
    s->velocity[1] = velocity[1];
  });
}
