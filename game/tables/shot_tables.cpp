// Player shot, option and enemy-shot sprite tables with their key lists.
#include "game/tables/shot_tables.h"

#include <utility>

#include "game/tables/rect_build.h"
#include "game/tables/registry_macros.h"

namespace {

// ---- Player side ----

constexpr auto kSprPShot00_1 = LayoutList<2>{}
                                   .Add(PartP(ImgPShot00, 0, 256, 256, 97, 98, 32, 32, 16, 16))
                                   .Add(PartP(ImgPShot00, 0, 256, 256, 97, 98, 32, 32, 16, 16))
                                   .Done();
constexpr auto kSprPShot01 = [] {
  LayoutList<6> s;
  s.Row(PartP(ImgPShot01, 0, 256, 256, 64, 65, 38, 64, 19, 32), 3, 39);
  s.Row(PartP(ImgPShot01, 0, 256, 256, 64, 130, 38, 64, 19, 32), 3, 39);
  return s.Done();
}();
constexpr auto kSprPShot01KeysA = Sequence<4>(0, 2, 2);
constexpr auto kSprPShot01KeysB = Sequence<4>(3, 5, 2);
// The player's side of the enemy-shot image uses its texture 2.
constexpr auto kSprEShot01_1 = [] {
  LayoutList<7> s;
  s.Row(Part(ImgEShot01, 2, 256, 256, 104, 102, 26, 35), 3, 26);
  s.Row(Part(ImgEShot01, 2, 256, 256, 75, 137, 27, 35), 3, 27);
  s.Add(Part(ImgEShot01, 2, 256, 256, 148, 172, 15, 64));
  return s.Done();
}();
constexpr auto kSprEShot01_1KeysA = Still<2>(6, 65536);
constexpr auto kSprEShot01_1KeysB = Still<2>(6, 65536);
constexpr auto kSprPShot00_3 = [] {
  LayoutList<4> s;
  for (auto [x, y] : {std::pair{190, 0}, {222, 0}, {0, 32}, {65, 65}})
    s.Add(PartP(ImgPShot00, 0, 256, 256, x, y, 32, 32, 16, 17));
  return s.Done();
}();
constexpr auto kSprPShot00_3Keys = KeyLayoutList<7>{}.Parts({0, 1, 0, 1, 2, 3}, 1).End().Done();
// 65-pixel parts on 64-pixel textures: with the x + w - 1 rule their
// coordinates run exactly from 0 to 1.0.
constexpr auto kSprSubUnit = [] {
  LayoutList<4> s;
  for (std::uint32_t k = 0; k < 4; ++k) s.Add(Part(ImgSubUnit, k, 64, 64, 0, 0, 65, 65));
  return s.Done();
}();
constexpr auto kSprSubUnitKeysA = Still<2>(0, 1);
constexpr auto kSprSubUnitKeysB = Still<2>(1, 1);
constexpr auto kSprSubUnitKeysC = Still<2>(2, 1);
constexpr auto kSprSubUnitKeysD = Still<2>(3, 1);
constexpr auto kSprEfx02_2 = LayoutList<1>{}.Add(Part(ImgEfx02, 0, 256, 256, 153, 52, 33, 33)).Done();
constexpr auto kSprEfx02_2Keys = Still<2>(0, 1);

// ---- Enemy shots: osr_eshot00 ----

constexpr PartLayout E0(float x, float y, float w, float h, float px, float py) {
  return PartP(ImgEShot00, 0, 256, 256, x, y, w, h, px, py);
}

constexpr auto kSprEShot00 = [] {
  LayoutList<185> s;
  s.Row(E0(132, 22, 21, 21, 11, 11), 4, 22);                                         // 0-3
  s.Row(E0(168, 146, 17, 31, 8, 3), 4, 18);                                          // 4-7
  s.Row(E0(170, 66, 11, 29, 7, 3), 3, 20);                                           // 8-10
  s.Row(E0(0, 88, 25, 25, 13, 1), 3, 26);                                            // 11-13
  s.Add(E0(220, 22, 19, 19, 8, 8)).Row(E0(0, 44, 19, 19, 8, 8), 3, 20);              // 14-17
  s.Row(E0(128, 146, 19, 19, 8, 8), 2, 20).Row(E0(128, 166, 19, 19, 8, 8), 2, 20);   // 18-21
  s.Row(E0(0, 0, 21, 21, 11, 1), 8, 22);                                             // 22-29
  s.Row(E0(176, 0, 21, 21, 11, 10), 3, 22).Row(E0(0, 22, 21, 21, 11, 10), 6, 22);    // 30-38
  s.Row(E0(66, 44, 21, 21, 10, 1), 4, 22);                                           // 39-42
  s.Row(E0(154, 44, 21, 21, 10, 10), 4, 22).Add(E0(0, 66, 21, 21, 10, 10));          // 43-47
  s.Add(E0(142, 66, 21, 21, 11, 10)).Row(E0(78, 88, 21, 21, 11, 10), 4, 22);         // 48-52
  s.Row(E0(22, 66, 19, 19, 9, 9), 6, 20);                                            // 53-58
  s.Row(E0(0, 120, 31, 31, 15, 15), 4, 32).Row(E0(128, 114, 31, 31, 15, 15), 4, 32)  // 59-70
      .Row(E0(0, 152, 31, 31, 15, 15), 4, 32);
  s.Add(E0(226, 66, 22, 22, 11, 11)).Add(E0(226, 89, 22, 22, 11, 11));               // 71-78
  s.Row(E0(135, 233, 22, 22, 11, 11), 5, 23).Add(E0(0, 184, 22, 22, 11, 11));
  for (auto [x, y] : {std::pair{86, 206}, {109, 213}, {132, 214}, {155, 214}, {178, 212}, {201, 212}})
    s.Add(E0(x, y, 22, 22, 11, 11));                                                 // 79-84
  s.Repeat(71, 84, 1);                                                               // 85-98
  s.Repeat(71, 84, 2);                                                               // 99-112
  constexpr int clear[24][6] = {                                                     // 113-136
      {0, 229, 12, 12, 7, 7},     {13, 230, 21, 21, 11, 11},  {35, 236, 19, 19, 11, 10},
      {55, 236, 19, 19, 11, 10},  {75, 236, 19, 19, 11, 10},  {95, 236, 20, 20, 11, 11},
      {116, 236, 18, 19, 10, 10}, {118, 187, 7, 6, 3, 3},     {224, 214, 15, 18, 8, 10},
      {124, 187, 22, 21, 11, 11}, {147, 187, 22, 22, 11, 12}, {170, 187, 19, 20, 11, 10},
      {190, 187, 19, 16, 10, 9},  {210, 187, 21, 20, 11, 11}, {232, 187, 22, 21, 11, 12},
      {23, 184, 16, 17, 8, 9},    {39, 184, 18, 19, 9, 10},   {58, 184, 20, 22, 9, 11},
      {77, 184, 21, 20, 9, 10},   {97, 184, 22, 22, 10, 11},  {0, 207, 21, 22, 9, 12},
      {21, 207, 22, 22, 10, 12},  {43, 205, 22, 22, 10, 12},  {65, 205, 21, 22, 9, 11}};
  for (const auto& p : clear) s.Add(E0(p[0], p[1], p[2], p[3], p[4], p[5]));
  s.Repeat(113, 136, 1);                                                             // 137-160
  s.Repeat(113, 136, 2);                                                             // 161-184
  return s.Done();
}();

constexpr auto kSprEShot00KeysA = Sequence<5>(0, 3, 2);
constexpr auto kSprEShot00KeysB = Sequence<5>(4, 7, 2);
constexpr auto kSprEShot00KeysC = Sequence<4>(8, 10, 2);
constexpr auto kSprEShot00KeysD = Sequence<4>(11, 13, 2);
constexpr auto kSprEShot00KeysE = Sequence<5>(14, 17, 2);
constexpr auto kSprEShot00KeysF = Sequence<5>(18, 21, 2);
constexpr auto kSprEShot00KeysG = Sequence<9>(22, 29, 2);
constexpr auto kSprEShot00KeysH = Sequence<10>(30, 38, 2);
constexpr auto kSprEShot00KeysI = Sequence<5>(39, 42, 2);
constexpr auto kSprEShot00KeysJ = Sequence<6>(43, 47, 2);
constexpr auto kSprEShot00KeysK = Sequence<6>(48, 52, 2);
constexpr auto kSprEShot00KeysL = Sequence<7>(53, 58, 2);
constexpr auto kSprEShot00KeysM = Sequence<13>(59, 70, 2);
constexpr auto kSprEShot00KeysN = Sequence<8>(113, 119, 2);
constexpr auto kSprEShot00KeysO = Sequence<9>(120, 127, 2);
constexpr auto kSprEShot00KeysP = Sequence<10>(128, 136, 2);
constexpr auto kSprEShot00KeysQ = Sequence<8>(137, 143, 2);
constexpr auto kSprEShot00KeysR = Sequence<9>(144, 151, 2);
constexpr auto kSprEShot00KeysS = Sequence<10>(152, 160, 2);
constexpr auto kSprEShot00KeysT = Sequence<8>(161, 167, 2);
constexpr auto kSprEShot00KeysU = Sequence<9>(168, 175, 2);
constexpr auto kSprEShot00KeysV = Sequence<10>(176, 184, 2);
// Vanish bursts: 8 and 6 keys with the last ones held a little longer.
constexpr KeyLayoutList<9> Burst8(int first) {
  return KeyLayoutList<9>{}.Times(first, {1.0f, 1, 1, 1, 1, 1, 1, 2}).End().Done();
}
constexpr KeyLayoutList<7> Burst6(int first) {
  return KeyLayoutList<7>{}.Times(first, {1.0f, 1, 1, 1, 2, 3}).End().Done();
}
constexpr auto kSprEShot00KeysW = Burst8(71);
constexpr auto kSprEShot00KeysX = Burst6(79);
constexpr auto kSprEShot00KeysY = Burst8(85);
constexpr auto kSprEShot00KeysZ = Burst6(93);
constexpr auto kSprEShot00KeysAA = Burst8(99);
constexpr auto kSprEShot00KeysAB = Burst6(107);

// ---- Enemy shots: osr_eshot01 ----

constexpr PartLayout E1(float x, float y, float w, float h, float px, float py) {
  return PartP(ImgEShot01, 0, 256, 256, x, y, w, h, px, py);
}

constexpr auto kSprEShot01_2 = [] {
  LayoutList<60> s;
  s.Row(E1(0, 0, 33, 33, 16, 16), 7, 34).Row(E1(0, 34, 33, 33, 16, 16), 4, 34);  // 0-10
  for (auto [x, y] : {std::pair{0, 163}, {37, 163}, {74, 172}, {111, 173}})
    s.Add(E1(x, y, 36, 55, 19, 2));                                              // 11-14
  for (auto [x, y] : {std::pair{182, 102}, {156, 137}, {198, 137}})
    s.Add(E1(x, y, 41, 32, 20, 2));                                              // 15-17
  s.Row(E1(0, 68, 25, 25, 12, 12), 5, 26);                                       // 18-26
  for (auto [x, y] : {std::pair{0, 94}, {26, 94}, {52, 69}, {78, 94}}) s.Add(E1(x, y, 25, 25, 12, 12));
  s.Add(E1(136, 34, 10, 10, 6, 5));                                              // 27-31
  for (int x : {147, 174, 201, 227}) s.Add(E1(x, 34, 25, 25, 13, 12));
  s.Repeat(18, 31, 1);                                                           // 32-45
  s.Repeat(18, 31, 2);                                                           // 46-59
  return s.Done();
}();
constexpr auto kSprEShot01_2KeysA = Sequence<7>(0, 5, 2);
constexpr auto kSprEShot01_2KeysB = Sequence<6>(6, 10, 2);
constexpr auto kSprEShot01_2KeysC = Sequence<5>(11, 14, 2);
constexpr auto kSprEShot01_2KeysD = Sequence<4>(15, 17, 2);
constexpr auto kSprEShot01_2KeysE = Sequence<10>(18, 26, 2);
constexpr auto kSprEShot01_2KeysF = Sequence<6>(27, 31, 2);
constexpr auto kSprEShot01_2KeysG = Sequence<10>(32, 40, 2);
constexpr auto kSprEShot01_2KeysH = Sequence<6>(41, 45, 2);
constexpr auto kSprEShot01_2KeysI = Sequence<10>(46, 54, 2);
constexpr auto kSprEShot01_2KeysJ = Sequence<6>(55, 59, 2);

// ---- Effect shots and thunder: osr_eshot02 ----

constexpr PartLayout E2(float x, float y, float w, float h, float px, float py) {
  return PartP(ImgEShot02, 0, 256, 256, x, y, w, h, px, py);
}

constexpr auto kSprEShot02 = [] {
  constexpr int parts[24][6] = {
      {173, 1, 20, 19, 11, 9},    {194, 1, 22, 24, 12, 11},   {217, 1, 25, 26, 13, 12},
      {173, 26, 26, 29, 14, 13},  {200, 28, 27, 31, 14, 14},  {173, 60, 29, 31, 15, 15},
      {203, 60, 32, 33, 17, 16},  {173, 94, 36, 37, 20, 19},  {210, 94, 39, 39, 21, 19},
      {44, 130, 40, 40, 21, 19},  {85, 130, 40, 40, 21, 19},  {126, 130, 40, 40, 21, 19},
      {44, 1, 41, 128, 21, 64},   {87, 0, 41, 128, 21, 64},   {130, 0, 41, 128, 21, 64},
      {1, 1, 42, 42, 21, 21},     {1, 44, 42, 42, 21, 21},    {1, 87, 42, 42, 21, 21},
      {1, 130, 42, 42, 21, 21},   {1, 206, 41, 35, 20, 14},   {43, 206, 38, 38, 17, 17},
      {117, 207, 37, 42, 19, 21}, {82, 206, 34, 32, 15, 21},  {155, 207, 38, 29, 20, 17}};
  LayoutList<24> s;
  for (const auto& p : parts) s.Add(E2(p[0], p[1], p[2], p[3], p[4], p[5]));
  return s.Done();
}();
constexpr auto kSprEShot02KeysA =
    KeyLayoutList<13>{}.Times(0, {3.0f, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13}).End().Done();
constexpr auto kSprEShot02KeysB = Sequence<4>(12, 14, 2);
constexpr auto kSprEShot02KeysC = Sequence<10>(15, 23, 2);

}  // namespace

OSTREL_RECT_TABLE(SprPShot00_1)
OSTREL_RECT_TABLE(SprPShot01)
OSTREL_RECT_TABLE(SprEShot01_1)
OSTREL_RECT_TABLE(SprPShot00_3)
OSTREL_RECT_TABLE(SprSubUnit)
OSTREL_RECT_TABLE(SprEfx02_2)
OSTREL_RECT_TABLE(SprEShot00)
OSTREL_RECT_TABLE(SprEShot01_2)
OSTREL_RECT_TABLE(SprEShot02)
OSTREL_KEY_LIST(SprPShot01KeysA, SprPShot01)
OSTREL_KEY_LIST(SprPShot01KeysB, SprPShot01)
OSTREL_KEY_LIST(SprEShot01_1KeysA, SprEShot01_1)
OSTREL_KEY_LIST(SprEShot01_1KeysB, SprEShot01_1)
OSTREL_KEY_LIST(SprPShot00_3Keys, SprPShot00_3)
OSTREL_KEY_LIST(SprSubUnitKeysA, SprSubUnit)
OSTREL_KEY_LIST(SprSubUnitKeysB, SprSubUnit)
OSTREL_KEY_LIST(SprSubUnitKeysC, SprSubUnit)
OSTREL_KEY_LIST(SprSubUnitKeysD, SprSubUnit)
OSTREL_KEY_LIST(SprEfx02_2Keys, SprEfx02_2)
OSTREL_KEY_LIST(SprEShot00KeysA, SprEShot00)
OSTREL_KEY_LIST(SprEShot00KeysB, SprEShot00)
OSTREL_KEY_LIST(SprEShot00KeysC, SprEShot00)
OSTREL_KEY_LIST(SprEShot00KeysD, SprEShot00)
OSTREL_KEY_LIST(SprEShot00KeysE, SprEShot00)
OSTREL_KEY_LIST(SprEShot00KeysF, SprEShot00)
OSTREL_KEY_LIST(SprEShot00KeysG, SprEShot00)
OSTREL_KEY_LIST(SprEShot00KeysH, SprEShot00)
OSTREL_KEY_LIST(SprEShot00KeysI, SprEShot00)
OSTREL_KEY_LIST(SprEShot00KeysJ, SprEShot00)
OSTREL_KEY_LIST(SprEShot00KeysK, SprEShot00)
OSTREL_KEY_LIST(SprEShot00KeysL, SprEShot00)
OSTREL_KEY_LIST(SprEShot00KeysM, SprEShot00)
OSTREL_KEY_LIST(SprEShot00KeysN, SprEShot00)
OSTREL_KEY_LIST(SprEShot00KeysO, SprEShot00)
OSTREL_KEY_LIST(SprEShot00KeysP, SprEShot00)
OSTREL_KEY_LIST(SprEShot00KeysQ, SprEShot00)
OSTREL_KEY_LIST(SprEShot00KeysR, SprEShot00)
OSTREL_KEY_LIST(SprEShot00KeysS, SprEShot00)
OSTREL_KEY_LIST(SprEShot00KeysT, SprEShot00)
OSTREL_KEY_LIST(SprEShot00KeysU, SprEShot00)
OSTREL_KEY_LIST(SprEShot00KeysV, SprEShot00)
OSTREL_KEY_LIST(SprEShot00KeysW, SprEShot00)
OSTREL_KEY_LIST(SprEShot00KeysX, SprEShot00)
OSTREL_KEY_LIST(SprEShot00KeysY, SprEShot00)
OSTREL_KEY_LIST(SprEShot00KeysZ, SprEShot00)
OSTREL_KEY_LIST(SprEShot00KeysAA, SprEShot00)
OSTREL_KEY_LIST(SprEShot00KeysAB, SprEShot00)
OSTREL_KEY_LIST(SprEShot01_2KeysA, SprEShot01_2)
OSTREL_KEY_LIST(SprEShot01_2KeysB, SprEShot01_2)
OSTREL_KEY_LIST(SprEShot01_2KeysC, SprEShot01_2)
OSTREL_KEY_LIST(SprEShot01_2KeysD, SprEShot01_2)
OSTREL_KEY_LIST(SprEShot01_2KeysE, SprEShot01_2)
OSTREL_KEY_LIST(SprEShot01_2KeysF, SprEShot01_2)
OSTREL_KEY_LIST(SprEShot01_2KeysG, SprEShot01_2)
OSTREL_KEY_LIST(SprEShot01_2KeysH, SprEShot01_2)
OSTREL_KEY_LIST(SprEShot01_2KeysI, SprEShot01_2)
OSTREL_KEY_LIST(SprEShot01_2KeysJ, SprEShot01_2)
OSTREL_KEY_LIST(SprEShot02KeysA, SprEShot02)
OSTREL_KEY_LIST(SprEShot02KeysB, SprEShot02)
OSTREL_KEY_LIST(SprEShot02KeysC, SprEShot02)

constinit const EfxSpriteDesc SprSubUnitDesc[4] = {
    {SprSubUnitKeysA_store.keys, {1, 1, 1, 1}, {1, 1, 1, 1}, 0, 0},
    {SprSubUnitKeysB_store.keys, {1, 1, 1, 1}, {1, 1, 1, 1}, 0, 0},
    {SprSubUnitKeysC_store.keys, {1, 1, 1, 1}, {1, 1, 1, 1}, 0, 0},
    {SprSubUnitKeysD_store.keys, {1, 1, 1, 1}, {1, 1, 1, 1}, 0, 0},
};

namespace {

// Rows of EShotKeyTableA: shapes 8, 9, 15 and 16 come from osr_eshot01.
#define OSTREL_ESHOT_ROW_A(n, o, p, e, f)                                                        \
  {n, o, p, n, n, p, n, n, e, e, n, n, n, o, p, f, f}
constinit const SGpKeyList* const kRowA0[17] = OSTREL_ESHOT_ROW_A(
    SprEShot00KeysN_store.keys, SprEShot00KeysO_store.keys, SprEShot00KeysP_store.keys,
    SprEShot01_2KeysE_store.keys, SprEShot01_2KeysF_store.keys);
constinit const SGpKeyList* const kRowA1[17] = OSTREL_ESHOT_ROW_A(
    SprEShot00KeysQ_store.keys, SprEShot00KeysR_store.keys, SprEShot00KeysS_store.keys,
    SprEShot01_2KeysG_store.keys, SprEShot01_2KeysH_store.keys);
constinit const SGpKeyList* const kRowA2[17] = OSTREL_ESHOT_ROW_A(
    SprEShot00KeysT_store.keys, SprEShot00KeysU_store.keys, SprEShot00KeysV_store.keys,
    SprEShot01_2KeysI_store.keys, SprEShot01_2KeysJ_store.keys);
#undef OSTREL_ESHOT_ROW_A
// Rows of EShotKeyTableB: shapes 1 and 13 take the six-key burst.
#define OSTREL_ESHOT_ROW_B(w, x) {w, x, w, w, w, w, w, w, w, w, w, w, w, x, w, w, w}
constinit const SGpKeyList* const kRowB0[17] =
    OSTREL_ESHOT_ROW_B(SprEShot00KeysW_store.keys, SprEShot00KeysX_store.keys);
constinit const SGpKeyList* const kRowB1[17] =
    OSTREL_ESHOT_ROW_B(SprEShot00KeysY_store.keys, SprEShot00KeysZ_store.keys);
constinit const SGpKeyList* const kRowB2[17] =
    OSTREL_ESHOT_ROW_B(SprEShot00KeysAA_store.keys, SprEShot00KeysAB_store.keys);
#undef OSTREL_ESHOT_ROW_B

}  // namespace

constinit const SGpKeyList* const* const EShotKeyTableA[6] = {kRowA0, kRowA1, kRowA2, kRowA0, kRowA1, kRowA2};
constinit const SGpKeyList* const* const EShotKeyTableB[6] = {kRowB0, kRowB1, kRowB2, kRowB0, kRowB1, kRowB2};

const SGpKeyList* EShotKeysFromCode(uint32_t code) {
  return EShotKeyTableB[(code >> 8) % kEShotColours][(code & 0xFFu) % kEShotShapes];
}

namespace {

const TableInfo kTables[] = {
    OSTREL_TABLE_INFO(SprPShot00_1, Ship, 0x80d0ff),  OSTREL_TABLE_INFO(SprPShot01, PlayerShot, 0x60e0ff),
    OSTREL_TABLE_INFO(SprEShot01_1, PlayerShot, 0x40ff90), OSTREL_TABLE_INFO(SprPShot00_3, Spark, 0xc0f0ff),
    OSTREL_TABLE_INFO(SprSubUnit, Option, 0xffc040),  OSTREL_TABLE_INFO(SprEfx02_2, Ring, 0xffe0a0),
    OSTREL_TABLE_INFO(SprEShot00, Bullet, 0xff4060),  OSTREL_TABLE_INFO(SprEShot01_2, Bullet, 0xff4060),
    OSTREL_TABLE_INFO(SprEShot02, Bolt, 0xc080ff),
};
const KeyListInfo kKeyLists[] = {
    OSTREL_KEYS_INFO(SprPShot01KeysA, SprPShot01, 1),     OSTREL_KEYS_INFO(SprPShot01KeysB, SprPShot01, 1),
    OSTREL_KEYS_INFO(SprEShot01_1KeysA, SprEShot01_1, 1), OSTREL_KEYS_INFO(SprEShot01_1KeysB, SprEShot01_1, 1),
    OSTREL_KEYS_INFO(SprPShot00_3Keys, SprPShot00_3, 1),  OSTREL_KEYS_INFO(SprSubUnitKeysA, SprSubUnit, 1),
    OSTREL_KEYS_INFO(SprSubUnitKeysB, SprSubUnit, 1),     OSTREL_KEYS_INFO(SprSubUnitKeysC, SprSubUnit, 1),
    OSTREL_KEYS_INFO(SprSubUnitKeysD, SprSubUnit, 1),     OSTREL_KEYS_INFO(SprEfx02_2Keys, SprEfx02_2, 1),
    OSTREL_KEYS_INFO(SprEShot00KeysA, SprEShot00, 1),     OSTREL_KEYS_INFO(SprEShot00KeysB, SprEShot00, 1),
    OSTREL_KEYS_INFO(SprEShot00KeysC, SprEShot00, 1),     OSTREL_KEYS_INFO(SprEShot00KeysD, SprEShot00, 1),
    OSTREL_KEYS_INFO(SprEShot00KeysE, SprEShot00, 1),     OSTREL_KEYS_INFO(SprEShot00KeysF, SprEShot00, 1),
    OSTREL_KEYS_INFO(SprEShot00KeysG, SprEShot00, 1),     OSTREL_KEYS_INFO(SprEShot00KeysH, SprEShot00, 1),
    OSTREL_KEYS_INFO(SprEShot00KeysI, SprEShot00, 1),     OSTREL_KEYS_INFO(SprEShot00KeysJ, SprEShot00, 1),
    OSTREL_KEYS_INFO(SprEShot00KeysK, SprEShot00, 1),     OSTREL_KEYS_INFO(SprEShot00KeysL, SprEShot00, 1),
    OSTREL_KEYS_INFO(SprEShot00KeysM, SprEShot00, 1),     OSTREL_KEYS_INFO(SprEShot00KeysN, SprEShot00, 1),
    OSTREL_KEYS_INFO(SprEShot00KeysO, SprEShot00, 1),     OSTREL_KEYS_INFO(SprEShot00KeysP, SprEShot00, 1),
    OSTREL_KEYS_INFO(SprEShot00KeysQ, SprEShot00, 1),     OSTREL_KEYS_INFO(SprEShot00KeysR, SprEShot00, 1),
    OSTREL_KEYS_INFO(SprEShot00KeysS, SprEShot00, 1),     OSTREL_KEYS_INFO(SprEShot00KeysT, SprEShot00, 1),
    OSTREL_KEYS_INFO(SprEShot00KeysU, SprEShot00, 1),     OSTREL_KEYS_INFO(SprEShot00KeysV, SprEShot00, 1),
    OSTREL_KEYS_INFO(SprEShot00KeysW, SprEShot00, 1),     OSTREL_KEYS_INFO(SprEShot00KeysX, SprEShot00, 1),
    OSTREL_KEYS_INFO(SprEShot00KeysY, SprEShot00, 1),     OSTREL_KEYS_INFO(SprEShot00KeysZ, SprEShot00, 1),
    OSTREL_KEYS_INFO(SprEShot00KeysAA, SprEShot00, 1),    OSTREL_KEYS_INFO(SprEShot00KeysAB, SprEShot00, 1),
    OSTREL_KEYS_INFO(SprEShot01_2KeysA, SprEShot01_2, 1), OSTREL_KEYS_INFO(SprEShot01_2KeysB, SprEShot01_2, 1),
    OSTREL_KEYS_INFO(SprEShot01_2KeysC, SprEShot01_2, 1), OSTREL_KEYS_INFO(SprEShot01_2KeysD, SprEShot01_2, 1),
    OSTREL_KEYS_INFO(SprEShot01_2KeysE, SprEShot01_2, 1), OSTREL_KEYS_INFO(SprEShot01_2KeysF, SprEShot01_2, 1),
    OSTREL_KEYS_INFO(SprEShot01_2KeysG, SprEShot01_2, 1), OSTREL_KEYS_INFO(SprEShot01_2KeysH, SprEShot01_2, 1),
    OSTREL_KEYS_INFO(SprEShot01_2KeysI, SprEShot01_2, 1), OSTREL_KEYS_INFO(SprEShot01_2KeysJ, SprEShot01_2, 1),
    OSTREL_KEYS_INFO(SprEShot02KeysA, SprEShot02, 1),     OSTREL_KEYS_INFO(SprEShot02KeysB, SprEShot02, 1),
    OSTREL_KEYS_INFO(SprEShot02KeysC, SprEShot02, 1),
};

}  // namespace

TableGroup ShotTableGroup() { return {kTables, kKeyLists, {}}; }
