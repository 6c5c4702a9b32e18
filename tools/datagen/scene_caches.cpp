#include "tools/datagen/scene_caches.h"

#include "game/scene/AttractScene.h"
#include "tools/datagen/cache.h"

namespace datagen {

void GenerateSceneCaches(const std::string& root, WriteStats* stats) {
  for (const SceneCacheTable& t : AttractCacheTables) GenerateTableCache(root, t.table, t.archive, stats);
}

}  // namespace datagen
