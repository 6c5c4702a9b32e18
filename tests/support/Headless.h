#pragma once
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "game/core/WinMain.h"
#include "platform/gfx_device.h"
#include "platform/input_devices.h"
#include "support/TempDir.h"

class SGpObj;

// The whole system without a screen, for tests and tools: the program starts
// as it would from the command line (window hidden, Mesa off screen or the
// null device, dummy audio, a fresh save directory), then the caller runs
// frames one kernel step at a time with injected cabinet inputs and reads
// the back buffer.
namespace testsupport {

struct HeadlessOptions {
  bool nullDevice = false;      // draw nothing: fastest, no screenshots
  // With the null device: the sprite batches are taken out of the draw
  // queue before it runs, a long play's heaviest drawing. They only turn
  // the frame's sprite requests into their own vertex lists, which nothing
  // of the play reads. (The rest of the queue runs: scene nodes work out
  // the world matrices that some bosses' bodies follow.)
  bool skipSpriteBatches = false;
  bool highResolution = false;  // the service asks for 1280x720
  bool verticalScreen = false;  // the service reports a vertical screen
  std::vector<std::string> args{};  // further command-line arguments
  SProc* extraManager = nullptr;  // see StartOptions
  // Files (name below the save directory, bytes) written into the fresh save
  // directory before the start: what an earlier run left on drive D:.
  std::vector<std::pair<std::string, std::string>> saveFiles{};
  // Called with the fresh save directory after the files are written,
  // before the start (to put odd entries there: a pipe, a link).
  std::function<void(const TempDir&)> prepareSaveDir{};
};

class Headless {
 public:
  explicit Headless(const HeadlessOptions& options = {});
  ~Headless();
  Headless(const Headless&) = delete;
  Headless& operator=(const Headless&) = delete;

  // Whether the start-up succeeded, and what failed otherwise.
  bool Ok() const { return ok_; }
  const std::string& Failure() const { return app_.Failure(); }
  Application& App() { return app_; }
  const std::string& SaveDir() const { return save_.Path(); }

  // Runs frames: each drains the window messages, then steps the kernel.
  // Once the quit message came (Escape, a close posted by the game) no
  // further frame runs; returns the number of frames run.
  int Step(int frames = 1);
  bool QuitRequested() const { return quit_; }
  int FramesRun() const { return frames_; }

  // Injected cabinet inputs (the keyboard and controllers are ignored).
  void Hold(plat::CabInput input, bool held = true);
  // Holds for the given frames, then releases and runs one more frame.
  void Press(plat::CabInput input, int frames = 1);
  void ReleaseAll();

  // The back buffer as the last frame left it (8-bit RGBA, rows from the
  // top); false before the graphic device exists. With the null device, an
  // image of the last clear colour.
  bool Screenshot(plat::Image* out);

  // From the next frame on, the packets for which `which(key, packet)` is
  // true are taken out of the draw queue once every process has drawn,
  // besides those that earlier calls named. The first call puts a process
  // of its own into kernel list 0.
  void DropPackets(std::function<bool(int, SGpObj*)> which);

 private:
  ScopedSaveDir save_;
  std::unique_ptr<SProc> batchSkipper_;
  std::unique_ptr<SProc> packetFilter_;
  Application app_;
  bool ok_ = false;
  bool quit_ = false;
  int frames_ = 0;
};

// Options of a run on the null device (fastest, no screenshots).
inline HeadlessOptions NullDevice() {
  HeadlessOptions o;
  o.nullDevice = true;
  return o;
}

// The scene of the game root's scene list that is added or running (null
// when none), its name ("" when none), and frames run until it has the name:
// how many, or -1 after limit frames.
SProc* CurrentScene();
std::string CurrentSceneName();
int RunUntilScene(Headless& h, const std::string& name, int limit);

}  // namespace testsupport
