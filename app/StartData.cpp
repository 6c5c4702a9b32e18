#include "app/StartData.h"

#include <cstdio>
#include <filesystem>

#include "game/scene/CommonTables.h"
#include "platform/paths.h"
#include "vrax/resource/SRsc.h"

namespace {

// The file a request reads: its path and the extension of its kind.
const char* KindExtension(uint32_t tag) {
  if (tag == RscTag("IMG")) return ".tr";
  if (tag == RscTag("SND")) return ".sr";
  if (tag == RscTag("MDL")) return ".bma";
  if (tag == RscTag("CAM")) return ".cam";
  return nullptr;
}

bool IsFileInData(const std::string& path) {
  std::error_code ec;
  return std::filesystem::is_regular_file(plat::MapPath("Data" + path), ec);
}

// The path with '/' and without the leading separator.
std::string Shown(std::string path) {
  for (char& c : path)
    if (c == '\\') c = '/';
  return path.empty() || path[0] != '/' ? path : path.substr(1);
}

std::string FirstMissing(const SRscRequest* table) {
  for (const SRscRequest* r = table; r->path != nullptr; ++r) {
    const char* ext = KindExtension(r->tag);
    if (ext == nullptr) continue;
    const std::string path = std::string(r->path) + ext;
    if (!IsFileInData(path)) return Shown(path);
  }
  return {};
}

}  // namespace

std::string FirstMissingStartFile() {
  std::string missing = FirstMissing(RscTableLoading);
  if (missing.empty() && !IsFileInData(std::string(kCommonCacheArchive) + ".sca"))
    missing = FirstMissing(RscTableCommon);
  if (missing.empty()) missing = FirstMissing(RscTableFontMusic);
  return missing;
}

void ReportMissingStartFile() {
  const std::string missing = FirstMissingStartFile();
  if (missing.empty()) return;
  std::fprintf(stderr, "ostrel: the data folder %s has no %s (OSTREL_DATA_DIR names the folder)\n",
               plat::DataDir().c_str(), missing.c_str());
}
