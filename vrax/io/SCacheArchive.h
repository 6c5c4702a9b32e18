#pragma once
#include <cstddef>
#include <cstdint>
#include <future>
#include <string>
#include <unordered_map>
#include <vector>

#include "vrax/io/LoadBudget.h"
#include "vrax/io/SLzCodec.h"

// The I/O manager's in-memory file cache and its archive file (".sca").
// Entries keep their data as LZ blocks when that makes them no larger.
//
// Archive, little-endian:
//   0   20  "VRAX CACHE ARCHIVE" and two zero bytes
//   20   4  "1001"
//   24   4  entry count (i32)
//   28      entries: 128-byte zero-terminated name, u32 data size, u8 packed
//           flag, 3 zero bytes, then the data.
//
// The pool counts every entry's bookkeeping beside its data
// (kEntryBookkeeping and its name, held twice): an archive of many empty
// entries fills it as one of large files does.
//
// What the pool holds (ChargedBytes) is charged to what all loads hold
// together (LoadedTotal()) while it is held, and so are the blocks being
// packed (at their entry's raw size, the most a block that is kept takes),
// an archive file while Load reads it and the archive Save builds. The cache
// only speeds loads up, so it takes the total's free room alone, never the
// room the decode-ahead gives back to loads that need it. An entry the total
// cannot take is not cached, as one the pool cannot take; an archive it
// cannot take does not load or save.
//
// Packing a file takes tens of milliseconds for the largest ones, too long
// for the frame that completes its read. So Add lists the entry at once
// with its raw bytes (its name, place and unpacked size are known, and a
// lookup copies the raw bytes, the same bytes the block would decode to)
// and packs a copy on a worker thread. Poll() takes the finished blocks in
// each frame; whatever needs the stored form (Save, EntryData, UsedBytes,
// EntryCount, a full pool) waits for the rest first, so everything seen from
// outside is as if Add had packed at once.
class SCacheArchive {
 public:
  static constexpr size_t kNameField = 128;
  static constexpr size_t kHeaderSize = 28;
  static constexpr size_t kEntryHeaderSize = 136;
  // What an entry costs in the pool besides its data and its name's bytes
  // (the name is held by the entry and by the index, each charged): its
  // record (80 bytes, three times over while the list grows by doubling),
  // its index node and buckets (about 80, more while they grow) and the
  // allocator's headers.
  static constexpr uint32_t kEntryBookkeeping = 384;
  // The pool bytes an entry of that name costs besides its data.
  static uint64_t EntryCharge(const std::string& name) { return kEntryBookkeeping + 2 * uint64_t(name.size()); }

  // Prepares a pool of `capacity` bytes of entry data and bookkeeping (a
  // single entry's data may take up to `capacity` bytes). 0, or -1.
  int32_t Init(uint32_t capacity, int32_t mode);
  // Level 0 stores raw; files above the threshold (0: no limit) are stored
  // raw; the LZ block is used when packed / size <= ratioLimit.
  void SetParams(int32_t level, uint32_t threshold, float ratioLimit);

  SCacheArchive() = default;
  SCacheArchive(const SCacheArchive&) = delete;
  SCacheArchive& operator=(const SCacheArchive&) = delete;

  // Adds one file (compressed as the parameters say). 0 when the file is
  // cached or its name already is; -1 when it cannot be cached (too large,
  // pool full, a name that does not fit the 128-byte field). A file that is
  // packed in the background and whose packing then fails (no memory)
  // leaves the cache again, as a failed Add would have.
  int32_t Add(const std::string& name, const void* data, uint32_t size);
  // Takes the blocks that the worker threads have finished (never waits).
  void Poll();
  // Packs still in progress (for tests).
  size_t PackingCount() const;
  // Stores a copy of a ready entry (packed: data is an LZ block).
  int32_t AddEntry(const std::string& name, const void* data, uint32_t size, uint8_t packed);
  // 0 and the file's (unpacked) size, or -1 and 0 when absent or when its
  // LZ block's head does not read (an archive's damaged entry).
  int32_t GetSize(const std::string& name, uint32_t* outSize) const;
  // Writes the file's bytes into destination (capacity bytes). -1 when the
  // name is absent, the data does not decode or does not fit.
  int32_t Lookup(const std::string& name, void* destination, size_t capacity) const;
  bool Contains(const std::string& name) const { return index_.count(name) != 0; }
  // The archive file (the path Load was given, with ".sca") that the entry
  // of that name was read from, or was adopted by; empty when the entry was
  // added otherwise or is absent.
  std::string ArchiveOf(const std::string& name) const;
  // Notes the entry of that name (one added anew, in place of the archive's
  // own that left) as the archive file's, for Rewrite.
  void Adopt(const std::string& name, const std::string& archive);
  // Writes the archive file again, as Save writes it, from the entries read
  // from it (or adopted by it) in the order it held them. -1 without writing
  // when the cache left out one of its entries or holds it no longer.
  int32_t Rewrite(const std::string& archive) const;
  // Drops the entry of that name, if any (after its pack, when one runs).
  void Remove(const std::string& name);
  void Clear();

  // path + ".sca"; path is a game file name (mapped to the host).
  bool Exists(const std::string& path) const;
  int32_t Save(const std::string& path) const;
  // Reads an archive. Every field is checked against the bytes that are
  // there; a damaged archive gives -1 (entries read before the damage stay),
  // as does one larger than any data file is read (kMaxDataFileBytes).
  // Entries the pool cannot take are left out; once it cannot take even an
  // empty one, the rest are only checked. A packed entry whose block head
  // does not read is taken as stored (GetSize refuses it).
  int32_t Load(const std::string& path);
  int32_t LoadFromMemory(const uint8_t* bytes, size_t size);

  size_t EntryCount() const {
    Settle();
    return entries_.size();
  }
  // The entries' data in their stored form.
  uint64_t UsedBytes() const {
    Settle();
    return used_;
  }
  // What the pool holds: the data and every entry's bookkeeping.
  uint64_t ChargedBytes() const {
    Settle();
    return used_ + booked_;
  }
  int32_t Mode() const { return mode_; }
  // The stored form of an entry (for tests and tools): packed flag and bytes.
  const std::vector<uint8_t>* EntryData(const std::string& name, uint8_t* packed) const;

 private:
  struct Entry {
    std::string name;
    std::vector<uint8_t> data;
    uint8_t packed = 0;
    int32_t archive = -1;  // index in archives_ when read from an archive file
    // While the worker packs data: its LZ block (empty when packing failed).
    // Declared after data, so it is waited for before data is freed.
    std::future<std::vector<uint8_t>> packing;
  };
  // Starts packing the raw entry at index i; false when no thread started.
  // An entry whose block the total cannot take stays raw (true).
  bool StartPacking(size_t i);
  // Waits for the block of entry i and stores the chosen form; false when
  // the entry had to leave the cache (the index then names another entry).
  bool Finish(size_t i) const;
  // Finishes every entry still packing.
  void Settle() const;
  void RemoveAt(size_t i) const;
  // Whether an LZ block's head reads: its sizes agree with the `size` bytes
  // stored and it unpacks to no more than the pool takes.
  bool HeadReads(const void* block, uint32_t size, SLzCodec::Header* out = nullptr) const;
  // AddEntry, the entry noted as read from archives_[archive] (-1: none). A
  // packed entry whose head does not read is refused, but taken from an
  // archive (as stored) so that serving it drops it.
  int32_t Append(const std::string& name, const void* data, uint32_t size, uint8_t packed, int32_t archive);
  int32_t ReadEntries(const uint8_t* bytes, size_t size, int32_t archive);
  // Writes the entries, in that order, as the archive file.
  int32_t Write(const std::string& file, const std::vector<const Entry*>& list) const;

  uint32_t capacity_ = 0;
  int32_t mode_ = 0;
  int32_t level_ = 0;
  uint32_t threshold_ = 0;
  float ratioLimit_ = 1.0f;
  // Finishing a pack changes only the stored form of an entry, which the
  // const queries (Save, the counts) may need: they finish it themselves.
  mutable uint64_t used_ = 0;
  mutable uint64_t booked_ = 0;  // the entries' EntryCharge
  mutable std::vector<Entry> entries_;
  mutable std::unordered_map<std::string, size_t> index_;
  // The archive files entries were read from: each with its entries' names
  // in its order, and whether the cache took every one as the archive's.
  struct Archive {
    std::string file;
    std::vector<std::string> names;
    bool whole = true;
  };
  std::vector<Archive> archives_;
  int32_t FindArchive(const std::string& file) const;
  // Lists an entry of archives_[archive] in its order; one the cache did not
  // take leaves the archive not whole.
  void NoteEntry(int32_t archive, const std::string& name, bool taken);
  mutable size_t packing_ = 0;
  // The pool's data and bookkeeping and the blocks being packed: at most
  // the capacity (32 bits) and as much again.
  mutable LoadBudget charged_{uint64_t(UINT32_MAX) * 2, &LoadedTotal(), LoadUse::kAhead};
};
