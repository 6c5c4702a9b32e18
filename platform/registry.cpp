#include "platform/registry.h"

#include <fcntl.h>
#include <strings.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <mutex>

#include "platform/byte_order.h"
#include "platform/file_io.h"
#include "platform/paths.h"

namespace plat {
namespace {

std::mutex g_pathMutex;
std::string g_pathOverride;

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Exactly `digits` hex digits (no sign, no prefix).
bool ParseHexFixed(std::string_view s, size_t digits, uint64_t* out) {
  if (s.size() != digits) return false;
  uint64_t v = 0;
  for (char c : s) {
    int d = HexDigit(c);
    if (d < 0) return false;
    v = (v << 4) | static_cast<uint64_t>(d);
  }
  *out = v;
  return true;
}

bool ParseValue(std::string_view text, RegValue* out) {
  size_t colon = text.find(':');
  if (colon == std::string_view::npos) return false;
  std::string_view type = Trim(text.substr(0, colon));
  std::string_view body = text.substr(colon + 1);
  auto is = [&](const char* t) {
    return type.size() == std::strlen(t) && strncasecmp(type.data(), t, type.size()) == 0;
  };
  uint64_t v = 0;
  if (is("dword")) {
    if (!ParseHexFixed(Trim(body), 8, &v)) return false;
    *out = RegValue::Dword(static_cast<uint32_t>(v));
    return true;
  }
  if (is("qword")) {
    if (!ParseHexFixed(Trim(body), 16, &v)) return false;
    *out = RegValue::Qword(v);
    return true;
  }
  if (is("sz")) {
    *out = RegValue::String(body);
    return true;
  }
  if (is("hex")) {
    std::vector<uint8_t> bytes;
    body = Trim(body);
    while (!body.empty()) {
      size_t comma = body.find(',');
      std::string_view item = Trim(body.substr(0, comma));
      if (!ParseHexFixed(item, 2, &v)) return false;
      bytes.push_back(static_cast<uint8_t>(v));
      if (comma == std::string_view::npos) break;
      body.remove_prefix(comma + 1);
    }
    *out = RegValue::Binary(std::move(bytes));
    return true;
  }
  return false;
}

std::string FormatValue(const RegValue& v) {
  char buf[32];
  switch (v.type) {
    case RegType::Dword: {
      uint32_t x = 0;
      for (size_t i = 0; i < 4 && i < v.data.size(); ++i) x |= uint32_t(v.data[i]) << (8 * i);
      std::snprintf(buf, sizeof buf, "dword:%08x", x);
      return buf;
    }
    case RegType::Qword: {
      uint64_t x = 0;
      for (size_t i = 0; i < 8 && i < v.data.size(); ++i) x |= uint64_t(v.data[i]) << (8 * i);
      std::snprintf(buf, sizeof buf, "qword:%016llx", static_cast<unsigned long long>(x));
      return buf;
    }
    case RegType::String: {
      std::string s = "sz:";
      for (uint8_t c : v.data) s.push_back((c == '\n' || c == '\r') ? ' ' : static_cast<char>(c));
      return s;
    }
    case RegType::Binary: {
      std::string s = "hex:";
      for (size_t i = 0; i < v.data.size(); ++i) {
        std::snprintf(buf, sizeof buf, i ? ",%02x" : "%02x", v.data[i]);
        s += buf;
      }
      return s;
    }
  }
  return "hex:";
}

// The largest registry file read; a larger one is left alone.
constexpr size_t kMaxRegistryBytes = size_t(4) << 20;

// The tree the file holds. The file is read where it stands, never through
// a link, and only a regular file; anything else is told on standard error
// and reads as empty (a write then replaces it). A file that cannot be read
// or is too large reads as empty too, but is not replaced: *keep is set.
RegTree LoadTree(const std::string& path, bool* keep = nullptr, RegUnreadable* unreadable = nullptr) {
  std::vector<uint8_t> bytes;
  const FileProblem problem = ReadFile(path, kMaxRegistryBytes, &bytes, Links::kRefuse);
  if (keep) *keep = problem == FileProblem::kTooLarge || problem == FileProblem::kUnreadable;
  if (problem == FileProblem::kMissing) return {};
  if (problem != FileProblem::kNone) {
    std::fprintf(stderr, "registry file %s %s: its values are not read\n", path.c_str(),
                 DescribeFileProblem(problem));
    return {};
  }
  return ParseRegistryText(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()),
                           unreadable);
}

// Holds an exclusive lock on "<path>.lock" for one read-modify-replace.
class WriteLock {
 public:
  explicit WriteLock(const std::string& path) {
    fd_ = ::open((path + ".lock").c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
    if (fd_ >= 0 && ::flock(fd_, LOCK_EX) != 0) {
      ::close(fd_);
      fd_ = -1;
    }
  }
  ~WriteLock() {
    if (fd_ >= 0) ::close(fd_);  // closing releases the lock
  }
  bool ok() const { return fd_ >= 0; }

 private:
  int fd_ = -1;
};

}  // namespace

RegValue RegValue::Dword(uint32_t v) {
  return {RegType::Dword, {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)}};
}
RegValue RegValue::Qword(uint64_t v) {
  RegValue r{RegType::Qword, {}};
  for (int i = 0; i < 8; ++i) r.data.push_back(uint8_t(v >> (8 * i)));
  return r;
}
RegValue RegValue::String(std::string_view s) { return {RegType::String, std::vector<uint8_t>(s.begin(), s.end())}; }
RegValue RegValue::Binary(std::vector<uint8_t> bytes) { return {RegType::Binary, std::move(bytes)}; }

bool RegNameLess::operator()(const std::string& a, const std::string& b) const {
  return strcasecmp(a.c_str(), b.c_str()) < 0;
}

RegTree ParseRegistryText(std::string_view text, RegUnreadable* unreadable) {
  RegTree tree;
  RegValues* current = nullptr;
  std::string current_key;
  while (!text.empty()) {
    size_t nl = text.find('\n');
    std::string_view line = text.substr(0, nl);
    text.remove_prefix(nl == std::string_view::npos ? text.size() : nl + 1);
    line = Trim(line);
    if (line.empty() || line.front() == '#' || line.front() == ';') continue;
    if (line.front() == '[') {
      current = nullptr;
      if (line.back() != ']' || line.size() < 3) continue;
      std::string key(Trim(line.substr(1, line.size() - 2)));
      if (key.empty() || key.find('\0') != std::string::npos) continue;
      current = &tree[key];
      current_key = key;
      continue;
    }
    if (!current) continue;
    size_t eq = line.find('=');
    if (eq == std::string_view::npos || eq == 0) continue;
    std::string name(Trim(line.substr(0, eq)));
    if (name.empty() || name.find('\0') != std::string::npos) continue;
    RegValue v;
    if (!ParseValue(line.substr(eq + 1), &v)) {
      if (unreadable) (*unreadable)[current_key][name] = std::string(Trim(line.substr(eq + 1)));
      continue;
    }
    (*current)[name] = std::move(v);
  }
  return tree;
}

std::string FormatRegistryText(const RegTree& tree) {
  std::string out;
  for (const auto& [key, values] : tree) {
    out += "[" + key + "]\n";
    for (const auto& [name, v] : values) out += name + "=" + FormatValue(v) + "\n";
    out += "\n";
  }
  return out;
}

std::string RegistryPath() {
  {
    std::lock_guard<std::mutex> lock(g_pathMutex);
    if (!g_pathOverride.empty()) return g_pathOverride;
  }
  std::string dir = SaveDir();
  while (dir.size() > 1 && dir.back() == '/') dir.pop_back();
  return dir + "/registry.txt";
}

void SetRegistryPath(const std::string& path) {
  std::lock_guard<std::mutex> lock(g_pathMutex);
  g_pathOverride = path;
}

bool RegKey::Open(std::string_view keyPath, bool forWriting) {
  Close();
  key_ = std::string(Trim(keyPath));
  path_ = RegistryPath();
  if (key_.empty() || key_.find_first_of("]\n\r") != std::string::npos) return false;
  if (forWriting && !MakeParentDirs(path_)) return false;
  RegUnreadable unreadable;
  RegTree tree = LoadTree(path_, nullptr, &unreadable);
  auto it = tree.find(key_);
  if (it != tree.end()) snapshot_ = std::move(it->second);
  auto bad = unreadable.find(key_);
  if (bad != unreadable.end()) unreadable_ = std::move(bad->second);
  forWriting_ = forWriting;
  open_ = true;
  return true;
}

void RegKey::Close() {
  open_ = false;
  forWriting_ = false;
  snapshot_.clear();
  unreadable_.clear();
}

std::optional<RegValue> RegKey::Read(std::string_view name) const {
  if (!open_) return std::nullopt;
  auto it = snapshot_.find(std::string(name));
  if (it == snapshot_.end()) return std::nullopt;
  return it->second;
}

bool RegKey::ReadDword(std::string_view name, uint32_t* out) const {
  std::optional<RegValue> v = Read(name);
  if (!v || v->type != RegType::Dword || v->data.size() != 4) return false;
  *out = ReadLe32(v->data.data());
  return true;
}

std::optional<std::string> RegKey::ReadText(std::string_view name) const {
  if (!open_) return std::nullopt;
  if (std::optional<RegValue> v = Read(name)) return FormatValue(*v);
  auto it = unreadable_.find(std::string(name));
  if (it == unreadable_.end()) return std::nullopt;
  return it->second;
}

bool RegKey::Write(std::string_view name, const RegValue& value) {
  return WriteMany({{std::string(name), value}});
}

bool RegKey::WriteMany(const std::vector<std::pair<std::string, RegValue>>& values) {
  if (!open_ || !forWriting_) return false;
  WriteLock lock(path_);
  if (!lock.ok()) return false;
  bool keep = false;
  RegTree tree = LoadTree(path_, &keep);
  if (keep) return false;
  RegValues& key = tree[key_];
  for (const auto& [name, v] : values) {
    if (name.empty() || name.find_first_of("=\n\r") != std::string::npos || name.front() == '[' ||
        name.front() == '#' || name.front() == ';' || name.front() == ' ')
      return false;
    key[name] = v;
    snapshot_[name] = v;
  }
  const std::string text = FormatRegistryText(tree);
  return ReplaceFile(path_, text.data(), text.size()).ok;
}

}  // namespace plat
