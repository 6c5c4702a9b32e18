// The model resource: what the loader builds from the two fixtures (node
// tree, packets, materials, tracks, bind pose), the pose operations, and
// loading through the managers with damaged and missing files.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <new>
#include <random>
#include <string>

#include "model_fixtures.h"
#include "support/EngineWorld.h"
#include "support/TempDir.h"
#include "vrax/resource/ModelWriter.h"
#include "vrax/resource/SRsc_Model.h"
#include "support/ExpectAll.h"

namespace {

constexpr uint32_t kMdl = RscTag("MDL");
const uint32_t kNoParams[4] = {0, 0, 0, 0};

void ExpectVec3(const float* v, float x, float y, float z, float tol = 1e-5f) {
  EXPECT_NEAR(v[0], x, tol);
  EXPECT_NEAR(v[1], y, tol);
  EXPECT_NEAR(v[2], z, tol);
}

TEST(ModelResource, RigidFixtureBuildsTreePacketsMaterialsAndTracks) {
  auto m = modelfix::BuildRigid();
  ASSERT_NE(m, nullptr);
  EXPECT_EQ(m->Kind(), 0x4D444Cu);
  EXPECT_TRUE(m->GetVersionFlag());
  EXPECT_FALSE(m->IsSkinned());
  EXPECT_TRUE(m->IsAnimated());
  EXPECT_EQ(m->GetLastFrame(), 10.0f);
  ASSERT_EQ(m->NodeCount(), 2);
  ASSERT_EQ(m->MeshCount(), 2);
  EXPECT_SAME({SAME(m->GetNode(2), nullptr), SAME(m->GetMesh(-1), nullptr)});

  // Node 1 hangs below node 0; each node carries its own packet.
  SGpNode *n0 = m->GetNode(0), *n1 = m->GetNode(1);
  ASSERT_EQ(n1->GetPacketCount(), 1);
  EXPECT_SAME({SAME(n1->GetParent(), n0), SAME(n0->GetFirstChild(), n1), SAME(n1->GetPacket(0), m->GetMesh(1))});
  ExpectVec3(n1->GetPosition(), 2, 0, 0);
  ExpectVec3(n1->GetRotation(), 0, 0, 0);
  EXPECT_EQ(n1->GetLocal()->m[3][0], 2.0f);

  // Packets: counts, (x, z, y) positions, packed colours, part index.
  SGpObj_Mesh *p0 = m->GetMesh(0), *p1 = m->GetMesh(1);
  EXPECT_ALL({VAL(p0->vertexCount, 4), VAL(p0->subsetCount, 2), VAL(p0->partIndex, 0), VAL(p1->partIndex, 1)});
  ASSERT_NE(p0->mesh, nullptr);
  EXPECT_ALL({VAL(p0->vertices[1].x, -40.0f), VAL(p0->vertices[1].y, 40.0f), VAL(p0->vertices[1].z, 0.0f),
              VAL(p0->vertices[1].colour, 0xFFFF8000u), VAL(p0->vertices[3].colour, 0xFF00FFFFu),
              VAL(p1->vertices[0].colour, 0xFFFFFFFFu)});
  EXPECT_NEAR(std::fabs(p0->vertices[0].nz), 1.0f, 1e-6f);  // the square lies in z = 0
  EXPECT_EQ(p0->mesh->SubsetFaceCount(1), 1u);

  // Materials and the texture keys of node 0 from the ".tca" table.
  ASSERT_EQ(m->MaterialGroupCount(), 1);
  ModelMaterialGroup* g = m->GetMaterialGroup(0);
  ASSERT_EQ(g->materials.size(), 2u);
  EXPECT_STREQ(g->materials[1].name, "1 trim");
  EXPECT_EQ(g->materials[1].textureIndex, 1);
  EXPECT_FLOAT_EQ(g->materials[0].material.diffuse.g, 0.5f);
  EXPECT_FLOAT_EQ(g->materials[0].material.ambient.r, 0.5f);
  EXPECT_EQ(p0->materials, g);
  EXPECT_TRUE(p0->uKeysOn && p0->vKeysOn);
  EXPECT_ALL({VAL(p0->uKeyCount, 2), VAL(p1->uKeyCount, 0), VAL(m->GetMaterialFlag(0), 1),
              VAL(m->GetMaterialFlag(5), 0)});

  ASSERT_EQ(m->TrackCount(), 1);
  EXPECT_ALL({VAL(m->GetTrack(0)->nodeIndex, 0), VAL(m->GetTrack(0)->position.GetKeyCount(), 2)});
  EXPECT_EQ(m->GetTrack(1), nullptr);
}

TEST(ModelResource, ScaleAndAxisParameters) {
  const uint32_t p[4] = {20480, 0, 0, 0};  // 0.3125
  SMatrix s = SRsc_Model_Ex::ModelMatrix(p);
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 4; ++c) EXPECT_EQ(s.m[r][c], r == c ? 0.3125f : 0.0f);
  EXPECT_EQ(s.m[3][3], 1.0f);
  const uint32_t q[4] = {0x10000, 0x20000, 0x30000, 2};
  s = SRsc_Model_Ex::ModelMatrix(q);
  EXPECT_ALL({VAL(s.m[0][2], -1.0f), VAL(s.m[1][1], 2.0f), VAL(s.m[2][0], 3.0f)});
  // Axis numbers outside the table are the identity, not the zero matrix.
  const uint32_t bad[4] = {0, 0, 0, 9};
  EXPECT_EQ(SRsc_Model_Ex::ModelMatrix(bad).m[1][1], 1.0f);

  // Rigid vertices are moved by the model matrix.
  auto m = modelfix::BuildRigid(p);
  ASSERT_NE(m, nullptr);
  EXPECT_FLOAT_EQ(m->GetMesh(0)->vertices[1].y, 12.5f);
  // So are position keys.
  SGpNode nodes[2];
  ModelApplyMotion(nodes, 2, nullptr, SGpMotionCursor{m.get(), 10.0f}, false);
  ExpectVec3(nodes[0].GetPosition(), 3.125f, 6.25f, 9.375f);
}

TEST(ModelResource, HierarchyLocalTransformIsModelSpaceTimesParentInverse) {
  ModelFile f = modelfix::Rigid();
  // Parent turned a quarter about z (quaternion), child at model-space (2, 0, 0).
  const float h = std::sqrt(0.5f);
  f.nodes[0].rotation[2] = h;
  f.nodes[0].rotation[3] = h;
  f.nodes[0].translation[0] = 1.0f;
  auto m = modelfix::Build(f);
  ASSERT_NE(m, nullptr);
  // Local of the child: T(2) x inverse(Rz(90) T(1)) puts it at (0, -1) in the
  // parent's frame, turned back a quarter: y = asin(0) = 0, z = -90 degrees,
  // stored (x, z, y) in turns.
  SGpNode* c = m->GetNode(1);
  ExpectVec3(c->GetRotation(), 0.0f, -0.25f, 0.0f);
  ExpectVec3(c->GetPosition(), 0.0f, 0.0f, -1.0f);
  ExpectVec3(m->GetNode(0)->GetRotation(), 0.0f, 0.25f, 0.0f);
  ExpectVec3(m->GetNode(0)->GetPosition(), 1.0f, 0.0f, 0.0f);
  // Vertices stay in model space (not moved by the node transforms).
  EXPECT_EQ(m->GetMesh(1)->vertices[2].x, 80.0f);
}

TEST(ModelResource, MatrixAnglesAtTheGimbalPoles) {
  SMatrix r;
  RotateY(&r, SMatrix::Identity(&r), 0.25f);
  SVec3 a = ModelMatrixAngles(r);
  EXPECT_NEAR(std::fabs(a.y), 1.5707964f, 1e-6f);
  EXPECT_EQ(a.z, 0.0f);
  SMatrix x;
  RotateX(&x, SMatrix::Identity(&x), 0.125f);
  a = ModelMatrixAngles(x);
  EXPECT_NEAR(std::fabs(a.x), 0.7853982f, 1e-6f);
  EXPECT_NEAR(a.y, 0.0f, 1e-6f);
  // A value just beyond 1 from rounding gives no NaN.
  SMatrix bad;
  SMatrix::Identity(&bad);
  bad.m[2][0] = 1.0000001f;
  a = ModelMatrixAngles(bad);
  EXPECT_FALSE(std::isnan(a.x) || std::isnan(a.y) || std::isnan(a.z));
}

TEST(ModelResource, SkinnedFixtureKeepsOneMeshAndBindPose) {
  auto m = modelfix::Build(modelfix::Skinned());
  ASSERT_NE(m, nullptr);
  ASSERT_TRUE(m->IsSkinned());
  SGpMeshModel& d = m->GetDrawData();
  EXPECT_EQ(d.partCount, 2);
  EXPECT_EQ(d.skinnedSubsetCount, 4);
  ASSERT_NE(m->GetSkinnedMesh(), nullptr);
  EXPECT_EQ(d.skinnedMesh, m->GetSkinnedMesh());
  EXPECT_EQ(d.skinBones, (std::vector<int32_t>{0, 0, 1, 1, 1, 1}));
  ASSERT_EQ(d.source.size(), 6u);
  EXPECT_EQ(d.source[5].x, 2.0f);
  EXPECT_EQ(d.source[5].y, 0.5f);
  // Packets of a skinned model have no meshes of their own.
  EXPECT_EQ(m->GetMesh(1)->mesh, nullptr);
  EXPECT_EQ(m->GetMesh(1)->partIndex, 1);
  // Bind pose: node 1 stands at x = 1, so its bind matrix moves back by 1.
  ExpectVec3(m->GetNode(1)->GetPosition(), 1, 0, 0);
  EXPECT_NEAR(m->GetBind(1)->m[3][0], -1.0f, 1e-6f);
  EXPECT_NEAR(m->GetBind(0)->m[3][0], 0.0f, 1e-6f);
  ASSERT_EQ(d.offsets.size(), 2u);
}

// Every node of a skinned model has a bind matrix, the inverse of its
// placement in model space: node 1 stands at x = 1, so its bind matrix moves
// back by 1, also when the file holds no animation and when node 1 has no
// track of its own (node 0 stands at the origin).
TEST(ModelResource, SkinnedBindPosesWithoutAnimationAndForNodesWithoutTracks) {
  struct Case {
    const char* name;
    void (*edit)(ModelFile&);
  } cases[] = {
      {"no animation",
       [](ModelFile& m) {
         for (ModelFileRecord& n : m.nodes) n.animated = false;
         m.tracks.clear();
       }},
      {"node 1 without a track", [](ModelFile& m) { m.tracks.resize(1); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ModelFile f = modelfix::Skinned();
    c.edit(f);
    auto m = modelfix::Build(f);
    ASSERT_NE(m, nullptr);
    ASSERT_TRUE(m->IsSkinned());
    EXPECT_EQ(m->TrackCount(), int32_t(f.tracks.size()));
    EXPECT_NEAR(m->GetBind(1)->m[3][0], -1.0f, 1e-6f);
    EXPECT_NEAR(m->GetBind(0)->m[3][0], 0.0f, 1e-6f);
    ASSERT_EQ(m->GetDrawData().offsets.size(), 2u);
    EXPECT_NEAR(m->GetDrawData().offsets[1].m[3][0], -1.0f, 1e-6f);
  }
}

TEST(ModelResource, MotionAtChosenFrames) {
  auto m = modelfix::BuildRigid();
  ASSERT_NE(m, nullptr);
  SGpNode nodes[2];
  const SGpMotionCursor at0{m.get(), 0.0f}, at25{m.get(), 2.5f}, at10{m.get(), 10.0f}, at40{m.get(), 40.0f};
  ModelApplyMotion(nodes, 2, nullptr, at25, false);
  ExpectVec3(nodes[0].GetPosition(), 2.5f, 5.0f, 7.5f);
  EXPECT_EQ(nodes[0].GetLocal()->m[3][1], 5.0f);  // the local matrix is rebuilt
  ModelApplyMotion(nodes, 2, nullptr, at40, false);  // past the end: the last key holds
  ExpectVec3(nodes[0].GetPosition(), 10, 20, 30);
  ModelApplyMotion(nodes, 2, nullptr, at0, false);
  ExpectVec3(nodes[0].GetPosition(), 0, 0, 0);
  ExpectVec3(nodes[1].GetPosition(), 0, 0, 0);  // untracked node untouched

  // Blend: a quarter of the way toward frame 10.
  ModelBlendMotion(nodes, 2, nullptr, at10, 0.25f, false);
  ExpectVec3(nodes[0].GetPosition(), 2.5f, 5.0f, 7.5f);
  // Mix: 0.5 between frame 0 and frame 10.
  ModelMixMotions(nodes, 2, nullptr, at0, at10, 0.5f, false);
  ExpectVec3(nodes[0].GetPosition(), 5, 10, 15);

  // skipRoot: the root of the attached node's tree is passed over.
  SGpNode holder;
  nodes[0].SetParent(&holder);
  ModelApplyMotion(&holder, 1, &nodes[0], SGpMotionCursor{m.get(), 10.0f}, true);
  ExpectVec3(holder.GetPosition(), 0, 0, 0);
  ModelApplyMotion(&holder, 1, &nodes[0], SGpMotionCursor{m.get(), 10.0f}, false);
  ExpectVec3(holder.GetPosition(), 10, 20, 30);
  nodes[0].SetParent(nullptr);
}

TEST(ModelResource, OutOfRangeTracksArePassedOver) {
  auto skinned = modelfix::Build(modelfix::Skinned());
  auto rigid = modelfix::Build(modelfix::Rigid());  // one track, without its ".tca"
  ASSERT_TRUE(skinned && rigid);
  // Only one node in the instance: the track of node 1 is skipped.
  SGpNode one[1];
  ModelApplyMotion(one, 1, nullptr, SGpMotionCursor{skinned.get(), 10.0f}, false);
  ExpectVec3(one[0].GetRotation(), 0, 0, 0);
  // Mixing a two-track motion with a one-track motion: record 1 has no
  // partner and is skipped.
  SGpNode two[2];
  two[1].GetRotation()[2] = 0.125f;
  ModelMixMotions(two, 2, nullptr, SGpMotionCursor{skinned.get(), 10.0f}, SGpMotionCursor{rigid.get(), 10.0f},
                  0.5f, false);
  EXPECT_EQ(two[1].GetRotation()[2], 0.125f);
  ExpectVec3(two[0].GetPosition(), 5, 10, 15);
  ModelApplyMotion(nullptr, 0, nullptr, SGpMotionCursor{nullptr, 0.0f}, false);
}

TEST(ModelResource, ReleasedModelLeavesTheTreeItHungIn) {
  SGpNode holder;
  {
    auto m = modelfix::Build(modelfix::Skinned());
    ASSERT_NE(m, nullptr);
    m->GetNode(0)->SetParent(&holder);
    EXPECT_EQ(holder.GetFirstChild(), m->GetNode(0));
  }
  EXPECT_EQ(holder.GetFirstChild(), nullptr);
}

TEST(ModelResource, DamagedInputFailsTheBuildAndLeavesNothing) {
  SRsc_Model_Ex m;
  const auto bytes = modelfix::RigidBytes();
  const auto tca = WriteTexAnimNodeTable(modelfix::RigidTexAnim());
  ASSERT_TRUE(m.Build(bytes.data(), bytes.size(), tca.data(), tca.size(), kNoParams));
  EXPECT_FALSE(m.Build(bytes.data(), bytes.size() - 1, tca.data(), tca.size(), kNoParams));
  EXPECT_EQ(m.NodeCount(), 0);
  EXPECT_EQ(m.MaterialGroupCount(), 0);
  EXPECT_FALSE(m.Build(bytes.data(), bytes.size(), tca.data(), tca.size() - 1, kNoParams));
  // A key frame beyond what a track can index.
  ModelFile f = modelfix::Rigid();
  f.tracks[0].positions[1].frame = 70000;
  const auto big = WriteModelFile(f);
  EXPECT_FALSE(m.Build(big.data(), big.size(), nullptr, 0, kNoParams));
  // Without the version flag, a ".tca" shorter than its two scroll values
  // is damaged; without a ".tca" the model loads without texture animation.
  f = modelfix::Skinned();
  const auto sk = WriteModelFile(f);
  const uint8_t shortTca[7] = {1, 2, 3, 4, 5, 6, 7};
  EXPECT_FALSE(m.Build(sk.data(), sk.size(), shortTca, sizeof shortTca, kNoParams));
  ASSERT_TRUE(m.Build(sk.data(), sk.size(), nullptr, 0, kNoParams));
  EXPECT_EQ(m.GetMaterialFlag(0), 0);
  const auto scroll = WriteTexAnimScroll(0.5f, 0.25f);
  ASSERT_TRUE(m.Build(sk.data(), sk.size(), scroll.data(), scroll.size(), kNoParams));
  float u = 0, v = 0;
  m.GetMaterialScroll(0, &u, &v);
  EXPECT_ALL({VAL(u, 0.5f), VAL(v, 0.25f), VAL(m.GetMaterialFlag(0), 1)});
}

// The end frame is the frame count minus 1 in the model's 32-bit word; a
// count of 0x80000000 (the input below, once found by the fuzzer) used to
// overflow that subtraction and is now refused by the parser.
TEST(ModelResource, EndFrameOfTheFrameCountAndNoOverflow) {
  SRsc_Model_Ex m;
  ModelFile f = modelfix::Skinned();
  for (auto [count, end] : {std::pair{0u, -1}, {1u, 0}, {65536u, 65535}}) {
    f.frameCount = count;
    const auto bytes = WriteModelFile(f);
    ASSERT_TRUE(m.Build(bytes.data(), bytes.size(), nullptr, 0, kNoParams)) << count;
    EXPECT_EQ(m.GetDrawData().endFrame, end) << count;
    EXPECT_EQ(m.GetLastFrame(), float(end)) << count;
  }
  // An empty model file: title "", frame count 0x80000000, two floats,
  // comment "", no material group, empty mesh and hierarchy sections.
  const uint8_t found[] = {0, 0, 0, 0, 0, 0, 0, 0x80, 0x13, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                           0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  EXPECT_FALSE(m.Build(found, sizeof found, found, sizeof found, kNoParams));
  EXPECT_EQ(m.NodeCount(), 0);
}

// Damaged files whose build once grew with a product of their counts: a
// skinned chain of N nodes (each bind pose walked up to the root: N x N / 2
// products) and a rigid model with a texture-key table of E entries (every
// node looked through the whole table: N x E). The build now takes one step
// per node, per table entry and per bind-pose product, and still gives each
// node its bind pose and the keys of the last entry naming it.
TEST(ModelResource, BuildWorkGrowsWithTheFileNotWithNodesTimesDepthOrEntries) {
  constexpr uint32_t kNodes = 3000;
  // The chain: the file's record i is node N-1-i, the child of the record
  // before it, standing at x = i in model space; its bind matrix moves back
  // by i. Node numbers fall as the file goes on, so a walk in node order
  // would meet each child before its parent.
  ModelFile chain = modelfix::Skinned();
  chain.tracks.clear();
  chain.nodes.clear();
  for (uint32_t i = 0; i < kNodes; ++i) {
    ModelFileRecord r;
    r.name = std::to_string(kNodes - 1 - i);
    r.hasExtra = i > 0;
    if (r.hasExtra) r.extra = std::to_string(kNodes - i);
    r.translation[0] = float(i);
    chain.nodes.push_back(r);
  }
  auto skinned = modelfix::Build(chain);
  ASSERT_NE(skinned, nullptr);
  ASSERT_TRUE(skinned->IsSkinned());
  EXPECT_LE(skinned->BuildSteps(), 2 * kNodes);
  for (uint32_t i = 0; i < kNodes; i += 499) {
    SCOPED_TRACE(i);
    const SMatrix* bind = skinned->GetBind(int32_t(kNodes - 1 - i));
    ASSERT_NE(bind, nullptr);
    EXPECT_NEAR(bind->m[3][0], -float(i), 1e-3f);
    EXPECT_NEAR(bind->m[3][1], 0.0f, 1e-3f);
    EXPECT_NEAR(bind->m[0][0], 1.0f, 1e-6f);
  }

  // The table: N triangles side by side; E entries naming no node (numbers
  // past the last, a negative one), and node 7 named twice: first with u
  // keys, last with v keys only, which it keeps.
  constexpr uint32_t kEntries = 20000;
  ModelFile rigid = modelfix::Rigid();
  rigid.tracks.clear();
  ModelFileRecord tri = rigid.nodes[1];
  tri.hasExtra = false;
  tri.animated = false;
  rigid.nodes.clear();
  for (uint32_t i = 0; i < kNodes; ++i) {
    tri.name = std::to_string(i);
    rigid.nodes.push_back(tri);
  }
  ModelTexAnim table;
  ModelFileNodeKeys none;
  for (uint32_t e = 0; e < kEntries; ++e) {
    none.node = e % 2 ? std::to_string(kNodes + e) : "-1";
    table.entries.push_back(none);
  }
  ModelFileNodeKeys first, last;
  first.node = last.node = "7";
  first.hasU = true;
  first.uKeys = {{0, 0.5f}, {4, 1.0f}};
  last.hasV = true;
  last.vKeys = {{2, 0.25f}};
  table.entries.insert(table.entries.begin() + 5, first);
  table.entries.push_back(last);
  const auto tca = WriteTexAnimNodeTable(table);
  auto keyed = modelfix::Build(rigid, &tca);
  ASSERT_NE(keyed, nullptr);
  EXPECT_LE(keyed->BuildSteps(), kNodes + table.entries.size());
  const SGpObj_Mesh* seven = keyed->GetMesh(7);
  ASSERT_EQ(seven->vKeys.size(), 1u);
  EXPECT_ALL({VAL(seven->uKeysOn, false), VAL(seven->vKeysOn, true), VAL(seven->uKeys.size(), 0u),
              VAL(seven->vKeyCount, 1), VAL(seven->vKeys[0].frame, 2), VAL(seven->vKeys[0].value, 0.25f)});
  for (int32_t n : {0, 6, 8, int32_t(kNodes) - 1}) {
    SCOPED_TRACE(n);
    EXPECT_FALSE(keyed->GetMesh(n)->uKeysOn || keyed->GetMesh(n)->vKeysOn);
    EXPECT_EQ(keyed->GetMesh(n)->vKeyCount, 0);
  }
}

// A model of one node "0" whose animation holds the given tracks, each of
// node "0" with position, rotation and scale keys at the given frames.
struct TrackKeys {
  std::vector<uint32_t> positions, rotations, scales;
};
std::vector<uint8_t> TrackedNode(const std::vector<TrackKeys>& tracks) {
  modelfix::LaidOutModel m;
  m.Header(false, 65536).U32(1).U32(0);  // one group without materials
  m.Str("meshes").U32(0).Str("hierarchy").U32(1).BareNode("0", "", 0.0f, true);
  m.U32(uint32_t(tracks.size()));
  for (const TrackKeys& t : tracks) {
    m.Str("0");
    for (const auto* keys : {&t.positions, &t.rotations, &t.scales}) {
      m.U32(uint32_t(keys->size()));
      for (uint32_t frame : *keys) m.U32(frame).F32({1, 2, 3});
    }
  }
  return m.bytes();
}

// A track keeps one index entry per frame up to its last key, so keys at
// frames 0 and 65535 take 8 bytes of the file and 65,536 entries. A model
// may spend 2^21 entries on its tracks together (32 such channels); one
// that would spend more is refused before any index is made. Keys that are
// not above the last kept one add nothing (the track ignores them).
TEST(ModelResource, TrackFrameIndicesTogetherStayWithinTheirBound) {
  const TrackKeys full{{0, 65535}, {}, {}};
  const TrackKeys allThree{{0, 65535}, {0, 65535}, {0, 65535}};
  const TrackKeys ignored{{65535, 0}, {}, {}};  // the second key is ignored: no index
  const TrackKeys twoFrames{{0, 1}, {}, {}};    // two entries
  struct Case {
    const char* name;
    std::vector<TrackKeys> tracks;
    bool built;
  } cases[] = {
      {"32 full channels", std::vector<TrackKeys>(32, full), true},
      {"33 full channels", std::vector<TrackKeys>(33, full), false},
      {"11 tracks of three full channels", std::vector<TrackKeys>(11, allThree), false},
      {"32 full and one of an ignored key", {}, true},
      {"32 full and one of two frames", {}, false},
  };
  cases[3].tracks.assign(32, full);
  cases[3].tracks.push_back(ignored);
  cases[4].tracks.assign(32, full);
  cases[4].tracks.push_back(twoFrames);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const auto bytes = TrackedNode(c.tracks);
    SRsc_Model_Ex m;
    ASSERT_EQ(m.Build(bytes.data(), bytes.size(), nullptr, 0, kNoParams), c.built);
    EXPECT_EQ(m.TrackCount(), c.built ? int32_t(c.tracks.size()) : 0);
    if (c.built) {
      EXPECT_EQ(m.GetTrack(31)->position.GetFrameIndex().size(), 65536u);
    }
  }
}

// ---------------------------------------------------------------- bounds

static_assert(sizeof(std::vector<ModelFileMaterial>) == 24 && sizeof(ModelMaterialGroup) == 24);
static_assert(sizeof(ModelFileNodeKeys) == 96 && kHeapBlockOverhead == 16);

// What a build charges to its budget, for the rigid model with `groups`
// empty material groups after its own and a ".tca" table of its own entry
// and `entries` more without keys, for node "-1" (none).
uint64_t ChargedFor(uint32_t groups, uint32_t entries) {
  ModelFile f = modelfix::Rigid();
  f.materialGroups.resize(f.materialGroups.size() + groups);
  ModelTexAnim t = modelfix::RigidTexAnim();
  ModelFileNodeKeys none;
  none.node = "-1";
  t.entries.resize(t.entries.size() + entries, none);
  const auto bma = WriteModelFile(f);
  const auto tca = WriteTexAnimNodeTable(t);
  SRsc_Model_Ex m;
  LoadBudget budget;
  EXPECT_TRUE(m.Build(bma.data(), bma.size(), tca.data(), tca.size(), kNoParams, &budget));
  return budget.Used();
}

// An empty material group (4 bytes of file) is charged as the file's
// group and the model's (24 bytes each); a texture-table entry without
// keys (8 bytes) as its record (96) and its name (two bytes and the
// terminator, and a block).
// The budget's bytes of a build follow.
TEST(ModelResource, EveryTableOfABuildIsChargedBeforeItIsMade) {
  const uint64_t base = ChargedFor(0, 0);
  EXPECT_EQ(ChargedFor(1000, 0) - base, 1000u * (24 + 24));
  EXPECT_EQ(ChargedFor(0, 1000) - base, 1000u * (96 + 3 + 16));
  // The same build within exactly its bytes, and refused with one less,
  // leaving nothing.
  const auto bma = modelfix::RigidBytes();
  const auto tca = WriteTexAnimNodeTable(modelfix::RigidTexAnim());
  SRsc_Model_Ex m;
  LoadBudget exact(base);
  EXPECT_TRUE(m.Build(bma.data(), bma.size(), tca.data(), tca.size(), kNoParams, &exact));
  LoadBudget less(base - 1);
  EXPECT_FALSE(m.Build(bma.data(), bma.size(), tca.data(), tca.size(), kNoParams, &less));
  EXPECT_EQ(m.NodeCount(), 0);
  EXPECT_EQ(m.MaterialGroupCount(), 0);
}

// Flagging a material for update visits the groups the meshes draw with,
// not every group the file lists.
TEST(ModelResource, FlaggingAMaterialVisitsTheGroupsTheMeshesDraw) {
  ModelFile f = modelfix::Rigid();
  f.materialGroups.resize(f.materialGroups.size() + 10000);
  const auto bma = WriteModelFile(f);
  SRsc_Model_Ex m;
  ASSERT_TRUE(m.Build(bma.data(), bma.size(), nullptr, 0, kNoParams));
  ASSERT_EQ(m.MaterialGroupCount(), 10001);
  m.FlagMesh(1);
  EXPECT_EQ(m.FlagSteps(), 1u);
  EXPECT_EQ(m.GetMaterialGroup(0)->materials[1].update, 1);
  EXPECT_EQ(m.GetMaterialGroup(0)->materials[0].update, 0);
}

// A model whose build runs out of memory fails as damaged data does: the
// build says so and the loader shows its line.
class OutOfMemoryModel : public SRsc_Model_Ex {
 public:
  static SRsc* Create() { return new (std::nothrow) OutOfMemoryModel(); }

 protected:
  bool ReadMeshes(const ModelFile&) override { throw std::bad_alloc(); }
};

TEST(ModelResource, AnAllocationThatFailsInTheBuildFailsIt) {
  const auto bma = modelfix::RigidBytes();
  OutOfMemoryModel m;
  EXPECT_FALSE(m.Build(bma.data(), bma.size(), nullptr, 0, kNoParams));
  EXPECT_EQ(m.MaterialGroupCount(), 0);
}

// ---------------------------------------------------------------- loading

class ModelWorld : public testsupport::EngineWorld {
 protected:
  static std::string Str(const std::vector<uint8_t>& v) { return std::string(v.begin(), v.end()); }
  SRsc_Model_Ex* Load(const char* path) {
    SRsc* r = rm.CreateResource(0, kMdl, path, 0, 0, 0, 0);
    EXPECT_NE(r, nullptr);
    EXPECT_EQ(rm.Sync(1), 1);
    return static_cast<SRsc_Model_Ex*>(r);
  }

  testsupport::TempDir dir{"mdl"};
  testsupport::ScopedDataDir data{dir.Path()};
};

TEST_F(ModelWorld, LoadsModelAndAnimationFiles) {
  ASSERT_TRUE(dir.Write("mdl/rigid.bma", Str(modelfix::RigidBytes())));
  ASSERT_TRUE(dir.Write("mdl/rigid.tca", Str(WriteTexAnimNodeTable(modelfix::RigidTexAnim()))));
  ASSERT_TRUE(dir.Write("mdl/bar.bma", Str(modelfix::SkinnedBytes())));
  SRsc_Model_Ex* rigid = Load("\\mdl\\rigid");
  SRsc_Model_Ex* bar = Load("\\mdl\\bar");
  ASSERT_EQ(rigid->GetStatus(), kRscReady);
  EXPECT_EQ(rigid->GetStep(), 1);
  EXPECT_EQ(rigid->GetMesh(0)->uKeyCount, 2);
  ASSERT_EQ(bar->GetStatus(), kRscReady);  // no ".tca": loads without one
  EXPECT_TRUE(bar->IsSkinned());
  EXPECT_EQ(rm.Find("\\mdl\\bar", kMdl), bar);
  EXPECT_EQ(box.Count("resource open error"), 0);
  // Releasing the group disposes the model's meshes.
  rm.ReleaseGroup(0, nullptr, 0);
  kernel.Step();
  kernel.Step();
}

// With the cache on, the damaged files leave it (both of a model whose build
// failed) and no archive is saved from it.
TEST_F(ModelWorld, DamagedOrMissingFilesFailWithOneMessageEach) {
  io.SetCacheMode(2, 1u << 24, 0, 0);
  auto bytes = modelfix::RigidBytes();
  ASSERT_TRUE(dir.Write("mdl/cut.bma", Str(std::vector<uint8_t>(bytes.begin(), bytes.begin() + 100))));
  ASSERT_TRUE(dir.Write("mdl/tiny.bma", "BMA"));
  ASSERT_TRUE(dir.Write("mdl/badtca.bma", Str(bytes)));
  ASSERT_TRUE(dir.Write("mdl/badtca.tca", "\x05\x00\x00\x00"));
  SRsc_Model_Ex* cut = Load("\\mdl\\cut");
  SRsc_Model_Ex* tiny = Load("\\mdl\\tiny");
  SRsc_Model_Ex* badTca = Load("\\mdl\\badtca");
  SRsc_Model_Ex* missing = Load("\\mdl\\nothing");
  for (SRsc_Model_Ex* m : {cut, tiny, badTca, missing}) {
    EXPECT_EQ(m->GetStatus(), kRscFailed);
    EXPECT_EQ(m->NodeCount(), 0);
  }
  EXPECT_EQ(box.Count("resource open error"), 4);
  EXPECT_EQ(box.Count("SRsc_Model_Ex(174) : resource open error"), 1) << "the missing model file";
  for (const char* name : {"\\mdl\\cut.bma", "\\mdl\\tiny.bma", "\\mdl\\badtca.bma", "\\mdl\\badtca.tca"})
    EXPECT_FALSE(io.Cache().Contains(name)) << name;
  EXPECT_EQ(io.CacheSave("cache/mdl"), -1);
}

// 33 tracks of keys at frames 0 and 65535: under 2 KB of file that would
// take 4.3 MB of frame indices, a channel more than a model may spend.
TEST_F(ModelWorld, ModelWhoseTrackIndicesPassTheirBoundFailsWithTheLoaderLine) {
  ASSERT_TRUE(dir.Write("mdl/long.bma", Str(TrackedNode(std::vector<TrackKeys>(33, TrackKeys{{0, 65535}, {}, {}})))));
  SRsc_Model_Ex* m = Load("\\mdl\\long");
  EXPECT_EQ(m->GetStatus(), kRscFailed);
  EXPECT_EQ(m->TrackCount(), 0);
  EXPECT_EQ(box.Count("SRsc_Model_Ex(190) : resource open error"), 1);
}

// Files of a few MB whose models would take more than a resource may: a
// model file of 1,500,000 empty material groups (48 bytes each in memory:
// 72 MB) and a texture table of 700,000 entries without keys (113 bytes
// each: 79 MB); and a model whose build runs out of memory. Each fails
// with the loader's line; the good model loaded beside them is ready.
TEST_F(ModelWorld, ModelsPastTheBudgetOrOutOfMemoryFailWithTheLoaderLine) {
  rm.RegisterKind(RscTag("MDX"), &OutOfMemoryModel::Create);
  ModelFile f = modelfix::Rigid();
  f.materialGroups.resize(f.materialGroups.size() + 1500000);
  ASSERT_TRUE(dir.Write("mdl/groups.bma", Str(WriteModelFile(f))));
  ModelTexAnim t = modelfix::RigidTexAnim();
  t.entries.resize(700000);
  ASSERT_TRUE(dir.Write("mdl/table.bma", Str(modelfix::RigidBytes())));
  ASSERT_TRUE(dir.Write("mdl/table.tca", Str(WriteTexAnimNodeTable(t))));
  ASSERT_TRUE(dir.Write("mdl/good.bma", Str(modelfix::RigidBytes())));
  const uint64_t before = LoadedTotal().Used();
  SRsc_Model_Ex* good = Load("\\mdl\\good");
  const uint64_t held = LoadedTotal().Used() - before;
  EXPECT_GT(held, 0u);
  SRsc_Model_Ex* groups = Load("\\mdl\\groups");
  SRsc_Model_Ex* table = Load("\\mdl\\table");
  SRsc* oom = rm.CreateResource(0, RscTag("MDX"), "\\mdl\\good", 0, 0, 0, 0);
  ASSERT_NE(oom, nullptr);
  EXPECT_EQ(rm.Sync(1), 1);
  for (SRsc* m : {static_cast<SRsc*>(groups), static_cast<SRsc*>(table), oom}) EXPECT_EQ(m->GetStatus(), kRscFailed);
  EXPECT_EQ(groups->MaterialGroupCount(), 0);
  EXPECT_EQ(good->GetStatus(), kRscReady);
  EXPECT_EQ(box.Count("SRsc_Model_Ex(190) : resource open error"), 3);
  EXPECT_EQ(box.texts.size(), 3u);
  // The failed builds gave back what they had charged; the good model holds
  // its charge until it is released.
  EXPECT_EQ(LoadedTotal().Used(), before + held);
  rm.ReleaseGroup(0, nullptr, 0);
  for (int i = 0; i < 2; ++i) kernel.Step();
  EXPECT_EQ(LoadedTotal().Used(), before);
}

}  // namespace
