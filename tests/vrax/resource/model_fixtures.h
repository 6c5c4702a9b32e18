#pragma once
// Two small models built with the model writer: a rigid model of two nodes
// (the second the child of the first) whose first material scrolls its
// texture, and a skinned bar bent by two bones with animation tracks.
#include <cstdint>
#include <memory>
#include <vector>

#include "vrax/resource/ModelFile.h"
#include "vrax/resource/SRsc_Model.h"

namespace modelfix {

// Rigid: version tag set, one material group of two materials ("0 body",
// "1 trim"), node 0 a square of two faces (attributes 0 and 1) at the root,
// node 1 a triangle child of node 0 translated by (2, 0, 0); node 0 animated
// with a position track from (0,0,0) at frame 0 to (10,20,30) at frame 10.
ModelFile Rigid();
// Its ".tca" node table: node 0 with u keys (0, 0) (10, 1) and v keys
// (0, 0) (10, 0.5).
ModelTexAnim RigidTexAnim();

// Skinned: no tag; the mesh section holds one bar of six vertices along x
// (x = 0, 1, 2 at y = +-0.5) bound to bone "0" at x = 0, bones "1" then "0"
// at x = 1, bone "1" at x = 2; two hierarchy nodes (0 at the origin, 1 at
// x = 1, child of 0), both animated: node 1 turns about its z axis from 0
// at frame 0 to a quarter turn at frame 10.
ModelFile Skinned();

std::vector<uint8_t> RigidBytes();
std::vector<uint8_t> SkinnedBytes();

// A model resource built from a file (scale and axis parameters 0 unless
// given); null when the build fails. BuildRigid adds the rigid ".tca" table.
std::unique_ptr<SRsc_Model_Ex> Build(const ModelFile& f, const std::vector<uint8_t>* tca = nullptr,
                                     const uint32_t* params = nullptr);
std::unique_ptr<SRsc_Model_Ex> BuildRigid(const uint32_t* params = nullptr);

}  // namespace modelfix
