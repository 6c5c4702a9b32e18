// Texture coordinates, fonts, selection tables, effect records and test-page
// layouts hold the values the game draws with.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <set>
#include <string>

#include "game/tables/ScreenEdges.h"
#include "game/tables/effect_tables.h"
#include "game/tables/enemy_tables.h"
#include "game/tables/font_tables.h"
#include "game/tables/scene_tables.h"
#include "game/tables/shot_tables.h"
#include "game/tables/table_registry.h"
#include "game/tables/testmode_tables.h"
#include "platform/crt_rand.h"
#include "support/ExpectAll.h"
#include "vrax/graphic/SGpKeyTrack.h"

namespace {

TEST(TableCoords, PartsOnePixelLargerThanTheirTextureReachOne) {
  for (const SGpRect& r : SprSubUnit) {
    EXPECT_EQ(r.uTL, 0.0f);
    EXPECT_EQ(r.uTR, 1.0f);
    EXPECT_EQ(r.vBL, 1.0f);
    EXPECT_EQ(r.pivotX, 32.5f);
  }
  for (std::uint32_t k = 0; k < 4; ++k) EXPECT_EQ(SprSubUnit[k].id, k);
  for (const SGpRect& r : SprLensFlare) {
    EXPECT_EQ(r.uTR, 1.0f);
    EXPECT_EQ(r.vBR, 1.0f);
  }
  // 256 wide against 255: (0 + 256 - 1) / 255; the test mode's cut starts a texel in.
  EXPECT_ALL({VAL(SprTestFont_1[0].uTL, 0.0f), VAL(SprTestFont_1[0].uTR, 1.0f), VAL(SprTestFont_1[0].vBL, 1.0f),
              VAL(SprTestFont_2[0].uTL, 1.0f / 256.0f), VAL(SprTestFont_2[0].vTL, 1.0f / 128.0f),
              VAL(SprTestFont_2[0].uTR, 1.0f), VAL(SprTestFont_2[0].vBL, 1.0f)});
  EXPECT_SAME({SAME(SprTestFont_1[0].image, &ImgErrTestFont), SAME(SprTestFont_2[0].image, &ImgTestFont)});
}

TEST(TableCoords, WholeTexturesFlipsPivotsAndTextureIds) {
  EXPECT_ALL({VAL(SprEnemySe11[49].id, 49u), VAL(SprEnemySe11[49].uTR, 127.0f / 128.0f),
              VAL(SprEnemySe11[49].pivotX, 64.0f), VAL(SprEShot01_1[0].id, 2u), VAL(SprEShot01_1[6].id, 2u)});
  // Every boss marker is mirrored left to right.
  for (const SGpRect& r : SprDashFormBoss) EXPECT_GT(r.uTL, r.uTR);
  EXPECT_EQ(SprGameIf00_4[0].uTL, (116.0f + 31.0f - 1.0f) / 256.0f);
  EXPECT_EQ(SprGameIf00_4[0].uTR, 116.0f / 256.0f);
  // Explicit pivots and odd sizes.
  EXPECT_ALL({VAL(SprPShot00_3[2].pivotX, 16.0f), VAL(SprPShot00_3[2].pivotY, 17.0f),
              VAL(SprEfx02_1[0].pivotX, 22.5f), VAL(SprEfx01_1[3].pivotX, 4.0f), VAL(SprEfx01_1[3].pivotY, 52.0f)});
  // One-texel parts sample a single column.
  EXPECT_EQ(SprEfx_2[0].uTL, SprEfx_2[0].uTR);
  EXPECT_EQ(SprEfx_5[0].uTL, SprEfx_5[0].uTR);
  // The same texture at two declared sizes: each part uses its own.
  EXPECT_ALL({VAL(SprResultSpr[0].uTL, 0.0f), VAL(SprResultSpr[1].uTL, 1.0f / 256.0f),
              VAL(SprResultSpr[1].uTR, 30.0f / 256.0f)});
  EXPECT_SAME({SAME(SprSubUnit[0].image, &ImgSubUnit), SAME(SprEfx11[0].image, &ImgEfx11),
               SAME(SprEfx11[1].image, &ImgEfx12)});
}

TEST(TableCoords, RepeatedGroupsDifferOnlyInTheirTexture) {
  auto same_rect = [](const SGpRect& a, const SGpRect& b) {
    return a.uTL == b.uTL && a.uTR == b.uTR && a.vTL == b.vTL && a.vBL == b.vBL && a.pivotX == b.pivotX &&
           a.pivotY == b.pivotY && a.width == b.width && a.height == b.height && a.image == b.image;
  };
  for (int i = 71; i <= 84; ++i) {
    EXPECT_TRUE(same_rect(SprEShot00[i], SprEShot00[i + 14])) << i;
    EXPECT_TRUE(same_rect(SprEShot00[i], SprEShot00[i + 28])) << i;
    EXPECT_EQ(SprEShot00[i + 14].id, 1u);
    EXPECT_EQ(SprEShot00[i + 28].id, 2u);
  }
  for (int i = 113; i <= 136; ++i) {
    EXPECT_TRUE(same_rect(SprEShot00[i], SprEShot00[i + 24])) << i;
    EXPECT_TRUE(same_rect(SprEShot00[i], SprEShot00[i + 48])) << i;
  }
  for (int i = 18; i <= 31; ++i) EXPECT_TRUE(same_rect(SprEShot01_2[i], SprEShot01_2[i + 28])) << i;
  for (int i = 6; i <= 9; ++i) {
    EXPECT_TRUE(same_rect(SprTutorial_2[i], SprTutorial_2[i + 4]));
    EXPECT_EQ(SprTutorial_2[i + 4].id, 1u);
  }
  EXPECT_NE(&SprContinue_1[0], &SprContinue_2[0]);
  EXPECT_TRUE(same_rect(SprContinue_1[2], SprContinue_2[2]));
}

TEST(TableCoords, StripsAreStacked24PixelsApart) {
  EXPECT_ALL({VAL(SprTestSound[20].vTL, 480.0f / 512.0f), VAL(SprTestSound[20].vBL, 503.0f / 512.0f),
              VAL(SprTestSystem[15].uTR, 287.0f / 512.0f), VAL(SprTestTop[11].width, 255.0f),
              VAL(SprTestInput[16].uTR, 255.0f / 256.0f)});
}

// Chosen coordinates of the irregular sequences stay inside their texture and
// never overlap another part of the same image.
TEST(TableCoords, ChosenSequencesFitTheirSheets) {
  const char* chosen[] = {"SprEfx00_1", "SprEfx00_4", "SprEfx01_4", "SprEfx03_5", "SprEfx04", "SprEfx09", "SprEfx10"};
  for (const char* name : chosen) {
    const TableInfo* t = FindTableInfo(name);
    ASSERT_NE(t, nullptr);
    for (std::size_t i = 0; i < t->parts.size(); ++i) {
      const PartLayout& a = t->parts[i];
      EXPECT_GE(a.x, 0) << name << i;
      EXPECT_LE(a.x + a.w, a.texW) << name << i;
      EXPECT_LE(a.y + a.h, a.texH) << name << i;
      EXPECT_TRUE(a.px >= 0 && a.px <= a.w && a.py >= 0 && a.py <= a.h) << name << i;
      for (const TableInfo& other : AllTableInfos()) {
        for (std::size_t j = 0; j < other.parts.size(); ++j) {
          const PartLayout& b = other.parts[j];
          if (b.slot != a.slot || b.id != a.id || (&other == t && j == i)) continue;
          const bool same = a.x == b.x && a.y == b.y && a.w == b.w && a.h == b.h;
          const bool apart = a.x + a.w <= b.x || b.x + b.w <= a.x || a.y + a.h <= b.y || b.y + b.h <= a.y;
          EXPECT_TRUE(same || apart) << name << " part " << i << " overlaps " << other.name << " part " << j;
        }
      }
    }
  }
}

TEST(FontTables, CapitalAIsCell33OfTheTestFont) {
  SGpUV uv[4];
  SprTestFont_2Desc.GetCellUV('A', uv);
  const SGpRect& s = SprTestFont_2[0];
  const float du = s.uTR - s.uTL, dv = s.vBL - s.vTL;
  // Row 2, column 1: 16 pixels right of and 32 below the sheet's corner.
  EXPECT_FLOAT_EQ(uv[0].u, s.uTL + 16.0f / 256.0f * du);
  EXPECT_FLOAT_EQ(uv[1].u, s.uTL + 31.0f / 256.0f * du);
  EXPECT_FLOAT_EQ(uv[0].v, s.vTL + 32.0f / 128.0f * dv);
  EXPECT_FLOAT_EQ(uv[2].v, s.vTL + 47.0f / 128.0f * dv);
  // The two cuts of the same image give slightly different coordinates.
  SGpUV uv1[4];
  SprTestFont_1Desc.GetCellUV('A', uv1);
  EXPECT_NE(uv1[0].u, uv[0].u);
}

TEST(FontTables, RecordsNameTheirSheets) {
  for (int k = 0; k < 11; ++k) EXPECT_EQ(SprFontDesc[k].part, &SprFont[k]) << k;
  // Row 9 is 145 / 29 wide: only "0" to "4"; row 6 has a cell for ":" after "9".
  EXPECT_ALL({VAL(SprFontDesc[0].first, ' '), VAL(SprFontDesc[9].first, '0'), VAL(SprFontDesc[9].Columns(), 5),
              VAL(SprFontDesc[6].Columns(), 11)});
  EXPECT_EQ(SprGameIf00xDesc[2].part, &SprGameIf00x[2]);
  EXPECT_ALL({VAL(SprRouteNameDesc.Columns(), 8), VAL(SprFont[4].uTL, 315.5f / 512.0f)});
  EXPECT_EQ(SprFont[1].image, &ImgFontSmall);
}

TEST(EnemyShotSelection, CodeWordsWrapIntoTheTable) {
  // In the last code row 6 is row 0 and shape 18 is 1.
  EXPECT_SAME({SAME(EShotKeyTableA[4][8], SprEShot01_2KeysG), SAME(EShotKeyTableA[0][0], SprEShot00KeysN),
               SAME(EShotKeyTableA[1][0], SprEShot00KeysQ), SAME(EShotKeyTableA[5][16], SprEShot01_2KeysJ),
               SAME(EShotKeysFromCode(0x0311), SprEShot00KeysW), SAME(EShotKeysFromCode(0x0101), SprEShot00KeysZ),
               SAME(EShotKeysFromCode(0x020D), SprEShot00KeysAB),
               SAME(EShotKeysFromCode(0x0600 + 1 + 17), SprEShot00KeysX)});
  const std::set<const SGpKeyList*> valid = {SprEShot00KeysW, SprEShot00KeysX, SprEShot00KeysY,
                                             SprEShot00KeysZ, SprEShot00KeysAA, SprEShot00KeysAB};
  plat::SRand(7);
  for (int i = 0; i < 5000; ++i) {
    const uint32_t code = (static_cast<uint32_t>(plat::Rand()) << 17) ^ static_cast<uint32_t>(plat::Rand()) ^
                          (static_cast<uint32_t>(i) << 30);
    ASSERT_TRUE(valid.count(EShotKeysFromCode(code))) << code;
  }
  EXPECT_TRUE(valid.count(EShotKeysFromCode(0xFFFFFFFFu)));
  // Shapes 8, 9, 15 and 16 come from the second image, all others the first.
  for (int colour = 0; colour < 6; ++colour)
    for (int shape = 0; shape < 17; ++shape) {
      const bool second = shape == 8 || shape == 9 || shape == 15 || shape == 16;
      EXPECT_EQ(EShotKeyTableA[colour][shape]->part->image, second ? &ImgEShot01 : &ImgEShot00);
      EXPECT_EQ(EShotKeyTableA[colour][shape]->part->id, static_cast<uint32_t>(colour % 3));
    }
}

TEST(KeyLists, PhasesHoldsAndPaces) {
  // Seven lists of eight pairs; list 6 starts on part 6 and goes on with part 0.
  EXPECT_SAME({SAME(SprEfx01_1Keys[6 * 8].part, &SprEfx01_1[6]),
               SAME(SprEfx01_1Keys[6 * 8 + 1].part, &SprEfx01_1[0]), SAME(SprEfx01_1Keys[6 * 8 + 7].part, nullptr)});
  // Back and forth over 0..8 twice, ending on part 0.
  EXPECT_SAME({SAME(SprEfx00_4KeysC[8].part, &SprEfx00_4[8]), SAME(SprEfx00_4KeysC[16].part, &SprEfx00_4[0]),
               SAME(SprEfx00_4KeysC[24].part, &SprEfx00_4[8]), SAME(SprEfx00_4KeysC[32].part, &SprEfx00_4[0])});
  EXPECT_ALL({VAL(SprEfx09KeysA[10].time, 20.0f), VAL(SprEfx09KeysA[12].time, 20.0f),
              VAL(SprEfx09KeysA[22].time, 60.0f), VAL(SprEfx09KeysB[12].time, 3.0f),
              VAL(SprEfx04KeysC[16].time, 65536.0f), VAL(SprEfx10KeysB[15].time, 65535.0f),
              VAL(SprEShot00KeysW[7].time, 2.0f), VAL(SprEShot00KeysX[5].time, 3.0f),
              VAL(SprEShot02KeysA[11].time, 13.0f)});
  // The first of these is list 1 of three.
  EXPECT_SAME({SAME(SprGameIf00_3Keys[2].part, &SprGameIf00_3[1]),
               SAME(SprEShot01_1KeysA[0].part, &SprEShot01_1[6])});
}

TEST(KeyLists, TracksPlayTheListsAsIntended) {
  // Half a frame: wraps within every frame and always shows part 0.
  SGpKeyTrack half(SprEfx_11Keys);
  for (int f = 0; f < 5; ++f) {
    half.Advance(1.0f);
    EXPECT_EQ(half.GetPart(), &SprEfx_11[0]);
  }
  // A held shot shows part 6 for its whole life.
  SGpKeyTrack held(SprEShot01_1KeysA);
  for (int f = 0; f < 1000; ++f) held.Advance(1.0f);
  EXPECT_EQ(held.GetPart(), &SprEShot01_1[6]);
  EXPECT_EQ(held.GetWrapCount(), 0);
  // Enemy image 3: six one-frame keys.
  SGpKeyTrack enemy(EnemySprKeyTable[3]);
  EXPECT_EQ(enemy.GetKeyCount(), 6);
  EXPECT_EQ(enemy.GetTotal(), 6.0f);
}

TEST(EffectRecords, ColoursAndCounts) {
  EXPECT_EQ(SprEfx07DescA.keys, SprEfx07Keys);
  EXPECT_ALL({VAL(SprEfx07DescA.colourFrom[3], 1.0f), VAL(SprEfx07DescA.colourTo[3], 0.0f),
              VAL(std::memcmp(SprEfx07DescB.colourFrom, SprEfx07DescB.colourTo, sizeof(float) * 4), 0)});
  EXPECT_SAME({SAME(SprEfx04Desc[0].keys, SprEfx04KeysC), SAME(SprEfx04Desc[1].keys, SprEfx10KeysB)});
  EXPECT_ALL({VAL(SprEfx04Desc[1].p, 40), VAL(SprEfx04Desc[1].q, 20)});
  for (int k = 0; k < 4; ++k) {
    EXPECT_EQ(SprSubUnitDesc[k].keys->part, &SprSubUnit[k]);
    EXPECT_EQ(SprSubUnitDesc[k].colourFrom[3], 1.0f);
  }
  EXPECT_ALL({VAL(SprGameIf00_4DescA.colourTo[3], 1.0f), VAL(SprGameIf00_4DescB.colourTo[3], 0.0f),
              VAL(SprGameIf00_4DescB.p, 20)});
}

TEST(TestLayouts, DerivedRows) {
  EXPECT_EQ(MenuItemTable[0].y, -248.0f);
  EXPECT_EQ(MenuItemTable[5].y - MenuItemTable[4].y, 48.0f);
  for (int i = 1; i < 8; ++i) {
    if (i != 5) {
      EXPECT_EQ(MenuItemTable[i].y - MenuItemTable[i - 1].y, 24.0f) << i;
    }
  }
  EXPECT_ALL({VAL(MenuHelpTable[7].y, 40.0f), VAL(SystemItemTable[7].y, SystemItemTable[6].y),
              VAL(SystemValueTable[10].y, ScreenMinY + 72.0f), VAL(SoundHelpTable[0].y, 224.0f),
              VAL(ScreenMaxY - SoundHelpTable[0].y, 96.0f), VAL(SoundGuideTable[10].y, 248.0f),
              VAL(SoundGuideTable[11].y, 272.0f), VAL(SoundGuideTable[11].index, 8),
              VAL(SystemGuideTable[12].index, 9), VAL(SystemGuideTable[13].index, 8),
              VAL(InputLabelTable[8].y, 88.0f), VAL(InputSwitchTable[6].y, 112.0f),
              VAL(InputSwitchTable[0].index, 1)});
  // Ended lists close with index -1 at (0, 0).
  for (const TestLayoutRecord* end : std::initializer_list<const TestLayoutRecord*>{
           &InputLabelTable[9], &InputSwitchTable[7], &SoundItemTable[6],
                                      &SoundMarkTable[6], &SoundHelpTable[6]}) {
    EXPECT_EQ(end->index, -1);
    EXPECT_EQ(end->x, 0.0f);
    EXPECT_EQ(end->y, 0.0f);
  }
  EXPECT_SAME({SAME(GameSettingsItemTable[3].part, &SprTestComm[12]),
               SAME(GameSettingsItemTable[1].part, &SprTestEtc[14])});
  EXPECT_ALL({VAL(DefaultsTitleTable[0].y, -296.0f), VAL(DefaultsTitleTable[1].y, -48.0f)});
  EXPECT_EQ(RankingClearTitleTable[1].part, &SprTestEtc[7]);
  EXPECT_ALL({VAL(ConfirmChoiceTable[0].x, -50.0f), VAL(ConfirmTitleTable[0].y, -48.0f),
              VAL(DefaultsGuideTable[1].y, 272.0f)});
}

}  // namespace
