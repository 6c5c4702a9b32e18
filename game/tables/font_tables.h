#pragma once
// Font sheets, fonts and the in-game display's sprite tables.
#include "game/tables/image_slots.h"
#include "vrax/graphic/SGpRect.h"

// Key lists follow their tables; their lengths count the null terminators.
extern const SGpRect (&SprGameIf00x)[3];
extern const SGpRect (&SprFont)[11];
extern const SGpRect (&SprGameIf00_1)[8];
extern const SGpRect (&SprGameIf00_2)[5];
extern const SGpRect (&SprGameIf00_3)[3];
extern const SGpKeyList (&SprGameIf00_3Keys)[6];
extern const SGpRect (&SprGameIf00_4)[1];
extern const SGpKeyList (&SprGameIf00_4Keys)[2];
extern const SGpRect (&SprRouteName)[1];
extern const SGpRect (&SprStgName)[1];
extern const SGpRect (&SprTestFont_1)[1];
extern const SGpRect (&SprTestFont_2)[1];

#include "game/tables/EfxSpriteDesc.h"

// A font: a sheet part read as a grid of equal character cells, the record
// the engine's text output takes.
using SGpFontDesc = SGpRectGrid;

// Entry k on SprFont part k: 0 and 1 full character fonts (from the space),
// 2 to 10 digit fonts (cell 0 is "0").
extern const SGpFontDesc SprFontDesc[11];
// The scenes' text fonts: the large and the small character font.
inline constexpr const SGpFontDesc& FontLarge = SprFontDesc[0];
inline constexpr const SGpFontDesc& FontSmall = SprFontDesc[1];
// The continue count-down's digits: 39 x 60 cells, "0" to "9" on one row.
// (Entry 3's sheet holds one full row of seven digits: "7" to "9" would
// fall on the display's other parts.)
inline constexpr const SGpFontDesc& FontCountdown = SprFontDesc[8];
// Three digit fonts of the number pop-ups, small to large.
extern const SGpFontDesc SprGameIf00xDesc[3];
// Route names: 8 cells of 56 x 180, code 1 is cell 0.
extern const SGpFontDesc SprRouteNameDesc;
// Stage names: one 121 x 2 cell, code 1.
extern const SGpFontDesc SprStgNameDesc;
// 16 x 16 cells from the space: the hardware error screen's and the test
// mode's cuts of the same image.
extern const SGpFontDesc SprTestFont_1Desc;
extern const SGpFontDesc SprTestFont_2Desc;

// The display's marker sprite: held opaque, and fading out.
extern const EfxSpriteDesc SprGameIf00_4DescA;
extern const EfxSpriteDesc SprGameIf00_4DescB;
