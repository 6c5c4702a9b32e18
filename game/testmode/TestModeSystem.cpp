// Page 4: the system settings. The coin mode (service, coin play, free
// play), the coins and credits of a coin unit and the coins to continue in
// coin play, the continue and the attract sound; kept or discarded through
// the confirmation.
#include <algorithm>

#include "game/testmode/TestInput.h"
#include "game/testmode/TestMode.h"

int32_t ManualCoinSettings[3] = {1, 1, 1};

void RestoreManualCoinSettings(int32_t* settings) {
  settings[SettingsWord::coinUnit] = ManualCoinSettings[0];
  settings[SettingsWord::creditsPerUnit] = ManualCoinSettings[1];
  settings[SettingsWord::continueCoins] = ManualCoinSettings[2];
}

void SaveManualCoinSettings(int32_t* settings) {
  ManualCoinSettings[0] = settings[SettingsWord::coinUnit];
  ManualCoinSettings[1] = settings[SettingsWord::creditsPerUnit];
  ManualCoinSettings[2] = settings[SettingsWord::continueCoins];
}

namespace {

enum SystemItem : int32_t {
  kItemCoinMode,
  kItemCoinUnit,
  kItemCredits,
  kItemContinueCoins,
  kItemContinue,
  kItemAttractSound,
  kItemExit,
  kSystemItems
};

// Rows of SystemValueTable.
enum SystemValue : int32_t {
  kValueCoinPlay = 0,
  kValueFreePlay = 1,
  kValueCoinUnit = 2,
  kValueCredits = 3,
  kValueContinueAll = 4,
  kValueContinueUnit = 5,
  kValueContinueOn = 6,
  kValueContinueOff = 7,
  kValueAttractOn = 8,
  kValueAttractOff = 9,
  kValueService = 10,
};

constexpr float kTitleY = -296.0f;
constexpr float kArrowX = -174.0f;
constexpr float kNumberX = 0.0f;

bool IsCoinItem(int32_t item) { return item >= kItemCoinUnit && item <= kItemContinueCoins; }

// The coin rows are shown and reachable only in coin play.
bool CoinRowsShown(const int32_t* s) { return s[SettingsWord::coinPlay] != 0 && s[SettingsWord::serviceCoins] == 0; }

void Toggle(int32_t& word) { word = word == 0 ? 1 : 0; }

// One step of the coin mode: right cycles service, coin play, free play;
// left the other way round.
void StepCoinMode(int32_t* s, int32_t step) {
  const bool service = s[SettingsWord::serviceCoins] != 0;
  const bool coinPlay = !service && s[SettingsWord::coinPlay] == 1;
  const bool toService = step > 0 ? (!service && !coinPlay) : coinPlay;
  if (toService) {
    SaveManualCoinSettings(s);
    ApplyServiceCoinSettings(s);
    return;
  }
  const bool toCoinPlay = step > 0 ? service : (!service && !coinPlay);
  s[SettingsWord::serviceCoins] = 0;
  s[SettingsWord::coinPlay] = toCoinPlay ? 1 : 0;
  if (service) RestoreManualCoinSettings(s);
}

}  // namespace

void TestMode::RunSystemPage() {
  switch (pageStep_) {
    case 0:
      cursor_ = 0;
      TakeBackup();
      pageStep_ = 1;
      break;
    case 1: EditSystemSettings(); break;
    case 2: AnswerSystemSettings(); break;
    case 3: ReturnToMenu(); break;
    default: break;
  }
}

void TestMode::EditSystemSettings() {
  const TestInput in;
  int32_t* s = Live();
  if (in.Pressed(TestInput::kUp)) {
    cursor_ = (cursor_ + kSystemItems - 1) % kSystemItems;
    if (s[SettingsWord::coinPlay] == 0 && IsCoinItem(cursor_)) cursor_ = kItemCoinMode;
    if (s[SettingsWord::serviceCoins] != 0 && IsCoinItem(cursor_)) cursor_ = kItemCoinMode;
  }
  if (in.Pressed(TestInput::kDown)) {
    cursor_ = (cursor_ + 1) % kSystemItems;
    if (s[SettingsWord::coinPlay] == 0 && IsCoinItem(cursor_)) cursor_ = kItemContinue;
    if (s[SettingsWord::serviceCoins] != 0 && IsCoinItem(cursor_)) cursor_ = kItemContinue;
  }
  const int32_t step = in.Step(&TestInput::Pressed);
  const bool manual = s[SettingsWord::serviceCoins] == 0;
  if (step != 0) {
    switch (cursor_) {
      case kItemCoinMode: StepCoinMode(s, step); break;
      case kItemCoinUnit:
        if (manual) {
          const int32_t before = s[SettingsWord::coinUnit];
          s[SettingsWord::coinUnit] = std::clamp(before + step, 1, 4);
          if (s[SettingsWord::coinUnit] != before) s[SettingsWord::continueCoins] = s[SettingsWord::coinUnit];
        }
        break;
      case kItemCredits:
        if (manual) {
          const int32_t v = s[SettingsWord::creditsPerUnit] + step;
          if (v < 1) {
            s[SettingsWord::creditsPerUnit] = 1;
          } else if (v > 4) {
            s[SettingsWord::creditsPerUnit] = 4;
            s[SettingsWord::continueCoins] = s[SettingsWord::coinUnit];
          } else {
            s[SettingsWord::creditsPerUnit] = v;
            if (v != 1) s[SettingsWord::continueCoins] = s[SettingsWord::coinUnit];
          }
        }
        break;
      case kItemContinueCoins:
        if (manual) {
          int32_t v = std::max(s[SettingsWord::continueCoins] + step, 1);
          if (v > s[SettingsWord::coinUnit]) v = s[SettingsWord::coinUnit];
          if (s[SettingsWord::creditsPerUnit] != 1) v = s[SettingsWord::coinUnit];
          s[SettingsWord::continueCoins] = v;
        }
        break;
      case kItemContinue: Toggle(s[SettingsWord::continueOn]); break;
      case kItemAttractSound: Toggle(s[SettingsWord::attractSound]); break;
      default: break;
    }
  }
  if (in.ButtonPressed() && cursor_ == kItemExit) {
    AskToKeepChanges();
  }
}

void TestMode::AnswerSystemSettings() {
  static constexpr int32_t kSystemWords[] = {SettingsWord::coinUnit, SettingsWord::creditsPerUnit, SettingsWord::continueCoins, SettingsWord::coinPlay,
                                             SettingsWord::continueOn, SettingsWord::attractSound, SettingsWord::serviceCoins};
  AnswerKeepChanges(kSystemWords, 7);
}

void TestMode::DrawSystemPage() {
  if (pageStep_ == 0) return;
  const float a = pageStep_ == 2 ? 0.5f : 1.0f;
  const int32_t* s = Live();
  const bool coinRows = CoinRowsShown(s);
  Put(StripAt(SprTestSystem, 0), 0.0f, kTitleY, kAnchorCentre, kYellowColour);
  // The table's eighth record shares the seventh's row; the page has seven
  // items.
  for (int32_t i = 0; i < kSystemItems; ++i) {
    if (IsCoinItem(i) && !coinRows) continue;
    PutAt(SprTestSystem, &SystemItemTable[i], kAnchorTopLeft, ItemColour(ItemCode(i == cursor_, false), a));
  }
  if (const TestLayoutRecord* item = RecordAt(SystemItemTable, cursor_); item && cursor_ < kSystemItems)
    Put(StripAt(SprTestComm, 11), kArrowX, item->y, kAnchorCentre, Rgba(1.0f, 0.0f, 0.0f, a));
  auto value = [&](int32_t row, int32_t code) {
    PutAt(SprTestSystem, RecordAt(SystemValueTable, row), kAnchorTopLeft, ItemColour(code, a));
  };
  const int32_t modeRow = s[SettingsWord::serviceCoins] != 0 ? kValueService : s[SettingsWord::coinPlay] == 1 ? kValueCoinPlay : kValueFreePlay;
  value(modeRow, ItemCode(cursor_ == kItemCoinMode, s[SettingsWord::coinPlay] == defaults_[SettingsWord::coinPlay]));
  if (coinRows) {
    const int32_t unitCode = ItemCode(cursor_ == kItemCoinUnit, s[SettingsWord::coinUnit] == defaults_[SettingsWord::coinUnit]);
    PutText(0, kNumberX, SystemItemTable[kItemCoinUnit].y, unitCode, a, "%d", s[SettingsWord::coinUnit]);
    value(kValueCoinUnit, unitCode);
    const int32_t creditCode =
        ItemCode(cursor_ == kItemCredits, s[SettingsWord::creditsPerUnit] == defaults_[SettingsWord::creditsPerUnit]);
    PutText(1, kNumberX, SystemItemTable[kItemCredits].y, creditCode, a, "%d", s[SettingsWord::creditsPerUnit]);
    value(kValueCredits, creditCode);
    const bool whole = s[SettingsWord::continueCoins] == s[SettingsWord::coinUnit];
    const int32_t continueCode = ItemCode(cursor_ == kItemContinueCoins,
                                          whole && defaults_[SettingsWord::continueCoins] == defaults_[SettingsWord::coinUnit]);
    if (whole) {
      value(kValueContinueAll, continueCode);
    } else {
      PutText(2, kNumberX, SystemItemTable[kItemContinueCoins].y, continueCode, a, "%d", s[SettingsWord::continueCoins]);
      value(kValueContinueUnit, continueCode);
    }
  }
  value(s[SettingsWord::continueOn] != 0 ? kValueContinueOn : kValueContinueOff,
        ItemCode(cursor_ == kItemContinue, s[SettingsWord::continueOn] == defaults_[SettingsWord::continueOn]));
  value(s[SettingsWord::attractSound] != 0 ? kValueAttractOn : kValueAttractOff,
        ItemCode(cursor_ == kItemAttractSound, s[SettingsWord::attractSound] == defaults_[SettingsWord::attractSound]));
  if (pageStep_ == 1) PutHelp(SprTestSystem, SystemHelpTable, SystemGuideTable, cursor_);
}
