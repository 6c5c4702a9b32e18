#pragma once
#include <cstdint>

// Root of the engine's class tree: a node of an intrusive doubly linked list.
// Processes (SProc) and file requests (SFile) are SObjects, so linking them
// into a list never allocates.

class SObjList;

class SObject {
 public:
  SObject() = default;
  SObject(const SObject&) = delete;
  SObject& operator=(const SObject&) = delete;
  virtual ~SObject();

  virtual SObjList* GetOwner() const { return owner_; }
  virtual SObject* GetPrev() const { return prev_; }
  virtual SObject* GetNext() const { return next_; }
  // Unlinks this node from the list that holds it (nothing when unlinked).
  virtual void Detach();

 private:
  friend class SObjList;
  friend class SHandleTable;
  SObjList* owner_ = nullptr;
  SObject* prev_ = nullptr;
  SObject* next_ = nullptr;
  // Slot in the handle table once a handle names this object (see SHandle.h).
  uint32_t handleSlot_ = 0xFFFFFFFFu;
};

// The intrusive list that SObjects live in (head, tail, count).
//
// Walks that run code per member (broadcasts, kills, state advances) go
// through SafeWalk: it registers a cursor with the list, and Remove() moves
// any cursor that points at the node being removed on to that node's
// successor. So a handler may kill, move or dispose not only the member it
// runs in but any other member, and the walk never follows a stale or foreign
// link. Cursors live on the stack: no allocation per walk.
class SObjList {
 public:
  SObjList() = default;
  SObjList(const SObjList&) = delete;
  SObjList& operator=(const SObjList&) = delete;
  // Moving a list (the child-list vector of a process growing) re-points the
  // members' owner at the new list object.
  SObjList(SObjList&& other) noexcept;
  SObjList& operator=(SObjList&&) = delete;
  // A list that dies with members unlinks them (their owner would dangle).
  ~SObjList();

  SObject* HeadObj() const { return head_; }
  SObject* TailObj() const { return tail_; }
  int32_t Count() const { return count_; }
  bool Empty() const { return head_ == nullptr; }
  // True while a SafeWalk runs over this list (it must not be moved then).
  bool Walking() const { return cursors_ != nullptr; }

  SObject* PushBack(SObject* node);
  SObject* PushFront(SObject* node);
  SObject* Remove(SObject* node);
  void RemoveAll();

  // Calls fn(member) for every member in order; the member's successor is
  // taken before the call (see above).
  template <class Fn>
  void SafeWalk(Fn&& fn) {
    Walk<false>(fn);
  }

  // As SafeWalk, except that a member still in the list after its call
  // gives its successor as it stands then, so a member appended behind it
  // during the call is reached even when it was the last. A member that left
  // the list during its call (destroyed, moved, or taken out and put back)
  // continues the walk where SafeWalk would.
  template <class Fn>
  void SafeWalkNextAfter(Fn&& fn) {
    Walk<true>(fn);
  }

 private:
  struct WalkCursor {
    SObject* next = nullptr;
    // The member being called (SafeWalkNextAfter); cleared when it leaves.
    SObject* current = nullptr;
    WalkCursor* outer = nullptr;
  };
  // No software prefetch of the successor: it is read at the top of the
  // next round anyway, and the hardware streams members allocated one after
  // the other better than a prefetch issued a few instructions early.
  template <bool kNextAfter, class Fn>
  void Walk(Fn& fn) {
    WalkCursor cur;
    cur.outer = cursors_;
    cursors_ = &cur;
    for (SObject* m = head_; m != nullptr; m = cur.next) {
      cur.next = m->next_;
      if constexpr (kNextAfter) cur.current = m;
      fn(m);
      if constexpr (kNextAfter)
        if (cur.current != nullptr) cur.next = m->next_;
    }
    cursors_ = cur.outer;
  }

  SObject* head_ = nullptr;
  SObject* tail_ = nullptr;
  int32_t count_ = 0;
  WalkCursor* cursors_ = nullptr;
};
