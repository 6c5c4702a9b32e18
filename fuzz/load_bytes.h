#pragma once
// The most memory a load holds at once, counted from the sanitizer's own
// allocator (the bytes asked for, without its headers): every allocation
// adds its size, every free takes it back. The loaders' fuzz targets run a
// load with a budget and trap when it held more than the budget charged
// (and a few fixed-size blocks any load makes), so that a table made
// without its charge, or charged below what it takes, is found.
#include <sanitizer/allocator_interface.h>

#include <cstddef>
#include <cstdint>

namespace fuzzsupport {

class LoadBytes {
 public:
  // What a load may hold beyond its charges: small blocks of fixed size
  // (an error line's text, a sort's buffer of a few elements).
  static constexpr uint64_t kSlack = 4096;

  // Starts counting from nothing.
  static void Begin() {
    static const bool installed = __sanitizer_install_malloc_and_free_hooks(OnMalloc, OnFree) != 0;
    if (!installed) __builtin_trap();
    live_ = peak_ = 0;
    on_ = true;
  }
  // The most held at once since Begin (blocks made before it and freed
  // since count as nothing).
  static uint64_t End() {
    on_ = false;
    return peak_;
  }

 private:
  static void OnMalloc(const volatile void*, size_t size) {
    if (!on_) return;
    live_ += int64_t(size);
    if (live_ > 0 && uint64_t(live_) > peak_) peak_ = uint64_t(live_);
  }
  static void OnFree(const volatile void* p) {
    if (on_ && p != nullptr) live_ -= int64_t(__sanitizer_get_allocated_size(const_cast<const void*>(p)));
  }

  static inline int64_t live_ = 0;
  static inline uint64_t peak_ = 0;
  static inline bool on_ = false;
};

}  // namespace fuzzsupport
