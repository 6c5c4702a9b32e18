#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "vrax/kernel/SHandle.h"
#include "vrax/kernel/SObject.h"

// The process tree. Every object that lives from frame to frame is an SProc:
// it owns an ordered vector of child lists and passes the events it receives
// on to its children itself. After every frame the tree advances its states
// (added -> running, killed -> dying, dying -> disposed).

class SProcList;

// One event argument: an integer or a pointer, as sender and receiver agree
// (wide enough to carry a pointer on a 64-bit host).
using SProcArg = intptr_t;

class SProc : public SObject {
 public:
  enum Event : int32_t {
    EVENT_DRAW = 0,
    EVENT_BEGIN = 1,
    EVENT_MAIN = 2,
    EVENT_END = 3,
    EVENT_INIT = 4,
    EVENT_KILL = 5,
    EVENT_DISPOSE = 6,
    EVENT_USER = 7,  // codes 7 and up go to User(code, arg)
  };
  enum State : int32_t {
    STATE_NONE = 0,
    STATE_ADDED = 1,
    STATE_RUNNING = 2,
    STATE_KILLED = 3,
    STATE_DYING = 4,
  };

  SProc();
  // Disposes every child, then unlinks this process from its parent's list.
  ~SProc() override;

  // "SProc::EVENT_DRAW" .. "SProc::EVENT_DISPOSE" for codes 0..6, else
  // "SProc::EVENT_USER".
  static const char* EventName(int32_t code);

  // --- events -------------------------------------------------------------
  // Dispatches one event to this process when it is running or the code is
  // EVENT_INIT or above; returns the handler's result (0 when filtered out).
  // The current-process globals are set for the call and restored after it.
  int32_t SendEvent(int32_t code, SProcArg arg);
  // Broadcast on every child list in index order.
  void BroadcastAll(int32_t code, SProcArg arg);

  // --- tree building -------------------------------------------------------
  // Links child at the back of list n and runs its EVENT_INIT at once.
  // Returns the child's init result, or -1 (nothing changed) when this
  // process is in state none, or list n does not exist (a process without
  // lists gets list 0 created on its first AddChild(0, ...)).
  int32_t AddChild(int32_t n, SProc* child, SProcArg arg);
  // For a child that is a member object of another object: marks it static
  // (never deleted by Dispose) and adds it to list 0.
  int32_t AddChildProcess(SProc* child, SProcArg arg);
  // Appends n empty child lists; 0, or -1 when they cannot be created.
  int32_t CreateLists(int32_t n);
  int32_t ListCount() const;
  // Child list n, or null when it does not exist.
  SProcList* GetList(int32_t n);

  // --- life cycle ----------------------------------------------------------
  // Marks this process killed and sends it EVENT_KILL(arg); nothing when it
  // is already killed or dying.
  void Kill(SProcArg arg);
  void KillChildrenAll(SProcArg arg);  // KillAll on every child list
  // Disposes the subtree, calls OnDispose (state not none), then deletes the
  // process (heap) or unlinks it and leaves it in state none (static).
  void Dispose();
  void DisposeChildren();
  // The state advance after a frame, children first. May dispose (and
  // delete) this process.
  void Advance();
  // Makes this process the root of the tree (static) and runs its EVENT_INIT.
  int32_t StartRoot(SProcArg arg);
  // One frame of the root: EVENT_DRAW, BEGIN, MAIN, END (each while the root
  // is running), then Advance. False when this process is not the root.
  bool Step();

  // --- moving --------------------------------------------------------------
  // Into list n of the parent, at the front or back. -1 without a parent or
  // when the list does not exist; 0 otherwise.
  int32_t MoveToList(int32_t n, bool front);
  int32_t MoveWithinList(bool front);
  // Into list n of a new parent. -1 without a current parent or when the new
  // parent has no list n.
  int32_t MoveTo(SProc* newParent, int32_t n, bool front);

  // --- search by name (post-order: children before their parent) ----------
  // Processes that are killed or dying are never found.
  SProc* FindByName(const std::string& name);
  SProc* FindInList(const std::string& name, int32_t n);
  SProc* FindFirst(const std::string& name);
  SProc* FindFirstInList(const std::string& name, int32_t n);
  SProc* FindNext(const std::string& name);

  int32_t CountChildren() const;
  int32_t CountDescendants() const;

  // --- fields --------------------------------------------------------------
  int32_t GetState() const { return state_; }
  int32_t GetInitResult() const { return initResult_; }
  int32_t GetFrameCount() const { return frameCounter_; }
  int32_t GetListIndex() const { return listIndex_; }
  SProc* GetParent() const { return parent_; }
  bool IsStatic() const { return static_ != 0; }
  void SetStatic(bool s) { static_ = s ? 1 : 0; }
  const std::string& GetName() const { return *name_; }
  void SetName(const std::string& name);
  // An EVENT_INIT handler stores its outcome here (negative = failure);
  // AddChild and StartRoot return it.
  void SetInitResult(int32_t r) { initResult_ = r; }

  // --- process-wide globals ------------------------------------------------
  static SProc* GetCurrentProcess() { return s_current; }
  static int32_t GetCurrentEvent() { return s_currentEvent; }

 public:
  // Handlers (public so that code may call a handler directly, setting the
  // current-process globals itself). The argument is the event's argument; the result is returned
  // by SendEvent.
  virtual int32_t Draw(SProcArg arg);
  virtual int32_t Begin(SProcArg arg);
  virtual int32_t Main(SProcArg arg);
  virtual int32_t End(SProcArg arg);
  // Default: calls Main(arg) and returns its result.
  virtual int32_t Init(SProcArg arg);
  // EVENT_KILL handler. Default: kills every process of every child list
  // with the same argument.
  virtual int32_t KillChildren(SProcArg arg);
  // EVENT_DISPOSE handler; called directly by Dispose.
  virtual int32_t OnDispose(SProcArg arg);
  // Every code from EVENT_USER up.
  virtual int32_t User(int32_t code, SProcArg arg);

 private:
  friend class SProcList;
  using Handler = int32_t (SProc::*)(SProcArg);
  static Handler HandlerOf(int32_t code);
  int32_t Dispatch(int32_t code, SProcArg arg);
  template <int32_t Code>
  int32_t RunFrameHandler(SProcArg arg);
  void Unlink();  // removes this process from its parent's list
  // The search by name, with the name given as its shared copy.
  static SProc* FindFrom(SProc* m, const std::string* name);
  SProc* FindNamed(const std::string* name);

  // The fields the per-frame walks read (state, frame counter, child lists)
  // lie within the first 64 bytes, with the list links and the virtual table
  // pointer. The name is a pointer to one shared copy per distinct name
  // (SetName keeps them): that keeps the object small, so a walk over
  // thousands of processes streams fewer cache lines, and a search compares
  // names by address.
  int32_t state_ = STATE_NONE;
  int32_t frameCounter_ = 0;
  int32_t listIndex_ = 0;
  std::vector<SProcList> lists_;
  int32_t initResult_ = 0;
  uint8_t static_ = 0;
  uint8_t findAll_ = 0;
  SProc* parent_ = nullptr;
  SProc* findCursor_ = nullptr;
  const std::string* name_;

  static SProc* s_root;
  static SProc* s_current;
  static int32_t s_currentEvent;
};

// The intrusive list of processes. Members run in insertion order.
class SProcList : public SObjList {
 public:
  SProcList() = default;
  SProcList(SProcList&&) noexcept = default;

  SProc* Head() const { return static_cast<SProc*>(HeadObj()); }
  SProc* Tail() const { return static_cast<SProc*>(TailObj()); }
  static SProc* Next(const SProc* p) { return static_cast<SProc*>(p->SObject::GetNext()); }

  // Dispatches the event to every member in order (same state filter as
  // SendEvent). Handlers may kill, move or dispose members.
  void Broadcast(int32_t code, SProcArg arg);
  // Kills every member whose state is below killed.
  void KillAll(SProcArg arg);
  void AdvanceAll();
  // Members plus all their descendants, any state.
  int32_t CountAll() const;
  // Removes proc from this list and clears its parent.
  void DetachProcess(SProc* proc);

 private:
  template <int32_t Code>
  void BroadcastFrame(SProcArg arg);
};

inline int32_t SProc::ListCount() const { return static_cast<int32_t>(lists_.size()); }

// --- the current-process globals, saved and restored around every dispatch ----
inline SProc* GetCurrentProcess() { return SProc::GetCurrentProcess(); }
inline int32_t GetCurrentEvent() { return SProc::GetCurrentEvent(); }

// A process named by a handle while it still takes part in frames: null once
// it is destroyed, and also once it is killed or dying (or a static process
// disposed back to state none), so a holder stops following it at its kill.
template <class T>
T* LiveProc(const SHandle<T>& h) {
  T* p = h.Get();
  if (p == nullptr) return nullptr;
  const int32_t st = static_cast<const SProc*>(p)->GetState();
  return (st == SProc::STATE_ADDED || st == SProc::STATE_RUNNING) ? p : nullptr;
}
