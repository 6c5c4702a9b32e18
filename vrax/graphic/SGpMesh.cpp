#include "vrax/graphic/SGpMesh.h"

#include <algorithm>
#include <cmath>
#include <cstring>

SGpMesh* SGpMesh::Create(uint32_t faces, uint32_t vertices, plat::GfxDevice* device) {
  if (faces == 0 || vertices == 0 || vertices > kMaxVertices) return nullptr;
  if (faces > 0x7FFFFFFFu / 6u) return nullptr;
  auto* m = new SGpMesh();
  m->device_ = device;
  m->numFaces_ = faces;
  m->numVertices_ = vertices;
  m->vertices_.assign(vertices, SGpMeshVertex{});
  m->indices_.assign(size_t(faces) * 3, 0);
  m->attributes_.assign(faces, 0);
  if (device != nullptr) {
    if (device->CreateVertexBuffer(vertices * uint32_t(sizeof(SGpMeshVertex)), kFvf, &m->vb_) != plat::kOk ||
        device->CreateIndexBuffer(faces * 6, &m->ib_) != plat::kOk) {
      delete m;
      return nullptr;
    }
  }
  return m;
}

SGpMesh::~SGpMesh() {
  if (vb_ != nullptr) vb_->Release();
  if (ib_ != nullptr) ib_->Release();
}

void SGpMesh::UnlockVertexBuffer() {
  if (vb_ == nullptr) return;
  void* p = nullptr;
  if (vb_->Lock(0, 0, &p) != plat::kOk) return;
  std::memcpy(p, vertices_.data(), vertices_.size() * sizeof(SGpMeshVertex));
  vb_->Unlock();
}

void SGpMesh::RebuildFaces() {
  facesDirty_ = false;
  std::vector<uint32_t> order(numFaces_);
  for (uint32_t i = 0; i < numFaces_; ++i) order[i] = i;
  std::stable_sort(order.begin(), order.end(),
                   [this](uint32_t a, uint32_t b) { return attributes_[a] < attributes_[b]; });
  subsets_.clear();
  for (uint32_t k = 0; k < numFaces_; ++k) {
    const uint32_t a = attributes_[order[k]];
    if (subsets_.empty() || subsets_.back().attribute != a) subsets_.push_back({a, k, 0});
    ++subsets_.back().count;
  }
  if (ib_ == nullptr) return;
  void* p = nullptr;
  if (ib_->Lock(0, 0, &p) != plat::kOk) return;
  auto* out = static_cast<uint16_t*>(p);
  for (uint32_t k = 0; k < numFaces_; ++k)
    std::memcpy(out + 3 * k, &indices_[size_t(order[k]) * 3], 6);
  ib_->Unlock();
}

// The groups stand in ascending attribute order: a binary search, so a
// model that draws many materials over many subsets pays a few steps each.
const SGpMesh::Subset* SGpMesh::FindSubset(uint32_t attribute) {
  if (facesDirty_) RebuildFaces();
  size_t lo = 0, hi = subsets_.size();
  while (lo < hi) {
    ++lookupSteps_;
    const size_t mid = lo + (hi - lo) / 2;
    if (subsets_[mid].attribute < attribute) {
      lo = mid + 1;
    } else {
      hi = mid;
    }
  }
  return lo < subsets_.size() && subsets_[lo].attribute == attribute ? &subsets_[lo] : nullptr;
}

uint32_t SGpMesh::SubsetFaceCount(uint32_t attribute) {
  const Subset* s = FindSubset(attribute);
  return s != nullptr ? s->count : 0;
}

int SGpMesh::DrawSubset(uint32_t attribute) {
  const Subset* s = FindSubset(attribute);
  if (s == nullptr || device_ == nullptr || vb_ == nullptr || ib_ == nullptr) return plat::kOk;
  device_->SetVertexShader(kFvf);
  device_->SetStreamSource(vb_, sizeof(SGpMeshVertex));
  device_->SetIndices(ib_, 0);
  return device_->DrawIndexedPrimitive(plat::kPtTriangleList, 0, numVertices_, s->start * 3, s->count);
}

void SGpMesh::ComputeNormals() {
  std::vector<float> sum(size_t(numVertices_) * 3, 0.0f);
  for (uint32_t f = 0; f < numFaces_; ++f) {
    const uint16_t* idx = &indices_[size_t(f) * 3];
    if (idx[0] >= numVertices_ || idx[1] >= numVertices_ || idx[2] >= numVertices_) continue;
    const SGpMeshVertex& a = vertices_[idx[0]];
    const SGpMeshVertex& b = vertices_[idx[1]];
    const SGpMeshVertex& c = vertices_[idx[2]];
    const float e1x = b.x - a.x, e1y = b.y - a.y, e1z = b.z - a.z;
    const float e2x = c.x - a.x, e2y = c.y - a.y, e2z = c.z - a.z;
    float nx = e1y * e2z - e1z * e2y;
    float ny = e1z * e2x - e1x * e2z;
    float nz = e1x * e2y - e1y * e2x;
    const float len = std::sqrt(nx * nx + ny * ny + nz * nz);
    if (!(len > 0.0f)) continue;
    nx /= len, ny /= len, nz /= len;
    for (int k = 0; k < 3; ++k) {
      float* s = &sum[size_t(idx[k]) * 3];
      s[0] += nx, s[1] += ny, s[2] += nz;
    }
  }
  for (uint32_t v = 0; v < numVertices_; ++v) {
    const float* s = &sum[size_t(v) * 3];
    const float len = std::sqrt(s[0] * s[0] + s[1] * s[1] + s[2] * s[2]);
    SGpMeshVertex& out = vertices_[v];
    if (len > 0.0f) {
      out.nx = s[0] / len, out.ny = s[1] / len, out.nz = s[2] / len;
    } else {
      out.nx = out.ny = out.nz = 0.0f;
    }
  }
  UnlockVertexBuffer();
}
