// Stand-in data generator: writes the data tree the game loads (sprite
// images with their image lists, sound banks with their sound lists) under
// the directory given on the command line. Same bytes on every run; files
// whose bytes did not change are left alone.
#include <chrono>
#include <cstdio>
#include <string>

#include "tools/common/Arguments.h"
#include "tools/datagen/cache.h"
#include "tools/datagen/canvas.h"
#include "tools/datagen/countdown_images.h"
#include "tools/datagen/end_scene_caches.h"
#include "tools/datagen/images.h"
#include "tools/datagen/player_files.h"
#include "tools/datagen/scene_caches.h"
#include "tools/datagen/sounds.h"
#include "tools/datagen/stage_content.h"
#include "tools/datagen/stage_files.h"

namespace {

constexpr const char* kUsage =
    "usage: datagen <data directory>\n"
    "  writes the stand-in data tree under the directory (made when missing)\n";

}  // namespace

int main(int argc, char** argv) {
  // A word that begins with a dash is an option, never a directory to fill:
  // the only ones are --help and -h.
  if (argc == 2 && tools::AsksForHelp(argv[1])) return tools::ShowHelp(kUsage);
  for (int i = 1; i < argc; ++i)
    if (argv[i][0] == '-') {
      std::fprintf(stderr, "datagen: unknown option %s\n%s", argv[i], kUsage);
      return 2;
    }
  if (argc != 2) return tools::UsageError(kUsage);
  // The empty word is no directory: the tree is not written into the
  // current one.
  if (int bad = tools::CheckFolder("datagen", "<data directory>", argv[1], "the data tree to write")) return bad;
  const std::string root = argv[1];
  const auto start = std::chrono::steady_clock::now();
  const char* fontPath = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf";
  if (!datagen::LoadTextFont(fontPath)) {
    std::fprintf(stderr, "datagen: cannot load the font %s\n", fontPath);
    return 1;
  }
  datagen::WriteStats stats;
  datagen::GenerateImages(root, &stats);
  datagen::GenerateSounds(root, &stats);
  datagen::GeneratePlayerFiles(root, &stats);
  datagen::GenerateStageFiles(root, &stats);
  datagen::GenerateStageContent(root, &stats);
  datagen::GenerateCommonCache(root, &stats);
  datagen::GenerateSceneCaches(root, &stats);
  datagen::GenerateEndSceneCaches(root, &stats);
  datagen::GenerateCountDownImages(root, &stats);
  datagen::UnloadTextFont();
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("datagen: %d files written, %d unchanged, %d failed in %.2f s\n", stats.written, stats.unchanged,
              stats.failed, seconds);
  return stats.failed == 0 ? 0 : 1;
}
