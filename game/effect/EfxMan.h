#pragma once
// The effect manager: the persistent process that owns every short-lived
// visual effect of play. Nine fixed pools of effect elements (see
// EfxElements.h), each with a live list in spawn order, and one shared
// primitive into which every streak is written each frame. Any code spawns
// effects through the calls below; the manager steps every live element once
// per frame in EVENT_END and enters their packets in EVENT_DRAW.
//
// Every spawn takes one element from its pool and returns it, or returns null
// (changing nothing) when the pool is full or what the element needs cannot
// be had. Positions, velocities and offsets are four floats (SVec4); colours
// are four floats red, green, blue, alpha (0 to 1); angles are in turns.
//
// Followed pointers (an anchor, a followed matrix or target): the optional
// last argument names the object that holds the memory pointed at. It
// defaults to the process whose handler is running (the usual caller follows
// a field of its own); once that object is gone the element stops following
// and keeps its last place.
#include <cstdint>
#include <memory>
#include <vector>

#include "game/core/ObjPool.h"
#include "game/effect/EfxElements.h"
#include "game/tables/EfxSpriteDesc.h"
#include "vrax/kernel/SProc.h"

class EfxMan : public SProc {
 public:
  // Pool capacities, pools 1 to 9.
  static constexpr int32_t kSprites = 4096;
  static constexpr int32_t kStreaks = 384;
  static constexpr int32_t kRings = 128;
  static constexpr int32_t kOwnedRings = 64;
  static constexpr int32_t kDiscs = 64;
  static constexpr int32_t kRibbons = 64;
  static constexpr int32_t kTendrils = 32;
  static constexpr int32_t kSequences = 32;
  static constexpr int32_t kGlows = 32;
  // Ring segment counts of a disc (in threes): the fine disc of rect 1 and
  // the plain one.
  static constexpr int32_t kDiscFineSegments = 128;
  static constexpr int32_t kDiscSegments = 24;
  // Sprite requests the manager asks the engine's sprite pool for.
  static constexpr int32_t kSpriteCells = 2048;
  // Draw keys of the shape effects.
  static constexpr int32_t kKeyOwnedRings = 4;
  static constexpr int32_t kKeyStreaks = 6;
  static constexpr int32_t kKeyRings = 8;
  static constexpr int32_t kKeyRibbons = 13;

  EfxMan();
  ~EfxMan() override;
  // The manager recorded by the latest constructor (null when none).
  static EfxMan* Instance() { return s_instance; }

  // Releases every live element: pools 9, 8, 7, 6, 2, 3, 4, 5, 1, each list
  // from its head.
  void ClearAll();

  // ------------------------------------------------------------ sprites
  // mode 0 puts the sprite at the front of sheet's list, 1 at the back; any
  // other mode, an empty pool or a sheet without a sprite gives null. A null
  // colour means white; a target colour other than the colour itself fades
  // towards it over life A; life B then fades the alpha out.
  EfxSprite* SpawnSprite(uint32_t sheet, const SVec4* pos, const SGpKeyList* keys, const float* colour,
                         const float* target, int32_t lifeA, int32_t lifeB, float angle, float scaleX,
                         float scaleY, const SVec4* velocity, const SVec4* velocity2, float damping,
                         int32_t mode);
  // As SpawnSprite, following an anchor; the offset starts at zero.
  EfxSprite* SpawnSpriteEx(uint32_t sheet, const SVec4* anchor, const SGpKeyList* keys, const float* colour,
                           const float* target, int32_t lifeA, int32_t lifeB, float angle, float scaleX,
                           float scaleY, const SVec4* velocity, const SVec4* velocity2, float damping,
                           int32_t mode, SObject* holder = GetCurrentProcess());
  // As SpawnSpriteEx with a starting offset from the anchor.
  EfxSprite* SpawnSpriteEx2(uint32_t sheet, const SVec4* anchor, const SVec4* offset, const SGpKeyList* keys,
                            const float* colour, const float* target, int32_t lifeA, int32_t lifeB, float angle,
                            float scaleX, float scaleY, const SVec4* velocity, const SVec4* velocity2,
                            float damping, int32_t mode, SObject* holder = GetCurrentProcess());
  // The look-record forms: key list, colours and lives come from `look`; the
  // sprite is turned by a quarter turn times the screen's direction sign.
  EfxSprite* SpawnSpriteDir(uint32_t sheet, const SVec4* pos, const EfxSpriteDesc* look, float angle,
                            float scaleX, float scaleY, const SVec4* velocity, const SVec4* velocity2,
                            float damping, int32_t mode);
  EfxSprite* SpawnSpriteDir2(uint32_t sheet, const SVec4* anchor, const EfxSpriteDesc* look, float angle,
                             float scaleX, float scaleY, const SVec4* velocity, const SVec4* velocity2,
                             float damping, int32_t mode, SObject* holder = GetCurrentProcess());
  EfxSprite* SpawnSpriteDir3(uint32_t sheet, const SVec4* anchor, const SVec4* offset, const EfxSpriteDesc* look,
                             float angle, float scaleX, float scaleY, const SVec4* velocity,
                             const SVec4* velocity2, float damping, int32_t mode,
                             SObject* holder = GetCurrentProcess());

  // ------------------------------------------------------------ shapes
  // A streak of kind 0 to 4 (taken mod 5) from pos, moving by velocity.
  EfxStreak* SpawnB(uint32_t kind, const SVec4* pos, const SVec4* velocity, int32_t life, float width);
  // A ring on a copy of the matrix, drifting by velocity (null: none).
  EfxRing* SpawnC(uint32_t rect, uint32_t easing, const SMatrix* m, float r0, float r1, float w0, float w1,
                  const float* colour1, const float* colour2, int32_t life, const SVec4* velocity);
  // As SpawnC, re-placed on the matrix every frame (the velocity adds up in
  // an offset).
  EfxRing* SpawnC2(uint32_t rect, uint32_t easing, const SMatrix* m, float r0, float r1, float w0, float w1,
                   const float* colour1, const float* colour2, int32_t life, const SVec4* velocity,
                   SObject* holder = GetCurrentProcess());
  // A ring that follows the matrix and ends once owner is gone or killed.
  EfxRing* SpawnC3(uint32_t rect, uint32_t easing, const SMatrix* m, float r0, float r1, float w0, float w1,
                   const float* colour1, const float* colour2, int32_t life, SProc* owner,
                   SObject* holder = GetCurrentProcess());
  // A disc on a copy of the matrix; SpawnD2 follows the matrix, SpawnD3 only
  // its translation.
  EfxDisc* SpawnD(uint32_t rect, uint32_t easing, const SMatrix* m, float r0, float r1, const float* colour1,
                  const float* colour2, int32_t life, const SVec4* velocity);
  EfxDisc* SpawnD2(uint32_t rect, uint32_t easing, const SMatrix* m, float r0, float r1, const float* colour1,
                   const float* colour2, int32_t life, const SVec4* velocity, SObject* holder = GetCurrentProcess());
  EfxDisc* SpawnD3(uint32_t rect, uint32_t easing, const SMatrix* m, float r0, float r1, const float* colour1,
                   const float* colour2, int32_t life, const SVec4* velocity, SObject* holder = GetCurrentProcess());
  // A glow (kind 0 red, 1 blue, 2 orange) following pos, with two discs and
  // sparks.
  EfxGlow* SpawnE(const SVec4* pos, int32_t kind, float size, int32_t life, SObject* holder = GetCurrentProcess());
  // A tendril from start steering towards a copy of target (SpawnF2: towards
  // target itself, followed), laying a ribbon of rectangles of row `row`.
  EfxTendril* SpawnF(uint32_t row, const SVec4* start, const SVec4* target, float step0, float step1, float width,
                     int32_t life);
  EfxTendril* SpawnF2(uint32_t row, const SVec4* start, const SVec4* target, float step0, float step1,
                      float width, int32_t life, SObject* holder = GetCurrentProcess());
  // A scripted explosion sequence of kind 1 to 7. Draws one rand value
  // first, whatever happens next. Kind 1 waits `frames` and kind 2 until the
  // rail passes `param`, then ease the rail speed back to 1.0; kinds 3 to 7
  // are the big timelines, which kill `victim` at their blast (when it is
  // still alive then).
  EfxSequence* SpawnRandom(uint32_t kind, const SVec4* pos, float param, SProc* victim);
  EfxSequence* SpawnRandom(uint32_t kind, const SVec4* pos, float param, int32_t count);
  // A ribbon of at most n + 1 points whose widths shrink by `decay` a frame.
  EfxRibbon* SpawnRibbon(int32_t n, float decay, int32_t word);
  static void AddRibbonPoint(EfxRibbon* ribbon, const SVec4* p, float width, const SGpRect* rect);

  // ------------------------------------------------------------ frame
  // The updaters, in the order OnEnd runs them.
  void UpdateSequences();
  void UpdateTendrils();
  void UpdateSprites();
  void UpdateStreaks();
  void UpdateRings();
  void UpdateOwnedRings();
  void UpdateDiscs();
  void UpdateRibbons();
  void UpdateGlows();
  // The drawers that OnDraw calls after the streaks.
  void DrawRings();
  void DrawOwnedRings();
  void DrawDiscs();
  void DrawRibbons();

  // ------------------------------------------------------------ inspection
  const SObjList& Live(int pool) const { return live_[pool - 1]; }
  int32_t LiveCount(int pool) const { return live_[pool - 1].Count(); }
  int32_t PoolCapacity(int pool) const;
  const SGpObj_PrimQuadFill& StreakPrim() const { return streakPrim_; }

 protected:
  int32_t Init(SProcArg arg) override;
  int32_t Draw(SProcArg arg) override;
  int32_t End(SProcArg arg) override;
  int32_t OnDispose(SProcArg arg) override;

 private:
  EfxSprite* TakeSprite(uint32_t sheet, int32_t mode);
  void FillSprite(EfxSprite* e, const SVec4* pos, const SGpKeyList* keys, const float* colour, float angle,
                  float scaleX, float scaleY, const SVec4* velocity, const SVec4* velocity2, float damping);
  void Anchor(EfxSprite* e, const SVec4* anchor, const SVec4* offset, SObject* holder);
  EfxSprite* SpawnLook(uint32_t sheet, const SVec4* pos, const EfxSpriteDesc* look, float angle, float scaleX,
                       float scaleY, const SVec4* velocity, const SVec4* velocity2, float damping, int32_t mode);
  EfxRing* TakeRing(ObjPool<EfxRing>* pool, SObjList* list, std::vector<std::unique_ptr<SGpObj_Prim>>* prims,
                    uint32_t rect, uint32_t easing, const SMatrix* m, float r0, float r1, float w0, float w1,
                    const float* colour1, const float* colour2, int32_t life);
  EfxDisc* TakeDisc(uint32_t rect, uint32_t easing, const SMatrix* m, float r0, float r1, const float* colour1,
                    const float* colour2, int32_t life, const SVec4* velocity);
  EfxTendril* TakeTendril(uint32_t row, const SVec4* start, const SVec4* target, float step0, float step1,
                          float width, int32_t life);
  EfxSequence* TakeSequence(uint32_t kind, const SVec4* pos, float param);
  void StepRing(EfxRing* e, bool owned);
  void StepSequence(EfxSequence* e);

  ObjPool<EfxSprite> sprites_;
  ObjPool<EfxStreak> streaks_;
  ObjPool<EfxRing> rings_;
  ObjPool<EfxRing> ownedRings_;
  ObjPool<EfxDisc> discs_;
  ObjPool<EfxRibbon> ribbons_;
  ObjPool<EfxTendril> tendrils_;
  ObjPool<EfxSequence> sequences_;
  ObjPool<EfxGlow> glows_;
  SObjList live_[9];
  SGpObj_PrimQuadFill streakPrim_{plat::kFvfPosColourTex};
  // One primitive per cell of the ring, owned-ring, disc and ribbon pools.
  std::vector<std::unique_ptr<SGpObj_Prim>> ringPrims_, ownedRingPrims_, discPrims_, ribbonPrims_;
  // Edge points of the ribbon being rebuilt.
  std::vector<float> ribbonEdges_;

  static EfxMan* s_instance;
  EfxMan* previous_ = nullptr;
};

// The persistent object; the game root adds it to its lists in scene 2.
extern EfxMan g_EfxMan;
