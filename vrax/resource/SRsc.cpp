#include "vrax/resource/SRsc.h"

#include "vrax/io/SysUtil.h"
#include "vrax/resource/SRscMan.h"

const char* ResourceMessage(int code) {
  switch (code) {
    case 0: return "VRAX Resource Manager";
    case -1: return "resource open error";
    case -2: return "resource initilize error";
    case -3: return "resource busy error";
    case -4: return "resoruce type error";
    default: return "";
  }
}

void SRsc::SetGroup(int32_t n) {
  group_ = n & 15;
  SRscMan* man = GetRscMan();
  if (status_ >= kRscLoading && man && GetParent() == man) MoveToList(group_, false);
}

void* SRsc::GroupAlloc(uint32_t size) {
  SRscMan* man = GetRscMan();
  return man ? man->GroupAlloc(group_, size) : nullptr;
}

void SRsc::ReportOpenError(const char* source, int line) {
  FatalError("%s(%d) : %s\n", source, line, ResourceMessage(-1));
  status_ = kRscFailed;
}

int32_t SRsc::Load(uint32_t p0, uint32_t p1, uint32_t p2, uint32_t p3) {
  if (status_ > kRscIdle) {
    // Already loading or ready: a second load is a caller's error, and the
    // resource is marked failed (a ready one no longer reads as ready).
    ReportOpenError("VRAX\\Headers\\SRsc", 148);
    return -1;
  }
  SRscMan* man = GetRscMan();
  if (man) man->SetLoaded(0);
  params_[0] = p0, params_[1] = p1, params_[2] = p2, params_[3] = p3;
  status_ = kRscLoading;
  int32_t r = man ? man->AddChild(group_, this, reinterpret_cast<SProcArg>(params_)) : -1;
  if (r == 0) {
    Advance();  // running from this moment
    return 0;
  }
  ReportOpenError("VRAX\\Headers\\SRsc", 148);
  return -1;
}

uint8_t SRsc::WaitLoaded() {
  SRscMan* man = GetRscMan();
  return man ? man->Sync(1) : 0;
}

int32_t SRsc::End(SProcArg) {
  // Ready and failed resources are settled; anything still loading keeps
  // the manager waiting.
  if (status_ == kRscLoading || status_ == kRscIdle) {
    if (SRscMan* man = GetRscMan()) man->SetLoaded(0);
  }
  return 0;
}

int32_t SRsc::KillChildren(SProcArg arg) {
  status_ = kRscIdle;
  return SProc::KillChildren(arg);
}
