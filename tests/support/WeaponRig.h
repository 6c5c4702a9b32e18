#pragma once
// A small play world for testing what enemies fire, without the whole
// program: a root process that passes every frame event to its children,
// the collision manager, a stand-in player (a core body of group 0 at
// PlayerPos that counts the hits it takes), a fake owner that carries
// generators as an enemy does, and the enemy-shot and effect managers.
//
// Frames run in the kernel's order: BEGIN (collisions), MAIN (the owner and
// its generators), END (the managers move and release), then the state
// advance. The rig records every shot fired during MAIN, with its frame.
//
//   testsupport::WeaponRig rig;
//   rig.PlaceOwner(0, -200);
//   rig.PlacePlayer(0, 200);
//   rig.Start(record);            // an EShotGen, as an enemy's script step
//   rig.Run(30);
//   for (const auto& s : rig.shots) ...  // frame, kind, batch, angle, speed, x, y
#include <cstdint>
#include <vector>

#include "game/core/Game.h"
#include "game/core/HitBody.h"
#include "game/effect/EShotMan.h"
#include "game/effect/EfxMan.h"
#include "game/player/HitMan.h"

struct GeneratorRecord;

namespace testsupport {

// A process that passes each frame event to all its child lists, in order
// (the root of the rig, the fake owner, the stand-in player).
class RelayProc : public SProc {
 public:
  explicit RelayProc(const char* name) : name_(name) {}
  // User events received (code, argument), in order.
  std::vector<std::pair<int32_t, SProcArg>> userEvents;

 protected:
  int32_t Init(SProcArg arg) override;
  int32_t Draw(SProcArg arg) override { return Relay(EVENT_DRAW, arg); }
  int32_t Begin(SProcArg arg) override { return Relay(EVENT_BEGIN, arg); }
  int32_t Main(SProcArg arg) override { return Relay(EVENT_MAIN, arg); }
  int32_t End(SProcArg arg) override { return Relay(EVENT_END, arg); }
  int32_t User(int32_t code, SProcArg arg) override;

 private:
  int32_t Relay(int32_t code, SProcArg arg);
  const char* name_;
};

class WeaponRig {
 public:
  // One shot as it left the generator.
  struct Shot {
    int32_t frame;  // rig frame in which it was fired (the first Run frame is 0)
    int32_t kind, batch, id;
    uint32_t hitWord;
    float x, y;   // position after Fire (elongated kinds stand a quarter length ahead)
    float angle;  // heading (turns)
    float speed;
    const EShot* shot;  // the live shot while it lives (compare only)
  };

  WeaponRig();
  ~WeaponRig();
  WeaponRig(const WeaponRig&) = delete;
  WeaponRig& operator=(const WeaponRig&) = delete;

  void PlaceOwner(float x, float y, float z = 0.0f);
  // Moves the stand-in player (PlayerPos and its core body).
  void PlacePlayer(float x, float y);
  // The owner's script step for a generator record: a laser record gets an
  // ELaserGen on the identity matrix moved to the owner's position plus the
  // record's offset (words 18 and 19), any other an EShotGen (owner
  // position, record, id -1, 30); either joins the owner's child list 0.
  SProc* Start(const GeneratorRecord& record);
  // Any process as a child of the owner's list 0 (a boss-built generator).
  // Both run from the next Run frame on, as if the owner had added them in
  // the frame before.
  SProc* Adopt(SProc* child);
  // Runs frames; returns the number of shots fired meanwhile.
  int Run(int frames = 1);

  int32_t Frame() const { return frame_; }
  // The shots fired in rig frame f, in firing order.
  std::vector<Shot> ShotsOfFrame(int32_t f) const;
  // Hits the stand-in player received (user event 7 from HitMan).
  int PlayerHits() const { return static_cast<int>(player.userEvents.size()); }
  // Live children of the owner (generators still running).
  int Generators() const;

  std::vector<Shot> shots;
  // Effect sprites spawned during MAIN per frame (muzzle flashes).
  std::vector<int> flashes;

  // The world, in construction order.
  Game game;  // the sprite sheets the effect manager draws on
  EShotMan eshot;
  EfxMan efx;
  HitMan hitman;
  RelayProc root{"WeaponRig"};
  RelayProc player{"Player"};
  RelayProc owner{"Owner"};
  float ownerPos[4] = {0.0f, 0.0f, 0.0f, 1.0f};
  HitBody playerCore;
  static constexpr float kCoreRadius = 2.0f;

 private:
  void RecordNewShots(int before);
  int32_t frame_ = 0;
};

}  // namespace testsupport
