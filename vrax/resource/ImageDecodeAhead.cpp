#include "vrax/resource/ImageDecodeAhead.h"

#include <chrono>
#include <cstring>
#include <new>
#include <system_error>
#include <utility>

#include "platform/image_decode.h"

bool ImageDecodeAhead::Start(std::vector<Bytes> files, const std::vector<uint64_t>& maxBytes) {
  Stop();
  bool any = false;
  for (const auto& f : files) any = any || !f.empty();
  if (!any) return false;
  try {
    auto shared = std::make_shared<Shared>();
    shared->files = std::vector<File>(files.size());
    for (size_t i = 0; i < files.size(); ++i) {
      File& f = shared->files[i];
      f.bytes = std::move(files[i]);
      f.maxBytes = i < maxBytes.size() ? maxBytes[i] : plat::kMaxImagePixels * 4;
      if (f.bytes.empty()) continue;
      f.result = f.promise.get_future();
      f.state.store(kQueued, std::memory_order_relaxed);
    }
    // The worker owns the bytes through the shared state: the loader may be
    // disposed while it runs (Stop then waits for the file in progress).
    worker_ = std::async(std::launch::async, [shared] {
      for (File& f : shared->files) {
        if (shared->stop.load(std::memory_order_relaxed)) return;
        uint8_t queued = kQueued;
        if (!f.state.compare_exchange_strong(queued, kDecoding, std::memory_order_acquire)) continue;
        Decoded d;
        try {
          d.ok = plat::DecodeImage(f.bytes.data(), f.bytes.size(), &d.image, nullptr, f.maxBytes);
        } catch (const std::bad_alloc&) {
          d = Decoded{};
        }
        f.promise.set_value(std::move(d));
        f.state.store(kDone, std::memory_order_release);
      }
    });
    shared_ = std::move(shared);
  } catch (const std::system_error&) {
    return false;
  } catch (const std::bad_alloc&) {
    return false;
  }
  return true;
}

ImageDecodeAhead::Result ImageDecodeAhead::Take(size_t i, const void* data, size_t size, plat::Image* out) {
  if (!shared_ || i >= shared_->files.size()) return Result::kNone;
  File& f = shared_->files[i];
  if (!f.result.valid()) return Result::kNone;
  // Only the very bytes the loader read: anything else is decoded there.
  if (f.bytes.size() != size || (size != 0 && std::memcmp(f.bytes.data(), data, size) != 0)) {
    return Result::kNone;
  }
  Decoded d = f.result.get();
  if (!d.ok) return Result::kDamaged;
  *out = std::move(d.image);
  return Result::kDecoded;
}

size_t ImageDecodeAhead::Drop(size_t i) {
  if (!shared_ || i >= shared_->files.size()) return 0;
  File& f = shared_->files[i];
  uint8_t queued = kQueued;
  if (!f.state.compare_exchange_strong(queued, kDropped, std::memory_order_acquire) && queued == kDecoding &&
      f.result.valid()) {
    // The worker's until its decode is done: the bytes are free once the
    // result is set (a result taken was set).
    f.result.wait();
  }
  // A decode done and not taken is freed with its picture.
  if (f.result.valid() && f.result.wait_for(std::chrono::seconds(0)) == std::future_status::ready) f.result.get();
  f.result = {};
  f.state.store(kDropped, std::memory_order_relaxed);
  const size_t bytes = f.bytes.size();
  Bytes().swap(f.bytes);
  return bytes;
}

void ImageDecodeAhead::Stop() {
  if (shared_) shared_->stop.store(true, std::memory_order_relaxed);
  if (worker_.valid()) worker_.wait();
  worker_ = {};
  shared_.reset();
}
