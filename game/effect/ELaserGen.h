#pragma once
// One enemy laser, a process that its owner adds as a child (an enemy when
// its script reaches a laser record, a boss from explicit values).
//
// The laser charges for 126 frames at its muzzle (converging sparks, a
// growing glow, a shrinking ring, the charge sound), then fires: every frame
// it emits one segment at the muzzle, and every segment travels outward
// along the muzzle's local +y axis at a fixed speed. The beam is drawn as two
// colour strips (a wide body and a narrower core) whose half-widths are those
// each segment got when it was emitted, so the outline ripples outward.
// Segments after the first 20 carry a collision body of group 9; when the
// player touches one the beam is cut there and a hit effect plays. After its
// firing time the beam closes and the laser kills itself. One looping laser
// sound runs while any laser fires.
//
// Flags: 0xF width easing (1 linear, 2 half cosine, 4 ease-in, 8 ease-out,
// else constant value 1); 0x30000 aim at the player when the charge ends;
// 0x40000 random widths; 0x200000 no glow discs.
#include <cstdint>

#include "game/core/HitBody.h"
#include "game/core/ObjPool.h"
#include "game/effect/GlowDisc.h"
#include "vrax/graphic/SGpObj_Prim.h"
#include "vrax/graphic/SGpState.h"
#include "vrax/graphic/SMath.h"
#include "vrax/kernel/SHandle.h"
#include "vrax/kernel/SProc.h"

struct GeneratorRecord;

// One piece of the beam, on the laser's segment list (oldest first).
class LaserSegment : public PoolElement {
 public:
  enum State : int32_t { EMITTED = 0, PLACED = 1, TRAVELLING = 2 };
  float distance = 0.0f;  // from the muzzle along local +y
  float widthA = 0.0f;    // half-width on the left (local -x)
  float widthB = 0.0f;    // on the right
  int32_t state = EMITTED;
  HitBody body;
  float position[4] = {0.0f, 0.0f, 0.0f, 1.0f};  // on the screen plane
  float depthScale = 0.0f;
};

// The beam's strips: quads of four position-and-colour vertices in strip
// order (corners 1-2 on the near edge, 3-4 on the far edge).
class LaserStripPrim : public SGpObj_PrimQuad {
 public:
  LaserStripPrim() : SGpObj_PrimQuad(plat::kFvfPosColour) {}
  int Room() const { return GetPrimCapacity(); }
  // Whole quads written since the cursor was rewound.
  int QuadsWritten() const { return GetCurVertex() / 4; }
  void Vertex(float x, float y, const float* colour) {
    SetPos(x, y, 0.0f);
    SetColour(colour);
    Next();
  }
};

class ELaserGen : public SProc {
 public:
  static constexpr uint32_t kWidthEasing = 0xF;
  static constexpr uint32_t kAim = 0x30000;
  static constexpr uint32_t kRandomWidth = 0x40000;
  static constexpr uint32_t kNoGlow = 0x200000;
  static constexpr int32_t kChargeFrames = 126;
  static constexpr int32_t kSegments = 128;
  static constexpr int32_t kDrawKey = 6;
  // Sound-effect entries and their level factors.
  static constexpr int32_t kSoundCharge = 47;
  static constexpr int32_t kSoundChargeLevel = 57344;
  static constexpr int32_t kSoundFire = 4;
  static constexpr int32_t kSoundLoop = 5;
  static constexpr int32_t kSoundFireLevel = 59392;

  // One oscillating half-width: its period comes from base + RandF x range;
  // it eases from value 0 to value 1 over the period, then the two swap.
  struct Width {
    float base = 0.0f, range = 0.0f;
    float value1 = 0.0f, value0 = 0.0f;
    float period = 0.0f;
    int32_t count = 0;
  };

  // From a laser record (words 1 to 13): origin is copied, the laser stays
  // where it was made.
  ELaserGen(const SMatrix* origin, const GeneratorRecord* record);
  // The boss form that follows the caller's matrix (and turns it when it
  // aims). holder is the object that holds that matrix (by default the
  // process whose handler runs): once it is gone the laser keeps the last
  // matrix it read.
  ELaserGen(SMatrix* origin, uint32_t flags, float speed, int32_t firingTime, int32_t colour, float coreFactor,
            float aBase, float aRange, float aValue1, float aValue0, float bBase, float bRange, float bValue1,
            float bValue0, int32_t duration, SObject* holder = GetCurrentProcess());
  // The boss form that copies the matrix.
  static ELaserGen* ELaserGenEx(const SMatrix* origin, uint32_t flags, float speed, int32_t firingTime,
                                int32_t colour, float coreFactor, float aBase, float aRange, float aValue1,
                                float aValue0, float bBase, float bRange, float bValue1, float bValue0,
                                int32_t duration);
  ~ELaserGen() override;

  // Lasers counted as firing, and whether the next charge may play its sound.
  static int32_t FiringCount() { return s_firing; }
  static bool ChargeSoundArmed() { return s_chargeSound != 0; }

  // The steps of one frame (public for tests and for owners that step by
  // hand).
  void SpawnSparks();
  void EmitSegment();
  void StepSegments();
  void UpdateGlow();
  void BuildStrips();
  // The hit of a segment (kHitEventHit): hit effect, then the beam is cut.
  void OnHit(SProcArg segment);

  // ------------------------------------------------------------ inspection
  const SMatrix& Origin();
  const SGpState_World& World() const { return world_; }
  const SObjList& Segments() const { return segments_; }
  int32_t LiveSegments() const { return segments_.Count(); }
  const LaserStripPrim& BodyStrip() const { return bodyStrip_; }
  const LaserStripPrim& CoreStrip() const { return coreStrip_; }
  float GlowRadius() const { return glowRadius_; }
  float FullGlow() const { return fullGlow_; }
  int32_t Phase() const { return phase_; }
  bool Charging() const { return charging_ != 0; }
  const Width& WidthA() const { return widthA_; }
  const Width& WidthB() const { return widthB_; }

  uint32_t flags = 0;
  float speed = 0.0f;
  float coreFactor = 0.0f;
  int32_t firingTime = 0;
  int32_t duration = 0;  // kept; it has no effect
  int32_t colour = 0;    // 0 red, 1 green, 2 blue, 3 yellow

 protected:
  int32_t Init(SProcArg arg) override;
  int32_t Draw(SProcArg arg) override;
  int32_t Main(SProcArg arg) override;
  int32_t OnDispose(SProcArg arg) override;
  int32_t User(int32_t code, SProcArg arg) override;

 private:
  struct Copy {};
  ELaserGen(Copy, const SMatrix* origin, uint32_t flags, float speed, int32_t firingTime, int32_t colour,
            float coreFactor, float aBase, float aRange, float aValue1, float aValue0, float bBase, float bRange,
            float bValue1, float bValue0, int32_t duration);
  void SetValues(uint32_t flags, float speed, int32_t firingTime, int32_t colour, float coreFactor, float aBase,
                 float aRange, float aValue1, float aValue0, float bBase, float bRange, float bValue1,
                 float bValue0, int32_t duration);
  // The matrix the beam stands on (the followed one, or the own copy).
  SMatrix* OriginMatrix();
  void Fire();
  void ReleaseAll();
  // Half-widths of a new segment before the envelope.
  void NextWidths(float* wA, float* wB);
  void GrowStrips();

  SMatrix own_ = kIdentityMatrix;
  SMatrix* followed_ = nullptr;
  SHandle<SObject> holder_;
  bool holderChecked_ = false;
  SGpState_World world_;
  Width widthA_, widthB_;
  float fullGlow_ = 0.0f;  // W
  int32_t phase_ = 0;
  int32_t nextHitFrame_ = 0;
  LaserStripPrim coreStrip_, bodyStrip_;
  GlowDisc glow_[2];
  float glowRadius_ = 0.0f;  // R
  uint8_t pulseRising_ = 1;
  uint8_t charging_ = 0;
  uint8_t counted_ = 0;
  int32_t lastDrawn_ = 0;  // body quads of the last Draw
  SObjList segments_;
  ObjPool<LaserSegment> pool_;

  static int32_t s_firing;
  static uint8_t s_chargeSound;
};
