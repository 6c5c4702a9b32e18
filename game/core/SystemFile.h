#pragma once
// The cabinet's operator settings: fifteen signed 32-bit words held by the
// Game, their defaults and the settings file "D:\OSR_SYS.dat" (64 bytes:
// the words little-endian, an 8-bit checksum of them, three fill bytes).
#include <cstddef>
#include <cstdint>

// The settings words by name: settings[SettingsWord::lives].
namespace SettingsWord {
enum : int32_t {
  coinUnit = 0,        // coins in one coin unit, 1..4
  creditsPerUnit = 1,  // credits per coin unit, 1..4
  continueCoins = 2,   // coins to continue, 1..coin unit
  coinPlay = 3,        // 1 coin play, 0 free play
  continueOn = 4,      // 1 a continue is offered
  difficulty = 5,      // 0..4
  lives = 6,           // 1..5
  reserved7 = 7,       // carried through load and save
  reserved8 = 8,
  musicVolume = 9,     // percent
  effectVolume = 10,   // percent
  effectBalance = 11,  // -100..100
  attractSound = 12,   // 1 sounds play during demo plays
  extendRow = 13,      // 0 none, 1..5 a row of the extend table
  serviceCoins = 14,   // 1 coin settings come from the network service
};
}  // namespace SettingsWord

inline constexpr int32_t kSettingsCount = 15;

inline constexpr int32_t kDefaultSettings[kSettingsCount] = {1, 1, 1, 1, 1, 2, 2, 3, 0, 100, 100, 0, 1, 3, 1};

inline constexpr const char* kSystemFileName = "D:\\OSR_SYS.dat";
inline constexpr int kSystemFileSize = 64;
inline constexpr int kSystemFileChecksumAt = 60;

// The one 64-byte block every read and write of the file passes through
// (zero at start; the fill bytes of a file read earlier are written back).
extern uint8_t SystemFileBlock[kSystemFileSize];

// Sum modulo 256 of (byte p + p mod 5) over the first 60 bytes.
uint8_t SystemFileChecksum(const uint8_t* bytes);
// The checksum of the file block.
uint8_t SystemFileChecksum();

// Whether a value is allowed for a settings word; settings gives the words
// a range depends on (the coins to continue may not exceed the coin unit).
bool SettingInRange(int32_t word, int32_t value, const int32_t* settings);

// Reads the file into settings. A missing file, anything but a regular
// file (a link, a pipe, a directory), a size other than 64 bytes or a
// wrong checksum gives the defaults; a file that passes its checksum has
// each out-of-range word replaced by its default. Either way the service
// coin settings are applied when the service-coins word is set. Anything
// but a good file is told in one line on standard error.
void LoadSystemFile(int32_t* settings);
// The same into the Game's live settings (nothing without a Game).
void LoadSystemFile();

enum class SystemFileCheck { kGood, kWrongSize, kBadChecksum };
// The reading of LoadSystemFile from the file's bytes, through the block;
// replaced (when given) receives a bit for each word that took its default.
SystemFileCheck DecodeSystemFile(const uint8_t* bytes, size_t size, int32_t* settings,
                                 uint32_t* replaced = nullptr);

// Writes settings through the block to a temporary file beside the settings
// file and renames it over the old one, so a failed save leaves the old
// file whole. False, and one line on standard error, when any step failed.
bool SaveSystemFile(const int32_t* settings);
bool SaveSystemFile();

// Takes the coin settings from the network service: service coins 1,
// credits per unit 1; a coin credit c of the service sets the coin unit and
// the coins to continue to c with coin play on, 0 means free play (coin
// unit 1, coins to continue 1, coin play 0). Without a service client its
// default coin credit of 1 applies.
void ApplyServiceCoinSettings(int32_t* settings);
