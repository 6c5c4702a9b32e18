// The stage script parser against a file laid out word by word from the
// format: records, links, loops, lookups by id and the load-time scatter.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "game/stage/ScriptStgRsc.h"
#include "game/stage/StageFileWriter.h"
#include "platform/crt_rand.h"
#include "support/ErrorBox.h"
#include "support/ExpectAll.h"
#include "support/LeBytes.h"

namespace {

using Bytes = testsupport::LeBytes;

constexpr uint32_t kNone = 0xFFFFFFFFu;

// Section 0: script 7 (motion and generator lists loop) with two motion
// records, two generators (bullet paths 3 and 99), one defeat generator, two
// routes and two axes; script 8 with empty lists. Section 1: route table 5
// with three entries. Section 2: parameter 10 (type 1, route table 5,
// recoil 1, release none, defeat 9), parameter 11 (type 5), parameter 12
// (route table 6, which does not exist, recoil 0). Section 3: a spawn of 10
// with script 7 scattered, a spawn of 11 naming script 7, a named record of
// a missing parameter, a rail wait. Section 4: bullet path 3 of two entries.
std::vector<uint8_t> HandBuiltScript() {
  Bytes f;
  f.Zeros(5);
  uint32_t off[5];
  off[0] = uint32_t(f.b.size());
  f.W(0).W(0).W(2);
  f.W(7).W(0x40000).W(0x40000).W(0).W(2).W(2).W(1).W(2).W(2);
  for (int m = 0; m < 2; ++m) {  // motion: duration 30 + m, flags 1, nine floats, next word
    f.F(30.0f + m).W(1);
    for (int i = 0; i < 9; ++i) f.F(float(i));
    f.W(0xDEAD);
  }
  for (uint32_t path : {3u, 99u, kNone}) {  // two generators and one defeat generator
    f.F(5.0f).W(path == kNone ? 0x00100000 : 0).W(2).W(3).W(4);
    f.Zeros(13);
    f.F(12.0f).F(-8.0f).Zeros(3).W(path).W(0xBEEF);
  }
  f.F(1.0f).W(2).F(3.0f).W(0).W(0).F(4.0f).W(0).F(5.0f).W(1).W(0);        // routes
  f.F(6.0f).W(0x100).W(20).F(0.0f).F(1.0f).W(0).F(7.0f).W(0x200).W(21).F(1.0f).F(2.0f).W(0);  // axes
  f.W(8).Zeros(8);  // script 8, all lists empty
  off[1] = uint32_t(f.b.size());
  f.W(0).W(0).W(1);
  f.W(5).W(3);
  for (int e = 0; e < 3; ++e) f.W(0).F(float(e)).F(float(e) + 0.5f).W(e & 1).F(2.0f);
  off[2] = uint32_t(f.b.size());
  f.W(0).W(0).W(3);
  auto param = [&f](uint32_t id, int32_t type, uint32_t table, uint32_t recoil, uint32_t release,
                    uint32_t defeat) {
    f.W(id);
    const char name[32] = "Zako";
    for (int i = 0; i < 8; ++i) {
      uint32_t w = 0;
      for (int j = 3; j >= 0; --j) w = (w << 8) | uint8_t(name[4 * i + j]);
      f.W(w);
    }
    f.W(3).W(uint32_t(type)).F(1.0f).W(table).W(recoil).W(release).W(defeat);
    f.Zeros(8).W(40).W(500).F(16.0f).Zeros(5);
  };
  param(10, 1, 5, 1, kNone, 9);
  param(11, 5, kNone, kNone, kNone, kNone);
  param(12, 0, 6, 0, kNone, kNone);
  off[3] = uint32_t(f.b.size());
  f.W(0).W(0).W(4);
  f.F(10.0f).W(0x7F8 | 0x40000).W(10).F(100.0f).F(50.0f).F(0.0f).W(7).F(40.0f).F(20.0f).F(10.0f);
  f.F(0.0f).W(0x7F8).W(11).F(1.0f).F(2.0f).F(3.0f).W(7).F(40.0f).F(40.0f).F(40.0f);
  f.F(0.0f).W(0x200).W(99).Zeros(7);
  f.F(0.0f).W(0x008).F(250.0f).Zeros(7);
  off[4] = uint32_t(f.b.size());
  f.W(0).W(0).W(1);
  f.W(3).W(2);
  f.W(60).W(0x101).F(0.25f).F(0.5f).F(3.0f).F(-1.0f).W(0xCAFE);
  f.W(30).W(0x002).F(0.0f).F(0.0f).F(1.0f).F(0.0f).W(0xCAFE);
  for (int i = 0; i < 5; ++i) f.At(4 * size_t(i), off[i]);
  return f.b;
}

TEST(StageScript, RecordsAndTheirLinksFromAHandBuiltFile) {
  plat::SRand(0);
  const std::vector<uint8_t> file = HandBuiltScript();
  StageScript s;
  ASSERT_TRUE(ParseStageScript(file.data(), file.size(), &s));
  ASSERT_EQ(s.scripts.size(), 2u);
  ASSERT_EQ(s.timeline.size(), 4u);
  ASSERT_EQ(s.patternLists.size(), 1u);
  const EnemyScript& e = s.scripts[0];
  const PatternList& path = s.patternLists[0];
  const RouteTable& table = s.routeTables[0];
  EXPECT_ALL({VAL(e.id, 7), VAL(e.motion.size(), 2), VAL(e.generators.size(), 2), VAL(e.defeatGenerators.size(), 1),
              VAL(e.route.size(), 2), VAL(e.axis.size(), 2), VAL(e.motion[1].block.duration, 31.0f),
              VAL(e.motion[1].block.flags, 1), VAL(e.motion[1].block.depthTo, 8.0f),
              VAL(e.generators[0].startTime, 5.0f), VAL(e.generators[0].hitWord, 2),
              VAL(e.generators[0].shotCodeB, 4), VAL(e.generators[0].offsetX, 12.0f),
              VAL(e.generators[0].offsetY, -8.0f), VAL(e.generators[0].bulletPathId, 3),
              VAL(e.defeatGenerators[0].IsLaser(), 1), VAL(e.defeatGenerators[0].WordF(18), 12.0f),
              VAL(e.route[0].entryIndex, 2), VAL(e.route[1].wrap, 1), VAL(e.route[1].speed, 5.0f), VAL(e.axis[1].duration, 21),
              VAL(e.axis[0].AsBlock().mode, 0x100), VAL(e.axis[1].AsBlock().to, 2.0f),
              VAL(table.id, 5), VAL(table.entries.size(), 3), VAL(table.entries[2].to, 2.5f),
              VAL(table.entries[1].wrap, 1), VAL(path.entries[0].flags, 0x101),
              VAL(path.entries[0].speedDelta, -1.0f), VAL(path.entries[1].duration, 30)});
  // Loops: the motion and generator lists close on their first record; the
  // route list (flag clear), the defeat generators (never looped, though
  // the generator flag is set) and the axes end.
  EXPECT_SAME({SAME(e.motion[0].next, &e.motion[1]), SAME(e.motion[1].next, &e.motion[0]),
               SAME(e.generators[0].next, &e.generators[1]), SAME(e.generators[1].next, &e.generators[0]),
               SAME(e.defeatGenerators[0].next, nullptr), SAME(e.route[0].next, &e.route[1]),
               SAME(e.route[1].next, nullptr),
               SAME(e.axis[0].next, &e.axis[1]), SAME(e.axis[1].next, nullptr),
               SAME(path.entries[0].next, &path.entries[1]), SAME(path.entries[1].next, nullptr),
               // Bullet paths: found, not found, none.
               SAME(e.generators[0].bulletPath, &path.entries[0]), SAME(e.generators[1].bulletPath, nullptr),
               SAME(e.defeatGenerators[0].bulletPath, nullptr)});
  // A script with every list empty has none of its five lists.
  const EnemyScript& empty = s.scripts[1];
  EXPECT_SAME({SAME(empty.Motion(), nullptr), SAME(empty.Generators(), nullptr),
               SAME(empty.DefeatGenerators(), nullptr), SAME(empty.Route(), nullptr), SAME(empty.Axis(), nullptr)});

  // Parameters: the route table by key, entries by index with their bound.
  const EnemyParam& p10 = s.params[0];
  const EnemyParam& p12 = s.params[2];
  EXPECT_STREQ(p10.name, "Zako");
  EXPECT_ALL({VAL(p10.defeatMode, 3), VAL(p10.type, 1), VAL(p10.hitPoints, 40), VAL(p10.scoreValue, 500),
              VAL(p10.hitRadius, 16.0f)});
  EXPECT_SAME({SAME(p10.routeTable, &table), SAME(p10.RecoilRoute(), &table.entries[1]),
               SAME(p10.RecoilRoute(1), &table.entries[2]), SAME(p10.RecoilRoute(2), nullptr),
               SAME(p10.ReleaseRoute(), nullptr), SAME(p10.DefeatRoute(), nullptr),
               // A table key that names no table leaves every route empty.
               SAME(p12.routeTable, nullptr), SAME(p12.RecoilRoute(), nullptr)});

  // Timeline: spawn references, a type of 2 or more leaves the script
  // empty, a missing parameter leaves the record's references empty.
  const EnemySpawnRecord* t = s.timeline.data();
  EXPECT_SAME({SAME(t[0].param, &p10), SAME(t[0].script, &s.scripts[0]), SAME(t[1].param, &s.params[1]),
               SAME(t[1].script, nullptr), SAME(t[2].param, nullptr), SAME(t[3].param, nullptr)});
  EXPECT_EQ(t[3].ArgumentF(), 250.0f);
  // Scatter: rand() from seed 0 gives 38, 7719, 21238, one each for x, y, z,
  // times the f32 nearest 1/32767, less 0.5, times the range.
  const float k = 3.0518509e-05f;
  EXPECT_ALL({VAL(t[0].x, 100.0f + (38 * k - 0.5f) * 40.0f), VAL(t[0].y, 50.0f + (7719 * k - 0.5f) * 20.0f),
              VAL(t[0].z, 0.0f + (21238 * k - 0.5f) * 10.0f),
              // Without the flag the position stays exactly as stored.
              VAL(t[1].x, 1.0f), VAL(t[1].y, 2.0f), VAL(t[1].z, 3.0f)});
  EXPECT_EQ(plat::Rand(), 2437);  // the fourth value: exactly three were drawn
}

// A name that fills its 32 bytes without a NUL ends at its 31st character:
// it is read as a C string (the enemy's process name).
TEST(StageScript, ANameWithoutItsEndStopsInsideItsField) {
  std::vector<uint8_t> file = HandBuiltScript();
  const uint8_t zako[4] = {'Z', 'a', 'k', 'o'};
  const auto at = std::search(file.begin(), file.end(), zako, zako + 4);
  ASSERT_NE(at, file.end());
  std::fill(at, at + 32, uint8_t('A'));
  StageScript s;
  ASSERT_TRUE(ParseStageScript(file.data(), file.size(), &s));
  EXPECT_EQ(std::string(s.params[0].name), std::string(31, 'A'));
  EXPECT_STREQ(s.params[1].name, "Zako");
}

TEST(StageScript, EveryTruncationFailsWithoutDrawingAndTheWriterRoundTrips) {
  const std::vector<uint8_t> file = HandBuiltScript();
  StageScript s;
  for (size_t n = 0; n < file.size(); ++n) {
    plat::SRand(0);
    ASSERT_FALSE(ParseStageScript(file.data(), n, &s)) << n;
    ASSERT_TRUE(s.scripts.empty() && s.timeline.empty() && s.params.empty()) << n;
    ASSERT_EQ(plat::Rand(), 38) << n;
  }
  // Counts far beyond the data fail before anything is allocated.
  for (size_t at : {size_t(20 + 8), size_t(20 + 12 + 16)}) {
    std::vector<uint8_t> bad = file;
    bad[at + 3] = 0x7F;
    EXPECT_FALSE(ParseStageScript(bad.data(), bad.size(), &s)) << at;
  }
  // The writer puts the same words where the hand-built file has them (the
  // next words, which only the hand-built file fills, aside): parsing its
  // output gives the same tables.
  ASSERT_TRUE(ParseStageScript(file.data(), file.size(), &s));
  const std::vector<uint8_t> again = stage_file::WriteStageScript(s);
  ASSERT_EQ(again.size(), file.size());
  StageScript t;
  ASSERT_TRUE(ParseStageScript(again.data(), again.size(), &t));
  ASSERT_EQ(t.timeline.size(), s.timeline.size());
  EXPECT_EQ(t.scripts[0].generators[0].bulletPath, &t.patternLists[0].entries[0]);
  EXPECT_EQ(t.params[0].RecoilRoute(1), &t.routeTables[0].entries[2]);
}


// Script 7 (empty lists); parameters 1 (type 0), 2 (type 19, past the
// factory's 0 to 18), 3 (type -1) and a second parameter 1 (type 5); no
// route tables or bullet paths. Timeline: spawns of parameter 1 with script
// 7, of the missing parameter 9, of parameter 1 with the missing script 8,
// of parameter 2, of parameter 3, a wait on the named enemy of parameter 9,
// parameter 2 again and parameter 1 with script 7 again.
std::vector<uint8_t> DanglingReferencesScript() {
  Bytes f;
  f.Zeros(5);
  uint32_t off[5];
  off[0] = uint32_t(f.b.size());
  f.W(0).W(0).W(1);
  f.W(7).Zeros(8);
  off[1] = uint32_t(f.b.size());
  f.W(0).W(0).W(0);
  off[2] = uint32_t(f.b.size());
  f.W(0).W(0).W(4);
  for (auto [id, type] : {std::pair<uint32_t, int32_t>{1, 0}, {2, 19}, {3, -1}, {1, 5}}) {
    f.W(id).W(0x6F6B6146);  // "Fako"
    f.Zeros(7).W(0).W(uint32_t(type));
    f.Zeros(32 - 11);
  }
  off[3] = uint32_t(f.b.size());
  f.W(0).W(0).W(8);
  auto record = [&f](uint32_t op, uint32_t argument, uint32_t script) {
    f.F(0.0f).W(op).W(argument).Zeros(3).W(script).Zeros(3);
  };
  record(0x7F8, 1, 7);
  record(0x7F8, 9, 7);
  record(0x7F8, 1, 8);
  record(0x7F8, 2, 7);
  record(0x7F8, 3, 7);
  record(0x200, 9, 0);
  record(0x7F8, 2, 0);
  record(0x7F8, 1, 7);
  off[4] = uint32_t(f.b.size());
  f.W(0).W(0).W(0);
  for (int i = 0; i < 5; ++i) f.At(4 * size_t(i), off[i]);
  return f.b;
}

// References that name nothing load all the same (the records stay, with
// empty references, for the timeline to pass by); each of the three kinds
// is told once at load, with its first record and its count.
TEST(StageScript, ReferencesThatNameNothingAreToldOnceEachAtLoad) {
  const std::vector<uint8_t> file = DanglingReferencesScript();
  testsupport::ErrorBoxCatcher box;
  StageScript s;
  ASSERT_TRUE(ParseStageScript(file.data(), file.size(), &s));
  ASSERT_EQ(s.timeline.size(), 8u);
  ASSERT_EQ(s.params.size(), 4u);
  const EnemySpawnRecord* t = s.timeline.data();
  // Of two parameters with id 1 the first is linked.
  EXPECT_SAME({SAME(t[0].param, &s.params[0]), SAME(t[0].script, &s.scripts[0]), SAME(t[1].param, nullptr),
               SAME(t[2].param, &s.params[0]), SAME(t[2].script, nullptr), SAME(t[3].param, &s.params[1]),
               SAME(t[4].param, &s.params[2]), SAME(t[5].param, nullptr), SAME(t[7].param, &s.params[0])});
  const std::vector<std::string> want = {
      "timeline record 1 names parameter 9, which the script does not hold (2 in all)",
      "timeline record 2 names script 8, which the script does not hold (1 in all)",
      "timeline record 3 spawns enemy type 19, outside 0 to 18 (3 in all)",
  };
  ASSERT_EQ(box.texts.size(), want.size());
  for (size_t i = 0; i < want.size(); ++i) {
    EXPECT_EQ(box.texts[i].rfind("Game\\ScriptStgRsc(", 0), 0u) << box.texts[i];
    EXPECT_NE(box.texts[i].find(" : " + want[i] + "\n"), std::string::npos) << box.texts[i];
  }
}

}  // namespace
