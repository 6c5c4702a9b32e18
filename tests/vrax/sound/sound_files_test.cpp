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

// A wave file written by hand: "RIFF", the size of what follows, "WAVE",
// then each chunk as its id, its size (little-endian) and its bytes, with a
// pad byte (0) after a chunk of odd size unless `padded` is false.
struct HandChunk {
  std::string id;
  std::vector<uint8_t> bytes;
  bool padded = true;
  uint32_t size = UINT32_MAX;  // the size written: the bytes' own when UINT32_MAX
};

std::vector<uint8_t> HandWave(const std::vector<HandChunk>& chunks) {
  std::vector<uint8_t> body = {'W', 'A', 'V', 'E'};
  for (const HandChunk& c : chunks) {
    body.insert(body.end(), c.id.begin(), c.id.end());
    const uint32_t size = c.size == UINT32_MAX ? uint32_t(c.bytes.size()) : c.size;
    for (int i = 0; i < 4; ++i) body.push_back(uint8_t(size >> (8 * i)));
    body.insert(body.end(), c.bytes.begin(), c.bytes.end());
    if (c.padded && c.bytes.size() % 2 == 1) body.push_back(0);
  }
  std::vector<uint8_t> file = {'R', 'I', 'F', 'F'};
  for (int i = 0; i < 4; ++i) file.push_back(uint8_t(body.size() >> (8 * i)));
  file.insert(file.end(), body.begin(), body.end());
  return file;
}

// The format fields of 8-bit mono at 8,000 Hz: tag 1, channels 1, rate
// 8000 (0x1F40), bytes a second 8000, block 1, bits 8; `extra` bytes more.
HandChunk Fmt8Mono(size_t extra = 0) {
  HandChunk c{"fmt ", {1, 0, 1, 0, 0x40, 0x1F, 0, 0, 0x40, 0x1F, 0, 0, 1, 0, 8, 0}};
  c.bytes.resize(16 + extra, 0);
  return c;
}

HandChunk Filler(const char* id, size_t bytes) { return HandChunk{id, std::vector<uint8_t>(bytes, 0x5A)}; }

// Chunks as the RIFF format has them: in any order before "fmt ", a pad
// byte after each chunk of odd size, "data" after "fmt ". Where the samples
// begin is worked by hand from the chunks before them (12 bytes of "RIFF",
// its size and "WAVE", then 8 for each chunk's id and size, its bytes and
// its pad byte).
TEST(WaveFile, ChunksAreReadAsRiffLaysThemOut) {
  const HandChunk samples{"data", {1, 2, 3, 4, 5, 6}};
  const HandChunk odd{"data", {1, 2, 3, 4, 5}};
  HandChunk unpaddedList = Filler("LIST", 13);
  unpaddedList.padded = false;
  HandChunk unpaddedData = odd;
  unpaddedData.padded = false;
  std::vector<HandChunk> sevenUnpadded = {Fmt8Mono()};
  for (int i = 0; i < 7; ++i) {
    sevenUnpadded.push_back(Filler(i % 2 ? "LIST" : "bext", 5));
    sevenUnpadded.back().padded = false;
  }
  sevenUnpadded.push_back(samples);
  // No chunk name begins with a blank: after the unpadded LIST the blank is
  // taken for its pad byte, and the chunk is read one byte on, as "abc" and the
  // first byte of its size, its size then 0x5A000000 (its last three size
  // bytes and its first byte): past the file, so no samples are found.
  const HandChunk blankName{" abc", {0x5A, 0x5A, 0x5A, 0x5A}};
  HandChunk shortList = Filler("LIST", 13);
  shortList.size = 12;
  std::vector<HandChunk> manyBefore;
  for (int i = 0; i < 1000; ++i) manyBefore.push_back(Filler("JUNK", 1));
  manyBefore.push_back(Fmt8Mono());
  manyBefore.push_back(samples);
  struct Row {
    const char* what;
    std::vector<uint8_t> file;
    WaveError error;
    uint32_t offset, bytes;  // where the samples are, when read
  };
  const std::vector<Row> rows = {
      {"fmt first", HandWave({Fmt8Mono(), samples}), WaveError::kNone, 44, 6},
      {"an odd LIST between", HandWave({Fmt8Mono(), Filler("LIST", 13), samples}), WaveError::kNone, 12 + 24 + 22 + 8, 6},
      {"an odd JUNK before", HandWave({Filler("JUNK", 5), Fmt8Mono(), samples}), WaveError::kNone, 12 + 14 + 24 + 8, 6},
      {"JUNK of 28 before", HandWave({Filler("JUNK", 28), Fmt8Mono(), samples}), WaveError::kNone, 12 + 36 + 24 + 8, 6},
      {"an odd LIST before", HandWave({Filler("LIST", 13), Fmt8Mono(), samples}), WaveError::kNone, 12 + 22 + 24 + 8, 6},
      {"odd chunks before and between",
       HandWave({Filler("JUNK", 3), Fmt8Mono(), Filler("LIST", 13), Filler("fact", 4), samples}), WaveError::kNone,
       12 + 12 + 24 + 22 + 12 + 8, 6},
      {"fmt of 18 bytes", HandWave({Fmt8Mono(2), samples}), WaveError::kNone, 12 + 26 + 8, 6},
      {"fmt of 19 bytes", HandWave({Fmt8Mono(3), samples}), WaveError::kNone, 12 + 28 + 8, 6},
      {"1,000 odd chunks before fmt", HandWave(manyBefore), WaveError::kNone, 12 + 1000 * 10 + 24 + 8, 6},
      {"odd samples, their pad byte missing at the end", HandWave({Fmt8Mono(), unpaddedData}), WaveError::kNone, 44, 5},
      {"odd samples, padded, a LIST after", HandWave({Fmt8Mono(), odd, Filler("LIST", 3)}), WaveError::kNone, 44, 5},
      {"data before fmt", HandWave({samples, Fmt8Mono()}), WaveError::kHeader, 0, 0},
      {"data after JUNK, no fmt", HandWave({Filler("JUNK", 4), samples}), WaveError::kHeader, 0, 0},
      {"no chunks", HandWave({}), WaveError::kHeader, 0, 0},
      // Without its pad byte the LIST puts "data" one byte before where the
      // pad would put it: read there, as a chunk's name stands there.
      {"an odd LIST without its pad", HandWave({Fmt8Mono(), unpaddedList, samples}), WaveError::kNone,
       12 + 24 + 21 + 8, 6},
      {"seven odd chunks without their pads between", HandWave(sevenUnpadded), WaveError::kNone,
       12 + 24 + 7 * 13 + 8, 6},
      // A size one short puts the walk on the LIST's last byte, then into
      // the samples.
      {"a LIST whose size is one short", HandWave({Fmt8Mono(), shortList, samples}), WaveError::kNoData, 0, 0},
      {"a chunk named with a leading blank after an odd LIST without its pad",
       HandWave({Fmt8Mono(), unpaddedList, blankName, samples}), WaveError::kNoData, 0, 0},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    WaveInfo info;
    const WaveError got = ParseWave(r.file.data(), r.file.size(), &info);
    EXPECT_EQ(got, r.error);
    if (got != WaveError::kNone || r.error != WaveError::kNone) continue;
    EXPECT_EQ(std::vector<uint64_t>({info.formatTag, info.channels, info.sampleRate, info.bitsPerSample, info.blockSize,
                                     info.bytesPerSecond, info.dataOffset, info.dataSize}),
              std::vector<uint64_t>({1, 1, 8000, 8, 1, 8000, r.offset, r.bytes}));
    EXPECT_EQ(r.file[r.offset], 1);
    EXPECT_EQ(r.file[r.offset + r.bytes - 1], r.bytes);
  }
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
