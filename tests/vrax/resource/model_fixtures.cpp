#include "model_fixtures.h"

#include "vrax/resource/ModelWriter.h"

namespace modelfix {
namespace {

ModelFileMaterial Mat(const char* name, float r, float g, float b) {
  ModelFileMaterial m;
  m.name = name;
  m.diffuse[0] = r, m.diffuse[1] = g, m.diffuse[2] = b, m.diffuse[3] = 1.0f;
  m.ambient[0] = r * 0.5f, m.ambient[1] = g * 0.5f, m.ambient[2] = b * 0.5f, m.ambient[3] = 1.0f;
  m.power = 8.0f;
  return m;
}

void AddQuad(ModelFileRecord& r, float x0, float y0, float x1, float y1, uint32_t attr0, uint32_t attr1) {
  const uint16_t base = uint16_t(r.positions.size());
  // File positions are (x, y, z); the loader stores them as (x, z, y), so
  // a square in the file's x-z plane faces the viewer along y.
  r.positions.insert(r.positions.end(), {{x0, 0.0f, y0}, {x0, 0.0f, y1}, {x1, 0.0f, y1}, {x1, 0.0f, y0}});
  r.uvs.insert(r.uvs.end(), {{0, 1}, {0, 0}, {1, 0}, {1, 1}});
  r.faces.push_back({{base, uint16_t(base + 1), uint16_t(base + 2)}, attr0});
  r.faces.push_back({{base, uint16_t(base + 2), uint16_t(base + 3)}, attr1});
}

ModelFileKey Key(uint32_t f, float x, float y, float z) { return ModelFileKey{f, {x, y, z}}; }

}  // namespace

ModelFile Rigid() {
  ModelFile m;
  m.hasTag = m.versionFlag = true;
  m.title = "rigid";
  m.frameCount = 11;
  m.headerValue0 = 1.0f;
  m.headerValue1 = 30.0f;
  m.materialGroups.push_back({Mat("0 body", 1.0f, 0.5f, 0.25f), Mat("1 trim", 0.2f, 0.4f, 1.0f)});

  ModelFileRecord n0;
  n0.name = "0";
  AddQuad(n0, -40.0f, -40.0f, 40.0f, 40.0f, 0, 1);
  n0.hasColours = true;
  n0.colours = {{1, 1, 1, 1}, {1, 0.5f, 0, 1}, {1, 1, 1, 1}, {0, 1, 1, 1}};
  n0.materialGroup = 0;
  n0.animated = true;

  ModelFileRecord n1;
  n1.name = "1";
  n1.hasExtra = true;
  n1.extra = "0";
  n1.translation[0] = 2.0f;
  n1.positions = {{50, 0, -20}, {50, 0, 20}, {80, 0, 0}};
  n1.uvs = {{0, 0}, {0, 1}, {1, 0.5f}};
  n1.faces = {{{0, 1, 2}, 0}};
  n1.materialGroup = 0;

  m.nodes = {n0, n1};
  ModelFileTrack t;
  t.node = "0";
  t.positions = {Key(0, 0, 0, 0), Key(10, 10, 20, 30)};
  t.rotations = {Key(0, 0, 0, 0)};
  t.scales = {Key(0, 1, 1, 1)};
  m.tracks = {t};
  return m;
}

ModelTexAnim RigidTexAnim() {
  ModelTexAnim t;
  ModelFileNodeKeys e;
  e.node = "0";
  e.hasU = e.hasV = true;
  e.uKeys = {{0, 0.0f}, {10, 1.0f}};
  e.vKeys = {{0, 0.0f}, {10, 0.5f}};
  t.entries.push_back(e);
  return t;
}

ModelFile Skinned() {
  ModelFile m;
  m.title = "skinned";
  m.frameCount = 11;
  m.materialGroups.push_back({Mat("0 skin", 1.0f, 1.0f, 1.0f)});

  ModelFileRecord bar;
  bar.name = "bar";
  for (int i = 0; i < 3; ++i) {
    const float x = float(i);
    bar.positions.insert(bar.positions.end(), {{x, 0.0f, -0.5f}, {x, 0.0f, 0.5f}});
    bar.uvs.insert(bar.uvs.end(), {{x * 0.5f, 1.0f}, {x * 0.5f, 0.0f}});
  }
  bar.faces = {{{0, 1, 3}, 0}, {{0, 3, 2}, 0}, {{2, 3, 5}, 0}, {{2, 5, 4}, 0}};
  bar.materialGroup = 0;
  bar.hasSkin = true;
  for (int v = 0; v < 6; ++v) {
    ModelFileSkin s;
    const int col = v / 2;
    if (col == 0) s.influences = {{"0", 0, 1.0f}};
    if (col == 1) s.influences = {{"1", 0, 0.5f}, {"0", 0, 0.5f}};
    if (col == 2) s.influences = {{"1", 0, 1.0f}};
    bar.skins.push_back(s);
  }
  m.meshes = {bar};

  ModelFileRecord b0;
  b0.name = "0";
  b0.animated = true;
  ModelFileRecord b1;
  b1.name = "1";
  b1.hasExtra = true;
  b1.extra = "0";
  b1.translation[0] = 1.0f;
  b1.animated = true;
  m.nodes = {b0, b1};

  ModelFileTrack t0;
  t0.node = "0";
  t0.positions = {Key(0, 0, 0, 0)};
  t0.rotations = {Key(0, 0, 0, 0)};
  t0.scales = {Key(0, 1, 1, 1)};
  ModelFileTrack t1;
  t1.node = "1";
  t1.positions = {Key(0, 1, 0, 0)};
  t1.rotations = {Key(0, 0, 0, 0), Key(10, 0, 0, 1.5707964f)};
  t1.scales = {Key(0, 1, 1, 1)};
  m.tracks = {t0, t1};
  return m;
}

std::vector<uint8_t> RigidBytes() { return WriteModelFile(Rigid()); }
std::vector<uint8_t> SkinnedBytes() { return WriteModelFile(Skinned()); }

std::unique_ptr<SRsc_Model_Ex> Build(const ModelFile& f, const std::vector<uint8_t>* tca, const uint32_t* params) {
  static const uint32_t kNone[4] = {0, 0, 0, 0};
  auto m = std::make_unique<SRsc_Model_Ex>();
  const auto bytes = WriteModelFile(f);
  if (!m->Build(bytes.data(), bytes.size(), tca ? tca->data() : nullptr, tca ? tca->size() : 0,
                params ? params : kNone))
    return nullptr;
  return m;
}

std::unique_ptr<SRsc_Model_Ex> BuildRigid(const uint32_t* params) {
  const auto tca = WriteTexAnimNodeTable(RigidTexAnim());
  return Build(Rigid(), &tca, params);
}

}  // namespace modelfix
