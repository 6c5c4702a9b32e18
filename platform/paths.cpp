#include "platform/paths.h"

#include <strings.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <vector>

namespace plat {
namespace {

std::mutex g_mutex;
std::string g_dataOverride;
std::string g_saveOverride;

std::string EnvOr(const char* var, const std::string& fallback) {
  const char* v = std::getenv(var);
  return (v && *v) ? std::string(v) : fallback;
}

bool IsSep(char c) { return c == '/' || c == '\\'; }

bool StartsWithNoCase(std::string_view s, std::string_view prefix) {
  return s.size() >= prefix.size() && strncasecmp(s.data(), prefix.data(), prefix.size()) == 0;
}

// Joins base and a relative Windows-style tail, normalising separators.
std::string Join(const std::string& base, std::string_view tail) {
  std::string out = base;
  while (out.size() > 1 && out.back() == '/') out.pop_back();
  bool needSep = !out.empty();
  for (char c : tail) {
    if (IsSep(c)) {
      needSep = !out.empty();
      continue;
    }
    if (needSep && (out.empty() || out.back() != '/')) out.push_back('/');
    needSep = false;
    out.push_back(c);
  }
  return out;
}

std::string Normalise(std::string_view name) {
  std::string out;
  for (char c : name) {
    if (IsSep(c)) {
      if (out.empty() || out.back() != '/') out.push_back('/');
    } else {
      out.push_back(c);
    }
  }
  return out;
}

bool Exists(const std::string& p) {
  struct stat st;
  return ::stat(p.c_str(), &st) == 0;
}

}  // namespace

std::string DataDir() {
  std::lock_guard<std::mutex> lock(g_mutex);
  if (!g_dataOverride.empty()) return g_dataOverride;
  return EnvOr("OSTREL_DATA_DIR", DefaultDataDir());
}

std::string SaveDir() {
  std::lock_guard<std::mutex> lock(g_mutex);
  if (!g_saveOverride.empty()) return g_saveOverride;
  const char* v = std::getenv("OSTREL_SAVE_DIR");
  if (v && *v) return v;
  const char* xdg = std::getenv("XDG_DATA_HOME");
  if (xdg && *xdg) return std::string(xdg) + "/ostrel";
  const char* home = std::getenv("HOME");
  return std::string(home && *home ? home : ".") + "/.local/share/ostrel";
}

void SetDataDir(const std::string& dir) {
  std::lock_guard<std::mutex> lock(g_mutex);
  g_dataOverride = dir;
}

void SetSaveDir(const std::string& dir) {
  std::lock_guard<std::mutex> lock(g_mutex);
  g_saveOverride = dir;
}

std::string MapPathLiteral(std::string_view name) {
  if (StartsWithNoCase(name, "Data") && name.size() > 4 && IsSep(name[4])) {
    return Join(DataDir(), name.substr(4));
  }
  if (name.size() >= 2 && (name[0] == 'D' || name[0] == 'd') && name[1] == ':') {
    return Join(SaveDir(), name.substr(2));
  }
  return Normalise(name);
}

std::string MapPath(std::string_view name) {
  std::string literal = MapPathLiteral(name);
  if (literal.empty() || Exists(literal)) return literal;

  // Walk the components, matching each one case-insensitively where the exact
  // name is missing. The part of the path that exists as written is kept.
  std::vector<std::string> parts;
  size_t start = 0;
  bool absolute = literal[0] == '/';
  for (size_t i = 0; i <= literal.size(); ++i) {
    if (i == literal.size() || literal[i] == '/') {
      if (i > start) parts.emplace_back(literal.substr(start, i - start));
      start = i + 1;
    }
  }
  std::string cur = absolute ? "/" : "";
  for (size_t i = 0; i < parts.size(); ++i) {
    std::string exact = cur.empty() ? parts[i] : (cur.back() == '/' ? cur + parts[i] : cur + "/" + parts[i]);
    if (Exists(exact)) {
      cur = exact;
      continue;
    }
    std::error_code ec;
    std::string dir = cur.empty() ? "." : cur;
    bool found = false;
    for (auto it = std::filesystem::directory_iterator(dir, ec);
         !ec && it != std::filesystem::directory_iterator(); it.increment(ec)) {
      std::string entry = it->path().filename().string();
      if (strcasecmp(entry.c_str(), parts[i].c_str()) == 0) {
        cur = cur.empty() ? entry : (cur.back() == '/' ? cur + entry : cur + "/" + entry);
        found = true;
        break;
      }
    }
    if (!found) return literal;
  }
  return cur;
}

bool MakeParentDirs(const std::string& hostPath) {
  std::filesystem::path p(hostPath);
  if (!p.has_parent_path()) return true;
  std::error_code ec;
  // Inside the data directory only its own folders are made: a data
  // directory that is not there (a mistyped OSTREL_DATA_DIR) stays a name.
  const std::string data = Join(DataDir(), "");
  if (!data.empty() && hostPath.size() > data.size() && hostPath.compare(0, data.size(), data) == 0 &&
      hostPath[data.size()] == '/' && !std::filesystem::is_directory(data, ec))
    return false;
  std::filesystem::create_directories(p.parent_path(), ec);
  return !ec;
}

}  // namespace plat
