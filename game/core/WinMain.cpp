#include "game/core/WinMain.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/window.h"

namespace {

uint8_t g_fullScreen = 1;
uint8_t g_screen = 0;
uint8_t g_rotate = 0;
float g_aspect = 4.0f / 3.0f;
std::atomic<plat::Window*> g_mainWindow{nullptr};

// The C library's integer reading of an argument, as a flag.
uint8_t FlagValue(const char* s) { return std::strtol(s, nullptr, 10) != 0 ? 1 : 0; }

// Undoes the 16-bit display switch on every way out of the start-up and the
// loop, early ones included.
struct DisplayModeGuard {
  bool active = false;
  void Switch() {
    plat::ChangeDisplayDepth(16);
    active = true;
  }
  void Restore() {
    if (active) plat::RestoreDisplayMode();
    active = false;
  }
  ~DisplayModeGuard() { Restore(); }
};

}  // namespace

void ParseCommandLine(int argc, const char* const* argv) {
  for (int i = 0; i < argc; ++i) {
    const char* arg = argv[i];
    if (!arg) continue;
    const bool hasValue = i + 1 < argc && argv[i + 1];
    if (std::strstr(arg, "-fullscreen")) {
      if (!hasValue) continue;
      g_fullScreen = FlagValue(argv[i + 1]);
    }
    if (std::strstr(arg, "-screen")) {
      if (!hasValue) continue;
      g_screen = FlagValue(argv[i + 1]);
    }
    if (std::strstr(arg, "-rotate")) {
      if (!hasValue) continue;
      g_rotate = FlagValue(argv[i + 1]);
    }
  }
}

bool IsFullScreen() { return g_fullScreen != 0; }
uint8_t GetScreenFlag() { return g_screen; }
uint8_t GetRotateFlag() { return g_rotate; }
float GetAspectRatio() { return g_aspect; }

void ResetAppFlags() {
  g_fullScreen = 1;
  g_screen = 0;
  g_rotate = 0;
  g_aspect = 4.0f / 3.0f;
}

plat::Window* GetMainWindow() { return g_mainWindow.load(); }

void PostCloseToMainWindow() {
  if (plat::Window* w = g_mainWindow.load()) w->PostClose();
}

int RunMessageLoop(plat::Window& window, const std::function<void()>& step) {
  const bool fullScreen = window.IsFullScreen();
  for (;;) {
    plat::Message msg;
    if (window.Peek(&msg)) {
      if (msg.type == plat::MsgType::kQuit) return msg.quitCode;
      window.DispatchMessage(msg);
      continue;
    }
    if (window.IsHiddenOrMinimised()) {
      window.WaitMessage(10);
      continue;
    }
    if (fullScreen) {
      window.SetCursorPos(kCursorParkX, kCursorParkY);
      window.ShowCursor(false);
    }
    step();
  }
}

struct Application::Impl {
  plat::Window window;
  DisplayModeGuard display;
};

Application::Application() : impl_(std::make_unique<Impl>()) {}

Application::~Application() { Shutdown(); }

plat::Window& Application::Window() { return impl_->window; }

bool Application::Fail(const std::string& what) {
  failure_ = what;
  Shutdown();
  return false;
}

int Application::Start(int argc, const char* const* argv, const StartOptions& options) {
  Shutdown();
  failure_.clear();
  ResetAppFlags();
  ParseCommandLine(argc, argv);

  // TODO(cabinet): 1280x720 when the service asks for high resolution.
  width_ = 640;
  height_ = 480;
  g_aspect = 4.0f / 3.0f;

  plat::WindowDesc desc;
  desc.width = width_;
  desc.height = height_;
  desc.fullScreen = IsFullScreen();
  desc.hidden = options.hiddenWindow;
  desc.title = plat::kWindowTitle;
  if (!impl_->window.Create(desc)) {
    Fail("cannot open the window: " + impl_->window.LastError());
    return 1;
  }
  g_mainWindow = &impl_->window;
  if (IsFullScreen()) {
    impl_->window.SetCursorPos(kCursorParkX, kCursorParkY);
    impl_->window.ShowCursor(false);
  }
  impl_->display.Switch();
  started_ = true;
  return 0;
}

int Application::Run() {
  if (!started_) return 0;
  return RunMessageLoop(impl_->window, [this] { Step(); });
}

void Application::Step() {}

void Application::Shutdown() {
  started_ = false;
  impl_->display.Restore();
  if (g_mainWindow.load() == &impl_->window) g_mainWindow = nullptr;
  impl_->window.Destroy();
}

int WinMain(int argc, const char* const* argv) {
  Application app;
  if (app.Start(argc, argv) != 0) {
    std::fprintf(stderr, "ostrel: start-up failed: %s\n", app.Failure().c_str());
    return 1;
  }
  app.Run();
  app.Shutdown();
  return 0;
}
