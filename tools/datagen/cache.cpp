#include "tools/datagen/cache.h"

#include <cstdio>
#include <filesystem>
#include <vector>
#include <unistd.h>

#include "game/scene/CommonTables.h"
#include "vrax/io/SCacheArchive.h"
#include "vrax/resource/ImageList.h"
#include "vrax/sound/SoundList.h"

namespace datagen {
namespace {

// A game path ("\common\osr_efx") as a path below the data root.
std::string RelativeName(const std::string& gameName) {
  std::string rel = gameName;
  for (char& c : rel)
    if (c == '\\') c = '/';
  while (!rel.empty() && rel[0] == '/') rel.erase(0, 1);
  return rel;
}

std::string HostPath(const std::string& root, const std::string& gameName) {
  return root + "/" + RelativeName(gameName);
}

// The file names of an image or sound list, read as the game reads them.
std::vector<std::string> ListNames(const std::vector<std::uint8_t>& bytes, bool soundList) {
  std::vector<std::string> names;
  const std::uint8_t* data = bytes.data();
  const std::size_t size = bytes.size();
  if (!soundList) {
    image_list::Parse(data, size, &names);
    return names;
  }
  for (std::size_t at = 0; at < size; at = SoundListNextLine(data, size, at)) {
    SoundListLine line;
    if (ReadSoundListLine(data, size, at, &line) && !line.name.empty()) names.push_back(line.name);
  }
  return names;
}

// Adds the list file and every file it names that exists beside it.
void AddList(const std::string& root, const std::string& path, const char* extension, SCacheArchive* archive) {
  const std::string listName = path + extension;
  std::vector<std::uint8_t> bytes;
  if (!ReadFileBytes(HostPath(root, listName), &bytes)) return;
  archive->Add(listName, bytes.data(), static_cast<uint32_t>(bytes.size()));
  const std::string dir = image_list::DirectoryOf(path);
  for (const std::string& token : ListNames(bytes, std::string(extension) == ".sr")) {
    std::vector<std::uint8_t> data;
    if (token.find('.') == std::string::npos || !ReadFileBytes(HostPath(root, dir + token), &data)) continue;
    archive->Add(dir + token, data.data(), static_cast<uint32_t>(data.size()));
  }
}

// Adds one file when it exists.
void AddFile(const std::string& root, const std::string& name, SCacheArchive* archive) {
  std::vector<std::uint8_t> bytes;
  if (ReadFileBytes(HostPath(root, name), &bytes)) archive->Add(name, bytes.data(), static_cast<uint32_t>(bytes.size()));
}

}  // namespace

void GenerateTableCache(const std::string& root, const SRscRequest* table, const std::string& archiveName,
                        WriteStats* stats) {
  // The game's cache settings: 16 MB, level 2, files above 512 KB raw.
  SCacheArchive archive;
  archive.Init(16777216u, 1);
  archive.SetParams(2, 524288u, 1.0f);
  for (const SRscRequest* row = table; row->target; ++row) {
    if (row->tag == RscTag("IMG")) AddList(root, row->path, ".tr", &archive);
    if (row->tag == RscTag("SND")) AddList(root, row->path, ".sr", &archive);
    if (row->tag == RscTag("MDL")) {
      AddFile(root, std::string(row->path) + ".bma", &archive);
      AddFile(root, std::string(row->path) + ".tca", &archive);  // when the model has one
    }
    // The stage-world kinds read one file each.
    static constexpr struct {
      uint32_t tag;
      const char* extension;
    } kStageKinds[] = {{RscTag("STG"), ".stg"},
                       {RscTag("CAM"), ".cam"},
                       {RscTag("TNL"), ".tnl"},
                       {RscTag("OPL"), ".opl"},
                       {RscTag("OVL"), ".ovl"}};
    for (const auto& k : kStageKinds)
      if (row->tag == k.tag) AddFile(root, std::string(row->path) + k.extension, &archive);
  }
  const std::filesystem::path temp =
      std::filesystem::temp_directory_path() / ("datagen_cache_" + std::to_string(::getpid()));
  if (archive.Save(temp.string()) != 0) {
    ++stats->failed;
    return;
  }
  std::vector<std::uint8_t> bytes;
  const bool ok = ReadFileBytes(temp.string() + ".sca", &bytes);
  std::filesystem::remove(temp.string() + ".sca");
  if (!ok) {
    ++stats->failed;
    return;
  }
  WriteIfChanged(root, RelativeName(archiveName) + ".sca", bytes, stats);
}

void GenerateCommonCache(const std::string& root, WriteStats* stats) {
  GenerateTableCache(root, RscTableCommon, kCommonCacheArchive, stats);
}

}  // namespace datagen
