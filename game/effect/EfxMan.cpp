#include "game/effect/EfxMan.h"

#include <cmath>
#include <cstring>

#include "game/core/Game.h"
#include "game/effect/EfxMath.h"
#include "game/effect/EfxTables.h"
#include "game/tables/image_slots.h"
#include "vrax/graphic/SGpMan.h"
#include "vrax/graphic/SGpRing.h"
#include "vrax/graphic/SGpSpriteCell.h"
#include "vrax/resource/SRsc_Image.h"

EfxMan* EfxMan::s_instance = nullptr;

namespace {

constexpr float kWhite[4] = {1.0f, 1.0f, 1.0f, 1.0f};

void Copy4(float* out, const float* in) { std::memcpy(out, in, 4 * sizeof(float)); }

template <class T>
void ReleaseAll(SObjList* list) {
  while (!list->Empty()) static_cast<T*>(list->HeadObj())->Release(1);
}

void SizePrims(std::vector<std::unique_ptr<SGpObj_Prim>>* prims, int32_t n) {
  while (static_cast<int32_t>(prims->size()) < n)
    prims->push_back(std::make_unique<SGpObj_Prim>(plat::kFvfPosColourTex));
}

}  // namespace

// ============================================================ life cycle

EfxMan::EfxMan() : previous_(s_instance) { s_instance = this; }

EfxMan::~EfxMan() {
  ClearAll();
  if (s_instance == this) s_instance = previous_;
}

int32_t EfxMan::Init(SProcArg) {
  SetName("EfxMan");
  // Sprites left from an earlier run give their cells back before the
  // engine's pool is sized again.
  ClearAll();
  GetSpriteCellPool()->Init(kSpriteCells);
  sprites_.Init(kSprites);
  streaks_.Init(kStreaks);
  rings_.Init(kRings);
  ownedRings_.Init(kOwnedRings);
  discs_.Init(kDiscs);
  ribbons_.Init(kRibbons);
  tendrils_.Init(kTendrils);
  sequences_.Init(kSequences);
  glows_.Init(kGlows);
  SizePrims(&ringPrims_, kRings);
  SizePrims(&ownedRingPrims_, kOwnedRings);
  SizePrims(&discPrims_, kDiscs);
  // Each disc cell's primitive holds the finest disc from the start: cells
  // are handed out in turn, and growing each one on its first fine disc
  // would raise the memory for hours of play.
  for (auto& p : discPrims_) p->Alloc(1, 2 * 3 * kDiscFineSegments + 2);
  SizePrims(&ribbonPrims_, kRibbons);
  streakPrim_.AllocPrims(kStreaks);
  streakPrim_.SetActiveCount(0);
  return 0;
}

int32_t EfxMan::OnDispose(SProcArg) { return 0; }

int32_t EfxMan::PoolCapacity(int pool) const {
  const ObjPoolBase* pools[9] = {&sprites_, &streaks_, &rings_,     &ownedRings_, &discs_,
                                 &ribbons_, &tendrils_, &sequences_, &glows_};
  return (pool >= 1 && pool <= 9) ? pools[pool - 1]->Capacity() : 0;
}

void EfxMan::ClearAll() {
  ReleaseAll<EfxGlow>(&live_[8]);
  ReleaseAll<EfxSequence>(&live_[7]);
  ReleaseAll<EfxTendril>(&live_[6]);
  ReleaseAll<EfxRibbon>(&live_[5]);
  ReleaseAll<EfxStreak>(&live_[1]);
  ReleaseAll<EfxRing>(&live_[2]);
  ReleaseAll<EfxRing>(&live_[3]);
  ReleaseAll<EfxDisc>(&live_[4]);
  ReleaseAll<EfxSprite>(&live_[0]);
}

int32_t EfxMan::End(SProcArg) {
  UpdateSequences();
  UpdateTendrils();
  UpdateSprites();
  UpdateStreaks();
  UpdateRings();
  UpdateOwnedRings();
  UpdateDiscs();
  UpdateRibbons();
  UpdateGlows();
  return 0;
}

// ============================================================ sprite family

EfxSprite* EfxMan::TakeSprite(uint32_t sheet, int32_t mode) {
  EfxSprite* e = sprites_.Acquire();
  if (e == nullptr) return nullptr;
  Game* game = GetGame();
  SGpSpriteCell* cell = nullptr;
  if ((mode == 0 || mode == 1) && game != nullptr && sheet < static_cast<uint32_t>(Game::kLayers)) {
    SGpSpriteBatch& batch = game->LayerBatch(static_cast<int>(sheet));
    cell = mode == 0 ? batch.AddFront() : batch.AddBack();
  }
  if (cell == nullptr) {
    e->Release(1);
    return nullptr;
  }
  live_[0].PushBack(e);
  e->sprite.Set(cell);
  e->flags = 0;
  return e;
}

void EfxMan::FillSprite(EfxSprite* e, const SVec4* pos, const SGpKeyList* keys, const float* colour, float angle,
                        float scaleX, float scaleY, const SVec4* velocity, const SVec4* velocity2,
                        float damping) {
  if (velocity != nullptr) {
    e->flags |= EfxSprite::kVelocity;
    e->velocity = *velocity;
  }
  if (velocity2 != nullptr) {
    e->flags |= EfxSprite::kVelocity2;
    e->velocity2 = *velocity2;
  }
  if (damping != 0.0f) {
    e->flags |= EfxSprite::kDamping;
    e->damping = damping;
  }
  e->anchor.Clear();
  e->track.Init(keys);
  Copy4(e->colour, colour != nullptr ? colour : kWhite);
  e->counter = e->lifeA != 0 ? e->lifeA : e->lifeB;
  e->alive = 1;
  SGpSpriteCell* s = e->sprite.Get();
  std::memcpy(s->ownPos, pos, sizeof(s->ownPos));
  s->angle = angle;
  s->scaleX = scaleX;
  s->scaleY = scaleY;
  Copy4(s->colour, e->colour);
  s->part = e->track.GetPart();
  s->billboard = true;
}

void EfxMan::Anchor(EfxSprite* e, const SVec4* anchor, const SVec4* offset, SObject* holder) {
  e->anchor.Set(anchor, holder);
  e->offset = offset != nullptr ? *offset : SVec4{0.0f, 0.0f, 0.0f, 0.0f};
}

EfxSprite* EfxMan::SpawnSprite(uint32_t sheet, const SVec4* pos, const SGpKeyList* keys, const float* colour,
                               const float* target, int32_t lifeA, int32_t lifeB, float angle, float scaleX,
                               float scaleY, const SVec4* velocity, const SVec4* velocity2, float damping,
                               int32_t mode) {
  EfxSprite* e = TakeSprite(sheet, mode);
  if (e == nullptr) return nullptr;
  if (target != nullptr) {
    if (target != colour) {
      e->flags |= EfxSprite::kFade;
      Copy4(e->target, target);
    }
    e->fadeAlpha = target[3];
  } else {
    e->fadeAlpha = colour != nullptr ? colour[3] : 1.0f;
  }
  e->lifeA = lifeA;
  e->lifeB = lifeB;
  FillSprite(e, pos, keys, colour, angle, scaleX, scaleY, velocity, velocity2, damping);
  return e;
}

EfxSprite* EfxMan::SpawnSpriteEx(uint32_t sheet, const SVec4* anchor, const SGpKeyList* keys, const float* colour,
                                 const float* target, int32_t lifeA, int32_t lifeB, float angle, float scaleX,
                                 float scaleY, const SVec4* velocity, const SVec4* velocity2, float damping,
                                 int32_t mode, SObject* holder) {
  return SpawnSpriteEx2(sheet, anchor, nullptr, keys, colour, target, lifeA, lifeB, angle, scaleX, scaleY,
                        velocity, velocity2, damping, mode, holder);
}

EfxSprite* EfxMan::SpawnSpriteEx2(uint32_t sheet, const SVec4* anchor, const SVec4* offset,
                                  const SGpKeyList* keys, const float* colour, const float* target,
                                  int32_t lifeA, int32_t lifeB, float angle, float scaleX, float scaleY,
                                  const SVec4* velocity, const SVec4* velocity2, float damping, int32_t mode,
                                  SObject* holder) {
  EfxSprite* e = SpawnSprite(sheet, anchor, keys, colour, target, lifeA, lifeB, angle, scaleX, scaleY, velocity,
                             velocity2, damping, mode);
  if (e != nullptr) Anchor(e, anchor, offset, holder);
  return e;
}

EfxSprite* EfxMan::SpawnLook(uint32_t sheet, const SVec4* pos, const EfxSpriteDesc* look, float angle,
                             float scaleX, float scaleY, const SVec4* velocity, const SVec4* velocity2,
                             float damping, int32_t mode) {
  EfxSprite* e = TakeSprite(sheet, mode);
  if (e == nullptr) return nullptr;
  if (Vec4Differs(look->colourFrom, look->colourTo)) e->flags |= EfxSprite::kFade;
  Copy4(e->target, look->colourTo);
  e->fadeAlpha = look->colourTo[3];
  e->lifeA = look->p;
  e->lifeB = look->q;
  FillSprite(e, pos, look->keys, look->colourFrom, angle + static_cast<float>(GetDirSign()) * 0.25f, scaleX,
             scaleY, velocity, velocity2, damping);
  return e;
}

EfxSprite* EfxMan::SpawnSpriteDir(uint32_t sheet, const SVec4* pos, const EfxSpriteDesc* look, float angle,
                                  float scaleX, float scaleY, const SVec4* velocity, const SVec4* velocity2,
                                  float damping, int32_t mode) {
  return SpawnLook(sheet, pos, look, angle, scaleX, scaleY, velocity, velocity2, damping, mode);
}

EfxSprite* EfxMan::SpawnSpriteDir2(uint32_t sheet, const SVec4* anchor, const EfxSpriteDesc* look, float angle,
                                   float scaleX, float scaleY, const SVec4* velocity, const SVec4* velocity2,
                                   float damping, int32_t mode, SObject* holder) {
  return SpawnSpriteDir3(sheet, anchor, nullptr, look, angle, scaleX, scaleY, velocity, velocity2, damping, mode,
                         holder);
}

EfxSprite* EfxMan::SpawnSpriteDir3(uint32_t sheet, const SVec4* anchor, const SVec4* offset,
                                   const EfxSpriteDesc* look, float angle, float scaleX, float scaleY,
                                   const SVec4* velocity, const SVec4* velocity2, float damping, int32_t mode,
                                   SObject* holder) {
  EfxSprite* e = SpawnLook(sheet, anchor, look, angle, scaleX, scaleY, velocity, velocity2, damping, mode);
  if (e != nullptr) Anchor(e, anchor, offset, holder);
  return e;
}

// ============================================================ shapes

EfxStreak* EfxMan::SpawnB(uint32_t kind, const SVec4* pos, const SVec4* velocity, int32_t life, float width) {
  EfxStreak* e = streaks_.Acquire();
  if (e == nullptr) return nullptr;
  live_[1].PushBack(e);
  e->head = e->tail = *pos;
  e->velocity = *velocity;
  e->kind = static_cast<int32_t>(kind % 5);
  e->life = life;
  e->width = width;
  e->age = 0;
  return e;
}

EfxRing* EfxMan::TakeRing(ObjPool<EfxRing>* pool, SObjList* list, std::vector<std::unique_ptr<SGpObj_Prim>>* prims,
                          uint32_t rect, uint32_t easing, const SMatrix* m, float r0, float r1, float w0, float w1,
                          const float* colour1, const float* colour2, int32_t life) {
  EfxRing* e = pool->Acquire();
  if (e == nullptr) return nullptr;
  list->PushBack(e);
  e->prim = (*prims)[static_cast<size_t>(pool->IndexOf(e))].get();
  e->rect = static_cast<int32_t>(rect & 1);
  e->easing = static_cast<int32_t>(easing % 3);
  e->world.SetMatrix(*m);
  e->r0 = r0, e->r1 = r1, e->w0 = w0, e->w1 = w1;
  Copy4(e->colour1, colour1);
  Copy4(e->colour2, colour2);
  e->life = life;
  e->age = 0;
  return e;
}

EfxRing* EfxMan::SpawnC(uint32_t rect, uint32_t easing, const SMatrix* m, float r0, float r1, float w0, float w1,
                        const float* colour1, const float* colour2, int32_t life, const SVec4* velocity) {
  EfxRing* e = TakeRing(&rings_, &live_[2], &ringPrims_, rect, easing, m, r0, r1, w0, w1, colour1, colour2, life);
  if (e != nullptr && velocity != nullptr) e->velocity = *velocity;
  return e;
}

EfxRing* EfxMan::SpawnC2(uint32_t rect, uint32_t easing, const SMatrix* m, float r0, float r1, float w0, float w1,
                         const float* colour1, const float* colour2, int32_t life, const SVec4* velocity,
                         SObject* holder) {
  EfxRing* e = SpawnC(rect, easing, m, r0, r1, w0, w1, colour1, colour2, life, velocity);
  if (e != nullptr) e->follow.Set(m, holder);
  return e;
}

EfxRing* EfxMan::SpawnC3(uint32_t rect, uint32_t easing, const SMatrix* m, float r0, float r1, float w0, float w1,
                         const float* colour1, const float* colour2, int32_t life, SProc* owner, SObject* holder) {
  EfxRing* e = TakeRing(&ownedRings_, &live_[3], &ownedRingPrims_, rect, easing, m, r0, r1, w0, w1, colour1,
                        colour2, life);
  if (e == nullptr) return nullptr;
  e->follow.Set(m, holder);
  e->owner.Set(owner);
  return e;
}

EfxDisc* EfxMan::TakeDisc(uint32_t rect, uint32_t easing, const SMatrix* m, float r0, float r1,
                          const float* colour1, const float* colour2, int32_t life, const SVec4* velocity) {
  EfxDisc* e = discs_.Acquire();
  if (e == nullptr) return nullptr;
  live_[4].PushBack(e);
  e->prim = discPrims_[static_cast<size_t>(discs_.IndexOf(e))].get();
  e->rect = static_cast<int32_t>(rect & 1);
  e->easing = static_cast<int32_t>(easing % 3);
  e->world.SetMatrix(*m);
  e->r0 = r0, e->r1 = r1;
  Copy4(e->colour1, colour1);
  Copy4(e->colour2, colour2);
  e->life = life;
  e->age = 0;
  if (velocity != nullptr) e->velocity = *velocity;
  return e;
}

EfxDisc* EfxMan::SpawnD(uint32_t rect, uint32_t easing, const SMatrix* m, float r0, float r1, const float* colour1,
                        const float* colour2, int32_t life, const SVec4* velocity) {
  return TakeDisc(rect, easing, m, r0, r1, colour1, colour2, life, velocity);
}

EfxDisc* EfxMan::SpawnD2(uint32_t rect, uint32_t easing, const SMatrix* m, float r0, float r1, const float* colour1,
                         const float* colour2, int32_t life, const SVec4* velocity, SObject* holder) {
  EfxDisc* e = TakeDisc(rect, easing, m, r0, r1, colour1, colour2, life, velocity);
  if (e != nullptr) e->follow.Set(m, holder);
  return e;
}

EfxDisc* EfxMan::SpawnD3(uint32_t rect, uint32_t easing, const SMatrix* m, float r0, float r1, const float* colour1,
                         const float* colour2, int32_t life, const SVec4* velocity, SObject* holder) {
  EfxDisc* e = SpawnD2(rect, easing, m, r0, r1, colour1, colour2, life, velocity, holder);
  if (e != nullptr) e->positionOnly = 1;
  return e;
}

EfxGlow* EfxMan::SpawnE(const SVec4* pos, int32_t kind, float size, int32_t life, SObject* holder) {
  // Disc A and disc B colours per kind: A's start and end, then B's end (B
  // starts as A does).
  static constexpr float kColours[3][3][4] = {
      {{1, 0.95f, 0.95f, 1}, {1, 0, 0, 0.25f}, {1, 0, 0, 0}},
      {{1, 1, 1, 1}, {0, 0.25f, 1, 0.25f}, {0, 0.25f, 1, 0}},
      {{1, 0.95f, 0.95f, 1}, {1, 0.5f, 0, 0.25f}, {1, 0.5f, 0, 0}},
  };
  EfxGlow* e = glows_.Acquire();
  if (e == nullptr) return nullptr;
  live_[8].PushBack(e);
  e->follow.Set(pos, holder);
  e->matrix = kIdentityMatrix;
  std::memcpy(e->matrix.m[3], pos, sizeof(SVec4));
  e->kind = kind;
  e->size = size;
  e->life = life;
  e->age = 0;
  if (kind >= 0 && kind <= 2) {
    const auto& c = kColours[kind];
    e->discA.Set(SpawnD2(0, 1, &e->matrix, 4.0f, size, c[0], c[1], life + 1, nullptr, e));
    e->discB.Set(SpawnD2(0, 0, &e->matrix, 1.0f, size * 0.5f, c[0], c[2], life + 1, nullptr, e));
  }
  return e;
}

EfxTendril* EfxMan::TakeTendril(uint32_t row, const SVec4* start, const SVec4* target, float step0, float step1,
                                float width, int32_t life) {
  EfxTendril* e = tendrils_.Acquire();
  if (e == nullptr) return nullptr;
  EfxRibbon* ribbon = SpawnRibbon(16, 0.9f, 0);
  if (ribbon == nullptr) {
    e->Release(1);
    return nullptr;
  }
  live_[6].PushBack(e);
  e->row = static_cast<int32_t>(row);
  e->ribbon.Set(ribbon);
  e->targetCopy = *target;
  e->target.Set(&e->targetCopy, nullptr);
  e->position = *start;
  e->heading = std::atan2(target->y - start->y, target->x - start->x) * 0.15915494f;
  e->width = width;
  e->step0 = step0;
  e->step1 = step1;
  e->life = life;
  e->age = 0;
  e->phase = 0;
  return e;
}

EfxTendril* EfxMan::SpawnF(uint32_t row, const SVec4* start, const SVec4* target, float step0, float step1,
                           float width, int32_t life) {
  EfxTendril* e = TakeTendril(row, start, target, step0, step1, width, life);
  if (e != nullptr) AddRibbonPoint(e->ribbon.Get(), start, width, EfxTendrilRect(row, 0));
  return e;
}

EfxTendril* EfxMan::SpawnF2(uint32_t row, const SVec4* start, const SVec4* target, float step0, float step1,
                            float width, int32_t life, SObject* holder) {
  EfxTendril* e = TakeTendril(row, start, target, step0, step1, width, life);
  if (e == nullptr) return nullptr;
  e->target.Set(target, holder);
  e->phase = static_cast<int32_t>(RandF() * 8.0f);
  AddRibbonPoint(e->ribbon.Get(), start, width, EfxTendrilRect(row, e->phase % 8));
  return e;
}

EfxSequence* EfxMan::TakeSequence(uint32_t kind, const SVec4* pos, float param) {
  RandF();  // drawn whatever follows: replays count on it
  if (kind == 0 || kind > 7) return nullptr;
  EfxSequence* e = sequences_.Acquire();
  if (e == nullptr) return nullptr;
  live_[7].PushBack(e);
  e->kind = static_cast<int32_t>(kind);
  e->param = param;
  e->pos = *pos;
  e->age = 0;
  return e;
}

EfxSequence* EfxMan::SpawnRandom(uint32_t kind, const SVec4* pos, float param, SProc* victim) {
  EfxSequence* e = TakeSequence(kind, pos, param);
  if (e != nullptr) e->victim.Set(victim);
  return e;
}

EfxSequence* EfxMan::SpawnRandom(uint32_t kind, const SVec4* pos, float param, int32_t count) {
  EfxSequence* e = TakeSequence(kind, pos, param);
  if (e != nullptr) e->count = count;
  return e;
}

EfxRibbon* EfxMan::SpawnRibbon(int32_t n, float decay, int32_t word) {
  EfxRibbon* e = ribbons_.Acquire();
  if (e == nullptr) return nullptr;
  live_[5].PushBack(e);
  e->prim = ribbonPrims_[static_cast<size_t>(ribbons_.IndexOf(e))].get();
  e->maxPoints = n < 0 ? 0 : n;  // a negative n would reserve a negative size
  e->decay = decay;
  e->alpha = 1.0f;
  e->word = word;
  e->points.reserve(static_cast<size_t>(e->maxPoints) + 1);
  e->prim->Alloc(e->maxPoints, 4);
  return e;
}

void EfxMan::AddRibbonPoint(EfxRibbon* ribbon, const SVec4* p, float width, const SGpRect* rect) {
  if (ribbon != nullptr) ribbon->AddPoint(p, width, rect);
}
