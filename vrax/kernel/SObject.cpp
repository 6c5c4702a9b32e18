#include "vrax/kernel/SObject.h"

#include "vrax/kernel/SHandle.h"

SObject::~SObject() {
  if (handleSlot_ != SHandleTable::kNoSlot) SHandleTable::Drop(handleSlot_);
  Detach();
}

void SObject::Detach() {
  if (owner_ != nullptr) owner_->Remove(this);
}

SObjList::SObjList(SObjList&& other) noexcept
    : head_(other.head_), tail_(other.tail_), count_(other.count_) {
  other.head_ = other.tail_ = nullptr;
  other.count_ = 0;
  for (SObject* m = head_; m != nullptr; m = m->next_) m->owner_ = this;
}

SObjList::~SObjList() { RemoveAll(); }

SObject* SObjList::PushBack(SObject* node) {
  if (node->owner_ != nullptr) node->owner_->Remove(node);
  node->prev_ = tail_;
  node->next_ = nullptr;
  if (tail_ != nullptr) {
    tail_->next_ = node;
  } else {
    head_ = node;
  }
  tail_ = node;
  node->owner_ = this;
  ++count_;
  return node;
}

SObject* SObjList::PushFront(SObject* node) {
  if (node->owner_ != nullptr) node->owner_->Remove(node);
  node->prev_ = nullptr;
  node->next_ = head_;
  if (head_ != nullptr) {
    head_->prev_ = node;
  } else {
    tail_ = node;
  }
  head_ = node;
  node->owner_ = this;
  ++count_;
  return node;
}

SObject* SObjList::Remove(SObject* node) {
  if (node == nullptr || node->owner_ != this) return node;
  for (WalkCursor* c = cursors_; c != nullptr; c = c->outer) {
    if (c->next == node) c->next = node->next_;
    if (c->current == node) c->current = nullptr;
  }
  if (node->prev_ != nullptr) {
    node->prev_->next_ = node->next_;
  } else {
    head_ = node->next_;
  }
  if (node->next_ != nullptr) {
    node->next_->prev_ = node->prev_;
  } else {
    tail_ = node->prev_;
  }
  node->prev_ = node->next_ = nullptr;
  node->owner_ = nullptr;
  --count_;
  return node;
}

void SObjList::RemoveAll() {
  while (head_ != nullptr) Remove(head_);
}
