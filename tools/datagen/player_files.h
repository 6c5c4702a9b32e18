#pragma once
#include <string>

#include "tools/datagen/output.h"

namespace datagen {

// The ship's models (".bma"), its input records (".inp"), the ending
// flight's path (".cam") and the demo and tutorial replays (".rpd") under
// "common".
void GeneratePlayerFiles(const std::string& root, WriteStats* stats);

}  // namespace datagen
