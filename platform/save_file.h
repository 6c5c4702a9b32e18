#pragma once
// Saving a small file so that a crash or a power loss at any moment leaves
// either the old file or the new one, never a torn mixture: the bytes go to
// a temporary file beside the target, which is flushed, synced to the disk
// and then renamed over the target (a rename replaces a file in one step),
// and last the directory entry is synced.
#include <cstddef>
#include <string>

namespace plat {

// The steps of ReplaceFile, in their order.
enum class SaveStep {
  kCreated,     // the temporary file exists, empty
  kHalfWritten, // half of the bytes are in it
  kWritten,     // all bytes written, not yet synced
  kSynced,      // synced and closed, not yet renamed
  kRenamed,     // renamed over the target, directory not yet synced
};

// Writes n bytes as the file hostPath (its parent directories are made when
// missing). False when any step failed; the old file is then untouched and
// the temporary file removed.
bool ReplaceFile(const std::string& hostPath, const void* bytes, size_t n);

// For tests of a crash during a save: when set, the hook is asked before it
// goes on after each step, and a false answer ends the save there as a crash
// would, leaving the files as they are (ReplaceFile then reports false).
using SaveCrashHook = bool (*)(SaveStep step);
void SetSaveCrashHook(SaveCrashHook hook);

}  // namespace plat
