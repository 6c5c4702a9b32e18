#pragma once
#include <cstdint>
#include <string>

#include "vrax/io/LoadBudget.h"
#include "vrax/kernel/SProc.h"

class SRscMan;

// Builds a kind tag: the three letters in the three low bytes, most
// significant first ('IMG' -> 0x494D47).
constexpr uint32_t RscTag(const char (&s)[4]) {
  return (static_cast<uint32_t>(static_cast<uint8_t>(s[0])) << 16) |
         (static_cast<uint32_t>(static_cast<uint8_t>(s[1])) << 8) | static_cast<uint32_t>(static_cast<uint8_t>(s[2]));
}

// Resource status.
enum ResourceStatus : int32_t {
  kRscIdle = 0,     // new, or killed
  kRscLoading = 1,
  kRscReady = 2,
  kRscFailed = -1,  // the load failed to start, or the loader reported an error
};

// Messages of the resource component, by error code (0 is the manager's name).
const char* ResourceMessage(int code);

// Base of every resource: a process, child of the resource manager, living
// in the manager's list of its group and loading itself over several frames
// by polling file requests in its EVENT_MAIN handler (the kind's loader
// step). The process name is the resource's path.
//
// A kind's loader that meets an error reports "resource open error" and sets
// the status to failed; a failed resource counts as settled, so waiting for
// the group never hangs on it.
//
// Every kind charges what its load makes to the resource's budget
// (kMaxResourceBytes), which charges through to LoadedTotal(): what all
// resources alive hold together. The charge is held while the memory is:
// it is given back when the resource is released (disposed), or earlier by
// a kind that frees what it made (a failed or restarted load).
class SRsc : public SProc {
 public:
  SRsc() = default;
  ~SRsc() override = default;

  using SProc::Kill;
  using SProc::SetName;
  virtual void SetName(const char* name) { SProc::SetName(name ? std::string(name) : std::string()); }
  // group = n & 15; a resource already living in the manager moves to the
  // back of that group's list.
  virtual void SetGroup(int32_t n);
  virtual void SetStatus(int32_t status) { status_ = status; }
  // Memory from the group's allocator (null when it has none left).
  virtual void* GroupAlloc(uint32_t size);
  virtual int32_t GetGroup() const { return group_; }
  virtual int32_t GetStatus() const { return status_; }
  virtual uint32_t GetParam(uint32_t i) const { return i < 4 ? params_[i] : 0; }
  // The kind's tag (0 in the base).
  virtual uint32_t Kind() const { return 0; }
  // Starts loading: 0, or -1 after "resource open error" and the status set
  // to failed (a resource already loading or ready, or one whose start
  // failed).
  virtual int32_t Load(uint32_t p0, uint32_t p1, uint32_t p2, uint32_t p3);
  virtual void Kill() { SProc::Kill(0); }
  // Runs the resource steps until everything is settled.
  virtual uint8_t WaitLoaded();

  // True once the resource is ready or has failed: nothing more will change.
  bool IsSettled() const { return status_ == kRscReady || status_ == kRscFailed; }

 protected:
  // EVENT_END: a resource still loading clears the manager's all-loaded flag.
  int32_t End(SProcArg arg) override;
  // EVENT_KILL: status back to idle.
  int32_t KillChildren(SProcArg arg) override;

  // Reports "resource open error" through the error box with the kind's
  // source path and line, and marks the resource failed.
  void ReportOpenError(const char* source, int line);

  // The budget the kind's load charges (see above).
  LoadBudget& Budget() { return budget_; }

 private:
  int32_t group_ = 0;
  int32_t status_ = kRscIdle;
  uint32_t params_[4] = {0, 0, 0, 0};
  // Destroyed after the kind's members: its charge goes back once the
  // kind's memory is freed.
  LoadBudget budget_{kMaxResourceBytes, &LoadedTotal()};
};
