#include "vrax/resource/ModelFile.h"

#include <cstring>

#include "vrax/io/ByteReader.h"

namespace {

// Smallest encodings, used to bound counts before allocating.
constexpr size_t kMinString = 4;
constexpr size_t kMinMaterial = kMinString + 16 * 4 + 4 * 4 + 8 + 4;
constexpr size_t kMinInfluence = kMinString + 8;
constexpr size_t kMinKey = 16;
constexpr size_t kMinTrack = kMinString + 12;
// Name, flag, string, transform, and the smallest of every list section.
constexpr size_t kMinRecord = kMinString + 1 + kMinString + 12 + 16 + 28 + (kMinString + 4) * 3 +
                              (kMinString + 1) + (kMinString + 4) + (kMinString + 1);

bool ReadMaterial(ByteReader& r, ModelFileMaterial* m) {
  r.Str(&m->name);
  r.Floats(m->ambient, 4);
  r.Floats(m->diffuse, 4);
  r.Floats(m->emissive, 4);
  r.Floats(m->specular, 4);
  r.F32(&m->power);
  r.F32(&m->scaleU);
  r.F32(&m->scaleV);
  r.U32(&m->word0);
  r.U32(&m->word1);
  return r.F32(&m->angle);
}

// Reads one record up to and including the material group; the caller reads
// the section's last item.
bool ReadRecordBody(ByteReader& r, ModelFileRecord* rec, size_t groupCount) {
  r.Str(&rec->name);
  if (!r.Flag(&rec->hasExtra)) return false;
  if (rec->hasExtra) r.Str(&rec->extra);
  r.Str(&rec->unused);
  r.Floats(rec->translation, 3);
  r.Floats(rec->rotation, 4);
  r.Floats(rec->scale, 3);
  r.Bytes(rec->scaleTail, sizeof rec->scaleTail);

  uint32_t m = 0, f = 0, u = 0;
  r.SkipStr();
  if (!r.Count(&m, 12)) return false;
  rec->positions.resize(m);
  for (auto& p : rec->positions) r.Floats(p.data(), 3);

  r.SkipStr();
  if (!r.Count(&f, 10)) return false;
  rec->faces.resize(f);
  for (auto& face : rec->faces) {
    for (uint16_t& i : face.index) {
      if (!r.U16(&i)) return false;
      if (i >= m) return false;  // every index names one of this record's vertices
    }
    r.U32(&face.attribute);
  }

  r.SkipStr();
  if (!r.Count(&u, 8)) return false;
  if (u < m) return false;  // the first M pairs belong to the vertices
  rec->uvs.resize(u);
  for (auto& uv : rec->uvs) r.Floats(uv.data(), 2);

  r.SkipStr();
  if (!r.Flag(&rec->hasColours)) return false;
  if (rec->hasColours) {
    if (m > r.left() / 16) return false;
    rec->colours.resize(m);
    for (auto& c : rec->colours) r.Floats(c.data(), 4);
  }

  r.SkipStr();
  if (!r.I32(&rec->materialGroup)) return false;
  if (rec->materialGroup < -1 || (rec->materialGroup >= 0 && size_t(rec->materialGroup) >= groupCount))
    return false;
  return r.ok();
}

bool ReadKeys(ByteReader& r, std::vector<ModelFileKey>* keys) {
  uint32_t n;
  if (!r.Count(&n, kMinKey)) return false;
  keys->resize(n);
  for (auto& k : *keys) {
    r.U32(&k.frame);
    r.Floats(k.v, 3);
  }
  return r.ok();
}

bool ReadUvKeys(ByteReader& r, bool* has, std::vector<ModelFileUvKey>* keys) {
  if (!r.Flag(has)) return false;
  if (!*has) return true;
  uint32_t n;
  if (!r.Count(&n, 8)) return false;
  keys->resize(n);
  for (auto& k : *keys) {
    r.I32(&k.frame);
    r.F32(&k.value);
  }
  return r.ok();
}

}  // namespace

bool ModelFile::AnyAnimated() const {
  for (const auto& n : nodes)
    if (n.animated) return true;
  return false;
}

int32_t ParseLeadingInt(const std::string& s) {
  size_t i = 0;
  while (i < s.size() && (s[i] == ' ' || (s[i] >= '\t' && s[i] <= '\r'))) ++i;
  bool neg = false;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) neg = s[i++] == '-';
  int64_t v = 0;
  for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) {
    v = v * 10 + (s[i] - '0');
    if (v > 0x80000000LL) v = 0x80000000LL;
  }
  if (neg) v = -v;
  if (v > 0x7FFFFFFFLL) v = 0x7FFFFFFFLL;
  return static_cast<int32_t>(v);
}

int32_t ParseNodeIndex(const std::string& s, size_t count) {
  const int32_t v = ParseLeadingInt(s);
  return v >= 0 && size_t(v) < count ? v : -1;
}

bool ParseModelFile(const uint8_t* data, size_t size, ModelFile* out) {
  *out = ModelFile{};
  ByteReader r(data, size);

  // The tag is only looked at when the file holds all six of its bytes.
  if (size >= 6 && data[3] == '1' && (data[5] == '0' || data[5] == '1')) {
    uint8_t tag[6] = {};
    r.Bytes(tag, 6);
    out->hasTag = true;
    out->versionFlag = tag[5] == '1';
  }

  r.Str(&out->title);
  if (r.U32(&out->frameCount) && out->frameCount > kMaxModelFrameCount) return false;
  r.F32(&out->headerValue0);
  r.F32(&out->headerValue1);
  r.Str(&out->comment);

  uint32_t groups;
  if (!r.Count(&groups, 4)) return false;
  out->materialGroups.resize(groups);
  for (auto& g : out->materialGroups) {
    uint32_t n;
    if (!r.Count(&n, kMinMaterial)) return false;
    g.resize(n);
    for (auto& m : g)
      if (!ReadMaterial(r, &m)) return false;
  }

  // Mesh section.
  r.Str(&out->meshLabel);
  int32_t records;
  if (!r.I32(&records) || records < 0 || size_t(records) > r.left() / kMinRecord) return false;
  out->meshes.resize(size_t(records));
  for (auto& rec : out->meshes) {
    if (!ReadRecordBody(r, &rec, groups)) return false;
    r.SkipStr();
    if (!r.Flag(&rec.hasSkin)) return false;
    if (rec.hasSkin) {
      if (rec.positions.size() > r.left() / 4) return false;
      rec.skins.resize(rec.positions.size());
      for (auto& skin : rec.skins) {
        uint32_t k;
        if (!r.U32(&k) || k > ModelFileSkin::kMaxInfluences || k > r.left() / kMinInfluence) return false;
        skin.influences.resize(k);
        for (auto& inf : skin.influences) {
          r.Str(&inf.bone);
          r.U32(&inf.word);
          if (!r.F32(&inf.weight)) return false;
        }
      }
    }
  }

  // Hierarchy section. Parents must come before their children: a record
  // whose parent has not been read yet, or that repeats a node, fails.
  r.Str(&out->hierarchyLabel);
  uint32_t n;
  if (!r.Count(&n, kMinRecord)) return false;
  out->nodes.resize(n);
  out->nodeIndex.assign(n, -1);
  out->parentIndex.assign(n, -1);
  std::vector<uint8_t> seen(n, 0);
  for (uint32_t i = 0; i < n; ++i) {
    ModelFileRecord& rec = out->nodes[i];
    if (!ReadRecordBody(r, &rec, groups)) return false;
    r.SkipStr();
    if (!r.Flag(&rec.animated)) return false;
    const int32_t idx = ParseNodeIndex(rec.name, n);
    if (idx < 0 || seen[size_t(idx)]) return false;
    if (rec.hasExtra) {
      const int32_t parent = ParseNodeIndex(rec.extra, n);
      if (parent < 0 || !seen[size_t(parent)]) return false;
      out->parentIndex[i] = parent;
    }
    seen[size_t(idx)] = 1;
    out->nodeIndex[i] = idx;
  }

  if (out->AnyAnimated()) {
    uint32_t t;
    if (!r.Count(&t, kMinTrack)) return false;
    out->tracks.resize(t);
    out->trackNode.assign(t, -1);
    for (uint32_t i = 0; i < t; ++i) {
      ModelFileTrack& tr = out->tracks[i];
      r.Str(&tr.node);
      if (!ReadKeys(r, &tr.positions) || !ReadKeys(r, &tr.rotations) || !ReadKeys(r, &tr.scales)) return false;
      out->trackNode[i] = ParseNodeIndex(tr.node, n);
      if (out->trackNode[i] < 0) return false;
    }
  }
  return r.ok();
}

bool ParseTexAnimNodeTable(const uint8_t* data, size_t size, ModelTexAnim* out) {
  *out = ModelTexAnim{};
  ByteReader r(data, size);
  uint32_t t;
  if (!r.Count(&t, kMinString + 2)) return false;
  out->entries.resize(t);
  for (auto& e : out->entries) {
    if (!r.Str(&e.node)) return false;
    if (e.node.size() > 31) e.node.resize(31);  // kept in 32 bytes with its terminator
    if (!ReadUvKeys(r, &e.hasU, &e.uKeys) || !ReadUvKeys(r, &e.hasV, &e.vKeys)) return false;
  }
  return r.ok();
}

bool ParseTexAnimScroll(const uint8_t* data, size_t size, float* scrollU, float* scrollV) {
  ByteReader r(data, size);
  return r.F32(scrollU) && r.F32(scrollV);
}
