#pragma once
#include <string>

#include "tools/datagen/output.h"

namespace datagen {

// Draws every image the sprite tables cut (at the sizes they imply) and
// writes the textures as PNG files with one ".tr" image list per image.
void GenerateImages(const std::string& root, WriteStats* stats);

}  // namespace datagen
