// libFuzzer entry point: arbitrary bytes as a texture-animation file (".tca")
// beside a small fixed model. The first byte picks the model with the
// version flag (the file is its node table of texture keys) or the one
// without (the file holds the scroll of material 0); the rest is the file.
// Without the version flag a file fails the model exactly when it is too
// short for the two scroll values. A built model draws three frames with
// its texture animating (on the graphic manager's null device): each key
// lookup takes at most log2 of the keys plus one steps. The build runs
// within a budget of 1 MB: what it makes never takes more than it charged.
#include <bit>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "fuzz/load_bytes.h"
#include "fuzz/loader_world.h"
#include "vrax/resource/ModelWriter.h"
#include "vrax/resource/SRsc_Model.h"

namespace {

// One animated node "0" holding a triangle, with one material.
std::vector<uint8_t> MakeModel(bool versionFlag) {
  ModelFile m;
  m.hasTag = true;
  m.versionFlag = versionFlag;
  m.title = "tca";
  m.frameCount = 11;
  ModelFileMaterial mat;
  mat.name = "0 body";
  m.materialGroups.push_back({mat});
  ModelFileRecord n;
  n.name = "0";
  n.positions = {{0, 0, 0}, {10, 0, 0}, {0, 0, 10}};
  n.uvs = {{0, 0}, {1, 0}, {0, 1}};
  n.faces = {{{0, 1, 2}, 0}};
  n.materialGroup = 0;
  n.animated = true;
  m.nodes = {n};
  ModelFileTrack t;
  t.node = "0";
  t.positions = {ModelFileKey{0, {0, 0, 0}}, ModelFileKey{10, {1, 2, 3}}};
  t.rotations = {ModelFileKey{0, {0, 0, 0}}};
  t.scales = {ModelFileKey{0, {1, 1, 1}}};
  m.tracks = {t};
  return WriteModelFile(m);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzzsupport::LoaderWorld::Get();  // the graphic manager and its device
  static const std::vector<uint8_t> kModels[2] = {MakeModel(false), MakeModel(true)};
  ModelTexAnim table;
  ParseTexAnimNodeTable(data, size, &table);
  float u, v;
  ParseTexAnimScroll(data, size, &u, &v);
  if (size < 1) return 0;
  const bool versionFlag = (data[0] & 1) != 0;
  const std::vector<uint8_t>& bma = kModels[versionFlag ? 1 : 0];
  const uint32_t p[4] = {0, 0, 0, 0};
  SRsc_Model_Ex model;
  LoadBudget budget(uint64_t(1) << 20);
  fuzzsupport::LoadBytes::Begin();
  const bool built = model.Build(bma.data(), bma.size(), data + 1, size - 1, p, &budget);
  if (fuzzsupport::LoadBytes::End() > budget.Used() + fuzzsupport::LoadBytes::kSlack) __builtin_trap();
  if (!versionFlag && built != (size - 1 >= 8)) __builtin_trap();
  if (built) {
    SGpNode node;
    ModelApplyMotion(&node, 1, nullptr, SGpMotionCursor{&model, 4.5f}, false);
    model.GetMaterialScroll(0, &u, &v);
    plat::GfxDevice* d = SGpMan::GetDevice();
    SGpObj_Mesh* mesh = model.GetMesh(0);
    d->BeginScene();
    for (int frame = 0; frame < 3; ++frame) {
      model.FlagMesh(0);
      mesh->Execute();
    }
    d->EndScene();
    if (mesh->uSegments.Steps() > 3u * std::bit_width(uint32_t(mesh->uKeyCount)) ||
        mesh->vSegments.Steps() > 3u * std::bit_width(uint32_t(mesh->vKeyCount)))
      __builtin_trap();
  }
  return 0;
}
