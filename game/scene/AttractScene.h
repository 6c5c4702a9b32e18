#pragma once
// What the attract scenes (notice, logo, opening, demo plays, tutorial)
// share beyond the scene frame: the credit and start tests that end them, the
// blinking coin prompt, their resource tables and cache archives, and the
// attract counter that chooses what follows the logo.
#include <cstdint>

#include "game/scene/SceneFrame.h"

// Advanced by each logo that ends without credits (0..5, program lifetime,
// never reset).
extern int32_t AttractCounter;

// The coin counter holds credits or service credits (what ends the notice
// and the logo).
bool AttractCreditPresent();
// The coin counter holds coins or service credits (what ends a demo play and
// the attract tutorial, and sends them to the title): one coin short of a
// credit counts.
bool AttractCoinsPresent();
// A coin or service credit was counted in this frame.
bool AttractCoinArrived();
// The coin-play setting of the game root is 0.
bool AttractFreePlay();
// In free play, the start button of the game's pad went down in this very
// frame (holding it does not count).
bool AttractFreeStartPressed();
// Sets the service credits to exactly 1 (a free-play start).
void AttractGrantFreeStart();
// The interruption check of the logo and the opening: credits present kill
// the scene; then a free-play start sets the service credits to 1 and kills
// it (both may act in one frame). True when it killed it.
bool AttractInterrupt(SProc& scene);

// The coin prompt of the attract scenes for a text counter: the first line
// on counts 0..30 of each 80, the second on 40..70, else the empty line.
// In free play the second line is "PRESS START BUTTON\n     TO START", or
// without its second row when shortStart is set (the tutorial's).
const char* AttractPromptLine(int32_t counter, bool freePlay, bool shortStart = false);

// An attract scene driven by its behaviour machine with a frame counter.
class AttractScene : public SceneProc {
 public:
  enum TimedState : int32_t { STATE_LOAD = 0, STATE_SHOW = 1, STATE_FADE_OUT = 2 };
  // The fade-out kills the scene once its count exceeds 60 (its 62nd frame).
  static constexpr int32_t kFadeLimit = 60;

  int32_t GetFrame() const { return frame; }

 protected:
  // The three states of the notice and the logo: 0 waits with the screen
  // black until no load is pending and, leaving, fades in over 60 frames and
  // calls Prepare; 1 shows the screen until its count exceeds showLimit; 2
  // fades out over 60 frames, still showing it, and kills the scene.
  int32_t ShowThenFade(int32_t code, int32_t state, int32_t showLimit);
  virtual void Prepare() {}
  // Enters the screen's packets (states 1 and 2).
  virtual void DrawScreen() {}

  int32_t frame = 0;
};

// The resource tables of the attract scenes and the hardware-error screen,
// and the cache archive each scene keeps (null: none).
struct SceneCacheTable {
  const SRscRequest* table;
  const char* archive;
};
extern const SRscRequest RscTableLogo[];
extern const SRscRequest RscTableOpening[];
extern const SRscRequest RscTableTutorial[];
extern const SRscRequest RscTableScene15[];
extern const SRscRequest RscTableErrorScreen[];
inline constexpr const char* kLogoCacheArchive = "\\cache\\logo";
inline constexpr const char* kOpeningCacheArchive = "\\cache\\opening";
inline constexpr const char* kTutorialCacheArchive = "\\cache\\tutorial";
// The scenes whose archives are built on their first run (the data
// generator writes the same archives with the data tree).
extern const SceneCacheTable AttractCacheTables[3];
