#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <initializer_list>
#include <random>
#include <string>
#include <utility>

#include "model_fixtures.h"
#include "vrax/resource/ModelFile.h"
#include "vrax/resource/ModelWriter.h"

namespace {

bool Parse(const std::vector<uint8_t>& b, ModelFile* m) { return ParseModelFile(b.data(), b.size(), m); }

void PutU32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + size_t(i)] = uint8_t(v >> (8 * i));
}

// Offset of the first occurrence of a length-prefixed string.
size_t FindString(const std::vector<uint8_t>& b, const std::string& s, size_t from = 0) {
  std::vector<uint8_t> pat(4 + s.size());
  PutU32(pat, 0, uint32_t(s.size()));
  std::memcpy(pat.data() + 4, s.data(), s.size());
  auto it = std::search(b.begin() + long(from), b.end(), pat.begin(), pat.end());
  return it == b.end() ? std::string::npos : size_t(it - b.begin());
}

using modelfix::LaidOutModel;

// Tag "BMA1.1", one material group of one material, an empty mesh section,
// two hierarchy nodes (node 1 a child of node 0, which holds one coloured,
// animated triangle) and one track. frameCount is the header's u32.
std::vector<uint8_t> LaidOutBytes(uint32_t frameCount = 30) {
  LaidOutModel m;
  m.U8('B').U8('M').U8('A').U8('1').U8('.').U8('1');
  m.Str("title").U32(frameCount).F32({1.5f, 2.5f}).Str("comment");
  m.U32(1).U32(1);  // one group of one material
  m.Str("7 hull").F32({0.125f, 0.25f, 0.375f, 0.5f})  // ambient
      .F32({0.5625f, 0.625f, 0.6875f, 0.75f})       // diffuse
      .F32({0.0625f, 0.1875f, 0.3125f, 0.4375f})    // emissive
      .F32({0.8125f, 0.875f, 0.9375f, 1.0f})        // specular
      .F32({12.0f, 2.0f, 3.0f})                     // power, scaleU, scaleV
      .U32(0x11223344).U32(0x55667788).F32({0.75f});  // two words, angle
  m.Str("meshes").U32(0);
  m.Str("hierarchy").U32(2);
  // Node 0: no parent; translation, rotation, scale and 16 more bytes.
  m.Str("0").U8(0).Str("").F32({1, 2, 3}).F32({0, 0, 0, 1}).F32({1, 1, 1}).F32({0, 0, 0, 0});
  m.Str("p").U32(3).F32({0, 0, 0}).F32({4, 0, 0}).F32({0, 0, 5});
  m.Str("f").U32(1).U16(0).U16(2).U16(1).U32(9);
  m.Str("u").U32(3).F32({0, 0}).F32({1, 0}).F32({0.5f, 1});
  m.Str("c").U8(1).F32({1, 0.5f, 0, 1}).F32({0, 1, 0, 1}).F32({0, 0, 1, 0.25f});
  m.Str("m").U32(0);
  m.Str("a").U8(1);
  // Node 1: parent "0", no vertices, no material.
  m.Str("1").U8(1).Str("0").Str("").F32({6, 0, 0}).F32({0, 0, 0, 1}).F32({2, 2, 2}).F32({0, 0, 0, 0});
  m.Str("p").U32(0).Str("f").U32(0).Str("u").U32(0).Str("c").U8(0).Str("m").U32(0xFFFFFFFFu).Str("a").U8(0);
  // One track, of node 0: two position keys, one rotation key, one scale key.
  m.U32(1).Str("0");
  m.U32(2).U32(0).F32({0, 0, 0}).U32(20).F32({10, 20, 30});
  m.U32(1).U32(5).F32({0.5f, 0, 0});
  m.U32(1).U32(0).F32({1, 2, 3});
  return m.bytes();
}

TEST(ModelFile, FileLaidOutByHandReadsEveryFieldInItsPlace) {
  ModelFile m;
  ASSERT_TRUE(Parse(LaidOutBytes(), &m));
  EXPECT_TRUE(m.hasTag && m.versionFlag);
  EXPECT_EQ(m.title, "title");
  EXPECT_EQ(m.comment, "comment");
  EXPECT_EQ(m.frameCount, 30u);
  EXPECT_EQ(std::make_pair(m.headerValue0, m.headerValue1), std::make_pair(1.5f, 2.5f));
  ASSERT_EQ(m.materialGroups.size(), 1u);
  ASSERT_EQ(m.materialGroups[0].size(), 1u);
  const ModelFileMaterial& mat = m.materialGroups[0][0];
  EXPECT_EQ(mat.name, "7 hull");
  using V4 = std::vector<float>;
  EXPECT_EQ(V4(mat.ambient, mat.ambient + 4), (V4{0.125f, 0.25f, 0.375f, 0.5f}));
  EXPECT_EQ(V4(mat.diffuse, mat.diffuse + 4), (V4{0.5625f, 0.625f, 0.6875f, 0.75f}));
  EXPECT_EQ(V4(mat.emissive, mat.emissive + 4), (V4{0.0625f, 0.1875f, 0.3125f, 0.4375f}));
  EXPECT_EQ(V4(mat.specular, mat.specular + 4), (V4{0.8125f, 0.875f, 0.9375f, 1.0f}));
  EXPECT_EQ((V4{mat.power, mat.scaleU, mat.scaleV, mat.angle}), (V4{12.0f, 2.0f, 3.0f, 0.75f}));
  EXPECT_EQ(std::make_pair(mat.word0, mat.word1), std::make_pair(0x11223344u, 0x55667788u));
  EXPECT_TRUE(m.meshes.empty());

  ASSERT_EQ(m.nodes.size(), 2u);
  EXPECT_EQ(m.nodeIndex, (std::vector<int32_t>{0, 1}));
  EXPECT_EQ(m.parentIndex, (std::vector<int32_t>{-1, 0}));
  const ModelFileRecord& n0 = m.nodes[0];
  EXPECT_EQ(V4(n0.translation, n0.translation + 3), (V4{1, 2, 3}));
  EXPECT_EQ(n0.positions, (std::vector<std::array<float, 3>>{{0, 0, 0}, {4, 0, 0}, {0, 0, 5}}));
  ASSERT_EQ(n0.faces.size(), 1u);
  EXPECT_EQ((std::vector<uint32_t>{n0.faces[0].index[0], n0.faces[0].index[1], n0.faces[0].index[2],
                                   n0.faces[0].attribute}),
            (std::vector<uint32_t>{0, 2, 1, 9}));
  EXPECT_EQ(n0.uvs, (std::vector<std::array<float, 2>>{{0, 0}, {1, 0}, {0.5f, 1}}));
  ASSERT_TRUE(n0.hasColours);
  EXPECT_EQ(n0.colours, (std::vector<std::array<float, 4>>{{1, 0.5f, 0, 1}, {0, 1, 0, 1}, {0, 0, 1, 0.25f}}));
  EXPECT_EQ(n0.materialGroup, 0);
  EXPECT_TRUE(n0.animated);
  const ModelFileRecord& n1 = m.nodes[1];
  EXPECT_EQ(V4(n1.translation, n1.translation + 3), (V4{6, 0, 0}));
  EXPECT_EQ(V4(n1.scale, n1.scale + 3), (V4{2, 2, 2}));
  EXPECT_EQ(n1.materialGroup, -1);
  EXPECT_FALSE(n1.animated || n1.hasColours);

  ASSERT_EQ(m.tracks.size(), 1u);
  EXPECT_EQ(m.trackNode, (std::vector<int32_t>{0}));
  const ModelFileTrack& t = m.tracks[0];
  ASSERT_EQ(t.positions.size(), 2u);
  EXPECT_EQ(t.positions[1].frame, 20u);
  EXPECT_EQ(V4(t.positions[1].v, t.positions[1].v + 3), (V4{10, 20, 30}));
  ASSERT_EQ(t.rotations.size(), 1u);
  EXPECT_EQ(t.rotations[0].frame, 5u);
  EXPECT_EQ(t.rotations[0].v[0], 0.5f);
  ASSERT_EQ(t.scales.size(), 1u);
  EXPECT_EQ(V4(t.scales[0].v, t.scales[0].v + 3), (V4{1, 2, 3}));
}

// Key frames are numbered 0 to 65535: a longer animation is refused where
// the count is read, before anything is built from it.
TEST(ModelFile, FrameCountAboveTheKeyRangeIsRefused) {
  ModelFile m;
  for (auto [count, ok] : {std::pair{0u, true}, {65536u, true}, {65537u, false}, {0x80000000u, false},
                           {0xFFFFFFFFu, false}})
    EXPECT_EQ(Parse(LaidOutBytes(count), &m), ok) << count;
}

TEST(ModelFile, RigidFixtureRoundTrips) {
  ModelFile m;
  const auto bytes = modelfix::RigidBytes();
  ASSERT_TRUE(Parse(bytes, &m));
  EXPECT_TRUE(m.hasTag);
  EXPECT_TRUE(m.versionFlag);
  EXPECT_EQ(m.frameCount, 11u);
  ASSERT_EQ(m.materialGroups.size(), 1u);
  ASSERT_EQ(m.materialGroups[0].size(), 2u);
  EXPECT_EQ(m.materialGroups[0][1].name, "1 trim");
  EXPECT_FLOAT_EQ(m.materialGroups[0][1].diffuse[2], 1.0f);
  EXPECT_TRUE(m.meshes.empty());
  ASSERT_EQ(m.nodes.size(), 2u);
  EXPECT_EQ(m.nodeIndex, (std::vector<int32_t>{0, 1}));
  EXPECT_EQ(m.parentIndex, (std::vector<int32_t>{-1, 0}));
  EXPECT_EQ(m.nodes[0].faces.size(), 2u);
  EXPECT_EQ(m.nodes[0].faces[1].attribute, 1u);
  EXPECT_TRUE(m.nodes[0].animated);
  ASSERT_EQ(m.tracks.size(), 1u);
  EXPECT_EQ(m.trackNode[0], 0);
  EXPECT_EQ(m.tracks[0].positions[1].frame, 10u);
  // Writing what was read gives the same bytes.
  EXPECT_EQ(WriteModelFile(m), bytes);
}

TEST(ModelFile, SkinnedFixtureKeepsInfluences) {
  ModelFile m;
  ASSERT_TRUE(Parse(modelfix::SkinnedBytes(), &m));
  EXPECT_FALSE(m.hasTag);
  ASSERT_TRUE(m.IsSkinned());
  ASSERT_EQ(m.meshes[0].skins.size(), 6u);
  ASSERT_EQ(m.meshes[0].skins[2].influences.size(), 2u);
  EXPECT_EQ(m.meshes[0].skins[2].influences[0].bone, "1");
  EXPECT_FLOAT_EQ(m.meshes[0].skins[2].influences[1].weight, 0.5f);
  EXPECT_EQ(m.trackNode, (std::vector<int32_t>{0, 1}));
}

TEST(ModelFile, VersionTagIsReadOnlyWhenWellFormed) {
  ModelFile m = modelfix::Skinned();
  m.hasTag = true;
  m.versionFlag = false;
  auto bytes = WriteModelFile(m);
  ModelFile r;
  ASSERT_TRUE(Parse(bytes, &r));
  EXPECT_TRUE(r.hasTag && !r.versionFlag);
  // A sixth byte other than '0' or '1' is no tag: the six bytes are then
  // read as the title's length and fail.
  bytes[5] = '2';
  EXPECT_FALSE(Parse(bytes, &r));
  // Files shorter than the tag are rejected without reading past them.
  const uint8_t tiny[5] = {'B', 'M', 'A', '1', '.'};
  for (size_t n = 0; n <= 5; ++n) EXPECT_FALSE(ParseModelFile(tiny, n, &r)) << n;
}

TEST(ModelFile, EveryTruncationFails) {
  for (const auto& bytes : {modelfix::RigidBytes(), modelfix::SkinnedBytes()}) {
    ModelFile m;
    for (size_t n = 0; n < bytes.size(); ++n) {
      std::vector<uint8_t> cut(bytes.begin(), bytes.begin() + long(n));
      ASSERT_FALSE(Parse(cut, &m)) << "prefix " << n << " of " << bytes.size();
    }
  }
}

TEST(ModelFile, BadIndicesAndCountsFail) {
  // A change to a valid model and whether the result still parses.
  struct Case {
    const char* what;
    ModelFile (*base)();
    void (*change)(ModelFile&);
    bool ok;
  };
  const Case cases[] = {
      {"face index at the vertex count", modelfix::Rigid, [](ModelFile& m) { m.nodes[1].faces[0].index[2] = 3; },
       false},
      {"last vertex as face index", modelfix::Rigid, [](ModelFile& m) { m.nodes[1].faces[0].index[2] = 2; }, true},
      {"too few texture coordinates", modelfix::Rigid, [](ModelFile& m) { m.nodes[1].uvs.pop_back(); }, false},
      {"material group beyond the groups", modelfix::Rigid, [](ModelFile& m) { m.nodes[0].materialGroup = 1; }, false},
      {"material group below -1", modelfix::Rigid, [](ModelFile& m) { m.nodes[0].materialGroup = -2; }, false},
      {"five influences on one vertex", modelfix::Skinned,
       [](ModelFile& m) { m.meshes[0].skins[0].influences.assign(5, {"0", 0, 0.2f}); }, false},
      {"four influences", modelfix::Skinned,
       [](ModelFile& m) { m.meshes[0].skins[0].influences.assign(4, {"0", 0, 0.25f}); }, true},
      {"a parent after its child", modelfix::Skinned, [](ModelFile& m) { std::swap(m.nodes[0], m.nodes[1]); }, false},
      {"a node listed twice", modelfix::Skinned, [](ModelFile& m) { m.nodes[1].name = m.nodes[1].extra = "0"; }, false},
      {"its own parent", modelfix::Skinned, [](ModelFile& m) { m.nodes[1].extra = "1"; }, false},
  };
  ModelFile r;
  for (const Case& c : cases) {
    ModelFile m = c.base();
    c.change(m);
    EXPECT_EQ(Parse(WriteModelFile(m), &r), c.ok) << c.what;
  }
  // Node, parent and track indices outside the table, or not numbers (a
  // parent or track that is no number reads as 0).
  for (std::string bad : {"2", "-1", "99999999999", "x"}) {
    ModelFile name = modelfix::Skinned(), parent = name, track = name;
    name.nodes[1].name = parent.nodes[1].extra = track.tracks[1].node = bad;
    EXPECT_FALSE(Parse(WriteModelFile(name), &r)) << bad;
    if (bad == "x") continue;
    EXPECT_FALSE(Parse(WriteModelFile(parent), &r)) << bad;
    EXPECT_FALSE(Parse(WriteModelFile(track), &r)) << bad;
  }
  // Counts beyond the data.
  auto bytes = modelfix::RigidBytes();
  const size_t at = FindString(bytes, "positions");
  ASSERT_NE(at, std::string::npos);
  PutU32(bytes, at + 4 + 9, 0x40000000u);
  EXPECT_FALSE(Parse(bytes, &r));
  bytes = modelfix::RigidBytes();
  PutU32(bytes, FindString(bytes, "rigid"), 0xFFFFFFF0u);  // the title's length
  EXPECT_FALSE(Parse(bytes, &r));
}

TEST(ModelFile, TexAnimTables) {
  const auto bytes = WriteTexAnimNodeTable(modelfix::RigidTexAnim());
  ModelTexAnim t;
  ASSERT_TRUE(ParseTexAnimNodeTable(bytes.data(), bytes.size(), &t));
  ASSERT_EQ(t.entries.size(), 1u);
  EXPECT_EQ(t.entries[0].uKeys.size(), 2u);
  EXPECT_FLOAT_EQ(t.entries[0].vKeys[1].value, 0.5f);
  for (size_t n = 0; n < bytes.size(); ++n) EXPECT_FALSE(ParseTexAnimNodeTable(bytes.data(), n, &t)) << n;
  auto bad = bytes;
  PutU32(bad, 0, 1000000);
  EXPECT_FALSE(ParseTexAnimNodeTable(bad.data(), bad.size(), &t));

  float u = 0, v = 0;
  const auto scroll = WriteTexAnimScroll(0.25f, -0.5f);
  ASSERT_TRUE(ParseTexAnimScroll(scroll.data(), scroll.size(), &u, &v));
  EXPECT_EQ(std::make_pair(u, v), std::make_pair(0.25f, -0.5f));
  EXPECT_FALSE(ParseTexAnimScroll(scroll.data(), 7, &u, &v));
}

TEST(ModelFile, LeadingIntegersReadLikeAtoi) {
  const std::pair<const char*, int32_t> cases[] = {
      {" 12abc", 12}, {"-7", -7}, {"bone", 0}, {"99999999999", 0x7FFFFFFF}, {"-99999999999", -0x7FFFFFFF - 1}};
  for (auto [text, want] : cases) EXPECT_EQ(ParseLeadingInt(text), want) << text;
  EXPECT_EQ(ParseNodeIndex("3", 3), -1);
  EXPECT_EQ(ParseNodeIndex("2", 3), 2);
}

// What the parser promises the loader about a model it accepts: every index
// and count consistent with the tables it refers to.
void ExpectConsistent(const ModelFile& m) {
  const size_t groups = m.materialGroups.size();
  auto record = [&](const ModelFileRecord& r) {
    for (const ModelFileFace& f : r.faces)
      for (uint16_t i : f.index) ASSERT_LT(i, r.positions.size());
    ASSERT_GE(r.uvs.size(), r.positions.size());
    if (r.hasColours) { ASSERT_EQ(r.colours.size(), r.positions.size()); }
    ASSERT_TRUE(r.materialGroup == -1 || (r.materialGroup >= 0 && size_t(r.materialGroup) < groups));
    if (r.hasSkin) { ASSERT_EQ(r.skins.size(), r.positions.size()); }
    for (const ModelFileSkin& k : r.skins) ASSERT_LE(k.influences.size(), 4u);
  };
  for (const ModelFileRecord& r : m.meshes) record(r);
  for (const ModelFileRecord& r : m.nodes) record(r);
  ASSERT_LE(m.frameCount, kMaxModelFrameCount);
  ASSERT_EQ(m.nodeIndex.size(), m.nodes.size());
  for (size_t i = 0; i < m.nodes.size(); ++i) {
    ASSERT_LT(size_t(m.nodeIndex[i]), m.nodes.size());
    const int32_t parent = m.parentIndex[i];
    // A parent is a node read before its child.
    ASSERT_TRUE(parent == -1 || std::find(m.nodeIndex.begin(), m.nodeIndex.begin() + long(i), parent) !=
                                    m.nodeIndex.begin() + long(i));
  }
  ASSERT_EQ(m.trackNode.size(), m.tracks.size());
  for (int32_t n : m.trackNode) ASSERT_LT(size_t(n), m.nodes.size());
}

// A few thousand deterministic mutations of both fixtures: the parser must
// return (true or false) without touching memory outside the input, and
// whatever it accepts must be consistent.
TEST(ModelFile, MutationsFailCleanly) {
  std::mt19937 rng(20261206);
  const std::vector<std::vector<uint8_t>> seeds = {modelfix::RigidBytes(), modelfix::SkinnedBytes(),
                                                   WriteTexAnimNodeTable(modelfix::RigidTexAnim())};
  int parsed = 0, tables = 0;
  for (int i = 0; i < 3000; ++i) {
    std::vector<uint8_t> b = seeds[size_t(i) % seeds.size()];
    const int edits = 1 + int(rng() % 4);
    for (int e = 0; e < edits; ++e) {
      const size_t at = rng() % b.size();
      switch (rng() % 4) {
        case 0: b[at] = uint8_t(rng()); break;
        case 1: b[at] ^= uint8_t(1u << (rng() % 8)); break;
        case 2: if (at + 4 <= b.size()) PutU32(b, at, rng() % 2 ? 0xFFFFFFFFu : rng() % 300); break;
        case 3: b.resize(at + 1); break;
      }
    }
    ModelFile m;
    ModelTexAnim t;
    if (Parse(b, &m)) {
      ++parsed;
      ExpectConsistent(m);
      if (HasFatalFailure()) return;
    }
    tables += ParseTexAnimNodeTable(b.data(), b.size(), &t) ? 1 : 0;
  }
  // Of the 2,000 mutated model files, many that keep their counts intact
  // still parse, so the checks after the damaged item run too (524 today).
  EXPECT_GT(parsed, 300);
  EXPECT_LT(parsed, 1700);
  EXPECT_GT(tables, 100);  // of the 1,000 mutated ".tca" tables (236 today)
}

}  // namespace
