#include "vrax/resource/ModelFile.h"

#include <algorithm>
#include <cstring>

#include "vrax/io/ByteReader.h"

namespace {

// A string kept: its bytes are charged (with the terminator) before they
// are taken.
bool Str(ByteReader& r, LoadBudget& b, std::string* s) {
  uint32_t n = 0;
  if (!r.U32(&n)) return false;
  if (n > r.left()) return r.Skip(n);  // fails the reader
  if (!ChargeBlock(b, uint64_t(n) + 1)) return false;
  s->resize(n);
  return r.Bytes(s->data(), n);
}

// A string passed over, without a copy.
bool SkipStr(ByteReader& r) {
  uint32_t n = 0;
  return r.U32(&n) && r.Skip(n);
}

// Smallest encodings, used to bound counts before allocating.
constexpr size_t kMinString = 4;
constexpr size_t kMinMaterial = kMinString + 16 * 4 + 4 * 4 + 8 + 4;
constexpr size_t kMinInfluence = kMinString + 8;
constexpr size_t kMinKey = 16;
constexpr size_t kMinTrack = kMinString + 12;
// Name, flag, string, transform, and the smallest of every list section.
constexpr size_t kMinRecord = kMinString + 1 + kMinString + 12 + 16 + 28 + (kMinString + 4) * 3 +
                              (kMinString + 1) + (kMinString + 4) + (kMinString + 1);

bool ReadMaterial(ByteReader& r, LoadBudget& b, ModelFileMaterial* m) {
  if (!Str(r, b, &m->name)) return false;
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
bool ReadRecordBody(ByteReader& r, LoadBudget& b, ModelFileRecord* rec, size_t groupCount) {
  if (!Str(r, b, &rec->name) || !r.Flag(&rec->hasExtra)) return false;
  if (rec->hasExtra && !Str(r, b, &rec->extra)) return false;
  if (!Str(r, b, &rec->unused)) return false;
  r.Floats(rec->translation, 3);
  r.Floats(rec->rotation, 4);
  r.Floats(rec->scale, 3);
  r.Bytes(rec->scaleTail, sizeof rec->scaleTail);

  uint32_t m = 0, f = 0, u = 0;
  SkipStr(r);
  if (!r.Count(&m, 12) || !ChargeBlock(b, m, sizeof(rec->positions[0]))) return false;
  rec->positions.resize(m);
  for (auto& p : rec->positions) r.Floats(p.data(), 3);

  SkipStr(r);
  if (!r.Count(&f, 10) || !ChargeBlock(b, f, sizeof(ModelFileFace))) return false;
  rec->faces.resize(f);
  for (auto& face : rec->faces) {
    for (uint16_t& i : face.index) {
      if (!r.U16(&i)) return false;
      if (i >= m) return false;  // every index names one of this record's vertices
    }
    r.U32(&face.attribute);
  }

  SkipStr(r);
  if (!r.Count(&u, 8)) return false;
  if (u < m) return false;  // the first M pairs belong to the vertices
  if (!ChargeBlock(b, u, sizeof(rec->uvs[0]))) return false;
  rec->uvs.resize(u);
  for (auto& uv : rec->uvs) r.Floats(uv.data(), 2);

  SkipStr(r);
  if (!r.Flag(&rec->hasColours)) return false;
  if (rec->hasColours) {
    if (m > r.left() / 16 || !ChargeBlock(b, m, sizeof(rec->colours[0]))) return false;
    rec->colours.resize(m);
    for (auto& c : rec->colours) r.Floats(c.data(), 4);
  }

  SkipStr(r);
  if (!r.I32(&rec->materialGroup)) return false;
  if (rec->materialGroup < -1 || (rec->materialGroup >= 0 && size_t(rec->materialGroup) >= groupCount))
    return false;
  return r.ok();
}

bool ReadKeys(ByteReader& r, LoadBudget& b, std::vector<ModelFileKey>* keys) {
  uint32_t n;
  if (!r.Count(&n, kMinKey) || !ChargeBlock(b, n, sizeof(ModelFileKey))) return false;
  keys->resize(n);
  for (auto& k : *keys) {
    r.U32(&k.frame);
    r.Floats(k.v, 3);
  }
  return r.ok();
}

bool ReadUvKeys(ByteReader& r, LoadBudget& b, bool* has, std::vector<ModelFileUvKey>* keys) {
  if (!r.Flag(has)) return false;
  if (!*has) return true;
  uint32_t n;
  if (!r.Count(&n, 8) || !ChargeBlock(b, n, sizeof(ModelFileUvKey))) return false;
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

bool ParseModelFile(const uint8_t* data, size_t size, ModelFile* out, LoadBudget* budget) {
  *out = ModelFile{};
  LoadBudget own;
  LoadBudget& b = budget != nullptr ? *budget : own;
  ByteReader r(data, size);

  // The tag is only looked at when the file holds all six of its bytes.
  if (size >= 6 && data[3] == '1' && (data[5] == '0' || data[5] == '1')) {
    uint8_t tag[6] = {};
    r.Bytes(tag, 6);
    out->hasTag = true;
    out->versionFlag = tag[5] == '1';
  }

  if (!Str(r, b, &out->title)) return false;
  if (r.U32(&out->frameCount) && out->frameCount > kMaxModelFrameCount) return false;
  r.F32(&out->headerValue0);
  r.F32(&out->headerValue1);
  if (!Str(r, b, &out->comment)) return false;

  uint32_t groups;
  if (!r.Count(&groups, 4) || !ChargeBlock(b, groups, sizeof(out->materialGroups[0]))) return false;
  out->materialGroups.resize(groups);
  for (auto& g : out->materialGroups) {
    uint32_t n;
    if (!r.Count(&n, kMinMaterial) || !ChargeBlock(b, n, sizeof(ModelFileMaterial))) return false;
    g.resize(n);
    for (auto& m : g)
      if (!ReadMaterial(r, b, &m)) return false;
  }

  // Mesh section.
  if (!Str(r, b, &out->meshLabel)) return false;
  int32_t records;
  if (!r.I32(&records) || records < 0 || size_t(records) > r.left() / kMinRecord ||
      !ChargeBlock(b, uint32_t(records), sizeof(ModelFileRecord)))
    return false;
  out->meshes.resize(size_t(records));
  for (auto& rec : out->meshes) {
    if (!ReadRecordBody(r, b, &rec, groups)) return false;
    SkipStr(r);
    if (!r.Flag(&rec.hasSkin)) return false;
    if (rec.hasSkin) {
      if (rec.positions.size() > r.left() / 4 || !ChargeBlock(b, rec.positions.size(), sizeof(ModelFileSkin)))
        return false;
      rec.skins.resize(rec.positions.size());
      for (auto& skin : rec.skins) {
        uint32_t k;
        if (!r.U32(&k) || k > ModelFileSkin::kMaxInfluences || k > r.left() / kMinInfluence ||
            !ChargeBlock(b, k, sizeof(ModelFileInfluence)))
          return false;
        skin.influences.resize(k);
        for (auto& inf : skin.influences) {
          if (!Str(r, b, &inf.bone)) return false;
          r.U32(&inf.word);
          if (!r.F32(&inf.weight)) return false;
        }
      }
    }
  }

  // Hierarchy section. Parents must come before their children: a record
  // whose parent has not been read yet, or that repeats a node, fails.
  if (!Str(r, b, &out->hierarchyLabel)) return false;
  uint32_t n;
  // The records, their node and parent indices and the marks of the nodes
  // read.
  if (!r.Count(&n, kMinRecord) || !ChargeBlock(b, n, sizeof(ModelFileRecord)) ||
      !ChargeBlock(b, n, sizeof(int32_t)) || !ChargeBlock(b, n, sizeof(int32_t)) || !ChargeBlock(b, n, 1))
    return false;
  out->nodes.resize(n);
  out->nodeIndex.assign(n, -1);
  out->parentIndex.assign(n, -1);
  std::vector<uint8_t> seen(n, 0);
  for (uint32_t i = 0; i < n; ++i) {
    ModelFileRecord& rec = out->nodes[i];
    if (!ReadRecordBody(r, b, &rec, groups)) return false;
    SkipStr(r);
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
    if (!r.Count(&t, kMinTrack) || !ChargeBlock(b, t, sizeof(ModelFileTrack)) || !ChargeBlock(b, t, sizeof(int32_t)))
      return false;
    out->tracks.resize(t);
    out->trackNode.assign(t, -1);
    for (uint32_t i = 0; i < t; ++i) {
      ModelFileTrack& tr = out->tracks[i];
      if (!Str(r, b, &tr.node)) return false;
      if (!ReadKeys(r, b, &tr.positions) || !ReadKeys(r, b, &tr.rotations) || !ReadKeys(r, b, &tr.scales))
        return false;
      out->trackNode[i] = ParseNodeIndex(tr.node, n);
      if (out->trackNode[i] < 0) return false;
    }
  }
  return r.ok();
}

bool ParseTexAnimNodeTable(const uint8_t* data, size_t size, ModelTexAnim* out, LoadBudget* budget) {
  *out = ModelTexAnim{};
  LoadBudget own;
  LoadBudget& b = budget != nullptr ? *budget : own;
  ByteReader r(data, size);
  uint32_t t;
  if (!r.Count(&t, kMinString + 2) || !ChargeBlock(b, t, sizeof(ModelFileNodeKeys))) return false;
  out->entries.resize(t);
  for (auto& e : out->entries) {
    // Kept in 32 bytes with its terminator: a longer name is passed over
    // past its 31st byte.
    uint32_t n = 0;
    if (!r.U32(&n) || n > r.left() || !ChargeBlock(b, std::min<uint32_t>(n, 31) + 1)) return false;
    e.node.assign(reinterpret_cast<const char*>(data + (size - r.left())), std::min<uint32_t>(n, 31));
    if (!r.Skip(n)) return false;
    if (!ReadUvKeys(r, b, &e.hasU, &e.uKeys) || !ReadUvKeys(r, b, &e.hasV, &e.vKeys)) return false;
  }
  return r.ok();
}

bool ParseTexAnimScroll(const uint8_t* data, size_t size, float* scrollU, float* scrollV) {
  ByteReader r(data, size);
  return r.F32(scrollU) && r.F32(scrollV);
}
