#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/registry.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  plat::RegTree tree = plat::ParseRegistryText(text);
  (void)plat::ParseRegistryText(plat::FormatRegistryText(tree));
  return 0;
}
