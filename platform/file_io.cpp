#include "platform/file_io.h"

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <mutex>

#include "platform/paths.h"

namespace plat {

namespace {

// Names tried for the temporary file of one save before it gives up.
constexpr int kTempAttempts = 16;

SaveCrashHook g_crashHook = nullptr;
// Saves do not overlap, so a temporary file of this process found at the
// start of a save was left by one cut short.
std::mutex g_saveMutex;

bool Survives(SaveStep step) { return g_crashHook == nullptr || g_crashHook(step); }

FileProblem ProblemOfMode(mode_t mode) {
  if (S_ISREG(mode)) return FileProblem::kNone;
  if (S_ISDIR(mode)) return FileProblem::kDirectory;
  if (S_ISLNK(mode)) return FileProblem::kSymlink;
  if (S_ISFIFO(mode)) return FileProblem::kPipe;
  if (S_ISSOCK(mode)) return FileProblem::kSocket;
  return FileProblem::kDevice;
}

// stat or lstat as the links rule says.
int StatPath(const std::string& path, Links links, struct stat* st) {
  return links == Links::kRefuse ? ::lstat(path.c_str(), st) : ::stat(path.c_str(), st);
}

// Reads until n bytes are in or the file ends; the bytes read.
size_t ReadFully(int fd, uint8_t* p, size_t n, bool* failed) {
  size_t done = 0;
  while (done < n) {
    const ssize_t got = ::read(fd, p + done, n - done);
    if (got > 0) {
      done += static_cast<size_t>(got);
    } else if (got == 0) {
      break;
    } else if (errno != EINTR) {
      *failed = true;
      break;
    }
  }
  return done;
}

bool WriteFully(int fd, const uint8_t* p, size_t n) {
  size_t done = 0;
  while (done < n) {
    const ssize_t put = ::write(fd, p + done, n - done);
    if (put > 0) {
      done += static_cast<size_t>(put);
    } else if (put < 0 && errno != EINTR) {
      return false;
    } else if (put == 0) {
      errno = EIO;
      return false;
    }
  }
  return true;
}

std::string ParentDir(const std::string& path) {
  std::string dir = std::filesystem::path(path).parent_path().string();
  return dir.empty() ? "." : dir;
}

// Syncs the directory that holds path, so that the rename itself is on the
// disk; a file system that cannot sync a directory is no failure.
void SyncDirectory(const std::string& path) {
  const int fd = ::open(ParentDir(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  (void)::fsync(fd);
  ::close(fd);
}

// Parses digits from s at *at; false when there are none.
bool ParseNumber(const std::string& s, size_t* at, long* out) {
  const size_t start = *at;
  long v = 0;
  while (*at < s.size() && s[*at] >= '0' && s[*at] <= '9' && v < 100000000) v = v * 10 + (s[(*at)++] - '0');
  *out = v;
  return *at > start;
}

// Whether the process pid has ended (or is this one, whose saves never
// overlap).
bool ProcessGone(long pid) {
  if (pid <= 0) return false;
  if (pid == static_cast<long>(::getpid())) return true;
  return ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH;
}

// Removes the temporary files that saves of hostPath cut short left: regular
// files named "<target>.tmp" (written by older builds) or SaveTempName of a
// process that no longer runs. Whatever else holds such a name stays.
void RemoveStaleTemps(const std::string& hostPath) {
  const std::string dir = ParentDir(hostPath);
  const std::string prefix = std::filesystem::path(hostPath).filename().string() + ".tmp";
  DIR* d = ::opendir(dir.c_str());
  if (d == nullptr) return;
  const int dfd = ::dirfd(d);
  while (const dirent* e = ::readdir(d)) {
    const std::string name = e->d_name;
    if (name.compare(0, prefix.size(), prefix) != 0) continue;
    bool stale = name.size() == prefix.size();
    if (!stale && name[prefix.size()] == '-') {
      size_t at = prefix.size() + 1;
      long pid = 0, attempt = 0;
      bool named = ParseNumber(name, &at, &pid);
      if (named && at < name.size()) named = name[at++] == '-' && ParseNumber(name, &at, &attempt);
      stale = named && at == name.size() && ProcessGone(pid);
    }
    struct stat st;
    if (stale && ::fstatat(dfd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode))
      ::unlinkat(dfd, name.c_str(), 0);
  }
  ::closedir(d);
}

std::string ErrorText(int err) { return std::strerror(err); }

}  // namespace

const char* DescribeFileProblem(FileProblem problem) {
  switch (problem) {
    case FileProblem::kNone:
      return "is a regular file";
    case FileProblem::kMissing:
      return "not found";
    case FileProblem::kDirectory:
      return "is a directory, not a regular file";
    case FileProblem::kSymlink:
      return "is a symbolic link, not a regular file";
    case FileProblem::kPipe:
      return "is a named pipe, not a regular file";
    case FileProblem::kDevice:
      return "is a device, not a regular file";
    case FileProblem::kSocket:
      return "is a socket, not a regular file";
    case FileProblem::kTooLarge:
      return "is larger than expected";
    case FileProblem::kShort:
      return "is shorter than expected";
    case FileProblem::kUnreadable:
      return "cannot be read";
  }
  return "cannot be read";
}

int OpenRegularFile(const std::string& hostPath, Links links, FileProblem* problem, uint64_t* size) {
  FileProblem unused;
  if (problem == nullptr) problem = &unused;
  // Look before opening: opening a device or a pipe may have effects of its
  // own. The open itself refuses a link (when asked) and does not wait, and
  // what it opened is looked at again, in case the entry changed between.
  struct stat st;
  if (StatPath(hostPath, links, &st) != 0) {
    *problem = (errno == ENOENT || errno == ENOTDIR) ? FileProblem::kMissing : FileProblem::kUnreadable;
    return -1;
  }
  *problem = ProblemOfMode(st.st_mode);
  if (*problem != FileProblem::kNone) return -1;
  int fd;
  do {
    fd = ::open(hostPath.c_str(),
                O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC | (links == Links::kRefuse ? O_NOFOLLOW : 0));
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) {
    *problem = errno == ELOOP && links == Links::kRefuse ? FileProblem::kSymlink
               : errno == ENOENT                        ? FileProblem::kMissing
                                                        : FileProblem::kUnreadable;
    return -1;
  }
  *problem = ::fstat(fd, &st) == 0 ? ProblemOfMode(st.st_mode) : FileProblem::kUnreadable;
  if (*problem != FileProblem::kNone) {
    ::close(fd);
    return -1;
  }
  if (size) *size = static_cast<uint64_t>(st.st_size);
  return fd;
}

int64_t RegularFileSize(const std::string& hostPath, Links links) {
  uint64_t size = 0;
  const int fd = OpenRegularFile(hostPath, links, nullptr, &size);
  if (fd < 0) return -1;
  ::close(fd);
  return static_cast<int64_t>(size);
}

FileProblem LookAtFile(const std::string& hostPath, uint64_t* size, Links links) {
  FileProblem problem = FileProblem::kNone;
  *size = 0;
  const int fd = OpenRegularFile(hostPath, links, &problem, size);
  if (fd >= 0) ::close(fd);
  return problem;
}

FileProblem ReadFile(const std::string& hostPath, size_t maxBytes, std::vector<uint8_t>* out, Links links) {
  out->clear();
  FileProblem problem = FileProblem::kNone;
  uint64_t size = 0;
  const int fd = OpenRegularFile(hostPath, links, &problem, &size);
  if (fd < 0) return problem;
  if (size > maxBytes) {
    ::close(fd);
    return FileProblem::kTooLarge;
  }
  // One byte more than the size says, to see a file that grew meanwhile.
  std::vector<uint8_t> bytes(static_cast<size_t>(size) + 1);
  bool failed = false;
  const size_t got = ReadFully(fd, bytes.data(), bytes.size(), &failed);
  ::close(fd);
  if (failed) return FileProblem::kUnreadable;
  if (got > maxBytes) return FileProblem::kTooLarge;
  bytes.resize(got);
  *out = std::move(bytes);
  return FileProblem::kNone;
}

FileProblem ReadFileInto(const std::string& hostPath, void* buffer, size_t size, Links links) {
  FileProblem problem = FileProblem::kNone;
  const int fd = OpenRegularFile(hostPath, links, &problem, nullptr);
  if (fd < 0) return problem;
  bool failed = false;
  const size_t got = size == 0 ? 0 : ReadFully(fd, static_cast<uint8_t*>(buffer), size, &failed);
  ::close(fd);
  if (failed) return FileProblem::kUnreadable;
  return got == size ? FileProblem::kNone : FileProblem::kShort;
}

bool RemoveFile(const std::string& hostPath, std::string* why) {
  std::string told;
  struct stat st;
  bool removed = false;
  if (::lstat(hostPath.c_str(), &st) != 0) {
    if (errno != ENOENT && errno != ENOTDIR) told = hostPath + ": " + std::strerror(errno);
  } else if (S_ISDIR(st.st_mode)) {
    told = hostPath + " is a directory";
  } else if (::unlink(hostPath.c_str()) == 0) {
    removed = true;
  } else {
    told = hostPath + ": " + std::strerror(errno);
  }
  if (why != nullptr) *why = told;
  return removed;
}

void SetSaveCrashHook(SaveCrashHook hook) { g_crashHook = hook; }

std::string SaveTempName(const std::string& hostPath, long pid, int attempt) {
  char tail[48];
  if (attempt > 0)
    std::snprintf(tail, sizeof tail, ".tmp-%ld-%d", pid, attempt);
  else
    std::snprintf(tail, sizeof tail, ".tmp-%ld", pid);
  return hostPath + tail;
}

SaveResult ReplaceFile(const std::string& hostPath, const void* bytes, size_t n) {
  std::lock_guard<std::mutex> lock(g_saveMutex);
  SaveResult r;
  if (!MakeParentDirs(hostPath)) {
    r.why = "cannot make the directory " + ParentDir(hostPath);
    return r;
  }
  RemoveStaleTemps(hostPath);
  // Created new and exclusively: an entry of the name, whatever it is (a
  // link, a pipe, a directory), makes the next name be tried, and nothing
  // is ever written through a link.
  std::string temp;
  int fd = -1;
  int err = 0;
  for (int attempt = 0; attempt < kTempAttempts && fd < 0; ++attempt) {
    temp = SaveTempName(hostPath, static_cast<long>(::getpid()), attempt);
    do {
      fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    } while (fd < 0 && errno == EINTR);
    err = errno;
    if (fd < 0 && err != EEXIST) break;
  }
  if (fd < 0) {
    r.why = "cannot create " + temp + ": " + ErrorText(err);
    return r;
  }
  r.created = true;
  // A crash leaves what reached the file so far; the descriptor is closed
  // only to give it back.
  const auto crashed = [&](SaveStep step) {
    if (Survives(step)) return false;
    if (fd >= 0) ::close(fd);
    r.why = "the save of " + hostPath + " was cut short";
    return true;
  };
  const auto* p = static_cast<const uint8_t*>(bytes);
  const size_t half = n / 2;
  if (crashed(SaveStep::kCreated)) return r;
  bool ok = WriteFully(fd, p, half);
  if (ok && crashed(SaveStep::kHalfWritten)) return r;
  ok = ok && WriteFully(fd, p + half, n - half);
  if (ok && crashed(SaveStep::kWritten)) return r;
  ok = ok && ::fsync(fd) == 0;
  err = errno;
  if (::close(fd) != 0 && ok) {
    ok = false;
    err = errno;
  }
  fd = -1;
  if (!ok) {
    ::unlink(temp.c_str());
    r.why = "cannot write " + temp + ": " + ErrorText(err);
    return r;
  }
  if (crashed(SaveStep::kSynced)) return r;
  if (::rename(temp.c_str(), hostPath.c_str()) != 0) {
    err = errno;
    ::unlink(temp.c_str());
    r.why = err == EISDIR ? hostPath + " is a directory" : "cannot replace " + hostPath + ": " + ErrorText(err);
    return r;
  }
  if (crashed(SaveStep::kRenamed)) return r;
  SyncDirectory(hostPath);
  r.ok = true;
  return r;
}

}  // namespace plat
