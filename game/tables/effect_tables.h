#pragma once
// Effect sprite tables and effect sprite records.
#include "game/tables/image_slots.h"
#include "vrax/graphic/SGpRect.h"

// Key lists follow their tables; their lengths count the null terminators.
extern const SGpRect (&SprEfx02_1)[10];
extern const SGpKeyList (&SprEfx02_1Keys)[11];
extern const SGpRect (&SprEfx01_1)[7];
extern const SGpKeyList (&SprEfx01_1Keys)[56];
extern const SGpRect (&SprEfx_1)[1];
extern const SGpKeyList (&SprEfx_1Keys)[2];
extern const SGpRect (&SprEfx_2)[1];
extern const SGpKeyList (&SprEfx_2Keys)[2];
extern const SGpRect (&SprEfx07)[1];
extern const SGpKeyList (&SprEfx07Keys)[2];
extern const SGpRect (&SprEfx_4)[5];
extern const SGpRect (&SprEfx_5)[2];
extern const SGpRect (&SprEfx_6)[2];
extern const SGpRect (&SprEfx_8)[4];
extern const SGpKeyList (&SprEfx_8Keys)[5];
extern const SGpRect (&SprEfx_9)[1];
extern const SGpKeyList (&SprEfx_9Keys)[2];
extern const SGpRect (&SprEfx_10)[1];
extern const SGpKeyList (&SprEfx_10Keys)[2];
extern const SGpRect (&SprEfx_11)[1];
extern const SGpKeyList (&SprEfx_11Keys)[2];
extern const SGpRect (&SprEfx00_1)[15];
extern const SGpKeyList (&SprEfx00_1KeysB)[16];
extern const SGpRect (&SprEfx00_2)[4];
extern const SGpKeyList (&SprEfx00_2KeysA)[5];
extern const SGpKeyList (&SprEfx00_2KeysB)[3];
extern const SGpRect (&SprEfx00_4)[21];
extern const SGpKeyList (&SprEfx00_4KeysB)[22];
extern const SGpKeyList (&SprEfx00_4KeysC)[34];
extern const SGpRect (&SprEfx00_7)[6];
extern const SGpKeyList (&SprEfx00_7KeysB)[7];
extern const SGpRect (&SprEfx00_8)[14];
extern const SGpKeyList (&SprEfx00_8Keys)[15];
extern const SGpRect (&SprEfx01_4)[11];
extern const SGpKeyList (&SprEfx01_4KeysB)[12];
extern const SGpKeyList (&SprEfx01_4KeysC)[12];
extern const SGpRect (&SprEfx02_4)[10];
extern const SGpKeyList (&SprEfx02_4Keys)[11];
extern const SGpRect (&SprEfx02_5)[11];
extern const SGpKeyList (&SprEfx02_5Keys)[12];
extern const SGpRect (&SprEfx03_3)[6];
extern const SGpKeyList (&SprEfx03_3Keys)[7];
extern const SGpRect (&SprEfx03_5)[11];
extern const SGpKeyList (&SprEfx03_5KeysB)[12];
extern const SGpRect (&SprEfx04)[17];
extern const SGpKeyList (&SprEfx04KeysB)[18];
extern const SGpKeyList (&SprEfx04KeysC)[18];
extern const SGpRect (&SprDashFormJako)[2];
extern const SGpKeyList (&SprDashFormJakoKeysA)[2];
extern const SGpKeyList (&SprDashFormJakoKeysB)[2];
extern const SGpRect (&SprDashFormBoss)[10];
extern const SGpKeyList (&SprDashFormBossKeysA)[2];
extern const SGpKeyList (&SprDashFormBossKeysB)[2];
extern const SGpKeyList (&SprDashFormBossKeysC)[2];
extern const SGpKeyList (&SprDashFormBossKeysD)[2];
extern const SGpRect (&SprEfx08)[32];
extern const SGpRect (&SprEfx09)[23];
extern const SGpKeyList (&SprEfx09KeysA)[24];
extern const SGpKeyList (&SprEfx09KeysB)[24];
extern const SGpRect (&SprEfx10)[16];
extern const SGpKeyList (&SprEfx10KeysB)[17];
extern const SGpRect (&SprEfx11)[2];
extern const SGpRect (&SprLensFlare)[4];
extern const SGpKeyList (&SprLensFlareKeysA)[2];
extern const SGpKeyList (&SprLensFlareKeysB)[2];
extern const SGpKeyList (&SprLensFlareKeysC)[2];
extern const SGpKeyList (&SprLensFlareKeysD)[2];

#include "game/tables/EfxSpriteDesc.h"

// The player's trail: fading grey and steady grey.
extern const EfxSpriteDesc SprEfx07DescA;
extern const EfxSpriteDesc SprEfx07DescB;
// A green burst over SprEfx04KeysC and a fading grey ball over SprEfx10KeysB.
extern const EfxSpriteDesc SprEfx04Desc[2];
