#include "vrax/graphic/SGpQueue.h"

#include <new>

int SGpQueue::Create(int bits) {
  if (bits < 0 || bits > 16) return -1;
  size_t count = size_t{1} << bits;
  try {
    std::vector<Bucket> fresh(count);
    buckets_.swap(fresh);
  } catch (const std::bad_alloc&) {
    return -1;
  }
  for (auto& b : blocks_) b.reset();
  blocks_[0].reset(new (std::nothrow) Node[kFirstBlockNodes]);
  if (!blocks_[0]) return -1;
  bits_ = bits;
  mask_ = static_cast<uint32_t>(count - 1);
  block_ = 0;
  used_ = 0;
  capacity_ = kFirstBlockNodes;
  Rethread();
  return 0;
}

void SGpQueue::Rethread() {
  size_t n = buckets_.size();
  for (size_t k = 0; k < n; ++k) {
    Bucket& b = buckets_[k];
    b.sentinel.packet = nullptr;
    b.sentinel.next = k == 0 ? nullptr : &buckets_[k - 1].sentinel;
    b.tail = &b.sentinel;
  }
  head_ = n ? &buckets_[n - 1].sentinel : nullptr;
  ++generation_;
}

void SGpQueue::Reset() {
  if (buckets_.empty() && Create(0) < 0) return;
  Rethread();
  block_ = 0;
  used_ = 0;
  capacity_ = kFirstBlockNodes;
}

SGpQueue::Node* SGpQueue::TakeNode() {
  if (used_ >= capacity_) {
    int next = block_ + 1;
    if (next >= kMaxBlocks) return nullptr;
    int cap = capacity_ * 2;
    if (!blocks_[next]) {
      blocks_[next].reset(new (std::nothrow) Node[static_cast<size_t>(cap)]);
      if (!blocks_[next]) return nullptr;
    }
    capacity_ = cap;
    block_ = next;
    used_ = 0;
  }
  if (!blocks_[block_]) return nullptr;
  return &blocks_[block_][used_++];
}

void SGpQueue::Append(int key, SGpObj* obj) {
  if (buckets_.empty()) return;
  Node* node = TakeNode();
  if (!node) return;
  Bucket& b = buckets_[static_cast<uint32_t>(key) & mask_];
  node->next = b.tail->next;
  node->packet = obj;
  b.tail->next = node;
  b.tail = node;
}

void SGpQueue::Prepend(int key, SGpObj* obj) {
  if (buckets_.empty()) return;
  Node* node = TakeNode();
  if (!node) return;
  Bucket& b = buckets_[static_cast<uint32_t>(key) & mask_];
  if (b.tail == &b.sentinel) b.tail = node;
  node->next = b.sentinel.next;
  node->packet = obj;
  b.sentinel.next = node;
}

void SGpQueue::Splice(int key, SGpQueue* sub) {
  if (!sub || sub == this || buckets_.empty() || sub->buckets_.empty()) return;
  if (sub->spliceHost_ == this && sub->spliceGeneration_ == generation_) return;
  sub->spliceHost_ = this;
  sub->spliceGeneration_ = generation_;
  Bucket& b = buckets_[static_cast<uint32_t>(key) & mask_];
  Node* subLast = sub->buckets_[0].tail;
  subLast->next = b.tail->next;
  b.tail->next = sub->head_;
}

void SGpQueue::Execute() {
  if (!head_) return;
  for (Node* n = head_->next; n; n = n->next) {
    if (n->packet) n->packet->Execute();
  }
}

std::vector<std::pair<int, SGpObj*>> SGpQueue::Entries() const {
  std::vector<std::pair<int, SGpObj*>> out;
  int key = 0;
  for (const Node* n = head_; n; n = n->next) {
    if (n->packet) {
      out.emplace_back(key, n->packet);
      continue;
    }
    for (size_t k = 0; k < buckets_.size(); ++k)
      if (n == &buckets_[k].sentinel) key = static_cast<int>(k);
  }
  return out;
}

int SGpQueue::BlockCount() const {
  int n = 0;
  for (const auto& b : blocks_) n += b ? 1 : 0;
  return n;
}
