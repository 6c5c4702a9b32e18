#include "vrax/io/SysUtil.h"

#include <unistd.h>

#include <cstdarg>
#include <vector>

#include "platform/message_box.h"
#include "platform/paths.h"

void FatalError(const char* format, ...) {
  char small[512];
  va_list ap;
  va_start(ap, format);
  int n = std::vsnprintf(small, sizeof small, format, ap);
  va_end(ap);
  if (n < 0) return;
  if (static_cast<size_t>(n) < sizeof small) {
    plat::ShowMessageBox("ERROR", small);
    return;
  }
  std::vector<char> big(static_cast<size_t>(n) + 1);
  va_start(ap, format);
  std::vsnprintf(big.data(), big.size(), format, ap);
  va_end(ap);
  plat::ShowMessageBox("ERROR", big.data());
}

void DebugPrint(const char*, ...) {}

FILE* FileOpen(const std::string& name) {
  const std::string path = plat::MapPath(name);
  if (path.empty()) return nullptr;
  const int fd = plat::OpenRegularFile(path, plat::Links::kFollow, nullptr, nullptr);
  if (fd < 0) return nullptr;
  FILE* f = ::fdopen(fd, "rb");
  if (f == nullptr) ::close(fd);
  return f;
}

// Nothing to move is no call: the C library takes no null buffer, even for
// zero bytes (an empty entry of a cache archive has none).
size_t FileRead(FILE* file, void* buffer, size_t size) {
  if (file == nullptr || buffer == nullptr || size == 0) return 0;
  return std::fread(buffer, 1, size, file);
}

int32_t FileClose(FILE* file) {
  if (file == nullptr) return -1;
  return std::fclose(file) == 0 ? 0 : -1;
}

int64_t FileSize(const std::string& name) {
  const std::string path = plat::MapPath(name);
  return path.empty() ? -1 : plat::RegularFileSize(path);
}

int64_t FileReadAll(const std::string& name, void* buffer, size_t size) {
  const std::string path = plat::MapPath(name);
  if (path.empty() || (buffer == nullptr && size != 0)) return -1;
  if (plat::ReadFileInto(path, buffer, size) != plat::FileProblem::kNone) return -1;
  return static_cast<int64_t>(size);
}

plat::SaveResult FileSave(const std::string& name, const void* bytes, size_t size) {
  const std::string path = plat::MapPath(name);
  if (path.empty()) return {false, false, "no file name"};
  return plat::ReplaceFile(path, bytes, size);
}

bool FileRemove(const std::string& name) {
  const std::string path = plat::MapPath(name);
  return !path.empty() && plat::RemoveFile(path);
}

std::string MakeFileName(const std::string& name, const std::string& extension) {
  return name + extension;
}

bool StaysInDataFolder(const std::string& name) {
  size_t depth = 0;
  size_t start = 0;
  for (size_t i = 0; i <= name.size(); ++i) {
    if (i < name.size() && name[i] == '\0') return false;
    if (i < name.size() && name[i] != '\\' && name[i] != '/') continue;
    const size_t length = i - start;
    if (length == 2 && name[start] == '.' && name[start + 1] == '.') {
      if (depth == 0) return false;
      --depth;
    } else if (length > 0 && !(length == 1 && name[start] == '.')) {
      ++depth;
    }
    start = i + 1;
  }
  return true;
}
