#include "tools/datagen/cache.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>
#include <unistd.h>

#include "game/scene/CommonTables.h"
#include "vrax/io/SCacheArchive.h"

namespace datagen {
namespace {

std::string HostPath(const std::string& root, const std::string& gameName) {
  std::string rel = gameName;
  for (char& c : rel)
    if (c == '\\') c = '/';
  while (!rel.empty() && rel[0] == '/') rel.erase(0, 1);
  return root + "/" + rel;
}

bool ReadFile(const std::string& path, std::vector<std::uint8_t>* out) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  out->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return true;
}

// The names of a text list: runs of bytes from 0x20 to 0x7F.
std::vector<std::string> ListNames(const std::vector<std::uint8_t>& bytes) {
  std::vector<std::string> names;
  std::string cur;
  for (std::uint8_t b : bytes) {
    if (b >= 0x20 && b < 0x80) {
      cur.push_back(static_cast<char>(b));
    } else if (!cur.empty()) {
      names.push_back(cur);
      cur.clear();
    }
  }
  if (!cur.empty()) names.push_back(cur);
  return names;
}

// Adds the list file and every file it names that exists beside it.
void AddList(const std::string& root, const std::string& path, const char* extension, SCacheArchive* archive) {
  const std::string listName = path + extension;
  std::vector<std::uint8_t> bytes;
  if (!ReadFile(HostPath(root, listName), &bytes)) return;
  archive->Add(listName, bytes.data(), static_cast<uint32_t>(bytes.size()));
  const std::string dir = path.substr(0, path.find_last_of('\\') + 1);
  for (const std::string& token : ListNames(bytes)) {
    std::vector<std::uint8_t> data;
    if (token.find('.') == std::string::npos || !ReadFile(HostPath(root, dir + token), &data)) continue;
    archive->Add(dir + token, data.data(), static_cast<uint32_t>(data.size()));
  }
}

}  // namespace

void GenerateCommonCache(const std::string& root, WriteStats* stats) {
  // The game's cache settings: 16 MB, level 2, files above 512 KB raw.
  SCacheArchive archive;
  archive.Init(16777216u, 1);
  archive.SetParams(2, 524288u, 1.0f);
  for (const SRscRequest* row = RscTableCommon; row->target; ++row) {
    if (row->tag == RscTag("IMG")) AddList(root, row->path, ".tr", &archive);
    if (row->tag == RscTag("SND")) AddList(root, row->path, ".sr", &archive);
  }
  const std::filesystem::path temp =
      std::filesystem::temp_directory_path() / ("datagen_cache_" + std::to_string(::getpid()));
  if (archive.Save(temp.string()) != 0) {
    ++stats->failed;
    return;
  }
  std::vector<std::uint8_t> bytes;
  const bool ok = ReadFile(temp.string() + ".sca", &bytes);
  std::filesystem::remove(temp.string() + ".sca");
  if (!ok) {
    ++stats->failed;
    return;
  }
  WriteIfChanged(root, "cache/common.sca", bytes, stats);
}

}  // namespace datagen
