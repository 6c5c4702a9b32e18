// Pages 1 and 2: the display test (two full-screen pictures) and the input
// test (the state of every control of the cabinet).
#include <iterator>

#include "game/testmode/TestInput.h"
#include "game/testmode/TestMode.h"

namespace {

// The control each row of InputSwitchTable shows.
constexpr int32_t kSwitchInputs[] = {TestInput::kStart, TestInput::kButton1, TestInput::kButton2, TestInput::kUp,
                                     TestInput::kLeft,  TestInput::kRight,   TestInput::kDown};
constexpr int32_t kSwitchOn = 0;
constexpr int32_t kSwitchOff = 1;

constexpr float kPageTop = -320.0f;
constexpr float kTitleY = -296.0f;
constexpr float kFooterY = 272.0f;

constexpr QuadColour kOnColour = Rgba(1.0f, 0.25f, 0.25f, 1.0f);
constexpr QuadColour kOffColour = Rgba(0.25f, 0.25f, 1.0f, 1.0f);
constexpr QuadColour kFooterColour = Rgba(0.25f, 1.0f, 0.25f, 1.0f);

// Service pressed in this frame, or else the test switch on.
bool LeaveRequested(const TestInput& in) { return in.Pressed(TestInput::kService) || in.TestSwitch(); }

}  // namespace

void TestMode::DrawDisplayTestPage() {
  Put(StripAt(SprTestDisp, cursor_), 0.0f, kPageTop, kAnchorCentre, kWhiteColour);
}

void TestMode::RunDisplayTestPage() {
  const TestInput in;
  if (in.ButtonPressed()) cursor_ = (cursor_ + 1) % 2;
  if (LeaveRequested(in)) ReturnToMenu();
}

void TestMode::DrawInputTestPage() {
  Put(StripAt(SprTestInput, 17), 0.0f, kTitleY, kAnchorCentre, kYellowColour);
  for (const TestLayoutRecord& label : InputLabelTable) {
    if (label.index < 0) break;
    PutAt(SprTestInput, &label, kAnchorCentre, kWhiteColour);
  }
  for (const TestLayoutRecord& row : InputSwitchTable) {
    if (row.index < 0) break;
    PutAt(SprTestInput, &row, kAnchorCentre, row.index == kSwitchOn ? kOnColour : kOffColour);
  }
  Put(StripAt(SprTestInput, 16), 0.0f, kFooterY, kAnchorCentre, kFooterColour);
}

void TestMode::RunInputTestPage() {
  const TestInput in;
  // Only the page changes: the menu keeps the item under its cursor.
  if (LeaveRequested(in)) page_ = TEST_PAGE_MENU;
  for (int32_t i = 0; i < static_cast<int32_t>(std::size(kSwitchInputs)); ++i)
    InputSwitchTable[i].index = in.Held(kSwitchInputs[i]) ? kSwitchOn : kSwitchOff;
}
