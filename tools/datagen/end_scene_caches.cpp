#include "tools/datagen/end_scene_caches.h"

#include "game/scene/SceneResourceTables.h"
#include "tools/datagen/cache.h"

namespace datagen {

void GenerateEndSceneCaches(const std::string& root, WriteStats* stats) {
  for (const SceneCacheTable& t : EndSceneCacheTables) GenerateTableCache(root, t.table, t.archive, stats);
}

}  // namespace datagen
