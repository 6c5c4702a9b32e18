// Page 0: the menu of the eight pages behind it.
#include "game/testmode/TestInput.h"
#include "game/testmode/TestMode.h"

namespace {

constexpr int32_t kMenuItems = 8;
constexpr float kTitleY = -296.0f;
// The cursor arrow stands 24 units left of the items.
constexpr float kArrowX = -96.0f;
constexpr float kGuideTops[2] = {64.0f, 88.0f};

}  // namespace

void TestMode::DrawMenuPage() {
  if (runState_ == TEST_RUN_RESUMING) return;
  Put(StripAt(SprTestTop, 0), 0.0f, kTitleY, kAnchorCentre, kYellowColour);
  for (int32_t i = 0; i < kMenuItems; ++i)
    PutAt(SprTestTop, &MenuItemTable[i], kAnchorTopLeft, ItemColour(i == cursor_ ? kItemRed : kItemWhite, 1.0f));
  if (const TestLayoutRecord* item = RecordAt(MenuItemTable, cursor_))
    Put(StripAt(SprTestComm, 11), kArrowX, item->y, kAnchorCentre, kRedColour);
  PutAt(SprTestTop, RecordAt(MenuHelpTable, cursor_), kAnchorCentre, kYellowColour);
  Put(StripAt(SprTestTop, 8), 0.0f, kGuideTops[0], kAnchorCentre, kGreenColour);
  Put(StripAt(SprTestTop, 9), 0.0f, kGuideTops[1], kAnchorCentre, kGreenColour);
  versionText_.EnterDefault();
}

void TestMode::RunMenuPage() {
  const TestInput in;
  if (in.Pressed(TestInput::kUp)) cursor_ = (cursor_ + kMenuItems - 1) % kMenuItems;
  if (in.Pressed(TestInput::kDown)) cursor_ = (cursor_ + 1) % kMenuItems;
  if (in.ButtonPressed() && cursor_ >= 0 && cursor_ < kMenuItems) {
    menuCursor_ = cursor_;
    page_ = cursor_ + 1;
    pageStep_ = 0;
  }
}
