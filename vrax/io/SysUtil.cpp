#include "vrax/io/SysUtil.h"

#include <sys/stat.h>

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

FILE* FileOpen(const std::string& name, bool write) {
  std::string path = plat::MapPath(name);
  if (path.empty()) return nullptr;
  if (write) {
    plat::MakeParentDirs(path);
    return std::fopen(path.c_str(), "wb");
  }
  // Only regular files: a directory opens for reading on this host but has
  // no bytes to give.
  struct stat st;
  if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return nullptr;
  return std::fopen(path.c_str(), "rb");
}

size_t FileRead(FILE* file, void* buffer, size_t size) {
  if (file == nullptr || (buffer == nullptr && size != 0)) return 0;
  return std::fread(buffer, 1, size, file);
}

size_t FileWrite(FILE* file, const void* buffer, size_t size) {
  if (file == nullptr || (buffer == nullptr && size != 0)) return 0;
  return std::fwrite(buffer, 1, size, file);
}

int32_t FileClose(FILE* file) {
  if (file == nullptr) return -1;
  return std::fclose(file) == 0 ? 0 : -1;
}

int64_t FileSize(const std::string& name) {
  FILE* f = FileOpen(name, false);
  if (f == nullptr) return -1;
  int64_t size = -1;
  if (std::fseek(f, 0, SEEK_END) == 0) size = static_cast<int64_t>(std::ftell(f));
  std::fclose(f);
  return size;
}

int64_t FileReadAll(const std::string& name, void* buffer, size_t size) {
  FILE* f = FileOpen(name, false);
  if (f == nullptr) return -1;
  size_t got = FileRead(f, buffer, size);
  std::fclose(f);
  if (got != size) return -1;
  return static_cast<int64_t>(size);
}

std::string MakeFileName(const std::string& name, const std::string& extension) {
  return name + extension;
}
