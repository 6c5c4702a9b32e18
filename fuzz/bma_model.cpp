// Model file and texture-animation file parsers on arbitrary bytes, and the
// whole model build from them: the first byte splits the rest into the
// model file and its ".tca" companion.
#include <cstddef>
#include <cstdint>

#include "vrax/resource/ModelFile.h"
#include "vrax/resource/SRsc_Model.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  ModelFile m;
  ParseModelFile(data, size, &m);
  ModelTexAnim t;
  ParseTexAnimNodeTable(data, size, &t);
  float u, v;
  ParseTexAnimScroll(data, size, &u, &v);
  if (size < 1) return 0;
  const size_t split = size_t(data[0]) * (size - 1) / 255;
  const uint8_t* bma = data + 1;
  const uint8_t* tca = data[0] == 0 ? nullptr : bma + split;
  const uint32_t p[4] = {0, 0, 0, 0};
  SRsc_Model_Ex model;
  if (model.Build(bma, split == 0 ? size - 1 : split, tca, tca ? size - 1 - split : 0, p)) {
    SGpNode nodes[4];
    const int32_t n = model.NodeCount() < 4 ? model.NodeCount() : 4;
    ModelApplyMotion(nodes, n, nullptr, SGpMotionCursor{&model, 3.5f}, false);
  }
  return 0;
}
