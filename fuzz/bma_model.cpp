// Model file and texture-animation file parsers on arbitrary bytes, and the
// whole model build from them as the model resource runs it once its files
// are read (meshes, normals, the device's vertex and index buffers on the
// null device, skin, bind pose, texture keys, animation tracks), then a
// pose and a frame of drawing: the first byte splits the rest into the
// model file and its ".tca" companion. The build's steps stay within twice
// the nodes plus the entries the ".tca" file can hold, whatever the shape
// of the tree; every tree is placed and drawn whatever its depth, and each
// face-group or texture-key lookup of the frame takes at most log2 of the
// groups or keys plus one steps. The build runs within a budget of 1 MB:
// what it makes never takes more than it charged, and flagging a material
// visits at most one group per node.
#include <bit>
#include <cstddef>
#include <cstdint>

#include "fuzz/load_bytes.h"
#include "fuzz/loader_world.h"
#include "vrax/resource/ModelFile.h"
#include "vrax/resource/SRsc_Model.h"

namespace {

// Steps a frame's lookups may take in a table of n entries, `lookups` times.
uint64_t LogSteps(uint64_t lookups, int64_t n) { return lookups * uint64_t(std::bit_width(uint64_t(n > 0 ? n : 0))); }

// One frame: every material animating its texture, every tree placed and
// drawn from its root.
void DrawFrame(SRsc_Model_Ex& model) {
  plat::GfxDevice* d = SGpMan::GetDevice();
  if (d == nullptr) __builtin_trap();
  d->BeginScene();
  for (int32_t g = 0; g < model.MaterialGroupCount(); ++g)
    for (ModelMaterial& m : model.GetMaterialGroup(g)->materials) m.update = 1;
  for (int32_t i = 0; i < model.NodeCount(); ++i) {
    SGpNode* root = model.GetNode(i);
    if (root->GetParent() != nullptr) continue;
    root->UpdateKept(nullptr, 1);
    root->Execute();
  }
  d->EndScene();
  for (int32_t i = 0; i < model.MeshCount(); ++i) {
    const SGpObj_Mesh& p = *model.GetMesh(i);
    const uint64_t materials = p.materials != nullptr ? p.materials->materials.size() : 0;
    if (p.mesh && p.mesh->LookupSteps() > LogSteps(materials, p.subsetCount)) __builtin_trap();
    if (p.uSegments.Steps() > LogSteps(materials, p.uKeyCount) || p.vSegments.Steps() > LogSteps(materials, p.vKeyCount))
      __builtin_trap();
  }
  const ModelMaterialGroup* skin = model.GetDrawData().skinnedMaterials;
  const SGpMesh* mesh = model.GetSkinnedMesh();
  if (mesh != nullptr && skin != nullptr &&
      mesh->LookupSteps() > LogSteps(skin->materials.size(), model.GetDrawData().skinnedSubsetCount))
    __builtin_trap();
}

}  // namespace

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
  LoadBudget budget(uint64_t(1) << 20);
  fuzzsupport::LoadBytes::Begin();
  const bool built = model.Build(bma, split == 0 ? size - 1 : split, tca, tcaSize, p, &budget);
  if (fuzzsupport::LoadBytes::End() > budget.Used() + fuzzsupport::LoadBytes::kSlack) __builtin_trap();
  if (built) {
    // A table entry takes at least 6 bytes (an empty name and two flags).
    if (model.BuildSteps() > 2 * uint64_t(model.NodeCount()) + tcaSize / 6) __builtin_trap();
    // Flagging a material visits the groups the meshes draw with.
    model.FlagMesh(0);
    if (model.FlagSteps() > uint64_t(model.NodeCount()) + 1) __builtin_trap();
    SGpNode nodes[4];
    const int32_t n = model.NodeCount() < 4 ? model.NodeCount() : 4;
    ModelApplyMotion(nodes, n, nullptr, SGpMotionCursor{&model, 3.5f}, false);
    DrawFrame(model);
  }
  return 0;
}
