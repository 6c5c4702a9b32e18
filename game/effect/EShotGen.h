#pragma once
// The enemy shot emitter: a short-lived process that fires one bullet
// pattern through EShotMan::Fire. An enemy creates it as its own child when
// its script reaches a generator record (GeneratorRecord of the stage script)
// and a boss builds it from explicit values; after its start delay it fires
// volleys in bursts, sweeping angle and speed over each burst, from the
// owner's live position, and kills itself after its last burst.
//
// A volley: every row (parallel copies across the firing direction) fires
// its ways (an even fan over the spread, or random angles within it), odd
// ways with code A and even ways with code B; A and B swap after each burst.
//
// Counts are taken as they stand, however large: once the shot pool (and,
// with muzzle flashes, the effect pool) has refused, the rest of the frame's
// firing can show nothing, and it is passed over with the random draws it
// would have made, so play goes on as if every shot had been tried.
//
// Flags (word 1 of the record):
//   0x0000000F speed easing over the burst (1 linear, 2 half cosine, 4 ease-in,
//              8 ease-out; anything else: speed 0); 0x10 on 2t;
//              0x20 swap start and end speed after each burst; 0x40 start = end
//   0x00000F00 sweep easing (0x100, 0x200, 0x400, 0x800; else no sweep);
//              0x1000 on 2t; 0x2000 t = index / volleys and swap the sweep ends
//              after each burst; 0x4000 sweep start = end after each burst
//   0x00030000 aim: 0x10000 once per burst, 0x20000 every volley (both: none)
//   0x00040000 random spread
//   0x00100000 a laser record (never given to this emitter)
#include <cstdint>

#include "game/effect/EShotMotion.h"
#include "game/effect/FollowedPosition.h"
#include "vrax/kernel/SHandle.h"
#include "vrax/kernel/SProc.h"

struct GeneratorRecord;

class EShotGen : public SProc {
 public:
  static constexpr uint32_t kSpeedEasing = 0xF;
  static constexpr uint32_t kSpeedDouble = 0x10;
  static constexpr uint32_t kSpeedSwap = 0x20;
  static constexpr uint32_t kSpeedHold = 0x40;
  static constexpr uint32_t kSweepEasing = 0xF00;
  static constexpr uint32_t kSweepDouble = 0x1000;
  static constexpr uint32_t kSweepSwap = 0x2000;
  static constexpr uint32_t kSweepHold = 0x4000;
  static constexpr uint32_t kAimMask = 0x30000;
  static constexpr uint32_t kAimOnce = 0x10000;
  static constexpr uint32_t kAimEvery = 0x20000;
  static constexpr uint32_t kRandomSpread = 0x40000;

  // From a stage-script record: words 1 to 23 are copied (the record is not
  // read again). ownerPos points at the owner's (x, y, z, w), read at every
  // volley; holder is the object that holds that memory (by default the
  // process whose handler runs, the owner itself): once it is gone the
  // emitter keeps the last position it read. Enemies pass id -1 and a4 30.
  EShotGen(const float* ownerPos, const GeneratorRecord* record, int32_t id, int32_t a4,
           SObject* holder = GetCurrentProcess());
  // The boss form: the record's words 1 to 13, then 15, 14, 16, 17, 18 to
  // 23, then the id and a4 (a record's volley and interval words stand in
  // the order interval, volleys, bursts, burst interval).
  EShotGen(const float* ownerPos, uint32_t flags, uint32_t hitWord, int32_t codeA, int32_t codeB, float baseAngle,
           float sweepStart, float sweepEnd, float startSpeed, float endSpeed, int32_t ways, float spread,
           int32_t rows, float rowWidth, int32_t volleyFrames, int32_t volleys, int32_t bursts,
           int32_t burstFrames, float offsetX, float offsetY, uint32_t word20, uint32_t muzzleFlash,
           float startDelay, const EShotMotion* motion, int32_t id, int32_t a4,
           SObject* holder = GetCurrentProcess());
  ~EShotGen() override;

  // ------------------------------------------------------------ fields
  uint32_t flags = 0;
  uint32_t hitWord = 0;
  int32_t codeA = 0, codeB = 0;
  float baseAngle = 0.0f;
  float sweepStart = 0.0f, sweepEnd = 0.0f;
  float startSpeed = 0.0f, endSpeed = 0.0f;
  int32_t ways = 0;
  float spread = 0.0f;
  int32_t rows = 0;
  float rowWidth = 0.0f;
  int32_t volleyFrames = 0;  // frames between volleys
  int32_t volleys = 0;       // volleys per burst
  int32_t burstFrames = 0;   // frames between bursts
  int32_t bursts = 0;        // further bursts still to come
  float offsetX = 0.0f, offsetY = 0.0f;
  uint32_t word20 = 0;
  uint32_t muzzleFlash = 0;
  float startDelay = 0.0f;
  const EShotMotion* motion = nullptr;
  int32_t id = -1;
  int32_t a4 = 0;  // kept; it has no effect
  float angle = 0.0f;         // the running angle (turns)
  int32_t initialBursts = 0;  // further bursts as constructed
  int32_t volleyIndex = 0;    // within the burst
  float volleyTimer = 0.0f;   // frames

  // The position the emitter fires from: the owner's while its holder
  // exists, else the last one read.
  const float* OwnerPosition() { return owner_.Read(); }

 protected:
  int32_t Init(SProcArg arg) override;
  int32_t Main(SProcArg arg) override;
  int32_t OnDispose(SProcArg arg) override;

 private:
  // One volley; false once the emitter has ended.
  bool Volley();
  void FireRow(float x, float y, float z, float a, float speed);
  // One shot; a refusal of a code that can be fired marks the pool full.
  void Shoot(int32_t code, float x, float y, float z, float a, float speed);
  // The flash draws its random value, then marks the effects full when it
  // is refused.
  void SpawnMuzzleFlash(float x, float y, float z);

  // What can still come of this frame's firing: a row can shoot while the
  // pool has taken every shot and the codes its ways use can be fired; a
  // volley can show something while a row can shoot or a flash can come.
  bool RowCanShoot() const;
  bool VolleyCanShow() const;
  // No volley of this frame can show anything more, whichever way codes A
  // and B stand.
  bool NothingMoreToShow() const;
  // The random draws of a row (its flash, the ways of a random spread) and
  // of a volley, modulo 2^32.
  uint32_t DrawsPerRow() const;
  uint32_t DrawsPerVolley() const;
  // Volleys that can show nothing, from the current one on: the run of them
  // that follows within this frame is passed over at once, making only the
  // random draws they would make and ending the emitter when they were its
  // last. Runs at least the current volley; false once the emitter has ended.
  bool PassQuietVolleys();

  FollowedPosition owner_;
  // Refusals seen in this frame's firing (neither pool frees room meanwhile).
  bool shotRefused_ = false;
  bool flashRefused_ = false;
};
