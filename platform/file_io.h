#pragma once
// The one way the program reads and saves files.
//
// Reading takes regular files only and never blocks: the file is opened
// without waiting and then looked at, so a named pipe, a device, a socket or
// a directory standing in a file's place is reported as what it is instead
// of being read (a pipe would stall the program until someone wrote to it).
// The files of the save directory are read with links::kRefuse: a symbolic
// link at their name is not followed, because saving replaces the name
// itself, and reading and saving must meet the same file.
//
// Saving replaces a file in one step, so that a crash or a power loss at any
// moment leaves either the old file or the new one, never a torn mixture:
// the bytes go to a temporary file beside the target, created new under a
// name no other entry holds (never through a link), which is flushed,
// synced and renamed over the target (a rename replaces the entry itself,
// whatever it is, in one step); last the directory is synced. Temporary
// files that a save cut short by a crash or a kill left behind are removed
// by the next save of the same file.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace plat {

// What stood at a path when it was to be read.
enum class FileProblem : uint8_t {
  kNone,        // a regular file, read
  kMissing,
  kDirectory,
  kSymlink,     // a link at the name, with links refused
  kPipe,
  kDevice,
  kSocket,
  kTooLarge,    // more bytes than the reader takes
  kShort,       // fewer bytes than the reader needs
  kUnreadable,  // no permission, or a read error
};

// A few words for a message: "is a named pipe, not a regular file",
// "not found", ...
const char* DescribeFileProblem(FileProblem problem);

enum class Links : uint8_t { kFollow, kRefuse };

// Opens a regular file for reading without blocking. The descriptor (close
// it), or -1 with the problem; size receives the file's size.
int OpenRegularFile(const std::string& hostPath, Links links, FileProblem* problem, uint64_t* size);

// Size in bytes of a regular file; -1 for anything else.
int64_t RegularFileSize(const std::string& hostPath, Links links = Links::kFollow);

// What stands at a path and, for a regular file, its size; nothing is read
// (a reader that makes room of the size first, then reads into it).
FileProblem LookAtFile(const std::string& hostPath, uint64_t* size, Links links = Links::kFollow);

// Reads a whole regular file of at most maxBytes bytes into out (emptied
// first).
FileProblem ReadFile(const std::string& hostPath, size_t maxBytes, std::vector<uint8_t>* out,
                     Links links = Links::kFollow);

// Reads the first size bytes of a regular file into buffer; kShort when the
// file holds fewer.
FileProblem ReadFileInto(const std::string& hostPath, void* buffer, size_t size, Links links = Links::kFollow);

// Removes the file at a path (a link is removed, not its target); never a
// directory. False when nothing was removed; then *why (when given) says
// what was there and stopped it ("<path> is a directory", "<path>: <the
// system's reason>"), or is empty when nothing was there.
bool RemoveFile(const std::string& hostPath, std::string* why = nullptr);

// The steps of ReplaceFile, in their order.
enum class SaveStep {
  kCreated,      // the temporary file exists, empty
  kHalfWritten,  // half of the bytes are in it
  kWritten,      // all bytes written, not yet synced
  kSynced,       // synced and closed, not yet renamed
  kRenamed,      // renamed over the target, directory not yet synced
};

struct SaveResult {
  bool ok = false;
  // The temporary file was made: a failure came later, in writing or
  // renaming it (else in making the directory or the file).
  bool created = false;
  // What failed, with the path, for a message; empty on success.
  std::string why;
  explicit operator bool() const { return ok; }
};

// Writes n bytes as the file hostPath (its missing parent directories are
// made). On failure the old file is untouched and the temporary file
// removed.
SaveResult ReplaceFile(const std::string& hostPath, const void* bytes, size_t n);

// The name of the attempt-th temporary file (0, 1, ...) a save of hostPath
// by the process pid tries: "<target>.tmp-<pid>", then "<target>.tmp-<pid>-<attempt>".
std::string SaveTempName(const std::string& hostPath, long pid, int attempt);

// For tests of a crash during a save: when set, the hook is asked before it
// goes on after each step, and a false answer ends the save there as a crash
// would, leaving the files as they are (ReplaceFile then reports failure).
using SaveCrashHook = bool (*)(SaveStep step);
void SetSaveCrashHook(SaveCrashHook hook);

}  // namespace plat
