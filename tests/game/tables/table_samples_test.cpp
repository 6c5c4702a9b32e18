// Samples of every table group, worked by hand from its rectangle (x, y, w,
// h) on its texture size: u runs from x / texW to (x + w - 1) / texW, v from
// y / texH to (y + h - 1) / texH, mirrored parts exchange the two u values.
#include <gtest/gtest.h>

#include <vector>

#include "game/tables/effect_tables.h"
#include "game/tables/enemy_tables.h"
#include "game/tables/font_tables.h"
#include "game/tables/scene_tables.h"
#include "game/tables/shot_tables.h"
#include "game/tables/testmode_tables.h"
#include "support/ExpectAll.h"

namespace {

// The parts of a key list by index in its table.
std::vector<int> Indices(const SGpKeyList* list, const SGpRect* table) {
  std::vector<int> v;
  for (const SGpKeyList* k = list; k->part != nullptr; ++k) v.push_back(static_cast<int>(k->part - table));
  return v;
}

// u and v of a part, its pivot and its texture.
void ExpectRect(const SGpRect& r, float uL, float uR, float vT, float vB, float px, float py, uint32_t id) {
  EXPECT_ALL({VAL(r.uTL, uL), VAL(r.uBL, uL), VAL(r.uTR, uR), VAL(r.uBR, uR), VAL(r.vTL, vT), VAL(r.vTR, vT),
              VAL(r.vBL, vB), VAL(r.vBR, vB), VAL(r.pivotX, px), VAL(r.pivotY, py), VAL(r.id, id)});
}

TEST(TableSamples, EnemyListsPlayTheirFramesInAnimationOrder) {
  EXPECT_EQ(Indices(SprEnemySe00_1Keys, SprEnemySe00_1),
            (std::vector<int>{0,  1,  2,  3,  4,  3,  2,  5,  6,  7,  6,  5,  8,  9,  10, 9,  8,  11, 12, 13, 12,
                              11, 14, 15, 16, 17, 18, 19, 20, 21, 22, 24, 25, 24, 23, 0,  27, 28, 27, 26, 0}));
  EXPECT_EQ(Indices(SprEnemySe11Keys, SprEnemySe11),
            (std::vector<int>{0,  1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 5,  0,  12, 13, 14, 15, 16, 17, 18,
                              12, 0,  19, 20, 21, 22, 23, 24, 25, 19, 0,  26, 27, 28, 29, 30, 31, 32, 26, 0,  33,
                              34, 35, 36, 37, 38, 39, 40, 41, 42, 43, 45, 46, 45, 44, 0,  48, 49, 48, 47, 0}));
  EXPECT_EQ(Indices(SprEnemySe05Keys, SprEnemySe05),
            (std::vector<int>{0,  1,  2,  3,  4,  5,  6,  5,  4,  7,  8,  9,  10, 9,  8,  7,
                              11, 12, 13, 12, 11, 14, 15, 16, 15, 14, 17, 18, 19, 20, 21, 22,
                              23, 24, 25, 26, 27, 28, 30, 31, 30, 29, 0,  33, 34, 33, 32, 0}));
  const SGpKeyList* const lists[12] = {SprEnemySe00_1Keys, SprEnemySe01Keys, SprEnemySe02Keys, SprEnemySe03Keys,
                                       SprEnemySe04Keys,   SprEnemySe05Keys, SprEnemySe06Keys, SprEnemySe07Keys,
                                       SprEnemySe08Keys,   SprEnemySe09Keys, SprEnemySe10Keys, SprEnemySe11Keys};
  for (int n = 0; n < 12; ++n) EXPECT_EQ(EnemySprKeyTable[n], lists[n]) << n;
  // Sprite part 7 of image 2: texture 7, the whole 128 x 128 texture, pivot (64, 64).
  ExpectRect(SprEnemySe02[7], 0.0f, 127.0f / 128.0f, 0.0f, 127.0f / 128.0f, 64.0f, 64.0f, 7);
}

TEST(TableSamples, PlayerShotOptionAndFirstEffectParts) {
  // (103, 130, 38, 64), pivot (19, 32).
  ExpectRect(SprPShot01[4], 103.0f / 256, 140.0f / 256, 130.0f / 256, 193.0f / 256, 19.0f, 32.0f, 0);
  // (148, 172, 15, 64) on texture 2, pivot at half size.
  ExpectRect(SprEShot01_1[6], 148.0f / 256, 162.0f / 256, 172.0f / 256, 235.0f / 256, 7.5f, 32.0f, 2);
  // (65, 65, 32, 32) with the explicit pivot (16, 17).
  ExpectRect(SprPShot00_3[3], 65.0f / 256, 96.0f / 256, 65.0f / 256, 96.0f / 256, 16.0f, 17.0f, 0);
  EXPECT_EQ(Indices(SprPShot00_3Keys, SprPShot00_3), (std::vector<int>{0, 1, 0, 1, 2, 3}));
  // (153, 52, 33, 33): the option's appearing ring.
  ExpectRect(SprEfx02_2[0], 153.0f / 256, 185.0f / 256, 52.0f / 256, 84.0f / 256, 16.5f, 16.5f, 0);
  // (129, 2, 8, 7) and (65, 1, 9, 9).
  ExpectRect(SprEfx_4[1], 129.0f / 256, 136.0f / 256, 2.0f / 256, 8.0f / 256, 4.0f, 3.5f, 0);
  ExpectRect(SprEfx_8[0], 65.0f / 256, 73.0f / 256, 1.0f / 256, 9.0f / 256, 4.5f, 4.5f, 0);
  // (120, 0, 53, 52) with the pivot 4 from the left on the bottom edge.
  ExpectRect(SprEfx01_1[4], 120.0f / 256, 172.0f / 256, 0.0f, 51.0f / 256, 4.0f, 52.0f, 0);
  EXPECT_EQ(Indices(SprEfx02_1Keys, SprEfx02_1), (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9}));
  EXPECT_ALL({VAL(SprEfx02_1Keys[9].time, 3.0f), VAL(SprEfx07Keys[0].time, 5.0f), VAL(SprEfx_8Keys[3].time, 3.0f),
              VAL(SprEfx_1Keys[0].time, 65536.0f), VAL(SprPShot01KeysB[2].time, 2.0f)});
  EXPECT_EQ(SprPShot01KeysB[0].part, &SprPShot01[3]);
}

TEST(TableSamples, FontSheetsAndCells) {
  // Sheet 9: (240, 60, 145, 30) on 512 x 128; cells 29 x 30 from "0".
  ExpectRect(SprFont[9], 240.0f / 512, 384.0f / 512, 60.0f / 128, 89.0f / 128, 72.5f, 15.0f, 0);
  // Sheet 1 starts half a texel in: (1.5, 1.5, 252, 72) on 256 x 128.
  ExpectRect(SprFont[1], 1.5f / 256, 252.5f / 256, 1.5f / 128, 72.5f / 128, 126.0f, 36.0f, 0);
  // (1, 18, 209, 24) on 256 x 128.
  ExpectRect(SprGameIf00x[1], 1.0f / 256, 209.0f / 256, 18.0f / 128, 41.0f / 128, 104.5f, 12.0f, 0);
  const float cells[11][2] = {{28, 31}, {14, 18}, {14, 19}, {36, 40}, {16, 22}, {16, 22},
                              {14, 19}, {24, 28}, {39, 60}, {29, 30}, {27, 26}};
  for (int k = 0; k < 11; ++k) {
    EXPECT_EQ(SprFontDesc[k].cellW, cells[k][0]) << k;
    EXPECT_EQ(SprFontDesc[k].cellH, cells[k][1]) << k;
    EXPECT_EQ(SprFontDesc[k].first, k < 2 ? ' ' : '0') << k;
  }
  EXPECT_ALL({VAL(SprGameIf00xDesc[0].cellW, 14.0f), VAL(SprGameIf00xDesc[0].cellH, 17.0f),
              VAL(SprGameIf00xDesc[1].cellW, 19.0f), VAL(SprGameIf00xDesc[2].cellH, 31.0f),
              VAL(SprRouteNameDesc.cellW, 56.0f), VAL(SprRouteNameDesc.first, 1), VAL(SprStgNameDesc.cellW, 121.0f),
              VAL(SprTestFont_2Desc.cellH, 16.0f), VAL(SprTestFont_2Desc.first, 0x20)});
}

TEST(TableSamples, EffectSheetsOfTheSecondGroup) {
  // Sprite part 10 of the trail: (0, 85, 23, 23), pivot (12, 12).
  ExpectRect(SprEfx00_8[10], 0.0f, 22.0f / 256, 85.0f / 256, 107.0f / 256, 12.0f, 12.0f, 0);
  // Column 2 (x 127, width 68), row 3 (y 96): part 19.
  ExpectRect(SprEfx08[19], 127.0f / 256, 194.0f / 256, 96.0f / 256, 127.0f / 256, 34.0f, 16.0f, 0);
  // (1, 210, 45, 45) with its bottom-centre pivot (22, 44).
  ExpectRect(SprEfx02_4[5], 1.0f / 256, 45.0f / 256, 210.0f / 256, 254.0f / 256, 22.0f, 44.0f, 0);
  // (102, 52, 50, 50): part 7 on the 51-pixel pitch.
  ExpectRect(SprEfx02_5[7], 102.0f / 256, 151.0f / 256, 52.0f / 256, 101.0f / 256, 25.0f, 25.0f, 0);
  // Mirrored (183, 117, 60, 60).
  ExpectRect(SprDashFormBoss[6], 242.0f / 256, 183.0f / 256, 117.0f / 256, 176.0f / 256, 30.0f, 30.0f, 0);
  // Sprite part 1 of the lens flare: texture 1 of 16 x 16, cut 17 x 17.
  ExpectRect(SprLensFlare[1], 0.0f, 1.0f, 0.0f, 1.0f, 8.5f, 8.5f, 1);
  EXPECT_EQ(Indices(SprEfx00_2KeysB, SprEfx00_2), (std::vector<int>{0, 2}));
  EXPECT_ALL({VAL(SprEfx00_2KeysB[1].time, 15.0f), VAL(SprEfx00_1KeysB[14].time, 65535.0f),
              VAL(SprEfx00_7KeysB[4].time, 10.0f), VAL(SprEfx01_4KeysC[9].time, 6.0f),
              VAL(SprEfx03_3Keys[5].time, 5.0f), VAL(SprEfx04KeysB[15].time, 3.0f),
              VAL(SprEfx09KeysA[4].time, 5.0f), VAL(SprEfx09KeysB[5].time, 5.0f), VAL(SprEfx09KeysB[8].time, 4.0f)});
}

TEST(TableSamples, EnemyShotParts) {
  // Sprite part 4: (168, 146, 17, 31) turning about its tip (8, 3).
  ExpectRect(SprEShot00[4], 168.0f / 256, 184.0f / 256, 146.0f / 256, 176.0f / 256, 8.0f, 3.0f, 0);
  // Sprite part 64: (128 + 32, 114, 31, 31), the second of the big ball's second row.
  ExpectRect(SprEShot00[64], 160.0f / 256, 190.0f / 256, 114.0f / 256, 144.0f / 256, 15.0f, 15.0f, 0);
  // Sprite part 121 (224, 214, 15, 18), pivot (8, 10); part 145 the same on texture 1.
  ExpectRect(SprEShot00[121], 224.0f / 256, 238.0f / 256, 214.0f / 256, 231.0f / 256, 8.0f, 10.0f, 0);
  ExpectRect(SprEShot00[145], 224.0f / 256, 238.0f / 256, 214.0f / 256, 231.0f / 256, 8.0f, 10.0f, 1);
  // Sprite part 25 of the second sheet (52, 69, 25, 25); part 53 its texture-2 twin.
  ExpectRect(SprEShot01_2[25], 52.0f / 256, 76.0f / 256, 69.0f / 256, 93.0f / 256, 12.0f, 12.0f, 0);
  ExpectRect(SprEShot01_2[53], 52.0f / 256, 76.0f / 256, 69.0f / 256, 93.0f / 256, 12.0f, 12.0f, 2);
  // The bolt (44, 1, 41, 128), pivot (21, 64).
  ExpectRect(SprEShot02[12], 44.0f / 256, 84.0f / 256, 1.0f / 256, 128.0f / 256, 21.0f, 64.0f, 0);
  EXPECT_EQ(Indices(SprEShot00KeysX, SprEShot00), (std::vector<int>{79, 80, 81, 82, 83, 84}));
  EXPECT_EQ(Indices(SprEShot01_2KeysF, SprEShot01_2), (std::vector<int>{27, 28, 29, 30, 31}));
  EXPECT_EQ(Indices(SprEShot02KeysC, SprEShot02), (std::vector<int>{15, 16, 17, 18, 19, 20, 21, 22, 23}));
  const float times[12] = {3, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13};
  for (int i = 0; i < 12; ++i) EXPECT_EQ(SprEShot02KeysA[i].time, times[i]) << i;
  // Selection rows: shapes 2, 5 and 14 the third list, 1 and 13 the second.
  EXPECT_SAME({SAME(EShotKeyTableA[0][2], SprEShot00KeysP), SAME(EShotKeyTableA[3][5], SprEShot00KeysP),
              SAME(EShotKeyTableA[2][14], SprEShot00KeysV), SAME(EShotKeyTableA[1][13], SprEShot00KeysR),
              SAME(EShotKeyTableA[4][15], SprEShot01_2KeysH), SAME(EShotKeyTableB[2][13], SprEShot00KeysAB),
              SAME(EShotKeyTableB[4][2], SprEShot00KeysY)});
}

TEST(TableSamples, InterfaceSceneAndTestModeParts) {
  // (40, 181, 145, 74) on 512 x 256.
  ExpectRect(SprGameIf00_2[0], 40.0f / 512, 184.0f / 512, 181.0f / 256, 254.0f / 256, 72.5f, 37.0f, 0);
  // (121 x 2) on 128 x 128.
  ExpectRect(SprStgName[0], 0.0f, 120.0f / 128, 0.0f, 1.0f / 128, 60.5f, 1.0f, 0);
  // Opening piece 11: texture 2, (260, 353, 60, 134).
  ExpectRect(SprOpening_3[11], 260.0f / 512, 319.0f / 512, 353.0f / 512, 486.0f / 512, 30.0f, 67.0f, 2);
  // Title part 4: texture 3 of 256 x 256, (115, 0, 129, 31).
  ExpectRect(SprTitle[4], 115.0f / 256, 243.0f / 256, 0.0f, 30.0f / 256, 64.5f, 15.5f, 3);
  // Ranking bar: texture 1 of 512 x 256, (1, 99, 467, 42).
  ExpectRect(SprRanking[2], 1.0f / 512, 467.0f / 512, 99.0f / 256, 140.0f / 256, 233.5f, 21.0f, 1);
  // Tutorial caption 12: texture 1, (0, 400, 409, 49).
  ExpectRect(SprTutorial_2[12], 0.0f, 408.0f / 512, 400.0f / 512, 448.0f / 512, 204.5f, 24.5f, 1);
  // Strip 7 of the common test strips: (0, 168, 240, 24) on 256 x 512.
  ExpectRect(SprTestComm[7], 0.0f, 239.0f / 256, 168.0f / 512, 191.0f / 512, 120.0f, 12.0f, 0);
  // The display-test pictures: 480 x 640 on 480 x 640.
  ExpectRect(SprTestDisp[1], 0.0f, 479.0f / 480, 0.0f, 639.0f / 640, 240.0f, 320.0f, 0);
}

TEST(TableSamples, TestLayoutIndicesAndColumns) {
  const int menu[8] = {1, 18, 2, 3, 4, 5, 6, 7};
  for (int i = 0; i < 8; ++i) {
    EXPECT_EQ(MenuItemTable[i].index, menu[i]) << i;
    EXPECT_EQ(MenuItemTable[i].x, -72.0f) << i;
    EXPECT_EQ(MenuHelpTable[i].index, 10 + i) << i;
    EXPECT_EQ(MenuHelpTable[i].x, 10.0f) << i;
  }
  const float labelX[9] = {-100, -100, -100, -100, -100, -124, -100, -76, -100};
  const int label[9] = {4, 6, 7, 8, 11, 12, 15, 13, 14};
  for (int i = 0; i < 9; ++i) {
    EXPECT_EQ(InputLabelTable[i].x, labelX[i]) << i;
    EXPECT_EQ(InputLabelTable[i].index, label[i]) << i;
  }
  const float switchX[7] = {-28, -28, -28, -100, -160, -40, -100};
  const float switchY[7] = {-128, -104, -80, 16, 64, 64, 112};  // -320 + 192, 216, 240, 336, 384, 384, 432
  for (int i = 0; i < 7; ++i) {
    EXPECT_EQ(InputSwitchTable[i].x, switchX[i]) << i;
    EXPECT_EQ(InputSwitchTable[i].y, switchY[i]) << i;
  }
  const int values[11] = {2, 3, 4, 5, 8, 4, 9, 10, 9, 10, 20};
  for (int i = 0; i < 11; ++i) EXPECT_EQ(SystemValueTable[i].index, values[i]) << i;
  const int marks[6] = {9, 8, 9, 8, 10, 11};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(SoundMarkTable[i].index, marks[i]) << i;
  EXPECT_SAME({SAME(GameSettingsItemTable[1].part, &SprTestEtc[14]), SAME(GameSettingsItemTable[3].part, &SprTestComm[12]),
              SAME(DefaultsTitleTable[1].part, &SprTestEtc[11]), SAME(RankingClearTitleTable[0].part, &SprTestEtc[6])});
  EXPECT_ALL({VAL(GameSettingsItemTable[3].y, -152.0f), VAL(DefaultsTitleTable[0].y, -296.0f),
              VAL(DefaultsTitleTable[1].y, -48.0f), VAL(YesNoChoiceTable[0].x, -50.0f), VAL(YesNoChoiceTable[2].index, 6),
              VAL(RankingClearHelpTable[1].index, 9), VAL(DefaultsGuideTable[1].y, 272.0f),
              VAL(ConfirmHelpTable[0].index, 2), VAL(ConfirmTitleTable[0].y, -48.0f),
              VAL(GameSettingsHelpTable[1].index, 15), VAL(SystemItemTable[7].index, 20)});
}

}  // namespace
