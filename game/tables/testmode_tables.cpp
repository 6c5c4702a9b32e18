// Test and service mode: text strip tables, display-test pictures and the
// page layouts.
#include "game/tables/testmode_tables.h"

#include "game/tables/registry_macros.h"

namespace {

template <std::size_t N>
constexpr SpecList<N> StripTable(SRsc_Image*& img, float texW, float texH, const int (&widths)[N]) {
  SpecList<N> s;
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
constexpr auto kSprTestDisp = SpecList<2>{}
                                  .Add(Part(ImgTestDisp01, 0, 480, 640, 0, 0, 480, 640))
                                  .Add(Part(ImgTestDisp02, 0, 480, 640, 0, 0, 480, 640))
                                  .Done();

const TableInfo kTables[] = {
    OSTREL_TABLE_INFO(SprTestComm, Label, 0x000000),   OSTREL_TABLE_INFO(SprTestTop, Label, 0x000000),
    OSTREL_TABLE_INFO(SprTestEtc, Label, 0x000000),    OSTREL_TABLE_INFO(SprTestSound, Label, 0x000000),
    OSTREL_TABLE_INFO(SprTestSystem, Label, 0x000000), OSTREL_TABLE_INFO(SprTestInput, Label, 0x000000),
    OSTREL_TABLE_INFO(SprTestDisp, Picture, 0x808080),
};

}  // namespace

TableGroup TestModeTableGroup() { return {kTables, {}, {}}; }
