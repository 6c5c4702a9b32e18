#pragma once
#include <string>
#include <string_view>
#include <vector>

// Shared test helpers for files: a fresh temporary directory removed with
// everything in it at the end of its scope, and scoped redirections of the
// save and data directories.
namespace testsupport {

class TempDir {
 public:
  explicit TempDir(std::string_view prefix = "ostrel");
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& Path() const { return path_; }
  // Path of a file below the directory (parents are not created).
  std::string File(std::string_view name) const;
  // Writes a file below the directory, creating its parents; false on error.
  bool Write(std::string_view name, std::string_view bytes) const;
  // Reads a whole file below the directory; empty when missing.
  std::string Read(std::string_view name) const;

  // Odd entries in a file's place: a named pipe, a symbolic link to target,
  // a directory holding one file (so that no rmdir can take it). False on
  // error.
  bool MakePipe(std::string_view name) const;
  bool MakeLink(std::string_view name, std::string_view target) const;
  bool MakeDir(std::string_view name) const;
  // Whatever stood at name removed, one of the odd entries below: 'p' a
  // pipe, 'd' a directory, 'l' a link to linkTarget.
  bool PutOdd(char kind, std::string_view name, std::string_view linkTarget) const;
  // What stands at name, links not followed: 'f' a regular file, 'd' a
  // directory, 'l' a link, 'p' a pipe, '-' nothing, '?' anything else.
  char Kind(std::string_view name) const;
  // The names in the directory itself, sorted.
  std::vector<std::string> List() const;

 private:
  std::string path_;
};

// The odd entries a file's place may hold, with what a reader of the save
// directory says of each ("is a named pipe, not a regular file").
struct OddEntry {
  char kind;
  const char* told;
};
inline constexpr OddEntry kOddEntries[] = {{'p', "is a named pipe"}, {'d', "is a directory"}, {'l', "is a symbolic link"}};

// Points the save directory (and with it the registry file and the service
// channel names) at a fresh temporary directory for the scope.
class ScopedSaveDir {
 public:
  ScopedSaveDir();
  ~ScopedSaveDir();
  const std::string& Path() const { return dir_.Path(); }
  const TempDir& Dir() const { return dir_; }

 private:
  TempDir dir_;
};

// Sets (or with null, unsets) an environment variable for the scope and puts
// back what it was.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value);
  ~ScopedEnv();
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;
  void Set(const char* value);

 private:
  std::string name_, old_;
  bool had_ = false;
};

// The stand-in data tree the build generates (OSTREL_DATA_DIR when set).
std::string GeneratedDataRoot();

// Fills dir with the generated data tree as links, leaving out the files
// named (paths below the tree's top, such as "cache/title.sca"): each folder
// at the top is a link, but a folder holding a file left out is made anew
// with a link to each of its other files.
void LinkDataTreeWithout(const TempDir& dir, const std::vector<std::string>& leftOut);

// Points the data directory at dir for the scope.
class ScopedDataDir {
 public:
  explicit ScopedDataDir(const std::string& dir);
  ~ScopedDataDir();
};

}  // namespace testsupport
