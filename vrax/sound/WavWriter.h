#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "vrax/sound/SoundList.h"

// Writers for the sound data the engine reads: RIFF WAVE files ("fmt " chunk
// first, then "data") and sound lists (".sr"). The stand-in data generator
// and the tests build sound banks with them.

// A PCM wave file: 8-bit samples are unsigned, 16-bit signed little endian;
// samples hold whole frames, interleaved left, right for stereo.
std::vector<uint8_t> MakeWaveFile(uint16_t channels, uint32_t sampleRate, uint16_t bitsPerSample,
                                  const std::vector<uint8_t>& samples);
// The same from 16-bit values (bitsPerSample 16).
std::vector<uint8_t> MakeWaveFile16(uint16_t channels, uint32_t sampleRate,
                                    const std::vector<int16_t>& samples);

// The text of a sound list, one line per sound, lines ended by "\r\n"; a
// line with an empty name is written as one blank (an empty sound).
std::string MakeSoundList(const std::vector<SoundListLine>& lines);
