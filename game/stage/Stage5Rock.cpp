#include "game/stage/Stage5Rock.h"

#include <algorithm>
#include <cmath>

#include "game/core/Game.h"
#include "game/effect/EfxMan.h"
#include "game/effect/EfxMath.h"
#include "game/effect/RandF.h"
#include "game/stage/MapMng.h"
#include "game/stage/StageProc.h"
#include "game/tables/effect_tables.h"
#include "vrax/graphic/SGpMan.h"
#include "vrax/graphic/SGpPacket.h"
#include "vrax/resource/SRsc_Image.h"
#include "vrax/resource/SRsc_Model.h"

namespace {

// The dust of the rocks and the white flash.
const SGpKeyList* DustKeys() { return SprEfx00_4KeysC; }
const SGpKeyList* FlashKeys() { return SprLensFlareKeysD; }

float Lerp(float a, float b, float r) { return a + (b - a) * r; }

// From the rail key where the rocks draw through the second view, their
// numbers stand in the space it shows (ahead of the eye along +z); the dust's
// sheet draws through the stage camera's view. A place there is carried into
// that view's world by second view x inverse(the sheet's view), a motion by
// the same matrix's rotation.
void IntoDustWorld(SVec4* at, SVec4* velocity) {
  Game* game = GetGame();
  if (game == nullptr || StageProc::RailKey() < Stage5Rock::kAheadFromKey) return;
  SMatrix back = kIdentityMatrix, ahead;
  SMatrix::Inverse(&back, nullptr, &game->LayerView(static_cast<int>(Stage5Rock::kDustSheet)).GetMatrix());
  const SMatrix second = game->SecondView();
  SMatrix::Multiply(&ahead, &second, &back);
  const SVec3 p{at->x, at->y, at->z};
  SVec3Transform(at, &p, &ahead);
  at->w = 1.0f;
  ahead.m[3][0] = ahead.m[3][1] = ahead.m[3][2] = 0.0f;
  const SVec3 v{velocity->x, velocity->y, velocity->z};
  SVec3Transform(velocity, &v, &ahead);
  velocity->w = 0.0f;
}

void SpawnDustSprite(SVec4 at, SVec4 velocity, float size, float alpha, int32_t frames, float angle) {
  EfxMan* efx = EfxMan::Instance();
  if (efx == nullptr) return;
  IntoDustWorld(&at, &velocity);
  const float from[4] = {1.0f, 1.0f, 1.0f, alpha};
  static constexpr float kTo[4] = {1.0f, 1.0f, 1.0f, 0.2f};
  efx->SpawnSprite(Stage5Rock::kDustSheet, &at, DustKeys(), from, kTo, frames, frames, angle, size, size, nullptr,
                   &velocity, 0.86f, 1);
}

}  // namespace

void RockPiece::BuildMatrix() {
  SMatrix s;
  SMatrix::Scaling(&s, scale, scale, scale);
  MatrixRotateYXZ(&world, &s, rot.z, rot.x, rot.y);
  world.m[3][0] = pos.x, world.m[3][1] = pos.y, world.m[3][2] = pos.z;
}

void RockPiece::Update() {
  const float r = std::min(float(counter) / float(duration), 1.0f);
  ++counter;
  const float before = pos.z;
  pos.x = Lerp(startPos.x, endPos.x, r), pos.y = Lerp(startPos.y, endPos.y, r), pos.z = Lerp(startPos.z, endPos.z, r);
  rot.x = Lerp(startRot.x, endRot.x, r), rot.y = Lerp(startRot.y, endRot.y, r), rot.z = Lerp(startRot.z, endRot.z, r);
  scale = Lerp(startScale, endScale, r);
  const float dz = pos.z - before;
  if (RandF() < 0.2f) {
    // A puff of dust left behind.
    float b = (RandF() * 0.1f + 0.2f) * scale;
    b = (RandF() * 15.0f + 30.0f) * b;
    const float alpha = RandF() * 0.4f + 0.3f;
    const float x = pos.x + (RandF() - 0.5f) * 100.0f;
    const float y = pos.y + (RandF() - 0.5f) * 100.0f;
    const float angle = RandF();
    SpawnDustSprite(SVec4{x, y, before, 1.0f}, SVec4{0.0f, 0.0f, 0.9f * dz, 0.0f}, b, alpha, 40, angle);
  }
  BuildMatrix();
}

int32_t Stage5Rock::Init(SProcArg) {
  SetName("Stage5Rock");
  pool_.Init(kPoolCells);  // without its cells no rock ever flies
  SetInitResult(0);
  return 0;
}

int32_t Stage5Rock::OnDispose(SProcArg) {
  while (RockPiece* p = static_cast<RockPiece*>(live_.HeadObj())) p->Release(1);
  return 0;
}

RockPiece* Stage5Rock::SpawnRock(const SVec4& p, int32_t c, int32_t d) {
  RockPiece* r = pool_.Acquire();
  if (r == nullptr) return nullptr;
  live_.PushBack(r);
  const float fc = float(c);
  r->startScale = RandF() * fc * 0.2f + fc * 0.1f;
  r->endScale = (RandF() * 0.5f + 1.0f) * r->startScale;
  const float r1 = RandF(), r2 = RandF(), r3 = RandF();
  r->startRot = SVec4{r2, r1, r3, 1.0f};
  r->endRot = r->startRot;
  r->endRot.x += (RandF() - 0.5f) * 3.0f;
  r->endRot.y += (RandF() - 0.5f) * 3.0f;
  r->endRot.z += (RandF() - 0.5f) * 3.0f;
  for (int i = 0; i < 3; ++i) RandF();  // drawn and not used
  r->duration = d;
  r->counter = 0;
  r->startPos = r->pos = p;
  r->endPos = SVec4{p.x, p.y, -30000.0f, 1.0f};
  r->rot = r->startRot;
  r->scale = r->startScale;
  r->BuildMatrix();
  return r;
}

void Stage5Rock::SpawnDust(const SVec4& p, float a, float e, float v, float q, int32_t f) {
  const float x = p.x + (RandF() - 0.5f) * e;
  const float y = p.y + (RandF() - 0.5f) * e;
  const float dx = (RandF() - 0.5f) * q;
  const float dy = (RandF() - 0.5f) * q;
  const SVec3 dir{dx, dy, 0.5f};
  const float length = std::sqrt(dir.x * dir.x + dir.y * dir.y + dir.z * dir.z);
  const SVec4 velocity{dir.x / length * v, dir.y / length * v, dir.z / length * v, 0.0f};
  const float size = RandF() * a * 15.0f + a * 30.0f;
  const float alpha = RandF() * 0.4f + 0.3f;
  const float angle = RandF();
  SpawnDustSprite(SVec4{x, y, p.z, 1.0f}, velocity, size, alpha, f, angle);
}

void Stage5Rock::SpawnRockAt(const SVec4& c, int32_t n, float e) {
  SVec4 p = c;
  p.x += (RandF() - 0.5f) * 2.0f * e;
  p.y += (RandF() - 0.5f) * 2.0f * e;
  const float fn = float(n);
  const float s = std::min(RandF() * fn * 0.5f * fn, 7.0f);
  const auto duration = static_cast<int32_t>((RandF() + 1.0f) * 120.0f);
  SpawnRock(p, static_cast<int32_t>(s), duration);
  SpawnDust(p, s * 0.3f, e * 0.01f, e, 0.2f, 30);
}

void Stage5Rock::SpawnBurst(const SVec4& c, int32_t m, float a, float e) {
  for (int32_t i = 0; i < m; ++i) {
    const auto frames = static_cast<int32_t>((RandF() + 1.0f) * 30.0f);
    SpawnDust(c, a, e, 1.0f, 0.2f, frames);
  }
  const auto j = static_cast<int32_t>((RandF() + 1.0f) * 4.0f);
  for (int32_t i = 0; i < j; ++i) SpawnRockAt(c, static_cast<int32_t>(RandF() * a + 1.0f), e);
}

void Stage5Rock::RockRain() {
  const int32_t k = StageProc::RailKey();
  if (k % 4 != 1) return;
  const float a = RandF() - 0.5f;
  const float d = k < 4700 ? (RandF() - 0.5f) * 14000.0f : RandF() * 4000.0f + 3000.0f;
  const SVec4 centre{std::cos(a * kTurnToRad) * d, std::sin(a * kTurnToRad) * d, 27000.0f, 0.0f};
  const auto n = static_cast<int32_t>((RandF() + 1.0f) * 2.0f);
  for (int32_t i = 0; i < n; ++i) SpawnRockAt(centre, static_cast<int32_t>(RandF() * 3.0f + 1.0f), 500.0f);
}

void Stage5Rock::ScriptedBursts() {
  const int32_t k = StageProc::RailKey();
  auto single = [this](const SVec4& c) { SpawnRockAt(c, static_cast<int32_t>(RandF() * 2.0f + 1.0f), 3000.0f); };
  if (k >= 4600 && k < 4615) {
    // Three falls of the first pillars, interleaved centre by centre.
    static constexpr SVec4 kCentres[3] = {{201.0f, -11859.0f, 29924.0f, 0.0f},
                                          {15.0f, -11393.0f, 22069.0f, 0.0f},
                                          {-1996.98303f, -20582.8125f, 24347.4434f, 0.0f}};
    static constexpr int32_t kCounts[3] = {8, 8, 3};
    for (int i = 0; i < 3; ++i) {
      if (k == 4600) SpawnBurst(kCentres[i], kCounts[i], 5.0f, 3000.0f);
      if (k % 3 == 1) single(kCentres[i]);
    }
    return;
  }
  static constexpr SVec4 kAhead{0.0f, 0.0f, 34240.0f, 0.0f};
  if (k >= 4720 && k < 4740) {
    if (k == 4720) SpawnBurst(kAhead, 30, 6.0f, 8000.0f);
    if (k % 4 == 1) single(kAhead);
  } else if (k >= 4880 && k < 4910) {
    if (k == 4880) SpawnBurst(kAhead, 70, 8.0f, 16000.0f);
    if (k % 4 == 1) single(kAhead);
  }
}

void Stage5Rock::UpdateFlare() {
  const int32_t k = StageProc::RailKey();
  const RailCamera* cam = g_MapMng.camera;
  const float* eye = cam->GetPosition();
  float u1[4], u2[4], u3[4];
  cam->GetAxes(u1, u2, u3);
  if (k <= 4700) return;
  uint32_t ringSheet = kFlareSheet;
  float ringFactor = 1.0f;
  // The light: a point along three axes of the camera from its position.
  auto light = [&](float a1, float a2, float a3) {
    return SVec3{eye[0] + u1[0] * a1 + u2[0] * a2 + u3[0] * a3, eye[1] + u1[1] * a1 + u2[1] * a2 + u3[1] * a3,
                 eye[2] + u1[2] * a1 + u2[2] * a2 + u3[2] * a3};
  };
  SVec3 l{};
  if (k <= 4900) {
    const float f = float(k - 4700) * 0.005f;
    l = light(6000.0f - 6000.0f * f, f * 2000.0f - 10000.0f, 80000.0f);
    if (k >= 4770 && k < 4880) {
      ringSheet = kFlareFadeSheet;
      if (k < 4820) ringFactor = float(k - 4770) * 0.02f;
    }
  } else {
    const float f = float(k - 4900) * (1.0f / 600.0f);
    l = light(80000.0f, -8000.0f - 42000.0f * f, -80000.0f * f);
    EfxMan* efx = EfxMan::Instance();
    if (k == 4920 && efx != nullptr) {
      static constexpr SVec4 kCentre{0.0f, 0.0f, 0.0f, 0.0f};
      static constexpr float kWhite[4] = {1.0f, 1.0f, 1.0f, 1.0f}, kClear[4] = {1.0f, 1.0f, 1.0f, 0.0f};
      efx->SpawnSprite(kFlashSheet, &kCentre, FlashKeys(), kWhite, kClear, 50, 300, 0.0f, 640.0f, 640.0f, nullptr,
                       nullptr, 0.0f, 1);
    }
  }
  const SVec2 at = LensFlare::Project(l);
  flare_.Draw(kFlareSheet, 1.0f, ringSheet, ringFactor, at.x, at.y);
}

int32_t Stage5Rock::Main(SProcArg) {
  const int32_t k = StageProc::RailKey();
  if (k == 3970) {
    // Four large rocks as the hall comes into view.
    SpawnRock(SVec4{1000.0f, 1000.0f, 2000.0f, 1.0f}, 3, 100);
    SpawnRock(SVec4{5000.0f, 1000.0f, 2000.0f, 1.0f}, 1, 80);
    SpawnRock(SVec4{7000.0f, 1000.0f, 2000.0f, 1.0f}, 2, 90);
    SpawnRock(SVec4{3000.0f, 1000.0f, 2000.0f, 1.0f}, 1, 120);
  } else if (k >= 4300 && k < 5300) {
    RockRain();
    ScriptedBursts();
    UpdateFlare();
  }
  const float behind = g_MapMng.camera->GetPosition()[2] - 1000.0f;
  const bool late = g_MapMng.t > 4300.0f;
  live_.SafeWalk([&](SObject* o) {
    auto* p = static_cast<RockPiece*>(o);
    if (p->counter > p->duration || (behind > p->pos.z && late))
      p->Release(1);
    else
      p->Update();
  });
  return 0;
}

int32_t Stage5Rock::Draw(SProcArg) {
  const ObjPlacer& slot = g_MapMng.layers[kRockSlot];
  SRsc_Image* image = slot.GetTexture();
  SRsc_Model* model = slot.GetModel();
  SGpPacket* mem = GetGpPacket();
  if (image == nullptr || model == nullptr || model->GetNode(0) == nullptr || mem == nullptr) return 0;
  // Through the collapse the scene has entered the view ahead at this key.
  image->GetTexturePacket(0)->Enter(kDrawKey);
  SGpNode* root = model->GetNode(0)->GetRoot();
  root->SetInheritWorld(1);
  for (SObject* o = live_.HeadObj(); o != nullptr; o = o->GetNext()) {
    WorldMatrixPacket* w = mem->New<WorldMatrixPacket>(&static_cast<RockPiece*>(o)->world);
    if (w == nullptr) return 0;
    w->Enter(kDrawKey);
    root->Enter(kDrawKey);
  }
  return 0;
}
