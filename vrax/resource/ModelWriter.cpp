#include "vrax/resource/ModelWriter.h"

#include <cstring>
#include <string>

#include "platform/byte_order.h"

namespace {

class ByteWriter {
 public:
  std::vector<uint8_t> out;

  void Bytes(const void* p, size_t n) {
    const auto* b = static_cast<const uint8_t*>(p);
    out.insert(out.end(), b, b + n);
  }
  void U8(uint8_t v) { out.push_back(v); }
  void U16(uint16_t v) { plat::AppendLe16(out, v); }
  void U32(uint32_t v) { plat::AppendLe32(out, v); }
  void F32(float f) {
    uint32_t u;
    std::memcpy(&u, &f, 4);
    U32(u);
  }
  void Floats(const float* f, int n) {
    for (int i = 0; i < n; ++i) F32(f[i]);
  }
  void Str(const std::string& s) {
    U32(uint32_t(s.size()));
    Bytes(s.data(), s.size());
  }
};

void WriteRecordBody(ByteWriter& w, const ModelFileRecord& r) {
  w.Str(r.name);
  w.U8(r.hasExtra ? 1 : 0);
  if (r.hasExtra) w.Str(r.extra);
  w.Str(r.unused);
  w.Floats(r.translation, 3);
  w.Floats(r.rotation, 4);
  w.Floats(r.scale, 3);
  w.Bytes(r.scaleTail, sizeof r.scaleTail);
  w.Str("positions");
  w.U32(uint32_t(r.positions.size()));
  for (const auto& p : r.positions) w.Floats(p.data(), 3);
  w.Str("faces");
  w.U32(uint32_t(r.faces.size()));
  for (const auto& f : r.faces) {
    for (uint16_t i : f.index) w.U16(i);
    w.U32(f.attribute);
  }
  w.Str("uvs");
  w.U32(uint32_t(r.uvs.size()));
  for (const auto& uv : r.uvs) w.Floats(uv.data(), 2);
  w.Str("colours");
  w.U8(r.hasColours ? 1 : 0);
  if (r.hasColours)
    for (const auto& c : r.colours) w.Floats(c.data(), 4);
  w.Str("material");
  w.U32(uint32_t(r.materialGroup));
}

void WriteKeys(ByteWriter& w, const std::vector<ModelFileKey>& keys) {
  w.U32(uint32_t(keys.size()));
  for (const auto& k : keys) {
    w.U32(k.frame);
    w.Floats(k.v, 3);
  }
}

void WriteUvKeys(ByteWriter& w, bool has, const std::vector<ModelFileUvKey>& keys) {
  w.U8(has ? 1 : 0);
  if (!has) return;
  w.U32(uint32_t(keys.size()));
  for (const auto& k : keys) {
    w.U32(uint32_t(k.frame));
    w.F32(k.value);
  }
}

}  // namespace

std::vector<uint8_t> WriteModelFile(const ModelFile& m) {
  ByteWriter w;
  if (m.hasTag) w.Bytes(m.versionFlag ? "BMA1.1" : "BMA1.0", 6);
  w.Str(m.title);
  w.U32(m.frameCount);
  w.F32(m.headerValue0);
  w.F32(m.headerValue1);
  w.Str(m.comment);
  w.U32(uint32_t(m.materialGroups.size()));
  for (const auto& g : m.materialGroups) {
    w.U32(uint32_t(g.size()));
    for (const auto& mat : g) {
      w.Str(mat.name);
      w.Floats(mat.ambient, 4);
      w.Floats(mat.diffuse, 4);
      w.Floats(mat.emissive, 4);
      w.Floats(mat.specular, 4);
      w.F32(mat.power);
      w.F32(mat.scaleU);
      w.F32(mat.scaleV);
      w.U32(mat.word0);
      w.U32(mat.word1);
      w.F32(mat.angle);
    }
  }
  w.Str(m.meshLabel);
  w.U32(uint32_t(m.meshes.size()));
  for (const auto& r : m.meshes) {
    WriteRecordBody(w, r);
    w.Str("skin");
    w.U8(r.hasSkin ? 1 : 0);
    if (r.hasSkin) {
      for (const auto& s : r.skins) {
        w.U32(uint32_t(s.influences.size()));
        for (const auto& inf : s.influences) {
          w.Str(inf.bone);
          w.U32(inf.word);
          w.F32(inf.weight);
        }
      }
    }
  }
  w.Str(m.hierarchyLabel);
  w.U32(uint32_t(m.nodes.size()));
  for (const auto& r : m.nodes) {
    WriteRecordBody(w, r);
    w.Str("animation");
    w.U8(r.animated ? 1 : 0);
  }
  if (m.AnyAnimated()) {
    w.U32(uint32_t(m.tracks.size()));
    for (const auto& t : m.tracks) {
      w.Str(t.node);
      WriteKeys(w, t.positions);
      WriteKeys(w, t.rotations);
      WriteKeys(w, t.scales);
    }
  }
  return std::move(w.out);
}

std::vector<uint8_t> WriteTexAnimNodeTable(const ModelTexAnim& table) {
  ByteWriter w;
  w.U32(uint32_t(table.entries.size()));
  for (const auto& e : table.entries) {
    w.Str(e.node);
    WriteUvKeys(w, e.hasU, e.uKeys);
    WriteUvKeys(w, e.hasV, e.vKeys);
  }
  return std::move(w.out);
}

std::vector<uint8_t> WriteTexAnimScroll(float scrollU, float scrollV) {
  ByteWriter w;
  w.F32(scrollU);
  w.F32(scrollV);
  return std::move(w.out);
}
