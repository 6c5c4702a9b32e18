#include "tools/damagecheck/Damage.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace damagecheck {

namespace {

uint32_t ReadLe32(const std::vector<uint8_t>& b, size_t at) {
  return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 | uint32_t(b[at + 3]) << 24;
}

void SetAllOnes(std::vector<uint8_t>& b, size_t at) {
  if (at + 4 <= b.size()) std::fill_n(b.begin() + std::ptrdiff_t(at), 4, uint8_t{0xFF});
}

// Offsets of the u32 counts, each set to 0xFFFFFFFF (and sizes that count bytes) of a binary file.
std::vector<size_t> CountOffsets(const std::string& kind, const std::vector<uint8_t>& b) {
  // The record or key count at the start.
  if (kind == "cam" || kind == "opl" || kind == "ovl" || kind == "inp") return {0};
  // The tunnel's texture count in its header.
  if (kind == "tnl") return {0x10C};
  // The archive's entry count.
  if (kind == "sca") return {24};
  // The LZ block's unpacked size: the replay's frame count.
  if (kind == "rpd") return {16};
  // The length of the model's first string, behind its 6-byte version tag.
  if (kind == "bma") return {6};
  // The length of the first chunk (the header chunk).
  if (kind == "png") return {8};
  if (kind == "wav") {
    // The RIFF size and the size of every chunk in it.
    std::vector<size_t> at = {4};
    for (size_t p = 12; p + 8 <= b.size();) {
      at.push_back(p + 4);
      const uint64_t size = ReadLe32(b, p + 4);
      p += 8 + size + (size & 1);
    }
    return at;
  }
  if (kind == "stg") {
    // Five section offsets; the third word of each section head is its count.
    std::vector<size_t> at;
    for (size_t i = 0; i < 5 && (i + 1) * 4 <= b.size(); ++i) at.push_back(size_t(ReadLe32(b, i * 4)) + 8);
    return at;
  }
  return {};
}

// A cache archive's entries: the byte in the middle of each one's stored
// bytes inverted (its 28-byte head and each entry's 136-byte head, its name
// and then its size, stay whole, so that the archive loads and serves the
// damaged entries). The walk stops at an entry that runs past the end.
void FlipArchiveEntries(std::vector<uint8_t>& b) {
  for (size_t at = 28; at + 136 <= b.size();) {
    const size_t size = ReadLe32(b, at + 128);
    at += 136;
    if (size > b.size() - at) return;
    if (size > 0) b[at + size / 2] = uint8_t(~b[at + size / 2]);
    at += size;
  }
}

// The lists of names, one a line (image and sound lists).
bool IsTextList(const std::string& kind) { return kind == "tr" || kind == "sr"; }

// What both lists take for a line break: a byte below 0x20 as a signed char.
bool IsLineBreak(uint8_t c) { return static_cast<int8_t>(c) < 0x20; }

}  // namespace

const char* DamageName(Damage d) {
  switch (d) {
    case Damage::kDeleted: return "deleted";
    case Damage::kEmptied: return "emptied";
    case Damage::kCutShort: return "cut";
    case Damage::kFlipped: return "flipped";
    case Damage::kCounts: return "counts";
  }
  return "?";
}

bool ParseDamage(const std::string& word, Damage* out) {
  for (Damage d : kAllDamages) {
    if (word == DamageName(d)) {
      *out = d;
      return true;
    }
  }
  return false;
}

std::string KindOf(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  const size_t dot = path.find_last_of('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return std::string();
  std::string k = path.substr(dot + 1);
  for (char& c : k) c = char(std::tolower(static_cast<unsigned char>(c)));
  return k;
}

bool Applies(const std::string& kind, Damage d) {
  if (d != Damage::kCounts) return true;
  // A list of names (".tr"), a texture scroll pair (".tca") and the
  // count-down images have no count to set.
  return kind != "tr" && kind != "tca" && kind != "bmp" && kind != "dds";
}

bool ErrorExpected(const std::string& kind, Damage d) {
  // A cache archive that does not load is no error: the scene reads its
  // files singly and writes the archive again.
  if (kind == "sca") return false;
  // The count-down images (and the side images beside them) are read by the
  // service's count-down overlay, which stays idle without them. It tells a
  // side image that is there but unusable on standard error, outside the
  // game's error lines.
  if (kind == "bmp" || kind == "dds") return false;
  // A model's texture-animation file may be missing; a flipped one holds
  // two other scroll values, which no reader can tell from the right ones.
  if (kind == "tca") return d != Damage::kDeleted && d != Damage::kFlipped;
  return true;
}

std::vector<uint8_t> Apply(const std::string& kind, Damage d, const std::vector<uint8_t>& bytes) {
  std::vector<uint8_t> b = bytes;
  switch (d) {
    case Damage::kDeleted:
    case Damage::kEmptied:
      return {};
    case Damage::kCutShort: {
      size_t cut = b.size() / 2;
      if (IsTextList(kind)) {
        // A list cut at a line break is a whole shorter list (the format
        // has no count to tell them apart): the cut falls 3 bytes into the
        // name of the line holding the middle.
        while (cut > 0 && !IsLineBreak(b[cut - 1])) --cut;
        cut = std::min(cut + 3, b.size());
      }
      b.resize(cut);
      return b;
    }
    case Damage::kFlipped: {
      if (kind == "sca") {
        FlipArchiveEntries(b);
        return b;
      }
      // The head (where each format keeps its tag, counts and first offsets)
      // and one byte in 61 after it. A text list gets its low bits flipped:
      // inverted whole, its letters would read as line breaks and its names
      // would vanish instead of changing.
      const uint8_t mask = IsTextList(kind) ? 0x01 : 0xFF;
      for (size_t i = 0; i < b.size(); i += i < 16 ? 1 : 61) b[i] = uint8_t(b[i] ^ mask);
      return b;
    }
    case Damage::kCounts:
      if (kind == "sr") {
        // A text list: its first number becomes 2^32 - 1.
        const auto digit = std::find_if(b.begin(), b.end(), [](uint8_t c) { return std::isdigit(c) != 0; });
        const auto end = std::find_if(digit, b.end(), [](uint8_t c) { return std::isdigit(c) == 0; });
        const std::ptrdiff_t at = digit - b.begin();
        static const char kWord[] = "4294967295";
        b.erase(digit, end);
        b.insert(b.begin() + at, kWord, kWord + std::strlen(kWord));
        return b;
      }
      for (size_t at : CountOffsets(kind, b)) SetAllOnes(b, at);
      return b;
  }
  return b;
}

}  // namespace damagecheck
