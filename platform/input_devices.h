#pragma once
#include <cstdint>

// The cabinet's controls as the host sees them: the keyboard and any game
// controllers, read as held/not held. The window's message pump must have run
// this frame (it refreshes SDL's keyboard and controller state); nothing here
// pumps events. Controllers are opened as they appear and closed when they go.
//
// Default keys: arrows move, Z and X are buttons 1 and 2, 1 is start, 5
// inserts a coin, 9 is the service switch, F2 the test switch. A controller's
// left stick or d-pad moves, A and B are buttons 1 and 2, Start is start and
// Back inserts a coin.
namespace plat {

enum class CabInput : uint8_t {
  kUp,
  kDown,
  kLeft,
  kRight,
  kButton1,
  kButton2,
  kStart,
  kCoin,
  kService,
  kTest,
  kCount
};

struct CabInputState {
  bool held[static_cast<int>(CabInput::kCount)] = {};
  bool operator[](CabInput i) const { return held[static_cast<int>(i)]; }
};

// The union of keyboard, controllers and injected inputs.
CabInputState ReadCabInputs();

// Tests and tools: an input held regardless of the devices, until released.
void InjectCabInput(CabInput input, bool held);
void ClearInjectedCabInputs();
// Tests: ignore the keyboard and controllers (only injected inputs count).
void SetHostInputEnabled(bool enabled);

// Closes every controller and the controller subsystem (exit).
void ShutdownCabInputs();

}  // namespace plat
