#pragma once
// The pooled records that EfxMan steps and draws: sprite particles, streaks,
// rings, discs, ribbons, tendrils, explosion sequences and glows. They are not
// processes; each lives in a cell of one of the manager's pools and on its
// live list, and Release(1) (its destructor) unlinks it, gives back what it
// owns and returns the cell.
//
// Rings, discs and ribbons draw through a primitive that the manager keeps
// per pool cell, so spawning allocates nothing once a cell has been used.
//
// Whatever an element follows that it does not own (an anchor position, a
// matrix, a target, an owner process, a process to kill) is named by a checked
// handle on the object that holds it: once that object is gone the element
// stops following (or, for an owned ring, ends) instead of reading freed or
// reused memory.
#include <cstdint>
#include <vector>

#include "game/core/ObjPool.h"
#include "vrax/graphic/SGpKeyTrack.h"
#include "vrax/graphic/SGpObj_Prim.h"
#include "vrax/graphic/SGpSpriteCell.h"
#include "vrax/graphic/SGpState.h"
#include "vrax/graphic/SMath.h"
#include "vrax/kernel/SHandle.h"
#include "vrax/kernel/SProc.h"

// A followed pointer and the object that holds it. Without a holder the
// pointer is trusted as it is (a global, or memory the caller keeps alive).
template <class T>
struct EfxFollow {
  const T* ptr = nullptr;
  SHandle<SObject> holder;
  bool checked = false;

  void Set(const T* p, SObject* h) {
    ptr = p;
    holder.Set(h);
    checked = h != nullptr;
  }
  void Clear() {
    ptr = nullptr;
    holder.Reset();
    checked = false;
  }
  // The pointer while its holder exists; null once it is gone (and from then
  // on: the link is cut).
  const T* Get() {
    if (ptr != nullptr && checked && holder.Get() == nullptr) Clear();
    return ptr;
  }
};

// Pool 1: a sprite particle with its engine sprite.
class EfxSprite : public PoolElement {
 public:
  enum Flags : uint32_t {
    kFade = 1,
    kVelocity = 2,
    kVelocity2 = 4,
    kDamping = 8,
    kAccel = 0x40,
  };
  // Gives the engine sprite back to its pool (and unlinks it from its sheet).
  ~EfxSprite() override;

  // Sets the acceleration added to the velocity every frame (flag 0x40).
  void SetAccel(float x, float y, float z);
  // The engine sprite while it exists.
  SGpSpriteCell* Sprite() const { return sprite.Get(); }

  EfxFollow<SVec4> anchor;
  SVec4* motion = nullptr;  // the sprite's own position, or `offset`
  SVec4 offset{0, 0, 0, 0};
  SHandle<SGpSpriteCell> sprite;
  SGpKeyTrack track;
  float colour[4] = {1, 1, 1, 1};
  float target[4] = {1, 1, 1, 1};
  int32_t lifeA = 0, lifeB = 0;
  SVec4 velocity{0, 0, 0, 0};
  SVec4 accel{0, 0, 0, 0};
  SVec4 velocity2{0, 0, 0, 0};
  float damping = 0.0f;
  float fadeAlpha = 1.0f;
  uint32_t flags = 0;
  int32_t counter = 0;
  int32_t alive = 1;
};

// Pool 2: a streak, written into the shared streak primitive every frame.
class EfxStreak : public PoolElement {
 public:
  SVec4 head{0, 0, 0, 0};
  SVec4 tail{0, 0, 0, 0};
  SVec4 velocity{0, 0, 0, 0};
  float width = 0.0f;
  int32_t kind = 0;
  int32_t life = 0;
  int32_t age = 0;
};

// Pools 3 and 4: a ring (an annulus drawn from one of two ring rectangles).
class EfxRing : public PoolElement {
 public:
  SGpState_World world;
  EfxFollow<SMatrix> follow;
  SVec4 offset{0, 0, 0, 0};
  SVec4 velocity{0, 0, 0, 1};
  float r0 = 0, r1 = 0, w0 = 0, w1 = 0;
  float colour1[4] = {};
  float colour2[4] = {};
  int32_t easing = 0;
  int32_t rect = 0;
  int32_t life = 0;
  int32_t age = 0;
  SGpObj_Prim* prim = nullptr;  // the manager's primitive for this cell
  // Pool 4 only: the ring ends once this process is gone or killed.
  SHandle<SProc> owner;
};

// Pool 5: a filled disc.
class EfxDisc : public PoolElement {
 public:
  SGpState_World world;
  EfxFollow<SMatrix> follow;
  SVec4 offset{0, 0, 0, 0};
  SVec4 velocity{0, 0, 0, 1};
  float r0 = 0, r1 = 0;
  float colour1[4] = {};
  float colour2[4] = {};
  int32_t easing = 0;
  int32_t rect = 0;
  int32_t life = 0;
  int32_t age = 0;
  uint8_t positionOnly = 0;
  SGpObj_Prim* prim = nullptr;  // the manager's primitive for this cell
};

// Pool 6: a ribbon, a polyline with a width per point, newest point first.
class EfxRibbon : public PoolElement {
 public:
  struct Point {
    float x, y, z, w;
    float width;
    const SGpRect* rect;
  };
  // Inserts a point at the front; the oldest goes once more than n are held.
  void AddPoint(const SVec4* p, float width, const SGpRect* rect);

  int32_t maxPoints = 0;
  float decay = 1.0f;
  float alpha = 1.0f;
  int32_t word = 0;
  std::vector<Point> points;
  SGpObj_Prim* prim = nullptr;  // the manager's primitive for this cell
};

// Pool 7: a tendril that steers towards a target and lays its ribbon.
class EfxTendril : public PoolElement {
 public:
  // Releases its ribbon with it.
  ~EfxTendril() override;

  int32_t row = 0;
  SHandle<EfxRibbon> ribbon;
  EfxFollow<SVec4> target;  // its own copy, or a followed target
  SVec4 targetCopy{0, 0, 0, 0};
  SVec4 position{0, 0, 0, 0};
  float heading = 0.0f;
  float width = 0.0f;
  float step0 = 0.0f, step1 = 0.0f;
  int32_t life = 0;
  int32_t age = 0;
  int32_t phase = 0;
};

// Pool 8: a scripted explosion sequence (kinds 1 to 7).
class EfxSequence : public PoolElement {
 public:
  int32_t kind = 0;
  float param = 0.0f;
  SVec4 pos{0, 0, 0, 0};
  int32_t age = 0;
  int32_t count = 0;     // kinds 1 and 2: frames or steps
  SHandle<SProc> victim;  // kinds 3 to 7: killed at the blast (when still alive)
};

// Pool 9: a glow with two discs and rising sparks.
class EfxGlow : public PoolElement {
 public:
  SMatrix matrix = kIdentityMatrix;
  EfxFollow<SVec4> follow;
  int32_t kind = 0;
  float size = 0.0f;
  int32_t life = 0;
  int32_t age = 0;
  SHandle<EfxDisc> discA, discB;
};
