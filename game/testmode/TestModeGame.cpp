// Page 5: the game settings (difficulty, lives, extend scores), kept or
// discarded through the confirmation when the operator leaves.
#include <algorithm>

#include "game/core/Game.h"
#include "game/testmode/TestInput.h"
#include "game/testmode/TestMode.h"

const char DifficultyLabels[5][10] = {"VERY EASY", "EASY", "NORMAL", "HARD", "VERY HARD"};
const char ExtendLabels[6][26] = {
    "NOTHING",
    " 50,000,000\n200,000,000",
    "100,000,000\n250,000,000",
    "150,000,000\n300,000,000",
    "200,000,000\n350,000,000",
    "250,000,000\n400,000,000",
};

namespace {

enum GameItem : int32_t { kItemDifficulty, kItemLives, kItemExtend, kItemExit, kGameItems };

struct GameWord {
  int32_t word;
  int32_t low, high;
};
constexpr GameWord kGameWords[3] = {
    {SettingsWord::difficulty, 0, 4},
    {SettingsWord::lives, 1, 5},
    {SettingsWord::extendRow, 0, 5},
};

constexpr float kTitleY = -296.0f;
constexpr float kValueX = 0.0f;
// The cursor arrow stands this far left of the items.
constexpr float kArrowOffset = 24.0f;

}  // namespace

void TestMode::RunGameSettingsPage() {
  switch (pageStep_) {
    case 0:
      TakeBackup();
      cursor_ = 0;
      pageStep_ = 1;
      break;
    case 1: EditGameSettings(); break;
    case 2: AnswerGameSettings(); break;
    case 3: ReturnToMenu(); break;
    default: break;
  }
}

void TestMode::EditGameSettings() {
  const TestInput in;
  if (in.Pressed(TestInput::kUp)) cursor_ = (cursor_ + kGameItems - 1) % kGameItems;
  if (in.Pressed(TestInput::kDown)) cursor_ = (cursor_ + 1) % kGameItems;
  const int32_t step = in.Step(&TestInput::Pressed);
  if (step != 0 && cursor_ >= 0 && cursor_ < kItemExit) {
    const GameWord& w = kGameWords[cursor_];
    int32_t& v = Live()[w.word];
    v = std::clamp(v + step, w.low, w.high);
  }
  if (in.ButtonPressed() && cursor_ == kItemExit) {
    AskToKeepChanges();
  }
}

void TestMode::AnswerGameSettings() {
  static constexpr int32_t kAll[kSettingsCount] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14};
  AnswerKeepChanges(kAll, kSettingsCount);
}

void TestMode::DrawGameSettingsPage() {
  if (pageStep_ == 0) return;
  const float a = pageStep_ == 2 ? 0.5f : 1.0f;
  Put(StripAt(SprTestEtc, 0), 0.0f, kTitleY, kAnchorCentre, kYellowColour);
  for (int32_t i = 0; i < kGameItems; ++i)
    PutAt(SprTestEtc, &GameSettingsItemTable[i], kAnchorTopLeft, ItemColour(ItemCode(i == cursor_, false), a));
  if (const TestLayoutRecord* item = RecordAt(GameSettingsItemTable, cursor_))
    Put(StripAt(SprTestComm, 11), item->x - kArrowOffset, item->y, kAnchorCentre, Rgba(1.0f, 0.0f, 0.0f, a));
  const int32_t* live = Live();
  for (int32_t i = 0; i < kItemExit; ++i) {
    const int32_t word = kGameWords[i].word;
    const int32_t v = live[word];
    const int32_t code = ItemCode(i == cursor_, v == defaults_[word]);
    const float y = GameSettingsItemTable[i].y;
    if (i == kItemDifficulty) PutText(i, kValueX, y, code, a, "%s", LabelAt(DifficultyLabels, v));
    if (i == kItemLives) PutText(i, kValueX, y, code, a, "%d", v + 1);
    if (i == kItemExtend) PutText(i, kValueX, y, code, a, "%s", LabelAt(ExtendLabels, v));
  }
  if (pageStep_ == 1) PutHelp(SprTestEtc, GameSettingsHelpTable, GameSettingsGuideTable, cursor_);
}
