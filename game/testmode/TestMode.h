#pragma once
// The operator's test and service mode: one process that the game root adds
// to its list 7 when the test switch is turned on, after ending everything
// else. It shows one page at a time: the menu, and behind it the display
// and input tests, the sound page, the system (coin) and game settings, the
// restoring of the default settings, the clearing of the ranking and the
// exit. Settings pages edit the game's live settings in place and save the
// settings file when the operator keeps the changes. Play never resumes:
// leaving tells the network service and closes the main window.
//
// The pages are split over several sources by page (TestModeMenu,
// TestModeIo, TestModeSound, TestModeSystem, TestModeGame, TestModeReset,
// TestModeExit); the frame, its set-up and the drawing helpers are here.
#include <cstdint>

#include "game/core/GfxObject.h"
#include "game/core/SystemFile.h"
#include "game/testmode/TestBarQuads.h"
#include "game/testmode/TestModeYN.h"
#include "game/testmode/TestPageDraw.h"
#include "vrax/graphic/SGpObj_Prim.h"
#include "vrax/kernel/SProc.h"

class SCtrlMan;

// Non-zero once the test mode has started (the graphic manager then leaves
// out the background of the service's count-down overlay).
uint8_t IsTestMode();

enum TestPage : int32_t {
  TEST_PAGE_MENU = 0,
  TEST_PAGE_DISPLAY = 1,
  TEST_PAGE_INPUT = 2,
  TEST_PAGE_SOUND = 3,
  TEST_PAGE_SYSTEM = 4,
  TEST_PAGE_GAME = 5,
  TEST_PAGE_DEFAULTS = 6,
  TEST_PAGE_RANKING = 7,
  TEST_PAGE_EXIT = 8,
};

enum TestRunState : int32_t {
  TEST_RUN_STARTING = -1,
  TEST_RUN_LOADING = 0,
  TEST_RUN_RESUMING = 1,
  TEST_RUN_RUNNING = 2,
};

// How the coins still on the I/O board were settled when the test mode
// ended.
enum class CoinSettlement : int32_t {
  kNotRun,       // the test mode has not ended
  kSettled,      // the board holds no coins
  kNoBoard,      // no board to settle with
  kLeftOnBoard,  // the board reported a fault or refused the take-off
  kTimedOut,     // the board stayed busy past the wait limit
};

// The game page's labels: difficulty 0..4 and extend row 0..5 (two scores
// on two lines).
extern const char DifficultyLabels[5][10];
extern const char ExtendLabels[6][26];

// Plays sound test number n of the sound page: music 0..6 (entry 7 for 6),
// effects 0..9; any other number plays nothing.
void PlayTestMusic(int32_t n);
void PlayTestEffect(int32_t n);

// The coin unit, credits per unit and coins to continue set by hand, kept
// while the network service sets them (1, 1, 1 at start; never saved).
extern int32_t ManualCoinSettings[3];
void RestoreManualCoinSettings(int32_t* settings);
void SaveManualCoinSettings(int32_t* settings);

class TestMode : public SProc {
 public:
  static constexpr int32_t kSprites = 50;
  static constexpr int32_t kTexts = 5;
  static constexpr int32_t kTextCapacity = 32;
  static constexpr int32_t kVersionCapacity = 128;
  // Frames waited before the set-up runs in the next one.
  static constexpr int32_t kStartWait = 3;
  // The exit page's count before the test mode ends.
  static constexpr int32_t kExitFrames = 60;
  // The sound page's test tone comes every this many frames plus one.
  static constexpr int32_t kToneFrames = 60;
  // The coin settlement waits this long between two looks at the board,
  // and gives up after this many waits (two seconds).
  static constexpr uint32_t kCoinWaitMs = 16;
  static constexpr int32_t kCoinWaitLimit = 125;
  // The resource group the pages' images load into.
  static constexpr int32_t kResourceGroup = 5;
  static constexpr const char* kVersionFormat = "OSTREL Version 1.02JPN\n  %s %s";
  // The line a page that asked for the settings to be saved shows when the
  // file could not be written, and the row it stands on (centred, above the
  // help line).
  static constexpr const char* kNotSavedLine = "SETTINGS NOT SAVED";
  static constexpr float kNotSavedY = 192.0f;

  TestMode();
  ~TestMode() override;

  // The layout of the default-settings and the ranking-clear page.
  struct YesNoPage;

  // Settles the coins the board holds on coin slot 0: takes them off and
  // polls until none remain, the board refuses, or the wait limit passes.
  static CoinSettlement SettleBoardCoins(SCtrlMan* ctrl, int32_t waitLimit = kCoinWaitLimit);

  // ---- observers (tests, diagnostics)
  int32_t GetPage() const { return page_; }
  int32_t GetRunState() const { return runState_; }
  int32_t GetPageStep() const { return pageStep_; }
  int32_t GetPageTimer() const { return pageTimer_; }
  int32_t GetCursor() const { return cursor_; }
  int32_t GetMenuCursor() const { return menuCursor_; }
  int32_t GetEffectTestNo() const { return effectTestNo_; }
  int32_t GetMusicTestNo() const { return musicTestNo_; }
  int32_t GetMusicTestOn() const { return musicTestOn_; }
  const int32_t* GetBackup() const { return backup_; }
  TestModeYN& Confirm() { return confirm_; }
  CoinSettlement GetCoinSettlement() const { return settlement_; }
  // The settings file could not be saved and the page that asked shows it.
  bool NotSaved() const { return notSaved_; }
  const GfxObject& NotSavedText() const { return notSavedText_; }
  // Sprite quads the last drawn frame used.
  int32_t SpritesUsed() const { return nextSprite_; }
  const SGpObj_Prim& Sprite(int32_t i) const { return sprites_[i]; }
  const GfxObject& Text(int32_t i) const { return texts_[i]; }

 protected:
  int32_t Init(SProcArg arg) override;
  int32_t Draw(SProcArg arg) override;
  int32_t Main(SProcArg arg) override;
  // The end: replaces the default, so the confirmation is not killed.
  int32_t KillChildren(SProcArg arg) override;

 private:
  void SetUp();
  void RunPage();
  void DrawPage();

  // ---- drawing helpers shared by the pages
  // The next sprite quad with one strip; nothing once all are in use.
  void Put(const SGpRect* rect, float x, float y, int32_t anchor, const QuadColour& colour);
  // A value in text object slot, coloured by code and alpha.
  void PutText(int32_t slot, float x, float y, int32_t code, float alpha, const char* format, ...)
      __attribute__((format(printf, 7, 8)));
  // The strip a layout record names, placed at the record.
  template <std::size_t N>
  void PutAt(const SGpRect (&strips)[N], const TestLayoutRecord* at, int32_t anchor, const QuadColour& colour) {
    if (at) Put(StripOf(strips, at), at->x, at->y, anchor, colour);
  }
  // The help line of an item (yellow) and its two guide lines (green).
  template <std::size_t N, std::size_t H, std::size_t G>
  void PutHelp(const SGpRect (&strips)[N], const TestLayoutRecord (&help)[H], const TestLayoutRecord (&guides)[G],
               int32_t item) {
    PutAt(strips, RecordAt(help, item), kAnchorCentre, kYellowColour);
    PutAt(SprTestComm, RecordAt(guides, 2 * item), kAnchorCentre, kGreenColour);
    PutAt(SprTestComm, RecordAt(guides, 2 * item + 1), kAnchorCentre, kGreenColour);
  }

  // ---- the live settings (a spare set without a game)
  int32_t* Live();
  // Copies the live settings into the backup (a settings page's entry).
  void TakeBackup();
  // Puts the listed words of the backup back into the live settings.
  void RestoreBackup(const int32_t* words, int32_t count);
  // Back to the menu with the item that opened this page.
  void ReturnToMenu();
  // Saves the live settings; when the file cannot be written, the page
  // that asked shows the not-saved line until it is left. True when saved.
  bool SaveSettings();
  // A settings page's exit item: opens the confirmation, waits for it.
  void AskToKeepChanges();
  // A settings page waiting for the confirmation: yes saves the settings
  // file, no puts the page's words back from the backup, both leave; a
  // cancelled question, or a save that failed, goes back to editing.
  void AnswerKeepChanges(const int32_t* pageWords, int32_t count);

  // ---- pages
  void DrawMenuPage();
  void RunMenuPage();
  void DrawDisplayTestPage();
  void RunDisplayTestPage();
  void DrawInputTestPage();
  void RunInputTestPage();
  void DrawSoundPage();
  void RunSoundPage();
  void EditSoundSettings();
  void AnswerSoundSettings();
  void DrawSystemPage();
  void RunSystemPage();
  void EditSystemSettings();
  void AnswerSystemSettings();
  void DrawGameSettingsPage();
  void RunGameSettingsPage();
  void EditGameSettings();
  void AnswerGameSettings();
  void DefaultsPageDraw();
  void DefaultsPageMain();
  void RankingPageDraw();
  void RankingPageMain();
  void RunExitPage();
  void DrawYesNoPage(const YesNoPage& p);
  // True when the answer was given in this frame (cursor 0 for yes); the
  // page then acts on it and leaves.
  bool RunYesNoPage();

  int32_t page_ = TEST_PAGE_MENU;
  int32_t runState_ = TEST_RUN_STARTING;
  int32_t pageStep_ = 0;
  int32_t startCount_ = 0;
  int32_t pageTimer_ = 0;
  int32_t cursor_ = 0;
  int32_t menuCursor_ = 0;
  int32_t defaults_[kSettingsCount] = {};
  int32_t backup_[kSettingsCount] = {};
  int32_t effectTestNo_ = 0;
  int32_t musicTestNo_ = 0;
  int32_t musicTestOn_ = 0;

  SGpObj_PrimQuadFill sprites_[kSprites];
  int32_t nextSprite_ = 0;
  GfxObject texts_[kTexts];
  GfxObject versionText_;
  GfxObject notSavedText_;
  bool notSaved_ = false;
  TestBarQuads boxQuads_;
  TestModeYN confirm_;

  int32_t spareSettings_[kSettingsCount] = {};
  bool ended_ = false;
  CoinSettlement settlement_ = CoinSettlement::kNotRun;
};
