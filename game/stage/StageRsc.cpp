#include "game/stage/StageRsc.h"

#include <new>
#include <stdexcept>

#include "vrax/io/SysUtil.h"

int32_t StageRsc::Init(SProcArg) {
  Release();
  Budget().Release();
  step_ = 0;
  file_.SetName(MakeFileName(GetName(), extension_));
  file_.Load();
  SetInitResult(0);
  return 0;
}

int32_t StageRsc::Main(SProcArg) {
  if (step_ == 1 && readyNextFrame_) {
    SetStatus(kRscReady);
    step_ = 2;
    return 0;
  }
  if (step_ != 0) return 0;
  const int32_t state = file_.GetState();
  if (state == SFile::STATE_QUEUED || state == SFile::STATE_READING) return 0;
  // Idle here means the read was never queued: as failed as a read error.
  bool ok = state == SFile::STATE_DONE;
  // Memory running out while the tables are made fails the resource as
  // damaged data does.
  try {
    if (ok && !Parse(static_cast<const uint8_t*>(file_.GetData()), file_.GetSize())) {
      ok = false;
      file_.Reject();
    }
  } catch (const std::bad_alloc&) {
    ok = false;
  } catch (const std::length_error&) {
    ok = false;
  }
  file_.FreeData();
  if (!ok) {
    Release();
    Budget().Release();
    ReportOpenError(source_, __LINE__);
    step_ = -1;
    return 0;
  }
  step_ = 1;
  if (!readyNextFrame_) SetStatus(kRscReady);
  return 0;
}

int32_t StageRsc::OnDispose(SProcArg) {
  Release();
  file_.FreeData();
  SetStatus(kRscIdle);
  return 0;
}
