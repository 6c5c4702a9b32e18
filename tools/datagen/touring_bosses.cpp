#include "tools/datagen/touring_bosses.h"

#include <cmath>

#include "vrax/resource/ModelWriter.h"

namespace datagen {

namespace {

// A point of the picture as a lying model holds it: the quarter turn about
// x that stands the model up takes (x, z, -y) to (x, y, z).
BossPart Lay(const BossPart& p, bool lying) { return lying ? BossPart{p.x, p.z, -p.y} : p; }

// A triangle in game coordinates (x, y, z); the file stores (x, z, y).
void Tri(ModelFileRecord& r, const BossPart& a, const BossPart& b, const BossPart& c, bool lying) {
  const auto base = uint16_t(r.positions.size());
  for (const BossPart* q : {&a, &b, &c}) {
    const BossPart p = Lay(*q, lying);
    r.positions.push_back({p.x, p.z, p.y});
  }
  r.uvs.insert(r.uvs.end(), {{0, 0}, {1, 0}, {0, 1}});
  r.faces.push_back({{base, uint16_t(base + 1), uint16_t(base + 2)}, 0});
  r.faces.push_back({{base, uint16_t(base + 2), uint16_t(base + 1)}, 0});
}

// A flat square of half size h about c (a part seen from the front).
void Plate(ModelFileRecord& r, const BossPart& c, float h, bool lying) {
  const BossPart p[4] = {{c.x - h, c.y - h, c.z}, {c.x + h, c.y - h, c.z}, {c.x + h, c.y + h, c.z},
                         {c.x - h, c.y + h, c.z}};
  Tri(r, p[0], p[1], p[2], lying);
  Tri(r, p[0], p[2], p[3], lying);
}

}  // namespace

std::vector<uint8_t> PartsModel(int nodes, float span, float scale, uint32_t frames, BossPart (*place)(int n),
                                bool lying) {
  ModelFile m;
  m.hasTag = true;
  m.title = "stand-in";
  m.frameCount = frames + 1;
  m.headerValue0 = 1.0f;
  m.headerValue1 = 30.0f;
  ModelFileMaterial mat;
  mat.name = "0 body";
  for (int i = 0; i < 3; ++i) mat.ambient[i] = 0.6f;
  mat.power = 8.0f;
  m.materialGroups.push_back({mat});
  const float h = span / 2.0f / scale;
  for (int n = 0; n < nodes; ++n) {
    ModelFileRecord r;
    r.name = std::to_string(n);
    r.materialGroup = 0;
    BossPart at{0, 0, 0};
    if (n == 0) {
      // The hull: a broad arrowhead with two wings.
      Tri(r, {0, -h, 0}, {h * 0.3f, h * 0.6f, 0}, {-h * 0.3f, h * 0.6f, 0}, lying);
      Tri(r, {-h * 0.2f, -h * 0.1f, 0}, {-h, h * 0.4f, 0}, {-h * 0.2f, h * 0.3f, 0}, lying);
      Tri(r, {h * 0.2f, -h * 0.1f, 0}, {h, h * 0.4f, 0}, {h * 0.2f, h * 0.3f, 0}, lying);
    } else {
      r.hasExtra = true;
      r.extra = "0";
      const BossPart p = place(n);
      at = Lay(BossPart{p.x / scale, p.y / scale, p.z / scale}, lying);
      Plate(r, {0, 0, 0}, h * 0.05f, lying);
    }
    r.translation[0] = at.x, r.translation[1] = at.z, r.translation[2] = at.y;
    r.animated = true;
    ModelFileTrack t;
    t.node = r.name;
    t.positions = {{0, {at.x, at.z, at.y}}, {frames, {at.x, at.z, at.y}}};
    t.rotations = {{0, {0, 0, 0}}, {frames, {0, 0, 0}}};
    t.scales = {{0, {1, 1, 1}}, {frames, {1, 1, 1}}};
    m.tracks.push_back(t);
    m.nodes.push_back(r);
  }
  return WriteModelFile(m);
}

void EnsureBulletPath(StageScriptBuilder& b, int32_t id, std::initializer_list<EShotMotion> entries) {
  for (const PatternList& l : b.Records().patternLists)
    if (l.id == id) return;
  b.BulletPath(id, entries);
}

void SetBossRoutes(StageScriptBuilder& b, EnemyParam& p, std::initializer_list<RouteEntry> entries) {
  const int32_t id = 1000 + p.type;
  p.defeatMode = 3;
  p.routeTableId = id;
  b.Routes(id, entries);
}

std::vector<uint8_t> TouringBossModel(const std::string& stem, float scale) {
  if (stem == "osr_bs08") return Boss10Model(scale);
  if (stem == "osr_bs09") return Boss11Model(scale);
  if (stem == "osr_bs10") return Boss12Model(scale);
  if (stem == "osr_bs14") return Boss16Model(scale);
  return {};
}

}  // namespace datagen
