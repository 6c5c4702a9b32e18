#include "vrax/io/SCacheArchive.h"

#include <chrono>
#include <cstring>
#include <new>
#include <stdexcept>
#include <system_error>

#include "platform/byte_order.h"
#include "vrax/io/SLzCodec.h"
#include "vrax/io/SysUtil.h"

namespace {

const char kMagic[20] = "VRAX CACHE ARCHIVE";  // two zero bytes follow the text
const char kVersion[4] = {'1', '0', '0', '1'};
const char kExtension[] = ".sca";

// A name must fit the 128-byte field with its terminator.
bool NameFits(const std::string& name) {
  return name.size() < SCacheArchive::kNameField && name.find('\0') == std::string::npos;
}

}  // namespace

int32_t SCacheArchive::Init(uint32_t capacity, int32_t mode) {
  Clear();
  capacity_ = capacity;
  mode_ = mode;
  return 0;
}

void SCacheArchive::SetParams(int32_t level, uint32_t threshold, float ratioLimit) {
  level_ = level;
  threshold_ = threshold;
  ratioLimit_ = ratioLimit;
}

void SCacheArchive::Clear() {
  entries_.clear();  // waits for the packs still running
  index_.clear();
  archives_.clear();
  used_ = 0;
  booked_ = 0;
  packing_ = 0;
  charged_.Release();
}

int32_t SCacheArchive::Add(const std::string& name, const void* data, uint32_t size) {
  if (data == nullptr && size != 0) return -1;
  if (level_ > 0 && (threshold_ == 0 || size <= threshold_) && size > 0 && !Contains(name) &&
      NameFits(name)) {
    // Packed in the background when the raw bytes fit the pool: the chosen
    // form is never larger, so whether the file is cached is settled now.
    const uint64_t need = uint64_t(size) + EntryCharge(name);
    if (size <= capacity_ && used_ + booked_ + need > capacity_) Settle();
    if (size <= capacity_ && used_ + booked_ + need <= capacity_) {
      if (AddEntry(name, data, size, 0) < 0) return -1;
      if (StartPacking(entries_.size() - 1)) return 0;
      RemoveAt(entries_.size() - 1);  // no thread: pack here instead
    }
    SLzCodec lz;
    if (lz.Compress(data, size, level_) < 0) return -1;
    if (static_cast<float>(lz.GetPackedSize()) / static_cast<float>(size) <= ratioLimit_) {
      return AddEntry(name, lz.GetPackedData(), lz.GetPackedSize(), 1);
    }
  }
  return AddEntry(name, data, size, 0);
}

bool SCacheArchive::StartPacking(size_t i) {
  Entry& e = entries_[i];
  // The worker reads the entry's own bytes: their buffer stays where it is
  // when the entry list grows, and is not touched until the pack is taken.
  const uint8_t* src = e.data.data();
  const uint32_t size = static_cast<uint32_t>(e.data.size());
  const int32_t level = level_;
  // The block is held beside the raw bytes until a frame takes it.
  if (!charged_.Charge(size)) return true;
  try {
    e.packing = std::async(std::launch::async, [src, size, level] {
      std::vector<uint8_t> block;
      SLzCodec lz;
      try {
        if (lz.Compress(src, size, level) >= 0) block.assign(lz.GetPackedData(), lz.GetPackedData() + lz.GetPackedSize());
      } catch (const std::bad_alloc&) {
        block.clear();
      }
      return block;
    });
  } catch (const std::system_error&) {
    charged_.GiveBack(size);
    return false;
  } catch (const std::bad_alloc&) {
    charged_.GiveBack(size);
    return false;
  }
  ++packing_;
  return true;
}

bool SCacheArchive::Finish(size_t i) const {
  Entry& e = entries_[i];
  if (!e.packing.valid()) return true;
  std::vector<uint8_t> block = e.packing.get();
  --packing_;
  const size_t size = e.data.size();
  charged_.GiveBack(size);  // the block's charge; the entry's follows its data
  if (block.empty()) {
    RemoveAt(i);  // packing failed: not cached, as a failed Add
    return false;
  }
  SLzCodec::Header h;
  if (static_cast<float>(block.size()) / static_cast<float>(size) > ratioLimit_) return true;  // stays raw
  // What AddEntry would have refused (a block larger than the file under a
  // ratio limit above 1 that no longer fits the pool, a bad header).
  if (SLzCodec::ReadHeader(block.data(), block.size(), &h) < 0 || h.total != block.size() ||
      used_ + booked_ - size + block.size() > capacity_ ||
      (block.size() > size && !charged_.Charge(block.size() - size))) {
    RemoveAt(i);
    return false;
  }
  if (block.size() < size) charged_.GiveBack(size - block.size());
  used_ = used_ - size + block.size();
  e.data = std::move(block);
  e.packed = 1;
  return true;
}

void SCacheArchive::Settle() const {
  for (size_t i = 0; packing_ > 0 && i < entries_.size();) {
    if (Finish(i)) ++i;
  }
}

void SCacheArchive::Poll() {
  for (size_t i = 0; packing_ > 0 && i < entries_.size();) {
    Entry& e = entries_[i];
    if (e.packing.valid() && e.packing.wait_for(std::chrono::seconds(0)) == std::future_status::ready && !Finish(i)) {
      continue;
    }
    ++i;
  }
}

size_t SCacheArchive::PackingCount() const { return packing_; }

int32_t SCacheArchive::FindArchive(const std::string& file) const {
  for (size_t a = 0; a < archives_.size(); ++a)
    if (archives_[a].file == file) return static_cast<int32_t>(a);
  return -1;
}

std::string SCacheArchive::ArchiveOf(const std::string& name) const {
  const auto it = index_.find(name);
  if (it == index_.end() || entries_[it->second].archive < 0) return std::string();
  return archives_[static_cast<size_t>(entries_[it->second].archive)].file;
}

void SCacheArchive::Adopt(const std::string& name, const std::string& archive) {
  const auto it = index_.find(name);
  if (it != index_.end()) entries_[it->second].archive = FindArchive(archive);
}

int32_t SCacheArchive::Rewrite(const std::string& archive) const {
  const int32_t a = FindArchive(archive);
  if (a < 0 || !archives_[static_cast<size_t>(a)].whole) return -1;
  Settle();
  std::vector<const Entry*> list;
  try {
    for (const std::string& name : archives_[static_cast<size_t>(a)].names) {
      const auto it = index_.find(name);
      if (it == index_.end() || entries_[it->second].archive != a) return -1;
      list.push_back(&entries_[it->second]);
    }
  } catch (const std::bad_alloc&) {
    return -1;
  }
  return Write(archive, list);
}

void SCacheArchive::Remove(const std::string& name) {
  const auto it = index_.find(name);
  if (it == index_.end()) return;
  const size_t i = it->second;
  if (Finish(i)) RemoveAt(i);  // a pack that failed has removed the entry already
}

void SCacheArchive::RemoveAt(size_t i) const {
  used_ -= entries_[i].data.size();
  booked_ -= EntryCharge(entries_[i].name);
  charged_.GiveBack(entries_[i].data.size() + EntryCharge(entries_[i].name));
  entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(i));
  index_.clear();
  for (size_t k = 0; k < entries_.size(); ++k) index_.emplace(entries_[k].name, k);
}

int32_t SCacheArchive::AddEntry(const std::string& name, const void* data, uint32_t size, uint8_t packed) {
  return Append(name, data, size, packed, -1);
}

bool SCacheArchive::HeadReads(const void* block, uint32_t size, SLzCodec::Header* out) const {
  SLzCodec::Header h;
  if (SLzCodec::ReadHeader(block, size, &h) < 0 || h.total != size || h.unpackedSize > capacity_) return false;
  if (out != nullptr) *out = h;
  return true;
}

int32_t SCacheArchive::Append(const std::string& name, const void* data, uint32_t size, uint8_t packed,
                              int32_t archive) {
  if (size > capacity_) return -1;
  if (Contains(name)) return 0;
  if (!NameFits(name)) return -1;  // could not be saved: keep it out of the cache
  if (data == nullptr && size != 0) return -1;
  // Entries still packing hold their raw size: the exact use decides.
  const uint64_t need = uint64_t(size) + EntryCharge(name);
  if (used_ + booked_ + need > capacity_) Settle();
  if (used_ + booked_ + need > capacity_) return -1;  // the pool is full: refuse
  // An archive's entry whose block head does not read is taken as it is
  // stored: served, it fails as a block that does not unpack does, and the
  // archive is written again from the tree's file.
  if (packed && archive < 0 && !HeadReads(data, size)) return -1;
  if (!charged_.Charge(need)) return -1;  // what all loads hold is full: not cached
  try {
    Entry e;
    e.name = name;
    e.data.assign(static_cast<const uint8_t*>(data), static_cast<const uint8_t*>(data) + size);
    e.packed = packed ? 1 : 0;
    e.archive = archive;
    entries_.push_back(std::move(e));
    index_.emplace(name, entries_.size() - 1);
  } catch (const std::bad_alloc&) {
    if (entries_.size() > index_.size()) entries_.pop_back();
    charged_.GiveBack(need);
    return -1;
  }
  used_ += size;
  booked_ += EntryCharge(name);
  return 0;
}

int32_t SCacheArchive::GetSize(const std::string& name, uint32_t* outSize) const {
  auto it = index_.find(name);
  if (it == index_.end()) {
    if (outSize) *outSize = 0;
    return -1;
  }
  const Entry& e = entries_[it->second];
  uint32_t size = static_cast<uint32_t>(e.data.size());
  if (e.packed) {
    SLzCodec::Header h;
    if (!HeadReads(e.data.data(), e.data.size(), &h)) {
      if (outSize) *outSize = 0;
      return -1;
    }
    size = h.unpackedSize;
  }
  if (outSize) *outSize = size;
  return 0;
}

const std::vector<uint8_t>* SCacheArchive::EntryData(const std::string& name, uint8_t* packed) const {
  Settle();
  auto it = index_.find(name);
  if (it == index_.end()) return nullptr;
  if (packed) *packed = entries_[it->second].packed;
  return &entries_[it->second].data;
}

int32_t SCacheArchive::Lookup(const std::string& name, void* destination, size_t capacity) const {
  auto it = index_.find(name);
  if (it == index_.end()) return -1;
  const Entry& e = entries_[it->second];
  if (e.packed) return SLzCodec::DecodeBlock(e.data.data(), e.data.size(), destination, capacity);
  if (e.data.size() > capacity) return -1;
  if (!e.data.empty()) {
    if (destination == nullptr) return -1;
    std::memcpy(destination, e.data.data(), e.data.size());
  }
  return 0;
}

bool SCacheArchive::Exists(const std::string& path) const { return FileSize(MakeFileName(path, kExtension)) >= 0; }

int32_t SCacheArchive::Save(const std::string& path) const {
  Settle();
  std::vector<const Entry*> list;
  try {
    list.reserve(entries_.size());
  } catch (const std::bad_alloc&) {
    return -1;
  }
  for (const Entry& e : entries_) list.push_back(&e);
  return Write(MakeFileName(path, kExtension), list);
}

int32_t SCacheArchive::Write(const std::string& file, const std::vector<const Entry*>& list) const {
  // The archive is built whole beside the entries it copies: charged first.
  uint64_t archiveSize = kHeaderSize;
  for (const Entry* e : list) archiveSize += kEntryHeaderSize + e->data.size();
  LoadBudget held(archiveSize, &LoadedTotal(), LoadUse::kAhead);
  if (!held.Charge(archiveSize)) return -1;
  std::vector<uint8_t> bytes;
  try {
    bytes.reserve(static_cast<size_t>(archiveSize));
  } catch (const std::bad_alloc&) {
    return -1;
  }
  bytes.resize(kHeaderSize);
  std::memcpy(bytes.data(), kMagic, sizeof kMagic);
  std::memcpy(bytes.data() + 20, kVersion, sizeof kVersion);
  plat::WriteLe32(bytes.data() + 24, static_cast<uint32_t>(list.size()));
  for (const Entry* e : list) {
    uint8_t eh[kEntryHeaderSize] = {};
    std::memcpy(eh, e->name.data(), e->name.size());  // NameFits: terminator included
    plat::WriteLe32(eh + kNameField, static_cast<uint32_t>(e->data.size()));
    eh[kNameField + 4] = e->packed;
    bytes.insert(bytes.end(), eh, eh + sizeof eh);
    bytes.insert(bytes.end(), e->data.begin(), e->data.end());
  }
  return FileSave(file, bytes.data(), bytes.size()) ? 0 : -1;
}

int32_t SCacheArchive::Load(const std::string& path) {
  const std::string name = MakeFileName(path, kExtension);
  int64_t size = FileSize(name);
  if (size < 0) return -1;
  if (static_cast<uint64_t>(size) < kHeaderSize || size > kMaxDataFileBytes) return -1;
  // The file is held whole while its entries are copied into the pool.
  LoadBudget held(uint64_t(kMaxDataFileBytes), &LoadedTotal(), LoadUse::kAhead);
  if (!held.Charge(uint64_t(size))) return -1;
  std::vector<uint8_t> bytes;
  try {
    bytes.resize(static_cast<size_t>(size));
  } catch (const std::bad_alloc&) {
    return -1;
  } catch (const std::length_error&) {
    return -1;
  }
  if (FileReadAll(name, bytes.data(), bytes.size()) < 0) return -1;
  // Its entries name it, so that one whose bytes turn out damaged can have
  // the archive written again (see ArchiveOf and Rewrite). Read again, it
  // adds what the cache no longer holds as files of no archive.
  if (FindArchive(name) >= 0) return ReadEntries(bytes.data(), bytes.size(), -1);
  try {
    archives_.push_back({name, {}, true});
  } catch (const std::bad_alloc&) {
    return -1;
  }
  const int32_t result = ReadEntries(bytes.data(), bytes.size(), static_cast<int32_t>(archives_.size() - 1));
  if (result < 0) archives_.back().whole = false;
  return result;
}

void SCacheArchive::NoteEntry(int32_t archive, const std::string& name, bool taken) {
  Archive& a = archives_[static_cast<size_t>(archive)];
  if (!taken) {
    a.whole = false;
    return;
  }
  try {
    a.names.push_back(name);
  } catch (const std::bad_alloc&) {
    a.whole = false;
  }
}

int32_t SCacheArchive::LoadFromMemory(const uint8_t* bytes, size_t size) { return ReadEntries(bytes, size, -1); }

int32_t SCacheArchive::ReadEntries(const uint8_t* bytes, size_t size, int32_t archive) {
  if (bytes == nullptr || size < kHeaderSize) return -1;
  if (std::memcmp(bytes, kMagic, sizeof kMagic - 1) != 0) return -1;  // text and its terminator
  if (std::memcmp(bytes + 20, kVersion, sizeof kVersion) != 0) return -1;
  int32_t count = static_cast<int32_t>(plat::ReadLe32(bytes + 24));
  if (count <= 0) return 0;
  size_t at = kHeaderSize;
  bool full = false;
  for (int32_t i = 0; i < count; ++i) {
    if (size - at < kEntryHeaderSize) return -1;
    const uint8_t* eh = bytes + at;
    const void* nul = std::memchr(eh, 0, kNameField);
    if (nul == nullptr) return -1;  // name without a terminator
    uint32_t dataSize = plat::ReadLe32(eh + kNameField);
    uint8_t packed = eh[kNameField + 4];
    at += kEntryHeaderSize;
    if (packed > 1 || dataSize > size - at) return -1;
    // An entry the cache refuses (larger than the pool, one the pool has no
    // room for) is left out; its file is read from disk.
    if (!full && used_ + booked_ + kEntryBookkeeping > capacity_) {
      Settle();
      full = used_ + booked_ + kEntryBookkeeping > capacity_;
    }
    std::string entryName(reinterpret_cast<const char*>(eh), static_cast<const uint8_t*>(nul) - eh);
    const bool taken = !full && !Contains(entryName) && Append(entryName, bytes + at, dataSize, packed, archive) == 0;
    if (archive >= 0) NoteEntry(archive, entryName, taken);
    at += dataSize;
  }
  return 0;
}
