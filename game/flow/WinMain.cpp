#include "game/core/WinMain.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <string>
#include <vector>

#include "cabinet/QvtBTUtil.h"
#include "cabinet/QvtCountDownRenderer.h"
#include "cabinet/ServiceClient.h"
#include "game/core/Game.h"
#include "game/flow/GlobalObjects.h"
#include "game/scene/HardwareErrorScreen.h"
#include "game/testmode/TestMode.h"
#include "platform/gfx_draw_states.h"
#include "platform/heap.h"
#include "platform/paths.h"
#include "platform/input_devices.h"
#include "platform/window.h"
#include "vrax/graphic/SGpMan.h"
#include "vrax/input/SCtrlMan.h"
#include "vrax/io/LoadBudget.h"
#include "vrax/io/SIOMan.h"
#include "vrax/kernel/SKernel.h"
#include "vrax/resource/SRscMan.h"
#include "vrax/sound/SSndMan.h"

namespace {

// Heap mapped at start-up: the persistent managers' pools and buffers
// (about 20 MB) and one stage's resources with room to spare.
constexpr size_t kHeapReserve = size_t(64) << 20;

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

std::vector<std::string> ParseCommandLine(int argc, const char* const* argv) {
  std::vector<std::string> unused;
  bool valueOfOption = false;  // this word follows an option's name
  for (int i = 0; i < argc; ++i) {
    const char* arg = argv[i];
    if (!arg) {
      valueOfOption = false;
      continue;
    }
    const bool hasValue = i + 1 < argc && argv[i + 1];
    bool option = false;
    if (std::strstr(arg, "-fullscreen")) {
      option = true;
      if (hasValue) g_fullScreen = FlagValue(argv[i + 1]);
    }
    if (std::strstr(arg, "-screen")) {
      option = true;
      if (hasValue) g_screen = FlagValue(argv[i + 1]);
    }
    if (std::strstr(arg, "-rotate")) {
      option = true;
      if (hasValue) g_rotate = FlagValue(argv[i + 1]);
    }
    // The program path is no word given to the program.
    if (i > 0 && !option && !valueOfOption) unused.emplace_back(arg);
    valueOfOption = option;
  }
  return unused;
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
    // A hidden or minimised window gets no step; the loop peeks again at
    // once, it never sleeps.
    if (window.IsHiddenOrMinimised()) continue;
    if (fullScreen) {
      window.SetCursorPos(kCursorParkX, kCursorParkY);
      window.ShowCursor(false);
    }
    step();
  }
}

// The count-down's files, charged to what all loads hold together (its
// panel file and one side image file at most at once).
class OverlayFileCharges : public QvtCountDownRenderer::FileCharges {
 public:
  bool Take(uint64_t bytes) override { return held_.Charge(bytes); }
  void GiveBack(uint64_t bytes) override { held_.GiveBack(bytes); }

 private:
  LoadBudget held_{QvtCountDownRenderer::kMaxPanelFileBytes + QvtCountDownRenderer::kMaxSideFileBytes,
                   &LoadedTotal()};
};

// What the graphic manager's frame end asks of the service and the game.
// The service's display choices and count-down status come from its client.
class StartupFrameServices : public SGpFrameServices {
 public:
  bool IsHighResolution() override { return ::IsHighResolution(); }
  bool IsScreenVertical() override { return ::IsScreenVertical(); }
  int32_t ReadSharedStatus() override {
    QvtBTUtil* c = GetServiceClient();
    return c ? c->ReadSharedStatus() : -1;
  }
  bool CheckHardwareError() override { return ::CheckHardwareError() != 0; }
  bool IsTestMode() override { return ::IsTestMode() != 0; }

  // The service's count-down overlay.
  void CreateOverlay(plat::GfxDevice* device, bool highRes, bool vertical) override {
    overlay_ = std::make_unique<QvtCountDownRenderer>(device, highRes ? 1 : 0, vertical ? 1 : 0, nullptr,
                                                      &overlayFiles_);
  }
  void DestroyOverlay() override { overlay_.reset(); }
  bool HasOverlay() override { return overlay_ != nullptr; }
  bool OverlayLoaded() override { return overlay_ && overlay_->PollLoader(); }
  bool OverlayIdle() override { return !overlay_ || overlay_->IsIdle(); }
  void DrawOverlayBackground() override {
    if (overlay_) overlay_->DrawBackground();
  }
  void RenderOverlay(int32_t status) override {
    if (overlay_) overlay_->Render(status);
  }

 private:
  OverlayFileCharges overlayFiles_;  // outlives the overlay
  std::unique_ptr<QvtCountDownRenderer> overlay_;
};

// The window outlives the engine objects: the graphic manager releases its
// device in the kernel's dispose, before the window goes.
struct Application::Impl {
  plat::Window window;
  DisplayModeGuard display;
  // The engine singletons, the game root and the service client, built and
  // destroyed in their fixed order.
  EngineObjects objects;
  bool kernelStarted = false;
  SGpDeviceRecord gpRecord;
  ControllerStartRecord ctrlRecord;
  StartupFrameServices frameServices;
  // The draw states the driver compiles for, kept between runs.
  plat::DrawStateStore drawStates;

  void Construct() {
    ConstructEngineObjects(&objects);
    SGpMan::SetFrameServices(&frameServices);
  }
  void Destroy() {
    SGpMan::SetFrameServices(nullptr);
    DestroyEngineObjects(&objects);
  }
  // Adds one engine manager to kernel list 0 as a static member object;
  // false on a negative init result.
  bool AddManager(SProc* proc, SProcArg arg, const char* label, std::string* failure) {
    proc->SetStatic(true);
    int32_t r = objects.kernel->AddChild(0, proc, arg);
    if (r < 0) {
      std::string name = label ? label : proc->GetName();
      if (name.empty()) name = "a process of list 0";
      *failure = name + " initialisation failed (" + std::to_string(r) + ")";
      return false;
    }
    return true;
  }
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
  if (const std::vector<std::string> unused = ParseCommandLine(argc, argv); !unused.empty()) {
    std::string words;
    for (const std::string& w : unused) words += " \"" + w + "\"";
    std::fprintf(stderr, "ostrel: not used:%s (the options are -fullscreen N, -screen N and -rotate N)\n",
                 words.c_str());
  }
  // The managers' pools, the effect buffers and a stage's resources are
  // taken from memory mapped now, not page by page in the frame that takes
  // them.
  plat::ReserveHeap(kHeapReserve);

  impl_->Construct();

  const bool high = IsHighResolution();
  width_ = high ? 1280 : 640;
  height_ = high ? 720 : 480;
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

  // The kernel's end hook closes the sound device once every process (and
  // with them every sound) has been disposed.
  SKernel::SetPlatformHooks(options.kernelStartHook, [] { SSndMan::ReleaseDevice(); });
  impl_->kernelStarted = true;
  if (impl_->objects.kernel->Start() < 0) {
    Fail("the kernel did not start");
    return 1;
  }
  std::string failure;
  // The managers join list 0 in this order and move themselves to their
  // final lists while initialising.
  if (!impl_->AddManager(impl_->objects.ioMan.get(), 0, "the I/O manager", &failure)) {
    Fail(failure);
    return 1;
  }
  if (!impl_->AddManager(impl_->objects.rscMan.get(), 0, "the resource manager", &failure)) {
    Fail(failure);
    return 1;
  }
  impl_->gpRecord = SGpDeviceRecord{};
  impl_->gpRecord.window = options.nullDevice ? nullptr : &impl_->window;
  impl_->gpRecord.adapter = 0;
  impl_->gpRecord.width = width_;
  impl_->gpRecord.height = height_;
  impl_->gpRecord.fullScreen = IsFullScreen() ? 1 : 0;
  impl_->gpRecord.holdRate = options.holdFrameRate ? 1 : 0;
  if (!impl_->AddManager(impl_->objects.gpMan.get(), reinterpret_cast<SProcArg>(&impl_->gpRecord),
                         "the graphic manager", &failure)) {
    Fail(failure);
    return 1;
  }
  // The driver compiles for the draw states of earlier runs now, before the
  // first frame, rather than in the frames that first draw with them.
  impl_->drawStates.Open(SGpMan::GetDevice(), plat::SaveDir() + "/" + plat::kDrawStatesFile);
  impl_->ctrlRecord = ControllerStartRecord{&impl_->window, nullptr};
  if (!impl_->AddManager(impl_->objects.ctrlMan.get(), reinterpret_cast<SProcArg>(&impl_->ctrlRecord),
                         "the controller manager", &failure)) {
    Fail(failure);
    return 1;
  }
  if (options.extraManager &&
      !impl_->AddManager(options.extraManager, 0, nullptr, &failure)) {
    Fail(failure);
    return 1;
  }
  // The game root joins list 2; a failure inside it does not stop the
  // start-up.
  impl_->objects.game->SetStatic(true);
  impl_->objects.kernel->AddChild(SKernel::kGameList, impl_->objects.game.get(), 0);
  started_ = true;
  return 0;
}

int Application::Run() {
  if (!started_) return 0;
  return RunMessageLoop(impl_->window, [this] { Step(); });
}

void Application::Step() {
  if (!started_) return;
  impl_->objects.kernel->Step();
  impl_->drawStates.Frame(SGpMan::GetDevice());
}

bool Application::PumpMessages() {
  plat::Message msg;
  while (impl_->window.Peek(&msg)) {
    if (msg.type == plat::MsgType::kQuit) return true;
    impl_->window.DispatchMessage(msg);
  }
  return false;
}

void Application::Shutdown() {
  if (started_) impl_->drawStates.Close(SGpMan::GetDevice());
  started_ = false;
  if (impl_->kernelStarted) {
    impl_->kernelStarted = false;
    // A kernel whose start hook failed never became the root: nothing to end.
    if (impl_->objects.kernel->GetState() != SProc::STATE_NONE) {
      impl_->objects.kernel->Kill(0);
      impl_->objects.kernel->Dispose();
    }
  }
  impl_->display.Restore();
  impl_->Destroy();
  plat::ShutdownCabInputs();
  if (g_mainWindow.load() == &impl_->window) g_mainWindow = nullptr;
  impl_->window.Destroy();
}

int WinMain(int argc, const char* const* argv, const StartOptions& options) {
  try {
    Application app;
    if (app.Start(argc, argv, options) != 0) {
      std::fprintf(stderr, "ostrel: start-up failed: %s\n", app.Failure().c_str());
      return 1;
    }
    app.Run();
    app.Shutdown();
    return 0;
  } catch (const std::exception& e) {
    // The application's destructor has shut down and restored the display.
    std::fprintf(stderr, "ostrel: stopped: %s\n", e.what());
    return 1;
  }
}
