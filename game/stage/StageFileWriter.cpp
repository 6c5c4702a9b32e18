#include "game/stage/StageFileWriter.h"

#include <cstring>

#include "platform/byte_order.h"

namespace stage_file {

namespace {

void U32(std::vector<uint8_t>& out, uint32_t v) { plat::AppendLe32(out, v); }

void F32(std::vector<uint8_t>& out, float f) {
  uint32_t u;
  std::memcpy(&u, &f, 4);
  plat::AppendLe32(out, u);
}

// The record's first `words` 4-byte fields, then zero words up to `bytes`.
template <class T>
void Words(std::vector<uint8_t>& out, const T& rec, size_t words, size_t bytes) {
  for (size_t i = 0; i < words; ++i) {
    uint32_t u;
    std::memcpy(&u, reinterpret_cast<const uint8_t*>(&rec) + 4 * i, 4);
    U32(out, u);
  }
  out.resize(out.size() + bytes - 4 * words, 0);
}

template <class T>
void List(std::vector<uint8_t>& out, const std::vector<T>& v, size_t words, size_t bytes) {
  for (const T& rec : v) Words(out, rec, words, bytes);
}

void SectionHead(std::vector<uint8_t>& out, uint32_t offsets[5], int n, size_t count) {
  offsets[n] = uint32_t(out.size());
  U32(out, 0);
  U32(out, 0);
  U32(out, uint32_t(count));
}

}  // namespace

std::vector<uint8_t> WriteCameraPath(const std::vector<CamKey>& keys) {
  std::vector<uint8_t> out;
  U32(out, uint32_t(keys.size()));
  for (const CamKey& k : keys) {
    for (float f : {k.x, k.y, k.z, k.qx, k.qy, k.qz, k.qw}) F32(out, f);
  }
  return out;
}

std::vector<uint8_t> WritePlacementList(const std::vector<Placement>& objects) {
  std::vector<uint8_t> out;
  U32(out, uint32_t(objects.size()));
  U32(out, 0);
  for (const Placement& p : objects) {
    for (float f : {p.x, p.y, p.z, p.qx, p.qy, p.qz, p.qw}) F32(out, f);
  }
  return out;
}

std::vector<uint8_t> WriteVisibilityList(const std::vector<VisibilityStep>& steps) {
  std::vector<uint8_t> out;
  U32(out, uint32_t(steps.size()));
  U32(out, 0);
  for (const VisibilityStep& s : steps) {
    U32(out, uint32_t(s.key));
    U32(out, uint32_t(s.indices.size()));
    for (uint32_t i : s.indices) U32(out, i);
  }
  return out;
}

std::vector<uint8_t> WriteTunnel(const TunnelMesh& mesh, uint32_t blockRows) {
  // The fixed part: the 0x120-byte header, the texture names, the block
  // rows and the group header, all zero but for three counts.
  const size_t s = 0x120 + size_t(mesh.textureCount) * 32;
  const size_t m = s + (size_t(blockRows) + 2) * 16;
  std::vector<uint8_t> out(m + 0x20, 0);
  plat::WriteLe32(out.data() + 0x10C, mesh.textureCount);
  plat::WriteLe32(out.data() + s + 0x0C, blockRows);
  plat::WriteLe32(out.data() + m + 0x0C, uint32_t(mesh.groups.size()));
  for (const std::vector<TunnelRecord>& group : mesh.groups) {
    U32(out, uint32_t(group.size()));
    for (const TunnelRecord& r : group) {
      U32(out, r.texture);
      U32(out, 0);
      U32(out, uint32_t(r.vertices.size()));
      for (const TunnelVertex& v : r.vertices) {
        for (float f : {v.x, v.y, v.z, v.r, v.g, v.b, v.u, v.v}) F32(out, f);
      }
    }
  }
  return out;
}

std::vector<uint8_t> WriteStageScript(const StageScript& s) {
  std::vector<uint8_t> out(20, 0);
  uint32_t offsets[5] = {};
  SectionHead(out, offsets, 0, s.scripts.size());
  for (const EnemyScript& e : s.scripts) {
    for (uint32_t w : {e.id, e.motionFlags, e.generatorFlags, e.routeFlags}) U32(out, w);
    for (size_t n : {e.motion.size(), e.generators.size(), e.defeatGenerators.size(), e.route.size(), e.axis.size()})
      U32(out, uint32_t(n));
    List(out, e.motion, 11, 48);
    List(out, e.generators, 24, 100);
    List(out, e.defeatGenerators, 24, 100);
    List(out, e.route, 4, 20);
    List(out, e.axis, 5, 24);
  }
  SectionHead(out, offsets, 1, s.routeTables.size());
  for (const RouteTable& t : s.routeTables) {
    U32(out, uint32_t(t.id));
    U32(out, uint32_t(t.entries.size()));
    List(out, t.entries, 5, 20);
  }
  SectionHead(out, offsets, 2, s.params.size());
  List(out, s.params, 32, 128);
  SectionHead(out, offsets, 3, s.timeline.size());
  List(out, s.timeline, 10, 40);
  SectionHead(out, offsets, 4, s.patternLists.size());
  for (const PatternList& p : s.patternLists) {
    U32(out, uint32_t(p.id));
    U32(out, uint32_t(p.entries.size()));
    List(out, p.entries, 6, 28);
  }
  for (int i = 0; i < 5; ++i) plat::WriteLe32(out.data() + 4 * i, offsets[i]);
  return out;
}

}  // namespace stage_file
