// seed_fixtures DIR: writes the test fixtures that exist only as code (models,
// LZ blocks, archives, encoded images, registry text) as seed files
// DIR/<target>/<name> for fuzz/make_corpus.sh. Built in the test
// configuration, beside the fixtures it shares.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "game/core/RankTable.h"
#include "game/core/SystemFile.h"
#include "game/stage/StageFileWriter.h"
#include "support/TempDir.h"
#include "support/image_files.h"
#include "vrax/io/SCacheArchive.h"
#include "vrax/io/SLzCodec.h"
#include "vrax/resource/ModelWriter.h"
#include "vrax/resource/model_fixtures.h"  // tests/vrax/resource
#include "vrax/sound/WavWriter.h"

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

std::string g_out;
bool g_ok = true;

void Put(const std::string& target, const std::string& name, const Bytes& bytes) {
  const fs::path dir = fs::path(g_out) / target;
  std::error_code ec;
  fs::create_directories(dir, ec);
  std::ofstream f(dir / name, std::ios::binary | std::ios::trunc);
  f.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  if (!f) {
    std::fprintf(stderr, "seed_fixtures: cannot write %s/%s\n", target.c_str(), name.c_str());
    g_ok = false;
  }
}

Bytes Text(const std::string& s) { return Bytes(s.begin(), s.end()); }

// The model entry point splits its input at data[0] * (size - 1) / 255 into
// the model file and its ".tca" file: pick the first byte, and pad the
// ".tca" part (whose parser ignores what follows its table), so that the
// split falls exactly after the model file.
Bytes ModelInput(const Bytes& bma, const Bytes& tca) {
  for (size_t pad = 0;; ++pad) {
    const size_t rest = bma.size() + tca.size() + pad;
    for (unsigned k = 1; k < 256; ++k) {
      if (k * rest / 255 != bma.size()) continue;
      Bytes in{static_cast<uint8_t>(k)};
      in.insert(in.end(), bma.begin(), bma.end());
      in.insert(in.end(), tca.begin(), tca.end());
      in.resize(1 + rest, 0);
      return in;
    }
  }
}

Bytes LzBlock(const Bytes& in, int level) {
  SLzCodec lz;
  if (lz.Compress(in.data(), static_cast<uint32_t>(in.size()), level) != 0) return {};
  return Bytes(lz.GetPackedData(), lz.GetPackedData() + lz.GetPackedSize());
}

Bytes ArchiveBytes() {
  testsupport::TempDir dir("seed-archive");
  SCacheArchive cache;
  cache.Init(1u << 20, 1);
  const std::string text(300, 'a');
  cache.Add("common\\text.tr", text.data(), static_cast<uint32_t>(text.size()));
  const Bytes wave = MakeWaveFile16(1, 22050, std::vector<int16_t>(40, 1000));
  cache.Add("sound\\w.wav", wave.data(), static_cast<uint32_t>(wave.size()));
  if (cache.Save(dir.File("seed")) != 0) return {};
  return Text(dir.Read("seed.sca"));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: seed_fixtures DIR\n");
    return 2;
  }
  g_out = argv[1];

  const Bytes rigid = modelfix::RigidBytes();
  Put("bma_model", "rigid_with_tca", ModelInput(rigid, WriteTexAnimNodeTable(modelfix::RigidTexAnim())));
  Bytes skinned{0};  // first byte 0: no ".tca" file
  const Bytes s = modelfix::SkinnedBytes();
  skinned.insert(skinned.end(), s.begin(), s.end());
  Put("bma_model", "skinned", skinned);

  // The ".tca" entry point: first byte 1 for the model with the version
  // flag (a node table naming its node "0"), 0 for the one without (a scroll).
  Bytes tca{1};
  const Bytes table = WriteTexAnimNodeTable(modelfix::RigidTexAnim());
  tca.insert(tca.end(), table.begin(), table.end());
  Put("tca_file", "node_table", tca);
  tca = {0};
  const Bytes scroll = WriteTexAnimScroll(0.5f, 0.25f);
  tca.insert(tca.end(), scroll.begin(), scroll.end());
  Put("tca_file", "scroll", tca);

  // The settings file with the default words and its checksum.
  Bytes settings(kSystemFileSize);
  for (int i = 0; i < kSettingsCount; ++i)
    for (int b = 0; b < 4; ++b) settings[size_t(4 * i + b)] = uint8_t(uint32_t(kDefaultSettings[i]) >> (8 * b));
  settings[kSystemFileChecksumAt] = SystemFileChecksum(settings.data());
  Put("settings_file", "defaults.dat", settings);

  const Bytes repeat = Text("abcabcabcabc, mutation seed text, abcabcabcabc");
  for (int level = SLzCodec::kMinLevel; level <= SLzCodec::kMaxLevel; ++level)
    Put("lz_block", "level" + std::to_string(level), LzBlock(repeat, level));

  Put("cache_archive", "two_entries", ArchiveBytes());

  const plat::Image pattern = testsupport::MakeImage(7, 5, [](int x, int y) {
    return uint32_t(x * 30 + y) << 24 | uint32_t(x * 36) << 16 | uint32_t(y * 60) << 8 | uint32_t(255 - x * 20);
  });
  Put("image_decode", "rgba.png", testsupport::EncodePng(pattern));
  Put("image_decode", "palette.png", testsupport::EncodePng(pattern, testsupport::PngKind::kPalette));
  Put("image_decode", "grey.png", testsupport::EncodePng(pattern, testsupport::PngKind::kGrey));
  Put("image_decode", "q80.jpg", testsupport::EncodeJpeg(pattern, 80));

  Put("registry_parse", "values.txt",
      Text("[HKLM\\SOFTWARE\\A]\nCoinCredit=dword:00000001\nName=sz:abc\nBin=hex:00,ff\n"
           "Q=qword:0123456789abcdef\n\n# a comment\n[B]\n; another\nx = sz: two words \n"));

  Put("sound_list", "three.sr", Text(MakeSoundList({{"a.wav", false, 0}, {"bb.wav", true, 1000}, {"c.wav", true, 0}})));
  Put("wave_file", "mono16.wav", MakeWaveFile16(1, 44100, std::vector<int16_t>(64, -3)));
  Put("wave_file", "stereo8.wav", MakeWaveFile(2, 8000, 8, std::vector<uint8_t>(16, 200)));
  // The generated camera paths are too long for seeds: a short one, turning.
  std::vector<CamKey> keys(12);
  for (size_t k = 0; k < keys.size(); ++k) {
    keys[k].z = -10.0f * float(k);
    keys[k].qy = 0.05f * float(k);
    keys[k].qw = 1.0f;
  }
  Put("camera_path", "twelve_keys.cam", stage_file::WriteCameraPath(keys));
  // The default ranking, and one with a named first place and odd name bytes.
  Bytes rank(kRankFileSize);
  ResetRankTable();
  EncodeRankFile(RankTable, rank.data());
  Put("rank_file", "defaults.dat", rank);
  RankTable[0].word[0] = 2;
  SetRankName(&RankTable[0], "A!?");
  RankTable[1].word[5] = 0xFF7F6061u;
  EncodeRankFile(RankTable, rank.data());
  Put("rank_file", "named.dat", rank);
  return g_ok ? 0 : 1;
}
