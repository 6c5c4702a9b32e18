// seed_fixtures DIR: writes the test fixtures that exist only as code (models,
// LZ blocks, archives, encoded images, registry text) as seed files
// DIR/<target>/<name> for fuzz/make_corpus.sh. Built in the test
// configuration, beside the fixtures it shares.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "game/core/RankTable.h"
#include "game/core/Replay.h"
#include "game/core/SystemFile.h"
#include "game/stage/ScriptStgRsc.h"
#include "game/stage/StageFileWriter.h"
#include "game/stage/TnlRsc.h"
#include "platform/gfx_draw_states.h"
#include "support/LzBlocks.h"
#include "support/Repeated.h"
#include "support/TempDir.h"
#include "support/image_files.h"
#include "vrax/io/SCacheArchive.h"
#include "vrax/io/SLzCodec.h"
#include "vrax/resource/ModelFile.h"
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

// A whole file; empty when it cannot be read.
Bytes ReadFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

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

void PutLe32(Bytes& b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + size_t(i)] = uint8_t(v >> (8 * i));
}

// A DDS file of one w x h level: pixel-format flags, four-character code,
// bits per pixel and the red, green, blue and alpha masks, then `body`.
Bytes Dds(uint32_t w, uint32_t h, uint32_t pfFlags, const char* fourCc, uint32_t bits, uint32_t r, uint32_t g,
          uint32_t b, uint32_t a, const Bytes& body, uint32_t caps2 = 0) {
  uint32_t code = 0;
  if (fourCc != nullptr) std::memcpy(&code, fourCc, 4);
  Bytes f = testsupport::DdsHeader(w, h, pfFlags, code, bits, r, g, b, a, caps2);
  f.insert(f.end(), body.begin(), body.end());
  return f;
}

// n bytes counting up from `from` in steps of 37 (every bit pattern soon).
Bytes Ramp(size_t n, uint8_t from = 0) {
  Bytes b(n);
  for (size_t i = 0; i < n; ++i) b[i] = uint8_t(from + 37 * i);
  return b;
}

// Every pixel layout the DDS reader knows, and the ones it refuses.
void PutDdsLayouts() {
  constexpr uint32_t kAlphaPixels = 0x1, kAlpha = 0x2, kFourCc = 0x4, kRgb = 0x40, kLum = 0x20000;
  struct Layout {
    const char* name;
    uint32_t flags, bits, r, g, b, a;
  };
  static const Layout kLayouts[] = {
      {"x8r8g8b8", kRgb, 32, 0xFF0000, 0xFF00, 0xFF, 0},
      {"a8b8g8r8", kRgb | kAlphaPixels, 32, 0xFF, 0xFF00, 0xFF0000, 0xFF000000u},
      {"r8g8b8", kRgb, 24, 0xFF0000, 0xFF00, 0xFF, 0},
      {"r5g6b5", kRgb, 16, 0xF800, 0x07E0, 0x001F, 0},
      {"a1r5g5b5", kRgb | kAlphaPixels, 16, 0x7C00, 0x03E0, 0x001F, 0x8000},
      {"a4r4g4b4", kRgb | kAlphaPixels, 16, 0x0F00, 0x00F0, 0x000F, 0xF000},
      {"r3g3b2", kRgb, 8, 0xE0, 0x1C, 0x03, 0},
      {"l8", kLum, 8, 0xFF, 0, 0, 0},
      {"a8l8", kLum | kAlphaPixels, 16, 0xFF, 0, 0, 0xFF00},
      {"a8", kAlpha, 8, 0, 0, 0, 0xFF},
      {"no_masks", kRgb, 32, 0, 0, 0, 0},
      {"bits_12", kRgb, 12, 0xF00, 0xF0, 0xF, 0},
  };
  for (const Layout& l : kLayouts)
    Put("dds_image", std::string(l.name) + ".dds",
        Dds(3, 2, l.flags, nullptr, l.bits, l.r, l.g, l.b, l.a, Ramp(3 * 2 * (l.bits + 7) / 8)));
  // 8 x 8 compressed (four blocks): DXT1 blocks of 8 bytes, DXT3 and DXT5 of
  // 16 (alpha first); the DXT1 colours in both orders (with and without the
  // transparent entry).
  Put("dds_image", "dxt1.dds", Dds(8, 8, kFourCc, "DXT1", 0, 0, 0, 0, 0, Ramp(32)));
  Bytes dxt1b = Ramp(32);
  for (size_t k = 0; k < 32; k += 8) std::swap(dxt1b[k], dxt1b[k + 2]);
  Put("dds_image", "dxt1_other_order.dds", Dds(8, 8, kFourCc, "DXT1", 0, 0, 0, 0, 0, dxt1b));
  Put("dds_image", "dxt3.dds", Dds(8, 8, kFourCc, "DXT3", 0, 0, 0, 0, 0, Ramp(64)));
  Put("dds_image", "dxt5.dds", Dds(8, 8, kFourCc, "DXT5", 0, 0, 0, 0, 0, Ramp(64, 9)));
  Put("dds_image", "dxt5_odd_size.dds", Dds(5, 3, kFourCc, "DXT5", 0, 0, 0, 0, 0, Ramp(32)));
  Put("dds_image", "dxt2.dds", Dds(4, 4, kFourCc, "DXT2", 0, 0, 0, 0, 0, Ramp(16)));
  Put("dds_image", "cube_map.dds", Dds(1, 1, kRgb, nullptr, 32, 0xFF0000, 0xFF00, 0xFF, 0, Ramp(4), 0x200));
  Put("dds_image", "dxt1_bytes_after.dds", [] {
    Bytes f = Dds(4, 4, kFourCc, "DXT1", 0, 0, 0, 0, 0, Ramp(8));
    f.insert(f.end(), 64, 0xA5);
    return f;
  }());
  Put("dds_image", "truncated.dds", Dds(4, 4, kRgb, nullptr, 32, 0xFF0000, 0xFF00, 0xFF, 0, Ramp(60)));
  // Short pictures: 4096 x 4096 (64 MB) claimed over a few blocks, and
  // DXT1 blocks cut inside the last one.
  Put("dds_image", "dxt5_4096_few_blocks.dds", Dds(4096, 4096, kFourCc, "DXT5", 0, 0, 0, 0, 0, Ramp(64)));
  Put("dds_image", "dxt1_cut.dds", Dds(8, 8, kFourCc, "DXT1", 0, 0, 0, 0, 0, Ramp(29)));
}

// BMP files of every header form and bit depth the reader takes, and the
// sizes it refuses before decoding.
void PutBmpLayouts() {
  // A palette of 2^bits entries (4 bytes each) stands between the headers
  // and the rows: the pixel offset moves past it.
  const auto withPalette = [](uint16_t bits, uint32_t compression, const Bytes& rows) {
    Bytes pixels(size_t(4) << bits, 0x5A);
    pixels.insert(pixels.end(), rows.begin(), rows.end());
    Bytes f = testsupport::BmpFile(40, 4, 2, bits, compression, pixels);
    const uint32_t at = 54 + (4u << bits);
    for (int i = 0; i < 4; ++i) f[10 + size_t(i)] = uint8_t(at >> (8 * i));
    return f;
  };
  for (uint16_t bits : {1, 4, 8}) Put("bmp_image", "bits_" + std::to_string(bits) + ".bmp", withPalette(bits, 0, Ramp(8)));
  for (uint16_t bits : {16, 24, 32})
    Put("bmp_image", "bits_" + std::to_string(bits) + ".bmp",
        testsupport::BmpFile(40, 4, 2, bits, 0, Ramp(size_t(4) * bits / 8 * 2)));
  // Two runs of four pixels, each row's end, the picture's end.
  Put("bmp_image", "rle8.bmp", withPalette(8, 1, {4, 1, 0, 0, 4, 2, 0, 0, 0, 1}));
  // A run of two colours in turn, a literal run of three pixels, a move.
  Put("bmp_image", "rle4.bmp", withPalette(4, 2, {4, 0x12, 0, 0, 0, 3, 0x34, 0x50, 0, 2, 1, 0, 0, 1}));
  Put("bmp_image", "top_down.bmp", testsupport::BmpFile(40, 4, -2, 24, 0, Ramp(24)));
  Put("bmp_image", "core_header.bmp", testsupport::BmpFile(12, 4, 2, 24, 0, Ramp(24)));
  Put("bmp_image", "huge.bmp", testsupport::BmpFile(40, 65535, 65535, 32, 0, {}));
  Put("bmp_image", "truncated.bmp", testsupport::BmpFile(40, 4, 2, 24, 0, Ramp(20)));
  // Run-length codes that go on past the picture (runs of 255 pixels, row
  // ends), and codes without their end.
  Put("bmp_image", "rle8_runs_past.bmp", withPalette(8, 1, {4, 1, 0, 0, 4, 2, 255, 3, 255, 3, 255, 3, 0, 1}));
  Bytes rowEnds = {4, 1, 0, 0, 4, 2};
  for (int i = 0; i < 32; ++i) rowEnds.insert(rowEnds.end(), {0, 0});
  rowEnds.insert(rowEnds.end(), {0, 1});
  Put("bmp_image", "rle8_row_ends_past.bmp", withPalette(8, 1, rowEnds));
  Put("bmp_image", "rle4_no_end.bmp", withPalette(4, 2, {4, 0x12, 0, 0, 0, 3, 0x34, 0x50, 4, 0x12}));
  // Short pictures: a compression the reader does not know claiming 4096 x
  // 4096 (64 MB) over 64 bytes, and rows and codes cut short.
  Put("bmp_image", "unknown_compression_4096.bmp", testsupport::BmpFile(40, 4096, 4096, 32, 4, Ramp(64)));
  Put("bmp_image", "rows_cut.bmp", testsupport::BmpFile(40, 64, 64, 24, 0, Ramp(64 * 192 - 5)));
  Put("bmp_image", "rle8_cut.bmp", withPalette(8, 1, {4, 1, 0, 0, 4, 2, 0}));
  // A move (dx 1, dy 0) and runs after it past the picture: its two bytes
  // read one short would make an end code of dy and the next count.
  Put("bmp_image", "rle8_move_then_runs.bmp", withPalette(8, 1, {0, 2, 1, 0, 1, 1, 255, 3, 255, 3, 0, 1}));
}

// One frame on the bus to the master (node 0): sync, node, length, the data
// with 0xE0 and 0xD0 escaped, the 8-bit sum of node, length and data.
Bytes JvsWire(const Bytes& data, uint8_t node = 0) {
  Bytes f = {0xE0, node, uint8_t(data.size() + 1)};
  uint8_t sum = uint8_t(node + data.size() + 1);
  auto put = [&f](uint8_t v) {
    if (v == 0xE0 || v == 0xD0) {
      f.push_back(0xD0);
      f.push_back(uint8_t(v - 1));
    } else {
      f.push_back(v);
    }
  };
  for (uint8_t v : data) {
    put(v);
    sum = uint8_t(sum + v);
  }
  put(sum);
  return f;
}

// Replies to every standard command, read whole (the first byte's low bits
// give reads of one byte; bit 0x40 reads them as a player node's poll).
void PutJvsReplies() {
  auto put = [](const std::string& name, uint8_t first, const std::vector<Bytes>& frames) {
    Bytes in{first};
    for (const Bytes& f : frames) in.insert(in.end(), f.begin(), f.end());
    Put("jvs_receiver", name, in);
  };
  // Node 0: status (system byte, switches), the settings with their value,
  // the one-byte reports, then a report that is not normal.
  put("board_all_commands", 0x00,
      {JvsWire({0x01, 0x01, 0x80, 0x3F, 0x01, 0x00, 0x01, 0x07, 0x01, 0x10, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01})});
  put("board_short_status", 0x00, {JvsWire({0x01, 0x01, 0x80})});
  put("board_report_unsupported", 0x00, {JvsWire({0x01, 0x02, 0x01, 0x05, 0x00})});
  // A player node: switches (system, 2 x 2 bytes), two coin counters (the
  // first with 0xE0 escaped), the decrease and output reports, then the
  // unknown command.
  put("node_poll", 0x40, {JvsWire({0x01, 0x01, 0x80, 0x01, 0x02, 0x03, 0x04, 0x01, 0x00, 0xE0, 0x00, 0xD0, 0x01, 0x01, 0x01})});
  put("node_poll_short_coins", 0x41, {JvsWire({0x01, 0x01, 0x80, 0x01, 0x02, 0x03, 0x04, 0x01, 0x00})});
  put("node_poll_bad_status", 0x42, {JvsWire({0x02, 0x03})});
  // Split across reads of 3 bytes after a reset each: a frame for another
  // node, a bad sum, then a good frame.
  Bytes badSum = JvsWire({0x01, 0x01, 0x55});
  badSum.back() ^= 0xFF;
  put("noise_then_reply", 0x02, {{0x12, 0xE0}, JvsWire({0x01, 0x01}, 0x05), badSum, JvsWire({0x01, 0x01, 0x00, 0x42})});
  // The longest frame: 254 data bytes.
  put("longest_frame", 0x46, {JvsWire(Ramp(254, 1))});
}

// Cache archives of varied entries: empty, stored and LZ-packed, a name of
// the full field.
Bytes ArchiveOf(const std::vector<std::pair<std::string, Bytes>>& entries) {
  testsupport::TempDir dir("seed-archive");
  SCacheArchive cache;
  cache.Init(1u << 20, 1);
  for (const auto& [name, bytes] : entries) cache.Add(name, bytes.data(), static_cast<uint32_t>(bytes.size()));
  if (cache.Save(dir.File("seed")) != 0) return {};
  return Text(dir.Read("seed.sca"));
}

// A stage script with every record kind: two enemy scripts (one with all
// five lists, its motion and generator lists looping; one with none), a
// laser and two bullet generators (one naming a missing bullet path), two
// route tables, parameters of types 0, 1, 5 and 25 (past the factory), two
// bullet paths, and a timeline with every opcode (the spawns scattered) and
// spawns naming a parameter, a script and a type that are not there.
StageScript EveryRecordScript() {
  StageScript s;
  EnemyScript a;
  a.id = 7;
  a.motionFlags = kStgListLoops;
  a.generatorFlags = kStgListLoops;
  a.motion.resize(2);
  a.motion[1].block.duration = 30;
  a.generators.resize(3);
  a.generators[0].bulletPathId = 3;
  a.generators[0].ways = 5;
  a.generators[1].flags = GeneratorRecord::kLaser;
  a.generators[1].startTime = 20.0f;
  a.generators[2].bulletPathId = 99;
  a.defeatGenerators.resize(1);
  a.route = {RouteRecord{0.0f, 1, 0.5f, 0, nullptr}, RouteRecord{10.0f, 2, 1.0f, 1, nullptr}};
  a.axis = {AxisRecord{0.0f, 1, 20, 0.0f, 0.5f, nullptr}};
  EnemyScript b;
  b.id = 8;
  s.scripts = {a, b};
  RouteTable t5;
  t5.id = 5;
  t5.entries = {RouteEntry{0, 0.0f, 1.0f, 0, 0.01f}, RouteEntry{0, 1.0f, 0.0f, 1, 0.02f},
                RouteEntry{0, 0.5f, 0.25f, 0, 0.05f}};
  RouteTable t6;
  t6.id = 6;
  s.routeTables = {t5, t6};
  EnemyParam p10;
  p10.id = 10;
  std::memcpy(p10.name, "Drone", 6);
  p10.type = 1;
  p10.routeTableId = 5;
  p10.recoilRouteIndex = 1;
  p10.defeatRouteIndex = 9;
  EnemyParam p11 = p10;
  p11.id = 11;
  p11.type = 0;
  p11.routeTableId = 6;
  EnemyParam p12 = p10;
  p12.id = 12;
  p12.type = 5;
  p12.routeTableId = 77;
  // A type past the factory's 19.
  EnemyParam p13 = p10;
  p13.id = 13;
  p13.type = 25;
  s.params = {p10, p11, p12, p13};
  auto rec = [](uint32_t op, uint32_t argument, int32_t jump, float delay) {
    EnemySpawnRecord r;
    r.opcode = op;
    r.argument = argument;
    r.jump = jump;
    r.delay = delay;
    return r;
  };
  uint32_t rail;
  const float railAt = 120.0f;
  std::memcpy(&rail, &railAt, 4);
  EnemySpawnRecord scattered = rec(EnemySpawnRecord::OP_SPAWN | EnemySpawnRecord::kScatter, 10, 7, 0.0f);
  scattered.scatterX = scattered.scatterY = 20.0f;
  s.timeline = {rec(0x008, rail, 0, 0.0f),  rec(0x400, 0, 0, 0.0f),   scattered,
                rec(0x7F8, 11, 8, 5.0f),    rec(0x7F8, 12, 0, 0.0f),  rec(0x7F8, 99, 7, 0.0f),
                rec(0x010, 0, -1, 0.0f),    rec(0x020, 0, 2, 0.0f),   rec(0x200, 10, -2, 0.0f),
                rec(0x200, 404, 1, 0.0f),   rec(0x100, 0, 0, 1.0f),   rec(0x040, 0, 2, 0.0f),
                rec(0x7F8, 10, 7, 0.0f),    rec(0x7F8, 13, 7, 0.0f),  rec(0x7F8, 11, 42, 0.0f),
                rec(0x080, 0, 0, 0.0f)};
  PatternList p3;
  p3.id = 3;
  p3.entries.resize(2);
  p3.entries[0].duration = 20;
  p3.entries[1].flags = 0x400000;
  PatternList p4;
  p4.id = 4;
  p4.entries.resize(1);
  s.patternLists = {p3, p4};
  return s;
}

// One small model file of each kind the data tree holds (rigid or skinned,
// with or without the version tag, animated or not, with or without a
// ".tca"), as the model entry point takes them.
void PutDataModels() {
  namespace fs = std::filesystem;
  const fs::path root = testsupport::GeneratedDataRoot();
  std::vector<std::string> kinds;
  std::error_code ec;
  std::vector<fs::path> models;
  for (auto it = fs::recursive_directory_iterator(root, ec); !ec && it != fs::recursive_directory_iterator();
       it.increment(ec))
    if (it->path().extension() == ".bma") models.push_back(it->path());
  // The smallest of each kind: small seeds keep the fuzzer fast.
  std::sort(models.begin(), models.end(), [](const fs::path& a, const fs::path& b) {
    std::error_code e;
    const auto sa = fs::file_size(a, e), sb = fs::file_size(b, e);
    return sa != sb ? sa < sb : a < b;
  });
  for (const fs::path& m : models) {
    const Bytes bma = ReadFileBytes(m.string());
    fs::path tcaPath = m;
    tcaPath.replace_extension(".tca");
    const Bytes tca = ReadFileBytes(tcaPath.string());
    ModelFile f;
    if (bma.empty() || bma.size() > 65536 || !ParseModelFile(bma.data(), bma.size(), &f)) continue;
    const std::string kind = std::string(f.IsSkinned() ? "skinned" : "rigid") + (f.hasTag ? "_tagged" : "") +
                             (f.versionFlag ? "_versioned" : "") + (f.AnyAnimated() ? "_animated" : "") +
                             (tca.empty() ? "" : "_tca");
    if (std::find(kinds.begin(), kinds.end(), kind) != kinds.end()) continue;
    kinds.push_back(kind);
    Bytes in{0};  // first byte 0: no ".tca" file
    in.insert(in.end(), bma.begin(), bma.end());
    Put("bma_model", "data_" + kind, tca.empty() ? in : ModelInput(bma, tca));
  }
}

}  // namespace

// A draw-state file of two records: an untextured state and a textured,
// blended, depth-tested one (GL's own values).
void PutDrawStates() {
  plat::DrawStateKey plain;
  plain.fvf = 0x042;
  plain.modes[9] = 2;
  plain.fill = 0x1B02;  // GL_FILL
  plat::DrawStateKey sprite = plain;
  sprite.fvf = 0x142;
  sprite.modes[7] = 1;
  sprite.depthTest = 1;
  sprite.depthFunc = 0x0203;  // GL_LEQUAL
  sprite.blend = 1;
  sprite.blendSrc = 0x0302;  // GL_SRC_ALPHA
  sprite.blendDst = 0x0303;  // GL_ONE_MINUS_SRC_ALPHA
  sprite.sampler[0] = {0x2601, 0x2601, 0x2901, 0x812F, 1, 1};  // linear, repeat, clamp to edge
  Put("draw_states", "two_states.bin", plat::WriteDrawStates({plain, sprite}));
}

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
  // The skinned model's bones as a chain of eight, each the child of the
  // one before, listed from the deepest number down (the build's walks
  // grow with the depth).
  ModelFile chain = modelfix::Skinned();
  chain.tracks.clear();
  chain.nodes.resize(8, chain.nodes[1]);
  for (size_t i = 0; i < chain.nodes.size(); ++i) {
    ModelFileRecord& n = chain.nodes[i];
    n.name = std::to_string(7 - i);
    n.hasExtra = i > 0;
    n.extra = std::to_string(8 - i);
    n.animated = false;
  }
  Bytes chained{0};
  const Bytes c = WriteModelFile(chain);
  chained.insert(chained.end(), c.begin(), c.end());
  Put("bma_model", "skinned_chain", chained);
  // Tracks whose frame indices together would pass what a model may spend:
  // 33 of keys at frames 0 and 65535.
  ModelFile tracks = modelfix::Rigid();
  tracks.frameCount = 65536;
  tracks.tracks.resize(1);
  tracks.tracks[0].positions = {ModelFileKey{0, {0, 0, 0}}, ModelFileKey{65535, {1, 2, 3}}};
  tracks.tracks.resize(33, tracks.tracks[0]);
  Bytes longTracks{0};
  const Bytes t = WriteModelFile(tracks);
  longTracks.insert(longTracks.end(), t.begin(), t.end());
  Put("bma_model", "long_tracks", longTracks);
  // Node 0 drawing 64 materials, a face each, with texture keys out of
  // order (the draw's lookups).
  ModelFile many = modelfix::Rigid();
  many.materialGroups[0].resize(64, many.materialGroups[0][0]);
  for (uint32_t a = 2; a < 64; ++a) many.nodes[0].faces.push_back({{0, 1, 2}, a});
  ModelTexAnim manyKeys = modelfix::RigidTexAnim();
  manyKeys.entries[0].uKeys = {{10, 0.0f}, {20, 1.0f}, {0, 2.0f}, {30, 3.0f}};
  Put("bma_model", "materials_keys", ModelInput(WriteModelFile(many), WriteTexAnimNodeTable(manyKeys)));

  // The ".tca" entry point: first byte 1 for the model with the version
  // flag (a node table naming its node "0"), 0 for the one without (a scroll).
  Bytes tca{1};
  const Bytes table = WriteTexAnimNodeTable(modelfix::RigidTexAnim());
  tca.insert(tca.end(), table.begin(), table.end());
  Put("tca_file", "node_table", tca);
  // A node table of 5,000 entries without keys (6 bytes each): the shape
  // whose records once grew fifteenfold in memory.
  ModelTexAnim emptyEntries;
  emptyEntries.entries.resize(5000);
  const Bytes emptyTable = WriteTexAnimNodeTable(emptyEntries);
  tca = {1};
  tca.insert(tca.end(), emptyTable.begin(), emptyTable.end());
  Put("tca_file", "empty_entries", tca);
  // The rigid model with 5,000 empty material groups after its own (4
  // bytes each, copied into two tables), and that table beside it.
  ModelFile emptyGroups = modelfix::Rigid();
  emptyGroups.materialGroups.resize(5001);
  Put("bma_model", "empty_groups", ModelInput(WriteModelFile(emptyGroups), emptyTable));
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
  // Progressive: the common encoders' script of 10 scans (bands and bits of
  // the coefficients), and one of bands only.
  Put("image_decode", "progressive.jpg",
      testsupport::EncodeJpeg(pattern, 80,
                              {{{0, 1, 2}, 0, 0, 0, 1}, {{0}, 1, 5, 0, 2}, {{2}, 1, 63, 0, 1}, {{1}, 1, 63, 0, 1},
                               {{0}, 6, 63, 0, 2}, {{0}, 1, 63, 2, 1}, {{0, 1, 2}, 0, 0, 1, 0}, {{2}, 1, 63, 1, 0},
                               {{1}, 1, 63, 1, 0}, {{0}, 1, 63, 1, 0}}));
  Put("image_decode", "bands.jpg",
      testsupport::EncodeJpeg(pattern, 80, {{{0, 1, 2}, 0, 0, 0, 0}, {{0}, 1, 9, 0, 0}, {{0}, 10, 63, 0, 0},
                                            {{1}, 1, 63, 0, 0}, {{2}, 1, 63, 0, 0}}));

  // A stream that goes on after the rows (1 MiB of zeros, a kilobyte of
  // file), an interlaced picture, one padded with empty data chunks before
  // its data, and JPEGs with fill bytes before their end marker and bytes
  // after it.
  Put("image_decode", "trailing_zeros.png", testsupport::PngWithTrailingZeros(8, 8, 0x80402010u, 1));
  Put("image_decode", "interlaced.png", testsupport::EncodePng(pattern, testsupport::PngKind::kRgba, true));
  Bytes emptyData;
  for (int i = 0; i < 40; ++i) {
    const Bytes c = testsupport::PngChunk("IDAT", {});
    emptyData.insert(emptyData.end(), c.begin(), c.end());
  }
  Put("image_decode", "empty_data_chunks.png", testsupport::FlatPng(3, 2, 0xFF102030u, emptyData));
  Bytes filled = testsupport::EncodeJpeg(pattern, 80);
  filled.insert(filled.end() - 2, 64, 0xFF);
  Put("image_decode", "fill_before_end.jpg", filled);
  Bytes tail = testsupport::EncodeJpeg(pattern, 80);
  tail.insert(tail.end(), 64, 0);
  Put("image_decode", "bytes_after_end.jpg", tail);

  // Short pictures: 4096 x 4096 (64 MB) claimed over a first row of 167
  // bytes, and over a 64 x 64 JPEG's scan; a progressive JPEG cut after its
  // first scans; arithmetic-coded JPEGs (read: sequential, and progressive
  // with refinements).
  Put("image_decode", "png_4096_first_row.png", testsupport::FlatPng(4096, 4096, 0xFF336699u, {}, 1));
  const plat::Image photo =
      testsupport::MakeImage(64, 64, [](int x, int y) { return 0xFF000000u | uint32_t(x * 4) << 8 | uint32_t(y * 4); });
  Bytes claim = testsupport::EncodeJpeg(photo, 80);
  for (size_t at = 2; at + 9 < claim.size(); at += 2 + (size_t(claim[at + 2]) << 8 | claim[at + 3])) {
    if (claim[at + 1] != 0xC0) continue;
    claim[at + 5] = 0x10, claim[at + 6] = 0x00, claim[at + 7] = 0x10, claim[at + 8] = 0x00;  // height, width
    break;
  }
  Put("image_decode", "jpeg_4096_claimed.jpg", claim);
  Bytes cutScans = testsupport::EncodeJpeg(
      photo, 80, {{{0, 1, 2}, 0, 0, 0, 0}, {{0}, 1, 63, 0, 0}, {{1}, 1, 63, 0, 0}, {{2}, 1, 63, 0, 0}});
  cutScans.resize(cutScans.size() / 2);
  Put("image_decode", "progressive_cut.jpg", cutScans);
  Put("image_decode", "arithmetic.jpg", testsupport::EncodeJpeg(photo, 80, {}, true));
  Put("image_decode", "arithmetic_progressive.jpg",
      testsupport::EncodeJpeg(photo, 80,
                              {{{0, 1, 2}, 0, 0, 0, 1}, {{0}, 1, 63, 0, 1}, {{1}, 1, 63, 0, 0}, {{2}, 1, 63, 0, 0},
                               {{0, 1, 2}, 0, 0, 1, 0}, {{0}, 1, 63, 1, 0}},
                              true));
  // The scans' work at its bound and just past it (a grey 32 x 32 whose
  // bands are taken again: 390 and 392 a block, where a plain picture
  // does 65 and the bound is 6 times that), the luma's band repeated 200
  // times, a grey picture in the common encoders' progressive script and
  // one whose 3 AC bits are refined a scan at a time, the DC's last apart.
  const plat::Image grey = testsupport::MakeImage(32, 32, [](int x, int y) { return 0xFF010101u * uint32_t(x * 8 ^ y); });
  const testsupport::JpegForm greyForm{true, 1, false};
  const Bytes greyBands = testsupport::RepeatScan(
      testsupport::EncodeJpeg(grey, 90, greyForm, {{{0}, 0, 0, 0, 0}, {{0}, 1, 1, 0, 0}, {{0}, 2, 63, 0, 0}}), 3, 5);
  Put("image_decode", "scans_at_bound.jpg", testsupport::RepeatScan(greyBands, 2, 4));
  Put("image_decode", "scans_past_bound.jpg", testsupport::RepeatScan(greyBands, 2, 5));
  Put("image_decode", "band_repeated.jpg",
      testsupport::RepeatScan(testsupport::EncodeJpeg(photo, 80, testsupport::SpectralScript(4)), 2, 200));
  Put("image_decode", "progressive_grey.jpg", testsupport::EncodeJpeg(grey, 90, testsupport::JpegForm{true, 1, true}));
  Put("image_decode", "refined_grey.jpg",
      testsupport::EncodeJpeg(grey, 90, greyForm,
                              {{{0}, 0, 0, 0, 1}, {{0}, 1, 8, 0, 3}, {{0}, 9, 63, 0, 3}, {{0}, 1, 63, 3, 2},
                               {{0}, 1, 63, 2, 1}, {{0}, 1, 63, 1, 0}, {{0}, 0, 0, 1, 0}}));

  Put("registry_parse", "values.txt",
      Text("[HKLM\\SOFTWARE\\A]\nCoinCredit=dword:00000001\nName=sz:abc\nBin=hex:00,ff\n"
           "Q=qword:0123456789abcdef\n\n# a comment\n[B]\n; another\nx = sz: two words \n"));

  Put("sound_list", "three.sr", Text(MakeSoundList({{"a.wav", false, 0}, {"bb.wav", true, 1000}, {"c.wav", true, 0}})));
  // The two waves the entry point's cache holds: static, streamed, a blank
  // line, then a missing one.
  Put("sound_list", "held_waves.sr", Text("a.wav\r\nb.wav 100 1\r\n\r\na.wav 7\r\nb.wav 0\r\nmissing.wav\r\n"));
  // The large waves: one named 128 times, made once; both as static and
  // streamed sounds.
  Put("sound_list", "large_repeated.sr", Text(testsupport::Repeated("c.wav\r\n", 128)));
  Put("sound_list", "large_both_kinds.sr", Text("c.wav\r\nc.wav 0 1\r\nd.wav\r\nd.wav 10 1\r\nc.wav 5 1\r\n"));
  Put("tr_list", "held_pngs.tr", Text("a.png\r\nb.png\r\na.png b.png\r\n"));
  Put("tr_list", "then_missing.tr", Text("b.png\nmissing.png\n"));
  // The large pictures (1024 x 1024, and a header of 4096 x 4096): one
  // named 128 times, made once; the largest after another, past the
  // image's budget.
  Put("tr_list", "large_repeated.tr", Text(testsupport::Repeated("d.png\r\n", 128)));
  Put("tr_list", "large_past_budget.tr", Text("d.png\r\nd.png\r\nc.png\r\na.png\r\n"));
  // A picture cut short (charged, then failing) before one the decode-ahead
  // charged; a header too large for its file first.
  Put("tr_list", "cut_before_large.tr", Text("a.png\r\ne.png\r\nd.png\r\n"));
  Put("tr_list", "claim_first.tr", Text("c.png\r\nd.png\r\nb.png\r\n"));
  Put("wave_file", "mono16.wav", MakeWaveFile16(1, 44100, std::vector<int16_t>(64, -3)));
  Put("wave_file", "stereo8.wav", MakeWaveFile(2, 8000, 8, std::vector<uint8_t>(16, 200)));
  // Chunks as RIFF lays them out, written by hand: a LIST of 13 bytes and
  // its pad byte before and after "fmt ", JUNK first, odd samples without
  // their pad at the end; and "data" before "fmt " (refused).
  {
    const auto le32 = [](size_t n) { return Bytes{uint8_t(n), uint8_t(n >> 8), uint8_t(n >> 16), uint8_t(n >> 24)}; };
    const auto chunk = [&](const char* id, Bytes body, bool pad = true) {
      Bytes c(id, id + 4), size = le32(body.size());
      c.insert(c.end(), size.begin(), size.end());
      c.insert(c.end(), body.begin(), body.end());
      if (pad && body.size() % 2 == 1) c.push_back(0);
      return c;
    };
    const auto wave = [&](std::initializer_list<Bytes> chunks) {
      Bytes body = {'W', 'A', 'V', 'E'};
      for (const Bytes& c : chunks) body.insert(body.end(), c.begin(), c.end());
      return chunk("RIFF", body);
    };
    const Bytes fmt = chunk("fmt ", {1, 0, 1, 0, 0x40, 0x1F, 0, 0, 0x40, 0x1F, 0, 0, 1, 0, 8, 0});
    const Bytes list = chunk("LIST", Bytes(13, 'i')), junk = chunk("JUNK", Bytes(28, 0));
    const Bytes samples = chunk("data", {1, 2, 3, 4, 5, 6, 7, 8});
    Put("wave_file", "odd_chunks_around_fmt.wav", wave({list, junk, fmt, list, samples}));
    Put("wave_file", "odd_samples_unpadded.wav", wave({junk, fmt, chunk("data", {9, 8, 7, 6, 5}, false)}));
    Put("wave_file", "data_before_fmt.wav", wave({samples, fmt}));
  }
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
  // Beside the defaults: a setting above its range, and a bad checksum.
  settings[4 * 9] = 250;
  settings[kSystemFileChecksumAt] = SystemFileChecksum(settings.data());
  Put("settings_file", "volume_out_of_range.dat", settings);
  settings[kSystemFileChecksumAt] ^= 0x5A;
  Put("settings_file", "bad_checksum.dat", settings);
  rank[kRankFileSize - 1] ^= 0x5A;
  Put("rank_file", "bad_checksum.dat", rank);

  PutDdsLayouts();
  PutBmpLayouts();
  PutJvsReplies();
  PutDrawStates();
  PutDataModels();

  Put("cache_archive", "empty", ArchiveOf({}));
  // 400 entries of no bytes: the shape whose entries were never charged.
  std::vector<std::pair<std::string, Bytes>> empties;
  for (int i = 0; i < 400; ++i) empties.push_back({"damaged\\entry" + std::to_string(i), {}});
  Put("cache_archive", "empty_entries", ArchiveOf(empties));
  Put("cache_archive", "mixed",
      ArchiveOf({{"a\\stored.bin", Ramp(97)},
                 {"b\\packed.txt", Text(std::string(600, 'x') + "tail")},
                 {"c\\empty.bin", {}},
                 {std::string(127, 'n'), Text("full name field")}}));

  Put("stage_script", "every_record.stg", stage_file::WriteStageScript(EveryRecordScript()));
  // A tunnel of two groups: a strip, one naming a texture past the count,
  // one of two vertices (both left out), an empty group; extra block rows.
  TunnelMesh mesh;
  mesh.textureCount = 2;
  const TunnelVertex v{1.0f, 2.0f, 3.0f, 1.0f, 1.0f, 1.0f, 0.0f, 1.0f};
  mesh.groups = {{TunnelRecord{1, {v, v, v, v}}, TunnelRecord{5, {v, v, v}}, TunnelRecord{0, {v, v}}}, {}};
  Put("tunnel_model", "left_out_records.tnl", stage_file::WriteTunnel(mesh, 3));
  // Many textures, many empty groups and one group of a strip per texture
  // in falling texture order: the shape whose build once grew with textures
  // times groups.
  mesh.textureCount = 400;
  mesh.groups.assign(3000, {});
  for (uint32_t t = 400; t-- > 0;) mesh.groups[0].push_back(TunnelRecord{t, {v, v, v}});
  Put("tunnel_model", "many_textures_and_groups.tnl", stage_file::WriteTunnel(mesh));
  // 10,000 empty groups and four strips among them: the shape whose parts
  // once took fourteen times their file and walked every group each frame.
  mesh.textureCount = 2;
  mesh.groups.assign(10000, {});
  for (size_t g : {size_t(0), size_t(3333), size_t(6666), size_t(9999)})
    mesh.groups[g].push_back(TunnelRecord{uint32_t(g % 2), {v, v, v}});
  Put("tunnel_model", "empty_groups.tnl", stage_file::WriteTunnel(mesh));
  Put("camera_path", "no_keys.cam", stage_file::WriteCameraPath({}));
  Put("placement_list", "no_objects.opl", stage_file::WritePlacementList({}));
  Put("placement_list", "many_objects.opl", stage_file::WritePlacementList(std::vector<stage_file::Placement>(2000)));
  Put("visibility_list", "steps.ovl",
      stage_file::WriteVisibilityList({{0, {0, 1, 2}}, {0, {}}, {5, {7, 8, 100000}}, {3, {1}}}));
  // 5,000 steps of key 0 after the first: the shape every frame once
  // walked from the cursor.
  std::vector<VisibilityStep> lowKeys(5002);
  lowKeys[0] = {0, {0, 1}};
  lowKeys[5001] = {103, {1, 2}};
  Put("visibility_list", "low_keys_after_first.ovl", stage_file::WriteVisibilityList(lowKeys));
  // A timeline of loops that never wait (nine spawns and a jump back over
  // them, a forward jump past the only record that waits, a jump back
  // while enemies live) and one that waits.
  StageScript loops = EveryRecordScript();
  loops.timeline.clear();
  auto record = [&loops](float delay, uint32_t op, int32_t jump) {
    EnemySpawnRecord r;
    r.delay = delay;
    r.opcode = op;
    r.argument = loops.params.empty() ? 0 : loops.params[0].id;
    r.jump = jump;
    loops.timeline.push_back(r);
  };
  for (int i = 0; i < 9; ++i) record(0.0f, 0x7F8, 0);
  record(0.0f, 0x040, -9);
  record(0.0f, 0x7F8, 0);
  record(0.0f, 0x040, 2);
  record(10.0f, 0x7F8, 0);
  record(0.0f, 0x040, -3);
  record(-1.0f, 0x7F8, 0);
  record(0.0f, 0x010, -1);
  record(0.0f, 0x7F8, 0);
  record(3.0f, 0x7F8, 0);
  record(0.0f, 0x040, -2);
  Put("stage_script", "timeless_loops.stg", stage_file::WriteStageScript(loops));

  // LZ blocks of bytes that do not repeat and of one long run (the longest
  // matches).
  for (int level : {SLzCodec::kMinLevel, 3}) {
    Put("lz_block", "noise_level" + std::to_string(level), LzBlock(Ramp(300, 11), level));
    Put("lz_block", "run_level" + std::to_string(level), LzBlock(Bytes(1000, 'z'), level));
  }
  // Matches longer than their distance (the game's writer makes none): a
  // few bytes repeated by the level's longest matches, then a closing run.
  for (const uint32_t d : {4u, 9u, 33u}) {
    const int level = d == 9 ? 2 : 4;
    const uint32_t longest = level == 2 ? 83 : 1363;
    std::vector<testsupport::HandLzStep> steps = {{Ramp(d, 5), d, longest}, {{}, d, longest - 7}, {Text("end"), 0, 0}};
    Put("lz_block", "overlap_d" + std::to_string(d), testsupport::HandLzBlock(level, steps, true));
  }
  // Short matches over their distance back to back, 4 to 16 back, each
  // copy's stores running past its end into the next match's bytes.
  std::vector<testsupport::HandLzStep> shortSteps = {{Ramp(16, 3), 4, 29}};
  for (uint32_t d = 5; d <= 16; ++d) shortSteps.push_back({{}, d, 2 * d + 3});
  shortSteps.push_back({Text("end"), 0, 0});
  Put("lz_block", "short_overlaps", testsupport::HandLzBlock(2, shortSteps, true));
  // A replay of no frames.
  Put("rpd_replay", "empty.rpd", Replay::Encode({}));
  Put("inp_records", "no_records.inp", Bytes(4, 0));

  // Waves: 8-bit stereo and 24-bit (a format the device refuses), and one
  // with a chunk of odd size before its samples.
  Put("wave_file", "wide24.wav", MakeWaveFile(1, 22050, 24, Ramp(30)));
  Bytes listed = MakeWaveFile16(2, 11025, std::vector<int16_t>(20, 7));
  const Bytes chunk = {'L', 'I', 'S', 'T', 3, 0, 0, 0, 'a', 'b', 'c', 0};
  listed.insert(listed.begin() + 36, chunk.begin(), chunk.end());
  PutLe32(listed, 4, uint32_t(listed.size() - 8));
  Put("wave_file", "chunk_before_data.wav", listed);
  // Chunks after the samples, which are not read.
  Bytes trailed = MakeWaveFile16(1, 22050, std::vector<int16_t>(8, 5));
  for (int i = 0; i < 6; ++i) trailed.insert(trailed.end(), chunk.begin(), chunk.end());
  PutLe32(trailed, 4, uint32_t(trailed.size() - 8));
  Put("wave_file", "chunks_after_data.wav", trailed);

  // Texture animation: a scroll pair cut short, and a node table with v keys
  // only and one without keys.
  Put("tca_file", "short_scroll", Bytes{0, 1, 2, 3, 4, 5, 6});
  ModelTexAnim vOnly;
  vOnly.entries.resize(2);
  vOnly.entries[0].node = "0";
  vOnly.entries[0].hasV = true;
  vOnly.entries[0].vKeys = {{0, 0.0f}, {5, 0.5f}, {10, 1.0f}};
  vOnly.entries[1].node = "7";
  Bytes table2{1};
  const Bytes t2 = WriteTexAnimNodeTable(vOnly);
  table2.insert(table2.end(), t2.begin(), t2.end());
  Put("tca_file", "v_keys_only", table2);

  Put("sound_list", "odd_lines.sr",
      Text(" \r\n\r\na.wav 12\r\n\x80" "b.wav 0 1 9\r\n" + std::string(255, 'n') + " 3\r\nc.wav -4 x\r\n"));
  Put("registry_parse", "every_type.txt",
      Text("[HKLM\\SOFTWARE\\KORVA\\Lumoranet]\r\nCoinCredit=dword:ffffffff\r\nResolution=dword:0000000\r\n"
           "Wide=qword:ffffffffffffffff\r\nName=sz:\r\nBytes=hex:\r\nOdd=hex:0,1g,ff,\r\nNoType=12\r\n"
           "=dword:00000001\r\n[]\r\n[unclosed\r\nKey=unknown:1\r\n"));
  Put("image_decode", "rgb.png", testsupport::EncodePng(pattern, testsupport::PngKind::kRgb));
  Put("image_decode", "q10.jpg", testsupport::EncodeJpeg(pattern, 10));
  return g_ok ? 0 : 1;
}
