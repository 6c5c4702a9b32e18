#pragma once
// The collision body: a circle with a group number, mask bits, a pointer to
// its owner's live position, a radius, the process that is told of hits and
// a damage word. Registering links the body into the list of its group;
// destroying it unlinks it. HitMan tests the group lists against each other
// once per frame.
#include <cstdint>

#include "vrax/kernel/SObject.h"
#include "vrax/kernel/SProc.h"

class HitBody;

// One collision group's list of bodies.
class HitGroupList : public SObjList {
 public:
  HitBody* Head() const;
};

// Groups, each with its list of bodies.
enum HitGroup : int32_t {
  kHitGroupPlayerCore = 0,
  kHitGroupPlayerBody = 1,
  kHitGroupShot = 2,         // the normal player shot
  kHitGroupBigShot = 3,      // the other player shot kinds
  kHitGroupOuter = 4,        // the Player's five outer bodies
  kHitGroupWide = 5,         // the Player's wide body
  kHitGroupMiddle = 6,       // the Player's middle body (in no tested pair)
  kHitGroupEnemy = 7,        // enemies and boss pieces
  kHitGroupEnemyShot = 8,    // enemy bullets
  kHitGroupHazard = 9,       // lasers, thunder, effect shots and boss parts
  kHitGroupNone = 10,        // no body registers here
};
inline constexpr int32_t kHitGroupCount = 11;

// User event codes every owner of a hit body takes: the ship, the enemies,
// the shot and hazard managers of game/player and game/effect. The owners
// live in several subsystems, so the codes are defined once here, beside the
// body, and the collision manager, the bomb and the dash send these names.
inline constexpr int32_t kHitEventHit = 7;       // a damage word or the partner body
inline constexpr int32_t kHitEventDefeated = 8;  // the enemy body (or kUncounted)
extern HitGroupList HitGroupTable[kHitGroupCount];

// Mask bits as the hit rules read them.
enum HitMask : uint32_t {
  kHitHurtsPlayer = 0x1,     // hurts the Player / outer-contact reaction
  kHitDamageable = 0x2,      // an enemy that takes damage and can be defeated
  kHitOuterReact = 0x4,      // an enemy that reacts to the outer bodies
  kHitLockable = 0x8,
  kHitSilent = 0x10,         // partner of group 0 is not told; outer tally + 4
  kHitDashable = 0x40,
  kHitDashAnywhere = 0x200,  // dashable off screen too
  kHitImmune = 0x100,        // no damage, no defeat, no sound, no answer
};

class HitBody : public SObject {
 public:
  HitBody() = default;
  // Unlinks the body from its group list.
  ~HitBody() override;

  // Stores every field, radiusSq = radius^2, clears disabled and appends the
  // body at the tail of its group's list. A body that is still linked is
  // unlinked first; a group outside 0..10 leaves the body unlinked.
  virtual void Register(int32_t group, uint32_t mask, float* position, float radius, SProc* owner,
                        intptr_t power, uint32_t aux);
  virtual void SetMask(uint32_t bits) { mask = bits; }
  virtual void SetFlags(uint32_t bits) { mask |= bits; }
  virtual void ClearFlags(uint32_t bits) { mask &= ~bits; }
  // Takes the body out of the tests (1) or puts it back (0).
  virtual void SetDisabled(uint8_t off) { disabled = off; }
  virtual void SetRadius(float r) {
    radius = r;
    radiusSq = r * r;
  }
  virtual void SetPower(intptr_t word) { power = word; }
  virtual float* GetPosition() const { return position; }
  virtual float GetRadius() const { return radius; }
  virtual intptr_t GetPower() const { return power; }
  virtual uint32_t GetAux() const { return aux; }
  virtual HitBody* GetLastPartner() const { return lastPartner; }

  HitBody* NextBody() const { return static_cast<HitBody*>(SObject::GetNext()); }

  int32_t group = 0;
  uint32_t mask = 0;
  float* position = nullptr;  // the owner's live (x, y, z); read at test time
  SProc* owner = nullptr;     // told of hits; may be null
  float radius = 0.0f;
  float radiusSq = 0.0f;
  uint8_t disabled = 0;
  uint32_t aux = 0;
  intptr_t power = 0;  // damage word, or a pointer to the shot element
  HitBody* lastPartner = nullptr;
};

inline HitBody* HitGroupList::Head() const { return static_cast<HitBody*>(HeadObj()); }
