// Every sprite table and key list has the length the game relies on, and
// every key names a constructed part of its own table.
#include <gtest/gtest.h>

#include <cstring>
#include <iterator>
#include <set>
#include <string>

#include "game/tables/effect_tables.h"
#include "game/tables/enemy_tables.h"
#include "game/tables/font_tables.h"
#include "game/tables/scene_tables.h"
#include "game/tables/shot_tables.h"
#include "game/tables/table_registry.h"
#include "game/tables/testmode_tables.h"

namespace {

#define TABLE_SIZES(X)                                                                              \
  X(SprEnemySe00_1, 29) X(SprEnemySe01, 33) X(SprEnemySe02, 30) X(SprEnemySe03, 6) X(SprEnemySe04, 6) \
  X(SprEnemySe05, 35) X(SprEnemySe06, 34) X(SprEnemySe07, 32) X(SprEnemySe08, 33) X(SprEnemySe09, 30) \
  X(SprEnemySe10, 11) X(SprEnemySe11, 50) X(SprPShot00_1, 2) X(SprPShot00_3, 4) X(SprPShot01, 6)      \
  X(SprEShot01_1, 7) X(SprSubUnit, 4) X(SprEfx02_2, 1) X(SprEShot00, 185) X(SprEShot01_2, 60)          \
  X(SprEShot02, 24) X(SprEfx02_1, 10) X(SprEfx01_1, 7) X(SprEfx_1, 1) X(SprEfx_2, 1) X(SprEfx07, 1)    \
  X(SprEfx_4, 5) X(SprEfx_5, 2) X(SprEfx_6, 2) X(SprEfx_8, 4) X(SprEfx_9, 1) X(SprEfx_10, 1)           \
  X(SprEfx_11, 1) X(SprEfx00_1, 15) X(SprEfx00_2, 4) X(SprEfx00_4, 21) X(SprEfx00_7, 6)               \
  X(SprEfx00_8, 14) X(SprEfx01_4, 11) X(SprEfx02_4, 10) X(SprEfx02_5, 11) X(SprEfx03_3, 6)            \
  X(SprEfx03_5, 11) X(SprEfx04, 17) X(SprEfx08, 32) X(SprEfx09, 23) X(SprEfx10, 16) X(SprEfx11, 2)     \
  X(SprDashFormJako, 2) X(SprDashFormBoss, 10) X(SprLensFlare, 4) X(SprGameIf00x, 3) X(SprFont, 11)   \
  X(SprGameIf00_1, 8) X(SprGameIf00_2, 5) X(SprGameIf00_3, 3) X(SprGameIf00_4, 1) X(SprRouteName, 1)  \
  X(SprStgName, 1) X(SprTestFont_1, 1) X(SprTestFont_2, 1) X(SprContinue_1, 3) X(SprContinue_2, 3)    \
  X(SprStaff, 3) X(SprEnding1, 1) X(SprEnding2, 1) X(SprEntry, 2) X(SprLogo, 1) X(SprEnemySe00_2, 1)   \
  X(SprOpening_1, 8) X(SprOpening_2, 9) X(SprOpening_3, 14) X(SprRanking, 4) X(SprResultBack, 2)       \
  X(SprResultSpr, 4) X(SprStg01Fog, 1) X(SprStg04Hole, 1) X(SprTitle, 6) X(SprTutorial_1, 5)           \
  X(SprTutorial_2, 14) X(SprTestComm, 13) X(SprTestTop, 19) X(SprTestEtc, 18) X(SprTestSound, 21)      \
  X(SprTestSystem, 21) X(SprTestInput, 18) X(SprTestDisp, 2)

// Keys per list, terminators not counted (arrays of lists: all lists).
#define KEY_COUNTS(X)                                                                                 \
  X(SprEnemySe00_1Keys, 41) X(SprEnemySe01Keys, 45) X(SprEnemySe02Keys, 42) X(SprEnemySe03Keys, 6)   \
  X(SprEnemySe04Keys, 6) X(SprEnemySe05Keys, 48) X(SprEnemySe06Keys, 46) X(SprEnemySe07Keys, 44)     \
  X(SprEnemySe08Keys, 45) X(SprEnemySe09Keys, 42) X(SprEnemySe10Keys, 11) X(SprEnemySe11Keys, 62)    \
  X(SprPShot00_3Keys, 6) X(SprPShot01KeysA, 3) X(SprPShot01KeysB, 3) X(SprEShot01_1KeysA, 1)         \
  X(SprEShot01_1KeysB, 1) X(SprSubUnitKeysA, 1) X(SprSubUnitKeysB, 1) X(SprSubUnitKeysC, 1)          \
  X(SprSubUnitKeysD, 1) X(SprEfx02_2Keys, 1) X(SprEfx02_1Keys, 10) X(SprEfx01_1Keys, 49)             \
  X(SprEfx_1Keys, 1) X(SprEfx_2Keys, 1) X(SprEfx07Keys, 1) X(SprEfx_8Keys, 4) X(SprEfx_9Keys, 1)     \
  X(SprEfx_10Keys, 1) X(SprEfx_11Keys, 1) X(SprEfx00_1KeysB, 15) X(SprEfx00_2KeysA, 4)               \
  X(SprEfx00_2KeysB, 2) X(SprEfx00_4KeysB, 21) X(SprEfx00_4KeysC, 33) X(SprEfx00_7KeysB, 6)          \
  X(SprEfx00_8Keys, 14) X(SprEfx01_4KeysB, 11) X(SprEfx01_4KeysC, 11) X(SprEfx02_4Keys, 10)          \
  X(SprEfx02_5Keys, 11) X(SprEfx03_3Keys, 6) X(SprEfx03_5KeysB, 11) X(SprEfx04KeysB, 17)             \
  X(SprEfx04KeysC, 17) X(SprEfx09KeysA, 23) X(SprEfx09KeysB, 23) X(SprEfx10KeysB, 16)                \
  X(SprDashFormJakoKeysA, 1) X(SprDashFormJakoKeysB, 1) X(SprDashFormBossKeysA, 1)                   \
  X(SprDashFormBossKeysB, 1) X(SprDashFormBossKeysC, 1) X(SprDashFormBossKeysD, 1)                   \
  X(SprLensFlareKeysA, 1) X(SprLensFlareKeysB, 1) X(SprLensFlareKeysC, 1) X(SprLensFlareKeysD, 1)    \
  X(SprEShot00KeysA, 4) X(SprEShot00KeysB, 4) X(SprEShot00KeysC, 3) X(SprEShot00KeysD, 3)            \
  X(SprEShot00KeysE, 4) X(SprEShot00KeysF, 4) X(SprEShot00KeysG, 8) X(SprEShot00KeysH, 9)            \
  X(SprEShot00KeysI, 4) X(SprEShot00KeysJ, 5) X(SprEShot00KeysK, 5) X(SprEShot00KeysL, 6)            \
  X(SprEShot00KeysM, 12) X(SprEShot00KeysN, 7) X(SprEShot00KeysO, 8) X(SprEShot00KeysP, 9)           \
  X(SprEShot00KeysQ, 7) X(SprEShot00KeysR, 8) X(SprEShot00KeysS, 9) X(SprEShot00KeysT, 7)            \
  X(SprEShot00KeysU, 8) X(SprEShot00KeysV, 9) X(SprEShot00KeysW, 8) X(SprEShot00KeysX, 6)            \
  X(SprEShot00KeysY, 8) X(SprEShot00KeysZ, 6) X(SprEShot00KeysAA, 8) X(SprEShot00KeysAB, 6)          \
  X(SprEShot01_2KeysA, 6) X(SprEShot01_2KeysB, 5) X(SprEShot01_2KeysC, 4) X(SprEShot01_2KeysD, 3)    \
  X(SprEShot01_2KeysE, 9) X(SprEShot01_2KeysF, 5) X(SprEShot01_2KeysG, 9) X(SprEShot01_2KeysH, 5)    \
  X(SprEShot01_2KeysI, 9) X(SprEShot01_2KeysJ, 5) X(SprEShot02KeysA, 12) X(SprEShot02KeysB, 3)       \
  X(SprEShot02KeysC, 9) X(SprGameIf00_3Keys, 3) X(SprGameIf00_4Keys, 1)

TEST(TableSizes, EveryTableHasItsLength) {
#define CHECK_TABLE(name, n)                                   \
  EXPECT_EQ(std::size(name), std::size_t{n}) << #name;        \
  ASSERT_NE(FindTableInfo(#name), nullptr) << #name;           \
  EXPECT_EQ(FindTableInfo(#name)->parts.size(), std::size_t{n}) << #name; \
  EXPECT_EQ(FindTableInfo(#name)->rects, &name[0]) << #name;
  TABLE_SIZES(CHECK_TABLE)
#undef CHECK_TABLE
  std::size_t listed = 0;
#define COUNT(name, n) ++listed;
  TABLE_SIZES(COUNT)
#undef COUNT
  EXPECT_EQ(AllTableInfos().size(), listed) << "a table is missing from this test or the catalogue";
}

// Counts keys (non-null pairs) across an array of lists.
template <std::size_t N>
std::size_t CountKeys(const SGpKeyList (&list)[N]) {
  std::size_t keys = 0;
  for (const SGpKeyList& k : list) keys += k.part != nullptr;
  return keys;
}

TEST(TableSizes, EveryKeyListHasItsKeysAndEndsWithNull) {
#define CHECK_KEYS(name, n)                                      \
  EXPECT_EQ(CountKeys(name), std::size_t{n}) << #name;           \
  EXPECT_EQ(name[std::size(name) - 1].part, nullptr) << #name;
  KEY_COUNTS(CHECK_KEYS)
#undef CHECK_KEYS
  std::size_t listed = 0;
#define COUNT(name, n) ++listed;
  KEY_COUNTS(COUNT)
#undef COUNT
  EXPECT_EQ(AllKeyListInfos().size(), listed) << "a key list is missing from this test or the catalogue";
}

TEST(TableSizes, NoKeyNamesAPartOutsideItsTable) {
  for (const KeyListInfo& k : AllKeyListInfos()) {
    const TableInfo* t = FindTableInfo(k.table);
    ASSERT_NE(t, nullptr) << k.name;
    std::size_t ends = 0;
    for (std::size_t i = 0; i < k.keys.size(); ++i) {
      const SGpRect* part = k.list[i].part;
      if (part == nullptr) {
        ++ends;
        continue;
      }
      EXPECT_GE(part, t->rects) << k.name << " key " << i;
      EXPECT_LT(part, t->rects + t->parts.size()) << k.name << " key " << i;
      EXPECT_GT(k.list[i].time, 0.0f) << k.name << " key " << i;
    }
    EXPECT_EQ(ends, k.lists) << k.name;
    // Arrays of lists: every list has the same length.
    EXPECT_EQ(k.keys.size() % k.lists, 0u) << k.name;
  }
}

TEST(TableSizes, EnemyListsNameEveryPartAndLastOneFramePerKey) {
  const SGpRect* const tables[12] = {SprEnemySe00_1, SprEnemySe01, SprEnemySe02, SprEnemySe03,
                                     SprEnemySe04,   SprEnemySe05, SprEnemySe06, SprEnemySe07,
                                     SprEnemySe08,   SprEnemySe09, SprEnemySe10, SprEnemySe11};
  const std::size_t sizes[12] = {29, 33, 30, 6, 6, 35, 34, 32, 33, 30, 11, 50};
  for (int n = 0; n < 12; ++n) {
    std::set<const SGpRect*> named;
    float frames = 0;
    int keys = 0;
    for (const SGpKeyList* k = EnemySprKeyTable[n]; k->part != nullptr; ++k) {
      named.insert(k->part);
      frames += k->time;
      ++keys;
    }
    EXPECT_EQ(named.size(), sizes[n]) << "image " << n;
    EXPECT_EQ(*named.begin(), tables[n]) << "image " << n;
    EXPECT_EQ(frames, static_cast<float>(keys)) << "image " << n;
  }
  EXPECT_EQ(EnemySprKeyTable[3], SprEnemySe03Keys);
  EXPECT_EQ(EnemyRscSlots[0].image, &ImgEnemyBs00);
  EXPECT_EQ(EnemyRscSlots[0].model, &MdlEnemyBs00);
  EXPECT_EQ(EnemyRscSlots[15].image, &ImgEnemySe12);
  EXPECT_EQ(EnemyRscSlots[20].model, &MdlEnemySe17);
}

}  // namespace
