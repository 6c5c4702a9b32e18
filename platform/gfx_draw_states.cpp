#include "platform/gfx_draw_states.h"

#define GL_GLEXT_PROTOTYPES 1
#include <GL/gl.h>
#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <memory>

#include "platform/byte_order.h"
#include "platform/file_io.h"
#include "platform/gfx_device.h"
#include "platform/thread.h"

namespace plat {

namespace {

constexpr char kMagic[4] = {'O', 'S', 'D', 'S'};
constexpr uint32_t kVersion = 1;
constexpr size_t kHeader = 12;
constexpr size_t kRecordBytes = size_t{kDrawStateWords} * 4;

// The record's words in file order.
std::array<int32_t, kDrawStateWords> Words(const DrawStateKey& k) {
  std::array<int32_t, kDrawStateWords> w{};
  size_t i = 0;
  w[i++] = k.fvf;
  for (int32_t m : k.modes) w[i++] = m;
  for (int32_t v : {k.depthTest, k.depthFunc, k.depthMask, k.blend, k.blendSrc, k.blendDst, k.cullFace, k.fill})
    w[i++] = v;
  for (const auto& s : k.sampler)
    for (int32_t v : s) w[i++] = v;
  return w;
}

DrawStateKey FromWords(const std::array<int32_t, kDrawStateWords>& w) {
  DrawStateKey k;
  size_t i = 0;
  k.fvf = w[i++];
  for (int32_t& m : k.modes) m = w[i++];
  for (int32_t* v : {&k.depthTest, &k.depthFunc, &k.depthMask, &k.blend, &k.blendSrc, &k.blendDst, &k.cullFace,
                     &k.fill})
    *v = w[i++];
  for (auto& s : k.sampler)
    for (int32_t& v : s) v = w[i++];
  return k;
}

bool In(int32_t v, std::initializer_list<int32_t> allowed) {
  return std::find(allowed.begin(), allowed.end(), v) != allowed.end();
}
bool Flag(int32_t v) { return v == 0 || v == 1; }
bool Range(int32_t v, int32_t hi) { return v >= 0 && v <= hi; }

// The values the GL device records, and nothing else: a record read from a
// file reaches GL calls and the shader source as it stands.
bool Valid(const DrawStateKey& k) {
  if (VertexStride(static_cast<uint32_t>(k.fvf)) == 0) return false;
  for (int i = 0; i <= 8; ++i)
    if (!Flag(k.modes[i])) return false;
  for (int st = 0; st < 2; ++st) {
    const int32_t* c = &k.modes[9 + st * 6];
    if (!Range(c[0], 31) || !Range(c[1], 63) || !Range(c[2], 63) || !Range(c[3], 31) || !Range(c[4], 63) ||
        !Range(c[5], 63))
      return false;
  }
  if (!Range(k.modes[21], 3) || !Range(k.modes[22], 15)) return false;
  if (!Flag(k.depthTest) || !Flag(k.depthMask) || !Flag(k.blend)) return false;
  if (k.depthTest ? !Range(k.depthFunc - GL_NEVER, GL_ALWAYS - GL_NEVER) : k.depthFunc != 0) return false;
  const auto factor = [](int32_t f) {
    return In(f, {GL_ZERO, GL_ONE, GL_SRC_COLOR, GL_ONE_MINUS_SRC_COLOR, GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA,
                  GL_DST_ALPHA, GL_ONE_MINUS_DST_ALPHA, GL_DST_COLOR, GL_ONE_MINUS_DST_COLOR});
  };
  if (k.blend ? !(factor(k.blendSrc) && factor(k.blendDst)) : (k.blendSrc != 0 || k.blendDst != 0)) return false;
  if (!In(k.cullFace, {0, GL_FRONT, GL_BACK}) || !In(k.fill, {GL_POINT, GL_LINE, GL_FILL})) return false;
  for (int st = 0; st < 2; ++st) {
    const auto& s = k.sampler[st];
    if (!k.modes[7 + st]) {
      if (std::any_of(s.begin(), s.end(), [](int32_t v) { return v != 0; })) return false;
      continue;
    }
    const auto filter = [](int32_t f) { return In(f, {GL_NEAREST, GL_LINEAR}); };
    const auto wrap = [](int32_t w) { return In(w, {GL_REPEAT, GL_CLAMP_TO_EDGE, GL_MIRRORED_REPEAT}); };
    if (!filter(s[0]) || !filter(s[1]) || !wrap(s[2]) || !wrap(s[3]) || !Flag(s[4]) || !Flag(s[5])) return false;
  }
  return true;
}

uint32_t Crc(const uint8_t* data, size_t size) {
  return static_cast<uint32_t>(crc32(crc32(0L, Z_NULL, 0), data, static_cast<uInt>(size)));
}

}  // namespace

size_t DrawStateKeyHash::operator()(const DrawStateKey& k) const {
  size_t h = 1469598103934665603ull;
  for (int32_t v : Words(k)) h = (h ^ static_cast<uint32_t>(v)) * 1099511628211ull;
  return h;
}

std::vector<uint8_t> WriteDrawStates(const std::vector<DrawStateKey>& keys) {
  const size_t n = std::min(keys.size(), kMaxDrawStates);
  std::vector<uint8_t> out(kHeader + n * kRecordBytes + 4);
  std::memcpy(out.data(), kMagic, 4);
  WriteLe32(out.data() + 4, kVersion);
  WriteLe32(out.data() + 8, static_cast<uint32_t>(n));
  uint8_t* p = out.data() + kHeader;
  for (size_t r = 0; r < n; ++r)
    for (int32_t w : Words(keys[r])) {
      WriteLe32(p, static_cast<uint32_t>(w));
      p += 4;
    }
  WriteLe32(p, Crc(out.data(), out.size() - 4));
  return out;
}

bool ReadDrawStates(const uint8_t* data, size_t size, std::vector<DrawStateKey>* out) {
  out->clear();
  if (!data || size < kHeader + 4 || std::memcmp(data, kMagic, 4) != 0 || ReadLe32(data + 4) != kVersion)
    return false;
  const uint32_t n = ReadLe32(data + 8);
  if (n > kMaxDrawStates || size != kHeader + size_t{n} * kRecordBytes + 4) return false;
  if (ReadLe32(data + size - 4) != Crc(data, size - 4)) return false;
  out->reserve(n);
  const uint8_t* p = data + kHeader;
  for (uint32_t r = 0; r < n; ++r) {
    std::array<int32_t, kDrawStateWords> w;
    for (int32_t& v : w) {
      v = static_cast<int32_t>(ReadLe32(p));
      p += 4;
    }
    const DrawStateKey k = FromWords(w);
    if (!Valid(k)) {
      out->clear();
      return false;
    }
    out->push_back(k);
  }
  return true;
}

// ---------------------------------------------------------------- the store
DrawStateStore::DrawStateStore() = default;
DrawStateStore::~DrawStateStore() {
  if (saver_) saver_->Join();
}

int DrawStateStore::Open(GfxDevice* device, const std::string& path) {
  path_ = path;
  quiet_ = 0;
  dirty_ = false;
  if (!device) return 0;
  std::vector<uint8_t> bytes;
  int drawn = 0;
  const FileProblem problem = ReadFile(path, kDrawStateFileMax, &bytes, Links::kRefuse);
  if (problem == FileProblem::kNone) {
    drawn = device->WarmUpDrawStates(bytes.data(), bytes.size());
    // A damaged file is written anew at the next save.
    if (drawn < 0) drawn = 0, dirty_ = true;
  } else if (problem != FileProblem::kMissing) {
    dirty_ = true;
  }
  saved_ = lastCount_ = device->DrawStatesMet();
  return drawn;
}

void DrawStateStore::Frame(const GfxDevice* device) {
  if (path_.empty() || !device) return;
  const size_t n = device->DrawStatesMet();
  if (n != lastCount_) {
    lastCount_ = n;
    quiet_ = 0;
    return;
  }
  if (n == saved_ && !dirty_) return;
  if (quiet_ < kQuietFrames) {
    ++quiet_;
    return;
  }
  Save(device, false);
}

void DrawStateStore::Close(const GfxDevice* device) {
  if (!path_.empty() && device && (device->DrawStatesMet() != saved_ || dirty_)) Save(device, true);
  if (saver_) saver_->Join();
  path_.clear();
}

void DrawStateStore::Save(const GfxDevice* device, bool wait) {
  if (saver_ && saver_->IsRunning() && !wait) return;  // the next frame tries again
  if (!saver_) saver_ = std::make_unique<Thread>();
  saver_->Join();
  bytes_ = device->DrawStateFile();
  saved_ = device->DrawStatesMet();
  dirty_ = false;
  // The list only spares the driver work: a save that fails leaves the
  // start after it to compile in its frames, as with no file. The failure
  // is told once; the saves after it are tried as ever (a folder made in
  // the meantime takes them).
  const std::string path = path_;
  saver_->Start([this, path](Thread&) -> uint32_t {
    const SaveResult saved = ReplaceFile(path, bytes_.data(), bytes_.size());
    if (!saved && !toldFailure_.exchange(true))
      std::fprintf(stderr, "draw states not saved: %s\n", saved.why.c_str());
    return saved ? 0 : 1;
  });
  if (wait) saver_->Join();
}

}  // namespace plat
