#pragma once
// The mesh packet of a model node and the material records it draws with.
// A rigid model draws each node's own mesh, subset by subset, with an
// animated texture matrix per material; a skinned model records the world
// matrix of every part as its packets run and, once all parts have run,
// moves the vertices of its single mesh on the processor and draws it.
// Each material takes its texture from the current image; a material whose
// texture that image lacks is not drawn (SGpMan::TextureMissing).
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/gfx_device.h"
#include "vrax/graphic/SGpMesh.h"
#include "vrax/graphic/SGpObj.h"
#include "vrax/graphic/SGpState.h"
#include "vrax/graphic/SMath.h"

// Texture-scroll key: frame and value.
struct ModelUvKey {
  int32_t frame;
  float value;
};

// Where each clock value falls in a texture key list, found once when the
// list is loaded so that a lookup is a binary search however long the list:
// the distinct key frames in ascending order and, for the span from each to
// the next, the first segment of the list (keys i and i + 1 with frame i <=
// clock < frame i + 1) that holds it, -1 for none. Keys in any order give
// what a scan of the list from its start gives.
class ModelKeySegments {
 public:
  ModelKeySegments() = default;
  ModelKeySegments(const ModelUvKey* keys, int32_t count) { Build(keys, count); }
  void Build(const ModelUvKey* keys, int32_t count);
  // The first segment holding t, -1 for none.
  int32_t Find(float t) const;
  // Frames compared by Find since the list was built: at most one more than
  // log2 of the number of distinct frames per call.
  uint64_t Steps() const { return steps_; }

 private:
  std::vector<float> frames_;
  std::vector<int32_t> segment_;
  mutable uint64_t steps_ = 0;
};

struct ModelMaterial {
  char name[32] = {};
  plat::Material material{};
  int32_t textureIndex = 0;  // the name's leading decimal number
  SGpState_Texture texture;
  uint32_t word = 0;
  float scaleU = 1.0f, scaleV = 1.0f;
  uint32_t word0 = 0, word1 = 0;
  float angle = 0.0f;  // radians
  SMatrix matrix{{{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}}};  // texture matrix, kept between frames
  uint8_t useMatrix = 0;
  float scrollU = 0.0f, scrollV = 0.0f;
  uint8_t update = 0;
};

struct ModelMaterialGroup {
  std::vector<ModelMaterial> materials;
};

// What the mesh packets of one model share: the skinned mesh with its bone
// table, and the model's animation frame counter.
struct SGpMeshModel {
  uint8_t skinned = 0;
  int32_t partsDrawn = 0;
  int32_t partCount = 0;
  std::vector<SMatrix> offsets;  // bind-pose inverses, one per part
  std::vector<SMatrix> bones;    // world matrices recorded this round
  std::vector<SMatrix> skin;     // offset x bone, the matrices the vertices move by
  std::vector<SGpMeshVertex> source;  // the unskinned vertices
  int32_t skinnedSubsetCount = 0;
  SGpMesh* skinnedMesh = nullptr;
  ModelMaterialGroup* skinnedMaterials = nullptr;
  // Bone of each vertex: its first influence's bone name read as a number
  // (a name that is no number gives bone 0).
  std::vector<int32_t> skinBones;
  uint8_t animationOn = 0;
  int32_t endFrame = 0;
  int32_t frameCounter = 0;
};

class SGpObj_Mesh : public SGpObj {
 public:
  static constexpr float kUvClockStep = 0.2f;

  void Execute() override;

  int32_t vertexCount = -1;
  std::vector<SGpMeshVertex> vertices;
  int32_t subsetCount = -1;  // the face count
  std::vector<uint16_t> indices;
  std::unique_ptr<SGpMesh> mesh;
  std::vector<uint32_t> attributes;
  ModelMaterialGroup* materials = nullptr;
  uint32_t word = 0;
  int32_t partIndex = -1;
  SGpMeshModel* model = nullptr;
  float uvClock = 0.0f;
  bool uKeysOn = false, vKeysOn = false;
  int32_t uKeyCount = 0, vKeyCount = 0;
  std::vector<ModelUvKey> uKeys, vKeys;
  // Built with the key lists (the first uKeyCount and vKeyCount keys).
  ModelKeySegments uSegments, vSegments;

 private:
  void ExecuteSkinned();
};

// Value of a texture key list at *clock, with the list's segments. A clock
// beyond the last key's frame restarts at the first key's frame; in the
// first segment that holds it the value is interpolated between its two
// keys; outside every segment (before the first key, a list of one key, or
// keys that all share one frame) it is 0. An empty list gives 0 and leaves
// the clock alone.
float ModelKeyValue(const ModelUvKey* keys, int32_t count, const ModelKeySegments& segments, float* clock);

// The texture matrix of material m drawn by packet p (whose key lists and
// clock it may advance) of a model with shared data `model` (may be null:
// animation off). Stores the matrix in the material when it uses its own.
SMatrix ModelTextureMatrix(ModelMaterial& m, SGpObj_Mesh& p, SGpMeshModel* model);

// Moves the positions of n vertices: dst[k] = src[k] transformed by
// bones[boneOf[k]]; a vertex whose bone is outside 0..boneCount-1 is left
// as it is. Normals, colours and texture coordinates are not touched.
void SkinPositions(const SGpMeshVertex* src, SGpMeshVertex* dst, uint32_t n, const int32_t* boneOf,
                   const SMatrix* bones, int32_t boneCount);

// Colour channel 0..1 to a byte: 255 from 1.0 up, 0 at 0.0 and below (and
// for NaN), otherwise trunc(c x 255 + 0.5).
uint32_t ModelColourByte(float c);
// (r, g, b, a) packed as 0xAARRGGBB with ModelColourByte.
uint32_t ModelPackColour(const float rgba[4]);

// Euler angles (radians) of a rotation matrix: y = asin(m31); between
// -pi/2 and pi/2 x = atan2(-m32, m33), z = atan2(-m21, m11); at +pi/2 z = 0
// and x = atan2(m12, m22); at -pi/2 z = 0 and x = -atan2(m12, m22)
// (mRC: row R, column C, counted from 1).
SVec3 ModelMatrixAngles(const SMatrix& m);
