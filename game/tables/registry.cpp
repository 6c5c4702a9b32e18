#include <cstring>
#include <vector>

#include "game/tables/registry_macros.h"

namespace {

struct Catalogue {
  std::vector<TableInfo> tables;
  std::vector<KeyListInfo> keyLists;
  std::vector<FontInfo> fonts;
};

const Catalogue& Get() {
  static const Catalogue catalogue = [] {
    Catalogue c;
    for (const TableGroup& g : {EnemyTableGroup(), ShotTableGroup(), EffectTableGroup(), FontTableGroup(),
                                SceneTableGroup(), TestModeTableGroup()}) {
      c.tables.insert(c.tables.end(), g.tables.begin(), g.tables.end());
      c.keyLists.insert(c.keyLists.end(), g.keyLists.begin(), g.keyLists.end());
      c.fonts.insert(c.fonts.end(), g.fonts.begin(), g.fonts.end());
    }
    return c;
  }();
  return catalogue;
}

}  // namespace

std::span<const TableInfo> AllTableInfos() { return Get().tables; }
std::span<const KeyListInfo> AllKeyListInfos() { return Get().keyLists; }
std::span<const FontInfo> AllFontInfos() { return Get().fonts; }

const TableInfo* FindTableInfo(const char* name) {
  for (const TableInfo& t : Get().tables)
    if (std::strcmp(t.name, name) == 0) return &t;
  return nullptr;
}
