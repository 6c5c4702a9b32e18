#include "vrax/resource/SRscMan.h"

#include <cstring>
#include <new>

#include "vrax/io/SIOMan.h"
#include "vrax/io/SysUtil.h"
#include "vrax/resource/SRsc_Image.h"
#include "vrax/resource/SRsc_Model.h"
#include "vrax/resource/SRsc_Sound.h"

namespace {
SRscMan* g_rscMan = nullptr;
}

SRscMan* GetRscMan() { return g_rscMan; }

SRscMan::SRscMan() { g_rscMan = this; }

SRscMan::~SRscMan() {
  DeleteKinds();
  if (g_rscMan == this) g_rscMan = nullptr;
}

void SRscMan::DeleteKinds() {
  while (SObject* k = kinds_.HeadObj()) {
    kinds_.Remove(k);
    delete static_cast<SRscKind*>(k);
  }
}

int32_t SRscMan::Init(SProcArg) {
  DebugPrint("%s %s", GetName().c_str(), "initialize... ");
  SetName(ResourceMessage(0));
  MoveToList(3, false);
  if (ListCount() < kGroups && CreateLists(kGroups - ListCount()) < 0) {
    DebugPrint("failed\n");
    SetInitResult(-1);
    return -1;
  }
  // The engine's kinds, in this order: 'IMG', 'MDL', 'SND'.
  RegisterKind(RscTag("IMG"), &SRsc_Image_Ex::Create);
  RegisterKind(RscTag("MDL"), &SRsc_Model_Ex::Create);
  RegisterKind(RscTag("SND"), &SRsc_Sound_Ex::Create);
  DebugPrint("completed\n");
  SetInitResult(0);
  return 0;
}

int32_t SRscMan::OnDispose(SProcArg) {
  DeleteKinds();
  DebugPrint("%s %s", GetName().c_str(), "...disposed\n");
  return 0;
}

int32_t SRscMan::User(int32_t, SProcArg) { return 0; }

void SRscMan::RegisterKind(uint32_t tag, SRscFactory factory) {
  SRscKind* k = new (std::nothrow) SRscKind;
  if (!k) return;
  k->SetTag(tag);
  k->SetFactory(factory);
  kinds_.PushBack(k);
}

SRsc* SRscMan::CreateResource(int32_t group, uint32_t tag, const char* path, uint32_t p0, uint32_t p1,
                              uint32_t p2, uint32_t p3) {
  SRscKind* kind = nullptr;
  for (SObject* o = kinds_.HeadObj(); o; o = o->GetNext()) {
    auto* k = static_cast<SRscKind*>(o);
    if (k->GetTag() == tag) {
      kind = k;
      break;
    }
  }
  if (!kind) {
    FatalError("%s(%d) : %s\n", "VRAX\\Resource\\SRscMan", 110, ResourceMessage(-4));
    return nullptr;
  }
  SRsc* r = kind->Create();
  if (!r) return nullptr;
  r->SetGroup(group);
  r->SetName(path ? path : "");
  r->Load(p0, p1, p2, p3);
  return r;
}

void SRscMan::LoadTable(int32_t group, const SRscRequest* table, int32_t count) {
  group &= kGroups - 1;
  if (count == 0 || !table) return;
  for (const SRscRequest* row = table; row->target; ++row) {
    row->target.Put(CreateResource(group, row->tag, row->path, row->p0, row->p1, row->p2, row->p3));
    if (--count == 0) break;
  }
}

SRsc* SRscMan::Find(const char* name, uint32_t tag) {
  if (!name) return nullptr;
  for (int32_t n = 0; n < ListCount(); ++n) {
    SProcList* list = GetList(n);
    for (SProc* p = list->Head(); p; p = SProcList::Next(p)) {
      if (p->GetState() >= STATE_KILLED) continue;
      auto* r = static_cast<SRsc*>(p);
      if (r->GetName() == name && r->Kind() == tag) return r;
    }
  }
  return nullptr;
}

void SRscMan::ReleaseGroup(int32_t group, void* buffer, uint32_t size) {
  group &= kGroups - 1;
  if (SProcList* list = GetList(group)) list->KillAll(0);
  allocators_[group].Init(buffer, size);
}

void* SRscMan::GroupAllocator(int32_t n) { return allocators_[n & (kGroups - 1)].GetBase(); }

void* SRscMan::GroupAlloc(int32_t n, uint32_t size) { return allocators_[n & (kGroups - 1)].Alloc(size); }

void SRscMan::ResourceStep() {
  BroadcastAll(EVENT_MAIN, 0);
  allLoaded_ = 1;
  BroadcastAll(EVENT_END, 0);
}

int32_t SRscMan::End(SProcArg) {
  ResourceStep();
  return 0;
}

uint8_t SRscMan::Sync(int32_t wait) {
  if (!wait) return allLoaded_;
  SIOMan* io = SIOMan::GetInstance();
  bool savedStream = io ? io->GetStreamFlag() : false;
  if (io) io->SetStreamFlag(false);
  // Failed resources count as settled, so the loop ends once every loader
  // has finished one way or the other. A loader waiting for a file that no
  // one will ever read (no running I/O manager) would still spin: such
  // passes are bounded.
  int idlePasses = 0;
  for (;;) {
    bool ioRunning = io && io->GetState() == STATE_RUNNING;
    if (ioRunning) io->SendEvent(EVENT_BEGIN, 0);
    ResourceStep();
    for (int32_t n = 0; n < ListCount(); ++n) GetList(n)->AdvanceAll();
    if (allLoaded_) break;
    bool ioIdle = !ioRunning || io->Flush(false);
    idlePasses = ioIdle ? idlePasses + 1 : 0;
    if (idlePasses > 10000) {
      FatalError("%s(%d) : %s\n", "VRAX\\Resource\\SRscMan", 200, ResourceMessage(-3));
      break;
    }
  }
  if (io) io->SetStreamFlag(savedStream);
  return 1;
}
