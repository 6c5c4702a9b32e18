// What the stage-world loaders may make of a file and what a frame may walk:
// every table is charged to the load's budget before it is made (the bytes
// worked out here from what each loader keeps), a damaged file past the
// budget fails with its loader's line while the rest loads, memory running
// out fails the resource the same way, and the per-frame visibility and
// draw walks follow what is near and visible, not how much the file lists.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <new>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "game/stage/CamRsc.h"
#include "game/stage/ObjOvlRsc.h"
#include "game/stage/ObjRsc.h"
#include "game/stage/ScriptStgRsc.h"
#include "game/stage/StageFileWriter.h"
#include "game/stage/TnlRsc.h"
#include "game/stage/VisibleSet.h"
#include "support/ExpectAll.h"
#include "support/LeBytes.h"
#include "support/StageWorld.h"

namespace {

using testsupport::TestImage;
using testsupport::TestModel;
using Bytes = testsupport::LeBytes;

// The sizes the charges below are worked from (64-bit build).
static_assert(sizeof(CamKey) == 32 && sizeof(PlacedObject) == 64 && sizeof(VisibilityStep) == 32);
static_assert(sizeof(TunnelRecord) == 32 && sizeof(TunnelVertex) == 32 && sizeof(TunnelPart) == 32);
static_assert(sizeof(std::vector<int>) == 24 && kHeapBlockOverhead == 16);

// A parse passes with exactly `bytes` of budget and fails with one less.
template <class Parse>
void ChargesExactly(const char* what, uint64_t bytes, Parse parse) {
  SCOPED_TRACE(what);
  LoadBudget exact(bytes);
  EXPECT_TRUE(parse(&exact));
  EXPECT_EQ(exact.Used(), bytes);
  LoadBudget less(bytes - 1);
  EXPECT_FALSE(parse(&less));
}

// A tunnel of K textures whose groups are empty except those listed, each
// one strip of three vertices of texture 0.
std::vector<uint8_t> SparseTunnel(uint32_t groups, const std::vector<uint32_t>& drawn) {
  Bytes f;
  f.At(0x10C, 1);
  f.b.resize(0x120 + 32 + 2 * 16, 0);
  const size_t m = f.b.size();
  f.At(m + 0x0C, groups);
  f.b.resize(m + 0x20, 0);
  f.b.reserve(f.b.size() + size_t(groups) * 4 + drawn.size() * 108);
  for (uint32_t g = 0, next = 0; g < groups; ++g) {
    if (next < drawn.size() && drawn[next] == g) {
      f.W(1).W(0).W(0).W(3);
      for (int v = 0; v < 3; ++v) f.Floats({float(g), float(v), 0, 1, 1, 1, 0, 0});
      ++next;
    } else {
      f.W(0);
    }
  }
  return f.b;
}

// ---------------------------------------------------------------- charges

TEST(StageLoadBudget, EveryTableIsChargedBeforeItIsMade) {
  // Camera path of 3 keys: one block of 3 x 32 bytes.
  Bytes cam;
  cam.W(3).Zeros(21);
  ChargesExactly("camera path", 3 * 32 + 16, [&](LoadBudget* b) {
    std::vector<CamKey> k;
    return ParseCameraPath(cam.b.data(), cam.b.size(), &k, b);
  });

  // 100 placed objects: their block of 100 x 64 bytes, and the visible set:
  // 2 words of flags and 1 summary word, in two blocks.
  Bytes opl;
  opl.W(100).W(0);
  for (int i = 0; i < 100; ++i) opl.Floats({1, 2, 3, 0, 0, 0, 1});
  ChargesExactly("placement list", 100 * 64 + 16 + 3 * 8 + 2 * 16, [&](LoadBudget* b) {
    std::vector<PlacedObject> o;
    return ParsePlacementList(opl.b.data(), opl.b.size(), &o, b);
  });

  // Three steps (32 bytes each, one block), their indices: 2, none, 1.
  Bytes ovl;
  ovl.W(3).W(0).W(5).W(2).W(0).W(3).W(6).W(0).W(9).W(1).W(4);
  ChargesExactly("visibility list", 3 * 32 + 16 + (2 * 4 + 16) + (4 + 16), [&](LoadBudget* b) {
    std::vector<VisibilityStep> s;
    return ParseVisibilityList(ovl.b.data(), ovl.b.size(), &s, b);
  });

  // The tunnel's mesh: 2 record lists (24 bytes each), 3 records (32 bytes
  // each) per group, and each record's vertices, kept or not (3, 4, 5; 3,
  // 3, 2 of 32 bytes).
  const std::vector<uint8_t> tnl = testsupport::HandBuiltTunnel();
  const uint64_t mesh = (2 * 24 + 16) + 2 * (3 * 32 + 16) + (3 + 4 + 5 + 3 + 3 + 2) * 32 + 6 * 16;
  ChargesExactly("tunnel mesh", mesh, [&](LoadBudget* b) {
    TunnelMesh m;
    return ParseTunnelFile(tnl.data(), tnl.size(), &m, b);
  });
  // Its parts: 3 draw lists (24 bytes each), 2 parts (32), the part of each
  // of 2 groups (4), the order of the longest group's 3 records (4), the
  // visible set of 2 parts (one word and one summary word); then each of
  // the 3 primitives (textures 0 and 2 of group 0, texture 0 of group 1):
  // the object, its two places and a texture entry three times over, 6
  // blocks, 60 bytes per vertex (4 + 8 + 3) and 12 per strip (1 + 2 + 1).
  TunnelMesh parsed;
  ASSERT_TRUE(ParseTunnelFile(tnl.data(), tnl.size(), &parsed));
  const uint64_t parts = (3 * 24 + 16) + (2 * 32 + 16) + (2 * 4 + 16) + (3 * 4 + 16) + (2 * 8 + 2 * 16) +
                         3 * (sizeof(TunnelPrim) + 3 * (2 * 8 + 4) + 6 * 16) + (4 + 8 + 3) * 60 + (1 + 2 + 1) * 12;
  ChargesExactly("tunnel parts", parts, [&](LoadBudget* b) {
    TnlRsc t;
    return t.Build(parsed, b);
  });
  TnlRsc refused;
  LoadBudget tight(parts - 1);
  ASSERT_FALSE(refused.Build(parsed, &tight));
  EXPECT_TRUE(refused.Parts().empty());

  // A stage script of one empty enemy script, one route table of two
  // entries, one parameter, two timeline records and one bullet path of
  // one entry; then the four lookups by id (16 bytes an element) and 40
  // bytes a timeline record for finding its loops.
  StageScript s;
  s.scripts.emplace_back().id = 4;
  s.routeTables.emplace_back().entries.resize(2);
  s.params.emplace_back().id = 1;
  s.timeline.resize(2);
  s.patternLists.emplace_back().entries.resize(1);
  const std::vector<uint8_t> stg = stage_file::WriteStageScript(s);
  const uint64_t tables = (sizeof(EnemyScript) + 16) + (sizeof(RouteTable) + 16) + (2 * sizeof(RouteEntry) + 16) +
                          (sizeof(EnemyParam) + 16) + (2 * sizeof(EnemySpawnRecord) + 16) +
                          (sizeof(PatternList) + 16) + (sizeof(EShotMotion) + 16);
  ChargesExactly("stage script", tables + 4 * (16 + 16) + (2 * 40 + 16), [&](LoadBudget* b) {
    StageScript out;
    return ParseStageScript(stg.data(), stg.size(), &out, b);
  });
}

// ---------------------------------------------------------------- damaged files

class StageLoadBounds : public testsupport::StageWorld {};

// Files of a few MB whose tables would take more than a resource may:
// each fails with its loader's line; a good file loaded beside them is
// ready.
TEST_F(StageLoadBounds, DamagedShapesPastTheBudgetFailWithTheirLineAndTheRestLoads) {
  struct Case {
    uint32_t tag;
    const char* ext;
    const char* line;
    std::vector<uint8_t> bytes;
  };
  std::vector<Case> cases;
  // 2,100,000 steps of 8 bytes, 32 each in memory: 67.2 MB.
  {
    std::vector<uint8_t> b(8 + 2100000 * 8, 0);
    b[0] = 0x20, b[1] = 0x0B, b[2] = 0x20;  // 0x200B20 = 2,100,000
    cases.push_back({RscTag("OVL"), ".ovl", "Game\\ObjOvlRsc(", std::move(b)});
  }
  // 2,400,000 empty groups of 4 bytes: a record list (24) and a part
  // index (4) each, 67.2 MB.
  cases.push_back({RscTag("TNL"), ".tnl", "Game\\TnlRsc(", SparseTunnel(2400000, {})});
  // 2,100,000 empty route tables of 8 bytes, 32 each in memory: 67.2 MB.
  {
    Bytes f;
    f.Zeros(5);
    for (int section = 0; section < 5; ++section) {
      f.At(4 * size_t(section), uint32_t(f.b.size()));
      f.W(0).W(0).W(section == 1 ? 2100000 : 0);
      if (section == 1) f.b.resize(f.b.size() + 2100000 * 8, 0);
    }
    cases.push_back({RscTag("STG"), ".stg", "Game\\ScriptStgRsc(", std::move(f.b)});
  }
  WriteFile("\\Stg\\good", ".cam", stage_file::WriteCameraPath(std::vector<CamKey>(4)));
  const uint64_t before = LoadedTotal().Used();
  for (Case& c : cases) {
    SCOPED_TRACE(c.ext);
    box.texts.clear();
    WriteFile("\\Stg\\big", c.ext, c.bytes);
    SRsc* r = rm.CreateResource(3, c.tag, "\\Stg\\big", 0, 0, 0, 0);
    SRsc* good = rm.CreateResource(3, RscTag("CAM"), "\\Stg\\good", 0, 0, 0, 0);
    ASSERT_TRUE(r != nullptr && good != nullptr);
    EXPECT_EQ(rm.Sync(1), 1);
    EXPECT_EQ(r->GetStatus(), kRscFailed);
    EXPECT_EQ(good->GetStatus(), kRscReady);
    ASSERT_EQ(box.texts.size(), 1u);
    EXPECT_NE(box.texts[0].find(std::string(c.line)), std::string::npos) << box.texts[0];
    EXPECT_NE(box.texts[0].find("resource open error"), std::string::npos) << box.texts[0];
    // Of all that was charged only the good camera path's keys stay (one
    // block of 4 x 32 bytes): the failed load gave its charge back at once
    // (the tunnel's part had charged some 58 MB), the good one on release.
    EXPECT_EQ(LoadedTotal().Used(), before + 4 * 32 + 16);
    rm.ReleaseGroup(3, nullptr, 0);
    Frame(2);
    EXPECT_EQ(LoadedTotal().Used(), before);
  }
}

// A stage file is held in the shared total from its read until its tables
// are made, beside them; then the tables alone stay. Worked from the
// sizes: a total of the file and the tables loads it, one byte less fails
// it at the tables' charge with the loader's line, one less than the file
// fails it at the I/O manager ("file stream error") and the loader's line.
// Nothing stays charged after a failure or the release; the game goes on.
TEST_F(StageLoadBounds, AStageFileIsHeldInTheTotalOnlyUntilItsTablesAreMade) {
  const struct Restore {
    uint64_t limit = LoadedTotal().Limit();
    ~Restore() { LoadedTotal().SetLimit(limit); }
  } restore;
  const std::vector<uint8_t> cam = stage_file::WriteCameraPath(std::vector<CamKey>(4));
  WriteFile("\\Stg\\held", ".cam", cam);
  const uint64_t keys = 4 * 32 + 16;
  const uint64_t base = LoadedTotal().Used();
  struct Case {
    uint64_t limit;
    std::vector<std::string> lines;  // the start of each error line
  } const cases[] = {{cam.size() + keys, {}},
                     {cam.size() + keys - 1, {"Game\\CamRsc("}},
                     {cam.size() - 1, {"Vrax\\Io\\SIOMan(145) : file stream error", "Game\\CamRsc("}}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.limit);
    LoadedTotal().SetLimit(base + c.limit);
    box.texts.clear();
    SRsc* r = rm.CreateResource(3, RscTag("CAM"), "\\Stg\\held", 0, 0, 0, 0);
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(rm.Sync(1), 1);
    EXPECT_EQ(r->GetStatus(), c.lines.empty() ? kRscReady : kRscFailed);
    EXPECT_EQ(LoadedTotal().Used(), base + (c.lines.empty() ? keys : 0));
    ASSERT_EQ(box.texts.size(), c.lines.size());
    for (size_t i = 0; i < c.lines.size(); ++i) EXPECT_EQ(box.texts[i].rfind(c.lines[i], 0), 0u) << box.texts[i];
    rm.ReleaseGroup(3, nullptr, 0);
    Frame(2);
    EXPECT_EQ(LoadedTotal().Used(), base);
  }
}

// A placement list whose parse runs out of memory: the resource fails with
// the loader's line, as a damaged file does, and nothing escapes the frame.
class OutOfMemoryPlacements : public ObjRsc {
 public:
  static SRsc* Create() { return new (std::nothrow) OutOfMemoryPlacements(); }
  static inline bool lengthError = false;

 protected:
  bool Parse(const uint8_t*, size_t) override {
    if (lengthError) throw std::length_error("vector");
    throw std::bad_alloc();
  }
};

TEST_F(StageLoadBounds, AnAllocationThatFailsInALoaderIsAnOpenError) {
  rm.RegisterKind(RscTag("OOM"), &OutOfMemoryPlacements::Create);
  WriteFile("\\Stg\\set", ".opl", stage_file::WritePlacementList(std::vector<stage_file::Placement>(2)));
  for (bool lengthError : {false, true}) {
    SCOPED_TRACE(lengthError);
    box.texts.clear();
    OutOfMemoryPlacements::lengthError = lengthError;
    SRsc* r = Load(RscTag("OOM"), "\\Stg\\set");
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(r->GetStatus(), kRscFailed);
    EXPECT_EQ(box.Count("Game\\ObjRsc("), 1);
    EXPECT_EQ(box.Count("resource open error"), 1);
    rm.ReleaseGroup(3, nullptr, 0);
    Frame(2);
  }
}

// ---------------------------------------------------------------- per-frame walks

// The visible set against a plain list of flags: the same flags after any
// toggles, walked in ascending order, and a walk's steps follow the flags
// set (one summary word per 4,096 flags, then one per word and flag set).
TEST(VisibleSet, WalksTheSetFlagsInOrderAtACostThatFollowsThem) {
  std::mt19937 rng(7);
  for (size_t n : {size_t(0), size_t(1), size_t(63), size_t(64), size_t(4097), size_t(100000)}) {
    SCOPED_TRACE(n);
    VisibleSet set;
    set.Reset(n);
    std::vector<uint8_t> plain(n, 0);
    for (int i = 0; i < 500 && n > 0; ++i) {
      const size_t k = rng() % n;
      set.Toggle(k);
      plain[k] ^= 1;
    }
    set.Toggle(n);  // past the list: nothing
    std::vector<size_t> want, got;
    for (size_t i = 0; i < n; ++i)
      if (plain[i] != 0) want.push_back(i);
    set.ForEach([&got](size_t i) { got.push_back(i); });
    EXPECT_EQ(got, want);
    for (size_t i = 0; i < n; ++i) ASSERT_EQ(set.Test(i), plain[i] != 0) << i;
    const uint64_t summaries = (n + 4095) / 4096;
    EXPECT_LE(set.WalkSteps(), summaries + 2 * want.size());
    set.ClearAll();
    EXPECT_LE(set.WalkSteps(), summaries + want.size());
    got.clear();
    set.ForEach([&got](size_t i) { got.push_back(i); });
    EXPECT_TRUE(got.empty());
    EXPECT_EQ(set.WalkSteps(), summaries);
  }
  // 100,000 flags, three set: 25 summary words, two flag words.
  VisibleSet set;
  set.Reset(100000);
  for (size_t i : {size_t(5), size_t(40), size_t(99999)}) set.Toggle(i);
  set.ForEach([](size_t) {});
  EXPECT_EQ(set.WalkSteps(), 25u + 2u + 3u);
  EXPECT_EQ(VisibleSet::BytesFor(100000), (1563u + 25u) * 8u);
}

// The visibility rules without the per-frame search's memory: from the
// cursor, the first step with key >= key; fire it when its key equals key.
void PlainAdvance(const std::vector<VisibilityStep>& steps, int32_t key, int32_t* cursor, std::vector<int>* flags) {
  for (size_t i = size_t(*cursor); i < steps.size(); ++i) {
    if (steps[i].key < key) continue;
    if (steps[i].key == key) {
      for (uint32_t k : steps[i].indices)
        if (k < flags->size()) (*flags)[k] ^= 1;
      *cursor = int32_t(i + 1);
    }
    return;
  }
}

// A list of 100,000 steps of key 0 after its first: the frame after a jump
// looks through them once, each later frame at one or two steps (the step
// it stops at, and one of the rail's last key passed over), while the
// flags and the cursor follow the rules exactly, also when the key goes
// back.
TEST(VisibilityWalk, AFrameLooksAtTheStepsNearTheRailOnly) {
  std::vector<VisibilityStep> steps{{0, {0}}};
  steps.resize(100001);
  steps.push_back({50, {0, 1}});
  steps.push_back({50, {1}});
  steps.push_back({80, {2}});
  std::vector<int> flags(3, 0);
  auto toggle = [&flags](uint32_t k) {
    if (k < flags.size()) flags[k] ^= 1;
  };
  VisibilityCursor cursor;
  VisibilityRecompute(steps, 0, &cursor, toggle);
  EXPECT_ALL({VAL(cursor.next, 1), VAL(flags[0], 1)});
  std::vector<int> plainFlags = flags;
  int32_t plainCursor = cursor.next;
  std::vector<uint64_t> looked;
  for (int32_t key = 1; key <= 90; ++key) {
    VisibilityAdvance(steps, key, &cursor, toggle);
    PlainAdvance(steps, key, &plainCursor, &plainFlags);
    ASSERT_EQ(cursor.next, plainCursor) << key;
    ASSERT_EQ(flags, plainFlags) << key;
    looked.push_back(cursor.steps);
  }
  EXPECT_EQ(looked[0], 100001u);  // keys 1..: past the 100,000 steps once
  for (size_t i = 1; i < looked.size(); ++i) EXPECT_LE(looked[i], 2u) << i + 1;
  // Object 0 shown at 0, both toggled at 50 (the second step of key 50 is
  // passed over at 51), object 2 shown at 80.
  EXPECT_EQ(flags, (std::vector<int>{0, 1, 1}));

  // Keys that go back and forth, against the plain rules.
  std::mt19937 rng(3);
  VisibilityRecompute(steps, 0, &cursor, toggle);
  plainCursor = cursor.next;
  plainFlags = flags;
  for (int i = 0; i < 300; ++i) {
    const int32_t key = int32_t(rng() % 100) - 5;
    VisibilityAdvance(steps, key, &cursor, toggle);
    PlainAdvance(steps, key, &plainCursor, &plainFlags);
    ASSERT_EQ(cursor.next, plainCursor) << i;
    ASSERT_EQ(flags, plainFlags) << i;
  }
}

class WalkWorld : public testsupport::StageWorld {
 protected:
  // Entries of the frame's queue at a draw key.
  size_t Entered(int32_t key) {
    size_t n = 0;
    for (auto& [k, p] : gp.GetQueue()->Entries()) n += k == key;
    return n;
  }
};

// A layer of 100,000 placed objects, three shown: a frame draws the three
// (two packets each, after the texture) in 25 + 2 + 3 steps.
TEST_F(WalkWorld, ALayerDrawWalksItsVisibleObjects) {
  ASSERT_NE(LoadStraightPath(0, 200), nullptr);
  WriteFile("\\Stg\\many", ".opl", stage_file::WritePlacementList(std::vector<stage_file::Placement>(100000)));
  WriteFile("\\Stg\\many_a", ".ovl", stage_file::WriteVisibilityList({{3, {5, 40, 99999}}}));
  TestImage image(1);
  TestModel model;
  ObjPlacer& layer = map.layers[4];
  layer.objects.Target().Put(Load(RscTag("OPL"), "\\Stg\\many"));
  layer.visibility[0].Target().Put(Load(RscTag("OVL"), "\\Stg\\many_a"));
  layer.texture.Set(&image);
  layer.model.Set(&model);
  map.SetSection(0, 3.0f);
  map.speed = 0.0f;
  map.step = map.steps + 1;
  Frame();
  EXPECT_EQ(Entered(ObjPlacer::kDefaultDrawKey), 1u + 2u * 3u);
  EXPECT_EQ(layer.GetObjects()->WalkSteps(), 25u + 2u + 3u);
}

// A tunnel of 200,000 groups of which three draw: three parts, and a frame
// that shows two of them takes a handful of steps.
TEST_F(WalkWorld, ATunnelDrawWalksItsVisibleParts) {
  WriteFile("\\Stg\\Trn", ".tnl", SparseTunnel(200000, {7, 150000, 199999}));
  WriteFile("\\Stg\\Trn_a", ".ovl", stage_file::WriteVisibilityList({{2, {7, 8, 199999}}}));
  auto* tnl = dynamic_cast<TnlRsc*>(Load(RscTag("TNL"), "\\Stg\\Trn"));
  ASSERT_NE(tnl, nullptr);
  ASSERT_EQ(tnl->GetStatus(), kRscReady);
  ASSERT_EQ(tnl->Parts().size(), 3u);
  EXPECT_ALL({VAL(tnl->Parts()[0].group, 7), VAL(tnl->Parts()[1].group, 150000), VAL(tnl->Parts()[2].group, 199999)});
  TestImage image(1);
  map.tunnel.Target().Put(tnl);
  map.tunnelImage.Set(&image);
  map.tunnelVisibility[0].Target().Put(Load(RscTag("OVL"), "\\Stg\\Trn_a"));
  ASSERT_NE(LoadStraightPath(0, 20), nullptr);
  map.SetSection(0, 2.0f);
  // Group 8 draws nothing and has no part: shown or not, it changes nothing.
  EXPECT_ALL({VAL(tnl->GroupVisible(7), 1), VAL(tnl->GroupVisible(8), 0), VAL(tnl->GroupVisible(150000), 0),
              VAL(tnl->GroupVisible(199999), 1)});
  map.speed = 0.0f;
  map.step = map.steps + 1;
  Frame();
  // The world packet, texture 0 and the two parts' primitives.
  EXPECT_EQ(Entered(29), 4u);
  EXPECT_EQ(map.tunnelTriangles, 2);
  // One summary word, one flag word, two parts, one texture.
  EXPECT_EQ(tnl->DrawSteps(), 1u + 1u + 2u + 1u);
}

// Textures are drawn in ascending order whichever part met them first:
// part 0 (group 0) uses texture 1, part 1 (group 1) texture 0.
TEST_F(WalkWorld, ATunnelDrawsItsTexturesInAscendingOrder) {
  Bytes f;
  f.At(0x10C, 2);
  f.b.resize(0x120 + 2 * 32 + 2 * 16, 0);
  const size_t m = f.b.size();
  f.At(m + 0x0C, 2);
  f.b.resize(m + 0x20, 0);
  for (uint32_t tex : {1u, 0u}) {
    f.W(1).W(tex).W(0).W(3);
    for (int v = 0; v < 3; ++v) f.Floats({float(v), 0, 0, 1, 1, 1, 0, 0});
  }
  WriteFile("\\Stg\\Two", ".tnl", f.b);
  WriteFile("\\Stg\\Two_a", ".ovl", stage_file::WriteVisibilityList({{1, {0, 1}}}));
  auto* tnl = dynamic_cast<TnlRsc*>(Load(RscTag("TNL"), "\\Stg\\Two"));
  ASSERT_NE(tnl, nullptr);
  ASSERT_EQ(tnl->Parts().size(), 2u);
  TestImage image(2);
  map.tunnel.Target().Put(tnl);
  map.tunnelImage.Set(&image);
  map.tunnelVisibility[0].Target().Put(Load(RscTag("OVL"), "\\Stg\\Two_a"));
  ASSERT_NE(LoadStraightPath(0, 20), nullptr);
  map.SetSection(0, 1.0f);
  map.speed = 0.0f;
  map.step = map.steps + 1;
  Frame();
  std::vector<SGpObj*> drawn;
  for (auto& [key, p] : gp.GetQueue()->Entries())
    if (key == 29) drawn.push_back(p);
  const std::vector<SGpObj*> want = {&WorldPresets[1], image.GetTexturePacket(0), &tnl->Parts()[1].prims[0]->prim,
                                     image.GetTexturePacket(1), &tnl->Parts()[0].prims[0]->prim};
  EXPECT_EQ(drawn, want);
}

}  // namespace
