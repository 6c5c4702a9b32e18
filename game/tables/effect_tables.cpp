// Effect sprite tables: sparks, explosions, smoke, rings, flames, markers,
// cloud layers and lens flares cut from the shared effect images, with
// their key lists and the effect sprite records.
#include "game/tables/effect_tables.h"

#include "game/tables/rect_build.h"
#include "game/tables/registry_macros.h"

namespace {

// Parts given as {x, y, w, h, pivot x, pivot y} on a 256 x 256 texture 0.
template <std::size_t N>
constexpr LayoutList<N> Irregular(SImageSlot& img, const int (&p)[N][6]) {
  LayoutList<N> s;
  for (std::size_t i = 0; i < N; ++i)
    s.Add(PartP(img, 0, 256, 256, p[i][0], p[i][1], p[i][2], p[i][3], p[i][4], p[i][5]));
  return s.Done();
}

// ---- First group: osr_efx, osr_efx01, osr_efx02, osr_efx07 ----

// The spark cuts the same ten cells of osr_efx02 as the boss's flame
// SprEfx02_4 (which only adds a bottom-centre pivot): both show one picture,
// a flame with a white-hot core, that reads as a spark at the effect's size.
constexpr auto kSprEfx02_1 = [] {
  LayoutList<10> s;
  s.Add(Part(ImgEfx02, 0, 256, 256, 1, 165, 45, 45)).Row(Part(ImgEfx02, 0, 256, 256, 46, 166, 45, 45), 4, 45);
  s.Add(Part(ImgEfx02, 0, 256, 256, 1, 210, 45, 45)).Row(Part(ImgEfx02, 0, 256, 256, 46, 211, 45, 45), 4, 45);
  return s.Done();
}();
constexpr auto kSprEfx02_1Keys = Sequence<11>(0, 9, 3);

// Pivot 4 pixels from the left edge, on the bottom edge.
constexpr auto kSprEfx01_1 = [] {
  constexpr int r[7][4] = {{0, 0, 28, 30},   {29, 0, 36, 36},  {66, 0, 53, 53},  {0, 37, 53, 52},
                           {120, 0, 53, 52}, {174, 0, 53, 52}, {54, 54, 36, 36}};
  LayoutList<7> s;
  for (const auto& p : r) s.Add(PartP(ImgEfx01, 0, 256, 256, p[0], p[1], p[2], p[3], 4, p[3]));
  return s.Done();
}();
// Seven lists of the same 14-frame cycle, list k starting at part k.
constexpr auto kSprEfx01_1Keys = [] {
  KeyLayoutList<56> k;
  for (int list = 0; list < 7; ++list) {
    for (int i = 0; i < 7; ++i) k.Key((list + i) % 7, 2);
    k.End();
  }
  return k.Done();
}();

constexpr auto kSprEfx_1 = LayoutList<1>{}.Add(Part(ImgEfx, 0, 256, 256, 5, 129, 31, 31)).Done();
constexpr auto kSprEfx_1Keys = Still<2>(0, 65536);
constexpr auto kSprEfx_2 = LayoutList<1>{}.Add(Part(ImgEfx, 0, 256, 256, 10, 3, 1, 1)).Done();
constexpr auto kSprEfx_2Keys = Still<2>(0, 65536);
constexpr auto kSprEfx07 = LayoutList<1>{}.Add(Part(ImgEfx07, 0, 256, 256, 0, 0, 256, 256)).Done();
constexpr auto kSprEfx07Keys = Still<2>(0, 5);
constexpr auto kSprEfx_4 = [] {
  LayoutList<5> s;
  for (int x : {65, 129, 113, 97, 81}) s.Add(Part(ImgEfx, 0, 256, 256, x, 2, 8, 7));
  return s.Done();
}();
constexpr auto kSprEfx_5 = LayoutList<2>{}
                               .Add(Part(ImgEfx, 0, 256, 256, 10, 2, 1, 3))
                               .Add(Part(ImgEfx, 0, 256, 256, 6, 118, 64, 8))
                               .Done();
constexpr auto kSprEfx_6 = LayoutList<2>{}
                               .Add(Part(ImgEfx, 0, 256, 256, 10, 3, 1, 2))
                               .Add(Part(ImgEfx, 0, 256, 256, 6, 53, 64, 63))
                               .Done();
constexpr auto kSprEfx_8 = LayoutList<4>{}
                               .Add(Part(ImgEfx, 0, 256, 256, 65, 1, 9, 9))
                               .Add(Part(ImgEfx, 0, 256, 256, 81, 1, 8, 8))
                               .Add(Part(ImgEfx, 0, 256, 256, 97, 1, 8, 8))
                               .Add(Part(ImgEfx, 0, 256, 256, 113, 1, 8, 8))
                               .Done();
constexpr auto kSprEfx_8Keys = Sequence<5>(0, 3, 3);
constexpr auto kSprEfx_9 = LayoutList<1>{}.Add(Part(ImgEfx, 0, 256, 256, 5, 129, 31, 31)).Done();
constexpr auto kSprEfx_9Keys = Still<2>(0, 65536);
constexpr auto kSprEfx_10 = LayoutList<1>{}.Add(Part(ImgEfx, 0, 256, 256, 5, 129, 31, 31)).Done();
constexpr auto kSprEfx_10Keys = Still<2>(0, 65536);
constexpr auto kSprEfx_11 = LayoutList<1>{}.Add(Part(ImgEfx, 0, 256, 256, 10, 3, 1, 1)).Done();
constexpr auto kSprEfx_11Keys = Still<2>(0, 0.5f);

// ---- Shared effect images ----
//
// The irregular sequences below (SprEfx00_1, SprEfx00_4, SprEfx01_4,
// SprEfx03_5, SprEfx04, SprEfx09, SprEfx10) keep the part counts, rows, the
// given positions and the size and pivot ranges of their sheets; the other
// coordinates are our own plain choice (sizes and pivots step evenly from the
// first part to the last, parts sit one pixel apart in their row), and the
// stand-in images are drawn to match.

constexpr int kEfx00_1Parts[15][6] = {
    {0, 0, 20, 18, 10, 6}, {20, 0, 21, 19, 15, 14}, {49, 0, 23, 20, 15, 14}, {81, 0, 24, 21, 15, 14},
    {114, 0, 25, 22, 16, 14}, {148, 0, 27, 23, 16, 14}, {183, 0, 28, 24, 16, 14}, {219, 0, 30, 26, 16, 14},
    {0, 26, 31, 27, 17, 15}, {32, 26, 32, 28, 17, 15}, {65, 26, 34, 29, 17, 15}, {100, 26, 35, 30, 17, 15},
    {136, 26, 36, 31, 18, 15}, {173, 26, 38, 32, 18, 15}, {212, 26, 39, 33, 18, 15},
};
constexpr auto kSprEfx00_1 = Irregular(ImgEfx00, kEfx00_1Parts);
constexpr auto kSprEfx00_2 = [] {
  LayoutList<4> s;
  s.Row(PartP(ImgEfx00, 0, 256, 256, 96, 87, 16, 16, 8, 8), 4, 17);
  return s.Done();
}();
constexpr int kEfx00_4Parts[21][6] = {
    {0, 125, 25, 24, 13, 13}, {26, 125, 26, 25, 13, 13}, {53, 125, 27, 25, 14, 13}, {81, 125, 28, 26, 14, 13},
    {110, 125, 28, 26, 15, 13}, {139, 125, 29, 26, 15, 14}, {0, 151, 30, 27, 15, 14}, {31, 151, 31, 28, 16, 14},
    {63, 151, 32, 28, 16, 14}, {96, 151, 33, 29, 17, 14}, {130, 151, 34, 29, 17, 14}, {165, 151, 34, 30, 17, 14},
    {200, 151, 35, 30, 18, 14}, {0, 185, 36, 31, 18, 14}, {37, 185, 37, 31, 19, 14}, {75, 185, 38, 32, 19, 15},
    {114, 185, 39, 32, 19, 15}, {154, 185, 39, 33, 20, 15}, {0, 219, 40, 33, 20, 15}, {41, 219, 41, 34, 21, 15},
    {83, 219, 42, 34, 21, 15},
};
constexpr auto kSprEfx00_4 = Irregular(ImgEfx00, kEfx00_4Parts);
constexpr auto kSprEfx00_7 = [] {
  LayoutList<6> s;
  s.Row(PartP(ImgEfx00, 0, 256, 256, 135, 225, 15, 15, 7, 7), 6, 16);
  return s.Done();
}();
constexpr auto kSprEfx00_8 = [] {
  LayoutList<14> s;
  s.Row(PartP(ImgEfx00, 0, 256, 256, 0, 61, 23, 23, 12, 12), 4, 24);
  s.Row(PartP(ImgEfx00, 0, 256, 256, 96, 63, 23, 23, 12, 12), 6, 24);
  s.Row(PartP(ImgEfx00, 0, 256, 256, 0, 85, 23, 23, 12, 12), 4, 24);
  return s.Done();
}();
constexpr auto kSprEfx00_1KeysB = Sequence<16>(0, 14, 4, 65535);
constexpr auto kSprEfx00_2KeysA = Sequence<5>(0, 3, 1);
constexpr auto kSprEfx00_2KeysB = KeyLayoutList<3>{}.Key(0, 15).Key(2, 15).End().Done();
constexpr auto kSprEfx00_4KeysB = Sequence<22>(0, 20, 3, 65535);
// Back and forth over parts 0 to 8 twice, ending on part 0.
constexpr auto kSprEfx00_4KeysC = KeyLayoutList<34>{}.Run(0, 8, 3).Run(7, 0, 3).Run(1, 8, 3).Run(7, 0, 3).End().Done();
constexpr auto kSprEfx00_7KeysB = Sequence<7>(0, 5, 10, 65535);
constexpr auto kSprEfx00_8Keys = Sequence<15>(0, 13, 3);

constexpr int kEfx01_4Parts[11][6] = {
    {56, 39, 8, 10, 5, 4}, {92, 56, 21, 21, 10, 10}, {114, 56, 24, 24, 12, 12}, {0, 92, 30, 30, 15, 15},
    {31, 92, 30, 30, 15, 15}, {62, 92, 31, 31, 15, 15}, {94, 92, 31, 31, 15, 15}, {126, 92, 31, 31, 15, 15},
    {158, 92, 32, 32, 16, 16}, {191, 92, 32, 32, 16, 16}, {224, 92, 32, 32, 16, 16},
};
constexpr auto kSprEfx01_4 = Irregular(ImgEfx01, kEfx01_4Parts);
constexpr auto kSprEfx01_4KeysB = Sequence<12>(0, 10, 3, 65535);
constexpr auto kSprEfx01_4KeysC = Sequence<12>(0, 10, 6, 65535);

constexpr auto kSprEfx02_4 = [] {
  LayoutList<10> s;
  s.Add(PartP(ImgEfx02, 0, 256, 256, 1, 165, 45, 45, 22, 44))
      .Row(PartP(ImgEfx02, 0, 256, 256, 46, 166, 45, 45, 22, 44), 4, 45);
  s.Add(PartP(ImgEfx02, 0, 256, 256, 1, 210, 45, 45, 22, 44))
      .Row(PartP(ImgEfx02, 0, 256, 256, 46, 211, 45, 45, 22, 44), 4, 45);
  return s.Done();
}();
constexpr auto kSprEfx02_5 = [] {
  LayoutList<11> s;
  s.Row(PartP(ImgEfx02, 0, 256, 256, 0, 1, 50, 50, 25, 25), 5, 51);
  s.Row(PartP(ImgEfx02, 0, 256, 256, 0, 52, 50, 50, 25, 25), 3, 51);
  s.Row(PartP(ImgEfx02, 0, 256, 256, 0, 103, 50, 50, 25, 25), 3, 51);
  return s.Done();
}();
constexpr auto kSprEfx02_4Keys = Sequence<11>(0, 9, 3);
constexpr auto kSprEfx02_5Keys = Sequence<12>(0, 10, 3);

constexpr auto kSprEfx03_3 = [] {
  LayoutList<6> s;
  s.Row(Part(ImgEfx03, 0, 256, 256, 0, 0, 32, 32), 6, 33);
  return s.Done();
}();
constexpr int kEfx03_5Parts[11][6] = {
    {0, 132, 34, 35, 17, 34}, {35, 132, 35, 36, 18, 35}, {71, 132, 35, 37, 18, 36}, {107, 132, 36, 37, 19, 37},
    {144, 132, 37, 38, 19, 38}, {182, 132, 38, 39, 20, 39}, {0, 172, 38, 40, 20, 39}, {39, 172, 39, 41, 21, 40},
    {79, 172, 40, 41, 21, 41}, {120, 172, 40, 42, 22, 42}, {161, 172, 41, 43, 22, 43},
};
constexpr auto kSprEfx03_5 = Irregular(ImgEfx03, kEfx03_5Parts);
constexpr auto kSprEfx03_3Keys = Sequence<7>(0, 5, 5);
constexpr auto kSprEfx03_5KeysB = Sequence<12>(0, 10, 3, 65535);

constexpr int kEfx04Parts[17][6] = {
    {0, 0, 34, 34, 17, 18}, {35, 0, 36, 36, 18, 19}, {72, 0, 38, 37, 19, 20}, {111, 0, 39, 39, 20, 21},
    {151, 0, 41, 40, 21, 22}, {193, 0, 43, 42, 22, 22}, {0, 48, 45, 43, 23, 23}, {46, 48, 46, 45, 24, 24},
    {93, 48, 48, 47, 25, 25}, {142, 48, 50, 48, 25, 26}, {193, 48, 52, 50, 26, 27}, {0, 110, 53, 51, 27, 28},
    {54, 110, 55, 53, 28, 29}, {110, 110, 57, 54, 29, 29}, {168, 110, 59, 56, 30, 30}, {0, 175, 60, 57, 31, 31},
    {61, 175, 62, 59, 32, 32},
};
constexpr auto kSprEfx04 = Irregular(ImgEfx04, kEfx04Parts);
constexpr auto kSprEfx04KeysB = Sequence<18>(0, 16, 3, 65536);
constexpr auto kSprEfx04KeysC = Sequence<18>(0, 16, 4, 65536);

// The whole 256 x 256 picture cut from 1.5 texels in: its far edges reach
// half a texel past the texture (coordinates up to about 1.002), where the
// sampler wraps to the opposite edge, which carries the same frame.
constexpr auto kSprDashFormJako = LayoutList<2>{}
                                      .Add(Part(ImgDashFormJako, 0, 256, 256, 1.5f, 1.5f, 256, 256))
                                      .Add(Part(ImgDashFormJako, 1, 256, 256, 1.5f, 1.5f, 256, 256))
                                      .Done();
constexpr auto kSprDashFormJakoKeysA = Still<2>(0, 1);
constexpr auto kSprDashFormJakoKeysB = Still<2>(1, 1);
// Every part mirrored left to right.
constexpr auto kSprDashFormBoss = [] {
  constexpr int r[10][4] = {{1, 1, 125, 71},   {1, 73, 85, 29},   {127, 1, 115, 115}, {1, 117, 60, 60},
                            {61, 117, 60, 60}, {122, 117, 60, 60}, {183, 117, 60, 60}, {1, 178, 60, 60},
                            {61, 178, 60, 60}, {122, 178, 60, 60}};
  LayoutList<10> s;
  for (const auto& p : r) s.Add(MirroredU(Part(ImgDashFormBoss, 0, 256, 256, p[0], p[1], p[2], p[3])));
  return s.Done();
}();
constexpr auto kSprDashFormBossKeysA = Still<2>(0, 1);
constexpr auto kSprDashFormBossKeysB = Still<2>(1, 1);
constexpr auto kSprDashFormBossKeysC = Still<2>(2, 1);
constexpr auto kSprDashFormBossKeysD = Still<2>(3, 1);

// Column c of four (x, width) at rows of 32 pixels; part 8c + r.
constexpr auto kSprEfx08 = [] {
  constexpr int cols[4][2] = {{4, 51}, {77, 44}, {127, 68}, {211, 30}};
  LayoutList<32> s;
  for (const auto& c : cols) s.Row(Part(ImgEfx08, 0, 256, 256, c[0], 0, c[1], 32), 8, 0, 32);
  return s.Done();
}();

constexpr int kEfx09Parts[23][6] = {
    {0, 0, 43, 39, 22, 19}, {169, 210, 47, 42, 23, 21}, {44, 0, 46, 41, 23, 20}, {91, 0, 47, 41, 24, 21},
    {139, 0, 49, 42, 24, 22}, {189, 0, 50, 43, 25, 23}, {0, 44, 52, 44, 25, 23}, {53, 44, 53, 45, 26, 24},
    {107, 44, 55, 46, 26, 25}, {163, 44, 56, 46, 27, 26}, {0, 90, 58, 44, 27, 26}, {59, 90, 59, 44, 28, 27},
    {119, 90, 58, 44, 27, 26}, {178, 90, 56, 44, 27, 26}, {0, 134, 55, 41, 26, 25}, {56, 134, 53, 41, 26, 24},
    {110, 134, 52, 41, 25, 23}, {163, 134, 50, 41, 25, 23}, {0, 175, 49, 42, 24, 22}, {50, 175, 47, 41, 24, 21},
    {98, 175, 46, 41, 23, 20}, {0, 218, 44, 38, 23, 20}, {45, 218, 43, 38, 22, 19},
};
constexpr auto kSprEfx09 = Irregular(ImgEfx09, kEfx09Parts);
constexpr auto kSprEfx09KeysA = KeyLayoutList<24>{}
                                    .Times(0, {4.0f, 4, 4, 4, 5, 5, 6, 6, 7, 7, 20, 20, 20, 7, 7, 6, 6, 5, 5, 4, 4, 4, 60})
                                    .End()
                                    .Done();
constexpr auto kSprEfx09KeysB = KeyLayoutList<24>{}
                                    .Times(0, {6.0f, 6, 6, 6, 6, 5, 5, 5, 4, 4, 4, 4, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 60})
                                    .End()
                                    .Done();

constexpr int kEfx10Parts[16][6] = {
    {0, 0, 51, 43, 26, 25}, {52, 0, 52, 44, 26, 26}, {105, 0, 52, 46, 27, 26}, {158, 0, 53, 47, 27, 27},
    {0, 60, 54, 48, 28, 27}, {55, 60, 55, 49, 28, 28}, {111, 60, 55, 51, 29, 28}, {167, 60, 56, 52, 29, 29},
    {0, 125, 57, 53, 30, 29}, {58, 125, 58, 54, 30, 30}, {117, 125, 58, 56, 31, 30}, {176, 125, 59, 57, 31, 31},
    {0, 186, 60, 58, 32, 31}, {61, 186, 61, 59, 32, 32}, {123, 186, 61, 61, 33, 32}, {185, 186, 62, 62, 33, 33},
};
constexpr auto kSprEfx10 = Irregular(ImgEfx10, kEfx10Parts);
constexpr auto kSprEfx10KeysB = Sequence<17>(0, 15, 4, 65535);

constexpr auto kSprEfx11 = LayoutList<2>{}
                               .Add(Part(ImgEfx11, 0, 256, 256, 0, 0, 256, 256))
                               .Add(Part(ImgEfx12, 0, 256, 256, 0, 0, 256, 256))
                               .Done();

// Parts one pixel larger than their textures, so the far coordinate is 1.0.
constexpr auto kSprLensFlare = LayoutList<4>{}
                                   .Add(Part(ImgLensFlare, 0, 32, 32, 0, 0, 33, 33))
                                   .Add(Part(ImgLensFlare, 1, 16, 16, 0, 0, 17, 17))
                                   .Add(Part(ImgLensFlare, 2, 64, 64, 0, 0, 65, 65))
                                   .Add(Part(ImgLensFlare, 3, 64, 64, 0, 0, 65, 65))
                                   .Done();
constexpr auto kSprLensFlareKeysA = Still<2>(0, 1);
constexpr auto kSprLensFlareKeysB = Still<2>(1, 1);
constexpr auto kSprLensFlareKeysC = Still<2>(2, 1);
constexpr auto kSprLensFlareKeysD = Still<2>(3, 1);

}  // namespace

OSTREL_RECT_TABLE(SprEfx02_1)
OSTREL_RECT_TABLE(SprEfx01_1)
OSTREL_RECT_TABLE(SprEfx_1)
OSTREL_RECT_TABLE(SprEfx_2)
OSTREL_RECT_TABLE(SprEfx07)
OSTREL_RECT_TABLE(SprEfx_4)
OSTREL_RECT_TABLE(SprEfx_5)
OSTREL_RECT_TABLE(SprEfx_6)
OSTREL_RECT_TABLE(SprEfx_8)
OSTREL_RECT_TABLE(SprEfx_9)
OSTREL_RECT_TABLE(SprEfx_10)
OSTREL_RECT_TABLE(SprEfx_11)
OSTREL_RECT_TABLE(SprEfx00_1)
OSTREL_RECT_TABLE(SprEfx00_2)
OSTREL_RECT_TABLE(SprEfx00_4)
OSTREL_RECT_TABLE(SprEfx00_7)
OSTREL_RECT_TABLE(SprEfx00_8)
OSTREL_RECT_TABLE(SprEfx01_4)
OSTREL_RECT_TABLE(SprEfx02_4)
OSTREL_RECT_TABLE(SprEfx02_5)
OSTREL_RECT_TABLE(SprEfx03_3)
OSTREL_RECT_TABLE(SprEfx03_5)
OSTREL_RECT_TABLE(SprEfx04)
OSTREL_RECT_TABLE(SprDashFormJako)
OSTREL_RECT_TABLE(SprDashFormBoss)
OSTREL_RECT_TABLE(SprEfx08)
OSTREL_RECT_TABLE(SprEfx09)
OSTREL_RECT_TABLE(SprEfx10)
OSTREL_RECT_TABLE(SprEfx11)
OSTREL_RECT_TABLE(SprLensFlare)
OSTREL_KEY_LIST(SprEfx02_1Keys, SprEfx02_1)
OSTREL_KEY_LIST(SprEfx01_1Keys, SprEfx01_1)
OSTREL_KEY_LIST(SprEfx_1Keys, SprEfx_1)
OSTREL_KEY_LIST(SprEfx_2Keys, SprEfx_2)
OSTREL_KEY_LIST(SprEfx07Keys, SprEfx07)
OSTREL_KEY_LIST(SprEfx_8Keys, SprEfx_8)
OSTREL_KEY_LIST(SprEfx_9Keys, SprEfx_9)
OSTREL_KEY_LIST(SprEfx_10Keys, SprEfx_10)
OSTREL_KEY_LIST(SprEfx_11Keys, SprEfx_11)
OSTREL_KEY_LIST(SprEfx00_1KeysB, SprEfx00_1)
OSTREL_KEY_LIST(SprEfx00_2KeysA, SprEfx00_2)
OSTREL_KEY_LIST(SprEfx00_2KeysB, SprEfx00_2)
OSTREL_KEY_LIST(SprEfx00_4KeysB, SprEfx00_4)
OSTREL_KEY_LIST(SprEfx00_4KeysC, SprEfx00_4)
OSTREL_KEY_LIST(SprEfx00_7KeysB, SprEfx00_7)
OSTREL_KEY_LIST(SprEfx00_8Keys, SprEfx00_8)
OSTREL_KEY_LIST(SprEfx01_4KeysB, SprEfx01_4)
OSTREL_KEY_LIST(SprEfx01_4KeysC, SprEfx01_4)
OSTREL_KEY_LIST(SprEfx02_4Keys, SprEfx02_4)
OSTREL_KEY_LIST(SprEfx02_5Keys, SprEfx02_5)
OSTREL_KEY_LIST(SprEfx03_3Keys, SprEfx03_3)
OSTREL_KEY_LIST(SprEfx03_5KeysB, SprEfx03_5)
OSTREL_KEY_LIST(SprEfx04KeysB, SprEfx04)
OSTREL_KEY_LIST(SprEfx04KeysC, SprEfx04)
OSTREL_KEY_LIST(SprEfx09KeysA, SprEfx09)
OSTREL_KEY_LIST(SprEfx09KeysB, SprEfx09)
OSTREL_KEY_LIST(SprEfx10KeysB, SprEfx10)
OSTREL_KEY_LIST(SprDashFormJakoKeysA, SprDashFormJako)
OSTREL_KEY_LIST(SprDashFormJakoKeysB, SprDashFormJako)
OSTREL_KEY_LIST(SprDashFormBossKeysA, SprDashFormBoss)
OSTREL_KEY_LIST(SprDashFormBossKeysB, SprDashFormBoss)
OSTREL_KEY_LIST(SprDashFormBossKeysC, SprDashFormBoss)
OSTREL_KEY_LIST(SprDashFormBossKeysD, SprDashFormBoss)
OSTREL_KEY_LIST(SprLensFlareKeysA, SprLensFlare)
OSTREL_KEY_LIST(SprLensFlareKeysB, SprLensFlare)
OSTREL_KEY_LIST(SprLensFlareKeysC, SprLensFlare)
OSTREL_KEY_LIST(SprLensFlareKeysD, SprLensFlare)

constinit const EfxSpriteDesc SprEfx07DescA{SprEfx07Keys_store.keys, {0.3f, 0.3f, 0.3f, 1.0f}, {0.3f, 0.3f, 0.3f, 0.0f}, 25, 10};
constinit const EfxSpriteDesc SprEfx07DescB{SprEfx07Keys_store.keys, {0.53f, 0.53f, 0.53f, 0.3f}, {0.53f, 0.53f, 0.53f, 0.3f}, 25, 10};
constinit const EfxSpriteDesc SprEfx04Desc[2] = {
    {SprEfx04KeysC_store.keys, {0.0f, 1.0f, 0.0f, 0.75f}, {0.0f, 1.0f, 0.0f, 0.75f}, 60, 60},
    {SprEfx10KeysB_store.keys, {0.75f, 0.75f, 0.75f, 0.8f}, {0.5f, 0.5f, 0.5f, 0.25f}, 40, 20},
};

namespace {

const TableInfo kTables[] = {
    OSTREL_TABLE_INFO(SprEfx02_1, Flame, 0xff9040),      OSTREL_TABLE_INFO(SprEfx01_1, Spark, 0xffe8a0),
    OSTREL_TABLE_INFO(SprEfx_1, Dot, 0xffffff),          OSTREL_TABLE_INFO(SprEfx_2, Solid, 0xffffff),
    OSTREL_TABLE_INFO(SprEfx07, Smoke, 0xc0c0c0),        OSTREL_TABLE_INFO(SprEfx_4, Dot, 0xffffff),
    OSTREL_TABLE_INFO(SprEfx_5, Solid, 0xffffff),        OSTREL_TABLE_INFO(SprEfx_6, Glow, 0xffffff),
    OSTREL_TABLE_INFO(SprEfx_8, Spark, 0xfff0a0),        OSTREL_TABLE_INFO(SprEfx_9, Dot, 0xffffff),
    OSTREL_TABLE_INFO(SprEfx_10, Dot, 0xffffff),         OSTREL_TABLE_INFO(SprEfx_11, Solid, 0xffffff),
    OSTREL_TABLE_INFO(SprEfx00_1, Smoke, 0xb0b0b0),      OSTREL_TABLE_INFO(SprEfx00_2, Spark, 0x90d0ff),
    OSTREL_TABLE_INFO(SprEfx00_4, Ring, 0x80c0ff),       OSTREL_TABLE_INFO(SprEfx00_7, Ring, 0xffe080),
    OSTREL_TABLE_INFO(SprEfx00_8, Spark, 0xa0ffa0),      OSTREL_TABLE_INFO(SprEfx01_4, Spark, 0xffc060),
    OSTREL_TABLE_INFO(SprEfx02_4, Flame, 0xff9040),      OSTREL_TABLE_INFO(SprEfx02_5, Ring, 0xffa0ff),
    OSTREL_TABLE_INFO(SprEfx03_3, Spark, 0x80ffff),      OSTREL_TABLE_INFO(SprEfx03_5, Flame, 0xff7020),
    OSTREL_TABLE_INFO(SprEfx04, Explosion, 0xffa030),    OSTREL_TABLE_INFO(SprDashFormJako, Marker, 0x60ff60),
    OSTREL_TABLE_INFO(SprDashFormBoss, Marker, 0xff6060), OSTREL_TABLE_INFO(SprEfx08, Explosion, 0xff8040),
    OSTREL_TABLE_INFO(SprEfx09, Explosion, 0xffd040),    OSTREL_TABLE_INFO(SprEfx10, Explosion, 0x60a0ff),
    OSTREL_TABLE_INFO(SprEfx11, Cloud, 0xe0e8f0),        OSTREL_TABLE_INFO(SprLensFlare, Flare, 0xfff0c0),
};
const KeyListInfo kKeyLists[] = {
    OSTREL_KEYS_INFO(SprEfx02_1Keys, SprEfx02_1, 1),     OSTREL_KEYS_INFO(SprEfx01_1Keys, SprEfx01_1, 7),
    OSTREL_KEYS_INFO(SprEfx_1Keys, SprEfx_1, 1),         OSTREL_KEYS_INFO(SprEfx_2Keys, SprEfx_2, 1),
    OSTREL_KEYS_INFO(SprEfx07Keys, SprEfx07, 1),         OSTREL_KEYS_INFO(SprEfx_8Keys, SprEfx_8, 1),
    OSTREL_KEYS_INFO(SprEfx_9Keys, SprEfx_9, 1),         OSTREL_KEYS_INFO(SprEfx_10Keys, SprEfx_10, 1),
    OSTREL_KEYS_INFO(SprEfx_11Keys, SprEfx_11, 1),       OSTREL_KEYS_INFO(SprEfx00_1KeysB, SprEfx00_1, 1),
    OSTREL_KEYS_INFO(SprEfx00_2KeysA, SprEfx00_2, 1),    OSTREL_KEYS_INFO(SprEfx00_2KeysB, SprEfx00_2, 1),
    OSTREL_KEYS_INFO(SprEfx00_4KeysB, SprEfx00_4, 1),    OSTREL_KEYS_INFO(SprEfx00_4KeysC, SprEfx00_4, 1),
    OSTREL_KEYS_INFO(SprEfx00_7KeysB, SprEfx00_7, 1),    OSTREL_KEYS_INFO(SprEfx00_8Keys, SprEfx00_8, 1),
    OSTREL_KEYS_INFO(SprEfx01_4KeysB, SprEfx01_4, 1),    OSTREL_KEYS_INFO(SprEfx01_4KeysC, SprEfx01_4, 1),
    OSTREL_KEYS_INFO(SprEfx02_4Keys, SprEfx02_4, 1),     OSTREL_KEYS_INFO(SprEfx02_5Keys, SprEfx02_5, 1),
    OSTREL_KEYS_INFO(SprEfx03_3Keys, SprEfx03_3, 1),     OSTREL_KEYS_INFO(SprEfx03_5KeysB, SprEfx03_5, 1),
    OSTREL_KEYS_INFO(SprEfx04KeysB, SprEfx04, 1),        OSTREL_KEYS_INFO(SprEfx04KeysC, SprEfx04, 1),
    OSTREL_KEYS_INFO(SprEfx09KeysA, SprEfx09, 1),        OSTREL_KEYS_INFO(SprEfx09KeysB, SprEfx09, 1),
    OSTREL_KEYS_INFO(SprEfx10KeysB, SprEfx10, 1),        OSTREL_KEYS_INFO(SprDashFormJakoKeysA, SprDashFormJako, 1),
    OSTREL_KEYS_INFO(SprDashFormJakoKeysB, SprDashFormJako, 1), OSTREL_KEYS_INFO(SprDashFormBossKeysA, SprDashFormBoss, 1),
    OSTREL_KEYS_INFO(SprDashFormBossKeysB, SprDashFormBoss, 1), OSTREL_KEYS_INFO(SprDashFormBossKeysC, SprDashFormBoss, 1),
    OSTREL_KEYS_INFO(SprDashFormBossKeysD, SprDashFormBoss, 1), OSTREL_KEYS_INFO(SprLensFlareKeysA, SprLensFlare, 1),
    OSTREL_KEYS_INFO(SprLensFlareKeysB, SprLensFlare, 1), OSTREL_KEYS_INFO(SprLensFlareKeysC, SprLensFlare, 1),
    OSTREL_KEYS_INFO(SprLensFlareKeysD, SprLensFlare, 1),
};

}  // namespace

TableGroup EffectTableGroup() { return {kTables, kKeyLists, {}}; }
