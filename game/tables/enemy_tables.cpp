// Small enemies: twelve images of 128 x 128 frames, one whole-texture part
// per frame and one key list per image playing the frames in animation order.
#include "game/tables/enemy_tables.h"
#include "game/tables/rect_build.h"
#include "game/tables/registry_macros.h"
#include "game/tables/image_slots.h"
#include "game/tables/table_registry.h"

namespace {

// Part k of each table is the whole 128 x 128 texture k of its image.
template <std::size_t N>
constexpr LayoutList<N> Frames(SImageSlot& img) {
  LayoutList<N> s;
  s.WholeTextures(img, N, 128, 128);
  return s.Done();
}

// Each key shows one part for one frame.
template <std::size_t K>
constexpr KeyLayoutList<K + 1> OneFrameEach(const int (&parts)[K]) {
  KeyLayoutList<K + 1> k;
  k.Parts(parts, 1.0f).End();
  return k.Done();
}

constexpr int kSe00[] = {0,  1,  2,  3,  4,  3,  2,  5,  6,  7,  6,  5,  8,  9,
                                10, 9,  8,  11, 12, 13, 12, 11, 14, 15, 16, 17, 18, 19,
                                20, 21, 22, 24, 25, 24, 23, 0,  27, 28, 27, 26, 0};
constexpr int kSe01[] = {0,  1,  2,  3,  4,  5,  6,  5,  4,  7,  8,  9,  8,  7,  10,
                                11, 12, 11, 10, 13, 14, 15, 14, 13, 16, 17, 18, 19, 20, 21,
                                22, 23, 24, 25, 26, 28, 29, 28, 27, 0,  31, 32, 31, 30, 0};
constexpr int kSe02[] = {0,  1,  2,  3,  4,  5,  6,  5,  4,  7,  8,  9,  8,  7,
                                10, 11, 12, 11, 10, 13, 14, 13, 0,  15, 16, 17, 18, 19,
                                20, 21, 22, 23, 25, 26, 25, 24, 0,  28, 29, 28, 27, 0};
constexpr int kSe03[] = {0, 1, 2, 3, 4, 5};
constexpr int kSe04[] = {0, 1, 2, 3, 4, 5};
constexpr int kSe05[] = {0,  1,  2,  3,  4,  5,  6,  5,  4,  7,  8,  9,  10, 9,  8,  7,
                                11, 12, 13, 12, 11, 14, 15, 16, 15, 14, 17, 18, 19, 20, 21, 22,
                                23, 24, 25, 26, 27, 28, 30, 31, 30, 29, 0,  33, 34, 33, 32, 0};
constexpr int kSe06[] = {0,  1,  2,  3,  4,  5,  6,  5,  4,  7,  8,  9,  8,  7,  10, 11,
                                12, 11, 10, 13, 14, 15, 14, 13, 16, 17, 18, 19, 20, 21, 22, 23,
                                24, 25, 26, 27, 29, 30, 29, 28, 0,  32, 33, 32, 31, 0};
constexpr int kSe07[] = {0,  1,  2,  3,  4,  5,  6,  5,  4,  7,  8,  9,  8,  7,  10,
                                11, 12, 11, 10, 13, 14, 15, 14, 13, 16, 17, 18, 19, 20, 21,
                                22, 23, 24, 25, 27, 28, 27, 26, 0,  30, 31, 30, 29, 0};
constexpr int kSe08[] = {0,  1,  2,  3,  4,  5,  6,  5,  4,  7,  8,  9,  8,  7,  10,
                                11, 12, 11, 10, 13, 14, 15, 14, 13, 16, 17, 18, 19, 20, 21,
                                22, 23, 24, 25, 26, 28, 29, 28, 27, 0,  31, 32, 31, 30, 0};
constexpr int kSe09[] = {0,  1,  2,  3,  4,  5,  6,  5,  4,  7,  8,  9,  8,  7,
                                10, 11, 12, 11, 10, 13, 14, 15, 14, 13, 16, 17, 18, 19,
                                20, 21, 22, 23, 25, 26, 25, 24, 0,  28, 29, 28, 27, 0};
constexpr int kSe10[] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
constexpr int kSe11[] = {0,  1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 5,  0,  12, 13,
                                14, 15, 16, 17, 18, 12, 0,  19, 20, 21, 22, 23, 24, 25, 19, 0,
                                26, 27, 28, 29, 30, 31, 32, 26, 0,  33, 34, 35, 36, 37, 38, 39,
                                40, 41, 42, 43, 45, 46, 45, 44, 0,  48, 49, 48, 47, 0};


constexpr auto kSprEnemySe00_1 = Frames<29>(ImgEnemySe00);
constexpr auto kSprEnemySe01 = Frames<33>(ImgEnemySe01);
constexpr auto kSprEnemySe02 = Frames<30>(ImgEnemySe02);
constexpr auto kSprEnemySe03 = Frames<6>(ImgEnemySe03);
constexpr auto kSprEnemySe04 = Frames<6>(ImgEnemySe04);
constexpr auto kSprEnemySe05 = Frames<35>(ImgEnemySe05);
constexpr auto kSprEnemySe06 = Frames<34>(ImgEnemySe06);
constexpr auto kSprEnemySe07 = Frames<32>(ImgEnemySe07);
constexpr auto kSprEnemySe08 = Frames<33>(ImgEnemySe08);
constexpr auto kSprEnemySe09 = Frames<30>(ImgEnemySe09);
constexpr auto kSprEnemySe10 = Frames<11>(ImgEnemySe10);
constexpr auto kSprEnemySe11 = Frames<50>(ImgEnemySe11);

constexpr auto kSprEnemySe00_1Keys = OneFrameEach(kSe00);
constexpr auto kSprEnemySe01Keys = OneFrameEach(kSe01);
constexpr auto kSprEnemySe02Keys = OneFrameEach(kSe02);
constexpr auto kSprEnemySe03Keys = OneFrameEach(kSe03);
constexpr auto kSprEnemySe04Keys = OneFrameEach(kSe04);
constexpr auto kSprEnemySe05Keys = OneFrameEach(kSe05);
constexpr auto kSprEnemySe06Keys = OneFrameEach(kSe06);
constexpr auto kSprEnemySe07Keys = OneFrameEach(kSe07);
constexpr auto kSprEnemySe08Keys = OneFrameEach(kSe08);
constexpr auto kSprEnemySe09Keys = OneFrameEach(kSe09);
constexpr auto kSprEnemySe10Keys = OneFrameEach(kSe10);
constexpr auto kSprEnemySe11Keys = OneFrameEach(kSe11);

// Frame colours of the twelve stand-in craft.
}  // namespace

OSTREL_RECT_TABLE(SprEnemySe00_1)
OSTREL_RECT_TABLE(SprEnemySe01)
OSTREL_RECT_TABLE(SprEnemySe02)
OSTREL_RECT_TABLE(SprEnemySe03)
OSTREL_RECT_TABLE(SprEnemySe04)
OSTREL_RECT_TABLE(SprEnemySe05)
OSTREL_RECT_TABLE(SprEnemySe06)
OSTREL_RECT_TABLE(SprEnemySe07)
OSTREL_RECT_TABLE(SprEnemySe08)
OSTREL_RECT_TABLE(SprEnemySe09)
OSTREL_RECT_TABLE(SprEnemySe10)
OSTREL_RECT_TABLE(SprEnemySe11)
OSTREL_KEY_LIST(SprEnemySe00_1Keys, SprEnemySe00_1)
OSTREL_KEY_LIST(SprEnemySe01Keys, SprEnemySe01)
OSTREL_KEY_LIST(SprEnemySe02Keys, SprEnemySe02)
OSTREL_KEY_LIST(SprEnemySe03Keys, SprEnemySe03)
OSTREL_KEY_LIST(SprEnemySe04Keys, SprEnemySe04)
OSTREL_KEY_LIST(SprEnemySe05Keys, SprEnemySe05)
OSTREL_KEY_LIST(SprEnemySe06Keys, SprEnemySe06)
OSTREL_KEY_LIST(SprEnemySe07Keys, SprEnemySe07)
OSTREL_KEY_LIST(SprEnemySe08Keys, SprEnemySe08)
OSTREL_KEY_LIST(SprEnemySe09Keys, SprEnemySe09)
OSTREL_KEY_LIST(SprEnemySe10Keys, SprEnemySe10)
OSTREL_KEY_LIST(SprEnemySe11Keys, SprEnemySe11)

#define OSTREL_ENEMY_MODELS(X)                                                       \
  X(Bs00) X(Bs01) X(Bs02) X(Bs03) X(Bs04) X(Bs05) X(Bs06) X(Bs07) X(Bs08) X(Bs09) X(Bs10) \
  X(Bs11) X(Bs12) X(Bs13) X(Bs14) X(Se12) X(Se13) X(Se14) X(Se15) X(Se16) X(Se17)

constinit const SGpKeyList* const EnemySprKeyTable[12] = {
    SprEnemySe00_1Keys_store.keys, SprEnemySe01Keys_store.keys, SprEnemySe02Keys_store.keys,
    SprEnemySe03Keys_store.keys,   SprEnemySe04Keys_store.keys, SprEnemySe05Keys_store.keys,
    SprEnemySe06Keys_store.keys,   SprEnemySe07Keys_store.keys, SprEnemySe08Keys_store.keys,
    SprEnemySe09Keys_store.keys,   SprEnemySe10Keys_store.keys, SprEnemySe11Keys_store.keys,
};

#define OSTREL_ENEMY_MODEL(stem) SRscSlot<SRsc_Model> MdlEnemy##stem;
OSTREL_ENEMY_MODELS(OSTREL_ENEMY_MODEL)
OSTREL_ENEMY_MODEL(Bs04a)
OSTREL_ENEMY_MODEL(Bs04b)
OSTREL_ENEMY_MODEL(Bs04c)
OSTREL_ENEMY_MODEL(Bs13l)
OSTREL_ENEMY_MODEL(Bs13r)
#undef OSTREL_ENEMY_MODEL

#define OSTREL_ENEMY_PAIR(stem) {&ImgEnemy##stem, &MdlEnemy##stem},
constinit const EnemyRscSlotPair EnemyRscSlots[21] = {OSTREL_ENEMY_MODELS(OSTREL_ENEMY_PAIR)};
#undef OSTREL_ENEMY_PAIR

namespace {

const TableInfo kTables[] = {
    OSTREL_TABLE_INFO(SprEnemySe00_1, Enemy, 0x6fb0ff), OSTREL_TABLE_INFO(SprEnemySe01, Enemy, 0xff8a5c),
    OSTREL_TABLE_INFO(SprEnemySe02, Enemy, 0x8cff6a),   OSTREL_TABLE_INFO(SprEnemySe03, Enemy, 0xffe066),
    OSTREL_TABLE_INFO(SprEnemySe04, Enemy, 0xd07cff),   OSTREL_TABLE_INFO(SprEnemySe05, Enemy, 0x5cf0e0),
    OSTREL_TABLE_INFO(SprEnemySe06, Enemy, 0xff5c9a),   OSTREL_TABLE_INFO(SprEnemySe07, Enemy, 0xb8c4d0),
    OSTREL_TABLE_INFO(SprEnemySe08, Enemy, 0xffa030),   OSTREL_TABLE_INFO(SprEnemySe09, Enemy, 0x70e070),
    OSTREL_TABLE_INFO(SprEnemySe10, Enemy, 0xa0a0ff),   OSTREL_TABLE_INFO(SprEnemySe11, Enemy, 0xff7070),
};
const KeyListInfo kKeyLists[] = {
    OSTREL_KEYS_INFO(SprEnemySe00_1Keys, SprEnemySe00_1, 1), OSTREL_KEYS_INFO(SprEnemySe01Keys, SprEnemySe01, 1),
    OSTREL_KEYS_INFO(SprEnemySe02Keys, SprEnemySe02, 1),     OSTREL_KEYS_INFO(SprEnemySe03Keys, SprEnemySe03, 1),
    OSTREL_KEYS_INFO(SprEnemySe04Keys, SprEnemySe04, 1),     OSTREL_KEYS_INFO(SprEnemySe05Keys, SprEnemySe05, 1),
    OSTREL_KEYS_INFO(SprEnemySe06Keys, SprEnemySe06, 1),     OSTREL_KEYS_INFO(SprEnemySe07Keys, SprEnemySe07, 1),
    OSTREL_KEYS_INFO(SprEnemySe08Keys, SprEnemySe08, 1),     OSTREL_KEYS_INFO(SprEnemySe09Keys, SprEnemySe09, 1),
    OSTREL_KEYS_INFO(SprEnemySe10Keys, SprEnemySe10, 1),     OSTREL_KEYS_INFO(SprEnemySe11Keys, SprEnemySe11, 1),
};

}  // namespace

TableGroup EnemyTableGroup() { return {kTables, kKeyLists, {}}; }
