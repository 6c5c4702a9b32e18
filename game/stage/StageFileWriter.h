#pragma once
// Writers of the stage-world files: camera paths (".cam"), placement lists
// (".opl"), visibility lists (".ovl"), tunnels (".tnl") and stage scripts
// (".stg"), in the layouts their loaders read. The data generator and the
// tests build their files with them.
#include <cstdint>
#include <vector>

#include "game/stage/CamRsc.h"
#include "game/stage/ObjOvlRsc.h"
#include "game/stage/ScriptStgRsc.h"
#include "game/stage/TnlRsc.h"

namespace stage_file {

// One ".opl" record: position and rotation quaternion.
struct Placement {
  float x = 0.0f, y = 0.0f, z = 0.0f;
  float qx = 0.0f, qy = 0.0f, qz = 0.0f, qw = 1.0f;
};

std::vector<uint8_t> WriteCameraPath(const std::vector<CamKey>& keys);
std::vector<uint8_t> WritePlacementList(const std::vector<Placement>& objects);
std::vector<uint8_t> WriteVisibilityList(const std::vector<VisibilityStep>& steps);
// The header, K empty texture records and an S block of T + 2 zero rows,
// then the mesh of `mesh` (records in group order).
std::vector<uint8_t> WriteTunnel(const TunnelMesh& mesh, uint32_t blockRows = 0);
// Every table of `script` as stored: ids and indices as given (bulletPathId,
// routeTableId, route indices, argument, jump), next words 0; list counts
// from the lists' sizes. Sections in the order 0 to 4.
std::vector<uint8_t> WriteStageScript(const StageScript& script);

}  // namespace stage_file
