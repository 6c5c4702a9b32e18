#pragma once
#include <string>

#include "tools/datagen/output.h"

namespace datagen {

// The cache archives of the end-of-play scenes (stage result, endings, name
// entry, ranking, continue), so that a regenerated data tree never leaves
// an archive of older images behind.
void GenerateEndSceneCaches(const std::string& root, WriteStats* stats);

}  // namespace datagen
