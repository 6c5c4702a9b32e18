#include "game/testmode/TestModeYN.h"

#include "game/testmode/TestInput.h"
#include "game/testmode/TestPageDraw.h"

int32_t TestModeYN::Init(SProcArg) {
  SetName("TestModeYN");
  for (SGpObj_PrimQuadFill& q : quads_) q.AllocPrims(1);
  state_ = kClosed;
  answer_ = kYes;
  request_ = 0;
  return 0;
}

int32_t TestModeYN::KillChildren(SProcArg) { return 0; }

int32_t TestModeYN::Main(SProcArg) {
  if (state_ == kClosed) {
    if (request_ != 0) {
      answer_ = kNo;
      request_ = 0;
      state_ = kOpen;
    }
    return 0;
  }
  const TestInput in;
  if (in.Pressed(TestInput::kRight) || in.Pressed(TestInput::kLeft)) {
    answer_ = answer_ == kNo ? kYes : kNo;
  } else if (in.ButtonPressed()) {
    state_ = kClosed;
  } else if (in.Pressed(TestInput::kService) || in.TestSwitch()) {
    answer_ = kCancelled;
    state_ = kClosed;
  }
  return 0;
}

int32_t TestModeYN::Draw(SProcArg) {
  if (state_ != kOpen) return 0;
  const bool yes = answer_ == kYes;
  const TestLayoutRecord& chosen = ConfirmChoiceTable[yes ? 0 : 1];
  const TestLayoutRecord& mark = ConfirmChoiceTable[2];
  const TestLayoutRecord& help = ConfirmHelpTable[yes ? 0 : 1];
  struct Row {
    const TestLayoutRecord& at;
    float x;
    QuadColour colour;
  };
  const Row rows[kQuads] = {
      {ConfirmChoiceTable[0], ConfirmChoiceTable[0].x, ItemColour(yes ? kItemRed : kItemWhite, 1.0f)},
      {ConfirmChoiceTable[1], ConfirmChoiceTable[1].x, ItemColour(yes ? kItemWhite : kItemRed, 1.0f)},
      {mark, chosen.x, kRedColour},
      {help, help.x, kYellowColour},
      {ConfirmGuideTable[0], ConfirmGuideTable[0].x, kGreenColour},
      {ConfirmGuideTable[1], ConfirmGuideTable[1].x, kGreenColour},
      {ConfirmTitleTable[0], ConfirmTitleTable[0].x, kWhiteColour},
  };
  for (int32_t i = 0; i < kQuads; ++i)
    PutSpriteQuad(quads_[i], StripOf(SprTestComm, &rows[i].at), rows[i].x, rows[i].at.y, kAnchorCentre,
                  rows[i].colour);
  return 0;
}
