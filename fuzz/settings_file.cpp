// libFuzzer entry point: arbitrary bytes as the settings file
// ("D:\OSR_SYS.dat"). Whatever the file holds, every word read is within its
// range, and the settings read, written back as a file, read the same.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "game/core/SystemFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  int32_t settings[kSettingsCount];
  DecodeSystemFile(data, size, settings);
  for (int32_t i = 0; i < kSettingsCount; ++i)
    if (!SettingInRange(i, settings[i], settings)) __builtin_trap();
  uint8_t file[kSystemFileSize] = {};
  for (int32_t i = 0; i < kSettingsCount; ++i)
    for (int b = 0; b < 4; ++b) file[4 * i + b] = static_cast<uint8_t>(static_cast<uint32_t>(settings[i]) >> (8 * b));
  file[kSystemFileChecksumAt] = SystemFileChecksum(file);
  int32_t again[kSettingsCount];
  DecodeSystemFile(file, sizeof file, again);
  if (std::memcmp(again, settings, sizeof settings) != 0) __builtin_trap();
  return 0;
}
