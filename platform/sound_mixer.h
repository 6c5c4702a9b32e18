#pragma once
#include <cstdint>

#include "platform/sound_device.h"

// The software mixer behind the sound device: resamples one buffer (linear
// interpolation) into a float accumulator of interleaved stereo frames.
namespace plat {

struct SoundMixer {
  // Adds frames of the playing buffer into acc (2 floats per output frame),
  // advancing its position; a one-shot buffer that reaches its end stops
  // with its position back at 0. Does nothing for a stopped buffer.
  static void MixVoice(SoundBuffer& buffer, float* acc, uint32_t frames);
  // Converts the accumulator to 16-bit samples, clamped.
  static void ToPcm16(const float* acc, int16_t* out, uint32_t frames);
};

}  // namespace plat
