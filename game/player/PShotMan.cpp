#include "game/player/PShotMan.h"

#include <cmath>

#include "game/core/Game.h"
#include "game/effect/RandF.h"
#include "game/player/PlayerFx.h"
#include "game/tables/shot_tables.h"
#include "vrax/graphic/SGpState.h"

namespace {

// Damage factors of the difficulty settings 0 (very easy) to 4 (very hard).
constexpr float kDifficultyFactor[5] = {2.0f, 1.5f, 1.0f, 0.75f, 0.5f};

const SGpKeyList* const kKindLists[PShotMan::kKinds] = {SprPShot01KeysA, SprPShot01KeysB, SprEShot01_1KeysA,
                                                         SprEShot01_1KeysB};

bool InRange(float v, float limit) { return v >= -limit && v <= limit; }

}  // namespace

int32_t PShotMan::Init(SProcArg) {
  SetName("PShotMan");
  for (int32_t k = 0; k < kKinds; ++k) tracks_[k].Init(kKindLists[k]);
  pool_.Init(kCapacity);
  if (batch_.GetPrimCapacity() < kCapacity) batch_.AllocPrims(kCapacity);
  batch_.Seek(0, 0);
  for (int32_t v = 0; v < kCapacity * 4; ++v) {
    batch_.SetColour(1.0f, 1.0f, 1.0f, 1.0f);
    batch_.Next();
  }
  batch_.SetActiveCount(0);
  SetInitResult(0);
  return 0;
}

int32_t PShotMan::OnDispose(SProcArg) { return 0; }

PShot* PShotMan::Fire(int32_t kind, int32_t big, float x, float y, float vx, float vy, float widthScale,
                      float lengthScale, float damage) {
  PShot* s = pool_.Acquire();
  if (s == nullptr) return nullptr;
  if (const Game* g = Game::GetInstance();
      g != nullptr && g->GetSceneId() == SCENE_STAGE && (g->stage < 101 || g->stage > 103)) {
    // A difficulty word outside the table leaves the damage as it is.
    const int32_t d = g->settings[SettingsWord::difficulty];
    if (d >= 0 && d < 5) damage *= kDifficultyFactor[d];
  }
  s->Register(big == 0 ? kHitGroupShot : kHitGroupBigShot, 0, s->position, big == 0 ? 12.0f : 20.0f, this,
              static_cast<intptr_t>(damage), 100);
  s->kind = kind & (kKinds - 1);
  s->age = 0;
  s->position[0] = x;
  s->position[1] = y;
  s->position[2] = 0.0f;
  s->position[3] = 1.0f;
  s->velocity[0] = vx;
  s->velocity[1] = vy;
  s->words[0] = s->words[1] = 0;
  const SGpRect* part = tracks_[s->kind].GetPart();
  const float w = widthScale * (part != nullptr ? part->width : 0.0f);
  const float l = lengthScale * (part != nullptr ? part->height : 0.0f);
  const float a = std::atan2(vy, vx);
  const float c = std::cos(a), sn = std::sin(a);
  s->position[0] += l * 0.25f * c;
  s->position[1] += l * 0.25f * sn;
  float(&p)[4][4] = s->corners;
  p[0][0] = c * l / 8.0f + sn * w / 2.0f;
  p[0][1] = sn * l / 8.0f - c * w / 2.0f;
  p[1][0] = p[0][0] - sn * w;
  p[1][1] = p[0][1] + c * w;
  p[2][0] = p[0][0] - c * l;
  p[2][1] = p[0][1] - sn * l;
  p[3][0] = p[1][0] - c * l;
  p[3][1] = p[1][1] - sn * l;
  // The inner quad is 2 px smaller along the shot; a shot without length
  // has none.
  const float shrink = l > 2.0f ? (l - 2.0f) / l : 0.0f;
  for (int i = 0; i < 4; ++i) {
    p[i][2] = 0.0f;
    p[i][3] = 1.0f;
    s->inner[i][0] = p[i][0] * shrink;
    s->inner[i][1] = p[i][1] * shrink;
    s->inner[i][2] = 0.0f;
    s->inner[i][3] = 1.0f;
  }
  return s;
}

void PShotMan::MoveGroup(int32_t group) {
  // The group's bodies in their list order; each one's successor is taken
  // before it moves, since a shot that leaves is released (and unlinked).
  HitGroupTable[group].SafeWalk([this](SObject* o) {
    auto* body = static_cast<HitBody*>(o);
    if (body->owner != this) return;
    auto* s = static_cast<PShot*>(body);
    s->position[1] += s->velocity[1];
    bool lives = false;
    if (InRange(s->position[1], kLimitY)) {
      s->position[0] += s->velocity[0];
      lives = InRange(s->position[0], kLimitX);
    }
    if (!lives) {
      s->Release(1);
      return;
    }
    const int32_t q = batch_.GetActiveCount();
    if (q < kCapacity) {
      const SGpRect* part = tracks_[s->kind].GetPart();
      batch_.Seek(q, 0);
      for (int v = 0; v < 4; ++v) {
        batch_.SetPos(s->position[0] + s->corners[v][0], s->position[1] + s->corners[v][1], 0.0f);
        if (part != nullptr) {
          const SGpUV uv = part->Corner(v);
          batch_.SetUV(uv.u, uv.v);
        }
        batch_.Next();
      }
      batch_.SetActiveCount(q + 1);
    }
    ++s->age;
  });
}

int32_t PShotMan::End(SProcArg) {
  batch_.SetActiveCount(0);
  for (SGpKeyTrack& t : tracks_) t.Advance(1.0f);
  MoveGroup(kHitGroupShot);
  MoveGroup(kHitGroupBigShot);
  return 0;
}

int32_t PShotMan::Draw(SProcArg) {
  WorldPresets[1].Enter(kDrawKey);
  if (SGpObj* tex = SprPShot01[0].GetTexture()) tex->Enter(kDrawKey);
  batch_.Enter(kDrawKey);
  return 0;
}

int32_t PShotMan::User(int32_t code, SProcArg arg) {
  if (code != kHitEventHit) return 0;
  // Only a live shot of this pool is released.
  const int32_t i = pool_.IndexOf(reinterpret_cast<const void*>(arg));
  if (i < 0 || !pool_.InUse(i)) return 0;
  PShot* s = pool_.At(i);
  SpawnHitEffect(s->position);
  s->Release(1);
  return 0;
}

void PShotMan::SpawnHitEffect(const float* position) {
  const float r = RandF();
  if (r >= 0.75f) {
    const float r1 = RandF();
    const float r2 = RandF();
    const float r3 = RandF();
    const float b = (0.25f + (r1 - 0.5f) * 0.1f) * 6.2831855f;
    const float v = 3.0f + 4.0f * r2;
    const float velocity[4] = {std::cos(b) * v, std::sin(b) * v, 0.0f, 1.0f};
    PlayerFx::Spark(position, velocity, 40 + static_cast<int32_t>(std::floor(40.0f * r3)), 0.8f);
  }
  PlayerFx::HitSprite(position, RandF());
}

void PShotMan::ReleaseAll() { pool_.DestroyAll(); }

void PShotMan::DisableBig() {
  for (int32_t i = 0; i < pool_.Capacity(); ++i)
    if (pool_.InUse(i) && pool_.At(i)->group == kHitGroupBigShot) pool_.At(i)->SetDisabled(1);
}
