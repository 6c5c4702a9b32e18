#pragma once
// The whole program, headless, with its attract sequence taken away after
// the start-up and one scene requested by the test, driven frame by frame
// with scripted cabinet inputs (held inputs give the pad counters the scene
// reads in that frame: 0 in the frame of a press). A service tap of its own
// receives the codes the scenes send.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "game/core/Game.h"
#include "platform/input_devices.h"
#include "support/Headless.h"
#include "support/ServiceTap.h"
#include "vrax/graphic/SGpRect.h"

namespace scene_rig {

using plat::CabInput;
using Inputs = std::vector<CabInput>;

class SceneRig {
 public:
  // pictures: the OpenGL device instead of the null one.
  explicit SceneRig(bool pictures = false, testsupport::HeadlessOptions options = {});

  bool Ok() const { return game_ != nullptr; }
  Game* G() const { return game_; }
  testsupport::Headless& Sys() { return sys_; }
  testsupport::ServiceTap& Tap() { return *tap_; }

  // Requests scene id (first argument a1) and runs until a process of that
  // name runs in the scene list; false (with a test failure) otherwise.
  bool Start(int32_t id, const std::string& name, int32_t a1 = 0);
  // The running scene process of that name, or null.
  template <class T>
  T* Scene(const std::string& name) const {
    return dynamic_cast<T*>(game_->FindInList(name, GAME_LIST_SCENE));
  }
  // The name of the running scene ("" when none runs).
  std::string Current() const;

  // One frame with exactly these inputs held (frames: that many).
  void Frame(const Inputs& held = {}, int frames = 1);
  // Frames with nothing held.
  void Frames(int n) { Frame({}, n); }
  // A press: one frame held, then one frame released.
  void Press(const Inputs& held);
  // Granted credits for a start or a continue.
  void GiveCredits(int32_t n);
  // One frame in which the coin counter reports a coin that arrived.
  void CoinArrives();

  // Runs, with nothing held, until the scene started last has ended and
  // the game root has started its successor (whose request is then
  // Game::GetCurrentRequest()); the frames taken, or -1 after limit frames.
  int RunToNext(int limit);

 private:
  testsupport::Headless sys_;
  std::unique_ptr<testsupport::ServiceTap> tap_;
  Game* game_ = nullptr;
};

// Whether every digit "0" to "9" of a digit font lies on a whole cell of
// its sheet: the sheet's width and height over the cell's, truncated, give
// its columns and rows, and the cell of digit k is on row k / columns.
bool DigitsOnSheet(const SGpRectGrid& font);

}  // namespace scene_rig
