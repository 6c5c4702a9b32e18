#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/crt_rand.h"
#include "vrax/sound/SoundList.h"
#include "vrax/sound/WavWriter.h"
#include "vrax/sound/WaveFile.h"

namespace {

std::vector<uint8_t> Bytes(const std::string& s) { return std::vector<uint8_t>(s.begin(), s.end()); }

// Every line of a list as the loader walks it; stops at the first bad line.
std::vector<SoundListLine> ReadAll(const std::vector<uint8_t>& d, bool* allGood = nullptr) {
  std::vector<SoundListLine> out;
  if (allGood) *allGood = true;
  size_t c = 0;
  while (c < d.size()) {
    SoundListLine l;
    if (!ReadSoundListLine(d.data(), d.size(), c, &l)) {
      if (allGood) *allGood = false;
      break;
    }
    out.push_back(l);
    c = SoundListNextLine(d.data(), d.size(), c);
  }
  return out;
}

TEST(SoundList, LinesNumbersAndSeparators) {
  // Any byte below 0x20 as a signed char ends a line, 0x80 and up included;
  // runs of them are one break; a blank-only line, and the empty text before
  // a break at the first byte, are lines of their own (empty sounds).
  const std::string text =
      "\r\nbgm01.wav 1000 1\r\n"
      "se00.wav\n\n\n"
      "se01.wav 500\r\n"
      "   \r\n"
      "se02.wav\xA0se03.wav  12   -7\t"
      "se04.wav 100x 5\r\n"
      "se05.wav -20 0";  // no final break: the data end closes the line
  auto lines = ReadAll(Bytes(text));
  ASSERT_EQ(lines.size(), 9u);
  // One number is static; "100x" is no second number; a present flag
  // streams whatever its value.
  const SoundListLine want[] = {{"", false, 0},         {"bgm01.wav", true, 1000}, {"se00.wav", false, 0},
                                {"se01.wav", false, 0}, {"", false, 0},            {"se02.wav", false, 0},
                                {"se03.wav", true, 12}, {"se04.wav", false, 0},    {"se05.wav", true, -20}};
  for (size_t i = 0; i < 9; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(lines[i].name, want[i].name);
    EXPECT_EQ(lines[i].streamed, want[i].streamed);
    if (want[i].streamed) { EXPECT_EQ(lines[i].loopStart, want[i].loopStart); }
  }
}

TEST(SoundList, WriterOutputReadsBack) {
  // An empty name (an empty sound) keeps its place.
  std::vector<SoundListLine> in = {
      {"", false, 0}, {"a.wav", false, 0}, {"", false, 0}, {"music\\b.wav", true, 44100}, {"c.wav", true, 0}};
  auto out = ReadAll(Bytes(MakeSoundList(in)));
  ASSERT_EQ(out.size(), 5u);
  for (size_t i = 0; i < 5; ++i) {
    EXPECT_EQ(out[i].name, in[i].name);
    EXPECT_EQ(out[i].streamed, in[i].streamed);
    if (in[i].streamed) {
      EXPECT_EQ(out[i].loopStart, in[i].loopStart);
    }
  }
  EXPECT_TRUE(ReadAll(Bytes("")).empty());
  EXPECT_EQ(ReadAll(Bytes("\r\n  \n")).size(), 2u);
}

TEST(SoundList, LongNamesFailAndReadsStayInsideTheData) {
  std::string name(255, 'n');
  // Exactly sized heap copies: a read past the end trips the address checker.
  std::vector<uint8_t> ok = Bytes(name);
  auto lines = ReadAll(ok);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].name.size(), 255u);
  bool good = true;
  lines = ReadAll(Bytes("a.wav\r\n" + name + "x 10 1"), &good);
  EXPECT_FALSE(good);
  EXPECT_EQ(lines.size(), 1u);
  lines = ReadAll(Bytes("x.wav 99999999999999999999 1"));
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].loopStart, 2147483647);
  lines = ReadAll(Bytes("x.wav -"));
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_FALSE(lines[0].streamed);
}

std::vector<uint8_t> Chunk(const char* tag, uint32_t size, size_t bodyBytes) {
  std::vector<uint8_t> c(tag, tag + 4);
  for (int i = 0; i < 4; ++i) c.push_back(static_cast<uint8_t>(size >> (8 * i)));
  c.resize(c.size() + bodyBytes, 0x33);
  return c;
}

// A wave file with extra chunks between "fmt " and "data".
std::vector<uint8_t> WaveWithChunksBefore(int extra, uint32_t dataBytes) {
  std::vector<uint8_t> w = MakeWaveFile(1, 22050, 16, std::vector<uint8_t>(dataBytes, 1));
  std::vector<uint8_t> head(w.begin(), w.begin() + 36);
  std::vector<uint8_t> tail(w.begin() + 36, w.end());
  for (int i = 0; i < extra; ++i) {
    auto c = Chunk(i % 2 ? "LIST" : "fact", 6, 6);
    head.insert(head.end(), c.begin(), c.end());
  }
  head.insert(head.end(), tail.begin(), tail.end());
  return head;
}

TEST(WaveFile, ReadsWhatTheWriterWrites) {
  std::vector<uint8_t> samples(400);
  for (size_t i = 0; i < samples.size(); ++i) samples[i] = static_cast<uint8_t>(i);
  auto w = MakeWaveFile(2, 11025, 8, samples);
  WaveInfo info;
  ASSERT_EQ(ParseWave(w.data(), w.size(), &info), WaveError::kNone);
  EXPECT_EQ(std::vector<uint64_t>({info.formatTag, info.channels, info.sampleRate, info.bitsPerSample, info.blockSize,
                                   info.bytesPerSecond, info.dataOffset, info.dataSize}),
            std::vector<uint64_t>({1, 2, 11025, 8, 2, 22050, 44, 400}));
  EXPECT_EQ(std::memcmp(w.data() + info.dataOffset, samples.data(), 400), 0);
  // Byte layout of the header.
  EXPECT_EQ(std::string(w.begin(), w.begin() + 4), "RIFF");
  EXPECT_EQ(w[4] | (w[5] << 8), 36 + 400);
  EXPECT_EQ(std::string(w.begin() + 36, w.begin() + 40), "data");
  // Odd sample counts get a pad byte outside the data chunk.
  auto odd = MakeWaveFile(1, 8000, 8, std::vector<uint8_t>(5, 9));
  EXPECT_EQ(odd.size(), 44u + 6u);
  ASSERT_EQ(ParseWave(odd.data(), odd.size(), &info), WaveError::kNone);
  EXPECT_EQ(info.dataSize, 5u);
}

TEST(WaveFile, DataChunkIsSearchedAmongEightChunks) {
  WaveInfo info;
  // "data" as the eighth chunk after "fmt " is found, as the ninth not.
  auto eighth = WaveWithChunksBefore(7, 64), ninth = WaveWithChunksBefore(8, 64);
  EXPECT_EQ(ParseWave(eighth.data(), eighth.size(), &info), WaveError::kNone);
  EXPECT_EQ(info.dataSize, 64u);
  EXPECT_EQ(ParseWave(ninth.data(), ninth.size(), &info), WaveError::kNoData);
}

TEST(WaveFile, DamagedHeadersAndSizesFail) {
  auto good = MakeWaveFile16(2, 22050, std::vector<int16_t>(100, 5));
  WaveInfo info;
  // Byte 16 = 12: a format chunk too small for the fields read.
  for (auto [at, value] : {std::pair<size_t, uint8_t>{0, 'X'}, {9, 'X'}, {14, 'X'}, {16, 12}}) {
    auto bad = good;
    bad[at] = value;
    EXPECT_EQ(ParseWave(bad.data(), bad.size(), &info), WaveError::kHeader) << at;
  }
  for (size_t n = 0; n < 48; ++n) {
    std::vector<uint8_t> cut(good.begin(), good.begin() + n);
    EXPECT_EQ(ParseWave(cut.data(), cut.size(), &info), n < 36 ? WaveError::kHeader : WaveError::kNoData) << n;
  }
  // A format size that points past the file.
  auto bad = good;
  bad[16] = bad[17] = bad[18] = bad[19] = 0xFF;
  EXPECT_EQ(ParseWave(bad.data(), bad.size(), &info), WaveError::kNoData);
  // A data size larger than the file: the file was cut short. Whole, the
  // 200 sample bytes (100 samples, 50 stereo frames) follow the 44-byte head.
  ASSERT_EQ(good.size(), 44u + 200u);
  for (size_t n : {44u + 103u, 44u + 199u}) {
    std::vector<uint8_t> cut(good.begin(), good.begin() + n);
    EXPECT_EQ(ParseWave(cut.data(), cut.size(), &info), WaveError::kNoData) << n;
  }
  ASSERT_EQ(ParseWave(good.data(), good.size(), &info), WaveError::kNone);
  EXPECT_EQ(info.dataSize, 200u);
  // A chunk size that would wrap a 32-bit offset.
  auto wrap = WaveWithChunksBefore(1, 64);
  wrap[40] = wrap[41] = wrap[42] = wrap[43] = 0xFF;
  EXPECT_EQ(ParseWave(wrap.data(), wrap.size(), &info), WaveError::kNoData);
}

}  // namespace
