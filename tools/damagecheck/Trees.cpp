#include "tools/damagecheck/Trees.h"

#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <vector>

#include "platform/byte_order.h"
#include "vrax/io/SCacheArchive.h"
#include "vrax/io/SLzCodec.h"

namespace damagecheck {

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

constexpr int kPictures = 4;
constexpr int kGameLevel = 2;  // the level the game packs its cache at
const char kList[] = "pad0.png\r\npad1.png\r\npad2.png\r\npad3.png\r\n";

void WriteBe32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = uint8_t(v >> (24 - 8 * i));
}

void Chunk(Bytes* png, const char* tag, const Bytes& data) {
  uint8_t word[4];
  WriteBe32(word, uint32_t(data.size()));
  png->insert(png->end(), word, word + 4);
  const size_t start = png->size();
  png->insert(png->end(), tag, tag + 4);
  png->insert(png->end(), data.begin(), data.end());
  WriteBe32(word, uint32_t(crc32(0, png->data() + start, uInt(png->size() - start))));
  png->insert(png->end(), word, word + 4);
}

// 64x64 RGBA of one colour for picture n, its random bytes and its zeros.
Bytes Picture(int n, uint32_t randomBytes) {
  Bytes png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  Bytes header(13, 0);
  WriteBe32(header.data(), 64);
  WriteBe32(header.data() + 4, 64);
  header[8] = 8;  // bits per sample
  header[9] = 6;  // RGBA
  Chunk(&png, "IHDR", header);
  Bytes rows;
  for (int y = 0; y < 64; ++y) {
    rows.push_back(0);
    for (int x = 0; x < 64; ++x) rows.insert(rows.end(), {uint8_t(40 * n), uint8_t(255 - 40 * n), 128, 255});
  }
  uLongf packed = compressBound(uLong(rows.size()));
  Bytes idat(packed);
  compress2(idat.data(), &packed, rows.data(), uLong(rows.size()), 9);
  idat.resize(packed);
  Chunk(&png, "IDAT", idat);
  Chunk(&png, "IEND", {});
  std::mt19937 random(uint32_t(n + 1));
  for (uint32_t i = 0; i < randomBytes && png.size() < kCopiesTreePicture; ++i) png.push_back(uint8_t(random()));
  png.resize(kCopiesTreePicture, 0);
  return png;
}

bool Write(const fs::path& p, const void* data, size_t size) {
  std::ofstream out(p, std::ios::binary | std::ios::trunc);
  out.write(static_cast<const char*>(data), std::streamsize(size));
  return bool(out);
}

struct Entry {
  std::string name;
  Bytes data;
  uint8_t packed = 0;
};

// The entries of an archive, in order; false when it does not read whole.
bool ReadArchive(const fs::path& p, std::vector<Entry>* out) {
  std::ifstream in(p, std::ios::binary);
  const Bytes b((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (b.size() < SCacheArchive::kHeaderSize) return false;
  const uint32_t count = plat::ReadLe32(b.data() + 24);
  size_t at = SCacheArchive::kHeaderSize;
  for (uint32_t i = 0; i < count && count < 0x80000000u; ++i) {
    if (b.size() - at < SCacheArchive::kEntryHeaderSize) return false;
    const uint8_t* h = b.data() + at;
    const size_t size = plat::ReadLe32(h + SCacheArchive::kNameField);
    at += SCacheArchive::kEntryHeaderSize;
    if (size > b.size() - at || std::memchr(h, 0, SCacheArchive::kNameField) == nullptr) return false;
    out->push_back({reinterpret_cast<const char*>(h), Bytes(b.begin() + long(at), b.begin() + long(at + size)),
                    h[SCacheArchive::kNameField + 4]});
    at += size;
  }
  return true;
}

bool WriteArchive(const fs::path& p, const std::vector<Entry>& entries) {
  Bytes b(SCacheArchive::kHeaderSize, 0);
  std::memcpy(b.data(), "VRAX CACHE ARCHIVE", 18);
  std::memcpy(b.data() + 20, "1001", 4);
  plat::WriteLe32(b.data() + 24, uint32_t(entries.size()));
  for (const Entry& e : entries) {
    uint8_t h[SCacheArchive::kEntryHeaderSize] = {};
    std::memcpy(h, e.name.data(), std::min(e.name.size(), SCacheArchive::kNameField - 1));
    plat::WriteLe32(h + SCacheArchive::kNameField, uint32_t(e.data.size()));
    h[SCacheArchive::kNameField + 4] = e.packed;
    b.insert(b.end(), h, h + sizeof h);
    b.insert(b.end(), e.data.begin(), e.data.end());
  }
  return Write(p, b.data(), b.size());
}

bool IsList(const std::string& name) { return name.size() > 3 && name.compare(name.size() - 3, 3, ".tr") == 0; }

}  // namespace

bool MakeCopiesTree(const std::string& from, const std::string& to, uint32_t randomBytes) {
  std::error_code ec;
  fs::copy(from, to, fs::copy_options::recursive | fs::copy_options::overwrite_existing, ec);
  if (ec) {
    std::fprintf(stderr, "damagecheck: cannot copy %s to %s: %s\n", from.c_str(), to.c_str(), ec.message().c_str());
    return false;
  }
  std::vector<Bytes> pictures, blocks;
  for (int n = 0; n < kPictures; ++n) {
    pictures.push_back(Picture(n, randomBytes));
    SLzCodec lz;
    if (lz.Compress(pictures.back().data(), kCopiesTreePicture, kGameLevel) < 0) return false;
    blocks.emplace_back(lz.GetPackedData(), lz.GetPackedData() + lz.GetPackedSize());
    std::printf("pad%d.png: %u bytes, packed %zu\n", n, kCopiesTreePicture, blocks.back().size());
  }
  // Every list of the tree, and the pictures beside it.
  std::vector<fs::path> lists;
  for (auto it = fs::recursive_directory_iterator(to, ec); !ec && it != fs::recursive_directory_iterator();
       it.increment(ec))
    if (it->is_regular_file(ec) && IsList(it->path().string())) lists.push_back(it->path());
  for (const fs::path& list : lists) {
    bool ok = Write(list, kList, sizeof kList - 1);
    for (int n = 0; ok && n < kPictures; ++n) {
      const fs::path p = list.parent_path() / ("pad" + std::to_string(n) + ".png");
      ok = fs::exists(p) || Write(p, pictures[size_t(n)].data(), pictures[size_t(n)].size());
    }
    if (!ok) return false;
  }
  for (auto it = fs::directory_iterator(fs::path(to) / "cache", ec); !ec && it != fs::directory_iterator();
       it.increment(ec)) {
    std::vector<Entry> old, entries;
    // The common archive stays in the cache all the run: padded, it would
    // leave a stage's archive no room.
    const bool common = it->path().filename() == "common.sca";
    if (it->path().extension() != ".sca" || !ReadArchive(it->path(), &old)) continue;
    std::map<std::string, bool> folders;
    for (Entry& e : old) {
      if (!IsList(e.name)) continue;
      const std::string folder = e.name.substr(0, e.name.rfind('\\') + 1);
      if (!common && !folders[folder]) {
        for (int n = 0; n < kPictures; ++n)
          entries.push_back({folder + "pad" + std::to_string(n) + ".png", blocks[size_t(n)], 1});
      }
      folders[folder] = true;
      e.data.assign(kList, kList + sizeof kList - 1);
      e.packed = 0;
    }
    entries.insert(entries.end(), old.begin(), old.end());
    if (!WriteArchive(it->path(), entries)) return false;
    std::printf("%s: %zu folders, %ju bytes\n", it->path().filename().c_str(), folders.size(),
                uintmax_t(fs::file_size(it->path(), ec)));
  }
  return !ec;
}

}  // namespace damagecheck
