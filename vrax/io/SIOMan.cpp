#include "vrax/io/SIOMan.h"

#include <new>

#include "vrax/io/SysUtil.h"

SIOMan* SIOMan::s_instance = nullptr;

namespace {
const char kSource[] = "Vrax\\Io\\SIOMan";
const char* const kMessages[] = {
    "file open error", "file stream error", "file read error", "file write error", "file busy error",
};
}  // namespace

const char* SIOMan::Message(int32_t index) {
  if (index < 0 || index >= static_cast<int32_t>(sizeof kMessages / sizeof kMessages[0])) return "";
  return kMessages[index];
}

// The manager is one global object: Dispose unlinks it, never deletes it.
SIOMan::SIOMan() {
  SetStatic(true);
  s_instance = this;
}

SIOMan::~SIOMan() {
  // Requests still listed are dropped (their files stay valid).
  while (SObject* f = requests_.HeadObj()) {
    requests_.Remove(f);
    static_cast<SFile*>(f)->DropPending();
  }
  if (s_instance == this) s_instance = nullptr;
}

int32_t SIOMan::Init(SProcArg) {
  DebugPrint("%s %s", GetName().c_str(), "initialize... ");
  SetName("VRAX I/O Manager");
  MoveToList(3, true);
  streamFlag_ = 1;
  lastError_ = 0;
  cacheMode_ = 0;
  DebugPrint("completed\n");
  SetInitResult(0);
  return 0;
}

int32_t SIOMan::OnDispose(SProcArg) {
  DebugPrint("%s %s", GetName().c_str(), "...disposed\n");
  return 0;
}

void SIOMan::Queue(SFile* file) {
  if (file == nullptr) return;
  if (file->Pending()) return;
  requests_.PushBack(file);
  file->state_ = SFile::STATE_QUEUED;
  file->fromArchive_ = false;
}

void SIOMan::Cancel(SFile* file) {
  if (file == nullptr) return;
  if (file->GetOwner() == &requests_) requests_.Remove(file);
  if (file->Pending()) file->DropOwned();  // what it read is not done: of no use
  file->DropPending();
}

bool SIOMan::Flush(bool wait) {
  if (!wait) return requests_.Empty();
  // Every pass completes, fails or advances one request, and entries that are
  // no longer pending are dropped, so this ends.
  while (!requests_.Empty()) Begin(0);
  return true;
}

void SIOMan::SetCacheMode(int32_t mode, uint32_t capacity, int32_t level, uint32_t threshold) {
  cacheMode_ = mode;
  if (mode >= 1 && mode <= 4) {
    cache_.Init(capacity, mode == 1 ? 0 : mode - 1);
    rejected_ = false;
    awaited_.clear();
    reread_.clear();
  }
  cache_.SetParams(level, threshold, 1.0f);
}

bool SIOMan::CacheExists(const std::string& name) const { return cache_.Exists(dataRoot_ + name); }
int32_t SIOMan::CacheSave(const std::string& name) const {
  return rejected_ ? -1 : cache_.Save(dataRoot_ + name);
}
int32_t SIOMan::CacheLoad(const std::string& name) { return cache_.Load(dataRoot_ + name); }

void SIOMan::CacheReject(const std::string& name) {
  DropEntry(name);
  rejected_ = true;
}

void SIOMan::DropEntry(const std::string& name) {
  const std::string archive = cache_.ArchiveOf(name);
  cache_.Remove(name);
  if (archive.empty()) return;
  FileRemove(archive);
  try {
    awaited_[name] = archive;
  } catch (const std::bad_alloc&) {
    // Not repaired in this run: the next load of its scene rebuilds it.
  }
}

// The files read again in the last frame were handed to their loaders then:
// one refused again is awaited again, one not cached leaves the archive
// unwritten (Rewrite).
void SIOMan::RepairArchives() {
  for (const auto& reread : reread_) {
    bool awaiting = false;
    for (const auto& waits : awaited_) awaiting = awaiting || waits.second == reread.second;
    if (!awaiting) cache_.Rewrite(reread.second);
  }
  reread_.clear();
}

void SIOMan::Fail(SFile* file, int32_t error, int line, const char* message) {
  lastError_ = error;
  FatalError("%s(%d) : %s\n", kSource, line, message);
  DebugPrint("file name : %s\n", file->pathName_.c_str());
  requests_.Remove(file);
  file->state_ = SFile::STATE_FAILED;
  file->DropOwned();
}

void SIOMan::Complete(SFile* file) {
  DebugPrint("complete file streem : %s\n", file->name_.c_str());
  requests_.Remove(file);
  file->state_ = SFile::STATE_DONE;
  if (cacheMode_ == 0) return;
  cache_.Add(file->name_, file->data_, file->size_);
  const auto awaited = awaited_.find(file->name_);
  if (awaited == awaited_.end()) return;
  cache_.Adopt(awaited->first, awaited->second);
  try {
    reread_.emplace_back(awaited->first, awaited->second);
  } catch (const std::bad_alloc&) {
    // Not repaired in this run: the next load of its scene rebuilds it.
  }
  awaited_.erase(awaited);
}

// A buffer of the manager's own from an earlier read is replaced when the
// file no longer fits (freed first); a caller's buffer is never replaced. A
// new buffer is charged to what all loads hold together before it is made:
// one the total cannot take fails the file as one that cannot be allocated.
// 1 when a new buffer was allocated, 0 when the present one is used.
int32_t SIOMan::MakeRoom(SFile* file, uint32_t size, int allocLine, int fitLine) {
  if (file->data_ == nullptr || (file->data_ == file->owned_.get() && size > file->capacity_)) {
    file->DropOwned();
    if (file->ownedCharge_.Charge(size)) file->owned_.reset(new (std::nothrow) uint8_t[size]);
    if (!file->owned_) {
      Fail(file, ERROR_READ, allocLine, Message(1));
      return -1;
    }
    file->data_ = file->owned_.get();
    file->capacity_ = size;
    return 1;
  }
  if (size > file->capacity_) {
    // The caller's buffer cannot take the file.
    Fail(file, ERROR_READ, fitLine, Message(2));
    return -1;
  }
  return 0;
}

// A cached file is copied out of the cache. False when it is not cached or
// its entry does not decode, its head included (the file is then read from
// disk instead, and the entry is dropped as a refused one is).
bool SIOMan::ServeFromCache(SFile* file) {
  if (cacheMode_ == 0 || !cache_.Contains(file->name_)) return false;
  uint32_t size = 0;
  if (cache_.GetSize(file->name_, &size) < 0) {
    DropEntry(file->name_);
    return false;
  }
  DebugPrint("file cache hit! : %s\n", file->name_.c_str());
  const int32_t room = MakeRoom(file, size, 116, 112);
  if (room < 0) return true;
  if (cache_.Lookup(file->name_, file->data_, file->capacity_) < 0) {
    if (room == 1) file->FreeData();
    DropEntry(file->name_);
    return false;
  }
  file->fromArchive_ = !cache_.ArchiveOf(file->name_).empty();
  file->size_ = size;
  requests_.Remove(file);
  file->state_ = SFile::STATE_DONE;
  return true;
}

void SIOMan::ReadFromDisk(SFile* file) {
  const std::string& path = file->SetPathName();
  int64_t size = FileSize(path);
  if (size <= 0) {
    Fail(file, ERROR_OPEN, 136, Message(0));
    return;
  }
  if (size > kMaxDataFileBytes) {
    Fail(file, ERROR_READ, 145, Message(1));
    return;
  }
  file->size_ = static_cast<uint32_t>(size);
  if (MakeRoom(file, file->size_, 145, 150) < 0) return;
  DebugPrint("start file streem : %s\n", file->name_.c_str());
  file->state_ = SFile::STATE_READING;
  if (streamFlag_) {
    if (FileReadAll(path, file->data_, file->size_) <= 0) Fail(file, ERROR_READ, 158, Message(1));
    return;  // completed at the next pass
  }
  FILE* f = FileOpen(path);
  if (f == nullptr) {
    Fail(file, ERROR_READ, 168, Message(1));
    return;
  }
  size_t got = FileRead(f, file->data_, file->size_);
  FileClose(f);
  if (got != file->size_) {
    Fail(file, ERROR_READ, 173, Message(1));
    return;
  }
  Complete(file);
}

int32_t SIOMan::Begin(SProcArg) {
  cache_.Poll();  // files packed in the background since the last frame
  if (!reread_.empty()) RepairArchives();
  SObject* o = requests_.HeadObj();
  while (o != nullptr) {
    SFile* file = static_cast<SFile*>(o);
    o = o->SObject::GetNext();
    if (file->state_ == SFile::STATE_READING) {
      Complete(file);
      return 0;
    }
    if (file->state_ == SFile::STATE_QUEUED) {
      // A name that leads out of the data folder (a list line such as
      // "../../x.png") is a file the game does not have.
      if (!StaysInDataFolder(file->name_)) {
        file->SetPathName();
        Fail(file, ERROR_OPEN, 136, Message(0));
      } else if (!ServeFromCache(file)) {
        ReadFromDisk(file);
      }
      return 0;
    }
    // No longer a request (failed by a second Load while queued): drop it.
    requests_.Remove(file);
  }
  return 0;
}
