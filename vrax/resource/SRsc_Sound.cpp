#include "vrax/resource/SRsc_Sound.h"

#include <memory>
#include <new>

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
  directory_ = image_list::DirectoryOf(GetName());  // wave names are relative to the list
  listFile_.SetName(MakeFileName(GetName(), ".sr"));
  listFile_.Load();
  SetInitResult(0);
  return 0;
}

void SRsc_Sound_Ex::Fail(int line) {
  ReportOpenError(kSource, line);
  listFile_.FreeData();
  waveFile_.FreeData();
  step_ = -1;
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
    waveFile_.FreeData();
    waveFile_.SetName(directory_ + line_.name);
    waveFile_.Load();
    return Next::kQueued;
  }
  return Next::kEnd;
}

void SRsc_Sound_Ex::Finish() {
  listFile_.FreeData();
  SetStatus(kRscReady);
  step_ = 2;
}

int32_t SRsc_Sound_Ex::Main(SProcArg) {
  if (step_ == 0) {
    const int32_t st = listFile_.GetState();
    if (st == SFile::STATE_FAILED) {
      Fail(kLineList);
      return 0;
    }
    if (st != SFile::STATE_DONE) return 0;
    cursor_ = 0;  // the first line begins at the first byte
    const Next n = QueueLine();
    // A list without any line (an empty file) or with a damaged one fails.
    if (n == Next::kDamaged || (n == Next::kEnd && bank_.entries.empty())) {
      Fail(kLineList);
      return 0;
    }
    if (n == Next::kEnd) {
      Finish();
      return 0;
    }
    step_ = 1;
    return 0;
  }
  if (step_ != 1) return 0;
  const int32_t st = waveFile_.GetState();
  if (st == SFile::STATE_FAILED) {
    Fail(kLineWave);
    return 0;
  }
  if (st != SFile::STATE_DONE) return 0;
  const auto* wave = static_cast<const uint8_t*>(waveFile_.GetData());
  const int err = SSndMan::AddWave(&bank_, wave, wave ? waveFile_.GetSize() : 0, line_);
  waveFile_.FreeData();
  if (err != 0) {
    Fail(err);
    return 0;
  }
  const auto* data = static_cast<const uint8_t*>(listFile_.GetData());
  const size_t size = data ? listFile_.GetSize() : 0;
  cursor_ = SoundListNextLine(data, size, cursor_);
  const Next n = QueueLine();
  if (n == Next::kDamaged) Fail(kLineList);
  if (n == Next::kEnd) Finish();
  return 0;
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
