// Which table of the effect sprite tables plays each effect animation.
#include "game/effect/EfxTables.h"

#include "game/tables/effect_tables.h"

const SGpKeyList* const EfxKeyList1 = SprEfx00_4KeysB;
const SGpKeyList* const EfxKeyList2 = SprEfx04KeysB;
const SGpKeyList* const EfxKeyList3 = SprEfx04KeysC;
const SGpKeyList* const EfxKeyList4 = SprEfx02_1Keys;
const SGpKeyList* const EfxKeyList5 = SprEfx00_2KeysB;
const SGpKeyList* const EfxKeyList6 = SprEfx_1Keys;
const SGpKeyList* const EfxKeyList7 = SprEfx_10Keys;
const SGpKeyList* const EfxKeyList8 = SprEfx00_7KeysB;
const SGpKeyList* const EfxKeyList9 = SprEfx10KeysB;
const SGpKeyList* const EfxKeyList10 = SprEfx_2Keys;

const SGpKeyList* EfxKeyListTable(int32_t j) {
  if (j < 0) j = 0;
  if (j >= kEfxKeyListVariants) j = kEfxKeyListVariants - 1;
  return SprEfx01_1Keys + j * (sizeof(SprEfx01_1Keys) / sizeof(SprEfx01_1Keys[0]) / kEfxKeyListVariants);
}

const EfxSpriteDesc& EfxPuffDesc = SprEfx04Desc[0];
const EfxSpriteDesc& EfxPuffGlowDesc = SprEfx04Desc[1];

const SGpRect* EfxStreakRect(int32_t kind) { return &SprEfx_4[((kind % 5) + 5) % 5]; }
const SGpRect* EfxRingRect(int32_t select) { return &SprEfx_5[select & 1]; }
const SGpRect* EfxDiscRect(int32_t select) { return &SprEfx_6[select & 1]; }
const SGpRect* EfxTendrilRect(uint32_t row, int32_t i) { return &SprEfx08[(row % 4) * 8 + (((i % 8) + 8) % 8)]; }

const SGpKeyList* const ExplRingKeysA = SprEfx00_7KeysB;
const SGpKeyList* const ExplRingKeysB = SprEfx00_4KeysB;
const SGpKeyList* const ExplRingKeysC = SprEfx_9Keys;
const SGpKeyList* const ExplSparkKeys = SprEfx10KeysB;
const SGpKeyList* const ExplFlashKeys = SprEfx04KeysC;
