#include "game/testmode/TestMode.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "cabinet/QvtBTUtil.h"
#include "cabinet/ServiceClient.h"
#include "game/core/Game.h"
#include "game/scene/CommonTables.h"
#include "game/scene/SceneFrame.h"
#include "game/tables/font_tables.h"
#include "game/testmode/BuildStamp.h"
#include "vrax/graphic/SGpMan.h"
#include "vrax/graphic/SGpState.h"
#include "vrax/resource/SRsc_Sound.h"
#include "vrax/resource/SRscMan.h"

namespace {

uint8_t g_testModeStarted = 0;

constexpr uint32_t kImg = RscTag("IMG");

// The pages' nine images, loaded into the test mode's resource group.
const SRscRequest kTestModeResources[] = {
    {RequestTarget(ImgTestComm), kImg, "\\testmode\\testcomm", 0, 0, 0, 0},
    {RequestTarget(ImgTestTop), kImg, "\\testmode\\testtop", 0, 0, 0, 0},
    {RequestTarget(ImgTestEtc), kImg, "\\testmode\\testetc", 0, 0, 0, 0},
    {RequestTarget(ImgTestSound), kImg, "\\testmode\\testsound", 0, 0, 0, 0},
    {RequestTarget(ImgTestSystem), kImg, "\\testmode\\testsystem", 0, 0, 0, 0},
    {RequestTarget(ImgTestInput), kImg, "\\testmode\\testinput", 0, 0, 0, 0},
    {RequestTarget(ImgTestDisp01), kImg, "\\testmode\\disp01", 0, 0, 0, 0},
    {RequestTarget(ImgTestDisp02), kImg, "\\testmode\\disp02", 0, 0, 0, 0},
    {RequestTarget(ImgTestFont), kImg, "\\testmode\\testfont", 0, 0, 0, 0},
    {nullptr, 0, nullptr, 0, 0, 0, 0},
};

// Where the version line starts.
constexpr float kVersionX = -176.0f;
constexpr float kVersionY = 224.0f;

}  // namespace

uint8_t IsTestMode() { return g_testModeStarted; }

TestMode::TestMode() = default;

// The flag stays set while the test mode exists, which is until the program
// ends; clearing it here lets a later start in the same process (tests)
// begin without it.
TestMode::~TestMode() { g_testModeStarted = 0; }

int32_t TestMode::Init(SProcArg) {
  if (QvtBTUtil* client = GetServiceClient()) {
    client->ClearCounterC();
    client->BeginCode12(0);
  }
  g_testModeStarted = 1;
  SetName("TestMode");
  cursor_ = menuCursor_ = effectTestNo_ = musicTestNo_ = startCount_ = 0;
  runState_ = TEST_RUN_STARTING;
  if (Game* g = GetGame()) g->stage = 0;
  std::memcpy(defaults_, kDefaultSettings, sizeof defaults_);
  std::memcpy(spareSettings_, kDefaultSettings, sizeof spareSettings_);
  return 0;
}

void TestMode::SetUp() {
  if (SRscMan* rsc = GetRscMan()) {
    // Into the shared buffer the scenes load into, which no scene holds now.
    rsc->ReleaseGroup(kResourceGroup, SceneBuffer(), kSceneBufferSize);
    rsc->LoadTable(kResourceGroup, kTestModeResources, -1);
    rsc->Sync(1);
  }
  page_ = TEST_PAGE_MENU;
  for (SGpObj_PrimQuadFill& q : sprites_) {
    q.AllocPrims(1);
    DrawSpriteQuad(0.0f, 0.0f, q, SprTestTop[0], kAnchorCentre);
  }
  for (GfxObject& t : texts_) {
    t.Init(&SprTestFont_2Desc, kTextCapacity);
    t.SetScale(1.0f, 1.5f);
    t.SetSpacing(0.0f, 0.0f);
  }
  versionText_.Init(&SprTestFont_2Desc, kVersionCapacity);
  versionText_.SetScale(1.0f, 1.25f);
  versionText_.SetSpacing(0.0f, 0.0f);
  versionText_.SetColour(1.0f, 1.0f, 1.0f, 1.0f);
  versionText_.SetOrigin(kVersionX, kVersionY, 0.0f);
  versionText_.Printf(kVersionFormat, BuildDate(), BuildTime());
  // The not-saved line, centred: laid out once at x 0 to learn its width.
  notSavedText_.Init(&SprTestFont_2Desc, kTextCapacity);
  notSavedText_.SetScale(1.0f, 1.5f);
  notSavedText_.SetSpacing(0.0f, 0.0f);
  notSavedText_.SetColour(1.0f, 0.0f, 0.0f, 1.0f);
  notSavedText_.SetOrigin(0.0f, kNotSavedY, 0.0f);
  notSavedText_.Printf("%s", kNotSavedLine);
  notSavedText_.SetOrigin(-0.5f * notSavedText_.GetPen()[0], kNotSavedY, 0.0f);
  notSavedText_.Printf("%s", kNotSavedLine);
  notSaved_ = false;
  boxQuads_.Prepare();
  if (!confirm_.GetParent()) AddChildProcess(&confirm_, 0);
  SSndMan::StopAll(RscSoundEffects);
  SSndMan::StopAll(RscMusic);
  musicTestOn_ = 0;
  if (Game* g = GetGame()) g->RampValue(1, 0.0f, 0);
}

int32_t TestMode::Main(SProcArg) {
  switch (runState_) {
    case TEST_RUN_STARTING:
      if (startCount_ < kStartWait) {
        ++startCount_;
      } else {
        SetUp();
        runState_ = TEST_RUN_LOADING;
      }
      break;
    case TEST_RUN_LOADING: {
      SRscMan* rsc = GetRscMan();
      if (rsc && rsc->Sync(0) == 0) return 0;
      runState_ = TEST_RUN_RESUMING;
      cursor_ = 0;
      break;
    }
    case TEST_RUN_RESUMING:
      if (page_ == TEST_PAGE_MENU) cursor_ = menuCursor_;
      runState_ = TEST_RUN_RUNNING;
      break;
    case TEST_RUN_RUNNING:
      RunPage();
      break;
    default:
      break;
  }
  BroadcastAll(EVENT_MAIN, 0);
  return 0;
}

void TestMode::RunPage() {
  switch (page_) {
    case TEST_PAGE_MENU: RunMenuPage(); break;
    case TEST_PAGE_DISPLAY: RunDisplayTestPage(); break;
    case TEST_PAGE_INPUT: RunInputTestPage(); break;
    case TEST_PAGE_SOUND: RunSoundPage(); break;
    case TEST_PAGE_SYSTEM: RunSystemPage(); break;
    case TEST_PAGE_GAME: RunGameSettingsPage(); break;
    case TEST_PAGE_DEFAULTS: DefaultsPageMain(); break;
    case TEST_PAGE_RANKING: RankingPageMain(); break;
    case TEST_PAGE_EXIT: RunExitPage(); break;
    default: break;
  }
}

int32_t TestMode::Draw(SProcArg) {
  if (runState_ <= TEST_RUN_LOADING) return 0;
  if (SGpMan* gp = GetGpMan()) gp->SetDefaultKey(0);
  WorldPresets[1].EnterDefault();
  nextSprite_ = 0;
  DrawPage();
  BroadcastAll(EVENT_DRAW, 0);
  return 0;
}

void TestMode::DrawPage() {
  switch (page_) {
    case TEST_PAGE_MENU: DrawMenuPage(); break;
    case TEST_PAGE_DISPLAY: DrawDisplayTestPage(); break;
    case TEST_PAGE_INPUT: DrawInputTestPage(); break;
    case TEST_PAGE_SOUND: DrawSoundPage(); break;
    case TEST_PAGE_SYSTEM: DrawSystemPage(); break;
    case TEST_PAGE_GAME: DrawGameSettingsPage(); break;
    case TEST_PAGE_DEFAULTS: DefaultsPageDraw(); break;
    case TEST_PAGE_RANKING: RankingPageDraw(); break;
    default: break;  // the exit page draws nothing
  }
  if (notSaved_) notSavedText_.EnterDefault();
}

// ============================================================ helpers

void TestMode::Put(const SGpRect* rect, float x, float y, int32_t anchor, const QuadColour& colour) {
  if (!rect || nextSprite_ >= kSprites) return;
  PutSpriteQuad(sprites_[nextSprite_++], rect, x, y, anchor, colour);
}

void TestMode::PutText(int32_t slot, float x, float y, int32_t code, float alpha, const char* format, ...) {
  if (slot < 0 || slot >= kTexts) return;
  GfxObject& t = texts_[slot];
  t.SetOrigin(x, y, 0.0f);
  SetTextItemColour(t, code, alpha);
  char line[kTextCapacity + 1];
  va_list args;
  va_start(args, format);
  std::vsnprintf(line, sizeof line, format, args);
  va_end(args);
  t.Printf("%s", line);
  t.EnterDefault();
}

int32_t* TestMode::Live() {
  Game* g = GetGame();
  return g ? g->settings : spareSettings_;
}

void TestMode::TakeBackup() { std::memcpy(backup_, Live(), sizeof backup_); }

void TestMode::RestoreBackup(const int32_t* words, int32_t count) {
  int32_t* live = Live();
  for (int32_t i = 0; i < count; ++i)
    if (words[i] >= 0 && words[i] < kSettingsCount) live[words[i]] = backup_[words[i]];
}

void TestMode::ReturnToMenu() {
  page_ = TEST_PAGE_MENU;
  runState_ = TEST_RUN_RESUMING;
  notSaved_ = false;
}

bool TestMode::SaveSettings() {
  // A failure must not look like a success: the page stays, saying so (the
  // reason goes to standard error), and the live settings keep their values.
  notSaved_ = !SaveSystemFile(Live());
  return !notSaved_;
}

void TestMode::AskToKeepChanges() {
  confirm_.Open();
  pageStep_ = 2;
}

void TestMode::AnswerKeepChanges(const int32_t* pageWords, int32_t count) {
  if (confirm_.GetState() == TestModeYN::kOpen) return;
  switch (confirm_.GetAnswer()) {
    case TestModeYN::kYes:
      pageStep_ = SaveSettings() ? 3 : 1;
      break;
    case TestModeYN::kNo:
      RestoreBackup(pageWords, count);
      pageStep_ = 3;
      break;
    default:
      pageStep_ = 1;
      break;
  }
}
