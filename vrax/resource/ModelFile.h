#pragma once
// The model file (".bma") and its texture-animation companion (".tca") as
// plain data: what the parser reads from the bytes and what the writer
// writes. Every count, length and index is checked against the bytes that
// are left and against the tables it refers to, so the model loader only
// ever sees consistent data.
//
// Layout of the model file (little-endian; a string is a u32 length and that
// many bytes without terminator):
//   [6-byte version tag whose fourth byte is '1' and sixth '0' or '1']
//   string, u32 frame count, f32, f32, string,
//   u32 material groups, each: u32 n, n materials,
//   mesh section: string, i32 record count, mesh records,
//   hierarchy section: string, u32 node count, node records,
//   [animation tracks, when any node record announced animation].
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "vrax/io/LoadBudget.h"

// Largest animation frame count: key frames are numbered 0 to 65535, so a
// longer animation could not be keyed; a file that claims more is refused.
inline constexpr uint32_t kMaxModelFrameCount = 65536;

struct ModelFileMaterial {
  std::string name;  // its leading decimal number is the texture index
  float ambient[4] = {0, 0, 0, 1};
  float diffuse[4] = {1, 1, 1, 1};
  float emissive[4] = {0, 0, 0, 1};
  float specular[4] = {0, 0, 0, 1};
  float power = 0.0f;
  float scaleU = 1.0f;
  float scaleV = 1.0f;
  uint32_t word0 = 0;
  uint32_t word1 = 0;
  float angle = 0.0f;  // radians
};

struct ModelFileFace {
  uint16_t index[3];
  uint32_t attribute;
};

struct ModelFileInfluence {
  std::string bone;  // the bone's node index in decimal
  uint32_t word = 0;
  float weight = 0.0f;
};

// Skin of one vertex: at most kMaxInfluences influences.
struct ModelFileSkin {
  static constexpr uint32_t kMaxInfluences = 4;
  std::vector<ModelFileInfluence> influences;
};

// A record of the mesh section or of the hierarchy section. The two share
// their layout up to the last item: the mesh section ends a record with the
// skin flag and skin records, the hierarchy section with the animation flag.
struct ModelFileRecord {
  std::string name;      // mesh section: node name; hierarchy: node index in decimal
  bool hasExtra = false;  // hierarchy: has a parent
  std::string extra;     // hierarchy: parent index in decimal
  std::string unused;
  float translation[3] = {0, 0, 0};
  float rotation[4] = {0, 0, 0, 1};  // quaternion x, y, z, w
  float scale[3] = {1, 1, 1};
  uint8_t scaleTail[16] = {};  // the rest of the 28-byte scale block
  std::vector<std::array<float, 3>> positions;  // as in the file (x, y, z)
  std::vector<ModelFileFace> faces;
  std::vector<std::array<float, 2>> uvs;  // at least one pair per position
  bool hasColours = false;
  std::vector<std::array<float, 4>> colours;  // r, g, b, a; one per position
  int32_t materialGroup = -1;  // -1: none
  // Mesh section only.
  bool hasSkin = false;
  std::vector<ModelFileSkin> skins;  // one per position
  // Hierarchy section only.
  bool animated = false;
};

struct ModelFileKey {
  uint32_t frame;
  float v[3];
};

struct ModelFileTrack {
  std::string node;  // node index in decimal
  std::vector<ModelFileKey> positions;
  std::vector<ModelFileKey> rotations;  // Euler angles in radians
  std::vector<ModelFileKey> scales;
};

struct ModelFile {
  // Version tag: present (6 bytes) or not; with it, versionFlag tells that
  // the node table of texture keys comes from the ".tca" file.
  bool hasTag = false;
  bool versionFlag = false;
  std::string title;
  uint32_t frameCount = 0;
  float headerValue0 = 0.0f;
  float headerValue1 = 0.0f;
  std::string comment;
  std::vector<std::vector<ModelFileMaterial>> materialGroups;
  std::string meshLabel;
  std::vector<ModelFileRecord> meshes;
  std::string hierarchyLabel;
  std::vector<ModelFileRecord> nodes;
  std::vector<ModelFileTrack> tracks;  // written only when a node is animated

  // Resolved while parsing (not written): node index and parent index of
  // every hierarchy record (-1 for a root), and each track's node index.
  std::vector<int32_t> nodeIndex;
  std::vector<int32_t> parentIndex;
  std::vector<int32_t> trackNode;
  bool AnyAnimated() const;
  // Skinned: the last record of the mesh section has its skin flag set.
  bool IsSkinned() const { return !meshes.empty() && meshes.back().hasSkin; }
};

// Texture-scroll keys of one node (".tca" node table).
struct ModelFileUvKey {
  int32_t frame;
  float value;
};

struct ModelFileNodeKeys {
  std::string node;  // node index in decimal
  bool hasU = false;
  std::vector<ModelFileUvKey> uKeys;
  bool hasV = false;
  std::vector<ModelFileUvKey> vKeys;
};

struct ModelTexAnim {
  std::vector<ModelFileNodeKeys> entries;
};

// Decimal number at the start of s as atoi reads it (leading blanks, a sign,
// digits), saturated to the int32 range instead of overflowing.
int32_t ParseLeadingInt(const std::string& s);
// A node index: ParseLeadingInt, -1 when outside 0..count-1.
int32_t ParseNodeIndex(const std::string& s, size_t count);

// Parses a whole model file. False (out unspecified) on any inconsistency:
// a count or length beyond the bytes left, a frame count above
// kMaxModelFrameCount, a face index at or beyond the vertex count, fewer
// texture coordinates than vertices, a material group beyond the groups
// read, more than four influences, a node, parent or track index outside
// the node table, a node listed twice, a parent listed after its child,
// or plain data that would pass the budget (every string, record, table
// and list is charged before it is made; without a budget: one of
// kMaxResourceBytes of its own). Bytes after the last item are ignored.
bool ParseModelFile(const uint8_t* data, size_t size, ModelFile* out, LoadBudget* budget = nullptr);

// Parses the node table of a ".tca" file (models with the version flag),
// charged as ParseModelFile charges.
bool ParseTexAnimNodeTable(const uint8_t* data, size_t size, ModelTexAnim* out, LoadBudget* budget = nullptr);
// The two scroll values at the start of a ".tca" file of a model without the
// version flag. False when the file is shorter than 8 bytes.
bool ParseTexAnimScroll(const uint8_t* data, size_t size, float* scrollU, float* scrollV);
