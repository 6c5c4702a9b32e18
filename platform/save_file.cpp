#include "platform/save_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>

#include "platform/paths.h"

namespace plat {

namespace {

SaveCrashHook g_crashHook = nullptr;

bool Survives(SaveStep step) { return g_crashHook == nullptr || g_crashHook(step); }

// Syncs the directory that holds path, so that the rename itself is on the
// disk; a file system that cannot sync a directory is no failure.
void SyncDirectory(const std::string& path) {
  std::string dir = std::filesystem::path(path).parent_path().string();
  if (dir.empty()) dir = ".";
  const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY);
  if (fd < 0) return;
  (void)::fsync(fd);
  ::close(fd);
}

}  // namespace

void SetSaveCrashHook(SaveCrashHook hook) { g_crashHook = hook; }

bool ReplaceFile(const std::string& hostPath, const void* bytes, size_t n) {
  if (!MakeParentDirs(hostPath)) return false;
  const std::string temp = hostPath + ".tmp";
  std::FILE* f = std::fopen(temp.c_str(), "wb");
  if (!f) return false;
  // A crash leaves what reached the file so far; the stream is closed only
  // to give its handle back.
  const auto crashed = [f](SaveStep step) {
    if (Survives(step)) return false;
    std::fflush(f);
    std::fclose(f);
    return true;
  };
  const auto* p = static_cast<const unsigned char*>(bytes);
  const size_t half = n / 2;
  if (crashed(SaveStep::kCreated)) return false;
  bool ok = std::fwrite(p, 1, half, f) == half;
  if (crashed(SaveStep::kHalfWritten)) return false;
  ok = std::fwrite(p + half, 1, n - half, f) == n - half && ok;
  ok = std::fflush(f) == 0 && ok;
  if (crashed(SaveStep::kWritten)) return false;
  ok = ::fsync(::fileno(f)) == 0 && ok;
  ok = std::fclose(f) == 0 && ok;
  if (ok && !Survives(SaveStep::kSynced)) return false;
  if (ok) ok = std::rename(temp.c_str(), hostPath.c_str()) == 0;
  if (!ok) {
    std::remove(temp.c_str());
    return false;
  }
  if (!Survives(SaveStep::kRenamed)) return false;
  SyncDirectory(hostPath);
  return true;
}

}  // namespace plat
