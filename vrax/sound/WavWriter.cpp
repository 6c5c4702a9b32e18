#include "vrax/sound/WavWriter.h"

#include "platform/byte_order.h"

namespace {

void PutTag(std::vector<uint8_t>& v, const char* tag) {
  for (int i = 0; i < 4; ++i) v.push_back(static_cast<uint8_t>(tag[i]));
}

}  // namespace

std::vector<uint8_t> MakeWaveFile(uint16_t channels, uint32_t sampleRate, uint16_t bitsPerSample,
                                  const std::vector<uint8_t>& samples) {
  const uint16_t block = static_cast<uint16_t>(channels * bitsPerSample / 8);
  const uint32_t dataBytes = static_cast<uint32_t>(samples.size());
  const uint32_t pad = dataBytes & 1;  // chunks keep an even length
  std::vector<uint8_t> v;
  v.reserve(44 + samples.size() + pad);
  PutTag(v, "RIFF");
  plat::AppendLe32(v, 36 + dataBytes + pad);
  PutTag(v, "WAVE");
  PutTag(v, "fmt ");
  plat::AppendLe32(v, 16);
  plat::AppendLe16(v, 1);  // PCM
  plat::AppendLe16(v, channels);
  plat::AppendLe32(v, sampleRate);
  plat::AppendLe32(v, block * sampleRate);
  plat::AppendLe16(v, block);
  plat::AppendLe16(v, bitsPerSample);
  PutTag(v, "data");
  plat::AppendLe32(v, dataBytes);
  v.insert(v.end(), samples.begin(), samples.end());
  if (pad) v.push_back(0);
  return v;
}

std::vector<uint8_t> MakeWaveFile16(uint16_t channels, uint32_t sampleRate,
                                    const std::vector<int16_t>& samples) {
  std::vector<uint8_t> bytes;
  bytes.reserve(samples.size() * 2);
  for (int16_t s : samples) plat::AppendLe16(bytes, static_cast<uint16_t>(s));
  return MakeWaveFile(channels, sampleRate, 16, bytes);
}

std::string MakeSoundList(const std::vector<SoundListLine>& lines) {
  std::string text;
  for (const SoundListLine& l : lines) {
    // An empty sound is a line of one blank: an empty line would merge into
    // the break before it and renumber the lines after it.
    text += l.name.empty() ? std::string(" ") : l.name;
    if (l.streamed) {
      text += ' ';
      text += std::to_string(l.loopStart);
      text += " 1";
    }
    text += "\r\n";
  }
  return text;
}
