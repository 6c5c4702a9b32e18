#include "support/StageWorld.h"

#include "game/player/Player.h"
#include "game/stage/ObjOvlRsc.h"
#include "game/stage/ObjRsc.h"
#include "game/stage/ScriptStgRsc.h"
#include "game/stage/StageFileWriter.h"
#include "game/stage/TnlRsc.h"
#include "support/LeBytes.h"
#include "vrax/resource/SRsc_Image.h"
#include "vrax/resource/SRsc_Model.h"

namespace testsupport {

void StageWorld::SetUp() {
  EngineWorld::SetUp();
  if (IsSkipped() || HasFatalFailure()) return;
  if (dataDir.empty()) dataDir = dir.Path();
  data = std::make_unique<ScopedDataDir>(dataDir);
  rm.RegisterKind(RscTag("STG"), &ScriptStgRsc::Create);
  rm.RegisterKind(RscTag("CAM"), &CamRsc::Create);
  rm.RegisterKind(RscTag("TNL"), &TnlRsc::Create);
  rm.RegisterKind(RscTag("OPL"), &ObjRsc::Create);
  rm.RegisterKind(RscTag("OVL"), &ObjOvlRsc::Create);
  rm.RegisterKind(RscTag("IMG"), &SRsc_Image_Ex::Create);
  rm.RegisterKind(RscTag("MDL"), &SRsc_Model_Ex::Create);
  game = std::make_unique<Game>();
  game->mapEnable = 1;
  g_Player.state = 3;
  PlayerPos = SVec4{0.0f, 0.0f, 0.0f, 1.0f};
  map.SetStatic(true);
  ASSERT_EQ(kernel.AddChild(2, &map, 0), 0);
}

void StageWorld::TearDown() {
  EngineWorld::TearDown();
  g_Player.state = 0;
  game.reset();
  data.reset();
}

void StageWorld::WriteFile(const std::string& gamePath, const char* ext, const std::vector<uint8_t>& bytes) {
  std::string name;
  for (char c : gamePath) {
    if (c != '\\') name += c;
    else if (!name.empty()) name += '/';
  }
  ASSERT_TRUE(dir.Write(name + ext, std::string(bytes.begin(), bytes.end())));
}

SRsc* StageWorld::Load(uint32_t tag, const std::string& gamePath) {
  SRsc* r = rm.CreateResource(3, tag, gamePath.c_str(), 0, 0, 0, 0);
  for (int i = 0; r != nullptr && i < 100 && !r->IsSettled(); ++i) kernel.Step();
  return r != nullptr && r->IsSettled() ? r : nullptr;
}

CamRsc* StageWorld::LoadStraightPath(int path, int keys) {
  std::vector<CamKey> k(static_cast<size_t>(keys));
  for (int i = 0; i < keys; ++i) k[size_t(i)].z = -10.0f * float(i);
  const std::string name = path == 0 ? "\\Stg\\t_a" : "\\Stg\\t_b";
  WriteFile(name, ".cam", stage_file::WriteCameraPath(k));
  auto* cam = dynamic_cast<CamRsc*>(Load(RscTag("CAM"), name));
  map.paths[path].Target().Put(cam);
  return cam;
}

std::vector<uint8_t> HandBuiltTunnel() {
  LeBytes f;
  f.At(0x10C, 3);
  f.b.resize(0x120 + 3 * 32, 0);
  const size_t s = f.b.size();
  f.At(s + 0x0C, 1);
  f.b.resize(s + 3 * 16, 0);
  const size_t m = f.b.size();
  f.At(m + 0x0C, 2);
  f.b.resize(m + 0x20, 0);
  auto record = [&f](uint32_t tex, int n) {
    f.W(tex).W(0xAAAA).W(uint32_t(n));
    for (int v = 0; v < n; ++v) f.Floats({float(v), float(tex), 0, 1, 0.5f, 0.25f, 0, 1});
  };
  f.W(3);
  record(2, 3);
  record(0, 4);
  record(2, 5);
  f.W(3);
  record(0, 3);
  record(7, 3);
  record(0, 2);
  return f.b;
}

}  // namespace testsupport
