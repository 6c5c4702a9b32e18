// Font sheets, the in-game display's parts and the fonts cut from them.
#include "game/tables/font_tables.h"

#include "game/tables/rect_build.h"
#include "game/tables/registry_macros.h"

namespace {

constexpr auto kSprGameIf00x = LayoutList<3>{}
                                   .Add(Part(ImgGameIf00x, 0, 256, 128, 1, 1, 154, 17))
                                   .Add(Part(ImgGameIf00x, 0, 256, 128, 1, 18, 209, 24))
                                   .Add(Part(ImgGameIf00x, 0, 256, 128, 1, 42, 240, 62))
                                   .Done();

// One table over several images, named after its first.
constexpr auto kSprFont = LayoutList<11>{}
                              .Add(Part(ImgFontLarge, 0, 256, 256, 1, 2, 252, 248))
                              .Add(Part(ImgFontSmall, 0, 256, 128, 1.5f, 1.5f, 252, 72))
                              .Add(Part(ImgGameIf00, 0, 256, 256, 0, 110, 140, 19))
                              .Add(Part(ImgGameIf00, 0, 256, 256, 1, 129, 252, 76))
                              .Add(Part(ImgFontNum, 0, 512, 128, 315.5f, 90, 160, 22))
                              .Add(Part(ImgFontNum, 0, 512, 128, 155.5f, 90, 160, 22))
                              .Add(Part(ImgFontNum, 0, 512, 128, 0.5f, 90, 154, 19))
                              .Add(Part(ImgFontNum, 0, 512, 128, 0.5f, 61, 240, 28))
                              .Add(Part(ImgFontNum, 0, 512, 128, 0.5f, 0, 390, 60))
                              .Add(Part(ImgFontNum, 0, 512, 128, 240, 60, 145, 30))
                              .Add(Part(ImgFontNum, 0, 512, 128, 390, 1, 108, 52))
                              .Done();

constexpr auto kSprGameIf00_1 = [] {
  constexpr int r[8][4] = {{0, 0, 183, 63},   {0, 97, 115, 13},   {187, 3, 57, 57}, {0, 82, 115, 13},
                           {187, 61, 57, 57}, {190, 165, 57, 57}, {0, 205, 60, 16}, {61, 205, 60, 16}};
  LayoutList<8> s;
  for (const auto& p : r) s.Add(Part(ImgGameIf00, 0, 256, 256, p[0], p[1], p[2], p[3]));
  return s.Done();
}();
// Computed against a 512 x 256 texture size.
constexpr auto kSprGameIf00_2 = [] {
  constexpr int r[5][4] = {{40, 181, 145, 74}, {0, 183, 40, 70}, {185, 183, 40, 70}, {227, 181, 50, 30},
                           {278, 181, 50, 30}};
  LayoutList<5> s;
  for (const auto& p : r) s.Add(Part(ImgGameIf00, 0, 512, 256, p[0], p[1], p[2], p[3]));
  return s.Done();
}();
constexpr auto kSprGameIf00_3 = [] {
  LayoutList<3> s;
  s.Row(Part(ImgGameIf00, 0, 256, 256, 1, 226, 29, 29), 3, 30);
  return s.Done();
}();
// Three lists of one key, indexed by the display.
constexpr auto kSprGameIf00_3Keys = KeyLayoutList<6>{}.Key(0, 1).End().Key(1, 1).End().Key(2, 1).End().Done();
constexpr auto kSprGameIf00_4 = LayoutList<1>{}.Add(MirroredU(Part(ImgGameIf00, 0, 256, 256, 116, 79, 31, 31))).Done();
constexpr auto kSprGameIf00_4Keys = Still<2>(0, 1);
constexpr auto kSprRouteName = LayoutList<1>{}.Add(Part(ImgRouteName, 0, 512, 256, 0, 0, 449.6f, 180)).Done();
constexpr auto kSprStgName = LayoutList<1>{}.Add(Part(ImgStgName, 0, 128, 128, 0, 0, 121, 2)).Done();
// The same image through two slots and two texture sizes: the hardware
// error screen's font spans 0 to 1.0, the test mode's starts one texel in.
constexpr auto kSprTestFont_1 = LayoutList<1>{}.Add(Part(ImgErrTestFont, 0, 255, 127, 0, 0, 256, 128)).Done();
constexpr auto kSprTestFont_2 = LayoutList<1>{}.Add(Part(ImgTestFont, 0, 256, 128, 1, 1, 256, 128)).Done();

}  // namespace

OSTREL_RECT_TABLE(SprGameIf00x)
OSTREL_RECT_TABLE(SprFont)
OSTREL_RECT_TABLE(SprGameIf00_1)
OSTREL_RECT_TABLE(SprGameIf00_2)
OSTREL_RECT_TABLE(SprGameIf00_3)
OSTREL_RECT_TABLE(SprGameIf00_4)
OSTREL_RECT_TABLE(SprRouteName)
OSTREL_RECT_TABLE(SprStgName)
OSTREL_RECT_TABLE(SprTestFont_1)
OSTREL_RECT_TABLE(SprTestFont_2)
OSTREL_KEY_LIST(SprGameIf00_3Keys, SprGameIf00_3)
OSTREL_KEY_LIST(SprGameIf00_4Keys, SprGameIf00_4)

constinit const SGpFontDesc SprFontDesc[11] = {
    {&SprFont_store.parts[0], 28, 31, ' '}, {&SprFont_store.parts[1], 14, 18, ' '},
    {&SprFont_store.parts[2], 14, 19, '0'}, {&SprFont_store.parts[3], 36, 40, '0'},
    {&SprFont_store.parts[4], 16, 22, '0'}, {&SprFont_store.parts[5], 16, 22, '0'},
    {&SprFont_store.parts[6], 14, 19, '0'}, {&SprFont_store.parts[7], 24, 28, '0'},
    {&SprFont_store.parts[8], 39, 60, '0'}, {&SprFont_store.parts[9], 29, 30, '0'},
    {&SprFont_store.parts[10], 27, 26, '0'},
};
constinit const SGpFontDesc SprGameIf00xDesc[3] = {
    {&SprGameIf00x_store.parts[0], 14, 17, '0'},
    {&SprGameIf00x_store.parts[1], 19, 24, '0'},
    {&SprGameIf00x_store.parts[2], 24, 31, '0'},
};
constinit const SGpFontDesc SprRouteNameDesc{&SprRouteName_store.parts[0], 56, 180, 1};
constinit const SGpFontDesc SprStgNameDesc{&SprStgName_store.parts[0], 121, 2, 1};
constinit const SGpFontDesc SprTestFont_1Desc{&SprTestFont_1_store.parts[0], 16, 16, 0x20};
constinit const SGpFontDesc SprTestFont_2Desc{&SprTestFont_2_store.parts[0], 16, 16, 0x20};

constinit const EfxSpriteDesc SprGameIf00_4DescA{SprGameIf00_4Keys_store.keys, {1, 1, 1, 1}, {1, 1, 1, 1}, 2, 0};
constinit const EfxSpriteDesc SprGameIf00_4DescB{SprGameIf00_4Keys_store.keys, {1, 1, 1, 1}, {1, 1, 1, 0}, 20, 0};

namespace {

const TableInfo kTables[] = {
    OSTREL_TABLE_INFO(SprGameIf00x, FontSheet, 0xffffff), OSTREL_TABLE_INFO(SprFont, FontSheet, 0xffffff),
    OSTREL_TABLE_INFO(SprGameIf00_1, Label, 0x4070c0),    OSTREL_TABLE_INFO(SprGameIf00_2, Label, 0x40a070),
    OSTREL_TABLE_INFO(SprGameIf00_3, Marker, 0xffb040),   OSTREL_TABLE_INFO(SprGameIf00_4, Spark, 0xffffa0),
    OSTREL_TABLE_INFO(SprRouteName, FontSheet, 0xffffff), OSTREL_TABLE_INFO(SprStgName, Solid, 0xffffff),
    OSTREL_TABLE_INFO(SprTestFont_1, FontSheet, 0xffffff), OSTREL_TABLE_INFO(SprTestFont_2, FontSheet, 0xffffff),
};
const KeyListInfo kKeyLists[] = {
    OSTREL_KEYS_INFO(SprGameIf00_3Keys, SprGameIf00_3, 3),
    OSTREL_KEYS_INFO(SprGameIf00_4Keys, SprGameIf00_4, 1),
};

constexpr float kFontCells[11][2] = {{28, 31}, {14, 18}, {14, 19}, {36, 40}, {16, 22}, {16, 22},
                                     {14, 19}, {24, 28}, {39, 60}, {29, 30}, {27, 26}};
const FontInfo kFonts[] = {
    {"SprFontDesc[0]", &kSprFont.parts[0], kFontCells[0][0], kFontCells[0][1], ' '},
    {"SprFontDesc[1]", &kSprFont.parts[1], kFontCells[1][0], kFontCells[1][1], ' '},
    {"SprFontDesc[2]", &kSprFont.parts[2], kFontCells[2][0], kFontCells[2][1], '0'},
    {"SprFontDesc[3]", &kSprFont.parts[3], kFontCells[3][0], kFontCells[3][1], '0'},
    {"SprFontDesc[4]", &kSprFont.parts[4], kFontCells[4][0], kFontCells[4][1], '0'},
    {"SprFontDesc[5]", &kSprFont.parts[5], kFontCells[5][0], kFontCells[5][1], '0'},
    {"SprFontDesc[6]", &kSprFont.parts[6], kFontCells[6][0], kFontCells[6][1], '0'},
    {"SprFontDesc[7]", &kSprFont.parts[7], kFontCells[7][0], kFontCells[7][1], '0'},
    {"SprFontDesc[8]", &kSprFont.parts[8], kFontCells[8][0], kFontCells[8][1], '0'},
    {"SprFontDesc[9]", &kSprFont.parts[9], kFontCells[9][0], kFontCells[9][1], '0'},
    {"SprFontDesc[10]", &kSprFont.parts[10], kFontCells[10][0], kFontCells[10][1], '0'},
    {"SprGameIf00xDesc[0]", &kSprGameIf00x.parts[0], 14, 17, '0'},
    {"SprGameIf00xDesc[1]", &kSprGameIf00x.parts[1], 19, 24, '0'},
    {"SprGameIf00xDesc[2]", &kSprGameIf00x.parts[2], 24, 31, '0'},
    {"SprRouteNameDesc", &kSprRouteName.parts[0], 56, 180, 1},
    {"SprStgNameDesc", &kSprStgName.parts[0], 121, 2, 1},
    {"SprTestFont_1Desc", &kSprTestFont_1.parts[0], 16, 16, 0x20},
    {"SprTestFont_2Desc", &kSprTestFont_2.parts[0], 16, 16, 0x20},
};

}  // namespace

TableGroup FontTableGroup() { return {kTables, kKeyLists, kFonts}; }
