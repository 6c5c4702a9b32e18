#include "game/enemy/ModelInstance.h"

void ModelInstance::Execute() {
  if (root_ != nullptr) root_->GetRoot()->Execute();
}

int32_t ModelInstance::Bind(SRsc_Model* model) {
  root_ = nullptr;
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
