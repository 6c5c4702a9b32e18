#pragma once
#include <string>

#include "tools/datagen/output.h"

struct SRscRequest;

namespace datagen {

// The common resources' cache archive "\cache\common.sca": every file the
// game's common resource table reads (each image list with its textures,
// the sound-effect list with its waves), packed as the game packs its cache.
// With it in place the game reads the common resources from the archive at
// start-up instead of building it in the data tree.
void GenerateCommonCache(const std::string& root, WriteStats* stats);

// The cache archive (a game path such as "\cache\logo") of a scene's
// resource table, packed as the game packs it when it builds the archive on
// its first run.
void GenerateTableCache(const std::string& root, const SRscRequest* table, const std::string& archiveName,
                        WriteStats* stats);

}  // namespace datagen
