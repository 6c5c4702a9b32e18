#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "vrax/io/LoadBudget.h"
#include "vrax/io/SysUtil.h"
#include "vrax/kernel/SObject.h"

// A file request. A loader names the file (the cache key), optionally gives
// it a buffer, calls Load() and polls GetState() once per frame; the I/O
// manager reads it in its EVENT_BEGIN. The path opened is the manager's data
// root followed by the name.
//
// A buffer the manager makes for the file is charged to what all loads hold
// together (LoadedTotal()) before it is made, and given back when it is
// freed: by FreeData, when the request fails or is cancelled (its bytes are
// then of no use), when a larger file replaces it, and when the request
// ends. A caller's buffer is the caller's and is not charged.
class SFile : public SObject {
 public:
  enum State : int32_t {
    STATE_FAILED = -1,
    STATE_IDLE = 0,
    STATE_DONE = 1,
    STATE_QUEUED = 2,
    STATE_READING = 3,
  };

  SFile() = default;
  // A file still queued or reading leaves the manager's list first.
  ~SFile() override;

  virtual void SetName(const std::string& name) { name_ = name; }
  // The caller's buffer and how many bytes it holds: a file larger than the
  // capacity fails instead of overrunning it. Null: the manager allocates.
  virtual void SetData(void* data, uint32_t capacity);
  virtual void SetSize(uint32_t size) { size_ = size; }
  virtual const std::string& GetName() const { return name_; }
  // Rebuilds the path from the manager's current data root and the name.
  virtual const std::string& SetPathName();
  virtual int32_t GetState() const { return state_; }
  virtual void* GetData() const { return data_; }
  virtual uint32_t GetSize() const { return size_; }
  // Size of the named file on disk, -1 when it does not open.
  virtual int64_t GetFileSize();
  // Queues the read. 0; -5 ("file busy error") when already queued or
  // reading; -1 ("file open error") without a name or a manager.
  virtual int32_t Load();
  // Writes size bytes of data to the path at once. 0 or -1.
  virtual int32_t Save();
  // Reads every queued file before returning.
  virtual void Flush();
  virtual void Cancel();
  virtual void FreeData();
  // The loader found the file's bytes unusable: the I/O manager forgets the
  // file's cached copy and saves no archive of the cache that held it
  // (SIOMan::CacheReject). True when the bytes were a cache archive's copy:
  // the file's own bytes in the tree may still be whole, and a Load() reads
  // them.
  virtual bool Reject();

  uint32_t GetCapacity() const { return capacity_; }

 private:
  friend class SIOMan;
  // Queued or reading: listed with the manager.
  bool Pending() const { return state_ == STATE_QUEUED || state_ == STATE_READING; }
  // A pending request that is dropped goes back to idle.
  void DropPending() {
    if (Pending()) state_ = STATE_IDLE;
  }
  // Frees the manager's buffer and gives back its charge; a caller's buffer
  // stays the file's.
  void DropOwned();

  std::string name_;
  std::string pathName_;
  int32_t state_ = STATE_IDLE;
  bool fromArchive_ = false;  // the last request was served from an archive's entry
  uint32_t size_ = 0;
  void* data_ = nullptr;
  uint32_t capacity_ = 0;
  std::unique_ptr<uint8_t[]> owned_;
  // The charge of owned_ (its capacity) while it is held.
  LoadBudget ownedCharge_{uint64_t(kMaxDataFileBytes), &LoadedTotal()};
};
