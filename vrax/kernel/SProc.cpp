#include "vrax/kernel/SProc.h"

#include <new>
#include <stdexcept>
#include <unordered_set>

SProc* SProc::s_root = nullptr;
SProc* SProc::s_current = nullptr;
int32_t SProc::s_currentEvent = 0;

namespace {
const char* const kEventNames[] = {
    "SProc::EVENT_DRAW", "SProc::EVENT_BEGIN", "SProc::EVENT_MAIN",    "SProc::EVENT_END",
    "SProc::EVENT_INIT", "SProc::EVENT_KILL",  "SProc::EVENT_DISPOSE",
};

// Every distinct process name, held once for the rest of the run. Names are
// identifiers given by the code and the data (managers, scenes, enemy types,
// resource paths), so the set grows only with the names the data holds.
// Never destroyed: global processes may read their names while the program
// ends.
std::unordered_set<std::string>& NameSet() {
  static auto* names = new std::unordered_set<std::string>();
  return *names;
}

const std::string* SharedName(const std::string& name) { return &*NameSet().insert(name).first; }

// The shared copy of name, or null when no process was ever given that name
// (then no process can match it).
const std::string* KnownName(const std::string& name) {
  const auto& names = NameSet();
  auto it = names.find(name);
  return it != names.end() ? &*it : nullptr;
}

const std::string* NoName() {
  static const std::string* const empty = SharedName(std::string());
  return empty;
}
}  // namespace

SProc::SProc() : name_(NoName()) {}

void SProc::SetName(const std::string& name) { name_ = SharedName(name); }

SProc::~SProc() {
  DisposeChildren();
  lists_.clear();
  lists_.shrink_to_fit();
  Unlink();
  if (findCursor_ != nullptr) findCursor_ = nullptr;
  if (s_root == this) s_root = nullptr;
  if (s_current == this) s_current = nullptr;
}

const char* SProc::EventName(int32_t code) {
  if (code >= 0 && code < EVENT_USER) return kEventNames[code];
  return "SProc::EVENT_USER";
}

// ---------------------------------------------------------------------------
// Handlers (defaults)

int32_t SProc::Draw(SProcArg) { return 0; }
int32_t SProc::Begin(SProcArg) { return 0; }
int32_t SProc::Main(SProcArg) { return 0; }
int32_t SProc::End(SProcArg) { return 0; }
int32_t SProc::Init(SProcArg arg) { return Main(arg); }
int32_t SProc::KillChildren(SProcArg arg) {
  KillChildrenAll(arg);
  return 0;
}
int32_t SProc::OnDispose(SProcArg) { return 0; }
int32_t SProc::User(int32_t, SProcArg) { return 0; }

// ---------------------------------------------------------------------------
// Dispatch

// The event table: one handler per code below EVENT_USER; codes from
// EVENT_USER up go to User(code, arg) (null entry).
SProc::Handler SProc::HandlerOf(int32_t code) {
  static const Handler kTable[EVENT_USER] = {
      &SProc::Draw, &SProc::Begin, &SProc::Main, &SProc::End,
      &SProc::Init, &SProc::KillChildren, &SProc::OnDispose,
  };
  return code >= 0 && code < EVENT_USER ? kTable[code] : nullptr;
}

int32_t SProc::Dispatch(int32_t code, SProcArg arg) {
  if (code < EVENT_INIT && state_ != STATE_RUNNING) return 0;
  const Handler h = HandlerOf(code);
  SProc* savedProc = s_current;
  int32_t savedCode = s_currentEvent;
  s_current = this;
  s_currentEvent = code;
  int32_t r = h != nullptr ? (this->*h)(arg) : User(code, arg);
  s_current = savedProc;
  s_currentEvent = savedCode;
  return r;
}

int32_t SProc::SendEvent(int32_t code, SProcArg arg) { return Dispatch(code, arg); }

void SProc::BroadcastAll(int32_t code, SProcArg arg) {
  // Index loop: a handler may append lists to this process.
  for (size_t i = 0; i < lists_.size(); ++i) lists_[i].Broadcast(code, arg);
}

// The frame events are dispatched with the handler fixed at compile time:
// one virtual call per process on the per-frame path.
template <int32_t Code>
inline int32_t SProc::RunFrameHandler(SProcArg arg) {
  if constexpr (Code == EVENT_DRAW) return Draw(arg);
  else if constexpr (Code == EVENT_BEGIN) return Begin(arg);
  else if constexpr (Code == EVENT_MAIN) return Main(arg);
  else return End(arg);
}

// A walk dispatches to each member as SendEvent does, with the saving and
// restoring of the current-process globals taken out of the loop: every
// handler leaves them as it found them (nested dispatches restore them), so
// between two members they hold the walk's code and the last member, and
// the values from before the walk are restored once at its end.
template <int32_t Code>
void SProcList::BroadcastFrame(SProcArg arg) {
  SProc* const savedProc = SProc::s_current;
  const int32_t savedCode = SProc::s_currentEvent;
  SProc::s_currentEvent = Code;
  SafeWalk([arg](SObject* m) {
    SProc* p = static_cast<SProc*>(m);
    if (p->state_ != SProc::STATE_RUNNING) return;
    SProc::s_current = p;
    p->RunFrameHandler<Code>(arg);
  });
  SProc::s_current = savedProc;
  SProc::s_currentEvent = savedCode;
}

void SProcList::Broadcast(int32_t code, SProcArg arg) {
  if (Empty()) return;
  switch (code) {
    case SProc::EVENT_DRAW: BroadcastFrame<SProc::EVENT_DRAW>(arg); return;
    case SProc::EVENT_BEGIN: BroadcastFrame<SProc::EVENT_BEGIN>(arg); return;
    case SProc::EVENT_MAIN: BroadcastFrame<SProc::EVENT_MAIN>(arg); return;
    case SProc::EVENT_END: BroadcastFrame<SProc::EVENT_END>(arg); return;
    default: break;
  }
  const SProc::Handler h = SProc::HandlerOf(code);  // looked up once per walk
  SProc* const savedProc = SProc::s_current;
  const int32_t savedCode = SProc::s_currentEvent;
  SProc::s_currentEvent = code;
  SafeWalk([h, code, arg](SObject* m) {
    SProc* p = static_cast<SProc*>(m);
    if (code < SProc::EVENT_INIT && p->state_ != SProc::STATE_RUNNING) return;  // a negative code
    SProc::s_current = p;
    if (h != nullptr) {
      (p->*h)(arg);
    } else {
      p->User(code, arg);
    }
  });
  SProc::s_current = savedProc;
  SProc::s_currentEvent = savedCode;
}

// ---------------------------------------------------------------------------
// Building the tree

SProcList* SProc::GetList(int32_t n) {
  if (n < 0 || static_cast<size_t>(n) >= lists_.size()) return nullptr;
  return &lists_[static_cast<size_t>(n)];
}

int32_t SProc::CreateLists(int32_t n) {
  if (n < 0) return -1;
  if (n == 0) return 0;
  // Growing the vector moves the lists; a walk in progress over one of them
  // would then run on freed memory, so that case is refused.
  for (const SProcList& l : lists_) {
    if (l.Walking()) return -1;
  }
  try {
    lists_.reserve(lists_.size() + static_cast<size_t>(n));
    for (int32_t i = 0; i < n; ++i) lists_.emplace_back();
  } catch (const std::bad_alloc&) {
    return -1;
  } catch (const std::length_error&) {
    return -1;
  }
  return 0;
}

int32_t SProc::AddChild(int32_t n, SProc* child, SProcArg arg) {
  if (child == nullptr || child == this) return -1;
  if (state_ == STATE_NONE) return -1;
  if (lists_.empty()) {
    if (n != 0) return -1;
    if (CreateLists(1) < 0) return -1;
  } else if (n < 0 || static_cast<size_t>(n) >= lists_.size()) {
    return -1;
  }
  // A child that still sits in some list leaves it first, so that no two
  // lists share the node.
  child->Unlink();
  child->listIndex_ = n;
  child->parent_ = this;
  child->state_ = STATE_ADDED;
  child->initResult_ = 0;
  lists_[static_cast<size_t>(n)].PushBack(child);
  child->Dispatch(EVENT_INIT, arg);
  return child->initResult_;
}

int32_t SProc::AddChildProcess(SProc* child, SProcArg arg) {
  if (child == nullptr) return -1;
  child->static_ = 1;
  return AddChild(0, child, arg);
}

int32_t SProc::StartRoot(SProcArg arg) {
  s_root = this;
  static_ = 1;
  state_ = STATE_ADDED;
  initResult_ = 0;
  Dispatch(EVENT_INIT, arg);
  return initResult_;
}

// ---------------------------------------------------------------------------
// Life cycle

void SProc::Kill(SProcArg arg) {
  if (state_ >= STATE_KILLED) return;
  state_ = STATE_KILLED;
  Dispatch(EVENT_KILL, arg);
}

void SProcList::KillAll(SProcArg arg) {
  SafeWalk([arg](SObject* m) {
    SProc* p = static_cast<SProc*>(m);
    if (p->state_ < SProc::STATE_KILLED) p->Kill(arg);
  });
}

void SProc::KillChildrenAll(SProcArg arg) {
  for (size_t i = 0; i < lists_.size(); ++i) lists_[i].KillAll(arg);
}

void SProc::Unlink() {
  if (parent_ != nullptr) {
    SObjList* owner = SObject::GetOwner();
    if (owner != nullptr) owner->Remove(this);
    parent_ = nullptr;
  } else {
    SObject::Detach();
  }
}

void SProcList::DetachProcess(SProc* proc) {
  Remove(proc);
  proc->parent_ = nullptr;
}

void SProc::DisposeChildren() {
  for (size_t i = 0; i < lists_.size(); ++i) {
    // Every Dispose unlinks its process, so the head moves on each time.
    while (SProc* p = lists_[i].Head()) p->Dispose();
  }
}

void SProc::Dispose() {
  if (!lists_.empty()) {
    DisposeChildren();
    std::vector<SProcList>().swap(lists_);
  }
  if (state_ != STATE_NONE) {
    OnDispose(0);
    state_ = STATE_NONE;
  }
  if (findCursor_ != nullptr) findCursor_ = nullptr;
  if (!static_) {
    delete this;  // the destructor unlinks it
    return;
  }
  Unlink();
  if (s_root == this) s_root = nullptr;
}

void SProcList::AdvanceAll() {
  SafeWalk([](SObject* m) {
    SProc* p = static_cast<SProc*>(m);
    // A running process without children (most of them) only counts the
    // frame: no call.
    if (p->state_ == SProc::STATE_RUNNING && p->lists_.empty()) {
      ++p->frameCounter_;
      return;
    }
    p->Advance();
  });
}

void SProc::Advance() {
  for (size_t i = 0; i < lists_.size(); ++i) lists_[i].AdvanceAll();
  ++frameCounter_;
  switch (state_) {
    case STATE_ADDED: state_ = STATE_RUNNING; break;
    case STATE_KILLED: state_ = STATE_DYING; break;
    case STATE_DYING: Dispose(); break;  // may delete this
    default: break;
  }
}

bool SProc::Step() {
  if (s_root != this) return false;
  if (state_ == STATE_RUNNING) Dispatch(EVENT_DRAW, 0);
  if (state_ == STATE_RUNNING) Dispatch(EVENT_BEGIN, 0);
  if (state_ == STATE_RUNNING) Dispatch(EVENT_MAIN, 0);
  if (state_ == STATE_RUNNING) Dispatch(EVENT_END, 0);
  Advance();
  return true;
}

// ---------------------------------------------------------------------------
// Moving

int32_t SProc::MoveToList(int32_t n, bool front) {
  if (parent_ == nullptr) return -1;
  return MoveTo(parent_, n, front);
}

int32_t SProc::MoveWithinList(bool front) {
  if (parent_ == nullptr) return -1;
  return MoveTo(parent_, listIndex_, front);
}

int32_t SProc::MoveTo(SProc* newParent, int32_t n, bool front) {
  if (parent_ == nullptr || newParent == nullptr) return -1;
  SProcList* dest = newParent->GetList(n);
  if (dest == nullptr) return -1;
  // Refuse to hang a process below itself (the tree would become a cycle).
  for (SProc* a = newParent; a != nullptr; a = a->parent_) {
    if (a == this) return -1;
  }
  SObjList* owner = SObject::GetOwner();
  if (owner != nullptr) owner->Remove(this);
  parent_ = newParent;
  listIndex_ = n;
  if (front) {
    dest->PushFront(this);
  } else {
    dest->PushBack(this);
  }
  return 0;
}

// ---------------------------------------------------------------------------
// Search

// Names are compared by the address of their shared copy.

SProc* SProc::FindFrom(SProc* m, const std::string* name) {
  for (; m != nullptr; m = SProcList::Next(m)) {
    if (SProc* hit = m->FindNamed(name)) return hit;
  }
  return nullptr;
}

SProc* SProc::FindNamed(const std::string* name) {
  for (size_t i = 0; i < lists_.size(); ++i) {
    if (SProc* hit = FindFrom(lists_[i].Head(), name)) return hit;
  }
  if (state_ < STATE_KILLED && name_ == name) return this;
  return nullptr;
}

SProc* SProc::FindByName(const std::string& name) {
  const std::string* key = KnownName(name);
  return key != nullptr ? FindNamed(key) : nullptr;
}

SProc* SProc::FindInList(const std::string& name, int32_t n) {
  SProcList* l = GetList(n);
  const std::string* key = KnownName(name);
  return l != nullptr && key != nullptr ? FindFrom(l->Head(), key) : nullptr;
}

SProc* SProc::FindFirst(const std::string& name) {
  findCursor_ = FindByName(name);
  if (findCursor_ == this) findCursor_ = nullptr;
  findAll_ = 1;
  return findCursor_;
}

SProc* SProc::FindFirstInList(const std::string& name, int32_t n) {
  findAll_ = 0;
  findCursor_ = FindInList(name, n);
  return findCursor_;
}

SProc* SProc::FindNext(const std::string& name) {
  SProc* c = findCursor_;
  if (c == nullptr) return nullptr;
  const std::string* key = KnownName(name);  // null: nothing can match
  while (key != nullptr) {
    SProc* p = c->parent_;
    if (p == nullptr) break;
    size_t i = static_cast<size_t>(c->listIndex_);
    if (SProc* hit = FindFrom(SProcList::Next(c), key)) return findCursor_ = hit;
    if (!findAll_ && p == this) break;
    for (size_t j = i + 1; j < p->lists_.size(); ++j) {
      if (SProc* hit = FindFrom(p->lists_[j].Head(), key)) return findCursor_ = hit;
    }
    if (p == this) break;
    if (p->state_ < STATE_KILLED && p->name_ == key) return findCursor_ = p;
    c = p;
  }
  findCursor_ = nullptr;
  return nullptr;
}

// ---------------------------------------------------------------------------
// Counting

int32_t SProc::CountChildren() const {
  int32_t n = 0;
  for (const SProcList& l : lists_) n += l.Count();
  return n;
}

int32_t SProcList::CountAll() const {
  int32_t n = Count();
  for (SProc* m = Head(); m != nullptr; m = Next(m)) {
    for (const SProcList& l : m->lists_) n += l.CountAll();
  }
  return n;
}

int32_t SProc::CountDescendants() const {
  int32_t n = 0;
  for (const SProcList& l : lists_) n += l.CountAll();
  return n;
}
