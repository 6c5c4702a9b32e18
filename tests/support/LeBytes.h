#pragma once
// A file laid out by hand, word by word, as a format describes it: little-
// endian 32-bit words and floats appended in file order, and words patched
// at an offset (the buffer grows with zeros to reach it).
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <vector>

namespace testsupport {

struct LeBytes {
  std::vector<uint8_t> b;
  LeBytes& W(uint32_t v) {
    for (int i = 0; i < 4; ++i) b.push_back(uint8_t(v >> (8 * i)));
    return *this;
  }
  LeBytes& F(float f) {
    uint32_t u;
    std::memcpy(&u, &f, 4);
    return W(u);
  }
  LeBytes& Floats(std::initializer_list<float> fs) {
    for (float f : fs) F(f);
    return *this;
  }
  LeBytes& Zeros(int words) {
    for (int i = 0; i < words; ++i) W(0);
    return *this;
  }
  void At(size_t at, uint32_t v) {
    if (b.size() < at + 4) b.resize(at + 4, 0);
    for (int i = 0; i < 4; ++i) b[at + i] = uint8_t(v >> (8 * i));
  }
};

}  // namespace testsupport
