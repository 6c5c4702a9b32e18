#include "vrax/graphic/SGpObj_Mesh.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "vrax/graphic/SGpMan.h"

namespace {

void SetMeshStates(plat::GfxDevice* d) {
  d->SetVertexShader(SGpMesh::kFvf);
  d->SetRenderState(plat::kRsLighting, 1);
  d->SetTextureStageState(0, plat::kTssColourOp, plat::kTopModulate);
  d->SetTextureStageState(0, plat::kTssAlphaOp,
                          SGpMan::GetBlendMode() == 0 ? plat::kTopDisable : plat::kTopModulate);
}

// Binds the material's texture of the current image; false where that image
// has no such texture (its picture failed or was never read, or a picture
// that is not there was entered before the model): the material's faces are
// then not drawn, rather than drawn with another picture's texture. A model
// drawn before any texture was asked for since the render state was reset
// (no image current, nothing missing) draws with what stage 0 holds.
bool BindMaterialTexture(ModelMaterial& m) {
  m.texture.Bind(nullptr, static_cast<uint32_t>(m.textureIndex));
  m.texture.Execute();
  return !SGpMan::TextureMissing();
}

}  // namespace

uint32_t ModelColourByte(float c) { return plat::ColourChannel(c); }

uint32_t ModelPackColour(const float rgba[4]) { return plat::PackColour(rgba[0], rgba[1], rgba[2], rgba[3]); }

SVec3 ModelMatrixAngles(const SMatrix& m) {
  constexpr float kHalfPi = 1.5707964f;
  float s = m.m[2][0];
  if (s > 1.0f) s = 1.0f;  // rounding may push a pure rotation just past 1
  if (s < -1.0f) s = -1.0f;
  SVec3 a;
  a.y = std::asin(s);
  if (a.y > -kHalfPi && a.y < kHalfPi) {
    a.x = std::atan2(-m.m[2][1], m.m[2][2]);
    a.z = std::atan2(-m.m[1][0], m.m[0][0]);
  } else if (a.y >= kHalfPi) {
    a.z = 0.0f;
    a.x = std::atan2(m.m[0][1], m.m[1][1]);
  } else {
    a.z = 0.0f;
    a.x = -std::atan2(m.m[0][1], m.m[1][1]);
  }
  return a;
}

void ModelKeySegments::Build(const ModelUvKey* keys, int32_t count) {
  frames_.clear();
  segment_.clear();
  steps_ = 0;
  if (keys == nullptr || count < 2) return;
  for (int32_t i = 0; i < count; ++i) frames_.push_back(static_cast<float>(keys[i].frame));
  std::sort(frames_.begin(), frames_.end());
  frames_.erase(std::unique(frames_.begin(), frames_.end()), frames_.end());
  segment_.assign(frames_.size() - 1, -1);
  // Segments in list order each take the spans no earlier one took;
  // free[j] leads to the first span from j on still without a segment, so
  // every span is given once.
  std::vector<uint32_t> free(frames_.size());
  for (uint32_t j = 0; j < free.size(); ++j) free[j] = j;
  auto firstFree = [&free](uint32_t j) {
    while (free[j] != j) {
      free[j] = free[free[j]];
      j = free[j];
    }
    return j;
  };
  auto at = [this](float f) { return uint32_t(std::lower_bound(frames_.begin(), frames_.end(), f) - frames_.begin()); };
  for (int32_t i = 0; i + 1 < count; ++i) {
    const float f0 = static_cast<float>(keys[i].frame);
    const float f1 = static_cast<float>(keys[i + 1].frame);
    if (!(f0 < f1)) continue;
    const uint32_t end = at(f1);
    for (uint32_t j = firstFree(at(f0)); j < end; j = firstFree(j + 1)) {
      segment_[j] = i;
      free[j] = j + 1;
    }
  }
}

int32_t ModelKeySegments::Find(float t) const {
  // The first frame above t; the span before it holds t.
  size_t lo = 0, hi = frames_.size();
  while (lo < hi) {
    ++steps_;
    const size_t mid = lo + (hi - lo) / 2;
    if (t < frames_[mid]) {
      hi = mid;
    } else {
      lo = mid + 1;
    }
  }
  return lo == 0 || lo >= frames_.size() ? -1 : segment_[lo - 1];
}

float ModelKeyValue(const ModelUvKey* keys, int32_t count, const ModelKeySegments& segments, float* clock) {
  if (keys == nullptr || count <= 0) return 0.0f;
  if (*clock > static_cast<float>(keys[count - 1].frame)) *clock = static_cast<float>(keys[0].frame);
  const float t = *clock;
  const int32_t i = segments.Find(t);
  if (i < 0 || i + 1 >= count) return 0.0f;  // no segment holds the clock (also keys that span no time)
  const float f0 = static_cast<float>(keys[i].frame);
  const float f1 = static_cast<float>(keys[i + 1].frame);
  return keys[i].value + (t - f0) / (f1 - f0) * (keys[i + 1].value - keys[i].value);
}

SMatrix ModelTextureMatrix(ModelMaterial& mat, SGpObj_Mesh& p, SGpMeshModel* model) {
  SMatrix rot;
  SMatrix::RotationZ(&rot, -mat.angle);
  SMatrix m;
  if (!mat.useMatrix) {
    SMatrix::Identity(&m);
    m.m[0][0] = mat.scaleU;
    m.m[1][1] = mat.scaleV;
    SMatrix::Multiply(&m, &m, &rot);
    return m;
  }
  m = mat.matrix;
  if (mat.update) {
    const bool animating = model != nullptr && model->animationOn;
    if (!animating) {
      m.m[2][0] += mat.scrollU;
      m.m[2][1] += mat.scrollV;
      mat.update = 0;
    } else {
      const float u = p.uKeysOn ? ModelKeyValue(p.uKeys.data(), std::min<int32_t>(p.uKeyCount, int32_t(p.uKeys.size())), p.uSegments, &p.uvClock) : 0.0f;
      const float v = p.vKeysOn ? ModelKeyValue(p.vKeys.data(), std::min<int32_t>(p.vKeyCount, int32_t(p.vKeys.size())), p.vSegments, &p.uvClock) : 0.0f;
      SMatrix::Identity(&m);
      m.m[2][0] = u * mat.scaleU;
      m.m[2][1] = (1.0f - std::fabs(v)) * mat.scaleV;
      p.uvClock += SGpObj_Mesh::kUvClockStep;
      if (model->frameCounter == model->endFrame) mat.update = 0;
    }
  }
  m.m[0][0] = mat.scaleU;
  m.m[1][1] = mat.scaleV;
  SMatrix::Multiply(&m, &m, &rot);
  mat.matrix = m;
  return m;
}

void SkinPositions(const SGpMeshVertex* src, SGpMeshVertex* dst, uint32_t n, const int32_t* boneOf,
                   const SMatrix* bones, int32_t boneCount) {
  for (uint32_t k = 0; k < n; ++k) {
    const int32_t b = boneOf[k];
    if (b < 0 || b >= boneCount) continue;
    const SVec3 in{src[k].x, src[k].y, src[k].z};
    SVec3 out;
    SVec3TransformCoord(&out, &in, &bones[b]);
    dst[k].x = out.x, dst[k].y = out.y, dst[k].z = out.z;
  }
}

void SGpObj_Mesh::Execute() {
  if (SGpMan::IsPresentSkipped()) return;
  if (model != nullptr && model->skinned) {
    ExecuteSkinned();
    return;
  }
  if (subsetCount <= 0 || !mesh) return;
  plat::GfxDevice* d = SGpMan::GetDevice();
  if (d == nullptr) return;
  SetMeshStates(d);
  if (model != nullptr && model->animationOn) ++model->frameCounter;
  if (materials != nullptr) {
    for (size_t i = 0; i < materials->materials.size(); ++i) {
      ModelMaterial& mat = materials->materials[i];
      d->SetTextureStageState(0, plat::kTssTextureTransformFlags, plat::kTtffCount2);
      plat::Matrix saved;
      d->GetTransform(plat::kTsTexture0, &saved);
      const SMatrix m = ModelTextureMatrix(mat, *this, model);
      plat::Matrix pm;
      static_assert(sizeof pm.m == sizeof m.m, "4x4 floats");
      std::memcpy(pm.m, m.m, sizeof pm.m);
      d->SetTransform(plat::kTsTexture0, pm);
      if (BindMaterialTexture(mat)) mesh->DrawSubset(static_cast<uint32_t>(i));
      d->SetTransform(plat::kTsTexture0, saved);
      d->SetTextureStageState(0, plat::kTssTextureTransformFlags, plat::kTtffDisable);
    }
  }
  if (model != nullptr && model->animationOn && model->frameCounter == model->endFrame) model->frameCounter = 0;
}

void SGpObj_Mesh::ExecuteSkinned() {
  SGpMeshModel& m = *model;
  ++m.partsDrawn;
  const int32_t parts = std::min<int32_t>(m.partCount, int32_t(std::min(m.bones.size(), m.offsets.size())));
  if (partIndex >= 0 && partIndex < parts) m.bones[size_t(partIndex)] = SGpMan::GetWorld();
  if (m.partsDrawn < m.partCount) return;
  // Kept apart from the recorded matrices, so a part that did not record in
  // this round does not compound its offset.
  m.skin.resize(size_t(parts));
  for (int32_t j = 0; j < parts; ++j) SMatrix::Multiply(&m.skin[size_t(j)], &m.offsets[size_t(j)], &m.bones[size_t(j)]);
  SGpMesh* mesh = m.skinnedMesh;
  if (mesh != nullptr) {
    const uint32_t n = std::min<uint32_t>(mesh->GetNumVertices(),
                                          uint32_t(std::min(m.source.size(), m.skinBones.size())));
    SkinPositions(m.source.data(), mesh->LockVertexBuffer(), n, m.skinBones.data(), m.skin.data(), parts);
    mesh->UnlockVertexBuffer();
  }
  plat::GfxDevice* d = SGpMan::GetDevice();
  if (m.skinnedSubsetCount > 0 && mesh != nullptr && d != nullptr) {
    SetMeshStates(d);
    SGpMan::SetWorld(kIdentityMatrix);
    if (m.skinnedMaterials != nullptr) {
      for (size_t i = 0; i < m.skinnedMaterials->materials.size(); ++i) {
        if (BindMaterialTexture(m.skinnedMaterials->materials[i])) mesh->DrawSubset(static_cast<uint32_t>(i));
      }
    }
  }
  m.partsDrawn = 0;
}
