#pragma once
// The whole program in play, for tests of the player side: started headless
// (null device unless a picture is wanted), its attract scene taken away so
// nothing but the play runs, then stage n started with the Player entering
// it. Frames run through Step, which holds off the stage clear unless told
// otherwise.
#include <cstdint>
#include <functional>
#include <memory>

#include "platform/input_devices.h"
#include "support/Headless.h"

class Game;

namespace testsupport {

struct PlayOptions {
  int32_t stage = 1;
  bool nullDevice = true;
  bool intro = false;  // stage 1 starts with the intro flight (else the short one)
  // The stage as it plays: its rail runs, its scenery shows, its triggers
  // fire and its enemies come. Without it (the default) the stage scene ends
  // once it has started the Player, so only what the test makes happens.
  bool livelyStage = false;
  // False for a stage that is not expected to start the Player.
  bool playerStarts = true;
  // Runs just before the stage is requested (a replay begins here).
  std::function<void()> beforeStage;
};

class PlayWorld {
 public:
  explicit PlayWorld(const PlayOptions& options = {});
  ~PlayWorld();
  PlayWorld(const PlayWorld&) = delete;
  PlayWorld& operator=(const PlayWorld&) = delete;

  bool Ok() const { return game_ != nullptr; }
  Headless& H() { return *headless_; }
  Game* G() const { return game_; }

  // Runs frames (0 when the program has quit).
  int Step(int frames = 1);
  // Runs until the Player is in state s; the frames it took, or -1 after
  // limit frames.
  int RunUntilState(int32_t s, int limit);
  // Runs until the Player has control (state 3 with control mode 0).
  int RunToControl(int limit = 400);
  void Hold(plat::CabInput input, bool held = true) { headless_->Hold(input, held); }
  void ReleaseAll() { headless_->ReleaseAll(); }
  // Both buttons pressed on one frame and let go: a bomb, not a lock-on.
  void PressBomb() {
    Hold(plat::CabInput::kButton1);
    Hold(plat::CabInput::kButton2);
    Step();
    ReleaseAll();
  }

  // From control: the ship with three options alone in the picture (the
  // score panel ramped out), a tap's volleys of shots (on the burst's
  // frames 3, 6 and 9, the last 6 frames old at the end) and a blade trail
  // sweeping an arc over it, laid by hand one record a frame: 8 records from
  // 0.55 to 0.9 turns, 30 to 100 units from the ship.
  void FlyShipVolley();

  // When false (the default) Step clears the game's stage-clear flag.
  bool stageMayEnd = false;

 private:
  static constexpr int32_t kShortFlightCheckpoint = -1;
  std::unique_ptr<Headless> headless_;
  Game* game_ = nullptr;
  int32_t restoreCheckpoint_ = 0;
};

}  // namespace testsupport
