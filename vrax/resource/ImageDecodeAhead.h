#pragma once
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <future>
#include <memory>
#include <new>
#include <utility>
#include <vector>

#include "platform/gfx_device.h"

// Decodes the texture files of one image list on a worker thread, in load
// order, as soon as their bytes are known (from the I/O manager's cache), so
// that the frame in which the loader creates a texture only uploads it.
// The loader still creates each texture in the frame its file completes:
// Take waits for that file's decode when the worker is behind.
class ImageDecodeAhead {
 public:
  enum class Result { kNone, kDecoded, kDamaged };

  // Makes a file's bytes without filling them first: the cache's unpacker
  // writes every one, and a fill would touch each page of a large file twice.
  template <typename T>
  struct NoFill : std::allocator<T> {
    template <typename U>
    struct rebind {
      using other = NoFill<U>;
    };
    NoFill() = default;
    template <typename U>
    NoFill(const NoFill<U>&) noexcept {}
    template <typename U>
    void construct(U* p) noexcept {
      ::new (static_cast<void*>(p)) U;
    }
    template <typename U, typename... Args>
    void construct(U* p, Args&&... args) {
      ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
    }
  };
  using Bytes = std::vector<uint8_t, NoFill<uint8_t>>;

  ImageDecodeAhead() = default;
  // Stops the worker and waits for it.
  ~ImageDecodeAhead() { Stop(); }
  ImageDecodeAhead(const ImageDecodeAhead&) = delete;
  ImageDecodeAhead& operator=(const ImageDecodeAhead&) = delete;

  // Starts decoding files[i] for every i whose bytes are not empty, each
  // into at most maxBytes[i] bytes of RGBA when maxBytes names it (a larger
  // picture is refused before it is made, and taken as damaged). False
  // (nothing started) when there is nothing to decode or no thread could be
  // started.
  bool Start(std::vector<Bytes> files, const std::vector<uint64_t>& maxBytes = {});
  // The decode of file i when it was decoded ahead from exactly these bytes
  // (waits for it): kDecoded with *out the pixels, kDamaged when the bytes do
  // not decode. kNone when file i was not decoded ahead or its bytes differ:
  // the caller decodes them itself. Each file is taken once.
  Result Take(size_t i, const void* data, size_t size, plat::Image* out);
  // Frees file i's bytes, and its picture when it was decoded and not taken
  // (waits for a decode in progress); file i is then decoded by the caller.
  // The bytes freed, 0 when it held none.
  size_t Drop(size_t i);
  // Asks the worker to stop after the file it is decoding and waits for it;
  // drops every decode not yet taken.
  void Stop();

 private:
  struct Decoded {
    bool ok = false;
    plat::Image image;
  };
  // A file's bytes are the worker's from kQueued to kDone (it takes them by
  // moving kQueued to kDecoding), the frame thread's otherwise; a file
  // dropped while queued is never decoded.
  enum State : uint8_t { kQueued, kDecoding, kDone, kDropped };
  struct File {
    Bytes bytes;
    uint64_t maxBytes = 0;
    std::atomic<uint8_t> state{kDropped};
    std::promise<Decoded> promise;
    std::future<Decoded> result;
  };
  struct Shared {
    std::vector<File> files;
    std::atomic<bool> stop{false};
  };

  std::shared_ptr<Shared> shared_;
  std::future<void> worker_;
};
