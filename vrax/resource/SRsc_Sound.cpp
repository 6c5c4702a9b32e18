#include "vrax/resource/SRsc_Sound.h"

#include <memory>
#include <new>
#include <string>

#include "vrax/io/SysUtil.h"
#include "vrax/resource/ImageList.h"

namespace {

constexpr const char* kSource = "VRAX\\Resource\\Win\\SRsc_Sound_Ex";
constexpr int kLineList = 122;  // the list file failed, or a line of it is damaged
constexpr int kLineWave = 141;  // a wave file failed to read
constexpr int kLineFull = 128;  // lines past the bank's last sound are left out

SoundBank* BankOf(SRsc* r) {
  auto* s = dynamic_cast<SRsc_Sound*>(r);
  return s ? s->Bank() : nullptr;
}

}  // namespace

void SRsc_Sound::Play(int32_t n, int32_t volume, int32_t pan) { SSndMan::Play(&bank_, n, volume, pan); }
void SRsc_Sound::Stop(int32_t n) { SSndMan::Stop(&bank_, n); }

SRsc* SRsc_Sound_Ex::Create() { return new (std::nothrow) SRsc_Sound_Ex; }

SRsc_Sound_Ex::~SRsc_Sound_Ex() { SSndMan::ReleaseBank(&bank_); }

int32_t SRsc_Sound_Ex::Init(SProcArg) {
  step_ = 0;
  cursor_ = 0;
  shareOf_ = -1;
  made_.clear();
  directory_ = image_list::DirectoryOf(GetName());  // wave names are relative to the list
  listFile_.SetName(MakeFileName(GetName(), ".sr"));
  listFile_.Load();
  SetInitResult(0);
  return 0;
}

// The loader stops for good, failed, before the line is shown: with memory
// gone even the report may not be made.
void SRsc_Sound_Ex::Fail(int line) {
  listFile_.FreeData();
  waveFile_.FreeData();
  made_.clear();
  step_ = -1;
  SetStatus(kRscFailed);
  ReportOpenError(kSource, line);
}

SRsc_Sound_Ex::Next SRsc_Sound_Ex::QueueLine() {
  const auto* data = static_cast<const uint8_t*>(listFile_.GetData());
  const size_t size = data ? listFile_.GetSize() : 0;
  for (; cursor_ < size; cursor_ = SoundListNextLine(data, size, cursor_)) {
    if (bank_.entries.size() >= kMaxSoundListLines) {
      ReportOpenError(kSource, kLineFull);
      return Next::kEnd;
    }
    if (!ReadSoundListLine(data, size, cursor_, &line_)) return Next::kDamaged;
    if (line_.name.empty()) {
      // A blank line keeps its sound number: an entry without a buffer.
      bank_.entries.push_back(std::make_unique<SoundBufferEntry>());
      continue;
    }
    for (const Made& m : made_) {
      if (m.streamed == line_.streamed && m.name == line_.name) {
        shareOf_ = m.index;
        return Next::kQueued;
      }
    }
    waveFile_.FreeData();
    waveFile_.SetName(directory_ + line_.name);
    waveFile_.Load();
    return Next::kQueued;
  }
  return Next::kEnd;
}

void SRsc_Sound_Ex::Finish() {
  listFile_.FreeData();
  made_.clear();
  SetStatus(kRscReady);
  step_ = 2;
}

int32_t SRsc_Sound_Ex::Main(SProcArg) {
  // Memory running out anywhere in a step fails the bank like a buffer that
  // could not be made; nothing leaves the loader.
  try {
    Step();
  } catch (const std::bad_alloc&) {
    try {
      Fail(step_ == 0 ? kLineList : kSoundErrorCreate);
    } catch (const std::bad_alloc&) {
      // Failed without its line.
    }
  }
  return 0;
}

void SRsc_Sound_Ex::Step() {
  if (step_ == 0) {
    const int32_t st = listFile_.GetState();
    if (st == SFile::STATE_FAILED) {
      Fail(kLineList);
      return;
    }
    if (st != SFile::STATE_DONE) return;
    cursor_ = 0;  // the first line begins at the first byte
    const Next n = QueueLine();
    // A list without any line (an empty file) or with a damaged one fails.
    if (n == Next::kDamaged || (n == Next::kEnd && bank_.entries.empty())) {
      listFile_.Reject();
      Fail(kLineList);
      return;
    }
    if (n == Next::kEnd) {
      Finish();
      return;
    }
    step_ = 1;
    return;
  }
  if (step_ != 1) return;
  int err = 0;
  if (shareOf_ >= 0) {
    err = SSndMan::AddShared(&bank_, shareOf_, line_, &Budget());
    shareOf_ = -1;
  } else {
    const int32_t st = waveFile_.GetState();
    if (st == SFile::STATE_FAILED) {
      Fail(kLineWave);
      return;
    }
    if (st != SFile::STATE_DONE) return;
    const auto* wave = static_cast<const uint8_t*>(waveFile_.GetData());
    err = SSndMan::AddWave(&bank_, wave, wave ? waveFile_.GetSize() : 0, line_, &Budget());
    waveFile_.FreeData();
    // Not a usable wave; a cache archive's copy gives way to the tree's.
    if ((err == kSoundErrorHeader || err == kSoundErrorNoData) && waveFile_.Reject()) {
      waveFile_.Load();
      return;
    }
    if (err == 0) made_.push_back({line_.name, line_.streamed, static_cast<int32_t>(bank_.entries.size() - 1)});
  }
  if (err != 0) {
    Fail(err);
    return;
  }
  const auto* data = static_cast<const uint8_t*>(listFile_.GetData());
  const size_t size = data ? listFile_.GetSize() : 0;
  cursor_ = SoundListNextLine(data, size, cursor_);
  const Next n = QueueLine();
  if (n == Next::kDamaged) {
    listFile_.Reject();
    Fail(kLineList);
  }
  if (n == Next::kEnd) Finish();
}

int32_t SRsc_Sound_Ex::OnDispose(SProcArg) {
  SSndMan::ReleaseBank(&bank_);
  listFile_.FreeData();
  waveFile_.FreeData();
  SetStatus(kRscIdle);
  return 0;
}

namespace SSndMan {

void Play(SRsc* sound, int32_t n, int32_t volume, int32_t pan) { Play(BankOf(sound), n, volume, pan); }
void Stop(SRsc* sound, int32_t n) { Stop(BankOf(sound), n); }
void StopAll(SRsc* sound) { StopAll(BankOf(sound)); }
void SetVolume(SRsc* sound, int32_t n, int32_t volume) { SetVolume(BankOf(sound), n, volume); }
int32_t Count(SRsc* sound) { return Count(BankOf(sound)); }

}  // namespace SSndMan
