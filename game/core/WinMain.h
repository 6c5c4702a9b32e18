#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

// The program's entry: command line, window, engine start-up, the message
// loop that runs one kernel step whenever the window has nothing else to do,
// and the shutdown; plus the few application-wide accessors.

namespace plat {
class Window;
}
class SProc;

// ---------------------------------------------------------------- flags
// Reads "-fullscreen", "-screen" and "-rotate", each followed by a number
// (non-zero = on), from every argument, the program path included. An
// argument counts as the option when it merely contains its name; an option
// without a following argument changes nothing; the value argument is
// examined as an option in turn like any other. Returns the words after the
// program path that are neither an option nor an option's value, in order.
std::vector<std::string> ParseCommandLine(int argc, const char* const* argv);
bool IsFullScreen();     // 1 unless "-fullscreen 0"
uint8_t GetScreenFlag(); // stored, read by nothing else
uint8_t GetRotateFlag(); // stored, read by nothing else
float GetAspectRatio();  // 4/3 for both resolutions
// Back to the defaults before any command line (tests).
void ResetAppFlags();

// ---------------------------------------------------------------- window
// The main window while the program runs, else null.
plat::Window* GetMainWindow();
// What game code does to end the program: a close request to the main window
// (the loop then quits through the normal shutdown). Thread-safe; nothing
// happens without a main window.
void PostCloseToMainWindow();

// ---------------------------------------------------------------- loop
// Drains the window's messages until the quit message and, whenever none is
// waiting and the window is neither hidden nor minimised, calls step() once
// (in full screen the cursor is parked and hidden again first). The loop
// never sleeps or waits; while the window is hidden or minimised it only
// peeks. Returns the quit code.
int RunMessageLoop(plat::Window& window, const std::function<void()>& step);

// Cursor park position in full screen.
constexpr int kCursorParkX = 240;
constexpr int kCursorParkY = 320;

// ---------------------------------------------------------------- start-up
// The controller manager's start record (the instance handle has no meaning
// here and stays null).
struct ControllerStartRecord {
  plat::Window* window = nullptr;
  void* instance = nullptr;
};

struct StartOptions {
  bool hiddenWindow = false;  // open the window hidden (tools, the test harness)
  bool nullDevice = false;    // the graphic manager draws nothing (fast headless runs)
  bool holdFrameRate = true;  // false: frames run as fast as they can (test harness)
  // A process added to kernel list 0 after the engine managers, under the
  // same rule (its negative init result fails the start). Tests only.
  SProc* extraManager = nullptr;
  // The kernel's platform start hook (none: always succeeds). Tests only.
  int32_t (*kernelStartHook)() = nullptr;
};

// The running program: window, engine managers and game, from start-up to
// shutdown. It constructs the engine singletons itself at Start and destroys
// them at Shutdown, so only one may run at a time and nothing else may hold
// those singletons meanwhile. WinMain runs one; the test harness runs one per
// test.
class Application {
 public:
  Application();
  ~Application();  // shuts down if still running
  Application(const Application&) = delete;
  Application& operator=(const Application&) = delete;

  // Command line, window, display mode, kernel and managers, the Game.
  // Returns 0 when everything started; otherwise the exit status (1) after
  // undoing what had started, with Failure() saying what failed.
  int Start(int argc, const char* const* argv, const StartOptions& options = {});
  // The message loop until the quit message; returns its code.
  int Run();
  // One kernel step (the harness drives frames directly).
  void Step();
  // Takes every waiting window message through the window procedure; true
  // when the quit message came (the harness drives frames directly).
  bool PumpMessages();
  // Kernel killed and disposed, display mode restored, window closed.
  // Idempotent.
  void Shutdown();

  bool Running() const { return started_; }
  const std::string& Failure() const { return failure_; }
  plat::Window& Window();
  int Width() const { return width_; }
  int Height() const { return height_; }

 private:
  struct Impl;
  bool Fail(const std::string& what);

  std::unique_ptr<Impl> impl_;
  std::string failure_;
  bool started_ = false;
  int width_ = 640;
  int height_ = 480;
};

// The whole program; returns the process exit status (0 after a normal quit,
// 1 when the start failed, with one line on standard error saying what).
int WinMain(int argc, const char* const* argv, const StartOptions& options = {});
