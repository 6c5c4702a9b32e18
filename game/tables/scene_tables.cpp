// Sprite tables of the attract, menu and story scenes and two stage objects.
#include "game/tables/scene_tables.h"

#include "game/tables/rect_build.h"
#include "game/tables/registry_macros.h"

namespace {

// {texture, texture width, texture height, x, y, w, h}
template <std::size_t N>
constexpr LayoutList<N> Pieces(SImageSlot& img, const float (&p)[N][7]) {
  LayoutList<N> s;
  for (std::size_t i = 0; i < N; ++i)
    s.Add(Part(img, static_cast<std::uint32_t>(p[i][0]), p[i][1], p[i][2], p[i][3], p[i][4], p[i][5], p[i][6]));
  return s.Done();
}

constexpr float kContinueParts[3][7] = {
    {0, 512, 512, 0, 1, 480, 325}, {1, 512, 128, 0, 73, 179, 32}, {1, 512, 128, 0, 0, 480, 72}};
constexpr auto kSprContinue_1 = Pieces(ImgContinue, kContinueParts);
constexpr auto kSprContinue_2 = Pieces(ImgContinue, kContinueParts);
constexpr float kStaffParts[3][7] = {
    {0, 512, 512, 143, 0, 223, 512}, {1, 512, 512, 143, 0, 223, 512}, {2, 512, 512, 143, 0, 223, 512}};
constexpr auto kSprStaff = Pieces(ImgStaff, kStaffParts);
constexpr float kFull512[1][7] = {{0, 512, 512, 0, 0, 512, 512}};
constexpr auto kSprEnding1 = Pieces(ImgEnding1, kFull512);
constexpr auto kSprEnding2 = Pieces(ImgEnding2, kFull512);
constexpr float kEntryParts[2][7] = {{0, 512, 512, 0, 0, 512, 512}, {1, 512, 512, 0, 0, 463, 478}};
constexpr auto kSprEntry = Pieces(ImgEntry, kEntryParts);
constexpr float kFull256[1][7] = {{0, 256, 256, 0, 0, 256, 256}};
constexpr auto kSprLogo = Pieces(ImgLogo, kFull256);
constexpr float kFull128[1][7] = {{0, 128, 128, 0, 0, 128, 128}};
constexpr auto kSprEnemySe00_2 = Pieces(ImgScene15EnemySe00, kFull128);
constexpr float kOpening1Parts[8][7] = {
    {1, 512, 512, 1, 1, 393, 510},   {2, 512, 512, 1, 1, 510, 285},   {3, 512, 512, 1, 1, 510, 275},
    {4, 512, 512, 1, 1, 255, 255},   {4, 512, 512, 257, 1, 255, 255}, {4, 512, 512, 1, 257, 255, 255},
    {4, 512, 512, 257, 257, 255, 255}, {7, 512, 512, 1, 1, 255, 511}};
constexpr auto kSprOpening_1 = Pieces(ImgOpening, kOpening1Parts);
constexpr float kOpening2Parts[9][7] = {
    {0, 512, 512, 1, 1, 404, 510},   {5, 512, 512, 1, 1, 255, 511}, {5, 512, 512, 257, 1, 255, 511},
    {6, 512, 512, 1, 1, 255, 511},   {6, 512, 512, 257, 2, 255, 511}, {7, 512, 512, 257, 1, 255, 511},
    {8, 512, 512, 1, 1, 511, 511},   {9, 512, 512, 1, 1, 255, 511}, {9, 512, 512, 257, 1, 255, 511}};
constexpr auto kSprOpening_2 = Pieces(ImgOpening, kOpening2Parts);
constexpr float kOpening3Parts[14][7] = {
    {0, 512, 512, 406, 0, 50, 312},  {0, 512, 512, 457, 0, 49, 477},  {1, 512, 512, 396, 0, 97, 397},
    {3, 512, 512, 0, 384, 321, 102}, {3, 512, 512, 0, 333, 254, 50},  {3, 512, 512, 0, 277, 322, 55},
    {2, 512, 512, 0, 290, 58, 199},  {2, 512, 512, 60, 290, 64, 129}, {2, 512, 512, 126, 290, 64, 129},
    {2, 512, 512, 192, 290, 66, 132}, {2, 512, 512, 260, 290, 53, 61}, {2, 512, 512, 260, 353, 60, 134},
    {2, 512, 512, 322, 290, 63, 128}, {2, 512, 512, 387, 290, 55, 131}};
constexpr auto kSprOpening_3 = Pieces(ImgOpening, kOpening3Parts);
constexpr float kRankingParts[4][7] = {{0, 512, 512, 0, 0, 512, 512},
                                       {1, 512, 256, 0, 0, 448, 61},
                                       {1, 512, 256, 1, 99, 467, 42},
                                       {1, 512, 256, 0, 63, 459, 34}};
constexpr auto kSprRanking = Pieces(ImgRanking, kRankingParts);
constexpr float kResultBackParts[2][7] = {{0, 512, 512, 0, 0, 480, 512}, {1, 512, 512, 0, 0, 480, 512}};
constexpr auto kSprResultBack = Pieces(ImgResultBack, kResultBackParts);
// Parts 0 and 1 give texture 0 two different sizes; each part's coordinates
// follow the size written in it.
constexpr float kResultSprParts[4][7] = {{0, 512, 512, 0, 1, 296, 498},
                                         {0, 256, 512, 1, 488, 30, 9},
                                         {1, 256, 128, 1, 1, 132, 40},
                                         {1, 256, 128, 1, 42, 196, 40}};
constexpr auto kSprResultSpr = Pieces(ImgResultSpr, kResultSprParts);
constexpr auto kSprStg01Fog = Pieces(ImgStg01Fog, kFull256);
constexpr auto kSprStg04Hole = Pieces(ImgStg04Hole, kFull256);
constexpr float kTitleParts[6][7] = {{0, 512, 512, 0, 0, 480, 512},  {1, 512, 512, 0, 0, 480, 254},
                                     {1, 512, 512, 0, 255, 480, 120}, {2, 512, 512, 0, 0, 512, 512},
                                     {3, 256, 256, 115, 0, 129, 31},  {3, 256, 256, 0, 0, 114, 118}};
constexpr auto kSprTitle = Pieces(ImgTitle, kTitleParts);
constexpr float kTutorial1Parts[5][7] = {{0, 512, 512, 0, 0, 480, 512},
                                         {1, 512, 512, 0, 0, 479, 190},
                                         {1, 512, 512, 0, 191, 87, 51},
                                         {1, 512, 512, 88, 191, 51, 87},
                                         {1, 512, 512, 210, 230, 220, 25}};
constexpr auto kSprTutorial_1 = Pieces(ImgTutorial, kTutorial1Parts);
// Fourteen caption strips; 10-13 repeat the rectangles of 6-9 on texture 1.
constexpr auto kSprTutorial_2 = [] {
  LayoutList<14> s;
  s.Row(Part(ImgTutorial, 2, 512, 512, 0, 0, 409, 49), 10, 0, 50);
  s.Row(Part(ImgTutorial, 1, 512, 512, 0, 300, 409, 49), 4, 0, 50);
  return s.Done();
}();

}  // namespace

OSTREL_RECT_TABLE(SprContinue_1)
OSTREL_RECT_TABLE(SprContinue_2)
OSTREL_RECT_TABLE(SprStaff)
OSTREL_RECT_TABLE(SprEnding1)
OSTREL_RECT_TABLE(SprEnding2)
OSTREL_RECT_TABLE(SprEntry)
OSTREL_RECT_TABLE(SprLogo)
OSTREL_RECT_TABLE(SprEnemySe00_2)
OSTREL_RECT_TABLE(SprOpening_1)
OSTREL_RECT_TABLE(SprOpening_2)
OSTREL_RECT_TABLE(SprOpening_3)
OSTREL_RECT_TABLE(SprRanking)
OSTREL_RECT_TABLE(SprResultBack)
OSTREL_RECT_TABLE(SprResultSpr)
OSTREL_RECT_TABLE(SprStg01Fog)
OSTREL_RECT_TABLE(SprStg04Hole)
OSTREL_RECT_TABLE(SprTitle)
OSTREL_RECT_TABLE(SprTutorial_1)
OSTREL_RECT_TABLE(SprTutorial_2)

namespace {

const TableInfo kTables[] = {
    OSTREL_TABLE_INFO(SprContinue_1, Picture, 0x304880),  OSTREL_TABLE_INFO(SprContinue_2, Picture, 0x304880),
    OSTREL_TABLE_INFO(SprStaff, Picture, 0x404040),       OSTREL_TABLE_INFO(SprEnding1, Picture, 0x804830),
    OSTREL_TABLE_INFO(SprEnding2, Picture, 0x308048),     OSTREL_TABLE_INFO(SprEntry, Picture, 0x503080),
    OSTREL_TABLE_INFO(SprLogo, Picture, 0x2060a0),        OSTREL_TABLE_INFO(SprEnemySe00_2, Enemy, 0x6fb0ff),
    OSTREL_TABLE_INFO(SprOpening_1, Picture, 0x203060),   OSTREL_TABLE_INFO(SprOpening_2, Picture, 0x602030),
    OSTREL_TABLE_INFO(SprOpening_3, Picture, 0x306020),   OSTREL_TABLE_INFO(SprRanking, Picture, 0x605020),
    OSTREL_TABLE_INFO(SprResultBack, Picture, 0x203850),  OSTREL_TABLE_INFO(SprResultSpr, Label, 0x3080c0),
    OSTREL_TABLE_INFO(SprStg01Fog, Cloud, 0xd0d8e0),      OSTREL_TABLE_INFO(SprStg04Hole, Ring, 0x404858),
    OSTREL_TABLE_INFO(SprTitle, Picture, 0x182848),       OSTREL_TABLE_INFO(SprTutorial_1, Picture, 0x284830),
    OSTREL_TABLE_INFO(SprTutorial_2, Label, 0x284830),
};

}  // namespace

TableGroup SceneTableGroup() { return {kTables, {}, {}}; }
