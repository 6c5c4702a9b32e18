#pragma once
#include <cstdint>

#include "vrax/kernel/SObject.h"
#include "vrax/kernel/SProc.h"
#include "vrax/resource/LinearAllocator.h"
#include "vrax/resource/SRsc.h"
#include "vrax/resource/SRscSlot.h"

// One row of a scene's resource table. A null target ends a table.
struct SRscRequest {
  SRscTarget target;  // receives the created resource (or null)
  uint32_t tag;     // kind tag, RscTag("IMG")
  const char* path; // without extension, relative to the data root: "\enemy\osr_bs00"
  uint32_t p0, p1, p2, p3;
};

// Allocates and constructs one resource of a kind; null when memory runs out.
using SRscFactory = SRsc* (*)();

// One registered kind: a node of the manager's kind list.
class SRscKind : public SObject {
 public:
  virtual void SetTag(uint32_t tag) { tag_ = tag; }
  virtual void SetFactory(SRscFactory f) { factory_ = f; }
  virtual uint32_t GetTag() const { return tag_; }
  virtual SRsc* Create() const { return factory_ ? factory_() : nullptr; }

 private:
  uint32_t tag_ = 0;
  SRscFactory factory_ = nullptr;
};

// The resource manager: a process of kernel list 3 (behind the I/O manager)
// whose 16 child lists are the resource groups. It creates resources by kind
// tag, steps every loader once per frame in EVENT_END and keeps one linear
// allocator per group.
class SRscMan : public SProc {
 public:
  static constexpr int kGroups = 16;

  SRscMan();
  ~SRscMan() override;

  // Kills every resource of the group, then gives the group's allocator the
  // new buffer (null: none).
  virtual void ReleaseGroup(int32_t group, void* buffer, uint32_t size);
  // 0: the all-loaded flag. Non-zero: runs the I/O manager's read and the
  // resource steps until every resource is settled (ready or failed); 1.
  virtual uint8_t Sync(int32_t wait);
  // Appends a kind; the first kind registered for a tag wins.
  virtual void RegisterKind(uint32_t tag, SRscFactory factory);
  // Creates and starts one resource; null when the tag is unknown ("resoruce
  // type error") or memory ran out. A resource whose load failed is returned
  // too, with its status saying so.
  virtual SRsc* CreateResource(int32_t group, uint32_t tag, const char* path, uint32_t p0, uint32_t p1,
                               uint32_t p2, uint32_t p3);
  // One resource per row up to a row with a null target, at most count rows
  // (-1: no limit).
  virtual void LoadTable(int32_t group, const SRscRequest* table, int32_t count);
  // The first live resource of that name and kind; null when none.
  virtual SRsc* Find(const char* name, uint32_t tag);
  virtual void* GroupAllocator(int32_t n);
  virtual void* GroupAlloc(int32_t n, uint32_t size);
  virtual void SetLoaded(uint8_t flag) { allLoaded_ = flag; }
  uint8_t GetLoaded() const { return allLoaded_; }
  LinearAllocator& Allocator(int32_t n) { return allocators_[n & (kGroups - 1)]; }

  // One resource step: every loader steps, then the all-loaded flag is
  // recomputed.
  void ResourceStep();

 protected:
  int32_t End(SProcArg arg) override;
  int32_t Init(SProcArg arg) override;
  int32_t OnDispose(SProcArg arg) override;
  int32_t User(int32_t code, SProcArg arg) override;

 private:
  void DeleteKinds();

  SObjList kinds_;
  uint8_t allLoaded_ = 1;
  LinearAllocator allocators_[kGroups];
};

// The resource manager (null when none exists).
SRscMan* GetRscMan();
