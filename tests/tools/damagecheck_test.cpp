// The damages of the damaged-data check, byte by byte on small files laid
// out from their formats: where each kind keeps its counts, where a cut and
// a flip fall, and which damaged files must show an error line.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "support/LeBytes.h"
#include "tools/damagecheck/Damage.h"

namespace {

using damagecheck::Apply;
using damagecheck::Damage;
using Bytes = std::vector<uint8_t>;

Bytes Text(const std::string& s) { return Bytes(s.begin(), s.end()); }

// A four-letter chunk tag as the word that stores it.
uint32_t Tag(const char* t) {
  return uint32_t(uint8_t(t[0])) | uint32_t(uint8_t(t[1])) << 8 | uint32_t(uint8_t(t[2])) << 16 |
         uint32_t(uint8_t(t[3])) << 24;
}

// The u32 at `at`, little-endian.
uint32_t Word(const Bytes& b, size_t at) {
  return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 | uint32_t(b[at + 3]) << 24;
}

TEST(DamageCheck, CountsAreSetWhereEachFormatKeepsThem) {
  // A camera path: key count 2, two keys of seven floats.
  testsupport::LeBytes cam;
  cam.W(2);
  for (int i = 0; i < 14; ++i) cam.F(1.0f);
  const Bytes camCounts = Apply("cam", Damage::kCounts, cam.b);
  EXPECT_EQ(Word(camCounts, 0), 0xFFFFFFFFu);
  EXPECT_TRUE(std::equal(camCounts.begin() + 4, camCounts.end(), cam.b.begin() + 4));

  // A stage script: five section offsets (20, 32, 44, 56, 68), each section
  // head three words with the count third.
  testsupport::LeBytes stg;
  for (uint32_t off : {20u, 32u, 44u, 56u, 68u}) stg.W(off);
  for (int s = 0; s < 5; ++s) stg.W(0).W(0).W(0);
  const Bytes stgCounts = Apply("stg", Damage::kCounts, stg.b);
  for (size_t at = 0; at < stg.b.size(); at += 4) {
    const bool count = at == 28 || at == 40 || at == 52 || at == 64 || at == 76;
    EXPECT_EQ(Word(stgCounts, at), count ? 0xFFFFFFFFu : Word(stg.b, at)) << at;
  }

  // A wave: the RIFF size (4), the "fmt " size (16) and the "data" size (40).
  testsupport::LeBytes wav;
  wav.W(Tag("RIFF")).W(40).W(Tag("WAVE")).W(Tag("fmt ")).W(16);
  for (int i = 0; i < 4; ++i) wav.W(0x01020304);
  wav.W(Tag("data")).W(4).W(0);
  const Bytes wavCounts = Apply("wav", Damage::kCounts, wav.b);
  for (size_t at = 0; at < wav.b.size(); at += 4) {
    const bool count = at == 4 || at == 16 || at == 40;
    EXPECT_EQ(Word(wavCounts, at), count ? 0xFFFFFFFFu : Word(wav.b, at)) << at;
  }

  // A sound list: its first number.
  EXPECT_EQ(Apply("sr", Damage::kCounts, Text("a.wav 0 1\r\nb.wav\r\n")), Text("a.wav 4294967295 1\r\nb.wav\r\n"));
  // Lists of names have no count.
  EXPECT_FALSE(damagecheck::Applies("tr", Damage::kCounts));
  EXPECT_TRUE(damagecheck::Applies("tr", Damage::kCutShort));
}

TEST(DamageCheck, CutsAndFlips) {
  Bytes bin(200);
  for (size_t i = 0; i < bin.size(); ++i) bin[i] = uint8_t(i);
  EXPECT_EQ(Apply("cam", Damage::kCutShort, bin), Bytes(bin.begin(), bin.begin() + 100));
  EXPECT_TRUE(Apply("cam", Damage::kEmptied, bin).empty());
  // Bytes 0 to 16 inverted, then one in 61: 77 and 138.
  const Bytes flipped = Apply("cam", Damage::kFlipped, bin);
  for (size_t i = 0; i < bin.size(); ++i) {
    const bool hit = i <= 16 || i == 77 || i == 138 || i == 199;
    EXPECT_EQ(flipped[i], hit ? uint8_t(~bin[i]) : bin[i]) << i;
  }
  // A list is cut 3 bytes into the name of the line holding its middle
  // (byte 9 starts the second line), never at a line break; its letters
  // change, they do not turn into line breaks.
  EXPECT_EQ(Apply("tr", Damage::kCutShort, Text("abc.png\r\ndef.png\r\n")), Text("abc.png\r\ndef"));
  EXPECT_EQ(Apply("tr", Damage::kCutShort, Text("abcdefgh.png\r\n")), Text("abc"));
  EXPECT_EQ(Apply("tr", Damage::kFlipped, Text("ab.png\r\n")), Text("`c/qof\x0c\x0b"));

  // A cache archive: the middle byte of each entry's bytes (entries of 5, 0
  // and 4 bytes at 164, 305 and 441), then a size past the end stops it.
  Bytes sca(581);
  for (size_t i = 0; i < sca.size(); ++i) sca[i] = uint8_t(i * 7);
  for (const auto& [head, size] : {std::pair{28, 5u}, {169, 0u}, {305, 4u}, {445, 1000u}})
    for (int k = 0; k < 4; ++k) sca[size_t(head) + 128 + size_t(k)] = uint8_t(size >> (8 * k));
  const Bytes scaFlipped = Apply("sca", Damage::kFlipped, sca);
  for (size_t i = 0; i < sca.size(); ++i)
    EXPECT_EQ(scaFlipped[i], i == 166 || i == 443 ? uint8_t(~sca[i]) : sca[i]) << i;
}

TEST(DamageCheck, WhichDamagedFilesMustShowAnErrorLine) {
  for (Damage d : damagecheck::kAllDamages) {
    SCOPED_TRACE(damagecheck::DamageName(d));
    for (const char* kind : {"cam", "stg", "opl", "ovl", "tnl", "bma", "png", "tr", "sr", "wav", "rpd"})
      EXPECT_TRUE(damagecheck::ErrorExpected(kind, d)) << kind;
    // A damaged archive is rebuilt; the count-down images leave the overlay
    // idle; neither says anything.
    for (const char* kind : {"sca", "bmp", "dds"}) EXPECT_FALSE(damagecheck::ErrorExpected(kind, d)) << kind;
  }
  // A model may lack its ".tca"; a flipped one holds other scroll values.
  EXPECT_FALSE(damagecheck::ErrorExpected("tca", Damage::kDeleted));
  EXPECT_FALSE(damagecheck::ErrorExpected("tca", Damage::kFlipped));
  EXPECT_TRUE(damagecheck::ErrorExpected("tca", Damage::kCutShort));
  EXPECT_EQ(damagecheck::KindOf("Stg01/Stg01_a.CAM"), "cam");
  EXPECT_EQ(damagecheck::KindOf("Stg01.d/none"), "");
}

}  // namespace
