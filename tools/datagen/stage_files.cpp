// The stage-world files of the stand-in data: for each of the five stages
// its camera paths (".cam"), the placement and visibility lists of its
// object sets (".opl", ".ovl"), its tunnel (".tnl" with the tunnel's image
// list and textures and the tunnel's visibility lists) and its stage script
// (".stg"); and the tutorial's script. The content of the scripts comes from
// stage_waves.cpp.
#include "tools/datagen/stage_files.h"

#include <cmath>
#include <cstdio>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "game/stage/StageFileWriter.h"
#include "tools/datagen/canvas.h"
#include "tools/datagen/stage_waves.h"

namespace datagen {

namespace {

constexpr float kTwoPi = 6.2831855f;

// Path 0 of every stage has 12000 keys: the rail stops 2 keys before the
// end of path 0, and the furthest position the stages and bosses name is
// stage 2's loop at 11680. Path 1 (stages 1 to 3) has 4000 keys; the
// furthest named there is 3550.
constexpr int kPath0Keys = 12000;
constexpr int kPath1Keys = 4000;
// Objects per object set along path 0 (the last beyond its end, so the
// view ahead of the rail's last keys is not empty) and along path 1, keys
// between them, tunnel parts every this many keys.
constexpr int kObjectsPerSet = 42;
constexpr int kObjectsPerSetPath1 = 14;
constexpr int kObjectSpacing = 292;
constexpr int kTunnelPartKeys = 200;
// Tunnel parts along path 0 (three beyond its end) and along path 1.
constexpr int kTunnelParts = kPath0Keys / kTunnelPartKeys + 3;
constexpr int kTunnelPartsPath1 = kPath1Keys / kTunnelPartKeys;

struct StageLayout {
  int number;
  float zAtStart;  // world z of key 0 of path 0
  bool twoPaths;   // a second path ("_b" files)
  int branchKey;   // where path 1 leaves path 0
  const char* objPrefix;  // object set file prefix, set name follows
  std::vector<const char*> sets;  // sets with placement and visibility lists
};

// The sets each stage's resource table names with placement rows.
const StageLayout kStages[] = {
    {1, 0.0f, true, 3585, "\\Stg01\\Obj\\Stg01_",
     {"Water00", "Water01", "Shadow01", "Shadow00", "Tree00", "Tree01", "Tree02", "Tree03", "Hy00", "Roop"}},
    {2, 0.0f, true, 1601, "\\Stg02\\Obj\\Stg02_",
     {"Hou00", "Hou01", "Hou02", "In00", "Pan00", "Pan01", "Stone00", "Stone01", "Stone02", "Stone03", "Stone04",
      "Stone05", "Stone06", "Tow00", "Tree00", "Tree01", "Tree02", "Tree03", "Tree04", "Castle00", "Castle01",
      "Green00", "Pal00", "Pal01"}},
    {3, 0.0f, true, 3276, "\\Stg03\\Obj\\stg03_",
     {"dori00", "erwe00", "sea00", "sea01", "tree00", "tree01", "tree02", "tree03"}},
    {4, 0.0f, false, 0, "\\Stg04\\Obj\\Stg04_",
     {"block00", "block01", "in00", "vall00", "vall01", "vall02", "grass00", "wood00"}},
    // Stage 5's hall stands round the world origin (stage_content.cpp): the
    // camera passes it at rail position 4800.
    {5, 57600.0f, false, 0, "\\Stg05\\Obj\\Stg05_", {"Line00"}},
};

// Path 1 runs beside path 0 from the branch key, swinging out by up to 1200
// units and back.
SVec3 Path1Position(const StageLayout& s, float j) {
  SVec3 p = Path0Position(float(s.branchKey) + j);
  p.x += 1200.0f * std::sin(3.14159265f * j / float(kPath1Keys));
  return p;
}

// A turn about y (the key rotations only feed MapMng's rail matrix).
void Yaw(float angle, float* qx, float* qy, float* qz, float* qw) {
  *qx = 0.0f, *qy = std::sin(angle * 0.5f), *qz = 0.0f, *qw = std::cos(angle * 0.5f);
}

std::vector<uint8_t> CameraPath(const StageLayout& s, int path) {
  std::vector<CamKey> keys(path == 0 ? kPath0Keys : kPath1Keys);
  for (size_t k = 0; k < keys.size(); ++k) {
    const SVec3 p = path == 0 ? Path0Position(float(k), s.zAtStart) : Path1Position(s, float(k));
    CamKey& c = keys[k];
    c.x = p.x, c.y = p.y, c.z = p.z;
    Yaw(0.2f * std::cos(float(k) * kTwoPi / 2400.0f), &c.qx, &c.qy, &c.qz, &c.qw);
  }
  return stage_file::WriteCameraPath(keys);
}

// Steps from (key, index) toggles, ascending by key.
std::vector<VisibilityStep> Steps(const std::multimap<int, uint32_t>& toggles) {
  std::vector<VisibilityStep> steps;
  for (const auto& [key, index] : toggles) {
    if (steps.empty() || steps.back().key != key) steps.push_back(VisibilityStep{key, {}});
    steps.back().indices.push_back(index);
  }
  return steps;
}

// Set n's objects stand on alternate sides of the path, each shown 400 keys
// before the camera reaches it and hidden 30 keys after: first those along
// path 0 (switched by the "_a" list), then, for a stage with two paths,
// those along path 1 (switched by the "_b" list, in keys of path 1).
void ObjectSet(const StageLayout& s, int n, std::vector<uint8_t>* opl, std::vector<uint8_t>* ovl,
               std::vector<uint8_t>* ovlB) {
  std::vector<stage_file::Placement> objects;
  std::multimap<int, uint32_t> toggles[2];
  auto place = [&](int path, int key, const SVec3& p, int j) {
    stage_file::Placement o;
    const float side = (j + n) % 2 == 0 ? -1.0f : 1.0f;
    o.x = p.x + side * float(400 + 60 * (n % 5));
    o.y = p.y - 250.0f + float(20 * (n % 3));
    o.z = p.z;
    Yaw(0.3f * float(j), &o.qx, &o.qy, &o.qz, &o.qw);
    toggles[path].emplace(key > 400 ? key - 400 : 0, uint32_t(objects.size()));
    toggles[path].emplace(key + 30, uint32_t(objects.size()));
    objects.push_back(o);
  };
  for (int j = 0; j < kObjectsPerSet; ++j) {
    const int key = 150 + j * kObjectSpacing + n * 7;
    place(0, key, Path0Position(float(key), s.zAtStart), j);
  }
  if (s.twoPaths) {
    for (int j = 0; j < kObjectsPerSetPath1; ++j) {
      const int key = 100 + j * kObjectSpacing + n * 7;
      place(1, key, Path1Position(s, float(key)), j);
    }
  }
  *opl = stage_file::WritePlacementList(objects);
  *ovl = stage_file::WriteVisibilityList(Steps(toggles[0]));
  *ovlB = stage_file::WriteVisibilityList(Steps(toggles[1]));
}

// One tunnel part from rail key a to b of a course: a floor strip (texture
// 0) and, on every other part, a wall strip (texture 1).
template <class Course>
std::vector<TunnelRecord> TunnelPart(const Course& at, int part, float a, float b) {
  const SVec3 p = at(a), q = at(b);
  const float v = (b - a) / 50.0f;
  std::vector<TunnelRecord> group;
  group.push_back(TunnelRecord{0,
                               {{p.x - 600, p.y - 400, p.z, 0.8f, 0.8f, 0.9f, 0, 0},
                                {p.x + 600, p.y - 400, p.z, 0.8f, 0.8f, 0.9f, 1, 0},
                                {q.x - 600, q.y - 400, q.z, 0.8f, 0.8f, 0.9f, 0, v},
                                {q.x + 600, q.y - 400, q.z, 0.8f, 0.8f, 0.9f, 1, v}}});
  if (part % 2 == 1) {
    group.push_back(TunnelRecord{1,
                                 {{p.x - 600, p.y + 200, p.z, 0.7f, 0.7f, 0.7f, 0, 0},
                                  {p.x - 600, p.y - 400, p.z, 0.7f, 0.7f, 0.7f, 1, 0},
                                  {q.x - 600, q.y + 200, q.z, 0.7f, 0.7f, 0.7f, 0, v},
                                  {q.x - 600, q.y - 400, q.z, 0.7f, 0.7f, 0.7f, 1, v}}});
  }
  return group;
}

// The tunnel: one part per 200 keys of path 0 and, for a stage with two
// paths, of path 1 after them; a part is shown 600 keys before the camera
// reaches it and hidden 100 keys after it ends (path 0's parts by the "_a"
// list, path 1's by the "_b" list).
void Tunnel(const StageLayout& s, std::vector<uint8_t>* tnl, std::vector<uint8_t>* ovl, std::vector<uint8_t>* ovlB) {
  TunnelMesh mesh;
  mesh.textureCount = 2;
  std::multimap<int, uint32_t> toggles[2];
  auto add = [&](int path, int p, std::vector<TunnelRecord> group) {
    const int show = p * kTunnelPartKeys - 600;
    toggles[path].emplace(show > 0 ? show : 0, uint32_t(mesh.groups.size()));
    toggles[path].emplace((p + 1) * kTunnelPartKeys + 100, uint32_t(mesh.groups.size()));
    mesh.groups.push_back(std::move(group));
  };
  const auto path0 = [&](float k) { return Path0Position(k, s.zAtStart); };
  const auto path1 = [&](float k) { return Path1Position(s, k); };
  for (int p = 0; p < kTunnelParts; ++p)
    add(0, p, TunnelPart(path0, p, float(p * kTunnelPartKeys), float((p + 1) * kTunnelPartKeys)));
  if (s.twoPaths)
    for (int p = 0; p < kTunnelPartsPath1; ++p)
      add(1, p, TunnelPart(path1, p, float(p * kTunnelPartKeys), float((p + 1) * kTunnelPartKeys)));
  *tnl = stage_file::WriteTunnel(mesh);
  *ovl = stage_file::WriteVisibilityList(Steps(toggles[0]));
  *ovlB = stage_file::WriteVisibilityList(Steps(toggles[1]));
}

// The tunnel's two textures: a ground grid and a wall of bricks.
void TunnelImage(const std::string& root, const std::string& path, WriteStats* stats) {
  const std::string dir = HostDir(path), stem = Stem(path);
  std::string list;
  for (int t = 0; t < 2; ++t) {
    Canvas c(64, 64);
    c.Fill(0, 0, 64, 64, FromRgb(t == 0 ? 0x506048 : 0x6a5a50));
    for (int i = 0; i < 64; i += 16) {
      c.Fill(i, 0, 2, 64, FromRgb(t == 0 ? 0x708868 : 0x403630));
      c.Fill(0, i + (t == 1 ? 8 : 0), 64, 2, FromRgb(t == 0 ? 0x708868 : 0x403630));
    }
    const std::string name = stem + (t == 0 ? "_00.png" : "_01.png");
    WriteIfChanged(root, dir + name, EncodePng(c), stats);
    list += name + "\r\n";
  }
  WriteIfChanged(root, dir + stem + ".tr", std::vector<uint8_t>(list.begin(), list.end()), stats);
}

std::vector<uint8_t> StageScriptFile(int stage) {
  StageScriptBuilder b;
  BuildStageWaves(stage, b);
  return stage_file::WriteStageScript(b.Script());
}

void Write(const std::string& root, const std::string& gamePath, const char* ext, const std::vector<uint8_t>& bytes,
           WriteStats* stats) {
  WriteIfChanged(root, HostDir(gamePath) + Stem(gamePath) + ext, bytes, stats);
}

}  // namespace

SVec3 Path0Position(float k, float zAtStart) {
  return SVec3{300.0f * std::sin(k * kTwoPi / 2400.0f), 80.0f * std::sin(k * kTwoPi / 900.0f), zAtStart - 12.0f * k};
}

void GenerateStageFiles(const std::string& root, WriteStats* stats) {
  std::vector<uint8_t> tnl, tnlSteps, tnlStepsB, opl, ovl, ovlB;
  for (const StageLayout& s : kStages) {
    Tunnel(s, &tnl, &tnlSteps, &tnlStepsB);
    char stg[8];
    std::snprintf(stg, sizeof stg, "Stg%02d", s.number);
    const std::string dir = std::string("\\") + stg + "\\";
    Write(root, dir + stg + "_a", ".cam", CameraPath(s, 0), stats);
    if (s.twoPaths) Write(root, dir + stg + "_b", ".cam", CameraPath(s, 1), stats);
    const std::string trn = dir + "Trn\\" + stg + "_Trn";
    Write(root, trn, ".tnl", tnl, stats);
    TunnelImage(root, trn, stats);
    Write(root, trn + "_a", ".ovl", tnlSteps, stats);
    if (s.twoPaths) Write(root, trn + "_b", ".ovl", tnlStepsB, stats);
    for (size_t n = 0; n < s.sets.size(); ++n) {
      ObjectSet(s, int(n), &opl, &ovl, &ovlB);
      const std::string set = std::string(s.objPrefix) + s.sets[n];
      Write(root, set, ".opl", opl, stats);
      Write(root, set + "_a", ".ovl", ovl, stats);
      if (s.twoPaths) Write(root, set + "_b", ".ovl", ovlB, stats);
    }
    char script[24];
    std::snprintf(script, sizeof script, "\\Script\\Stage%02d", s.number);
    Write(root, script, ".stg", StageScriptFile(s.number), stats);
  }
  Write(root, "\\Script\\Tutorial", ".stg", StageScriptFile(0), stats);
}

}  // namespace datagen
