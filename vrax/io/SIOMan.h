#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "vrax/io/SCacheArchive.h"
#include "vrax/io/SFile.h"
#include "vrax/kernel/SProc.h"

// The I/O manager, a process of kernel list 3. Its EVENT_BEGIN handles at
// most one requested file per frame, in request order:
//   reading -> done (and entered into the cache);
//   queued and cached -> copied from the cache, done at once;
//   queued otherwise -> read whole from disk, done in the next frame (at
//   once while the stream flag is clear); a file larger than
//   kMaxDataFileBytes fails;
//   a name that leads out of the data folder (StaysInDataFolder) fails as
//   a missing file does, whether the cache holds it or not.
// The buffers the manager makes are charged to LoadedTotal() while the
// files hold them (see SFile); one the total cannot take fails as one that
// cannot be allocated ("file stream error"). The cache charges its entries
// there too.
// Failures show the "ERROR" box, mark the file failed (-1) and free the
// manager's buffer of the file.
class SIOMan : public SProc {
 public:
  enum Error : int32_t { ERROR_NONE = 0, ERROR_OPEN = -1, ERROR_READ = -2 };

  // Messages of the I/O component, by index.
  static const char* Message(int32_t index);

  SIOMan();
  ~SIOMan() override;
  static SIOMan* GetInstance() { return s_instance; }

  virtual void SetDataPath(const char* root) { dataRoot_ = root ? root : ""; }
  virtual const std::string& DataPath() const { return dataRoot_; }
  virtual void SetStreamFlag(bool flag) { streamFlag_ = flag ? 1 : 0; }
  virtual bool GetStreamFlag() const { return streamFlag_ != 0; }
  // Without wait: whether no request is pending. With wait: handles requests
  // until none is pending, then true.
  virtual bool Flush(bool wait);
  virtual SCacheArchive& Cache() { return cache_; }
  virtual int32_t GetLastError() const { return lastError_; }
  // Mode 0: no cache. Modes 1..4 set up the cache with the capacity (its own
  // mode 0 for mode 1, mode - 1 otherwise), then its parameters.
  virtual void SetCacheMode(int32_t mode, uint32_t capacity, int32_t level, uint32_t threshold);
  int32_t GetCacheMode() const { return cacheMode_; }
  virtual void CacheClear() {
    cache_.Clear();
    rejected_ = false;
    awaited_.clear();
    reread_.clear();
  }
  // The archive data root + name + ".sca". 0 / true, or -1 / false.
  virtual bool CacheExists(const std::string& name) const;
  // -1 without writing, too, once a file was rejected since the cache was
  // last cleared (see CacheReject).
  virtual int32_t CacheSave(const std::string& name) const;
  virtual int32_t CacheLoad(const std::string& name);
  // A file whose bytes its loader refused (a damaged picture, list, model,
  // ...): its entry leaves the cache, so that a later load reads the disk,
  // and no archive is saved from the cache until it is cleared again. A
  // scene rebuilds its archive from the cache after a load from the tree: a
  // load in which a file failed writes none, and the next run reads the tree
  // again (with the file replaced, whole) and writes the archive then.
  // An entry read from an archive file is checked by nothing but its loader
  // (the archive holds no sums): refused, it takes the archive file with it,
  // and the archive is repaired once the file is read again (see DropEntry).
  virtual void CacheReject(const std::string& name);
  // A file in state idle, done or failed joins the back of the request list
  // as queued; a queued or reading file is left alone.
  virtual void Queue(SFile* file);
  // Takes the file off the list; a queued or reading file returns to idle.
  virtual void Cancel(SFile* file);

  int32_t Init(SProcArg arg) override;
  int32_t Begin(SProcArg arg) override;
  int32_t OnDispose(SProcArg arg) override;

 private:
  void Fail(SFile* file, int32_t error, int line, const char* message);
  void Complete(SFile* file);
  // Gives the file room for size bytes; -1 when it failed the file.
  int32_t MakeRoom(SFile* file, uint32_t size, int allocLine, int fitLine);
  bool ServeFromCache(SFile* file);
  // Drops the entry of that name. One read from an archive file removes
  // that file too, as a damaged archive, so that the next load of its scene
  // reads the tree and writes the archive anew; and when the file is read
  // from the tree again in this run (a loader that was handed the
  // archive's copy reads the tree's instead), its entry takes the old one's
  // place, and a frame later, unless that was refused too and once no other
  // entry of the archive is still awaited, the archive is written again:
  // its entries in its own order, the file's as Add stores it.
  void DropEntry(const std::string& name);
  void RepairArchives();
  void ReadFromDisk(SFile* file);

  std::string dataRoot_;
  uint8_t streamFlag_ = 0;
  SObjList requests_;
  int32_t lastError_ = 0;
  SCacheArchive cache_;
  int32_t cacheMode_ = 0;
  bool rejected_ = false;  // a file rejected since the cache was cleared
  // Files whose archive's entry was dropped, by name, with the archive file;
  // those read from the tree again since the last frame.
  std::map<std::string, std::string> awaited_;
  std::vector<std::pair<std::string, std::string>> reread_;

  static SIOMan* s_instance;
};
