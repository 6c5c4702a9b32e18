#include "platform/sound_mixer.h"

#include <cmath>

#include "platform/byte_order.h"

namespace plat {
namespace {

template <int Bits>
inline float Sample(const uint8_t* p) {
  if constexpr (Bits == 8) {
    return static_cast<float>((static_cast<int>(p[0]) - 128) * 256);
  } else {
    return static_cast<float>(static_cast<int16_t>(ReadLe16(p)));
  }
}

template <int Bits, int Channels>
void MixT(const uint8_t* data, uint32_t nFrames, bool looping, uint64_t& pos, uint64_t step,
          bool& playing, StereoGain gain, float* acc, uint32_t frames) {
  constexpr uint32_t kBlock = Bits / 8 * Channels;
  constexpr uint32_t kSampleBytes = Bits / 8;
  const uint64_t end = static_cast<uint64_t>(nFrames) << 32;
  const float gl = gain.left;
  const float gr = gain.right;
  for (uint32_t k = 0; k < frames; ++k) {
    const uint32_t i = static_cast<uint32_t>(pos >> 32);
    uint32_t j = i + 1;
    if (j >= nFrames) j = looping ? 0 : i;
    const float f = static_cast<float>(static_cast<uint32_t>(pos)) * (1.0f / 4294967296.0f);
    const uint8_t* a = data + static_cast<size_t>(i) * kBlock;
    const uint8_t* b = data + static_cast<size_t>(j) * kBlock;
    if constexpr (Channels == 1) {
      const float s0 = Sample<Bits>(a);
      const float v = s0 + (Sample<Bits>(b) - s0) * f;
      acc[2 * k] += v * gl;
      acc[2 * k + 1] += v * gr;
    } else {
      const float l0 = Sample<Bits>(a);
      const float r0 = Sample<Bits>(a + kSampleBytes);
      const float l = l0 + (Sample<Bits>(b) - l0) * f;
      const float r = r0 + (Sample<Bits>(b + kSampleBytes) - r0) * f;
      acc[2 * k] += l * gl;
      acc[2 * k + 1] += r * gr;
    }
    pos += step;
    if (pos >= end) {
      if (looping) {
        pos %= end;
      } else {
        playing = false;
        pos = 0;
        return;
      }
    }
  }
}

}  // namespace

void SoundMixer::MixVoice(SoundBuffer& b, float* acc, uint32_t frames) {
  if (!b.playing_ || b.frames_ == 0) return;
  const uint8_t* d = b.data_->data();
  const int kind = b.format_.bitsPerSample * 10 + b.format_.channels;
  switch (kind) {
    case 81:
      MixT<8, 1>(d, b.frames_, b.looping_, b.pos_, b.step_, b.playing_, b.gain_, acc, frames);
      break;
    case 82:
      MixT<8, 2>(d, b.frames_, b.looping_, b.pos_, b.step_, b.playing_, b.gain_, acc, frames);
      break;
    case 161:
      MixT<16, 1>(d, b.frames_, b.looping_, b.pos_, b.step_, b.playing_, b.gain_, acc, frames);
      break;
    case 162:
      MixT<16, 2>(d, b.frames_, b.looping_, b.pos_, b.step_, b.playing_, b.gain_, acc, frames);
      break;
    default:
      b.playing_ = false;  // never created with another layout
      break;
  }
}

void SoundMixer::ToPcm16(const float* acc, int16_t* out, uint32_t frames) {
  for (uint32_t k = 0; k < frames * kMixChannels; ++k) {
    float v = acc[k];
    if (v > 32767.0f) v = 32767.0f;
    if (v < -32768.0f) v = -32768.0f;
    out[k] = static_cast<int16_t>(std::lrint(v));
  }
}

}  // namespace plat
