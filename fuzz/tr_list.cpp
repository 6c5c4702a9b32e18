// libFuzzer entry point for the image list (".tr") parser.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "vrax/resource/ImageList.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<std::string> names;
  if (image_list::Parse(data, size, &names)) {
    for (const std::string& n : names) {
      if (n.empty() || n.size() > image_list::kImageNameMax) __builtin_trap();
    }
  }
  return 0;
}
