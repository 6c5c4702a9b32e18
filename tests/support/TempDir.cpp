#include "support/TempDir.h"

#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "platform/paths.h"
#include "support/BuildDirs.h"

namespace testsupport {

namespace fs = std::filesystem;

TempDir::TempDir(std::string_view prefix) {
  std::string tmpl = (fs::temp_directory_path() / (std::string(prefix) + "-XXXXXX")).string();
  if (!mkdtemp(tmpl.data())) throw std::runtime_error("mkdtemp failed for " + tmpl);
  path_ = tmpl;
}

TempDir::~TempDir() {
  std::error_code ec;
  fs::remove_all(path_, ec);
}

std::string TempDir::File(std::string_view name) const { return path_ + "/" + std::string(name); }

bool TempDir::Write(std::string_view name, std::string_view bytes) const {
  fs::path p = File(name);
  std::error_code ec;
  fs::create_directories(p.parent_path(), ec);
  std::ofstream out(p, std::ios::binary);
  out.write(bytes.data(), std::streamsize(bytes.size()));
  return bool(out);
}

std::string TempDir::Read(std::string_view name) const {
  std::ifstream in(File(name), std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

bool TempDir::MakePipe(std::string_view name) const { return ::mkfifo(File(name).c_str(), 0600) == 0; }

bool TempDir::MakeLink(std::string_view name, std::string_view target) const {
  return ::symlink(std::string(target).c_str(), File(name).c_str()) == 0;
}

bool TempDir::MakeDir(std::string_view name) const { return Write(std::string(name) + "/inside", "x"); }

bool TempDir::PutOdd(char kind, std::string_view name, std::string_view linkTarget) const {
  std::error_code ec;
  fs::remove_all(File(name), ec);
  return kind == 'p' ? MakePipe(name) : kind == 'd' ? MakeDir(name) : kind == 'l' && MakeLink(name, linkTarget);
}

char TempDir::Kind(std::string_view name) const {
  struct stat st;
  if (::lstat(File(name).c_str(), &st) != 0) return '-';
  if (S_ISREG(st.st_mode)) return 'f';
  if (S_ISDIR(st.st_mode)) return 'd';
  if (S_ISLNK(st.st_mode)) return 'l';
  if (S_ISFIFO(st.st_mode)) return 'p';
  return '?';
}

std::vector<std::string> TempDir::List() const {
  std::vector<std::string> names;
  std::error_code ec;
  for (auto it = fs::directory_iterator(path_, ec); !ec && it != fs::directory_iterator(); it.increment(ec))
    names.push_back(it->path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

ScopedSaveDir::ScopedSaveDir() : dir_("ostrel-save") { plat::SetSaveDir(dir_.Path()); }
ScopedSaveDir::~ScopedSaveDir() { plat::SetSaveDir(""); }

ScopedEnv::ScopedEnv(const char* name, const char* value) : name_(name) {
  if (const char* v = getenv(name)) had_ = true, old_ = v;
  Set(value);
}
ScopedEnv::~ScopedEnv() { Set(had_ ? old_.c_str() : nullptr); }
void ScopedEnv::Set(const char* value) {
  if (value)
    setenv(name_.c_str(), value, 1);
  else
    unsetenv(name_.c_str());
}

std::string GeneratedDataRoot() {
  const char* env = std::getenv("OSTREL_DATA_DIR");
  return env != nullptr ? std::string(env) : std::string(testsupport::TestBinaryDir()) + "/data";
}

void LinkDataTreeWithout(const TempDir& dir, const std::vector<std::string>& leftOut) {
  const fs::path from = GeneratedDataRoot();
  const auto holds = [&leftOut](const std::string& folder) {
    return std::any_of(leftOut.begin(), leftOut.end(),
                       [&folder](const std::string& f) { return f.rfind(folder + "/", 0) == 0; });
  };
  for (const auto& e : fs::directory_iterator(from)) {
    const std::string name = e.path().filename().string();
    if (!e.is_directory() || !holds(name)) {
      fs::create_symlink(e.path(), dir.File(name));
      continue;
    }
    fs::create_directory(dir.File(name));
    for (const auto& f : fs::directory_iterator(e.path())) {
      const std::string file = name + "/" + f.path().filename().string();
      if (std::find(leftOut.begin(), leftOut.end(), file) == leftOut.end()) fs::create_symlink(f.path(), dir.File(file));
    }
  }
}

ScopedDataDir::ScopedDataDir(const std::string& dir) { plat::SetDataDir(dir); }
ScopedDataDir::~ScopedDataDir() { plat::SetDataDir(""); }

}  // namespace testsupport
