// Model file and texture-animation file parsers on arbitrary bytes, and the
// whole model build from them as the model resource runs it once its files
// are read (meshes, normals, the device's vertex and index buffers on the
// null device, skin, bind pose, texture keys, animation tracks), then a
// pose: the first byte splits the rest into the model file and its ".tca"
// companion. The build's steps stay within twice the nodes plus the
// entries the ".tca" file can hold, whatever the shape of the tree.
#include <cstddef>
#include <cstdint>

#include "fuzz/loader_world.h"
#include "vrax/resource/ModelFile.h"
#include "vrax/resource/SRsc_Model.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzzsupport::LoaderWorld::Get();  // the graphic manager and its device
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
  const size_t tcaSize = tca ? size - 1 - split : 0;
  const uint32_t p[4] = {0, 0, 0, 0};
  SRsc_Model_Ex model;
  if (model.Build(bma, split == 0 ? size - 1 : split, tca, tcaSize, p)) {
    // A table entry takes at least 6 bytes (an empty name and two flags).
    if (model.BuildSteps() > 2 * uint64_t(model.NodeCount()) + tcaSize / 6) __builtin_trap();
    SGpNode nodes[4];
    const int32_t n = model.NodeCount() < 4 ? model.NodeCount() : 4;
    ModelApplyMotion(nodes, n, nullptr, SGpMotionCursor{&model, 3.5f}, false);
  }
  return 0;
}
