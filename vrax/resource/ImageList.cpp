#include "vrax/resource/ImageList.h"

namespace image_list {
namespace {
// The list's bytes are compared as signed chars: 0x80 and up count as
// control bytes, like the blanks and line breaks.
inline int Signed(uint8_t b) { return static_cast<int>(static_cast<int8_t>(b)); }
}  // namespace

size_t SkipSeparators(const uint8_t* data, size_t size, size_t pos) {
  while (pos < size && Signed(data[pos]) <= 0x20) ++pos;
  return pos;
}

NameResult ReadName(const uint8_t* data, size_t size, size_t* pos, bool first, std::string* name) {
  size_t start = *pos;
  if (start >= size) return NameResult::kEnd;
  size_t end = start;
  if (first) {
    while (end < size && Signed(data[end]) > 0x20) ++end;
  } else {
    while (end < size && Signed(data[end]) >= 0x20) ++end;
  }
  if (end - start > kImageNameMax) return NameResult::kTooLong;
  name->assign(reinterpret_cast<const char*>(data + start), end - start);
  *pos = end;
  return NameResult::kName;
}

bool Parse(const uint8_t* data, size_t size, std::vector<std::string>* names) {
  names->clear();
  size_t pos = SkipSeparators(data, size, 0);
  bool first = true;
  while (pos < size && names->size() < kMaxImageListNames) {
    std::string name;
    if (ReadName(data, size, &pos, first, &name) != NameResult::kName) return false;
    names->push_back(std::move(name));
    first = false;
    pos = SkipSeparators(data, size, pos);
  }
  return !names->empty();
}

std::string DirectoryOf(const std::string& path) {
  size_t cut = path.find_last_of('\\');
  if (cut == std::string::npos) return "\\";
  return path.substr(0, cut + 1);
}

}  // namespace image_list
