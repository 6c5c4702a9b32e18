#pragma once
#include <string>

#include "tools/datagen/output.h"

namespace datagen {

// The images and models the stage resource tables name that no sprite
// table draws: the modelled enemies and bosses, the object sets of the five
// stages, their skies and the pieces of stage 5's collapsing hall; then the
// cache archives of the five stages and of the title.
void GenerateStageContent(const std::string& root, WriteStats* stats);

}  // namespace datagen
