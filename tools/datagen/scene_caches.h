#pragma once
#include <string>

#include "tools/datagen/output.h"

namespace datagen {

// The cache archives of the attract scenes ("\cache\logo", "\cache\opening",
// ...), the same bytes the game writes when it builds one on a first run
// without it: with them in place the game never writes into the data tree.
void GenerateSceneCaches(const std::string& root, WriteStats* stats);

}  // namespace datagen
