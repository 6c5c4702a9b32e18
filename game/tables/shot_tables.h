#pragma once
// Player shot, option and enemy-shot sprite tables.
#include "game/tables/image_slots.h"
#include "vrax/graphic/SGpRect.h"

// Key lists follow their tables; their lengths count the null terminators.
extern const SGpRect (&SprPShot00_1)[2];
extern const SGpRect (&SprPShot01)[6];
extern const SGpKeyList (&SprPShot01KeysA)[4];
extern const SGpKeyList (&SprPShot01KeysB)[4];
extern const SGpRect (&SprEShot01_1)[7];
extern const SGpKeyList (&SprEShot01_1KeysA)[2];
extern const SGpKeyList (&SprEShot01_1KeysB)[2];
extern const SGpRect (&SprPShot00_3)[4];
extern const SGpKeyList (&SprPShot00_3Keys)[7];
extern const SGpRect (&SprSubUnit)[4];
extern const SGpKeyList (&SprSubUnitKeysA)[2];
extern const SGpKeyList (&SprSubUnitKeysB)[2];
extern const SGpKeyList (&SprSubUnitKeysC)[2];
extern const SGpKeyList (&SprSubUnitKeysD)[2];
extern const SGpRect (&SprEfx02_2)[1];
extern const SGpKeyList (&SprEfx02_2Keys)[2];
extern const SGpRect (&SprEShot00)[185];
extern const SGpKeyList (&SprEShot00KeysA)[5];
extern const SGpKeyList (&SprEShot00KeysB)[5];
extern const SGpKeyList (&SprEShot00KeysC)[4];
extern const SGpKeyList (&SprEShot00KeysD)[4];
extern const SGpKeyList (&SprEShot00KeysE)[5];
extern const SGpKeyList (&SprEShot00KeysF)[5];
extern const SGpKeyList (&SprEShot00KeysG)[9];
extern const SGpKeyList (&SprEShot00KeysH)[10];
extern const SGpKeyList (&SprEShot00KeysI)[5];
extern const SGpKeyList (&SprEShot00KeysJ)[6];
extern const SGpKeyList (&SprEShot00KeysK)[6];
extern const SGpKeyList (&SprEShot00KeysL)[7];
extern const SGpKeyList (&SprEShot00KeysM)[13];
extern const SGpKeyList (&SprEShot00KeysN)[8];
extern const SGpKeyList (&SprEShot00KeysO)[9];
extern const SGpKeyList (&SprEShot00KeysP)[10];
extern const SGpKeyList (&SprEShot00KeysQ)[8];
extern const SGpKeyList (&SprEShot00KeysR)[9];
extern const SGpKeyList (&SprEShot00KeysS)[10];
extern const SGpKeyList (&SprEShot00KeysT)[8];
extern const SGpKeyList (&SprEShot00KeysU)[9];
extern const SGpKeyList (&SprEShot00KeysV)[10];
extern const SGpKeyList (&SprEShot00KeysW)[9];
extern const SGpKeyList (&SprEShot00KeysX)[7];
extern const SGpKeyList (&SprEShot00KeysY)[9];
extern const SGpKeyList (&SprEShot00KeysZ)[7];
extern const SGpKeyList (&SprEShot00KeysAA)[9];
extern const SGpKeyList (&SprEShot00KeysAB)[7];
extern const SGpRect (&SprEShot01_2)[60];
extern const SGpKeyList (&SprEShot01_2KeysA)[7];
extern const SGpKeyList (&SprEShot01_2KeysB)[6];
extern const SGpKeyList (&SprEShot01_2KeysC)[5];
extern const SGpKeyList (&SprEShot01_2KeysD)[4];
extern const SGpKeyList (&SprEShot01_2KeysE)[10];
extern const SGpKeyList (&SprEShot01_2KeysF)[6];
extern const SGpKeyList (&SprEShot01_2KeysG)[10];
extern const SGpKeyList (&SprEShot01_2KeysH)[6];
extern const SGpKeyList (&SprEShot01_2KeysI)[10];
extern const SGpKeyList (&SprEShot01_2KeysJ)[6];
extern const SGpRect (&SprEShot02)[24];
extern const SGpKeyList (&SprEShot02KeysA)[13];
extern const SGpKeyList (&SprEShot02KeysB)[4];
extern const SGpKeyList (&SprEShot02KeysC)[10];

#include <cstdint>

#include "game/tables/EfxSpriteDesc.h"

// The four option pictures, opaque white.
extern const EfxSpriteDesc SprSubUnitDesc[4];

// Selection tables: six rows by shot colour (0 and 3 texture 0, 1 and 4
// texture 1, 2 and 5 texture 2), each of 17 key lists by shot shape.
// A: the effect left by a cleared shot; B: the shot's own animation.
extern const SGpKeyList* const* const EShotKeyTableA[6];
extern const SGpKeyList* const* const EShotKeyTableB[6];
constexpr int kEShotColours = 6;
constexpr int kEShotShapes = 17;

// The shot's lookup in EShotKeyTableB from its code word: row
// ((code >> 8) mod 6), entry ((code AND 0xFF) mod 17); any code is valid.
const SGpKeyList* EShotKeysFromCode(uint32_t code);
