#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "game/scene/CommonTables.h"
#include "support/TempDir.h"
#include "vrax/io/SCacheArchive.h"

namespace {

std::string Host(const std::string& gameName) {
  std::string rel = gameName;
  for (char& c : rel)
    if (c == '\\') c = '/';
  return testsupport::GeneratedDataRoot() + "/" + rel;
}

// What the game root requests at start-up exists in the generated tree, and
// the common cache archive holds every list of the common table, so the
// game reads it instead of building it in the data tree.
TEST(CommonTables, EveryStartUpRequestIsInTheGeneratedTreeAndTheArchive) {
  SCacheArchive archive;
  archive.Init(16777216u, 1);
  testsupport::ScopedDataDir data(testsupport::GeneratedDataRoot());
  ASSERT_EQ(archive.Load("Data//" + std::string(kCommonCacheArchive)), 0);
  int rows = 0;
  for (const SRscRequest* table : {RscTableLoading, RscTableCommon, RscTableFontMusic}) {
    for (const SRscRequest* row = table; row->target; ++row, ++rows) {
      const char* ext = row->tag == RscTag("SND")   ? ".sr"
                        : row->tag == RscTag("MDL") ? ".bma"
                        : row->tag == RscTag("CAM") ? ".cam"
                                                    : ".tr";
      const std::string list = std::string(row->path) + ext;
      EXPECT_TRUE(std::filesystem::exists(Host(list))) << list;
      if (table == RscTableCommon) {
        EXPECT_TRUE(archive.Contains(list)) << list;
      }
    }
  }
  EXPECT_EQ(rows, 1 + 31 + 3);
  EXPECT_TRUE(archive.Contains("\\sound\\osr_se_00.wav"));
  EXPECT_TRUE(archive.Contains("\\common\\osr_efx_00.png"));
}

}  // namespace
