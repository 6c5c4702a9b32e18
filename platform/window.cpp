#include "platform/window.h"

#include <SDL2/SDL.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <mutex>

namespace plat {

namespace {

std::mutex g_quitLock;
bool g_quitPending = false;
int g_quitCode = 0;

std::atomic<bool> g_depthSwitched{false};
std::atomic<int> g_depthRestores{0};

bool TakeQuit(Message* msg) {
  std::lock_guard<std::mutex> lock(g_quitLock);
  if (!g_quitPending) return false;
  g_quitPending = false;
  msg->type = MsgType::kQuit;
  msg->key = 0;
  msg->quitCode = g_quitCode;
  return true;
}

// Why no display was found: the displays the environment names, none of
// which could be opened, or that it names none.
std::string NoDisplayReason(const char* x11, const char* wayland) {
  const bool hasX11 = x11 && *x11, hasWayland = wayland && *wayland;
  if (!hasX11 && !hasWayland) return "neither DISPLAY nor WAYLAND_DISPLAY names one";
  if (hasX11 && hasWayland)
    return std::string("neither DISPLAY=") + x11 + " nor WAYLAND_DISPLAY=" + wayland + " can be opened";
  return hasX11 ? std::string("DISPLAY=") + x11 + " cannot be opened"
                : std::string("WAYLAND_DISPLAY=") + wayland + " cannot be opened";
}

// The video system and the GL library stay loaded from the first window to
// the end of the process: reopening them for every window is slow, and the
// GL driver, once unloaded, leaves its one-time allocations unattributable
// to the leak checker.
bool OpenVideo(std::string* error) {
  static std::mutex lock;
  static bool open = false;
  std::lock_guard<std::mutex> guard(lock);
  if (open) return true;
  // The window class name becomes the window-manager class of the window.
  SDL_SetHint("SDL_VIDEO_X11_WMCLASS", kWindowClassName);
  SDL_SetHint("SDL_VIDEO_WAYLAND_WMCLASS", kWindowClassName);
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
    *error = std::string("video system: ") + SDL_GetError();
    return false;
  }
  // With no display SDL falls back on a driver that draws nowhere; that one
  // is used only when asked for by name (the tests and tools do), so that a
  // start without a display fails instead of running on unseen.
  const char* asked = SDL_GetHint(SDL_HINT_VIDEODRIVER);
  const char* driver = SDL_GetCurrentVideoDriver();
  if (driver && !(asked && *asked) &&
      (std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0 ||
       std::strcmp(driver, "evdev") == 0)) {
    *error = "video system: no display (" + NoDisplayReason(std::getenv("DISPLAY"), std::getenv("WAYLAND_DISPLAY")) +
             "; SDL_VIDEODRIVER=offscreen draws off screen)";
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    return false;
  }
  if (SDL_GL_LoadLibrary(nullptr) != 0) {
    *error = std::string("OpenGL library: ") + SDL_GetError();
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    return false;
  }
  open = true;
  return true;
}

}  // namespace

void PostQuitMessage(int code) {
  std::lock_guard<std::mutex> lock(g_quitLock);
  g_quitPending = true;
  g_quitCode = code;
}

bool QuitPending() {
  std::lock_guard<std::mutex> lock(g_quitLock);
  return g_quitPending;
}

void ClearQuitMessage() {
  std::lock_guard<std::mutex> lock(g_quitLock);
  g_quitPending = false;
  g_quitCode = 0;
}

std::vector<DisplayMode> ListDisplayModes() {
  std::vector<DisplayMode> modes;
  if (SDL_WasInit(SDL_INIT_VIDEO) == 0) return modes;
  const int n = SDL_GetNumDisplayModes(0);
  for (int i = 0; i < n; ++i) {
    SDL_DisplayMode m;
    if (SDL_GetDisplayMode(0, i, &m) == 0) modes.push_back(DisplayMode{m.w, m.h, m.refresh_rate});
  }
  return modes;
}

void ChangeDisplayDepth(int /*bitsPerPixel*/) { g_depthSwitched = true; }

void RestoreDisplayMode() {
  g_depthSwitched = false;
  ++g_depthRestores;
}

bool DisplayModeChanged() { return g_depthSwitched; }
int DisplayModeRestoreCount() { return g_depthRestores; }

struct Window::Impl {
  SDL_Window* window = nullptr;
  SDL_GLContext context = nullptr;
  bool videoInit = false;
  std::mutex postLock;
  std::deque<Message> posted;  // messages from PostClose/PostKeyDown/PostShowState
};

Window::Window() : impl_(std::make_unique<Impl>()) {}

Window::~Window() { Destroy(); }

bool Window::IsOpen() const { return impl_->window != nullptr; }

bool Window::Create(const WindowDesc& desc) {
  Destroy();
  desc_ = desc;
  error_.clear();
  if (!OpenVideo(&error_)) return false;
  impl_->videoInit = true;

  Uint32 flags = SDL_WINDOW_OPENGL;
  flags |= desc.hidden ? SDL_WINDOW_HIDDEN : SDL_WINDOW_SHOWN;
  int width = desc.width, height = desc.height;
  if (desc.fullScreen) {
    flags |= SDL_WINDOW_FULLSCREEN_DESKTOP;
    // Made at the desktop's size from the start: with no window manager to
    // honour the full-screen request (a bare X server) the window would
    // otherwise keep the asked size while the picture is drawn for the
    // desktop's, and only its corner would show.
    SDL_DisplayMode mode;
    if (SDL_GetDesktopDisplayMode(0, &mode) == 0 && mode.w > 0 && mode.h > 0) {
      width = mode.w;
      height = mode.h;
    }
  }

  // Try the asked profile, then the other one of the same version.
  const GlProfile order[2] = {desc.profile, desc.profile == GlProfile::kCompatibility
                                                ? GlProfile::kCore
                                                : GlProfile::kCompatibility};
  std::string glError;
  for (GlProfile p : order) {
    SDL_GL_ResetAttributes();
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, desc.glMajor);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, desc.glMinor);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, p == GlProfile::kCore
                                                         ? SDL_GL_CONTEXT_PROFILE_CORE
                                                         : SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 8);

    impl_->window = SDL_CreateWindow(desc.title.c_str(), SDL_WINDOWPOS_UNDEFINED,
                                     SDL_WINDOWPOS_UNDEFINED, width, height, flags);
    if (!impl_->window) {
      error_ = std::string("window: ") + SDL_GetError();
      Destroy();
      return false;
    }
    impl_->context = SDL_GL_CreateContext(impl_->window);
    if (impl_->context) {
      contextProfile_ = p;
      break;
    }
    glError = SDL_GetError();
    SDL_DestroyWindow(impl_->window);
    impl_->window = nullptr;
  }
  if (!impl_->context) {
    error_ = "OpenGL " + std::to_string(desc.glMajor) + "." + std::to_string(desc.glMinor) +
             " context: " + glError;
    Destroy();
    return false;
  }
  SDL_GL_GetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, &contextMajor_);
  SDL_GL_GetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, &contextMinor_);
  SDL_GL_MakeCurrent(impl_->window, impl_->context);
  SDL_GL_SetSwapInterval(desc.vsync ? 1 : 0);
  minimised_ = false;
  cursorShown_ = SDL_ShowCursor(SDL_QUERY) == SDL_ENABLE;
  return true;
}

void Window::Destroy() {
  if (impl_->context) {
    SDL_GL_MakeCurrent(impl_->window, nullptr);
    SDL_GL_DeleteContext(impl_->context);
    impl_->context = nullptr;
  }
  if (impl_->window) {
    SDL_DestroyWindow(impl_->window);
    impl_->window = nullptr;
  }
  if (!cursorShown_ && impl_->videoInit) {
    SDL_ShowCursor(SDL_ENABLE);
    cursorShown_ = true;
  }
  impl_->videoInit = false;
  std::lock_guard<std::mutex> lock(impl_->postLock);
  impl_->posted.clear();
}

bool Window::MakeCurrent() {
  if (!impl_->context) return false;
  return SDL_GL_MakeCurrent(impl_->window, impl_->context) == 0;
}

void Window::GetDrawableSize(int* w, int* h) const {
  int dw = 0, dh = 0;
  if (impl_->window) SDL_GL_GetDrawableSize(impl_->window, &dw, &dh);
  if (w) *w = dw;
  if (h) *h = dh;
}

void Window::Swap() {
  if (impl_->window) SDL_GL_SwapWindow(impl_->window);
}

bool Window::UseDisplayMode(int width, int height, int refreshRate) {
  if (!impl_->window) return false;
  SDL_DisplayMode mode{SDL_PIXELFORMAT_UNKNOWN, width, height, refreshRate, nullptr};
  if (SDL_SetWindowDisplayMode(impl_->window, &mode) != 0) return false;
  return SDL_SetWindowFullscreen(impl_->window, SDL_WINDOW_FULLSCREEN) == 0;
}

bool Window::SetSwapInterval(int interval) {
  if (!impl_->context) return false;
  return SDL_GL_SetSwapInterval(interval) == 0;
}

void* Window::GetGlProcAddress(const char* name) const {
  return SDL_GL_GetProcAddress(name);
}

void Window::PostClose() {
  std::lock_guard<std::mutex> lock(impl_->postLock);
  impl_->posted.push_back(Message{MsgType::kClose, 0, 0});
}

void Window::PostKeyDown(int32_t key) {
  std::lock_guard<std::mutex> lock(impl_->postLock);
  impl_->posted.push_back(Message{MsgType::kKeyDown, key, 0});
}

void Window::PostShowState(bool minimised) {
  std::lock_guard<std::mutex> lock(impl_->postLock);
  impl_->posted.push_back(
      Message{minimised ? MsgType::kMinimised : MsgType::kRestored, 0, 0});
}

bool Window::Peek(Message* msg) {
  {
    std::lock_guard<std::mutex> lock(impl_->postLock);
    if (!impl_->posted.empty()) {
      *msg = impl_->posted.front();
      impl_->posted.pop_front();
      if (msg->type == MsgType::kMinimised) minimised_ = true;
      if (msg->type == MsgType::kRestored) minimised_ = false;
      return true;
    }
  }
  if (impl_->videoInit) {
    SDL_Event ev;
    while (SDL_PollEvent(&ev)) {
      switch (ev.type) {
        case SDL_QUIT:  // last window closed, or an interrupt signal
          *msg = Message{MsgType::kClose, 0, 0};
          return true;
        case SDL_KEYDOWN:
          *msg = Message{MsgType::kKeyDown,
                         ev.key.keysym.sym == SDLK_ESCAPE ? int32_t(KeyCode::kEscape)
                                                          : int32_t(ev.key.keysym.sym),
                         0};
          return true;
        case SDL_WINDOWEVENT:
          switch (ev.window.event) {
            case SDL_WINDOWEVENT_CLOSE:
              *msg = Message{MsgType::kClose, 0, 0};
              return true;
            case SDL_WINDOWEVENT_MINIMIZED:
              minimised_ = true;
              *msg = Message{MsgType::kMinimised, 0, 0};
              return true;
            case SDL_WINDOWEVENT_RESTORED:
            case SDL_WINDOWEVENT_MAXIMIZED:
              minimised_ = false;
              *msg = Message{MsgType::kRestored, 0, 0};
              return true;
            default:
              break;
          }
          break;
        default:
          break;  // mouse, text and other events mean nothing here
      }
    }
  }
  return TakeQuit(msg);
}

void Window::DispatchMessage(const Message& msg) {
  switch (msg.type) {
    case MsgType::kClose:
      PostQuitMessage(0);
      break;
    case MsgType::kKeyDown:
      if (msg.key == int32_t(KeyCode::kEscape)) PostQuitMessage(0);
      break;  // any other key press is swallowed
    default:
      break;
  }
}

bool Window::IsHiddenOrMinimised() const {
  if (minimised_) return true;
  if (!impl_->window) return true;
  Uint32 f = SDL_GetWindowFlags(impl_->window);
  return (f & (SDL_WINDOW_HIDDEN | SDL_WINDOW_MINIMIZED)) != 0;
}

void Window::ShowCursor(bool show) {
  if (impl_->videoInit) SDL_ShowCursor(show ? SDL_ENABLE : SDL_DISABLE);
  cursorShown_ = show;
}

void Window::SetCursorPos(int x, int y) {
  // Only a focused window may move the pointer; warping it while the user
  // works in another window would be hostile.
  if (impl_->window && SDL_GetKeyboardFocus() == impl_->window)
    SDL_WarpMouseInWindow(impl_->window, x, y);
}

}  // namespace plat
