#include "platform/registry.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>

#include "support/ChildProcess.h"
#include "support/TempDir.h"

namespace fs = std::filesystem;

namespace {

class RegistryTest : public ::testing::Test {
 protected:
  void SetUp() override { plat::SetRegistryPath((dir_ / "registry.txt").string()); }
  void TearDown() override { plat::SetRegistryPath(""); }
  void WriteFile(const std::string& text) { std::ofstream(dir_ / "registry.txt") << text; }
  testsupport::TempDir tmp_{"ostrel_reg"};
  fs::path dir_{tmp_.Path()};
};

TEST_F(RegistryTest, MissingFileReadsAsEmptyKey) {
  plat::RegKey k;
  ASSERT_TRUE(k.Open("HKLM\\SOFTWARE\\A", false));
  uint32_t v = 77;
  EXPECT_FALSE(k.ReadDword("Resolution", &v));
  EXPECT_EQ(v, 77u);  // untouched: the caller keeps its default
  EXPECT_FALSE(fs::exists(dir_ / "registry.txt"));  // reading creates nothing
}

TEST_F(RegistryTest, WrittenValuesSurviveAndKeepOtherKeys) {
  WriteFile("[Other\\Key]\nKeep=sz:hello world\n");
  plat::RegKey w;
  ASSERT_TRUE(w.Open("HKLM\\SOFTWARE\\A", true));
  EXPECT_TRUE(w.WriteDword("GameResult", 0xFFFFFFFEu));
  EXPECT_TRUE(w.WriteMany({{"X", plat::RegValue::Qword(5)}, {"Y", plat::RegValue::Binary({1, 2, 255})}}));

  plat::RegKey r;
  ASSERT_TRUE(r.Open("hklm\\software\\a", false));  // names are case-insensitive
  uint32_t v = 0;
  EXPECT_TRUE(r.ReadDword("gameresult", &v));
  EXPECT_EQ(v, 0xFFFFFFFEu);
  EXPECT_EQ(*r.Read("Y"), plat::RegValue::Binary({1, 2, 255}));
  plat::RegKey o;
  ASSERT_TRUE(o.Open("Other\\Key", false));
  EXPECT_EQ(*o.Read("Keep"), plat::RegValue::String("hello world"));

  std::ifstream in(dir_ / "registry.txt");
  std::string text((std::istreambuf_iterator<char>(in)), {});
  EXPECT_NE(text.find("GameResult=dword:fffffffe"), std::string::npos) << text;
}

TEST_F(RegistryTest, OnlyFourByteWordsReadAsDword) {
  WriteFile(
      "[K]\n"
      "Q=qword:0000000000000001\n"
      "S=sz:1\n"
      "B=hex:01,00,00,00\n"
      "Short=dword:001\n"
      "Good=dword:0000002a\n");
  plat::RegKey k;
  ASSERT_TRUE(k.Open("K", false));
  uint32_t v = 9;
  EXPECT_FALSE(k.ReadDword("Q", &v));
  EXPECT_FALSE(k.ReadDword("S", &v));
  EXPECT_FALSE(k.ReadDword("B", &v));
  EXPECT_FALSE(k.ReadDword("Short", &v));  // malformed line is skipped
  EXPECT_EQ(v, 9u);
  EXPECT_TRUE(k.ReadDword("Good", &v));
  EXPECT_EQ(v, 42u);
}

TEST_F(RegistryTest, WriterRefusesUnwritableLocationAndBadNames) {
  plat::SetRegistryPath("/proc/ostrel_no_such_dir/registry.txt");
  plat::RegKey k;
  EXPECT_FALSE(k.Open("K", true));
  EXPECT_FALSE(k.WriteDword("A", 1));
  plat::SetRegistryPath((dir_ / "registry.txt").string());
  ASSERT_TRUE(k.Open("K", true));
  EXPECT_FALSE(k.WriteDword("a=b", 1));
  EXPECT_FALSE(k.WriteDword("[x", 1));
  EXPECT_FALSE(k.Open("K]\n[Evil", true));
}

// A pipe or a link in the registry file's place: the read neither waits on
// the pipe nor follows the link, says what it found and reads no values; a
// write then puts a regular file in its place (the link's target keeps its
// bytes). Bounded in a child process, in case the read should wait.
TEST_F(RegistryTest, APipeOrALinkInTheFilesPlaceReadsAsEmptyAndIsToldAndReplaced) {
  const std::string other = (dir_ / "other.txt").string();
  std::ofstream(other) << "[K]\nA=dword:00000007\n";
  for (const bool pipe : {true, false}) {
    ASSERT_TRUE(tmp_.PutOdd(pipe ? 'p' : 'l', "registry.txt", other));
    const auto r = testsupport::RunInChild([&] {
      ::testing::internal::CaptureStderr();
      plat::RegKey k;
      EXPECT_TRUE(k.Open("K", false));
      uint32_t v = 9;
      EXPECT_FALSE(k.ReadDword("A", &v));
      const std::string told = ::testing::internal::GetCapturedStderr();
      EXPECT_EQ(told, "registry file " + (dir_ / "registry.txt").string() +
                          (pipe ? " is a named pipe" : " is a symbolic link") +
                          ", not a regular file: its values are not read\n");
      ::testing::internal::CaptureStderr();
      EXPECT_TRUE(k.Open("K", true));
      EXPECT_TRUE(k.WriteDword("B", 3));
      ::testing::internal::GetCapturedStderr();
      return ::testing::Test::HasFailure() ? 1 : 0;
    });
    ASSERT_TRUE(r.ended) << "the read waited on the pipe";
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(tmp_.Kind("registry.txt"), 'f');
    EXPECT_EQ(tmp_.Read("registry.txt"), "[K]\nB=dword:00000003\n\n");
    EXPECT_EQ(tmp_.Read("other.txt"), "[K]\nA=dword:00000007\n");
  }
}

// A file too large to read is not replaced by a write that would lose its
// values.
TEST_F(RegistryTest, AWriteKeepsAFileTooLargeToRead) {
  const std::string big = "[K]\n#" + std::string(size_t(4) << 20, 'x') + "\n";
  WriteFile(big);
  plat::RegKey k;
  ASSERT_TRUE(k.Open("K", true));
  EXPECT_FALSE(k.WriteDword("B", 3));
  EXPECT_EQ(tmp_.Read("registry.txt"), big);
}

// The file may be written by another process: random damage must parse
// without a crash and round-trip through the formatter.
TEST(RegistryParse, SurvivesMutatedText) {
  const std::string seed =
      "[HKLM\\SOFTWARE\\A]\nCoinCredit=dword:00000001\nName=sz:abc\nBin=hex:00,ff\nQ=qword:0123456789abcdef\n";
  std::mt19937 rng(1234);
  for (int i = 0; i < 3000; ++i) {
    std::string t = seed;
    int edits = 1 + int(rng() % 6);
    for (int e = 0; e < edits; ++e) {
      size_t pos = rng() % (t.size() + 1);
      switch (rng() % 3) {
        case 0: if (pos < t.size()) t[pos] = char(rng()); break;
        case 1: t.insert(pos, 1, char(rng())); break;
        default: if (pos < t.size()) t.erase(pos, 1 + rng() % 4); break;
      }
    }
    plat::RegTree tree = plat::ParseRegistryText(t);
    // A text value holds no line break, so the file cannot: the writer
    // turns a carriage return inside one into a space.
    plat::RegTree want = tree;
    for (auto& [key, values] : want)
      for (auto& [name, v] : values)
        if (v.type == plat::RegType::String) std::replace(v.data.begin(), v.data.end(), uint8_t('\r'), uint8_t(' '));
    ASSERT_EQ(plat::ParseRegistryText(plat::FormatRegistryText(tree)), want) << t;
  }
  // The same rule on a text value with a carriage return inside and a
  // leading blank, both kept as text.
  const plat::RegTree cr = plat::ParseRegistryText("[K]\nS=sz: a\rb\n");
  ASSERT_EQ(cr.at("K").at("S"), plat::RegValue::String(" a\rb"));
  EXPECT_EQ(plat::ParseRegistryText(plat::FormatRegistryText(cr)).at("K").at("S"), plat::RegValue::String(" a b"));
}

}  // namespace
