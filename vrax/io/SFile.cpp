#include "vrax/io/SFile.h"

#include "vrax/io/SIOMan.h"
#include "vrax/io/SysUtil.h"

namespace {
const char kSource[] = "Vrax\\Io\\SFile";
}

SFile::~SFile() {
  if (Pending()) Detach();
}

void SFile::SetData(void* data, uint32_t capacity) {
  data_ = data;
  capacity_ = data != nullptr ? capacity : 0;
}

const std::string& SFile::SetPathName() {
  SIOMan* io = SIOMan::GetInstance();
  pathName_ = io != nullptr ? io->DataPath() + name_ : name_;
  return pathName_;
}

int64_t SFile::GetFileSize() { return FileSize(SetPathName()); }

int32_t SFile::Load() {
  if (state_ >= STATE_QUEUED) {
    state_ = STATE_FAILED;
    FatalError("%s(%d) : %s\n", kSource, 42, SIOMan::Message(4));
    return -5;
  }
  SIOMan* io = SIOMan::GetInstance();
  if (name_.empty() || io == nullptr) {
    state_ = STATE_FAILED;
    FatalError("%s(%d) : %s\n", kSource, 48, SIOMan::Message(0));
    return -1;
  }
  io->Queue(this);
  return 0;
}

int32_t SFile::Save() {
  if (name_.empty()) {
    state_ = STATE_FAILED;
    FatalError("%s(%d) : %s\n", kSource, 62, SIOMan::Message(0));
    return -1;
  }
  if (data_ == nullptr && size_ != 0) {
    state_ = STATE_FAILED;
    FatalError("%s(%d) : %s\n", kSource, 76, SIOMan::Message(3));
    return -1;
  }
  const plat::SaveResult saved = FileSave(SetPathName(), data_, size_);
  if (!saved) {
    // A file that could not be made is an open error; one that could not
    // be written or put in place, a write error.
    state_ = STATE_FAILED;
    if (saved.created)
      FatalError("%s(%d) : %s\n", kSource, 76, SIOMan::Message(3));
    else
      FatalError("%s(%d) : %s\n", kSource, 70, SIOMan::Message(0));
    return -1;
  }
  return 0;
}

void SFile::Flush() {
  if (SIOMan* io = SIOMan::GetInstance()) io->Flush(true);
}

void SFile::Cancel() {
  if (SIOMan* io = SIOMan::GetInstance()) {
    io->Cancel(this);
  } else {
    Detach();
    DropPending();
  }
}

void SFile::DropOwned() {
  if (data_ != nullptr && data_ == owned_.get()) {
    data_ = nullptr;
    capacity_ = 0;
  }
  owned_.reset();
  ownedCharge_.Release();
}

void SFile::FreeData() {
  DropOwned();
  data_ = nullptr;
  capacity_ = 0;
}

bool SFile::Reject() {
  if (SIOMan* io = SIOMan::GetInstance()) io->CacheReject(name_);
  return fromArchive_;
}
