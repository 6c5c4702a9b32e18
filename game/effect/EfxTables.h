#pragma once
// The sprite animations and rectangles of the effect code, under the names
// the effect code uses, taken from the game's effect sprite tables.
#include <cstdint>

#include "game/tables/EfxSpriteDesc.h"
#include "vrax/graphic/SGpRect.h"

extern const SGpKeyList* const EfxKeyList1;   // growing ring, last part held
extern const SGpKeyList* const EfxKeyList2;   // explosion, 3 frames a part
extern const SGpKeyList* const EfxKeyList3;   // explosion, 4 frames a part
extern const SGpKeyList* const EfxKeyList4;   // flame
extern const SGpKeyList* const EfxKeyList5;   // two frames of 15
extern const SGpKeyList* const EfxKeyList6;   // soft dot
extern const SGpKeyList* const EfxKeyList7;   // soft dot (glows, smoke)
extern const SGpKeyList* const EfxKeyList8;   // small ring, last part held
extern const SGpKeyList* const EfxKeyList9;   // ball, last part held
extern const SGpKeyList* const EfxKeyList10;  // one solid texel (full-screen flash)

// The flash animation in its variants (seven lists of the same cycle started
// at different parts). j past the last variant gives the last one.
constexpr int32_t kEfxKeyListVariants = 7;
const SGpKeyList* EfxKeyListTable(int32_t j);

// Look records of the staged explosion's puffs and their glows.
extern const EfxSpriteDesc& EfxPuffDesc;
extern const EfxSpriteDesc& EfxPuffGlowDesc;

// Rectangles drawn by the manager's own primitives.
const SGpRect* EfxStreakRect(int32_t kind);   // kind 0 to 4
const SGpRect* EfxRingRect(int32_t select);   // 0 solid, 1 ring
const SGpRect* EfxDiscRect(int32_t select);   // 0 solid, 1 disc
// Rectangle i (0 to 7) of tendril row `row` (0 to 3; other rows wrap).
const SGpRect* EfxTendrilRect(uint32_t row, int32_t i);

// The explosion bursts' animations.
extern const SGpKeyList* const ExplRingKeysA;
extern const SGpKeyList* const ExplRingKeysB;
extern const SGpKeyList* const ExplRingKeysC;
extern const SGpKeyList* const ExplSparkKeys;
extern const SGpKeyList* const ExplFlashKeys;
