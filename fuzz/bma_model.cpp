// Model file and texture-animation file parsers on arbitrary bytes.
#include <cstddef>
#include <cstdint>

#include "vrax/resource/ModelFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  ModelFile m;
  ParseModelFile(data, size, &m);
  ModelTexAnim t;
  ParseTexAnimNodeTable(data, size, &t);
  float u, v;
  ParseTexAnimScroll(data, size, &u, &v);
  return 0;
}
