#pragma once
// The whole program, headless, taken over by the test switch and driven
// frame by frame with scripted cabinet inputs: every frame's held inputs
// give the pad counters the test mode reads in that frame (0 in the frame
// of a press, growing while held, negative once released).
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "game/core/Game.h"
#include "game/testmode/TestMode.h"
#include "support/Headless.h"
#include "support/ServiceTap.h"

namespace testmode_rig {

using plat::CabInput;
using Inputs = std::vector<CabInput>;

inline constexpr CabInput kUp = CabInput::kUp;
inline constexpr CabInput kDown = CabInput::kDown;
inline constexpr CabInput kLeft = CabInput::kLeft;
inline constexpr CabInput kRight = CabInput::kRight;
inline constexpr CabInput kB1 = CabInput::kButton1;
inline constexpr CabInput kB2 = CabInput::kButton2;
inline constexpr CabInput kService = CabInput::kService;
inline constexpr CabInput kStart = CabInput::kStart;
inline constexpr CabInput kTest = CabInput::kTest;

// Menu items, in the order of the menu.
enum MenuItem : int32_t {
  kMenuDisplay,
  kMenuInput,
  kMenuSound,
  kMenuSystem,
  kMenuGame,
  kMenuDefaults,
  kMenuRanking,
  kMenuExit
};

// One line of a pad script: these inputs held for this many frames.
struct PadLine {
  Inputs held;
  int frames = 1;
};

class TestModeRig {
 public:
  // pictures: the OpenGL device instead of the null one.
  explicit TestModeRig(bool pictures = false, testsupport::HeadlessOptions options = {});

  // Runs frames until the named scene of the attract sequence runs.
  bool RunToScene(const std::string& scene);
  // Runs the start-up to the named scene of the attract sequence, turns the
  // test switch on for one frame and runs until the menu takes input. False
  // (with a test failure) when any of it does not happen.
  bool Open(const std::string& scene = "Notice");

  testsupport::Headless& Sys() { return sys_; }
  Game* Root() const { return GetGame(); }
  TestMode* Mode() const;
  int32_t* Settings() const { return GetGame()->settings; }

  // One frame with exactly these inputs held (frames: that many).
  void Frame(const Inputs& held = {}, int frames = 1);
  // A press: one frame held, then one frame released.
  void Tap(const Inputs& held);
  void Run(const std::vector<PadLine>& script);
  // From the menu: moves the cursor to item and presses button 1; returns
  // with the page's entry step done.
  void OpenPage(int32_t item);
  // Moves the cursor of the menu or a page to item with taps of down.
  void CursorTo(int32_t item);
  // Runs frames until the menu takes input again (at most limit).
  bool BackToMenu(int limit = 10);

 private:
  testsupport::Headless sys_;
};

using testsupport::ServiceTap;

// The settings file of the save directory ("" when missing).
std::string SettingsFileBytes(const testsupport::Headless& sys);
// The 64 bytes a settings file holds for these words, worked out by the
// format: words little-endian, the sum of (byte + position mod 5) over the
// first 60 bytes, three zero bytes.
std::string SettingsFileFor(const int32_t* words);

}  // namespace testmode_rig
