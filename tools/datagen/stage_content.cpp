// Stand-in images and models of the stage resource tables. Every IMG row
// that no sprite table draws (and that is not a tunnel's image list) gets a
// small patterned texture, every MDL row a model built here from boxes,
// pyramids, domes and flat plates, chosen by the row's name:
// - enemies and bosses ("\enemy\..."): a flat craft facing the viewer in
//   the play plane, sized for the row's scale parameter (65536 = 1);
// - object sets: ground plates, trees, rocks or buildings, at the size of
//   the stage world (the camera path runs 12 units a key);
// - skies: an inside-out dome;
// - stage 5's hall: its pieces stand in world coordinates around the place
//   the camera passes between rail positions 4230 and 5300 (see
//   stage_files.cpp), the pillars, chunks and stones animated over the
//   frames the scene plays them (100, 300 and 170).
#include "tools/datagen/stage_content.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "game/scene/Title.h"
#include "game/stage/StageRscTables.h"
#include "game/tables/image_slots.h"
#include "game/tables/table_registry.h"
#include "tools/datagen/boss_data.h"
#include "tools/datagen/cache.h"
#include "tools/datagen/canvas.h"
#include "tools/datagen/stage_files.h"
#include "vrax/resource/ModelWriter.h"

namespace datagen {

namespace {

constexpr float kPi = 3.14159265f;

struct V3 {
  float x, y, z;
};

// A model of one node under construction. Points are given in game
// coordinates (x right, y up, z depth); the file stores (x, z, y).
class MeshBuilder {
 public:
  // A triangle, written in both windings so it shows from either side.
  void Tri(const V3& a, const V3& b, const V3& c, std::array<float, 2> ua = {0, 0}, std::array<float, 2> ub = {1, 0},
           std::array<float, 2> uc = {0, 1}) {
    const auto base = uint16_t(rec_.positions.size());
    for (const V3* p : {&a, &b, &c}) rec_.positions.push_back({p->x, p->z, p->y});
    rec_.uvs.insert(rec_.uvs.end(), {ua, ub, uc});
    rec_.faces.push_back({{base, uint16_t(base + 1), uint16_t(base + 2)}, 0});
    rec_.faces.push_back({{base, uint16_t(base + 2), uint16_t(base + 1)}, 0});
  }
  // The quad a, b, c, d (in order round its edge).
  void Quad(const V3& a, const V3& b, const V3& c, const V3& d) {
    Tri(a, b, c, {0, 0}, {1, 0}, {1, 1});
    Tri(a, c, d, {0, 0}, {1, 1}, {0, 1});
  }
  void Box(const V3& c, const V3& s) {
    const float x0 = c.x - s.x / 2, x1 = c.x + s.x / 2, y0 = c.y - s.y / 2, y1 = c.y + s.y / 2;
    const float z0 = c.z - s.z / 2, z1 = c.z + s.z / 2;
    Quad({x0, y0, z0}, {x1, y0, z0}, {x1, y1, z0}, {x0, y1, z0});
    Quad({x0, y0, z1}, {x1, y0, z1}, {x1, y1, z1}, {x0, y1, z1});
    Quad({x0, y0, z0}, {x0, y0, z1}, {x0, y1, z1}, {x0, y1, z0});
    Quad({x1, y0, z0}, {x1, y0, z1}, {x1, y1, z1}, {x1, y1, z0});
    Quad({x0, y1, z0}, {x1, y1, z0}, {x1, y1, z1}, {x0, y1, z1});
    Quad({x0, y0, z0}, {x1, y0, z0}, {x1, y0, z1}, {x0, y0, z1});
  }
  // A four-sided pyramid standing on the square of half width r at height
  // y0, its tip at y1.
  void Pyramid(const V3& c, float r, float y0, float y1) {
    const V3 tip{c.x, y1, c.z};
    const V3 q[4] = {{c.x - r, y0, c.z - r}, {c.x + r, y0, c.z - r}, {c.x + r, y0, c.z + r}, {c.x - r, y0, c.z + r}};
    for (int i = 0; i < 4; ++i) Tri(q[i], q[(i + 1) % 4], tip, {0, 1}, {1, 1}, {0.5f, 0});
  }
  // An octahedron of radii r (a rock).
  void Rock(const V3& c, const V3& r) {
    const V3 p[6] = {{c.x + r.x, c.y, c.z}, {c.x, c.y, c.z + r.z}, {c.x - r.x, c.y, c.z},
                     {c.x, c.y, c.z - r.z}, {c.x, c.y + r.y, c.z}, {c.x, c.y - r.y * 0.7f, c.z}};
    for (int i = 0; i < 4; ++i) {
      Tri(p[i], p[(i + 1) % 4], p[4]);
      Tri(p[i], p[(i + 1) % 4], p[5]);
    }
  }
  // A dome of radius r over (cx, cy, cz): rings x segments.
  void Dome(const V3& c, float r, float heightScale, int rings = 4, int segments = 12) {
    auto at = [&](int ring, int seg) {
      const float a = float(ring) / float(rings) * (kPi / 2), b = float(seg) / float(segments) * 2 * kPi;
      return V3{c.x + r * std::cos(a) * std::cos(b), c.y + r * heightScale * std::sin(a), c.z + r * std::cos(a) * std::sin(b)};
    };
    for (int i = 0; i < rings; ++i)
      for (int j = 0; j < segments; ++j) Quad(at(i, j), at(i, j + 1), at(i + 1, j + 1), at(i + 1, j));
  }
  // A flat craft facing the viewer (z 0) of the given span: a long hull
  // and two swept wings; `parts` more pods round it for the large ones.
  void Craft(float span, int parts) {
    const float h = span * 0.5f;
    Tri({0, -h, 0}, {h * 0.25f, h * 0.6f, 0}, {-h * 0.25f, h * 0.6f, 0}, {0.5f, 0}, {1, 1}, {0, 1});
    Quad({-h * 0.2f, -h * 0.1f, 0}, {-h, h * 0.35f, 0}, {-h * 0.8f, h * 0.55f, 0}, {-h * 0.15f, h * 0.3f, 0});
    Quad({h * 0.2f, -h * 0.1f, 0}, {h, h * 0.35f, 0}, {h * 0.8f, h * 0.55f, 0}, {h * 0.15f, h * 0.3f, 0});
    for (int i = 0; i < parts; ++i) {
      const float a = float(i) / float(parts) * 2 * kPi;
      const V3 c{std::cos(a) * h * 0.7f, std::sin(a) * h * 0.7f, 0};
      const float r = h * 0.15f;
      Quad({c.x - r, c.y - r, 0}, {c.x + r, c.y - r, 0}, {c.x + r, c.y + r, 0}, {c.x - r, c.y + r, 0});
    }
  }

  ModelFileRecord& Record() { return rec_; }

 private:
  ModelFileRecord rec_;
};

ModelFileMaterial Material() {
  ModelFileMaterial m;
  m.name = "0 body";
  for (int i = 0; i < 3; ++i) m.ambient[i] = 0.6f;
  m.power = 8.0f;
  return m;
}

// A one-node model; with keys, the node moves from its place at frame 0 by
// `turn` (radians about x) and `drop` (units down) at frame `frames`.
std::vector<uint8_t> WriteModel(MeshBuilder& b, const V3& origin = {0, 0, 0}, uint32_t frames = 0, float turn = 0,
                                float drop = 0) {
  ModelFile m;
  m.hasTag = true;
  m.title = "stand-in";
  m.frameCount = frames + 1;
  m.headerValue0 = 1.0f;
  m.headerValue1 = 30.0f;
  m.materialGroups.push_back({Material()});
  ModelFileRecord& r = b.Record();
  r.name = "0";
  r.materialGroup = 0;
  r.translation[0] = origin.x, r.translation[1] = origin.z, r.translation[2] = origin.y;
  if (frames > 0) {
    r.animated = true;
    ModelFileTrack t;
    t.node = "0";
    t.positions = {{0, {origin.x, origin.z, origin.y}}, {frames, {origin.x, origin.z, origin.y - drop}}};
    t.rotations = {{0, {0, 0, 0}}, {frames, {turn, 0, 0}}};
    t.scales = {{0, {1, 1, 1}}};
    m.tracks = {t};
  }
  m.nodes = {r};
  return WriteModelFile(m);
}

std::string Lower(std::string s) {
  for (char& c : s) c = char(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

bool Has(const std::string& s, const char* part) { return s.find(part) != std::string::npos; }

// The number after the last '_' ("Pillar02_04" -> 4).
int Index(const std::string& stem) {
  const size_t u = stem.rfind('_');
  return u == std::string::npos ? 0 : std::atoi(stem.c_str() + u + 1);
}

// The span a modelled enemy or boss shows on screen, in play units.
float CraftSpan(const std::string& stem) {
  if (Has(stem, "se")) return 70.0f;
  if (Has(stem, "bs04a")) return 50.0f;
  if (Has(stem, "bs04b") || Has(stem, "bs04c")) return 120.0f;
  if (Has(stem, "bs13l") || Has(stem, "bs13r")) return 70.0f;
  return 240.0f;
}

// Stage 5's hall, in world coordinates: the camera passes z = 5400 at rail
// position 4350 and z = -6000 at 5300, looking along -z.
std::vector<uint8_t> HallPiece(const std::string& stem) {
  MeshBuilder b;
  const int n = Index(stem);
  if (Has(stem, "dome")) {
    // A vault over the hall; each later form is lower and more broken.
    const int form = stem.back() - '0';
    for (int i = 0; i < 8 - form * 2; ++i) b.Dome({0, 900, 6000.0f - 1800.0f * float(i)}, 1600, 0.5f - 0.1f * form, 3, 10);
    return WriteModel(b);
  }
  if (Has(stem, "side")) {
    for (float s : {-1.0f, 1.0f}) b.Box({1500 * s, 0, -1000}, {100, 2400, 15000});
    return WriteModel(b);
  }
  if (Has(stem, "pillar01")) {
    // Three pillars that topple over 100 frames.
    const V3 base{n % 2 == 0 ? -900.0f : 900.0f, -600, 3000.0f - 3000.0f * float(n)};
    b.Box({0, 1250, 0}, {220, 2500, 220});
    return WriteModel(b, base, 100, n % 2 == 0 ? 1.3f : -1.3f);
  }
  if (Has(stem, "pillar02")) {
    const V3 base{n % 2 == 0 ? 900.0f : -900.0f, -600, -1000.0f - 1000.0f * float(n)};
    b.Box({0, 1250, 0}, {260, 2500, 260});
    return WriteModel(b, base, 100, n % 2 == 0 ? -1.2f : 1.2f);
  }
  if (Has(stem, "rsto")) {
    // Chunks of the vault that fall over 300 frames.
    const V3 at{float((n * 37) % 9 - 4) * 280.0f, 1900, 2000.0f - 650.0f * float(n)};
    b.Rock({0, 0, 0}, {260, 180, 220});
    return WriteModel(b, at, 300, 2.0f, 2600);
  }
  if (Has(stem, "stone")) {
    const V3 at{float(n % 3 - 1) * 500.0f, 1700, 1500.0f - 900.0f * float(n)};
    b.Rock({0, 0, 0}, {160, 140, 160});
    return WriteModel(b, at, 170, 1.5f, 2400);
  }
  if (Has(stem, "rock")) {
    // The rain's rocks, drawn at 0.1 to 2.1 times this size 5000 to 33000
    // units ahead: a rock of a third of it stands about 8 pixels across at
    // 27000 units.
    b.Rock({0, 0, 0}, {1000, 750, 900});
    return WriteModel(b);
  }
  if (Has(stem, "line")) {
    b.Quad({-400, 0, -400}, {400, 0, -400}, {400, 0, 400}, {-400, 0, 400});
    return WriteModel(b);
  }
  // The sky, a globe drawn 10000 units ahead of the eye at (0.21, 0.21,
  // 0.1): 84000 units across, from 30000 behind the eye to 50000 ahead. It
  // stands round the eye behind the rain (which starts at most 35200 units
  // ahead) and inside the far plane (65535).
  b.Dome({0, 0, 0}, 400000, 1.0f, 4, 16);
  b.Dome({0, 0, 0}, 400000, -1.0f, 4, 16);
  return WriteModel(b);
}

// Stage 1's arena ("Stg01_Boss"): once its second boss is beaten the world
// is this model alone, placed at the origin, so its points are world
// points: a floor under the camera's course from rail key 7800 to 10400
// (the placement ends at 10000; the view reaches further) and a row of
// blocks on each side.
std::vector<uint8_t> Stage1Arena() {
  MeshBuilder b;
  for (int k = 7800; k < 10400; k += 200) {
    const SVec3 p = Path0Position(float(k)), q = Path0Position(float(k + 200));
    b.Quad({p.x - 700, p.y - 400, p.z}, {p.x + 700, p.y - 400, p.z}, {q.x + 700, q.y - 400, q.z},
           {q.x - 700, q.y - 400, q.z});
    for (int half = 0; half < 2; ++half) {
      const SVec3 c = Path0Position(float(k + 100 * half));
      for (float side : {-1.0f, 1.0f}) b.Box({c.x + side * 800.0f, c.y - 100.0f, c.z}, {200, 600, 200});
    }
  }
  return WriteModel(b);
}

// An object of a stage's object sets, chosen by its name.
std::vector<uint8_t> SceneryPiece(const std::string& stem, uint32_t scale) {
  MeshBuilder b;
  const int n = Index(stem) + int(stem.size());
  const float s = scale != 0 ? float(scale) / 65536.0f : 1.0f;
  if (stem == "stg02_sky") {
    // Stage 2's sky stands far behind the play (17000 units) and turns: a
    // globe 12000 units across once scaled, which fills the view there.
    b.Dome({0, 0, 0}, 12000.0f / s, 1.0f, 4, 16);
    b.Dome({0, 0, 0}, 12000.0f / s, -1.0f, 4, 16);
  } else if (stem == "stg04_sky") {
    // Stage 4's sky is drawn round the eye at (0.01, 0.01, 1/60) of its
    // size: 36000 units out and 60000 deep there, behind everything its
    // last section shows and inside the far plane (65535).
    b.Dome({0, 0, 0}, 3600000.0f, 0.7f, 4, 16);
  } else if (Has(stem, "sky")) {
    // Skies are drawn scaled; the dome fills about 6000 units once scaled.
    b.Dome({0, 0, 0}, 3000.0f / s, 0.7f, 4, 16);
  } else if (stem == "stg02_pal00" || stem == "stg02_pal01") {
    // Stage 2's banners: a pole with a cloth whose texture the scene
    // scrolls while they wave (the ".tca" beside the model).
    b.Box({0, 200, 0}, {24, 400, 24});
    b.Quad({12, 380, 0}, {260, 380, 0}, {260, 220, 0}, {12, 220, 0});
  } else if (Has(stem, "water") || Has(stem, "shadow") || Has(stem, "green") || Has(stem, "sea") ||
             Has(stem, "grass") || Has(stem, "line") || Has(stem, "roop")) {
    b.Quad({-450, 0, -450}, {450, 0, -450}, {450, 0, 450}, {-450, 0, 450});
  } else if (Has(stem, "tree") || Has(stem, "wood") || Has(stem, "pal")) {
    b.Box({0, 60, 0}, {40, 120, 40});
    b.Pyramid({0, 0, 0}, 110.0f + 10.0f * float(n % 3), 100, 340);
  } else if (Has(stem, "stone") || Has(stem, "pan")) {
    b.Rock({0, 60, 0}, {120.0f + 15.0f * float(n % 4), 90, 110});
  } else {
    // Houses, towers, castles, blocks, walls: a block with a roof.
    const float w = 160.0f + 30.0f * float(n % 4), h = 180.0f + 60.0f * float(n % 5);
    b.Box({0, h / 2, 0}, {w, h, w});
    b.Pyramid({0, 0, 0}, w * 0.6f, h, h + w * 0.5f);
  }
  return WriteModel(b);
}

std::vector<uint8_t> ModelFor(const std::string& path, uint32_t scale) {
  const std::string stem = Lower(Stem(path));
  if (Has(Lower(path), "\\enemy\\")) {
    if (std::vector<uint8_t> boss = BossModelFor(stem, scale); !boss.empty()) return boss;
    // The row's scale shrinks or grows the model; its span on screen is
    // the same whatever the scale.
    const float s = scale != 0 ? float(scale) / 65536.0f : 1.0f;
    MeshBuilder b;
    b.Craft(CraftSpan(stem) / s, Has(stem, "bs") ? 4 : 0);
    return WriteModel(b);
  }
  if (Has(Lower(path), "\\stg05\\")) return HallPiece(stem);
  if (stem == "stg01_boss") return Stage1Arena();
  return SceneryPiece(stem, scale);
}

// A 64 x 64 texture in the colour of the name: its stage tint, bands and a
// border; enemies and bosses carry their name.
void WriteTexture(const std::string& root, const std::string& path, WriteStats* stats) {
  const std::string stem = Stem(path), low = Lower(stem);
  uint32_t hash = 2166136261u;
  for (char c : low) hash = (hash ^ uint8_t(c)) * 16777619u;
  const Rgba base = Mix(FromRgb(0x607080), FromRgb(hash & 0xFFFFFF), 0.55f);
  Canvas c(64, 64);
  c.Fill(0, 0, 64, 64, base);
  for (int y = 8; y < 64; y += 16) c.Fill(0, y, 64, 4, Mix(base, FromRgb(0xFFFFFF), 0.25f));
  c.Frame(0, 0, 64, 64, 3, Mix(base, FromRgb(0x000000), 0.5f));
  if (Has(Lower(path), "\\enemy\\")) DrawText(c, 2, 20, 60, 24, stem.substr(4), 18, FromRgb(0xFFFFFF));
  const std::string dir = HostDir(path), png = stem + "_00.png", list = png + "\r\n";
  WriteIfChanged(root, dir + png, EncodePng(c), stats);
  WriteIfChanged(root, dir + stem + ".tr", std::vector<uint8_t>(list.begin(), list.end()), stats);
}

}  // namespace

void GenerateStageContent(const std::string& root, WriteStats* stats) {
  // Images the sprite tables draw, and tunnels (whose image lists come with
  // the stage files), are written elsewhere.
  std::set<std::string> elsewhere;
  std::size_t count = 0;
  const ImageDef* const* defs = AllImageDefs(&count);
  for (const TableInfo& t : AllTableInfos())
    for (const PartLayout& p : t.parts)
      for (std::size_t i = 0; i < count; ++i)
        if (defs[i]->slot == p.slot) elsewhere.insert(Lower(defs[i]->path));
  std::set<std::string> done;
  for (const SRscRequest* table : {RscTableStage1, RscTableStage2, RscTableStage3, RscTableStage4, RscTableStage5}) {
    for (const SRscRequest* r = table; r->target; ++r)
      if (r->tag == RscTag("TNL")) elsewhere.insert(Lower(r->path));
    for (const SRscRequest* r = table; r->target; ++r) {
      const std::string path = r->path, key = Lower(path) + (r->tag == RscTag("IMG") ? ".tr" : ".bma");
      if (!done.insert(key).second) continue;
      if (r->tag == RscTag("IMG") && elsewhere.count(Lower(path)) == 0) WriteTexture(root, path, stats);
      if (r->tag == RscTag("MDL"))
        WriteIfChanged(root, HostDir(path) + Stem(path) + ".bma", ModelFor(path, r->p0), stats);
      // The banners' cloth runs 1/50 of its texture each frame it waves.
      if (r->tag == RscTag("MDL") && Has(Lower(path), "stg02_pal"))
        WriteIfChanged(root, HostDir(path) + Stem(path) + ".tca", WriteTexAnimScroll(0.02f, 0.0f), stats);
    }
  }
  // The stages' cache archives, as a first run would write them.
  static constexpr const char* kArchives[5] = {"\\cache\\stage1", "\\cache\\stage2", "\\cache\\stage3",
                                               "\\cache\\stage4", "\\cache\\stage5"};
  const SRscRequest* tables[5] = {RscTableStage1, RscTableStage2, RscTableStage3, RscTableStage4, RscTableStage5};
  for (int i = 0; i < 5; ++i) GenerateTableCache(root, tables[i], kArchives[i], stats);
  // And the title's, whose picture the sprite tables draw.
  GenerateTableCache(root, RscTableTitle, kTitleCacheArchive, stats);
}

}  // namespace datagen
