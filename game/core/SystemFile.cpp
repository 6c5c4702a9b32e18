#include "game/core/SystemFile.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "game/core/Game.h"
#include "game/core/RankTable.h"
#include "platform/file_io.h"
#include "platform/paths.h"

uint8_t SystemFileBlock[kSystemFileSize] = {};

namespace {

void PutWord(uint8_t* p, int32_t v) {
  const uint32_t u = static_cast<uint32_t>(v);
  p[0] = static_cast<uint8_t>(u);
  p[1] = static_cast<uint8_t>(u >> 8);
  p[2] = static_cast<uint8_t>(u >> 16);
  p[3] = static_cast<uint8_t>(u >> 24);
}

int32_t GetWord(const uint8_t* p) {
  return static_cast<int32_t>(static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
                              static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24);
}

void UseDefaults(int32_t* settings) {
  std::memcpy(settings, kDefaultSettings, sizeof kDefaultSettings);
  if (settings[SettingsWord::serviceCoins] != 0) ApplyServiceCoinSettings(settings);
}

}  // namespace

// The ranking file's sum, over the 60 bytes of the settings.
uint8_t SystemFileChecksum(const uint8_t* bytes) { return RankFileChecksum(bytes, kSystemFileChecksumAt); }

uint8_t SystemFileChecksum() { return SystemFileChecksum(SystemFileBlock); }

bool SettingInRange(int32_t word, int32_t v, const int32_t* settings) {
  switch (word) {
    case SettingsWord::coinUnit:
    case SettingsWord::creditsPerUnit:
      return v >= 1 && v <= 4;
    case SettingsWord::continueCoins:
      return v >= 1 && v <= settings[SettingsWord::coinUnit];
    case SettingsWord::coinPlay:
    case SettingsWord::continueOn:
    case SettingsWord::attractSound:
    case SettingsWord::serviceCoins:
      return v == 0 || v == 1;
    case SettingsWord::difficulty:
      return v >= 0 && v <= 4;
    case SettingsWord::lives:
      return v >= 1 && v <= 5;
    case SettingsWord::musicVolume:
    case SettingsWord::effectVolume:
      return v >= 0 && v <= 100;
    case SettingsWord::effectBalance:
      return v >= -100 && v <= 100;
    case SettingsWord::extendRow:
      return v >= 0 && v <= 5;
    default:  // the reserved words are carried as they are
      return true;
  }
}

SystemFileCheck DecodeSystemFile(const uint8_t* bytes, size_t size, int32_t* settings, uint32_t* replaced) {
  if (replaced) *replaced = 0;
  if (size != kSystemFileSize) {
    UseDefaults(settings);
    return SystemFileCheck::kWrongSize;
  }
  if (bytes != SystemFileBlock) std::memcpy(SystemFileBlock, bytes, kSystemFileSize);
  if (SystemFileBlock[kSystemFileChecksumAt] != SystemFileChecksum()) {
    UseDefaults(settings);
    return SystemFileCheck::kBadChecksum;
  }
  for (int32_t i = 0; i < kSettingsCount; ++i) settings[i] = GetWord(SystemFileBlock + 4 * i);
  // The words index label and extend tables and divide coins: a word out of
  // its range (a file written by something else) takes its default, the
  // others are kept. Word order matters: the coins to continue are checked
  // against the coin unit already settled.
  for (int32_t i = 0; i < kSettingsCount; ++i) {
    if (SettingInRange(i, settings[i], settings)) continue;
    settings[i] = kDefaultSettings[i];
    if (replaced) *replaced |= 1u << i;
  }
  if (settings[SettingsWord::serviceCoins] != 0) ApplyServiceCoinSettings(settings);
  return SystemFileCheck::kGood;
}

void LoadSystemFile(int32_t* settings) {
  const std::string path = plat::MapPath(kSystemFileName);
  // A saved file is read where it stands, never through a link, and only a
  // regular file: anything else is a damaged file.
  std::vector<uint8_t> bytes;
  const plat::FileProblem problem = plat::ReadFile(path, kSystemFileSize, &bytes, plat::Links::kRefuse);
  if (problem != plat::FileProblem::kNone) {
    std::fprintf(stderr, "settings file %s %s: using the default settings\n", path.c_str(),
                 plat::DescribeFileProblem(problem));
    UseDefaults(settings);
    return;
  }
  uint32_t replaced = 0;
  switch (DecodeSystemFile(bytes.data(), bytes.size(), settings, &replaced)) {
    case SystemFileCheck::kWrongSize:
      std::fprintf(stderr, "settings file %s holds %zu bytes, not %d: using the default settings\n", path.c_str(),
                   bytes.size(), kSystemFileSize);
      break;
    case SystemFileCheck::kBadChecksum:
      std::fprintf(stderr, "settings file %s fails its checksum: using the default settings\n", path.c_str());
      break;
    case SystemFileCheck::kGood:
      if (replaced != 0) {
        std::string words;
        for (int32_t i = 0; i < kSettingsCount; ++i)
          if (replaced & (1u << i)) words += (words.empty() ? "" : ", ") + std::to_string(i);
        std::fprintf(stderr, "settings file %s: words out of range take their defaults (%s)\n", path.c_str(),
                     words.c_str());
      }
      break;
  }
}

void LoadSystemFile() {
  if (Game* g = GetGame()) LoadSystemFile(g->settings);
}

bool SaveSystemFile(const int32_t* settings) {
  for (int32_t i = 0; i < kSettingsCount; ++i) PutWord(SystemFileBlock + 4 * i, settings[i]);
  SystemFileBlock[kSystemFileChecksumAt] = SystemFileChecksum();

  const plat::SaveResult saved = plat::ReplaceFile(plat::MapPath(kSystemFileName), SystemFileBlock, kSystemFileSize);
  if (!saved) std::fprintf(stderr, "settings not saved: %s\n", saved.why.c_str());
  return saved.ok;
}

bool SaveSystemFile() {
  Game* g = GetGame();
  return g ? SaveSystemFile(g->settings) : false;
}
