// The camera path, placement, visibility and tunnel parsers against files
// laid out word by word from their formats; their writers; and the
// resources loading them through the engine, good and damaged.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <tuple>
#include <vector>

#include "game/stage/CamRsc.h"
#include "game/stage/ObjOvlRsc.h"
#include "game/stage/ObjRsc.h"
#include "game/stage/ScriptStgRsc.h"
#include "game/stage/StageFileWriter.h"
#include "game/stage/TnlRsc.h"
#include "support/ExpectAll.h"
#include "support/LeBytes.h"
#include "support/StageWorld.h"
#include "vrax/graphic/SGpQueue.h"

namespace {

using testsupport::TestImage;
using Bytes = testsupport::LeBytes;

// Every shorter prefix of a file fails.
template <class T, class Parse>
void EveryPrefixFails(const std::vector<uint8_t>& file, Parse parse) {
  for (size_t n = 0; n < file.size(); ++n) {
    T out;
    EXPECT_FALSE(parse(file.data(), n, &out, nullptr)) << n;
  }
}

TEST(StageFiles, CameraPathKeysInFileOrderWithWOne) {
  Bytes f;
  f.W(2).Floats({1, 2, 3, 0, 0, 0, 1}).Floats({4, 5, 6, 0.5f, 0.5f, 0.5f, 0.5f});
  std::vector<CamKey> k;
  ASSERT_TRUE(ParseCameraPath(f.b.data(), f.b.size(), &k));
  ASSERT_EQ(k.size(), 2u);
  EXPECT_ALL({VAL(k[0].x, 1), VAL(k[0].z, 3), VAL(k[0].w, 1), VAL(k[0].qw, 1), VAL(k[1].y, 5), VAL(k[1].w, 1),
              VAL(k[1].qx, 0.5f), VAL(k[1].qw, 0.5f)});
  EXPECT_EQ(stage_file::WriteCameraPath(k), f.b);
  EveryPrefixFails<std::vector<CamKey>>(f.b, ParseCameraPath);
  // A count of 0 is a path without keys; a count past the data fails.
  Bytes empty;
  EXPECT_TRUE(ParseCameraPath(empty.W(0).b.data(), 4, &k));
  EXPECT_TRUE(k.empty());
  f.At(0, 0x10000000);
  EXPECT_FALSE(ParseCameraPath(f.b.data(), f.b.size(), &k));
}

TEST(StageFiles, PlacementMatrixIsTheQuaternionRotationWithTheTranslationRow) {
  // A quarter turn about z: x goes to y.
  const float h = 0.70710677f;
  Bytes f;
  f.W(1).W(0xFFFFFFFF).Floats({10, 20, 30, 0, 0, h, h});
  std::vector<PlacedObject> o;
  ASSERT_TRUE(ParsePlacementList(f.b.data(), f.b.size(), &o));
  ASSERT_EQ(o.size(), 1u);
  const SMatrix& m = o[0].matrix;
  EXPECT_NEAR(m.m[0][0], 0.0f, 1e-6f);
  EXPECT_NEAR(m.m[0][1], 1.0f, 1e-6f);
  EXPECT_NEAR(m.m[1][0], -1.0f, 1e-6f);
  EXPECT_ALL({VAL(m.m[2][2], 1.0f), VAL(m.m[3][0], 10), VAL(m.m[3][1], 20), VAL(m.m[3][2], 30), VAL(m.m[3][3], 1),
              VAL(m.m[0][3], 0)});
  EveryPrefixFails<std::vector<PlacedObject>>(f.b, ParsePlacementList);
}

TEST(StageFiles, VisibilityStepsAndTheirIndices) {
  Bytes f;
  f.W(2).W(0).W(5).W(2).W(0).W(3).W(9).W(0);
  std::vector<VisibilityStep> s;
  ASSERT_TRUE(ParseVisibilityList(f.b.data(), f.b.size(), &s));
  ASSERT_EQ(s.size(), 2u);
  EXPECT_EQ(s[0].key, 5);
  EXPECT_EQ(s[0].indices, (std::vector<uint32_t>{0, 3}));
  EXPECT_TRUE(s[1].indices.empty());
  EXPECT_EQ(stage_file::WriteVisibilityList(s), f.b);
  EveryPrefixFails<std::vector<VisibilityStep>>(f.b, ParseVisibilityList);
  f.At(12, 0x40000000);  // an index count past the data
  EXPECT_FALSE(ParseVisibilityList(f.b.data(), f.b.size(), &s));
}

TEST(StageFiles, TunnelRecordsPastTheTexturesOrWithoutATriangleAreLeftOut) {
  const std::vector<uint8_t> file = testsupport::HandBuiltTunnel();
  TunnelMesh mesh;
  ASSERT_TRUE(ParseTunnelFile(file.data(), file.size(), &mesh));
  ASSERT_EQ(mesh.groups.size(), 2u);
  EXPECT_EQ(mesh.textureCount, 3u);
  ASSERT_EQ(mesh.groups[0].size(), 3u);
  ASSERT_EQ(mesh.groups[1].size(), 1u);
  EXPECT_ALL({VAL(mesh.groups[0][2].texture, 2), VAL(mesh.groups[0][2].vertices.size(), 5),
              VAL(mesh.groups[0][2].vertices[4].x, 4), VAL(mesh.groups[0][1].vertices[0].g, 0.5f),
              VAL(mesh.groups[0][1].vertices[3].v, 1)});
  EveryPrefixFails<TunnelMesh>(file, ParseTunnelFile);
  // The writer lays out what the parser read.
  TunnelMesh again;
  const std::vector<uint8_t> written = stage_file::WriteTunnel(mesh, 1);
  ASSERT_TRUE(ParseTunnelFile(written.data(), written.size(), &again));
  EXPECT_EQ(again.groups[0][2].vertices[4].x, 4.0f);
  // Counts past the data fail: K, T and G.
  for (size_t at : {size_t(0x10C), size_t(0x120 + 96 + 0x0C), size_t(0x120 + 96 + 48 + 0x0C)}) {
    std::vector<uint8_t> bad = file;
    bad[at + 3] = 0x40;
    EXPECT_FALSE(ParseTunnelFile(bad.data(), bad.size(), &mesh)) << at;
  }
}

// A tunnel laid out by hand: K textures (records of zeros), a block S of
// T = 0 (its two rows), then the groups, each record three vertices of its
// texture whose x is the record's place in the group.
std::vector<uint8_t> TunnelOf(uint32_t k, const std::vector<std::vector<uint32_t>>& groups) {
  Bytes f;
  f.At(0x10C, k);
  f.b.resize(0x120 + size_t(k) * 32 + 2 * 16, 0);
  const size_t m = f.b.size();
  f.At(m + 0x0C, uint32_t(groups.size()));
  f.b.resize(m + 0x20, 0);
  for (const std::vector<uint32_t>& g : groups) {
    f.W(uint32_t(g.size()));
    for (size_t i = 0; i < g.size(); ++i) {
      f.W(g[i]).W(0).W(3);
      for (int v = 0; v < 3; ++v) f.Floats({float(i), float(v), 0, 1, 1, 1, 0, 0});
    }
  }
  return f.b;
}

// The build visits each group once and each of its records twice (sum and
// fill of its texture's primitive), whatever K is: a damaged file of many
// textures and many empty groups, or one group naming every texture, costs
// what its size does, not textures x groups or textures x records.
TEST(StageFiles, TunnelBuildWorkGrowsWithTheFileNotWithTexturesTimesGroups) {
  struct Case {
    const char* what;
    uint32_t k;
    std::vector<std::vector<uint32_t>> groups;
  };
  std::vector<uint32_t> falling(300);
  for (uint32_t t = 0; t < 300; ++t) falling[t] = 299 - t;
  const Case cases[] = {
      {"5000 textures, 4000 empty groups", 5000, std::vector<std::vector<uint32_t>>(4000)},
      {"one group of a strip per texture, last texture first", 300, {falling}},
      {"a group whose textures come back", 3, {{2, 0, 2, 1, 2}, {}, {1}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::vector<uint8_t> file = TunnelOf(c.k, c.groups);
    TunnelMesh mesh;
    ASSERT_TRUE(ParseTunnelFile(file.data(), file.size(), &mesh));
    TnlRsc tnl;
    ASSERT_TRUE(tnl.Build(mesh));
    size_t records = 0, drawn = 0;
    for (const auto& g : c.groups) records += g.size(), drawn += g.empty() ? 0 : 1;
    EXPECT_LE(tnl.BuildSteps(), c.groups.size() + 2 * records);
    // A part for each group with a strip, in group order.
    ASSERT_EQ(tnl.Parts().size(), drawn);
    for (size_t p = 0, next = 0; p < c.groups.size(); ++p) {
      if (c.groups[p].empty()) continue;
      const TunnelPart& part = tnl.Parts()[next++];
      EXPECT_EQ(part.group, p);
      // One primitive per texture the group names, in ascending order, each
      // holding that texture's records in file order.
      std::vector<uint32_t> textures = c.groups[p];
      std::sort(textures.begin(), textures.end());
      textures.erase(std::unique(textures.begin(), textures.end()), textures.end());
      ASSERT_EQ(part.prims.size(), textures.size()) << p;
      EXPECT_EQ(part.triangleCount, c.groups[p].size()) << p;
      for (size_t i = 0; i < textures.size(); ++i) {
        const SGpObj_Prim& prim = part.prims[i]->prim;
        EXPECT_EQ(part.prims[i]->texture, textures[i]);
        int vertex = 0;
        for (size_t r = 0; r < c.groups[p].size(); ++r) {
          if (c.groups[p][r] != textures[i]) continue;
          ASSERT_LT(vertex, prim.GetVertexCapacity());
          EXPECT_EQ(prim.GetVertexPos(vertex).x, float(r)) << p << " " << i;
          vertex += 3;
        }
        EXPECT_EQ(prim.GetVertexCapacity(), vertex);
      }
    }
  }
}

// ---------------------------------------------------------------- resources

class StageRscLoad : public testsupport::StageWorld {};

// With the cache on, each damaged file leaves it, and no archive is saved.
TEST_F(StageRscLoad, DamagedOrMissingFilesFailWithOneErrorLineAndSettle) {
  io.SetCacheMode(2, 1u << 24, 0, 0);
  struct Case {
    uint32_t tag;
    const char* ext;
    std::vector<uint8_t> bytes;
  };
  const std::vector<Case> cases = {
      {RscTag("CAM"), ".cam", {2, 0, 0, 0, 1, 2}},
      {RscTag("OPL"), ".opl", {1, 0, 0, 0}},
      {RscTag("OVL"), ".ovl", {1, 0, 0, 0, 0, 0, 0, 0, 5, 0}},
      {RscTag("TNL"), ".tnl", std::vector<uint8_t>(0x100, 0)},
      {RscTag("STG"), ".stg", std::vector<uint8_t>(20, 0xFF)},
  };
  for (const Case& c : cases) {
    box.texts.clear();
    WriteFile("\\Stg\\bad", c.ext, c.bytes);
    SRsc* r = Load(c.tag, "\\Stg\\bad");
    ASSERT_NE(r, nullptr) << c.ext;
    EXPECT_EQ(r->GetStatus(), kRscFailed) << c.ext;
    EXPECT_EQ(box.Count("resource open error"), 1) << c.ext;
    EXPECT_EQ(rm.Sync(1), 1) << c.ext;  // settled: no wait
    EXPECT_FALSE(io.Cache().Contains(std::string("\\Stg\\bad") + c.ext)) << c.ext;
    EXPECT_EQ(io.CacheSave("cache/stg"), -1) << c.ext;
    box.texts.clear();
    SRsc* missing = Load(c.tag, "\\Stg\\none");
    ASSERT_NE(missing, nullptr) << c.ext;
    EXPECT_EQ(missing->GetStatus(), kRscFailed) << c.ext;
    EXPECT_GE(box.Count("open error"), 1) << c.ext;
  }
}

TEST_F(StageRscLoad, ACameraPathIsReadyTheFrameAfterItsFileIsReadAndAScriptInThatFrame) {
  WriteFile("\\Stg\\p", ".cam", stage_file::WriteCameraPath(std::vector<CamKey>(3)));
  WriteFile("\\Script\\s", ".stg", stage_file::WriteStageScript(StageScript{}));
  auto* cam = static_cast<CamRsc*>(rm.CreateResource(3, RscTag("CAM"), "\\Stg\\p", 0, 0, 0, 0));
  auto* stg = static_cast<ScriptStgRsc*>(rm.CreateResource(3, RscTag("STG"), "\\Script\\s", 0, 0, 0, 0));
  ASSERT_TRUE(cam != nullptr && stg != nullptr);
  // Frame by frame: (step, status) of each.
  std::vector<std::pair<int, int>> camTrace, stgTrace;
  for (int i = 0; i < 8; ++i) {
    kernel.Step();
    camTrace.emplace_back(cam->GetStep(), cam->GetStatus());
    stgTrace.emplace_back(stg->GetStep(), stg->GetStatus());
  }
  EXPECT_ALL({VAL(cam->GetKeyCount(), 3), VAL(cam->GetStep(), 2), VAL(stg->GetStep(), 1)});
  for (size_t i = 0; i < camTrace.size(); ++i) {
    // A path parsed in a frame is still loading; ready (step 2) the next.
    if (camTrace[i].first == 1) {
      EXPECT_EQ(camTrace[i].second, kRscLoading) << i;
      ASSERT_LT(i + 1, camTrace.size());
      EXPECT_EQ(camTrace[i + 1], std::make_pair(2, int(kRscReady))) << i;
    }
    // A script is ready in the frame it is parsed.
    if (stgTrace[i].first == 1) { EXPECT_EQ(stgTrace[i].second, kRscReady) << i; }
  }
  EXPECT_TRUE(box.texts.empty());
}

class TunnelDraw : public testsupport::StageWorld {};


TEST_F(TunnelDraw, PartsBuildOnePrimitivePerTextureAndDrawBatchedByTextureAsTheRailShowsThem) {
  const std::vector<uint8_t> file = testsupport::HandBuiltTunnel();
  WriteFile("\\Stg\\Trn", ".tnl", file);
  // Tunnel part 0 shown at key 2, part 1 at key 3, part 0 hidden at key 5; index
  // 2, just past the parts, is passed over.
  WriteFile("\\Stg\\Trn_a", ".ovl", stage_file::WriteVisibilityList({{2, {0}}, {3, {1, 2}}, {5, {0, 2}}}));
  auto* tnl = dynamic_cast<TnlRsc*>(Load(RscTag("TNL"), "\\Stg\\Trn"));
  ASSERT_NE(tnl, nullptr);
  ASSERT_EQ(tnl->GetStatus(), kRscReady);
  const auto& parts = tnl->Parts();
  ASSERT_EQ(parts.size(), 2u);
  ASSERT_EQ(parts[0].prims.size(), 2u);
  EXPECT_ALL({VAL(parts[0].prims[0]->texture, 0), VAL(parts[0].prims[1]->texture, 2),
              VAL(parts[0].prims[1]->prim.GetActiveCount(), 2), VAL(parts[0].prims[1]->prim.GetVertexCapacity(), 8),
              VAL(parts[0].triangleCount, 1 + 2 + 3), VAL(parts[1].triangleCount, 1), VAL(parts[1].prims.size(), 1)});
  TestImage image(3);
  map.tunnel.Target().Put(tnl);
  map.tunnelImage.Set(&image);
  map.tunnelVisibility[0].Target().Put(Load(RscTag("OVL"), "\\Stg\\Trn_a"));
  ASSERT_NE(LoadStraightPath(0, 20), nullptr);
  map.SetSection(0, 3.0f);
  EXPECT_ALL({VAL(tnl->PartVisible(0), 1), VAL(tnl->PartVisible(1), 1)});
  map.step = map.steps + 1;
  map.speed = 0.0f;
  kernel.Step();
  std::vector<SGpObj*> drawn;
  for (auto& [key, p] : gp.GetQueue()->Entries())
    if (key == 29) drawn.push_back(p);
  // The shared world packet, texture 0 with both parts' texture-0
  // primitives, then texture 2 with part 0's.
  const std::vector<SGpObj*> want = {&WorldPresets[1],         image.GetTexturePacket(0), &parts[0].prims[0]->prim,
                                     &parts[1].prims[0]->prim, image.GetTexturePacket(2), &parts[0].prims[1]->prim};
  EXPECT_EQ(drawn, want);
  EXPECT_EQ(map.tunnelTriangles, 7);
  // The per-texture lists are emptied after each draw: the next frame
  // enters the same.
  kernel.Step();
  drawn.clear();
  for (auto& [key, p] : gp.GetQueue()->Entries())
    if (key == 29) drawn.push_back(p);
  EXPECT_EQ(drawn, want);
  // Hidden by a Show of the tunnel: nothing at key 29, while visibility
  // keeps following the rail.
  map.SetLayerFlags(MapCommand::kTargetTunnel, 0);
  map.speed = 2.0f;
  kernel.Step();
  bool any = false;
  for (auto& [key, p] : gp.GetQueue()->Entries()) any |= key == 29;
  EXPECT_FALSE(any);
  EXPECT_ALL({VAL(tnl->PartVisible(0), 0), VAL(tnl->PartVisible(1), 1)});
}

// Textures are numbered from 0: a record naming texture K of a tunnel of K
// textures (or any past it) lies past the image and is left out, from the
// part's primitives and triangles and so from the frame; its part's other
// records draw as ever.
TEST_F(TunnelDraw, ARecordNamingTheTextureOnePastTheLastIsLeftOutOfThePartAndTheFrame) {
  // K = 3; part 0: texture 1, then the texture past the last, then 2.
  for (const uint32_t past : {3u, 4u, 0xFFFFFFFFu}) {
    const std::vector<uint8_t> file = TunnelOf(3, {{1, past, 2}});
    TunnelMesh mesh;
    ASSERT_TRUE(ParseTunnelFile(file.data(), file.size(), &mesh)) << past;
    ASSERT_EQ(mesh.groups.size(), 1u);
    ASSERT_EQ(mesh.groups[0].size(), 2u) << past;
    EXPECT_EQ(std::tuple(mesh.groups[0][0].texture, mesh.groups[0][1].texture), std::tuple(1u, 2u)) << past;
  }
  WriteFile("\\Stg\\Edge", ".tnl", TunnelOf(3, {{1, 3, 2}}));
  WriteFile("\\Stg\\Edge_a", ".ovl", stage_file::WriteVisibilityList({{1, {0}}}));
  auto* tnl = dynamic_cast<TnlRsc*>(Load(RscTag("TNL"), "\\Stg\\Edge"));
  ASSERT_NE(tnl, nullptr);
  ASSERT_EQ(tnl->GetStatus(), kRscReady);
  const auto& parts = tnl->Parts();
  ASSERT_EQ(parts.size(), 1u);
  ASSERT_EQ(parts[0].prims.size(), 2u);
  EXPECT_ALL({VAL(parts[0].prims[0]->texture, 1), VAL(parts[0].prims[1]->texture, 2),
              VAL(parts[0].triangleCount, 2)});
  TestImage image(3);
  map.tunnel.Target().Put(tnl);
  map.tunnelImage.Set(&image);
  map.tunnelVisibility[0].Target().Put(Load(RscTag("OVL"), "\\Stg\\Edge_a"));
  ASSERT_NE(LoadStraightPath(0, 20), nullptr);
  map.SetSection(0, 1.0f);
  ASSERT_TRUE(tnl->PartVisible(0));
  map.step = map.steps + 1;
  map.speed = 0.0f;
  kernel.Step();
  // The shared world packet, texture 1 and its strip, texture 2 and its
  // strip: nothing for the record past the image.
  std::vector<SGpObj*> drawn;
  for (auto& [key, p] : gp.GetQueue()->Entries())
    if (key == 29) drawn.push_back(p);
  const std::vector<SGpObj*> want = {&WorldPresets[1], image.GetTexturePacket(1), &parts[0].prims[0]->prim,
                                     image.GetTexturePacket(2), &parts[0].prims[1]->prim};
  EXPECT_EQ(drawn, want);
  EXPECT_EQ(map.tunnelTriangles, 2);
}

}  // namespace
