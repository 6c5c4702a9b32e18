#pragma once
// The stage world on the engine's managers: the stage-world resource kinds
// registered, a fresh data directory, a game root (not stepped: it only
// answers GetGame) with the map enabled, the Player in play, and the global
// MapMng as a static child of kernel list 2, so kernel.Step() runs one frame
// of it. Files are written into the data directory and loaded through the
// resource manager like a stage's resource table does.
#include <memory>
#include <string>
#include <vector>

#include "game/core/Game.h"
#include "game/stage/CamRsc.h"
#include "game/stage/MapMng.h"
#include "support/EngineWorld.h"
#include "support/TempDir.h"

namespace testsupport {

// An image whose textures are plain packets, and a model of one node, both
// ready: stage scenery only enters their packets.
class TestImage : public SRsc_Image {
 public:
  explicit TestImage(int textures) {
    for (int i = 0; i < textures; ++i) packets_.emplace_back(this, uint32_t(i));
    SetStatus(kRscReady);
  }
};
class TestModel : public SRsc_Model {
 public:
  TestModel() {
    nodes_.resize(1);
    SetStatus(kRscReady);
  }
};

class StageWorld : public EngineWorld {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Writes bytes to the file of a game path ("\Stg\t_a" + ".cam").
  void WriteFile(const std::string& gamePath, const char* ext, const std::vector<uint8_t>& bytes);
  // Creates a resource of the kind from the game path in group 3 and steps
  // the engine until it has settled (ready or failed); null when it never
  // settles or cannot be created.
  SRsc* Load(uint32_t tag, const std::string& gamePath);
  // A straight path of n keys: key k at (0, 0, -10 k), no rotation, written
  // and loaded into MapMng's path slot.
  CamRsc* LoadStraightPath(int path, int keys);
  // One kernel frame.
  void Frame(int n = 1) {
    for (int i = 0; i < n; ++i) kernel.Step();
  }

  // The data directory: a fresh temporary one unless set before SetUp.
  std::string dataDir;
  TempDir dir{"stageworld"};
  std::unique_ptr<ScopedDataDir> data;
  std::unique_ptr<Game> game;
  MapMng& map = g_MapMng;
};

// K = 3 textures, a block S of T = 1 row (3 rows of 16 bytes), then two
// groups: part 0 with records of textures 2 (3 vertices), 0 (4) and 2 (5);
// part 1 with a record of texture 0 (3), one of texture 7 (past K) and one
// of 2 vertices (no triangle). Bytes by hand, not by the writer.
std::vector<uint8_t> HandBuiltTunnel();

}  // namespace testsupport
