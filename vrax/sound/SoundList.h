#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

// Sound lists (".sr"): plain text, one sound per line; sound n is line n
// counted from 0, and the first line begins at the first byte of the file. A
// line holds the wave file's name (relative to the list's directory, with its
// extension), then optionally a blank and the loop start in sample frames,
// then optionally a blank and a further number whose presence makes the
// sound streamed. Every byte below 0x20 read as a signed char (so also 0x80
// and up) ends a line, and a run of such bytes is one line break. A line
// without a name (blanks only, or the empty text before a break at the very
// start) still takes its number: that sound is empty and plays nothing, so
// the numbers of the lines after it stay as the list's author wrote them.

// One line of a sound list. A streamed sound plays through the looping stream
// buffer and loops back to loopStart (sample frames); a static one is copied
// whole into its buffer and plays once.
struct SoundListLine {
  std::string name;
  bool streamed = false;
  int32_t loopStart = 0;
};

constexpr size_t kMaxSoundNameLength = 255;
// Most sounds a bank loads. The game plays sounds by numbers fixed in its
// code, the highest 63 (its effect and voice banks hold 64 sounds, its music
// bank 8), so a bank of 128 leaves room twice over; lines past it are damage
// (a list repeated, or lines of garbage), and each would cost a frame and a
// buffer.
constexpr size_t kMaxSoundListLines = 128;

inline bool IsSoundListBreak(uint8_t b) { return static_cast<int8_t>(b) < 0x20; }

// Offset of the line after the one at cursor (past the line's text and the
// run of breaks that ends it); size when there is none.
size_t SoundListNextLine(const uint8_t* data, size_t size, size_t cursor);
// Reads the line at cursor; a line without a name reads as an empty name.
// False when the name is longer than kMaxSoundNameLength. Never reads at or
// past size.
bool ReadSoundListLine(const uint8_t* data, size_t size, size_t cursor, SoundListLine* out);
