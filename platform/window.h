#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// The game's one window with its OpenGL context and message queue, in place
// of the registered window class, the window procedure and the PeekMessage
// loop. No SDL or GL type shows through this header.
//
// Messages keep the meanings the start-up gives them:
//  - the window's close button and PostClose() deliver kClose;
//  - a key press delivers kKeyDown (Escape included);
//  - PostQuitMessage() makes the next Peek() deliver kQuit once every posted
//    message before it has been taken;
//  - DispatchMessage() applies the window procedure: kClose and Escape post
//    the quit message, every other key press is swallowed.
// Keyboard state for the pads is read elsewhere; the pump only has to run.
namespace plat {

constexpr const char* kWindowClassName = "BASE";
constexpr const char* kWindowTitle = "OSTREL for Cabri";

enum class KeyCode : int32_t {
  kUnknown = 0,
  kEscape = 27,
  // Other keys arrive as their SDL key code value; the pump only cares about
  // Escape.
};

enum class MsgType { kNone, kQuit, kClose, kKeyDown, kMinimised, kRestored };

struct Message {
  MsgType type = MsgType::kNone;
  int32_t key = 0;       // kKeyDown: the key code (27 = Escape)
  int32_t quitCode = 0;  // kQuit: the code given to PostQuitMessage
};

enum class GlProfile { kCompatibility, kCore };

struct WindowDesc {
  int width = 640;            // client area = back-buffer size
  int height = 480;
  bool fullScreen = false;    // full screen on the desktop mode
  bool hidden = false;        // never shown (tools rendering off screen)
  bool vsync = false;         // swap interval 1 (full screen pacing)
  std::string title = kWindowTitle;
  // The context asked for first; the other profile of the same version is
  // tried when it cannot be had.
  GlProfile profile = GlProfile::kCompatibility;
  int glMajor = 3;
  int glMinor = 3;
};

class Window {
 public:
  Window();
  ~Window();
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;

  // Opens the video system, the window and its GL context (made current on
  // the calling thread). False on failure, with LastError() saying why.
  bool Create(const WindowDesc& desc);
  void Destroy();
  bool IsOpen() const;
  const std::string& LastError() const { return error_; }

  bool IsFullScreen() const { return desc_.fullScreen; }
  const WindowDesc& Desc() const { return desc_; }

  // --- OpenGL ---
  bool MakeCurrent();
  void GetDrawableSize(int* w, int* h) const;  // pixels of the default framebuffer
  void Swap();
  bool SetSwapInterval(int interval);
  // Full screen in the display mode of that size and refresh rate (Hz),
  // instead of on the desktop mode. False when the mode cannot be set.
  bool UseDisplayMode(int width, int height, int refreshRate);
  void* GetGlProcAddress(const char* name) const;
  int ContextMajor() const { return contextMajor_; }
  int ContextMinor() const { return contextMinor_; }

  // --- messages ---
  // Takes the next waiting message; false when none waits.
  bool Peek(Message* msg);
  // The window procedure's handling of a message taken by Peek.
  void DispatchMessage(const Message& msg);
  // Thread-safe: posts a close request to this window (as game code posts
  // WM_CLOSE to end the program).
  void PostClose();
  // Thread-safe: queues a key press as if typed (tests, tools).
  void PostKeyDown(int32_t key);
  // Queues a show-state change as the window system would report it; used by
  // tests where the window system never minimises anything.
  void PostShowState(bool minimised);

  // True while the window is hidden or minimised: the main loop does not
  // step the game then.
  bool IsHiddenOrMinimised() const;

  // --- cursor ---
  void ShowCursor(bool show);
  void SetCursorPos(int x, int y);  // client coordinates; ignored unless focused
  bool CursorShown() const { return cursorShown_; }

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
  WindowDesc desc_;
  std::string error_;
  GlProfile contextProfile_ = GlProfile::kCompatibility;
  int contextMajor_ = 0;
  int contextMinor_ = 0;
  bool cursorShown_ = true;
  bool minimised_ = false;
};

// Win32-style quit message of the calling thread's loop. Thread-safe.
void PostQuitMessage(int code);
// True when a quit is pending (not yet delivered by Peek).
bool QuitPending();
// Forgets a pending quit (a fresh start in tests).
void ClearQuitMessage();

// One display mode of the first display.
struct DisplayMode {
  int width = 0;
  int height = 0;
  int refreshRate = 0;  // Hz, 0 when unknown
};
// The first display's modes in the order the system lists them; empty when
// video is not open.
std::vector<DisplayMode> ListDisplayModes();

// The display-mode switch of the cabinet (16 bits per pixel) has no meaning
// here: the calls are recorded so the start-up can be checked for restoring
// it on every way out, and nothing else happens.
void ChangeDisplayDepth(int bitsPerPixel);
void RestoreDisplayMode();
bool DisplayModeChanged();  // a depth switch is in force
int DisplayModeRestoreCount();

}  // namespace plat
