// The drawing rules the test pages share, and the bounded coin settlement
// at the end of the test mode.
#include <gtest/gtest.h>

#include <chrono>

#include "cabinet/SimCabIoBoard.h"
#include "game/core/GfxObject.h"
#include "game/testmode/TestBarQuads.h"
#include "game/testmode/TestMode.h"
#include "game/testmode/TestPageDraw.h"
#include "platform/input_devices.h"
#include "support/fake_cab_io_driver.h"
#include "vrax/input/SCtrlMan.h"

namespace {

// The four corners of a one-quad primitive: x, y, u, v each.
std::vector<std::vector<float>> Corners(const SGpObj_Prim& q) {
  std::vector<std::vector<float>> out;
  for (int i = 0; i < 4; ++i) {
    const SVec3 p = q.GetVertexPos(i);
    const SVec2 uv = q.GetVertexUV(i);
    out.push_back({p.x, p.y, uv.x, uv.y});
  }
  return out;
}

TEST(TestPageDraw, SpriteQuadByCornerOrByCentre) {
  // SprTestTop strip 1: 84 x 24 at (0, 24) of a 256 x 512 image.
  const float u1 = 83.0f / 256.0f, v0 = 24.0f / 512.0f, v1 = 47.0f / 512.0f;
  SGpObj_PrimQuadFill q;
  ASSERT_EQ(q.AllocPrims(1), 0);
  DrawSpriteQuad(-72.0f, -248.0f, q, SprTestTop[1], kAnchorTopLeft);
  EXPECT_EQ(q.GetActiveCount(), 1);
  EXPECT_EQ(Corners(q), (std::vector<std::vector<float>>{
                            {-72, -248, 0, v0}, {12, -248, u1, v0}, {-72, -224, 0, v1}, {12, -224, u1, v1}}));
  q.Seek(0, 0);
  DrawSpriteQuad(0.0f, -296.0f, q, SprTestTop[1], kAnchorCentre);
  EXPECT_EQ(Corners(q), (std::vector<std::vector<float>>{
                            {-42, -296, 0, v0}, {42, -296, u1, v0}, {-42, -272, 0, v1}, {42, -272, u1, v1}}));
  // Without a strip nothing is written.
  PutSpriteQuad(q, nullptr, 100.0f, 100.0f, kAnchorCentre, kRedColour);
  EXPECT_FLOAT_EQ(q.GetVertexPos(0).x, -42.0f);
}

// Each row: a colour code and the packed colour it gives at alpha 0.5
// (0 for a code that leaves the colour as it was, here opaque green).
TEST(TestPageDraw, ItemColourCodes) {
  const std::pair<int32_t, uint32_t> rows[] = {{0, 0x80FFFFFFu}, {1, 0x80FF0000u},  {16, 0x8000FFFFu},
                                               {17, 0x80FFFF00u}, {2, 0xFF00FF00u}, {15, 0xFF00FF00u},
                                               {18, 0xFF00FF00u}, {-1, 0xFF00FF00u}};
  for (const auto& [code, packed] : rows) {
    SGpObj_PrimQuadFill q;
    q.AllocPrims(1);
    q.SetColour(0.0f, 1.0f, 0.0f, 1.0f);
    SetPrimItemColour(q, code, 0.5f);
    for (int v = 0; v < 4; ++v) EXPECT_EQ(q.GetVertexColour(v), packed) << code;
    GfxObject text;
    text.SetColour(0.0f, 1.0f, 0.0f, 1.0f);
    SetTextItemColour(text, code, 0.5f);
    const float* c = text.GetColour();
    EXPECT_EQ(SGpObj_Prim::PackColour(c[0], c[1], c[2], c[3]), packed) << code;
  }
  EXPECT_EQ(ItemCode(false, false), 0);
  EXPECT_EQ(ItemCode(true, true), 17);
}

// Each row: the value of a centre bar at x -24, 100 wide, and its fill's
// left and right edge (the centre is at 26).
TEST(TestPageDraw, BarsFillFromTheLeftOrFromTheCentre) {
  TestBarQuads bars;
  bars.Prepare();
  const float rows[][3] = {{0.0f, 25.0f, 27.0f}, {-1.0f, -24.0f, 27.0f}, {1.0f, 25.0f, 76.0f}, {-0.5f, 1.0f, 27.0f}};
  for (const auto& r : rows) {
    bars.DrawCentreBar(2, -24.0f, -148.0f, 100.0f, 16.0f, r[0], kItemCyan, 1.0f);
    EXPECT_FLOAT_EQ(bars.Fill(2).GetVertexPos(0).x, r[1]) << r[0];
    EXPECT_FLOAT_EQ(bars.Fill(2).GetVertexPos(1).x, r[2]) << r[0];
    EXPECT_FLOAT_EQ(bars.Back(2).GetVertexPos(1).x, 76.0f);
  }
  EXPECT_EQ(bars.Fill(2).GetVertexColour(0), 0xFF00FFFFu);
  EXPECT_EQ(bars.Back(2).GetVertexColour(3), 0x8000FFFFu);
  // A level bar at ratio 0 has a fill of no width over its back.
  bars.DrawLevelBar(0, -24.0f, -196.0f, 100.0f, 16.0f, 0.0f, kItemYellow, 0.5f);
  EXPECT_FLOAT_EQ(bars.Fill(0).GetVertexPos(0).x, bars.Fill(0).GetVertexPos(1).x);
  EXPECT_FLOAT_EQ(bars.Fill(0).GetVertexPos(2).y, -180.0f);
  EXPECT_EQ(bars.Back(0).GetVertexColour(0), 0x40FFFF00u);  // a quarter: half of the page's half
  bars.DrawLevelBar(3, 0.0f, 0.0f, 1.0f, 1.0f, 1.0f, kItemWhite, 1.0f);  // no such slot: nothing
}

TEST(TestPageDraw, TableLookupsRefuseIndicesOutsideTheTables) {
  EXPECT_EQ(StripAt(SprTestDisp, 1), &SprTestDisp[1]);
  EXPECT_EQ(StripAt(SprTestDisp, 2), nullptr);
  EXPECT_EQ(StripAt(SprTestDisp, -1), nullptr);
  EXPECT_EQ(RecordAt(MenuItemTable, 8), nullptr);
  EXPECT_EQ(StripOf(SprTestEtc, &GameSettingsItemTable[3]), &SprTestComm[12]);  // a named strip
  EXPECT_EQ(StripOf(SprTestInput, &InputLabelTable[9]), nullptr);            // the end record
  EXPECT_STREQ(LabelAt(DifficultyLabels, 4), "VERY HARD");
  EXPECT_STREQ(LabelAt(DifficultyLabels, 5), "?");
  EXPECT_STREQ(LabelAt(ExtendLabels, -1), "?");
  EXPECT_STREQ(LabelAt(ExtendLabels, 1), " 50,000,000\n200,000,000");
}

// A controller manager alone on a board, polled until it is in step.
struct TestModeCoinSettlement : ::testing::Test {
  void SetUp() override {
    plat::SetHostInputEnabled(false);
    plat::ClearInjectedCabInputs();
    SimCabIoBoard::Instance().Reset();
  }
  void TearDown() override { plat::SetHostInputEnabled(true); }
  void Start(SCtrlMan& man) {
    ASSERT_EQ(man.OpenBoard(), 0);
    man.Poll();
    man.Poll();
    ASSERT_EQ(man.BoardStatus(), 1);
  }
};

TEST_F(TestModeCoinSettlement, TakesTheCoinsOff) {
  SCtrlMan man;
  Start(man);
  SimCabIoBoard::Instance().AddCoins(0, 0, 3);
  man.Poll();
  ASSERT_EQ(man.BoardQuery11(0), 3);
  EXPECT_EQ(TestMode::SettleBoardCoins(&man), CoinSettlement::kSettled);
  EXPECT_EQ(SimCabIoBoard::Instance().CoinCount(0, 0), 0);
  SimCabIoBoard::Instance().AddCoins(0, 0, 1);
  SimCabIoBoard::Instance().SetCoinFault(0, 0, true);
  man.Poll();
  EXPECT_EQ(TestMode::SettleBoardCoins(&man), CoinSettlement::kLeftOnBoard);
  EXPECT_EQ(SimCabIoBoard::Instance().CoinCount(0, 0), 1);
  man.CloseBoard();
  EXPECT_EQ(TestMode::SettleBoardCoins(&man), CoinSettlement::kNoBoard);
  EXPECT_EQ(TestMode::SettleBoardCoins(nullptr), CoinSettlement::kNoBoard);
}

TEST_F(TestModeCoinSettlement, GivesUpOnABoardThatKeepsItsCoins) {
  FakeCabIoDriver drv;
  drv.SetUpLinkedBoard();
  drv.regs[0x4140] = 3;  // unit 0, coin counter 0
  ScopedCabIoDriver scoped(&drv);
  SCtrlMan man;
  Start(man);
  ASSERT_EQ(man.BoardQuery11(0), 3);
  drv.failWrite.insert(0x4140);  // the take-off never reaches the counter
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(TestMode::SettleBoardCoins(&man, 4), CoinSettlement::kTimedOut);
  const auto ms =
      std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
  EXPECT_LT(ms, 1000);
  man.CloseBoard();
}

}  // namespace
