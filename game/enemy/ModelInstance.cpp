#include "game/enemy/ModelInstance.h"

#include <algorithm>

void ModelInstance::Execute() {
  if (root_ != nullptr) root_->GetRoot()->Execute();
}

int32_t ModelInstance::Bind(SRsc_Model* model) {
  root_ = nullptr;
  model_ = model;
  if (model == nullptr) {
    nodes_.clear();
    return -1;
  }
  const int32_t n = model->NodeCount();
  // Copying element by element keeps the tree's links inside the new array.
  nodes_.assign(size_t(n), SGpNode());
  for (int32_t i = 0; i < n; ++i) {
    nodes_[size_t(i)].CopyFrom(*model->GetNode(i));
    nodes_[size_t(i)].SetInheritWorld(0);
  }
  if (!nodes_.empty()) root_ = nodes_[0].GetRoot();
  return 0;
}

SGpNode* ModelInstance::GetNode(int32_t n) {
  return n >= 0 && size_t(n) < nodes_.size() ? &nodes_[size_t(n)] : nullptr;
}

void ModelInstance::ApplyMotion(const SGpMotionCursor& c) {
  if (nodes_.empty()) return;
  ModelApplyMotion(nodes_.data(), NodeCount(), root_, c, false);
}

int32_t ModelInstance::BindUnder(SRsc_Model* model, SGpNode* placement, const float* at) {
  if (Bind(model) < 0 || root_ == nullptr) {
    model_ = nullptr;
    return -1;
  }
  SMatrix* m = placement->GetLocal();
  SMatrix::Identity(m);
  root_->SetParent(placement);
  m->m[3][0] = at[0];
  m->m[3][1] = at[1];
  m->m[3][2] = at[2];
  return 0;
}

float ModelInstance::Length() const { return model_ != nullptr ? model_->GetLastFrame() : 0.0f; }

float ModelInstance::PoseAt(float time) {
  const float t = std::clamp(time, 0.0f, std::max(Length(), 0.0f));
  if (model_ == nullptr) return t;
  SGpMotionCursor c;
  c.model = model_;
  c.time = t;
  ApplyMotion(c);
  return t;
}
