// Page 3: the sound page. Effect and music tests, the effect and music
// volumes and the balance, with a test tone every 61 frames while a level
// item is selected; kept or discarded through the confirmation.
#include <algorithm>

#include "game/core/Game.h"
#include "game/scene/CommonTables.h"
#include "game/testmode/TestInput.h"
#include "game/testmode/TestMode.h"
#include "vrax/graphic/SMath.h"
#include "vrax/resource/SRsc_Sound.h"

namespace {

enum SoundItem : int32_t {
  kItemEffectTest,
  kItemMusicTest,
  kItemEffectVolume,
  kItemMusicVolume,
  kItemBalance,
  kItemExit,
  kSoundItems
};

// Music test number -> music bank entry; the first three obey the attract
// sound setting, the others only the sound-off flag.
struct MusicTest {
  int32_t entry;
  bool fullGate;
};
constexpr MusicTest kMusicTests[7] = {{0, true},  {1, true},  {2, true}, {3, false},
                                      {4, false}, {5, false}, {7, false}};

// Effect test number -> effect bank entry and gain.
struct EffectTest {
  int32_t entry;
  int32_t gain;
};
constexpr EffectTest kEffectTests[10] = {{7, 55296},  {3, 59136},  {30, 55808}, {8, 57344},  {51, 61440},
                                         {31, 57344}, {32, 57344}, {11, 57344}, {10, 59904}, {54, 61440}};

constexpr int32_t kToneEntry = 31;
constexpr int32_t kToneGain = 57344;
constexpr int32_t kMusicGain = 65536;

constexpr float kTitleY = -296.0f;
constexpr float kArrowX = -148.0f;
constexpr float kNumberX = -24.0f;
constexpr float kLevelTextX = 124.0f;
constexpr float kBarX = -24.0f;
constexpr float kBarW = 100.0f;
constexpr float kBarH = 16.0f;
// The bars sit 4 units below the top of their item's row.
constexpr float kBarDrop = 4.0f;

// The volume of a sound at percent of a volume setting: the level curve
// times the gain, truncated.
int32_t SoundLevel(int32_t percent, int32_t gain) {
  return static_cast<int32_t>(QuadBezier(0.0f, 0.95f, 1.0f, static_cast<float>(percent) * 0.01f) *
                              static_cast<float>(gain));
}

int32_t SoundPan(int32_t balance) { return static_cast<int32_t>(static_cast<float>(balance) * 196.608f); }

bool IsLevelItem(int32_t item) { return item >= kItemEffectVolume && item <= kItemBalance; }

// The settings word behind a level item.
int32_t LevelWord(int32_t item) {
  switch (item) {
    case kItemEffectVolume: return SettingsWord::effectVolume;
    case kItemMusicVolume: return SettingsWord::musicVolume;
    default: return SettingsWord::effectBalance;
  }
}

}  // namespace

void PlayTestMusic(int32_t n) {
  const Game* g = GetGame();
  if (!g || n < 0 || n >= static_cast<int32_t>(std::size(kMusicTests))) return;
  const MusicTest& t = kMusicTests[n];
  if (t.fullGate ? g->SoundMuted() : g->soundOff != 0) return;
  SSndMan::Play(RscMusic, t.entry, SoundLevel(g->settings[SettingsWord::musicVolume], kMusicGain),
                SoundPan(g->settings[SettingsWord::effectBalance]));
}

void PlayTestEffect(int32_t n) {
  Game* g = GetGame();
  if (!g || n < 0 || n >= static_cast<int32_t>(std::size(kEffectTests))) return;
  g->PlaySe(kEffectTests[n].entry, kEffectTests[n].gain);
}

void TestMode::RunSoundPage() {
  switch (pageStep_) {
    case 0:
      cursor_ = pageTimer_ = effectTestNo_ = musicTestNo_ = musicTestOn_ = 0;
      TakeBackup();
      pageStep_ = 1;
      break;
    case 1: EditSoundSettings(); break;
    case 2: AnswerSoundSettings(); break;
    case 3:
      SSndMan::StopAll(RscMusic);
      ReturnToMenu();
      break;
    default: break;
  }
}

void TestMode::EditSoundSettings() {
  const TestInput in;
  --pageTimer_;
  int32_t move = 0;
  if (in.Pressed(TestInput::kUp)) move = kSoundItems - 1;
  if (in.Pressed(TestInput::kDown)) move = 1;
  if (move != 0) {
    cursor_ = (cursor_ + move) % kSoundItems;
    SSndMan::StopAll(RscSoundEffects);
    SSndMan::StopAll(RscMusic);
    if (IsLevelItem(cursor_)) {
      musicTestOn_ = 1;
      PlayTestMusic(0);
    } else {
      musicTestOn_ = 0;
    }
  }
  int32_t* live = Live();
  const int32_t step = in.Step(&TestInput::Repeat);
  if (step != 0) {
    switch (cursor_) {
      case kItemEffectTest: effectTestNo_ = std::clamp(effectTestNo_ + step, 0, 9); break;
      case kItemMusicTest: {
        const int32_t before = musicTestNo_;
        musicTestNo_ = std::clamp(musicTestNo_ + step, 0, 6);
        if (musicTestNo_ != before) {
          musicTestOn_ = 0;
          SSndMan::StopAll(RscMusic);
        }
        break;
      }
      case kItemEffectVolume:
        live[SettingsWord::effectVolume] = std::clamp(live[SettingsWord::effectVolume] + step, 0, 100);
        break;
      case kItemMusicVolume:
        live[SettingsWord::musicVolume] = std::clamp(live[SettingsWord::musicVolume] + step, 0, 100);
        SSndMan::SetVolume(RscMusic, 0, SoundLevel(live[SettingsWord::musicVolume], kMusicGain));
        break;
      case kItemBalance:
        live[SettingsWord::effectBalance] = std::clamp(live[SettingsWord::effectBalance] + step, -100, 100);
        break;
      default: break;
    }
  }
  if (in.ButtonPressed()) {
    switch (cursor_) {
      case kItemEffectTest:
        SSndMan::StopAll(RscSoundEffects);
        PlayTestEffect(effectTestNo_);
        break;
      case kItemMusicTest:
        if (musicTestOn_)
          SSndMan::StopAll(RscMusic);
        else
          PlayTestMusic(musicTestNo_);
        musicTestOn_ = !musicTestOn_;
        break;
      case kItemExit:
        AskToKeepChanges();
        break;
      default: break;
    }
  }
  if (IsLevelItem(cursor_) && pageTimer_ < 0) {
    if (Game* g = GetGame()) g->PlaySe(kToneEntry, kToneGain);
    pageTimer_ = kToneFrames;
  }
}

void TestMode::AnswerSoundSettings() {
  static constexpr int32_t kSoundWords[] = {SettingsWord::musicVolume, SettingsWord::effectVolume, SettingsWord::effectBalance};
  AnswerKeepChanges(kSoundWords, 3);
}

void TestMode::DrawSoundPage() {
  const float a = pageStep_ == 2 ? 0.5f : 1.0f;
  Put(StripAt(SprTestSound, 0), 0.0f, kTitleY, kAnchorCentre, kYellowColour);
  for (int32_t i = 0; i < kSoundItems; ++i)
    PutAt(SprTestSound, &SoundItemTable[i], kAnchorTopLeft, ItemColour(ItemCode(i == cursor_, false), a));
  if (const TestLayoutRecord* item = RecordAt(SoundItemTable, cursor_); item && item->index >= 0)
    Put(StripAt(SprTestComm, 11), kArrowX, item->y, kAnchorCentre, Rgba(1.0f, 0.0f, 0.0f, a));
  PutText(0, kNumberX, SoundItemTable[kItemEffectTest].y, ItemCode(cursor_ == kItemEffectTest, false), a, "%d",
          effectTestNo_);
  PutText(1, kNumberX, SoundItemTable[kItemMusicTest].y, ItemCode(cursor_ == kItemMusicTest, false), a, "%d",
          musicTestNo_);
  const int32_t* live = Live();
  for (int32_t item = kItemEffectVolume; item <= kItemBalance; ++item) {
    const int32_t word = LevelWord(item);
    const int32_t v = live[word];
    const int32_t c = ItemCode(cursor_ == item, v == defaults_[word]);
    const float y = SoundItemTable[item].y;
    const int32_t row = item - kItemEffectVolume;  // also the bar slot
    PutText(item, kLevelTextX, y, c, a, "%d%c", v, '%');
    PutAt(SprTestSound, &SoundMarkTable[2 * row], kAnchorCentre, ItemColour(c, a));
    PutAt(SprTestSound, &SoundMarkTable[2 * row + 1], kAnchorCentre, ItemColour(c, a));
    const float value = static_cast<float>(v) * 0.01f;
    if (item == kItemBalance)
      boxQuads_.DrawCentreBar(row, kBarX, y + kBarDrop, kBarW, kBarH, value, c, a);
    else
      boxQuads_.DrawLevelBar(row, kBarX, y + kBarDrop, kBarW, kBarH, value, c, a);
  }
  if (pageStep_ == 1) PutHelp(SprTestSound, SoundHelpTable, SoundGuideTable, cursor_);
}
