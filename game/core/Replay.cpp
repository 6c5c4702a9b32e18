#include "game/core/Replay.h"

#include <cstdio>
#include <new>

#include "vrax/io/SIOMan.h"
#include "vrax/io/SLzCodec.h"
#include "vrax/io/SysUtil.h"

namespace {

constexpr const char* kSource = ".\\Game\\Replay";
constexpr int kLoadLine = 60;
constexpr int kSaveLine = 159;

}  // namespace

bool Replay::Decode(const uint8_t* file, size_t size, std::vector<uint8_t>* frames, LoadBudget* budget) {
  std::vector<uint8_t>().swap(*frames);
  SLzCodec::Header h;
  if (file == nullptr || size == 0 || SLzCodec::ReadHeader(file, size, &h) != 0) return false;
  const uint32_t n = h.unpackedSize;
  if (n > kMaxFrames) return false;
  if (budget != nullptr && !budget->Charge(n)) return false;
  frames->resize(n);
  if (SLzCodec::DecodeBlock(file, size, frames->data(), frames->size()) != 0) {
    std::vector<uint8_t>().swap(*frames);
    if (budget != nullptr) budget->GiveBack(n);
    return false;
  }
  return true;
}

std::vector<uint8_t> Replay::Encode(const std::vector<uint8_t>& frames) {
  SLzCodec codec;
  if (codec.Compress(frames.data(), static_cast<uint32_t>(frames.size()), 1) != 0) return {};
  const uint8_t* p = codec.GetPackedData();
  return p != nullptr ? std::vector<uint8_t>(p, p + codec.GetPackedSize()) : std::vector<uint8_t>{};
}

void Replay::Clear() {
  data_.clear();
  data_.shrink_to_fit();
  frames_.Release();
  path_.clear();
  mode_ = MODE_OFF;
  cursor_ = 0;
}

void Replay::Begin(int32_t mode, const char* name) {
  mode_ = MODE_OFF;
  cursor_ = 0;
  if (name == nullptr) return;
  const SIOMan* io = SIOMan::GetInstance();
  path_ = (io != nullptr ? io->DataPath() : std::string()) + name;
  if (mode == MODE_RECORD) {
    data_.clear();
    data_.shrink_to_fit();
    frames_.Release();
    mode_ = MODE_RECORD;
    return;
  }
  if (mode != MODE_PLAY) return;
  // Decode frees and gives back the frames of an earlier play first.
  bool ok = false;
  const int64_t size = FileSize(path_);
  if (size > 0 && size <= kMaxDataFileBytes) {
    // The file is held whole while its frames are decoded.
    LoadBudget held(uint64_t(kMaxDataFileBytes), &LoadedTotal());
    try {
      if (held.Charge(uint64_t(size))) {
        std::vector<uint8_t> file(static_cast<size_t>(size));
        if (FileReadAll(path_, file.data(), file.size()) == size) {
          frames_.Release();
          ok = Decode(file.data(), file.size(), &data_, &frames_);
        }
      }
    } catch (const std::bad_alloc&) {
      ok = false;
    }
  }
  if (!ok) {
    std::vector<uint8_t>().swap(data_);
    frames_.Release();
    FatalError("%s(%d) : %s\n", kSource, kLoadLine, "replay load error!");
    return;
  }
  mode_ = MODE_PLAY;
}

void Replay::Step(int32_t* c0, int32_t* c1, int32_t* c2, int32_t* c3, int32_t* c4, int32_t* c5, int32_t* c6,
                  int32_t* c7) {
  if (mode_ == MODE_OFF) return;
  int32_t* c[8] = {c0, c1, c2, c3, c4, c5, c6, c7};
  if (cursor_ == 0)
    for (int32_t* p : c)
      if (p != nullptr) *p = -1;
  if (mode_ == MODE_RECORD) {
    uint8_t byte = 0;
    for (int i = 0; i < 8; ++i)
      if (c[i] != nullptr && *c[i] >= 0) byte |= static_cast<uint8_t>(0x80u >> i);
    data_.push_back(byte);
  } else if (mode_ == MODE_PLAY && cursor_ >= 0 && static_cast<size_t>(cursor_) < data_.size()) {
    // Past the end of the recording the counters stay as they are.
    const uint8_t byte = data_[static_cast<size_t>(cursor_)];
    for (int i = 7; i >= 0; --i) {
      int32_t* p = c[i];
      if (p == nullptr) continue;
      if ((byte & (0x80u >> i)) != 0)
        *p = *p < 0 ? 0 : *p + 1;
      else
        *p = *p >= 0 ? -1 : *p - 1;
    }
  }
  if (cursor_ < INT32_MAX) ++cursor_;
}

void Replay::Save() {
  if (mode_ == MODE_RECORD && !data_.empty()) {
    const std::vector<uint8_t> file = Encode(data_);
    if (file.empty()) {
      FatalError("%s(%d) : %s\n", kSource, kSaveLine, "replay save error!");
    } else if (const plat::SaveResult r = FileSave(path_, file.data(), file.size()); !r.ok && r.created) {
      // Opened but not written whole. A file that does not open at all is
      // skipped without a word.
      FatalError("%s(%d) : %s\n", kSource, kSaveLine, "replay save error!");
    }
  }
  mode_ = MODE_OFF;
}
