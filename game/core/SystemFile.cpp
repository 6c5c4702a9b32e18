#include "game/core/SystemFile.h"

#include <cstdio>
#include <cstring>

#include "cabinet/QvtBTUtil.h"
#include "cabinet/ServiceClient.h"
#include "game/core/Game.h"
#include "game/scene/RankTable.h"
#include "platform/paths.h"
#include "platform/save_file.h"

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
  if (settings[kSetServiceCoins] != 0) ApplyServiceCoinSettings(settings);
}

}  // namespace

// The ranking file's sum, over the 60 bytes of the settings.
uint8_t SystemFileChecksum(const uint8_t* bytes) { return RankFileChecksum(bytes, kSystemFileChecksumAt); }

uint8_t SystemFileChecksum() { return SystemFileChecksum(SystemFileBlock); }

bool SettingInRange(int32_t word, int32_t v, const int32_t* settings) {
  switch (word) {
    case kSetCoinUnit:
    case kSetCreditsPerUnit:
      return v >= 1 && v <= 4;
    case kSetContinueCoins:
      return v >= 1 && v <= settings[kSetCoinUnit];
    case kSetCoinPlay:
    case kSetContinueOn:
    case kSetAttractSound:
    case kSetServiceCoins:
      return v == 0 || v == 1;
    case kSetDifficulty:
      return v >= 0 && v <= 4;
    case kSetLives:
      return v >= 1 && v <= 5;
    case kSetMusicVolume:
    case kSetEffectVolume:
      return v >= 0 && v <= 100;
    case kSetEffectBalance:
      return v >= -100 && v <= 100;
    case kSetExtendRow:
      return v >= 0 && v <= 5;
    default:  // the reserved words are carried as they are
      return true;
  }
}

void DecodeSystemFile(const uint8_t* bytes, size_t size, int32_t* settings) {
  if (size != kSystemFileSize) {
    UseDefaults(settings);
    return;
  }
  if (bytes != SystemFileBlock) std::memcpy(SystemFileBlock, bytes, kSystemFileSize);
  if (SystemFileBlock[kSystemFileChecksumAt] != SystemFileChecksum()) {
    UseDefaults(settings);
    return;
  }
  for (int32_t i = 0; i < kSettingsCount; ++i) settings[i] = GetWord(SystemFileBlock + 4 * i);
  // The words index label and extend tables and divide coins: a word out of
  // its range (a file written by something else) takes its default, the
  // others are kept. Word order matters: the coins to continue are checked
  // against the coin unit already settled.
  for (int32_t i = 0; i < kSettingsCount; ++i)
    if (!SettingInRange(i, settings[i], settings)) settings[i] = kDefaultSettings[i];
  if (settings[kSetServiceCoins] != 0) ApplyServiceCoinSettings(settings);
}

void LoadSystemFile(int32_t* settings) {
  std::FILE* f = std::fopen(plat::MapPath(kSystemFileName).c_str(), "rb");
  if (!f) {
    UseDefaults(settings);
    return;
  }
  long size = -1;
  if (std::fseek(f, 0, SEEK_END) == 0) size = std::ftell(f);
  if (size != kSystemFileSize) {
    std::fclose(f);
    UseDefaults(settings);
    return;
  }
  std::fseek(f, 0, SEEK_SET);
  // A short read leaves in the block what was read; the checksum decides.
  (void)std::fread(SystemFileBlock, 1, kSystemFileSize, f);
  std::fclose(f);
  DecodeSystemFile(SystemFileBlock, kSystemFileSize, settings);
}

void LoadSystemFile() {
  if (Game* g = GetGame()) LoadSystemFile(g->settings);
}

bool SaveSystemFile(const int32_t* settings) {
  for (int32_t i = 0; i < kSettingsCount; ++i) PutWord(SystemFileBlock + 4 * i, settings[i]);
  SystemFileBlock[kSystemFileChecksumAt] = SystemFileChecksum();

  return plat::ReplaceFile(plat::MapPath(kSystemFileName), SystemFileBlock, kSystemFileSize);
}

bool SaveSystemFile() {
  Game* g = GetGame();
  return g ? SaveSystemFile(g->settings) : false;
}

void ApplyServiceCoinSettings(int32_t* settings) {
  settings[kSetServiceCoins] = 1;
  settings[kSetCreditsPerUnit] = 1;
  const QvtBTUtil* client = GetServiceClient();
  const uint32_t c = client ? client->GetCoinCredit() : 1u;
  if (c != 0) {
    settings[kSetCoinUnit] = static_cast<int32_t>(c);
    settings[kSetContinueCoins] = static_cast<int32_t>(c);
    settings[kSetCoinPlay] = 1;
  } else {
    settings[kSetCoinUnit] = 1;
    settings[kSetContinueCoins] = 1;
    settings[kSetCoinPlay] = 0;
  }
}
