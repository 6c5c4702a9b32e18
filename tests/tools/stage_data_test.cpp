// The generated stage-world files load through their resources, and a stage
// built from them runs: the rail advances along path 0, the tunnel and the
// object sets come into view, the stage script spawns with resolved links.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "game/stage/ObjOvlRsc.h"
#include "game/stage/ObjRsc.h"
#include "game/stage/ScriptStgRsc.h"
#include "game/stage/TnlRsc.h"
#include "support/TempDir.h"
#include "support/ExpectAll.h"
#include "support/StageWorld.h"

namespace {

namespace fs = std::filesystem;

class GeneratedStage : public testsupport::StageWorld {
 protected:
  void SetUp() override {
    dataDir = testsupport::GeneratedDataRoot();
    StageWorld::SetUp();
  }
  // Loads a game path of the kind; the resource (ready), or null.
  template <class T>
  T* Ready(uint32_t tag, const std::string& path) {
    SRsc* r = Load(tag, path);
    EXPECT_TRUE(r != nullptr && r->GetStatus() == kRscReady) << path;
    return r != nullptr && r->GetStatus() == kRscReady ? dynamic_cast<T*>(r) : nullptr;
  }
};

const std::map<std::string, uint32_t> kKinds = {{".cam", RscTag("CAM")}, {".opl", RscTag("OPL")},
                                                {".ovl", RscTag("OVL")}, {".tnl", RscTag("TNL")},
                                                {".stg", RscTag("STG")}};

TEST_F(GeneratedStage, EveryStageWorldFileOfTheTreeLoads) {
  std::map<std::string, int> counts;
  for (const auto& e : fs::recursive_directory_iterator(dataDir)) {
    const auto found = kKinds.find(e.path().extension().string());
    if (found == kKinds.end()) continue;
    // The game path: "\Stg01\Obj\Stg01_Tree00" for Stg01/Obj/Stg01_Tree00.opl.
    const fs::path relative = fs::relative(e.path(), dataDir).replace_extension();
    std::string path;
    for (const auto& part : relative) path += "\\" + part.string();
    SRsc* r = Load(found->second, path);
    ASSERT_NE(r, nullptr) << path;
    EXPECT_EQ(r->GetStatus(), kRscReady) << path;
    ++counts[found->first];
    rm.ReleaseGroup(3, nullptr, 0);
  }
  EXPECT_TRUE(box.texts.empty());
  // Two paths for stages 1 to 3, one for 4 and 5, and the ending flight's;
  // a tunnel per stage; the placements of every object set the stages'
  // tables name (10, 24, 8, 8 and 1); five stage scripts and the tutorial's.
  EXPECT_ALL({VAL(counts[".cam"], 8 + 1), VAL(counts[".tnl"], 5), VAL(counts[".opl"], 51), VAL(counts[".stg"], 6),
              VAL(counts[".ovl"], 8 + 51 + 10 + 24 + 8)});
}

TEST_F(GeneratedStage, StageOneRunsItsRailWithTunnelSceneryAndScript) {
  auto* pathA = Ready<CamRsc>(RscTag("CAM"), "\\Stg01\\Stg01_a");
  auto* pathB = Ready<CamRsc>(RscTag("CAM"), "\\Stg01\\Stg01_b");
  ASSERT_TRUE(pathA != nullptr && pathB != nullptr);
  EXPECT_ALL({VAL(pathA->GetKeyCount(), 12000), VAL(pathB->GetKeyCount(), 4000)});
  map.paths[0].Target().Put(pathA);
  map.paths[1].Target().Put(pathB);
  map.tunnel.Target().Put(Ready<TnlRsc>(RscTag("TNL"), "\\Stg01\\Trn\\Stg01_Trn"));
  map.tunnelImage.Target().Put(Ready<SRsc_Image>(RscTag("IMG"), "\\Stg01\\Trn\\Stg01_Trn"));
  map.tunnelVisibility[0].Target().Put(Ready<ObjOvlRsc>(RscTag("OVL"), "\\Stg01\\Trn\\Stg01_Trn_a"));
  ObjPlacer& trees = map.layers[4];
  trees.objects.Target().Put(Ready<ObjRsc>(RscTag("OPL"), "\\Stg01\\Obj\\Stg01_Tree00"));
  trees.visibility[0].Target().Put(Ready<ObjOvlRsc>(RscTag("OVL"), "\\Stg01\\Obj\\Stg01_Tree00_a"));
  auto* script = Ready<ScriptStgRsc>(RscTag("STG"), "\\Script\\Stage01");
  ASSERT_NE(script, nullptr);
  const StageScript& s = script->Script();
  ASSERT_FALSE(s.timeline.empty());
  EXPECT_NE(s.timeline[0].param, nullptr);
  EXPECT_NE(s.timeline[0].script, nullptr);
  ASSERT_NE(s.timeline[0].script->Generators(), nullptr);
  EXPECT_NE(s.timeline[0].script->Generators()->bulletPath, nullptr);

  map.SetSection(0, 0.0f);
  Frame(700);
  EXPECT_EQ(map.currentPath, 0);
  EXPECT_GT(map.t, 600.0f);
  EXPECT_GT(map.tunnelTriangles, 0);
  int visible = 0;
  for (size_t i = 0; i < trees.GetObjects()->Objects().size(); ++i) visible += int(trees.GetObjects()->Visible(i));
  EXPECT_GE(visible, 1);
  // The camera follows path 0: its key 600 stands 7200 units down the rail.
  EXPECT_LT(map.camera->GetPosition()[2], -7000.0f);
  EXPECT_TRUE(box.texts.empty());
}

}  // namespace
