#include "vrax/resource/SRsc_Model.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <stdexcept>

#include "vrax/graphic/SGpMan.h"
#include "vrax/io/SysUtil.h"

namespace {

constexpr const char* kSource = "VRAX\\Resource\\Win\\SRsc_Model_Ex";
constexpr float kRadToTurn = 0.15915494f;

// What the frame indices of a model's tracks may hold together. A track
// keeps one entry (2 bytes) per frame up to its last key, so two keys of a
// few bytes can claim 65,536 entries. The largest model of the data tree
// (enemy/osr_bs08.bma: 94 tracks over 701 frames) needs 197,682 entries;
// this is ten times that, 4 MB, or 32 tracks that span the longest
// animation (65,536 frames).
constexpr uint64_t kMaxFrameIndexEntries = uint64_t(1) << 21;

// Entries of the frame index that SGpVec4Track::AddKey builds from these
// keys: it keeps only keys above the last kept one, and from the second
// on spans every frame up to the last kept key's.
uint64_t FrameIndexEntries(const std::vector<ModelFileKey>& keys) {
  int64_t last = -1;
  size_t kept = 0;
  for (const ModelFileKey& k : keys) {
    if (int64_t(k.frame) <= last) continue;
    last = int64_t(k.frame);
    ++kept;
  }
  return kept >= 2 ? uint64_t(last) + 1 : 0;
}

// What a mesh of v vertices and f faces keeps: the object and its blocks,
// each vertex here and in the device's buffer, and per face its indices
// (here and on the device), its attribute, its place in the attribute
// order and at most one attribute group (grown by doubling).
uint64_t MeshBytes(uint64_t v, uint64_t f) {
  return sizeof(SGpMesh) + 6 * kHeapBlockOverhead + v * 2 * sizeof(SGpMeshVertex) + f * (2 * 6 + 4 + 4 + 2 * 12);
}

// What the texture keys of a mesh keep per key: the key, and the frame,
// segment and search entries of its segment list; lists grown by doubling
// three times over (what they hold while they grow).
constexpr uint64_t kUvKeyBytes = 3 * sizeof(ModelUvKey) + 3 * 4 + 4 + 4;

void CopyName(char (&dst)[32], const std::string& src) {
  std::memset(dst, 0, sizeof dst);
  std::memcpy(dst, src.data(), std::min(src.size(), sizeof dst - 1));
}

// The vertices of a record: positions stored as (x, z, y), optionally moved
// by m, colours packed (opaque white without colours), the first texture
// coordinate pairs.
std::vector<SGpMeshVertex> MakeVertices(const ModelFileRecord& r, const SMatrix* m) {
  std::vector<SGpMeshVertex> v(r.positions.size());
  for (size_t k = 0; k < v.size(); ++k) {
    SVec3 p{r.positions[k][0], r.positions[k][2], r.positions[k][1]};
    if (m != nullptr) {
      SVec3 out;
      SVec3TransformCoord(&out, &p, m);
      p = out;
    }
    v[k].x = p.x, v[k].y = p.y, v[k].z = p.z;
    v[k].nx = v[k].ny = v[k].nz = 0.0f;
    v[k].colour = r.hasColours ? ModelPackColour(r.colours[k].data()) : 0xFFFFFFFFu;
    v[k].u = r.uvs[k][0];
    v[k].v = r.uvs[k][1];
  }
  return v;
}

// A mesh holding the record's vertices, faces and attributes, with normals.
// Null when the mesh cannot be made.
std::unique_ptr<SGpMesh> MakeMesh(const ModelFileRecord& r, const std::vector<SGpMeshVertex>& verts) {
  std::unique_ptr<SGpMesh> mesh(
      SGpMesh::Create(uint32_t(r.faces.size()), uint32_t(verts.size()), SGpMan::GetDevice()));
  if (!mesh) return nullptr;
  std::copy(verts.begin(), verts.end(), mesh->LockVertexBuffer());
  mesh->UnlockVertexBuffer();
  uint16_t* idx = mesh->LockIndexBuffer();
  uint32_t* attr = mesh->LockAttributeBuffer();
  for (size_t f = 0; f < r.faces.size(); ++f) {
    std::memcpy(idx + 3 * f, r.faces[f].index, 6);
    attr[f] = r.faces[f].attribute;
  }
  mesh->UnlockIndexBuffer();
  mesh->UnlockAttributeBuffer();
  mesh->ComputeNormals();
  return mesh;
}

}  // namespace

// ---------------------------------------------------------------- SRsc_Model

SRsc_Model::~SRsc_Model() {
  nodes_.clear();
  meshes_.clear();
}

SGpNode* SRsc_Model::GetNode(int32_t i) {
  return i >= 0 && size_t(i) < nodes_.size() ? &nodes_[size_t(i)] : nullptr;
}

SGpObj_Mesh* SRsc_Model::GetMesh(int32_t i) {
  return i >= 0 && size_t(i) < meshes_.size() ? &meshes_[size_t(i)] : nullptr;
}

// ---------------------------------------------------------------- SRsc_Model_Ex

SRsc_Model_Ex::SRsc_Model_Ex() { SMatrix::Identity(&modelMatrix_); }

SRsc_Model_Ex::~SRsc_Model_Ex() { ReleaseModel(); }

SRsc* SRsc_Model_Ex::Create() { return new (std::nothrow) SRsc_Model_Ex; }

const SGpMotionTrack* SRsc_Model_Ex::GetTrack(int32_t i) const {
  return i >= 0 && size_t(i) < tracks_.size() ? &tracks_[size_t(i)] : nullptr;
}

const SMatrix* SRsc_Model_Ex::GetBind(int32_t i) const {
  return i >= 0 && size_t(i) < bind_.size() ? &bind_[size_t(i)] : nullptr;
}

ModelMaterialGroup* SRsc_Model_Ex::GetMaterialGroup(int32_t k) {
  return k >= 0 && size_t(k) < groups_.size() ? &groups_[size_t(k)] : nullptr;
}

void SRsc_Model_Ex::SetMaterialScroll(int32_t n, float scrollU, float scrollV) {
  if (groups_.empty() || n < 0 || size_t(n) >= groups_[0].materials.size()) return;
  ModelMaterial& m = groups_[0].materials[size_t(n)];
  m.useMatrix = 1;
  m.scrollU = scrollU;
  m.scrollV = scrollV;
}

uint8_t SRsc_Model_Ex::GetMaterialFlag(int32_t n) const {
  if (groups_.empty() || n < 0 || size_t(n) >= groups_[0].materials.size()) return 0;
  return groups_[0].materials[size_t(n)].useMatrix;
}

void SRsc_Model_Ex::SetMaterialFlag(int32_t n, uint8_t useMatrix) {
  if (groups_.empty() || n < 0 || size_t(n) >= groups_[0].materials.size()) return;
  groups_[0].materials[size_t(n)].useMatrix = useMatrix;
}

void SRsc_Model_Ex::GetMaterialScroll(int32_t n, float* scrollU, float* scrollV) const {
  if (groups_.empty() || n < 0 || size_t(n) >= groups_[0].materials.size()) return;
  *scrollU = groups_[0].materials[size_t(n)].scrollU;
  *scrollV = groups_[0].materials[size_t(n)].scrollV;
}

void SRsc_Model_Ex::FlagMesh(int32_t n) {
  flagSteps_ = 0;
  if (n < 0) return;
  for (int32_t g : drawnGroups_) {
    ++flagSteps_;
    std::vector<ModelMaterial>& materials = groups_[size_t(g)].materials;
    if (size_t(n) < materials.size()) materials[size_t(n)].update = 1;
  }
}

bool SRsc_Model_Ex::Charge(uint64_t count, uint64_t size) {
  return budget_ == nullptr || ChargeBlock(*budget_, count, size);
}

SMatrix SRsc_Model_Ex::ModelMatrix(const uint32_t p[4]) {
  const int32_t p0 = p[0] != 0 ? int32_t(p[0]) : 0x10000;
  const int32_t p1 = p[1] != 0 ? int32_t(p[1]) : p0;
  const int32_t p2 = p[2] != 0 ? int32_t(p[2]) : p0;
  // Axis number 0, and any number outside the table, is the identity.
  const uint32_t axis = p[3] >= 1 && p[3] <= 6 ? p[3] : 1;
  SMatrix base, out;
  SMatrix::SetPreset(&base, int(axis));
  SMatrix::Scale(&out, &base, float(p0) / 65536.0f, float(p1) / 65536.0f, float(p2) / 65536.0f);
  return out;
}

void SRsc_Model_Ex::ReleaseModel() {
  // A root that was hung below a node outside the model leaves that tree
  // first, so the outside node keeps no link into freed nodes.
  for (SGpNode& n : nodes_) {
    SGpNode* parent = n.GetParent();
    if (parent != nullptr && (parent < nodes_.data() || parent >= nodes_.data() + nodes_.size())) n.SetParent(nullptr);
    n.ClearPackets();
  }
  nodes_.clear();
  meshes_.clear();
  groups_.clear();
  drawnGroups_.clear();
  flagSteps_ = 0;
  meshVertices_.clear();
  meshVertexCount_ = meshFaceCount_ = 0;
  skinMesh_.reset();
  meshGroup_ = -1;
  colourFlag_ = false;
  versionFlag_ = false;
  nodeTable_ = ModelTexAnim{};
  modelSpace_.clear();
  bind_.clear();
  tracks_.clear();
  draw_ = SGpMeshModel{};
  lastFrame_ = 1.0f;
  buildSteps_ = 0;
}

bool SRsc_Model_Ex::Build(const uint8_t* bma, size_t bmaSize, const uint8_t* tca, size_t tcaSize,
                          const uint32_t p[4], LoadBudget* budget) {
  ReleaseModel();
  LoadBudget own;
  budget_ = budget != nullptr ? budget : &own;
  bool ok = false;
  // Memory running out fails the model as damaged data does.
  try {
    ok = BuildCharged(bma, bmaSize, tca, tcaSize, p);
  } catch (const std::bad_alloc&) {
    ok = false;
  } catch (const std::length_error&) {
    ok = false;
  }
  budget_ = nullptr;
  if (!ok) {
    ReleaseModel();
    return false;
  }
  return true;
}

bool SRsc_Model_Ex::BuildCharged(const uint8_t* bma, size_t bmaSize, const uint8_t* tca, size_t tcaSize,
                                 const uint32_t p[4]) {
  ModelFile f;
  bool ok = ParseModelFile(bma, bmaSize, &f, budget_) && ReadHeader(f, tca, tcaSize);
  if (ok && versionFlag_ && tca != nullptr) ok = ParseTexAnimNodeTable(tca, tcaSize, &nodeTable_, budget_);
  if (ok) {
    modelMatrix_ = ModelMatrix(p);
    ok = ReadMeshes(f) && BuildHierarchy(f, modelMatrix_);
  }
  if (ok && f.AnyAnimated()) ok = ReadAnimation(f, modelMatrix_);
  return ok;
}

bool SRsc_Model_Ex::ReadHeader(const ModelFile& f, const uint8_t* tca, size_t tcaSize) {
  versionFlag_ = f.versionFlag;
  if (!Charge(f.materialGroups.size(), sizeof(ModelMaterialGroup))) return false;
  groups_.resize(f.materialGroups.size());
  for (size_t g = 0; g < groups_.size(); ++g) {
    const auto& src = f.materialGroups[g];
    auto& dst = groups_[g].materials;
    if (!Charge(src.size(), sizeof(ModelMaterial))) return false;
    dst.resize(src.size());
    for (size_t i = 0; i < src.size(); ++i) {
      const ModelFileMaterial& s = src[i];
      ModelMaterial& m = dst[i];
      CopyName(m.name, s.name);
      m.textureIndex = ParseLeadingInt(s.name);
      m.material.ambient = {s.ambient[0], s.ambient[1], s.ambient[2], s.ambient[3]};
      m.material.diffuse = {s.diffuse[0], s.diffuse[1], s.diffuse[2], s.diffuse[3]};
      m.material.emissive = {s.emissive[0], s.emissive[1], s.emissive[2], s.emissive[3]};
      m.material.specular = {s.specular[0], s.specular[1], s.specular[2], s.specular[3]};
      m.material.power = s.power;
      m.texture.Bind(nullptr, static_cast<uint32_t>(m.textureIndex));
      m.scaleU = s.scaleU;
      m.scaleV = s.scaleV;
      m.word0 = s.word0;
      m.word1 = s.word1;
      m.angle = s.angle;
      SMatrix::Identity(&m.matrix);
    }
  }
  // Without the version flag a ".tca" file holds the scroll of material 0;
  // one too short to hold it is damaged, as a node table that does not
  // parse is (a missing file is no error: no texture animation).
  float u, v;
  if (!versionFlag_ && tca != nullptr) {
    if (!ParseTexAnimScroll(tca, tcaSize, &u, &v)) return false;
    SetMaterialScroll(0, u, v);
  }
  return true;
}

bool SRsc_Model_Ex::ReadMeshes(const ModelFile& f) {
  for (const ModelFileRecord& r : f.meshes) {
    // Its vertices, its mesh and the bone of each vertex.
    if (!Charge(r.positions.size(), sizeof(SGpMeshVertex)) ||
        (!r.faces.empty() && !Charge(1, MeshBytes(r.positions.size(), r.faces.size()))) ||
        !Charge(r.skins.size(), sizeof(int32_t)))
      return false;
    meshVertices_ = MakeVertices(r, nullptr);
    meshVertexCount_ = int32_t(r.positions.size());
    meshFaceCount_ = int32_t(r.faces.size());
    colourFlag_ = r.hasColours;
    meshGroup_ = r.materialGroup;
    skinMesh_.reset();
    if (!r.faces.empty()) {
      skinMesh_ = MakeMesh(r, meshVertices_);
      if (!skinMesh_) return false;
      std::copy(skinMesh_->Vertices(), skinMesh_->Vertices() + meshVertices_.size(), meshVertices_.begin());
    }
    draw_.skinBones.resize(r.skins.size());
    for (size_t k = 0; k < r.skins.size(); ++k) {
      const auto& inf = r.skins[k].influences;
      draw_.skinBones[k] = ParseLeadingInt(inf.empty() ? std::string() : inf[0].bone.substr(0, 31));
    }
  }
  draw_.skinned = f.IsSkinned() ? 1 : 0;
  if (!draw_.skinned) draw_.skinBones.clear();
  return true;
}

bool SRsc_Model_Ex::BuildHierarchy(const ModelFile& f, const SMatrix& m) {
  const size_t n = f.nodes.size();
  // Per node: the node with its packet, the mesh packet, the model-space
  // and bind matrices, its texture-table entry and its drawn group; for a
  // skinned model its bone, offset and product matrices and rebuild mark,
  // and the unskinned vertices.
  if (!Charge(n, sizeof(SGpNode)) || !Charge(n, sizeof(SGpObj*)) || !Charge(n, sizeof(SGpObj_Mesh)) ||
      !Charge(n, sizeof(SMatrix)) || !Charge(n, sizeof(SMatrix)) || !Charge(n, sizeof(int32_t)) ||
      !Charge(n + 1, sizeof(int32_t)))
    return false;
  if (draw_.skinned && (!Charge(n, 3 * sizeof(SMatrix) + 1) || !Charge(meshVertices_.size(), sizeof(SGpMeshVertex))))
    return false;
  drawnGroups_.reserve(n + 1);
  nodes_.resize(n);
  meshes_.resize(n);
  modelSpace_.assign(n, kIdentityMatrix);
  bind_.assign(n, kIdentityMatrix);
  // The texture keys a node takes are those of the last table entry naming
  // it (every earlier one is overwritten): found in one pass over the table.
  std::vector<int32_t> keysOf(n, -1);
  for (size_t e = 0; e < nodeTable_.entries.size(); ++e, ++buildSteps_) {
    const int32_t k = ParseNodeIndex(nodeTable_.entries[e].node, n);
    if (k >= 0) keysOf[size_t(k)] = int32_t(e);
  }
  bool animated = false;
  for (size_t i = 0; i < n; ++i, ++buildSteps_) {
    const ModelFileRecord& r = f.nodes[i];
    const size_t idx = size_t(f.nodeIndex[i]);
    SGpNode& node = nodes_[idx];
    SMatrix parentMatrix = kIdentityMatrix;
    const int32_t parent = f.parentIndex[i];
    if (parent >= 0) {
      node.SetParent(&nodes_[size_t(parent)]);
      parentMatrix = modelSpace_[size_t(parent)];
    }

    SMatrix t, rot, s, ms;
    SMatrix::Translation(&t, r.translation[0], r.translation[1], r.translation[2]);
    const SQuat q{r.rotation[0], r.rotation[1], r.rotation[2], r.rotation[3]};
    SMatrix::RotationQuaternion(&rot, &q);
    SMatrix::Scaling(&s, r.scale[0], r.scale[1], r.scale[2]);
    SMatrix::Multiply(&ms, &s, &rot);
    SMatrix::Multiply(&ms, &ms, &t);
    modelSpace_[idx] = ms;

    SMatrix local = ms;
    if (parent >= 0) {
      SMatrix inv;
      if (SMatrix::Inverse(&inv, nullptr, &parentMatrix) != nullptr) SMatrix::Multiply(&local, &ms, &inv);
    }
    const SVec3 a = ModelMatrixAngles(local);
    float* nr = node.GetRotation();
    nr[0] = a.x * kRadToTurn, nr[1] = a.z * kRadToTurn, nr[2] = a.y * kRadToTurn;
    float* np = node.GetPosition();
    if (parent >= 0) {
      np[0] = local.m[3][0], np[1] = local.m[3][2], np[2] = local.m[3][1];
    } else {
      np[0] = r.translation[0], np[1] = r.translation[2], np[2] = r.translation[1];
    }
    float* ns = node.GetScale();
    ns[0] = r.scale[0], ns[1] = r.scale[2], ns[2] = r.scale[1];
    node.BuildLocal();
    SMatrix* l = node.GetLocal();
    const SVec3 row{l->m[3][0], l->m[3][1], l->m[3][2]};
    SVec4 moved;
    SVec3Transform(&moved, &row, &m);
    l->m[3][0] = moved.x, l->m[3][1] = moved.y, l->m[3][2] = moved.z, l->m[3][3] = moved.w;

    animated = animated || r.animated;
    SGpObj_Mesh& p = meshes_[idx];
    if (!draw_.skinned) {
      // Vertices, indices and attributes, the mesh, and the texture keys.
      const uint64_t keys = versionFlag_ && keysOf[idx] >= 0 && !r.faces.empty()
                                ? nodeTable_.entries[size_t(keysOf[idx])].uKeys.size() +
                                      nodeTable_.entries[size_t(keysOf[idx])].vKeys.size()
                                : 0;
      if (!Charge(r.positions.size(), sizeof(SGpMeshVertex)) || !Charge(r.faces.size(), 3 * sizeof(uint16_t)) ||
          !Charge(r.faces.size(), sizeof(uint32_t)) ||
          (!r.faces.empty() && !Charge(1, MeshBytes(r.positions.size(), r.faces.size()))) ||
          !Charge(keys, kUvKeyBytes))
        return false;
      p.vertices = MakeVertices(r, &m);
      p.vertexCount = int32_t(p.vertices.size());
      p.subsetCount = int32_t(r.faces.size());
      p.indices.resize(r.faces.size() * 3);
      p.attributes.resize(r.faces.size());
      for (size_t k = 0; k < r.faces.size(); ++k) {
        std::memcpy(&p.indices[3 * k], r.faces[k].index, 6);
        p.attributes[k] = r.faces[k].attribute;
      }
      if (!r.faces.empty()) {
        p.mesh = MakeMesh(r, p.vertices);
        if (!p.mesh) return false;
        std::copy(p.mesh->Vertices(), p.mesh->Vertices() + p.vertices.size(), p.vertices.begin());
        p.materials = r.materialGroup >= 0 ? &groups_[size_t(r.materialGroup)] : nullptr;
        if (p.materials != nullptr && !p.materials->materials.empty()) drawnGroups_.push_back(r.materialGroup);
        if (versionFlag_ && keysOf[idx] >= 0) {
          const ModelFileNodeKeys& e = nodeTable_.entries[size_t(keysOf[idx])];
          p.uKeysOn = e.hasU, p.vKeysOn = e.hasV;
          p.uKeys.clear(), p.vKeys.clear();
          for (const auto& k : e.uKeys) p.uKeys.push_back({k.frame, k.value});
          for (const auto& k : e.vKeys) p.vKeys.push_back({k.frame, k.value});
          p.uKeyCount = int32_t(p.uKeys.size());
          p.vKeyCount = int32_t(p.vKeys.size());
          p.uSegments.Build(p.uKeys.data(), p.uKeyCount);
          p.vSegments.Build(p.vKeys.data(), p.vKeyCount);
          p.uvClock = 0.0f;
          if (p.materials != nullptr)
            for (ModelMaterial& mat : p.materials->materials) mat.useMatrix = (e.hasU || e.hasV) ? 1 : 0;
        }
      }
    }
    p.partIndex = int32_t(idx);
    p.model = &draw_;
    node.AddPacket(&p);
  }

  draw_.animationOn = animated ? 1 : 0;
  // The parser bounds the count, and 0 gives -1 without a signed subtraction.
  draw_.endFrame = f.frameCount == 0 ? -1 : int32_t(f.frameCount - 1);
  draw_.partCount = int32_t(n);
  if (draw_.skinned) {
    draw_.bones.assign(n, kIdentityMatrix);
    draw_.source = meshVertices_;
    draw_.skinnedSubsetCount = meshFaceCount_;
    draw_.skinnedMesh = skinMesh_.get();
    draw_.skinnedMaterials = meshGroup_ >= 0 ? &groups_[size_t(meshGroup_)] : nullptr;
    if (draw_.skinnedMaterials != nullptr && !draw_.skinnedMaterials->materials.empty())
      drawnGroups_.push_back(meshGroup_);
    // Bind pose of a model without animation tracks: the nodes as placed.
    if (!f.AnyAnimated()) ComputeBindPose(f, m, std::vector<uint8_t>(n, 0));
  }
  std::sort(drawnGroups_.begin(), drawnGroups_.end());
  drawnGroups_.erase(std::unique(drawnGroups_.begin(), drawnGroups_.end()), drawnGroups_.end());
  return true;
}

bool SRsc_Model_Ex::ReadAnimation(const ModelFile& f, const SMatrix& m) {
  // Refused before any index is made.
  uint64_t entries = 0;
  for (const ModelFileTrack& t : f.tracks) {
    entries += FrameIndexEntries(t.positions) + FrameIndexEntries(t.rotations) + FrameIndexEntries(t.scales);
    if (entries > kMaxFrameIndexEntries) return false;
    // Each key and frame index entry, three times over for lists grown by
    // doubling (what they hold while they grow).
    if (!Charge(t.positions.size() + t.rotations.size() + t.scales.size(), 3 * sizeof(SGpVec4Track::Key)))
      return false;
  }
  if (!Charge(entries, 3 * sizeof(uint16_t)) || !Charge(f.tracks.size(), sizeof(SGpMotionTrack)) ||
      !Charge(nodes_.size(), 1))
    return false;
  tracks_.resize(f.tracks.size());
  lastFrame_ = float(f.frameCount) - 1.0f;
  std::vector<uint8_t> rebuild(nodes_.size(), 0);
  for (size_t i = 0; i < f.tracks.size(); ++i) {
    const ModelFileTrack& src = f.tracks[i];
    SGpMotionTrack& t = tracks_[i];
    t.nodeIndex = f.trackNode[i];
    SGpNode& node = nodes_[size_t(t.nodeIndex)];
    for (size_t k = 0; k < src.positions.size(); ++k) {
      const ModelFileKey& key = src.positions[k];
      if (key.frame > uint32_t(SGpVec4Track::kMaxFrame)) return false;
      const SVec3 v{key.v[0], key.v[1], key.v[2]};
      SVec4 w;
      SVec3Transform(&w, &v, &m);
      const float val[4] = {w.x, w.y, w.z, w.w};
      if (t.position.AddKey(val, int(key.frame)) < 0) return false;
      if (k == 0 && draw_.skinned) std::copy(val, val + 3, node.GetPosition());
    }
    for (size_t k = 0; k < src.rotations.size(); ++k) {
      const ModelFileKey& key = src.rotations[k];
      if (key.frame > uint32_t(SGpVec4Track::kMaxFrame)) return false;
      const float val[4] = {key.v[0] * kRadToTurn, key.v[1] * kRadToTurn, key.v[2] * kRadToTurn, 1.0f};
      if (t.rotation.AddKey(val, int(key.frame)) < 0) return false;
      if (k == 0 && draw_.skinned) std::copy(val, val + 3, node.GetRotation());
    }
    for (size_t k = 0; k < src.scales.size(); ++k) {
      const ModelFileKey& key = src.scales[k];
      if (key.frame > uint32_t(SGpVec4Track::kMaxFrame)) return false;
      const float val[4] = {key.v[0], key.v[1], key.v[2], 1.0f};
      if (t.scale.AddKey(val, int(key.frame)) < 0) return false;
      if (k == 0 && draw_.skinned) std::copy(val, val + 3, node.GetScale());
    }
    rebuild[size_t(t.nodeIndex)] = 1;
  }
  if (draw_.skinned) ComputeBindPose(f, m, rebuild);
  return true;
}

void SRsc_Model_Ex::ComputeBindPose(const ModelFile& f, const SMatrix& m, const std::vector<uint8_t>& rebuild) {
  for (size_t j = 0; j < nodes_.size(); ++j)
    if (rebuild[j]) nodes_[j].BuildLocal();
  // The product of a node's local matrix and those of its ancestors is its
  // local matrix times its parent's product. The file lists parents before
  // their children, so in file order every parent's product is ready: one
  // product per node, however deep the tree.
  std::vector<SMatrix> product(nodes_.size());
  for (size_t i = 0; i < f.nodes.size(); ++i, ++buildSteps_) {
    const size_t j = size_t(f.nodeIndex[i]);
    const int32_t parent = f.parentIndex[i];
    if (parent >= 0) {
      SMatrix::Multiply(&product[j], nodes_[j].GetLocal(), &product[size_t(parent)]);
    } else {
      product[j] = *nodes_[j].GetLocal();
    }
    SMatrix inv;
    if (SMatrix::Inverse(&inv, nullptr, &product[j]) == nullptr) inv = kIdentityMatrix;
    SMatrix::Multiply(&bind_[j], &inv, &m);
  }
  draw_.offsets = bind_;
}

int32_t SRsc_Model_Ex::Init(SProcArg) {
  step_ = 0;
  ReleaseModel();
  Budget().Release();
  modelFile_.SetName(MakeFileName(GetName(), ".bma"));
  modelFile_.Load();
  animFile_.SetName(MakeFileName(GetName(), ".tca"));
  animRequested_ = animFile_.GetFileSize() >= 0;
  if (animRequested_) animFile_.Load();
  SetInitResult(0);
  return 0;
}

int32_t SRsc_Model_Ex::Main(SProcArg) {
  if (step_ != 0) return 0;
  const int32_t ms = modelFile_.GetState();
  const int32_t as = animRequested_ ? animFile_.GetState() : int32_t(SFile::STATE_DONE);
  if (ms == SFile::STATE_FAILED || as == SFile::STATE_FAILED) {
    ReportOpenError(kSource, 174);
    modelFile_.FreeData();
    animFile_.FreeData();
    step_ = -1;
    return 0;
  }
  if (ms != SFile::STATE_DONE || as != SFile::STATE_DONE) return 0;
  uint32_t p[4];
  for (uint32_t i = 0; i < 4; ++i) p[i] = GetParam(i);
  const auto* tca = animRequested_ ? static_cast<const uint8_t*>(animFile_.GetData()) : nullptr;
  const size_t tcaSize = tca != nullptr ? animFile_.GetSize() : 0;
  const bool ok =
      Build(static_cast<const uint8_t*>(modelFile_.GetData()), modelFile_.GetSize(), tca, tcaSize, p, &Budget());
  modelFile_.FreeData();
  animFile_.FreeData();
  if (!ok) {
    // Either file may be the damaged one.
    modelFile_.Reject();
    if (animRequested_) animFile_.Reject();
    Budget().Release();  // nothing of the model is left
    ReportOpenError(kSource, 190);
    step_ = -1;
    return 0;
  }
  SetStatus(kRscReady);
  step_ = 1;
  return 0;
}

int32_t SRsc_Model_Ex::OnDispose(SProcArg) {
  ReleaseModel();
  modelFile_.FreeData();
  animFile_.FreeData();
  SetStatus(kRscIdle);
  return 0;
}

// ---------------------------------------------------------------- posing

namespace {

// The node a track poses, or null when the track is to be passed over.
SGpNode* TrackNode(const SGpMotionTrack* t, SGpNode* nodes, int32_t count, SGpNode* skip) {
  if (t == nullptr || nodes == nullptr || t->nodeIndex < 0 || t->nodeIndex >= count) return nullptr;
  SGpNode* node = &nodes[t->nodeIndex];
  return node == skip ? nullptr : node;
}

SGpNode* SkipNode(SGpNode* attached, bool skipRoot) {
  return skipRoot && attached != nullptr ? attached->GetRoot() : nullptr;
}

struct Pose {
  float rot[4], pos[4], scale[4];
};

Pose Current(SGpNode* n) {
  Pose p;
  std::copy(n->GetRotation(), n->GetRotation() + 4, p.rot);
  std::copy(n->GetPosition(), n->GetPosition() + 4, p.pos);
  std::copy(n->GetScale(), n->GetScale() + 4, p.scale);
  return p;
}

void Evaluate(const SGpMotionTrack& t, float time, Pose* p) {
  t.rotation.Evaluate(p->rot, time);
  t.position.Evaluate(p->pos, time);
  t.scale.Evaluate(p->scale, time);
}

}  // namespace

void ModelApplyMotion(SGpNode* nodes, int32_t nodeCount, SGpNode* attached, const SGpMotionCursor& c,
                      bool skipRoot) {
  if (c.model == nullptr) return;
  SGpNode* skip = SkipNode(attached, skipRoot);
  for (int32_t i = 0; i < c.model->TrackCount(); ++i) {
    const SGpMotionTrack* t = c.model->GetTrack(i);
    SGpNode* node = TrackNode(t, nodes, nodeCount, skip);
    if (node == nullptr) continue;
    t->rotation.Evaluate(node->GetRotation(), c.time);
    t->position.Evaluate(node->GetPosition(), c.time);
    t->scale.Evaluate(node->GetScale(), c.time);
    node->BuildLocal();
  }
}

void ModelMixMotions(SGpNode* nodes, int32_t nodeCount, SGpNode* attached, const SGpMotionCursor& a,
                     const SGpMotionCursor& b, float ratio, bool skipRoot) {
  if (a.model == nullptr || b.model == nullptr) return;
  SGpNode* skip = SkipNode(attached, skipRoot);
  for (int32_t i = 0; i < a.model->TrackCount(); ++i) {
    const SGpMotionTrack* ta = a.model->GetTrack(i);
    const SGpMotionTrack* tb = b.model->GetTrack(i);
    SGpNode* node = TrackNode(ta, nodes, nodeCount, skip);
    if (node == nullptr || tb == nullptr) continue;
    Pose pa = Current(node), pb = pa;
    Evaluate(*ta, a.time, &pa);
    Evaluate(*tb, b.time, &pb);
    for (int c = 0; c < 3; ++c) {
      node->GetRotation()[c] = pa.rot[c] + (pb.rot[c] - pa.rot[c]) * ratio;
      node->GetPosition()[c] = pa.pos[c] + (pb.pos[c] - pa.pos[c]) * ratio;
      node->GetScale()[c] = pa.scale[c] + (pb.scale[c] - pa.scale[c]) * ratio;
    }
    node->BuildLocal();
  }
}

void ModelBlendMotion(SGpNode* nodes, int32_t nodeCount, SGpNode* attached, const SGpMotionCursor& c,
                      float weight, bool skipRoot) {
  if (c.model == nullptr) return;
  SGpNode* skip = SkipNode(attached, skipRoot);
  for (int32_t i = 0; i < c.model->TrackCount(); ++i) {
    const SGpMotionTrack* t = c.model->GetTrack(i);
    SGpNode* node = TrackNode(t, nodes, nodeCount, skip);
    if (node == nullptr) continue;
    Pose v = Current(node);
    Evaluate(*t, c.time, &v);
    for (int k = 0; k < 3; ++k) {
      float* r = node->GetRotation();
      float* p = node->GetPosition();
      float* s = node->GetScale();
      r[k] = r[k] + (v.rot[k] - r[k]) * weight;
      p[k] = p[k] + (v.pos[k] - p[k]) * weight;
      s[k] = s[k] + (v.scale[k] - s[k]) * weight;
    }
    node->BuildLocal();
  }
}
