#pragma once
#include <string>

#include "tools/datagen/output.h"
#include "vrax/graphic/SMath.h"

namespace datagen {

// Where the camera stands at rail key k of path 0: a gentle weaving course
// into the screen (-z), 12 units a key, from z = zAtStart at key 0 (stage
// 5's course starts 57600 further in, the others at 0).
SVec3 Path0Position(float k, float zAtStart = 0.0f);

// Camera paths, object placement and visibility lists, tunnels with their
// images and the stage scripts of the five stages and the tutorial.
void GenerateStageFiles(const std::string& root, WriteStats* stats);

}  // namespace datagen
