// The numbers of a play: score with its overflow word, extends, lives,
// bombs and the play record.
#include "game/core/Game.h"
#include "game/core/RankTable.h"
#include "game/player/ChainCounter.h"
#include "vrax/graphic/SMath.h"
#include "vrax/resource/SRscMan.h"
#include "vrax/resource/SRsc_Sound.h"

namespace {

constexpr uint32_t kExtendTable[6][2] = {
    {0, 0},
    {50000000u, 200000000u},
    {100000000u, 250000000u},
    {150000000u, 300000000u},
    {200000000u, 350000000u},
    {250000000u, 400000000u},
};

// total + n summed in 64 bits, so a large bonus on a large total cannot wrap;
// whole thousand millions go to the overflow word.
void AddWithCarry(uint32_t* total, uint32_t* overflow, uint64_t n) {
  const uint64_t sum = static_cast<uint64_t>(*total) + n;
  if (sum >= Game::kScoreLimit) {
    *overflow += static_cast<uint32_t>(sum / Game::kScoreLimit);
    *total = static_cast<uint32_t>(sum % Game::kScoreLimit);
  } else {
    *total = static_cast<uint32_t>(sum);
  }
}

// A common sound bank, once it is loaded.
SRsc* SoundBank(const char* path) {
  SRscMan* rsc = GetRscMan();
  return rsc ? rsc->Find(path, RscTag("SND")) : nullptr;
}
SRsc* SoundEffectBank() { return SoundBank("\\sound\\osr_se"); }
SRsc* VoiceBank() { return SoundBank("\\sound\\osr_voice"); }
SRsc* MusicBank() { return SoundBank("\\sound\\osr_bgm_low"); }

}  // namespace

bool Game::SoundMuted() const {
  return soundOff != 0 || (demoPlay == 1 && settings[SettingsWord::attractSound] == 0);
}

void Game::PlaySe(int32_t n, int32_t gain) { PlayOn(SoundEffectBank(), n, gain); }

void Game::PlayVoice(int32_t n, int32_t gain) { PlayOn(VoiceBank(), n, gain); }

void Game::StopSe(int32_t n) { SSndMan::Stop(SoundEffectBank(), n); }

void Game::StopVoice(int32_t n) { SSndMan::Stop(VoiceBank(), n); }

void Game::SetSeVolume(int32_t n, int32_t gain) {
  if (SoundMuted()) return;
  const float v = static_cast<float>(settings[SettingsWord::effectVolume]) / 100.0f;
  SSndMan::SetVolume(SoundEffectBank(), n, static_cast<int32_t>(QuadBezier(0.0f, 0.95f, 1.0f, v) * static_cast<float>(gain)));
}

void Game::PlaySeUnlessSoundOff(int32_t n, int32_t gain) {
  if (soundOff == 0) PlayLevelled(SoundEffectBank(), n, gain);
}

void Game::StopMusic(int32_t n) { SSndMan::Stop(MusicBank(), n); }

void Game::SetMusicVolume(int32_t n, float gain) {
  const float v = static_cast<float>(settings[SettingsWord::musicVolume]) / 100.0f;
  SSndMan::SetVolume(MusicBank(), n, static_cast<int32_t>(QuadBezier(0.0f, 0.95f, 1.0f, v) * gain));
}

void Game::PlayMusic(int32_t n) {
  if (soundOff != 0) return;
  const float v = static_cast<float>(settings[SettingsWord::musicVolume]) / 100.0f;
  const auto volume = static_cast<int32_t>(QuadBezier(0.0f, 0.95f, 1.0f, v) * 65536.0f);
  const auto pan = static_cast<int32_t>(static_cast<float>(settings[SettingsWord::effectBalance]) * 196.608f);
  SSndMan::Play(MusicBank(), n, volume, pan);
}

void Game::PlayOn(SRsc* bank, int32_t n, int32_t gain) {
  if (!SoundMuted()) PlayLevelled(bank, n, gain);
}

void Game::PlayLevelled(SRsc* bank, int32_t n, int32_t gain) {
  const float v = static_cast<float>(settings[SettingsWord::effectVolume]) / 100.0f;
  const auto volume = static_cast<int32_t>(QuadBezier(0.0f, 0.95f, 1.0f, v) * static_cast<float>(gain));
  const auto pan = static_cast<int32_t>(static_cast<float>(settings[SettingsWord::effectBalance]) * 196.608f);
  SSndMan::Play(bank, n, volume, pan);
}

void Game::AddScore(uint32_t n) {
  const int32_t row = settings[SettingsWord::extendRow];
  if (record[REC_OVERFLOW] == 0 && row >= 1 && row <= 5) {
    const uint64_t score = record[REC_SCORE];
    const uint64_t after = score + n;
    int32_t k = 0;
    for (uint32_t t : kExtendTable[row])
      if (score < t && after >= t) ++k;
    if (k > 0) {
      lives += k;
      PlaySe(kExtendSound, 61440);
    }
  }
  AddWithCarry(&record[REC_SCORE], &record[REC_OVERFLOW], n);
}

void Game::AddBonusScore(int32_t kind, int32_t value) {
  if (kind <= 0 || kind > 8) return;
  const int32_t v = value - value % 100;
  if (v <= 0) return;  // a negative value would wrap into a huge score
  if (kind == 8) {
    AddScore(static_cast<uint32_t>(v));
    return;
  }
  // The chain is the multiplier; below 1 it counts as 1.
  const int32_t m = g_ChainCounter.chain < 1 ? 1 : g_ChainCounter.chain;
  // A large chain bonus times the multiplier can pass 32 bits.
  AddScoreWide(static_cast<uint64_t>(static_cast<uint32_t>(v)) * static_cast<uint64_t>(m));
}

void Game::AddScoreWide(uint64_t n) {
  // Added in parts that each fit 32 bits, so the score carries the whole
  // amount into its overflow word.
  while (n > 0) {
    const uint64_t part = n > 0xFFFFFFFFull ? 0xFFFFFFFFull : n;
    AddScore(static_cast<uint32_t>(part));
    n -= part;
  }
}

void Game::AddScoreCarry(uint64_t n) { AddWithCarry(&record[REC_BONUS_B], &record[REC_BONUS_B_OVERFLOW], n); }

void Game::AddTotalC(uint32_t n) { AddWithCarry(&record[REC_TOTAL_C], &record[REC_TOTAL_C_OVERFLOW], n); }

uint32_t Game::ResetForPlay() {
  lives = settings[SettingsWord::lives];
  const uint32_t old = record[REC_SCORE];
  const uint32_t d = old % 10;
  record[REC_OVERFLOW] = 0;
  record[REC_SCORE] = d < 9 ? d + 1 : 9;
  ResetPlayGlobals();
  bombs = 2;
  return old / 10;
}

void Game::RestorePlayRecord() {
  lives = settings[SettingsWord::lives];
  for (int i = 0; i < REC_WORDS; ++i) record[i] = blankRecord[i];
  record[REC_HIGH_SCORE] = RankTable[0].word[1];
  record[REC_HIGH_OVERFLOW] = RankTable[0].word[0];
  g_ChainCounter.playBest = static_cast<int32_t>(record[REC_BEST_CHAIN]);
  g_ChainCounter.Set(0);
  bombs = 2;
}

void Game::ResetChain(int32_t playerMode) {
  record[REC_RUN] = 0;
  if (static_cast<int32_t>(record[REC_RUN_MAX]) < 0 && playerMode != 2) record[REC_RUN_MAX] = 0;
}

void Game::ResetScoreGlobals() {
  // The stage's words: the result bonus pair, the counters after it (the
  // lock catches the next result pays among them) and the total count. The
  // score, its overflow word, the high score and the play's longest chain go on.
  for (int i = REC_BONUS_B; i <= REC_RUN_MAX; ++i) record[i] = 0;
  record[REC_TOTAL_COUNT] = 0;
}

void Game::SetStage(int32_t n) {
  // Only the checkpoint: the stage number is the stage scene's own, set where
  // the stage starts (a checkpoint value written there would skip stages).
  checkpoint = n;
  for (int i = 0; i < REC_WORDS; ++i) stageSnapshot[i] = record[i];
}
