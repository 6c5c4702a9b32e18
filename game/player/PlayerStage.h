#pragma once
// What the Player reads of the stage world: the rail position and path that
// its warp and ending flights wait for, the keys of the camera path that
// its path flight follows, the points of its ending flight, and the speed
// hold it settles each frame.
#include <cstdint>

#include "vrax/resource/SRscSlot.h"

namespace playerstage {

// The rail position (keys of the current path); 0 without a stage world.
float RailPosition();
// The current camera path.
int32_t RailPath();
// x and y of key k of the current path; false when the path is not loaded
// or has no such key.
bool PathKey(int32_t k, float* x, float* y);
// The ending flight's path, a camera-path file of one key per frame of the
// flight, loaded once with the common resources.
inline constexpr const char* kEndingPathName = "\\common\\osr_player_end";
SRscTarget EndingPathTarget();
// x, y and z of the ending path's key k; false when the path is not loaded
// or has no such key.
bool EndingPathPoint(int32_t k, float* x, float* y, float* z);
// The stage world's speed hold step.
void SettleSpeed();

}  // namespace playerstage
