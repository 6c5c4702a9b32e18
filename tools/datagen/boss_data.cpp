#include "tools/datagen/boss_data.h"

#include <cmath>

#include "tools/datagen/touring_bosses.h"
#include "vrax/resource/ModelWriter.h"

namespace datagen {

namespace {

constexpr float kPi = 3.14159265f;

// A flat plate of half size h at (x, y) (file order x, z, y), both windings.
void Plate(ModelFileRecord& r, float x, float y, float h) {
  const auto base = uint16_t(r.positions.size());
  const std::array<float, 3> p[4] = {{x - h, 0, y - h}, {x + h, 0, y - h}, {x + h, 0, y + h}, {x - h, 0, y + h}};
  for (const auto& v : p) r.positions.push_back(v);
  r.uvs.insert(r.uvs.end(), {{0, 0}, {1, 0}, {1, 1}, {0, 1}});
  for (const auto& f : {std::array<int, 3>{0, 1, 2}, {0, 2, 3}, {0, 2, 1}, {0, 3, 2}})
    r.faces.push_back({{uint16_t(base + f[0]), uint16_t(base + f[1]), uint16_t(base + f[2])}, 0});
}

}  // namespace

std::vector<uint8_t> BossModel(int nodes, float span, int hull) {
  ModelFile m;
  m.hasTag = true;
  m.title = "stand-in boss";
  m.frameCount = 1;
  m.headerValue0 = 1.0f;
  m.headerValue1 = 30.0f;
  ModelFileMaterial mat;
  mat.name = "0 body";
  for (int i = 0; i < 3; ++i) mat.ambient[i] = 0.6f;
  mat.power = 8.0f;
  m.materialGroups.push_back({mat});
  const float h = span * 0.5f;
  // The hull's record first: a file lists parents before their children.
  ModelFileRecord root;
  root.name = std::to_string(hull);
  root.materialGroup = 0;
  Plate(root, 0.0f, 0.0f, h * 0.35f);
  Plate(root, -h * 0.55f, h * 0.1f, h * 0.2f);
  Plate(root, h * 0.55f, h * 0.1f, h * 0.2f);
  m.nodes.push_back(root);
  for (int n = 0; n < nodes; ++n) {
    if (n == hull) continue;
    // Three rings of pieces, the inner ones larger; place i of the rings.
    const int i = n == 0 ? hull : n;
    const int ring = i % 3;
    const float a = float(i) * 2.0f * kPi / float(nodes - 1) + float(ring) * 0.4f;
    const float d = h * (0.45f + 0.2f * float(ring));
    ModelFileRecord r;
    r.name = std::to_string(n);
    r.hasExtra = true;
    r.extra = root.name;
    r.materialGroup = 0;
    r.translation[0] = d * std::cos(a);
    r.translation[2] = d * std::sin(a);
    Plate(r, 0.0f, 0.0f, h * (0.12f - 0.03f * float(ring)));
    m.nodes.push_back(r);
  }
  return WriteModelFile(m);
}

RouteTable& BossRoutes(StageScriptBuilder& b, EnemyParam& p, int entries, float frames,
                       std::initializer_list<int> loops) {
  const auto id = int32_t(p.id);
  RouteTable& t = b.Routes(id, {});
  for (int i = 0; i < entries; ++i) {
    bool loop = false;
    for (int l : loops) loop = loop || l == i;
    t.entries.push_back(RouteEntry{0, 10.0f * float(i), 10.0f * float(i) + frames, loop ? 1u : 0u, 1.0f});
  }
  p.routeTableId = id;
  // The wreck flies on to the end of its script: its companion ends it.
  p.defeatMode = 3;
  return t;
}

std::vector<uint8_t> WriteBossModel(const std::vector<BossModelNode>& nodes, uint32_t frames) {
  ModelFile m;
  m.hasTag = true;
  m.title = "stand-in boss";
  m.frameCount = frames;
  m.headerValue0 = 1.0f;
  m.headerValue1 = 30.0f;
  ModelFileMaterial mat;
  mat.name = "0 body";
  for (int i = 0; i < 3; ++i) mat.ambient[i] = 0.6f;
  mat.power = 8.0f;
  m.materialGroups.push_back({mat});
  for (size_t i = 0; i < nodes.size(); ++i) {
    const BossModelNode& n = nodes[i];
    ModelFileRecord r;
    r.name = std::to_string(i);
    if (n.parent >= 0) {
      r.hasExtra = true;
      r.extra = std::to_string(n.parent);
    }
    r.translation[0] = n.x, r.translation[1] = n.z, r.translation[2] = n.y;
    if (n.size > 0.0f) {
      Plate(r, 0.0f, 0.0f, n.size);
      r.materialGroup = 0;
    }
    r.animated = true;
    m.nodes.push_back(r);
    ModelFileTrack t;
    t.node = r.name;
    t.positions = {{0, {n.x, n.z, n.y}}, {frames - 1, {n.x, n.z, n.y}}};
    t.rotations = {{0, {0, 0, 0}}};
    t.scales = {{0, {1, 1, 1}}};
    m.tracks.push_back(t);
  }
  return WriteModelFile(m);
}

std::vector<uint8_t> BossModelFor(const std::string& stem, uint32_t scale) {
  const float s = scale != 0 ? float(scale) / 65536.0f : 1.0f;
  // Types 5, 6 and 7: "osr_bs03", "osr_bs04" and "osr_bs05".
  // Type 5's show hides node 0: a piece, node 1 the hull.
  if (stem == "osr_bs03") return BossModel(43, 240.0f / s, 1);
  if (stem == "osr_bs04") return BossModel(48, 240.0f / s);
  if (stem == "osr_bs01") return Boss03Model();
  if (stem == "osr_bs06") return Boss08Model();
  if (stem == "osr_bs02") return Boss04Model();
  if (stem == "osr_bs05") return BossModel(68, 240.0f / s);
  if (stem == "osr_bs12") return BossModel(37, 240.0f / s);  // type 14: nodes up to 36
  return TouringBossModel(stem, s);
}

void AddBossData(StageScriptBuilder& b, EnemyParam& p) {
  switch (p.type) {
    case 5: AddBoss05(b, p); break;
    case 6: AddBoss06(b, p); break;
    case 3: Boss03Record(b, p); break;
    case 8: Boss08Record(b, p); break;
    case 4: Boss04Record(b, p); break;
    case 7: AddBoss07(b, p); break;
    case 10: AddBoss10(b, p); break;
    case 11: AddBoss11(b, p); break;
    case 12: AddBoss12(b, p); break;
    case 13: AddBoss13(b, p); break;
    case 14: AddBoss14(b, p); break;
    case 15: AddBoss15(b, p); break;
    case 16: AddBoss16(b, p); break;
    default: break;
  }
}

}  // namespace datagen
