// Pages 6 and 7: restore the default settings and clear the ranking file.
// Each asks yes or no itself (the choice in the cursor, no first) and
// returns to the menu after the answer.
#include <cstdio>
#include <cstring>
#include <string>

#include "game/core/RankTable.h"
#include "game/testmode/TestInput.h"
#include "game/testmode/TestMode.h"

struct TestMode::YesNoPage {
  const TestLayoutRecord (&title)[2];
  const TestLayoutRecord (&choice)[3];
  const TestLayoutRecord (&help)[2];
  const TestLayoutRecord (&guide)[2];
};

namespace {

const TestMode::YesNoPage kDefaultsPage{DefaultsTitleTable, YesNoChoiceTable, DefaultsHelpTable, DefaultsGuideTable};
const TestMode::YesNoPage kRankingPage{RankingClearTitleTable, RankingClearChoiceTable, RankingClearHelpTable,
                                       RankingClearGuideTable};

constexpr int32_t kYes = 0;
constexpr int32_t kNo = 1;

}  // namespace

void TestMode::DrawYesNoPage(const YesNoPage& p) {
  if (pageStep_ == 0) return;
  // The title and subtitle are each drawn twice at one place.
  for (const TestLayoutRecord& row : p.title) {
    const QuadColour colour = &row == &p.title[0] ? kYellowColour : kWhiteColour;
    PutAt(SprTestEtc, &row, kAnchorCentre, colour);
    PutAt(SprTestEtc, &row, kAnchorCentre, colour);
  }
  PutAt(SprTestComm, &p.choice[kYes], kAnchorCentre, ItemColour(cursor_ == kYes ? kItemRed : kItemWhite, 1.0f));
  PutAt(SprTestComm, &p.choice[kNo], kAnchorCentre, ItemColour(cursor_ == kNo ? kItemRed : kItemWhite, 1.0f));
  if (const TestLayoutRecord* chosen = RecordAt(p.choice, cursor_ == kYes ? kYes : kNo))
    Put(StripOf(SprTestComm, &p.choice[2]), chosen->x, p.choice[2].y, kAnchorCentre, kRedColour);
  PutAt(SprTestEtc, RecordAt(p.help, cursor_), kAnchorCentre, kYellowColour);
  PutAt(SprTestComm, &p.guide[0], kAnchorCentre, kGreenColour);
  PutAt(SprTestComm, &p.guide[1], kAnchorCentre, kGreenColour);
}

bool TestMode::RunYesNoPage() {
  if (pageStep_ == 0) {
    cursor_ = kNo;
    pageStep_ = 1;
    return false;
  }
  const TestInput in;
  if (in.Pressed(TestInput::kRight) || in.Pressed(TestInput::kLeft)) cursor_ = cursor_ == kYes ? kNo : kYes;
  return in.ButtonPressed();
}

void TestMode::DefaultsPageDraw() { DrawYesNoPage(kDefaultsPage); }
void TestMode::RankingPageDraw() { DrawYesNoPage(kRankingPage); }

void TestMode::DefaultsPageMain() {
  if (!RunYesNoPage()) return;
  if (cursor_ == kYes) {
    std::memcpy(backup_, kDefaultSettings, sizeof backup_);
    std::memcpy(Live(), kDefaultSettings, sizeof kDefaultSettings);
    // The service coin rule waits for the next start: the coin words keep
    // the defaults until then. A save that failed keeps the page, saying so.
    if (!SaveSettings()) return;
  }
  ReturnToMenu();
}

void TestMode::RankingPageMain() {
  // Without a file nothing changes; the table in memory stays either way and
  // the next start builds the default ranking. A file that stays (a
  // directory in its place, a folder it may not be removed from) is told.
  if (!RunYesNoPage()) return;
  std::string why;
  if (cursor_ == kYes && !DeleteRankFile(&why) && !why.empty())
    std::fprintf(stderr, "ranking not cleared: %s\n", why.c_str());
  ReturnToMenu();
}
