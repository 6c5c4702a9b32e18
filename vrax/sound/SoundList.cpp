#include "vrax/sound/SoundList.h"

#include <limits>

namespace {

bool IsNameByte(uint8_t b) { return !IsSoundListBreak(b) && b != ' '; }

// Reads a decimal number at p the way "%d" does after blanks: an optional sign
// and at least one digit. Saturates at the int32 range.
bool ReadNumber(const uint8_t* data, size_t end, size_t& p, int32_t* value) {
  while (p < end && data[p] == ' ') ++p;
  size_t q = p;
  bool negative = false;
  if (q < end && (data[q] == '+' || data[q] == '-')) negative = data[q++] == '-';
  if (q >= end || data[q] < '0' || data[q] > '9') return false;
  int64_t v = 0;
  while (q < end && data[q] >= '0' && data[q] <= '9') {
    if (v <= std::numeric_limits<int32_t>::max()) v = v * 10 + (data[q] - '0');
    ++q;
  }
  if (negative) v = -v;
  if (v > std::numeric_limits<int32_t>::max()) v = std::numeric_limits<int32_t>::max();
  if (v < std::numeric_limits<int32_t>::min()) v = std::numeric_limits<int32_t>::min();
  *value = static_cast<int32_t>(v);
  p = q;
  return true;
}

}  // namespace

size_t SoundListNextLine(const uint8_t* data, size_t size, size_t cursor) {
  while (cursor < size && !IsSoundListBreak(data[cursor])) ++cursor;
  while (cursor < size && IsSoundListBreak(data[cursor])) ++cursor;
  return cursor;
}

bool ReadSoundListLine(const uint8_t* data, size_t size, size_t cursor, SoundListLine* out) {
  *out = SoundListLine{};
  size_t end = cursor;
  while (end < size && !IsSoundListBreak(data[end])) ++end;
  size_t p = cursor;
  while (p < end && data[p] == ' ') ++p;
  const size_t nameStart = p;
  while (p < end && IsNameByte(data[p])) ++p;
  const size_t nameLength = p - nameStart;
  if (nameLength > kMaxSoundNameLength) return false;
  if (nameLength == 0) return true;  // a blank line: an empty sound
  out->name.assign(reinterpret_cast<const char*>(data + nameStart), nameLength);
  int32_t first = 0;
  int32_t second = 0;
  if (ReadNumber(data, end, p, &first)) {
    out->loopStart = first;
    out->streamed = ReadNumber(data, end, p, &second);
  }
  return true;
}
