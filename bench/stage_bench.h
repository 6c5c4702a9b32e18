#pragma once
// The stage world of the stage benchmarks: the kernel with the graphic
// manager (null device, no frame hold), the I/O and resource managers that
// load the stage files, and MapMng in the game's list, over a data folder
// of the benchmark's files: a fresh folder of the run's own under the
// temporary directory, removed with the world, so that runs side by side
// never share one. Its ready image and model stand in for the stage's.
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "game/core/Game.h"
#include "game/player/Player.h"
#include "game/stage/MapMng.h"
#include "platform/paths.h"
#include "vrax/graphic/SGpMan.h"
#include "vrax/graphic/SGpPacket.h"
#include "vrax/graphic/SGpQueue.h"
#include "vrax/io/SIOMan.h"
#include "vrax/kernel/SKernel.h"
#include "vrax/resource/SRscMan.h"
#include "vrax/resource/SRsc_Model.h"

namespace stage_bench {

namespace fs = std::filesystem;

class Image : public SRsc_Image {
 public:
  explicit Image(unsigned textures) {
    for (unsigned t = 0; t < textures; ++t) packets_.emplace_back(this, t);
    SetStatus(kRscReady);
  }
};
class Model : public SRsc_Model {
 public:
  Model() {
    nodes_.resize(1);
    SetStatus(kRscReady);
  }
};

inline void Write(const fs::path& file, const std::vector<uint8_t>& bytes) {
  fs::create_directories(file.parent_path());
  std::ofstream(file, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

class World {
 public:
  // The files are written under Root(), the data folder until the end.
  explicit World(unsigned textures) : root_(FreshFolder()), image(textures) {
    plat::SetDataDir(root_.string());
    SGpMan::SetStartsSound(false);
    kernel.Start();
    for (SProc* p : {static_cast<SProc*>(&gp), static_cast<SProc*>(&io), static_cast<SProc*>(&rm)}) p->SetStatic(true);
    SGpDeviceRecord rec;
    rec.holdRate = 0;
    kernel.AddChild(0, &gp, reinterpret_cast<SProcArg>(&rec));
    kernel.AddChild(3, &io, 0);
    kernel.AddChild(3, &rm, 0);
    io.SetDataPath("Data//");
    rm.RegisterKind(RscTag("CAM"), &CamRsc::Create);
    rm.RegisterKind(RscTag("OPL"), &ObjRsc::Create);
    rm.RegisterKind(RscTag("OVL"), &ObjOvlRsc::Create);
    rm.RegisterKind(RscTag("TNL"), &TnlRsc::Create);
    kernel.Step();
    game.mapEnable = 1;
    g_Player.state = 3;
    map.SetStatic(true);
    kernel.AddChild(2, &map, 0);
  }
  ~World() {
    kernel.Kill(0);
    kernel.Dispose();
    g_Player.state = 0;
    SGpMan::SetStartsSound(true);
    plat::SetDataDir("");
    fs::remove_all(root_);
  }
  World(const World&) = delete;
  World& operator=(const World&) = delete;

  const fs::path& Root() const { return root_; }

  // A resource of the stage's resource slot 3, by kind (its tag) and name.
  SRsc* Load(uint32_t kind, const std::string& name) { return rm.CreateResource(3, kind, name.c_str(), 0, 0, 0, 0); }
  // One frame of MapMng: its draw packets (entered anew) and its rail.
  void Frame() {
    GetGpPacket()->Reset();
    gp.GetQueue()->Reset();
    SProc& proc = map;
    proc.Draw(0);
    proc.Main(0);
  }

 private:
  static fs::path FreshFolder() {
    std::string name = (fs::temp_directory_path() / "ostrel-bench-XXXXXX").string();
    if (mkdtemp(name.data()) == nullptr) throw std::runtime_error("mkdtemp failed for " + name);
    return name;
  }

  fs::path root_;

 public:
  SKernel kernel;
  SGpMan gp;
  SIOMan io;
  SRscMan rm;
  Game game;
  MapMng& map = g_MapMng;
  Image image;
  Model model;
};

}  // namespace stage_bench
