#pragma once
#include <string>

#include "tools/datagen/output.h"

namespace datagen {

// Camera paths, object placement and visibility lists, tunnels with their
// images and the stage scripts of the five stages and the tutorial.
void GenerateStageFiles(const std::string& root, WriteStats* stats);

}  // namespace datagen
