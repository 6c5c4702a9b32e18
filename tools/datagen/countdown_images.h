#pragma once
#include <string>

#include "tools/datagen/output.h"

namespace datagen {

// The network service's count-down panels (the four ".dds" variants beside
// the data tree's root) and the side images under "Lumora" (BMP).
void GenerateCountDownImages(const std::string& root, WriteStats* stats);

}  // namespace datagen
