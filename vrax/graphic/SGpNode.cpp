#include "vrax/graphic/SGpNode.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "vrax/graphic/SGpMan.h"

#ifdef OSTREL_CHECKED
#include <sanitizer/common_interface_defs.h>
#endif

namespace {

// The matrix stack of tree drawing: one entry per level of depth plus one
// for Execute, each with the node drawn at that level (none for Execute's),
// so the walk climbs back without recursion. It keeps its storage between
// frames.
struct Level {
  SMatrix saved;
  SGpNode* node;
};
std::vector<Level> g_stack;

// The levels of the device-free walk: each ancestor of the node being
// placed, with the matrix its own level is placed under.
struct KeptLevel {
  SMatrix parent;
  SGpNode* node;
};
std::vector<KeptLevel> g_keptLevels;

// Start matrix and flag of the device-free walk.
SMatrix g_keptStart = SMatrix::Preset(1);
bool g_keptAll = false;

template <class T>
T* Rebase(T* link, const SGpNode* from, const SGpNode* to) {
  if (link == nullptr) return nullptr;
  const uintptr_t l = reinterpret_cast<uintptr_t>(link);
  return reinterpret_cast<T*>(l - reinterpret_cast<uintptr_t>(from) + reinterpret_cast<uintptr_t>(to));
}

}  // namespace

SGpNode::SGpNode() {
  SMatrix::Identity(&local_);
  SMatrix::Identity(&world_);
  SMatrix::Identity(&worldView_);
}

SGpNode::SGpNode(const SGpNode& other) : SGpObj() { *this = other; }

SGpNode& SGpNode::operator=(const SGpNode& other) {
  if (this == &other) return *this;
  local_ = other.local_;
  world_ = other.world_;
  worldView_ = other.worldView_;
  std::copy(other.rotation_, other.rotation_ + 4, rotation_);
  std::copy(other.position_, other.position_ + 4, position_);
  std::copy(other.scale_, other.scale_ + 4, scale_);
  std::copy(other.extra_, other.extra_ + 4, extra_);
  keepWorld_ = other.keepWorld_;
  keepWorldView_ = other.keepWorldView_;
  inheritWorld_ = other.inheritWorld_;
  worldWritten_ = other.worldWritten_;
  parent_ = other.parent_;
  firstChild_ = other.firstChild_;
  lastChild_ = other.lastChild_;
  prev_ = other.prev_;
  next_ = other.next_;
  packets_ = other.packets_;
  return *this;
}

// Nodes often live in arrays that die as a whole: the destructor touches no
// neighbour.
SGpNode::~SGpNode() = default;

// ------------------------------------------------------------------ links

void SGpNode::SetParent(SGpNode* parent) {
  if (parent == parent_) return;
  if (parent != nullptr) {
    // A cycle needs this node above the new parent: the parent itself, or
    // (when this node has children) one of its ancestors. A childless node,
    // as every node of a tree being built top-down, is never walked for, so
    // a deep tree builds in time with its node count.
    if (parent == this) return;
    if (firstChild_ != nullptr)
      for (SGpNode* a = parent->parent_; a != nullptr; a = a->parent_)
        if (a == this) return;  // would make a cycle
    if (parent_ != nullptr) SetParent(nullptr);
    parent_ = parent;
    prev_ = parent->lastChild_;
    next_ = nullptr;
    if (parent->lastChild_ != nullptr) {
      parent->lastChild_->next_ = this;
    } else {
      parent->firstChild_ = this;
    }
    parent->lastChild_ = this;
    return;
  }
  SGpNode* p = parent_;
  if (prev_ != nullptr) {
    prev_->next_ = next_;
  } else if (p->firstChild_ == this) {
    p->firstChild_ = next_;
  }
  if (next_ != nullptr) {
    next_->prev_ = prev_;
  } else if (p->lastChild_ == this) {
    p->lastChild_ = prev_;
  }
  parent_ = prev_ = next_ = nullptr;
}

SGpNode* SGpNode::GetRoot() {
  SGpNode* n = this;
  while (n->parent_ != nullptr) n = n->parent_;
  while (n->prev_ != nullptr) n = n->prev_;
  return n;
}

SGpNode* SGpNode::GetLastInTree() {
  SGpNode* n = GetRoot();
  for (;;) {
    if (n->next_ != nullptr) {
      n = n->next_;
    } else if (n->lastChild_ != nullptr) {
      n = n->lastChild_;
    } else {
      return n;
    }
  }
}

SGpNode* SGpNode::GetDeepestLastChild() {
  SGpNode* n = this;
  while (n->lastChild_ != nullptr) n = n->lastChild_;
  return n;
}

// ------------------------------------------------------------------ packets

void SGpNode::AddPacket(SGpObj* packet) {
  if (packets_.size() == packets_.capacity()) packets_.reserve(std::max<size_t>(1, packets_.size() * 2));
  packets_.push_back(packet);
}

void SGpNode::AddPacketFront(SGpObj* packet) {
  if (packets_.size() == packets_.capacity()) packets_.reserve(std::max<size_t>(1, packets_.size() * 2));
  packets_.insert(packets_.begin(), packet);
}

void SGpNode::RemovePacket(SGpObj* packet) {
  auto it = std::find(packets_.begin(), packets_.end(), packet);
  if (it != packets_.end()) packets_.erase(it);
}

void SGpNode::ClearPackets() { std::vector<SGpObj*>().swap(packets_); }

SGpObj* SGpNode::GetPacket(int i) const {
  if (i < 0 || i >= static_cast<int>(packets_.size())) return nullptr;
  return packets_[static_cast<size_t>(i)];
}

// ------------------------------------------------------------------ transforms

SMatrix* SGpNode::GetWorld() {
#ifdef OSTREL_CHECKED
  if (keepWorld_ == 0 && worldWritten_ == 0) {
    std::fprintf(stderr,
                 "SGpNode %p (parent %p, %d packets): its world matrix is asked for, but the node does not keep "
                 "its world and no walk has written it\n",
                 static_cast<void*>(this), static_cast<void*>(parent_), GetPacketCount());
    __sanitizer_print_stack_trace();
    std::abort();
  }
#endif
  return &world_;
}

bool SGpNode::ChecksWorldReads() {
#ifdef OSTREL_CHECKED
  return true;
#else
  return false;
#endif
}

void SGpNode::BuildLocal() {
  // Row vectors: a point meets the scale first, then x, y and z rotations.
  SMatrix::Identity(&local_);
  RotateZ(&local_, &local_, rotation_[2]);
  RotateY(&local_, &local_, rotation_[1]);
  RotateX(&local_, &local_, rotation_[0]);
  SGpNode::ApplyScalePosition();
}

void SGpNode::BuildLocalZXY() {
  SMatrix::Identity(&local_);
  RotateY(&local_, &local_, rotation_[1]);
  RotateX(&local_, &local_, rotation_[0]);
  RotateZ(&local_, &local_, rotation_[2]);
  SGpNode::ApplyScalePosition();
}

void SGpNode::ApplyScalePosition() {
  SMatrix::Scale(&local_, &local_, scale_[0], scale_[1], scale_[2]);
  local_.m[3][0] = position_[0];
  local_.m[3][1] = position_[1];
  local_.m[3][2] = position_[2];
}

void SGpNode::CopyFrom(const SGpNode& other) {
  local_ = other.local_;
  for (SGpObj* p : other.packets_) AddPacket(p);
  parent_ = Rebase(other.parent_, &other, this);
  firstChild_ = Rebase(other.firstChild_, &other, this);
  lastChild_ = Rebase(other.lastChild_, &other, this);
  prev_ = Rebase(other.prev_, &other, this);
  next_ = Rebase(other.next_, &other, this);
}

// ------------------------------------------------------------------ drawing

void SGpNode::Execute() {
  if (GetRoot() != this) return;
  if (inheritWorld_) {
    DrawTree();
    return;
  }
  g_stack.push_back({SGpMan::GetWorldView(), nullptr});
  SGpMan::SetWorldView(SGpMan::GetView());  // world = identity
  DrawTree();
  const SMatrix saved = g_stack.back().saved;
  g_stack.pop_back();
  SGpMan::SetWorldView(saved);
}

// Depth first, as a recursion over first children would walk, but on the
// matrix stack instead of the call stack, so a tree of any depth draws: a
// node's packets run under its transform, then its children's subtrees,
// then its next sibling follows. A packet may draw another tree meanwhile;
// it leaves the stack as it found it.
void SGpNode::DrawTree() {
  const size_t base = g_stack.size();
  SGpNode* n = this;
  for (;;) {
    g_stack.push_back({SGpMan::GetWorldView(), n});
    SGpMan::MultiplyWorld(n->local_);
    if (n->keepWorldView_) n->worldView_ = SGpMan::GetWorldView();
    if (n->keepWorld_) {
      SMatrix::Multiply(&n->world_, &SGpMan::GetWorldView(), &SGpMan::GetViewInverse());
      n->worldWritten_ = 1;
    }
    for (size_t i = 0; i < n->packets_.size(); ++i)
      if (n->packets_[i] != nullptr) n->packets_[i]->Execute();
    if (n->firstChild_ != nullptr) {
      n = n->firstChild_;
      continue;
    }
    // Leave the finished node and every level it ends, restoring the
    // transform each was drawn under, up to a level with a next sibling.
    for (;;) {
      const Level done = g_stack.back();
      g_stack.pop_back();
      SGpMan::SetWorldView(done.saved);
      if (done.node->next_ != nullptr) {
        n = done.node->next_;
        break;
      }
      if (g_stack.size() == base) return;
    }
  }
}

void SGpNode::UpdateKept(const SMatrix* start, uint8_t all) {
  if (GetRoot() != this) return;
  if (start != nullptr) {
    g_keptStart = *start;
  } else {
    SMatrix::Identity(&g_keptStart);
  }
  g_keptAll = all != 0;
  ComputeKept();
}

void SGpNode::ComputeKept() {
  if (GetRoot() != this) return;
  KeptWalk(this, g_keptStart, g_keptAll);
}

// The walk of DrawTree without the device and without recursion.
void SGpNode::KeptWalk(SGpNode* node, const SMatrix& start, bool all) {
  g_keptLevels.clear();
  SGpNode* n = node;
  SMatrix parent = start;
  for (;;) {
    SMatrix running;
    SMatrix::Multiply(&running, &n->local_, &parent);
    if (all || n->keepWorld_) {
      n->world_ = running;
      n->worldWritten_ = 1;
    }
    if (n->firstChild_ != nullptr) {
      g_keptLevels.push_back({parent, n});
      parent = running;
      n = n->firstChild_;
      continue;
    }
    while (n->next_ == nullptr) {
      if (g_keptLevels.empty()) return;
      n = g_keptLevels.back().node;
      parent = g_keptLevels.back().parent;
      g_keptLevels.pop_back();
    }
    n = n->next_;
  }
}
