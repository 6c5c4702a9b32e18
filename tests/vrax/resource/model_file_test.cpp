#include <gtest/gtest.h>

#include <cstring>
#include <random>

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
  EXPECT_TRUE(r.hasTag);
  EXPECT_FALSE(r.versionFlag);
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
  ModelFile r;
  {  // face index at the vertex count
    ModelFile m = modelfix::Rigid();
    m.nodes[1].faces[0].index[2] = 3;
    EXPECT_FALSE(Parse(WriteModelFile(m), &r));
    m.nodes[1].faces[0].index[2] = 2;
    EXPECT_TRUE(Parse(WriteModelFile(m), &r));
  }
  {  // fewer texture coordinates than vertices
    ModelFile m = modelfix::Rigid();
    m.nodes[1].uvs.pop_back();
    EXPECT_FALSE(Parse(WriteModelFile(m), &r));
  }
  {  // material group beyond the groups, and below -1
    ModelFile m = modelfix::Rigid();
    m.nodes[0].materialGroup = 1;
    EXPECT_FALSE(Parse(WriteModelFile(m), &r));
    m.nodes[0].materialGroup = -2;
    EXPECT_FALSE(Parse(WriteModelFile(m), &r));
  }
  {  // five influences on one vertex
    ModelFile m = modelfix::Skinned();
    m.meshes[0].skins[0].influences.assign(5, {"0", 0, 0.2f});
    EXPECT_FALSE(Parse(WriteModelFile(m), &r));
    m.meshes[0].skins[0].influences.assign(4, {"0", 0, 0.25f});
    EXPECT_TRUE(Parse(WriteModelFile(m), &r));
  }
  {  // node, parent and track indices outside the table, or not numbers
    for (const char* bad : {"2", "-1", "99999999999", "x"}) {
      ModelFile m = modelfix::Skinned();
      m.nodes[1].name = bad;
      EXPECT_FALSE(Parse(WriteModelFile(m), &r)) << bad;
      m = modelfix::Skinned();
      m.nodes[1].extra = bad;
      if (std::string(bad) != "x") {
        EXPECT_FALSE(Parse(WriteModelFile(m), &r)) << bad;
      }
      m = modelfix::Skinned();
      m.tracks[1].node = bad;
      if (std::string(bad) != "x") {
        EXPECT_FALSE(Parse(WriteModelFile(m), &r)) << bad;
      }
    }
  }
  {  // a parent listed after its child, a node listed twice, its own parent
    ModelFile m = modelfix::Skinned();
    std::swap(m.nodes[0], m.nodes[1]);
    EXPECT_FALSE(Parse(WriteModelFile(m), &r));
    m = modelfix::Skinned();
    m.nodes[1].name = "0";
    m.nodes[1].extra = "0";
    EXPECT_FALSE(Parse(WriteModelFile(m), &r));
    m = modelfix::Skinned();
    m.nodes[1].extra = "1";
    EXPECT_FALSE(Parse(WriteModelFile(m), &r));
  }
  {  // counts beyond the data
    auto bytes = modelfix::RigidBytes();
    const size_t at = FindString(bytes, "positions");
    ASSERT_NE(at, std::string::npos);
    PutU32(bytes, at + 4 + 9, 0x40000000u);
    EXPECT_FALSE(Parse(bytes, &r));
    bytes = modelfix::RigidBytes();
    const size_t lab = FindString(bytes, "rigid");  // the title: its length
    PutU32(bytes, lab, 0xFFFFFFF0u);
    EXPECT_FALSE(Parse(bytes, &r));
  }
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
  EXPECT_EQ(u, 0.25f);
  EXPECT_EQ(v, -0.5f);
  EXPECT_FALSE(ParseTexAnimScroll(scroll.data(), 7, &u, &v));
}

TEST(ModelFile, LeadingIntegersReadLikeAtoi) {
  EXPECT_EQ(ParseLeadingInt(" 12abc"), 12);
  EXPECT_EQ(ParseLeadingInt("-7"), -7);
  EXPECT_EQ(ParseLeadingInt("bone"), 0);
  EXPECT_EQ(ParseLeadingInt("99999999999"), 0x7FFFFFFF);
  EXPECT_EQ(ParseLeadingInt("-99999999999"), int32_t(-0x7FFFFFFF - 1));
  EXPECT_EQ(ParseNodeIndex("3", 3), -1);
  EXPECT_EQ(ParseNodeIndex("2", 3), 2);
}

// A few thousand deterministic mutations of both fixtures: the parser must
// return (true or false) without touching memory outside the input.
TEST(ModelFile, MutationsFailCleanly) {
  std::mt19937 rng(20261206);
  const std::vector<std::vector<uint8_t>> seeds = {modelfix::RigidBytes(), modelfix::SkinnedBytes(),
                                                   WriteTexAnimNodeTable(modelfix::RigidTexAnim())};
  int parsed = 0;
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
    parsed += Parse(b, &m) ? 1 : 0;
    ParseTexAnimNodeTable(b.data(), b.size(), &t);
  }
  EXPECT_LT(parsed, 3000);
}

}  // namespace
