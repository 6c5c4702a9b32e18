// Test and service mode: text strip tables, display-test pictures and the
// page layouts.
#include "game/tables/testmode_tables.h"

#include "game/tables/ScreenEdges.h"
#include "game/tables/rect_build.h"
#include "game/tables/registry_macros.h"

namespace {

template <std::size_t N>
constexpr LayoutList<N> StripTable(SImageSlot& img, float texW, float texH, const int (&widths)[N]) {
  LayoutList<N> s;
  s.Strips(img, texW, texH, widths);
  return s.Done();
}

constexpr int kTestCommWidths[] = {120, 180, 144, 156, 36, 48, 60, 240, 96, 240, 240, 24, 36};
constexpr int kTestTopWidths[] = {168, 84, 96, 96, 84, 120, 132, 120, 240, 96,
                                  168, 255, 228, 180, 96, 180, 144, 96, 96};
constexpr int kTestEtcWidths[] = {96, 48, 48, 48, 156, 120, 144, 216, 204, 216, 144, 228, 156, 168, 96, 132, 84, 132};
constexpr int kTestSoundWidths[] = {120, 36, 60, 48, 60, 72, 72, 36, 24, 24, 24,
                                    24, 240, 240, 192, 192, 108, 120, 144, 144, 156};
constexpr int kTestSystemWidths[] = {120, 108, 84, 96, 48, 84, 144, 108, 120, 36, 36,
                                     96, 36, 228, 276, 288, 240, 120, 156, 144, 144};
constexpr int kTestInputWidths[] = {36, 48, 84, 84, 96, 96, 72, 72, 72, 72, 132, 24, 24, 24, 24, 24, 256, 96};

constexpr auto kSprTestComm = StripTable(ImgTestComm, 256, 512, kTestCommWidths);
constexpr auto kSprTestTop = StripTable(ImgTestTop, 256, 512, kTestTopWidths);
constexpr auto kSprTestEtc = StripTable(ImgTestEtc, 256, 512, kTestEtcWidths);
constexpr auto kSprTestSound = StripTable(ImgTestSound, 256, 512, kTestSoundWidths);
constexpr auto kSprTestSystem = StripTable(ImgTestSystem, 512, 512, kTestSystemWidths);
constexpr auto kSprTestInput = StripTable(ImgTestInput, 256, 512, kTestInputWidths);
constexpr auto kSprTestDisp = LayoutList<2>{}
                                  .Add(Part(ImgTestDisp01, 0, 480, 640, 0, 0, 480, 640))
                                  .Add(Part(ImgTestDisp02, 0, 480, 640, 0, 0, 480, 640))
                                  .Done();

}  // namespace

OSTREL_RECT_TABLE(SprTestComm)
OSTREL_RECT_TABLE(SprTestTop)
OSTREL_RECT_TABLE(SprTestEtc)
OSTREL_RECT_TABLE(SprTestSound)
OSTREL_RECT_TABLE(SprTestSystem)
OSTREL_RECT_TABLE(SprTestInput)
OSTREL_RECT_TABLE(SprTestDisp)

namespace {

// Rows below the top edge, and the three rows above the bottom edge
// (help line 224, guide lines 248 and 272).
constexpr float Top(float d) { return ScreenMinY + d; }
constexpr float Bottom(float d) { return (ScreenMaxY - 24.0f) - d; }
constexpr float kHelpY = Bottom(72);
constexpr float kGuide1Y = Bottom(48);
constexpr float kGuide2Y = Bottom(24);
constexpr TestLayoutRecord At(float x, float y, int32_t index) { return {x, y, index, nullptr}; }
constexpr TestLayoutRecord Strip(float x, float y, const SGpRect& part, int32_t index) {
  return {x, y, index, &part};
}
constexpr TestLayoutRecord kEnd{0.0f, 0.0f, -1, nullptr};
// Guide line pairs (9 over 10), the last pair 9 over 8.
#define OSTREL_GUIDE_PAIR At(0, kGuide1Y, 9), At(0, kGuide2Y, 10)
#define OSTREL_LAST_GUIDE_PAIR At(0, kGuide1Y, 9), At(0, kGuide2Y, 8)

}  // namespace

constinit const TestLayoutRecord MenuItemTable[8] = {
    At(-72, Top(72), 1),  At(-72, Top(96), 18),  At(-72, Top(120), 2), At(-72, Top(144), 3),
    At(-72, Top(168), 4), At(-72, Top(216), 5), At(-72, Top(240), 6), At(-72, Top(264), 7)};
constinit const TestLayoutRecord MenuHelpTable[8] = {
    At(10, Top(360), 10), At(10, Top(360), 11), At(10, Top(360), 12), At(10, Top(360), 13),
    At(10, Top(360), 14), At(10, Top(360), 15), At(10, Top(360), 16), At(10, Top(360), 17)};
constinit const TestLayoutRecord InputLabelTable[10] = {
    At(-100, Top(144), 4),  At(-100, Top(192), 6), At(-100, Top(216), 7), At(-100, Top(240), 8),
    At(-100, Top(360), 11), At(-124, Top(384), 12), At(-100, Top(384), 15), At(-76, Top(384), 13),
    At(-100, Top(408), 14), kEnd};
constinit TestLayoutRecord InputSwitchTable[8] = {
    At(-28, Top(192), 1),  At(-28, Top(216), 1), At(-28, Top(240), 1),  At(-100, Top(336), 1),
    At(-160, Top(384), 1), At(-40, Top(384), 1), At(-100, Top(432), 1), kEnd};
constinit const TestLayoutRecord SoundItemTable[7] = {
    At(-124, Top(72), 1),  At(-124, Top(96), 3),  At(-124, Top(120), 4), At(-124, Top(144), 5),
    At(-124, Top(168), 6), At(-124, Top(192), 7), kEnd};
constinit const TestLayoutRecord SoundMarkTable[7] = {
    At(-34, Top(120), 9),  At(88, Top(120), 8),  At(-34, Top(144), 9), At(88, Top(144), 8),
    At(-34, Top(168), 10), At(88, Top(168), 11), kEnd};
constinit const TestLayoutRecord SoundHelpTable[7] = {
    At(0, kHelpY, 14), At(0, kHelpY, 15), At(0, kHelpY, 16), At(0, kHelpY, 17),
    At(0, kHelpY, 18), At(0, kHelpY, 19), kEnd};
constinit const TestLayoutRecord SoundGuideTable[12] = {
    OSTREL_GUIDE_PAIR, OSTREL_GUIDE_PAIR, OSTREL_GUIDE_PAIR, OSTREL_GUIDE_PAIR, OSTREL_GUIDE_PAIR,
    OSTREL_LAST_GUIDE_PAIR};
constinit const TestLayoutRecord SystemItemTable[8] = {
    At(-150, Top(72), 1),  At(-150, Top(96), 4),  At(-150, Top(120), 5), At(-150, Top(144), 6),
    At(-150, Top(168), 7), At(-150, Top(192), 11), At(-150, Top(216), 12), At(-150, Top(216), 20)};
constinit const TestLayoutRecord SystemValueTable[11] = {
    At(50, Top(72), 2),  At(50, Top(72), 3),   At(50, Top(96), 4),  At(50, Top(120), 5),
    At(50, Top(144), 8), At(50, Top(144), 4),  At(50, Top(168), 9), At(50, Top(168), 10),
    At(50, Top(192), 9), At(50, Top(192), 10), At(50, Top(72), 20)};
constinit const TestLayoutRecord SystemHelpTable[7] = {
    At(0, kHelpY, 13), At(0, kHelpY, 14), At(0, kHelpY, 15), At(0, kHelpY, 16),
    At(0, kHelpY, 17), At(0, kHelpY, 18), At(0, kHelpY, 19)};
constinit const TestLayoutRecord SystemGuideTable[14] = {
    OSTREL_GUIDE_PAIR, OSTREL_GUIDE_PAIR, OSTREL_GUIDE_PAIR, OSTREL_GUIDE_PAIR,
    OSTREL_GUIDE_PAIR, OSTREL_GUIDE_PAIR, OSTREL_LAST_GUIDE_PAIR};
// Records naming their strip directly also carry its index in its table.
constinit const TestLayoutRecord GameSettingsItemTable[4] = {
    Strip(-100, Top(72), SprTestEtc_store.parts[1], 1), Strip(-100, Top(96), SprTestEtc_store.parts[14], 14),
    Strip(-100, Top(120), SprTestEtc_store.parts[16], 16),
    Strip(-100, Top(168), SprTestComm_store.parts[12], 12)};
constinit const TestLayoutRecord GameSettingsHelpTable[4] = {
    At(0, kHelpY, 4), At(0, kHelpY, 15), At(0, kHelpY, 17), At(0, kHelpY, 5)};
constinit const TestLayoutRecord GameSettingsGuideTable[8] = {
    OSTREL_GUIDE_PAIR, OSTREL_GUIDE_PAIR, OSTREL_GUIDE_PAIR, OSTREL_LAST_GUIDE_PAIR};
constinit const TestLayoutRecord DefaultsTitleTable[2] = {
    Strip(0, Top(24), SprTestEtc_store.parts[10], 10), Strip(0, -48, SprTestEtc_store.parts[11], 11)};
constinit const TestLayoutRecord YesNoChoiceTable[3] = {At(-50, 0, 4), At(50, 0, 5), At(50, 0, 6)};
constinit const TestLayoutRecord DefaultsHelpTable[2] = {At(10, kHelpY, 12), At(10, kHelpY, 13)};
constinit const TestLayoutRecord DefaultsGuideTable[2] = {At(10, kGuide1Y, 7), At(10, kGuide2Y, 8)};
constinit const TestLayoutRecord RankingClearTitleTable[2] = {
    Strip(0, Top(24), SprTestEtc_store.parts[6], 6), Strip(0, -48, SprTestEtc_store.parts[7], 7)};
constinit const TestLayoutRecord RankingClearChoiceTable[3] = {At(-50, 0, 4), At(50, 0, 5), At(50, 0, 6)};
constinit const TestLayoutRecord RankingClearHelpTable[2] = {At(10, kHelpY, 8), At(10, kHelpY, 9)};
constinit const TestLayoutRecord RankingClearGuideTable[2] = {At(10, kGuide1Y, 7), At(10, kGuide2Y, 8)};
constinit const TestLayoutRecord ConfirmChoiceTable[3] = {At(-50, 0, 4), At(50, 0, 5), At(50, 0, 6)};
constinit const TestLayoutRecord ConfirmHelpTable[2] = {At(0, kHelpY, 2), At(0, kHelpY, 3)};
constinit const TestLayoutRecord ConfirmGuideTable[2] = {At(0, kGuide1Y, 7), At(0, kGuide2Y, 8)};
constinit const TestLayoutRecord ConfirmTitleTable[1] = {At(0, -48, 1)};

#undef OSTREL_GUIDE_PAIR
#undef OSTREL_LAST_GUIDE_PAIR

namespace {

const TableInfo kTables[] = {
    OSTREL_TABLE_INFO(SprTestComm, Label, 0x000000),   OSTREL_TABLE_INFO(SprTestTop, Label, 0x000000),
    OSTREL_TABLE_INFO(SprTestEtc, Label, 0x000000),    OSTREL_TABLE_INFO(SprTestSound, Label, 0x000000),
    OSTREL_TABLE_INFO(SprTestSystem, Label, 0x000000), OSTREL_TABLE_INFO(SprTestInput, Label, 0x000000),
    OSTREL_TABLE_INFO(SprTestDisp, Picture, 0x808080),
};

}  // namespace

TableGroup TestModeTableGroup() { return {kTables, {}, {}}; }
