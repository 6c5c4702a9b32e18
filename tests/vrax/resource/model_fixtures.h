#pragma once
// Two small models built with the model writer: a rigid model of two nodes
// (the second the child of the first) whose first material scrolls its
// texture, and a skinned bar bent by two bones with animation tracks.
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <memory>
#include <string>
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

// A model file, or its ".tca" companion, laid out item by item from the
// format, independent of the project's writer: every field has a value of
// its own, so reading two fields in each other's place shows.
// Little-endian; a string is a u32 length and its bytes.
class LaidOutModel {
 public:
  LaidOutModel& U8(uint8_t v) { return b_.push_back(v), *this; }
  LaidOutModel& U16(uint16_t v) { return U8(uint8_t(v)).U8(uint8_t(v >> 8)); }
  LaidOutModel& U32(uint32_t v) { return U16(uint16_t(v)).U16(uint16_t(v >> 16)); }
  LaidOutModel& F32(std::initializer_list<float> fs) {
    for (float f : fs) {
      uint32_t u;
      std::memcpy(&u, &f, 4);
      U32(u);
    }
    return *this;
  }
  LaidOutModel& Str(const std::string& s) {
    U32(uint32_t(s.size()));
    b_.insert(b_.end(), s.begin(), s.end());
    return *this;
  }
  // The items before the material groups: tag "BMA1.1" with the version
  // flag, "BMA1.0" without; title, frame count, two floats, comment.
  LaidOutModel& Header(bool versionFlag, uint32_t frameCount) {
    U8('B').U8('M').U8('A').U8('1').U8('.').U8(versionFlag ? '1' : '0');
    return Str("t").U32(frameCount).F32({0, 0}).Str("c");
  }
  // A hierarchy record without vertices or material: its index, its
  // parent's (none when empty), at (x, 0, 0) in model space, unturned, of
  // scale 1, with the animation flag.
  LaidOutModel& BareNode(const std::string& index, const std::string& parent, float x, bool animated) {
    Str(index).U8(parent.empty() ? 0 : 1);
    if (!parent.empty()) Str(parent);
    Str("").F32({x, 0, 0}).F32({0, 0, 0, 1}).F32({1, 1, 1}).F32({0, 0, 0, 0});
    Str("p").U32(0).Str("f").U32(0).Str("u").U32(0).Str("c").U8(0).Str("m").U32(0xFFFFFFFFu);
    return Str("a").U8(animated ? 1 : 0);
  }
  std::vector<uint8_t> bytes() const { return b_; }

 private:
  std::vector<uint8_t> b_;
};

std::vector<uint8_t> RigidBytes();
std::vector<uint8_t> SkinnedBytes();

// A model resource built from a file (scale and axis parameters 0 unless
// given); null when the build fails. BuildRigid adds the rigid ".tca" table.
std::unique_ptr<SRsc_Model_Ex> Build(const ModelFile& f, const std::vector<uint8_t>* tca = nullptr,
                                     const uint32_t* params = nullptr);
std::unique_ptr<SRsc_Model_Ex> BuildRigid(const uint32_t* params = nullptr);

}  // namespace modelfix
