#include "vrax/resource/ImageDecodeAhead.h"

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
    shared->files.resize(files.size());
    for (size_t i = 0; i < files.size(); ++i) {
      File& f = shared->files[i];
      f.bytes = std::move(files[i]);
      f.maxBytes = i < maxBytes.size() ? maxBytes[i] : plat::kMaxImagePixels * 4;
      if (!f.bytes.empty()) f.result = f.promise.get_future();
    }
    // The worker owns the bytes through the shared state: the loader may be
    // disposed while it runs (Stop then waits for the file in progress).
    worker_ = std::async(std::launch::async, [shared] {
      for (File& f : shared->files) {
        if (shared->stop.load(std::memory_order_relaxed)) return;
        if (f.bytes.empty()) continue;
        Decoded d;
        try {
          d.ok = plat::DecodeImage(f.bytes.data(), f.bytes.size(), &d.image, nullptr, f.maxBytes);
        } catch (const std::bad_alloc&) {
          d = Decoded{};
        }
        f.promise.set_value(std::move(d));
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

void ImageDecodeAhead::Stop() {
  if (shared_) shared_->stop.store(true, std::memory_order_relaxed);
  if (worker_.valid()) worker_.wait();
  worker_ = {};
  shared_.reset();
}
