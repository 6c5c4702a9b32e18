#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Image lists (".tr"): plain text naming texture files, one per line,
// relative to the list's directory.
//
// Separators are the bytes that, read as a signed char, are 0x20 or less:
// blanks, control characters and every byte from 0x80 up. The first name
// ends at its first separator; every later name starts at its first byte
// above 0x20 and runs up to the first byte below 0x20 (so it may hold
// blanks) or the end of the data. Names longer than kImageNameMax bytes are
// an error, as is a list without any name.
namespace image_list {

constexpr size_t kImageNameMax = 255;
// Most textures an image loads. The sprite tables name a few textures of an
// image, and models name theirs by number; the largest list of the game's
// data names 50 (an enemy's model textures), so 128 leaves room more than
// twice over. Names past it are damage, and each would cost a frame and a
// texture.
constexpr size_t kMaxImageListNames = 128;

enum class NameResult { kName, kEnd, kTooLong };

// First position at or after pos whose byte is not a separator (size when
// there is none).
size_t SkipSeparators(const uint8_t* data, size_t size, size_t pos);

// Reads the name starting at pos (which must not be a separator), never past
// size; first selects the first-name rule. On kName, *name holds it and *pos
// points behind it.
NameResult ReadName(const uint8_t* data, size_t size, size_t* pos, bool first, std::string* name);

// Whole-list parse: every name in order, up to the first
// kMaxImageListNames (what follows them is not read). False for a list
// without a name or with an over-long name.
bool Parse(const uint8_t* data, size_t size, std::vector<std::string>* names);

// "\common\Osr_Font" -> "\common\"; a path without a backslash -> "\".
std::string DirectoryOf(const std::string& path);

}  // namespace image_list
