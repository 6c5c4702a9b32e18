#include "platform/input_devices.h"

#include <SDL.h>

#include <algorithm>
#include <mutex>
#include <vector>

namespace plat {
namespace {

constexpr int kCount = static_cast<int>(CabInput::kCount);
// Stick deflection that counts as a direction (about 40 % of the range).
constexpr int kStickDeadZone = 13000;

struct Controllers {
  bool tried = false;
  bool ok = false;
  int lastJoystickCount = -1;
  std::vector<SDL_GameController*> open;
};

std::mutex g_mutex;
bool g_injected[kCount] = {};
bool g_hostEnabled = true;
Controllers g_pads;

void RefreshControllers() {
  if (!g_pads.tried) {
    g_pads.tried = true;
    g_pads.ok = SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) == 0;
  }
  if (!g_pads.ok) return;
  // Drop controllers that went away.
  g_pads.open.erase(std::remove_if(g_pads.open.begin(), g_pads.open.end(),
                                   [](SDL_GameController* c) {
                                     if (SDL_GameControllerGetAttached(c)) return false;
                                     SDL_GameControllerClose(c);
                                     return true;
                                   }),
                    g_pads.open.end());
  const int n = SDL_NumJoysticks();
  if (n == g_pads.lastJoystickCount && static_cast<int>(g_pads.open.size()) <= n) return;
  g_pads.lastJoystickCount = n;
  for (int i = 0; i < n; ++i) {
    if (!SDL_IsGameController(i)) continue;
    SDL_JoystickID id = SDL_JoystickGetDeviceInstanceID(i);
    bool have = std::any_of(g_pads.open.begin(), g_pads.open.end(), [id](SDL_GameController* c) {
      return SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(c)) == id;
    });
    if (have) continue;
    if (SDL_GameController* c = SDL_GameControllerOpen(i)) g_pads.open.push_back(c);
  }
}

void ReadKeyboard(bool* held) {
  int count = 0;
  const Uint8* keys = SDL_GetKeyboardState(&count);
  if (!keys) return;
  auto key = [&](SDL_Scancode sc) { return sc < count && keys[sc] != 0; };
  held[int(CabInput::kUp)] |= key(SDL_SCANCODE_UP);
  held[int(CabInput::kDown)] |= key(SDL_SCANCODE_DOWN);
  held[int(CabInput::kLeft)] |= key(SDL_SCANCODE_LEFT);
  held[int(CabInput::kRight)] |= key(SDL_SCANCODE_RIGHT);
  held[int(CabInput::kButton1)] |= key(SDL_SCANCODE_Z);
  held[int(CabInput::kButton2)] |= key(SDL_SCANCODE_X);
  held[int(CabInput::kStart)] |= key(SDL_SCANCODE_1);
  held[int(CabInput::kCoin)] |= key(SDL_SCANCODE_5);
  held[int(CabInput::kService)] |= key(SDL_SCANCODE_9);
  held[int(CabInput::kTest)] |= key(SDL_SCANCODE_F2);
}

void ReadControllers(bool* held) {
  RefreshControllers();
  for (SDL_GameController* c : g_pads.open) {
    auto btn = [c](SDL_GameControllerButton b) { return SDL_GameControllerGetButton(c, b) != 0; };
    const int x = SDL_GameControllerGetAxis(c, SDL_CONTROLLER_AXIS_LEFTX);
    const int y = SDL_GameControllerGetAxis(c, SDL_CONTROLLER_AXIS_LEFTY);
    held[int(CabInput::kUp)] |= btn(SDL_CONTROLLER_BUTTON_DPAD_UP) || y <= -kStickDeadZone;
    held[int(CabInput::kDown)] |= btn(SDL_CONTROLLER_BUTTON_DPAD_DOWN) || y >= kStickDeadZone;
    held[int(CabInput::kLeft)] |= btn(SDL_CONTROLLER_BUTTON_DPAD_LEFT) || x <= -kStickDeadZone;
    held[int(CabInput::kRight)] |= btn(SDL_CONTROLLER_BUTTON_DPAD_RIGHT) || x >= kStickDeadZone;
    held[int(CabInput::kButton1)] |= btn(SDL_CONTROLLER_BUTTON_A);
    held[int(CabInput::kButton2)] |= btn(SDL_CONTROLLER_BUTTON_B);
    held[int(CabInput::kStart)] |= btn(SDL_CONTROLLER_BUTTON_START);
    held[int(CabInput::kCoin)] |= btn(SDL_CONTROLLER_BUTTON_BACK);
  }
}

}  // namespace

CabInputState ReadCabInputs() {
  std::lock_guard<std::mutex> lock(g_mutex);
  CabInputState s;
  std::copy(g_injected, g_injected + kCount, s.held);
  if (g_hostEnabled) {
    ReadKeyboard(s.held);
    ReadControllers(s.held);
  }
  return s;
}

void InjectCabInput(CabInput input, bool held) {
  std::lock_guard<std::mutex> lock(g_mutex);
  if (static_cast<int>(input) < kCount) g_injected[static_cast<int>(input)] = held;
}

void ClearInjectedCabInputs() {
  std::lock_guard<std::mutex> lock(g_mutex);
  std::fill(g_injected, g_injected + kCount, false);
}

void SetHostInputEnabled(bool enabled) {
  std::lock_guard<std::mutex> lock(g_mutex);
  g_hostEnabled = enabled;
}

void ShutdownCabInputs() {
  std::lock_guard<std::mutex> lock(g_mutex);
  for (SDL_GameController* c : g_pads.open) SDL_GameControllerClose(c);
  g_pads.open.clear();
  if (g_pads.ok) SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
  g_pads = Controllers{};
}

}  // namespace plat
