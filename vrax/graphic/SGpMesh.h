#pragma once
// An indexed triangle mesh in the 36-byte vertex format 0x152 (position,
// normal, colour, one texture coordinate pair) with 16-bit indices and one
// attribute per face. The contents stay in memory; unlocking sends them to
// the device's buffers. Drawing subset n draws the faces whose attribute is
// n, so a model draws one subset per material.
#include <cstdint>
#include <vector>

#include "platform/gfx_device.h"

struct SGpMeshVertex {
  float x, y, z;
  float nx, ny, nz;
  uint32_t colour;  // 0xAARRGGBB
  float u, v;
};
static_assert(sizeof(SGpMeshVertex) == 36, "vertex format 0x152 is 36 bytes");

class SGpMesh {
 public:
  static constexpr uint32_t kFvf = plat::kFvfPosNormalColourTex;
  static constexpr uint32_t kMaxVertices = 65536;  // 16-bit indices

  // A mesh of `faces` triangles over `vertices` vertices, zero-filled, with
  // device buffers on `device` (null: memory only, draws nothing). Null for
  // no faces, no vertices, more than kMaxVertices vertices or when the
  // device refuses the buffers.
  static SGpMesh* Create(uint32_t faces, uint32_t vertices, plat::GfxDevice* device);
  ~SGpMesh();
  SGpMesh(const SGpMesh&) = delete;
  SGpMesh& operator=(const SGpMesh&) = delete;

  uint32_t GetNumVertices() const { return numVertices_; }

  // Direct access to the contents; Unlock sends the vertices to the device,
  // the indices and attributes rebuild the device's face order.
  SGpMeshVertex* LockVertexBuffer() { return vertices_.data(); }
  void UnlockVertexBuffer();
  uint16_t* LockIndexBuffer() { return indices_.data(); }
  void UnlockIndexBuffer() { facesDirty_ = true; }
  uint32_t* LockAttributeBuffer() { return attributes_.data(); }
  void UnlockAttributeBuffer() { facesDirty_ = true; }

  const SGpMeshVertex* Vertices() const { return vertices_.data(); }

  // Vertex normals: each is the normalised sum of the unit normals of the
  // faces that use the vertex (by index; equal positions are not merged).
  // A face's normal is the normalised cross product (p1 - p0) x (p2 - p0);
  // a degenerate face adds nothing, and a vertex without faces gets (0,0,0).
  void ComputeNormals();

  // Draws the faces whose attribute is `attribute` with the vertex format,
  // stream and indices of this mesh (other states as set). kOk, also when
  // there is nothing to draw.
  int DrawSubset(uint32_t attribute);
  // Number of faces carrying `attribute`.
  uint32_t SubsetFaceCount(uint32_t attribute);
  // Face groups looked at by the two above since the mesh was made: at most
  // one more than log2 of the group count per call.
  uint64_t LookupSteps() const { return lookupSteps_; }

 private:
  SGpMesh() = default;
  void RebuildFaces();

  plat::GfxDevice* device_ = nullptr;
  plat::VertexBuffer* vb_ = nullptr;
  plat::IndexBuffer* ib_ = nullptr;
  uint32_t numVertices_ = 0, numFaces_ = 0;
  std::vector<SGpMeshVertex> vertices_;
  std::vector<uint16_t> indices_;
  std::vector<uint32_t> attributes_;
  // Faces grouped by attribute in the device's index buffer: attribute,
  // first face and face count of each group, in ascending attribute order.
  struct Subset {
    uint32_t attribute, start, count;
  };
  // The group of `attribute`, null when no face carries it.
  const Subset* FindSubset(uint32_t attribute);
  std::vector<Subset> subsets_;
  bool facesDirty_ = true;
  uint64_t lookupSteps_ = 0;
};
