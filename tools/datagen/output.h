#pragma once
// Writing the data tree: PNG encoding and files rewritten only when their
// bytes change, so a rebuild leaves unchanged files (and their times) alone.
#include <cstdint>
#include <string>
#include <vector>

namespace datagen {

class Canvas;

// PNG of an RGBA canvas; the same pixels always give the same bytes.
std::vector<std::uint8_t> EncodePng(const Canvas& canvas);

struct WriteStats {
  int written = 0;
  int unchanged = 0;
  int failed = 0;
};

// The whole of a file; false when it does not open.
bool ReadFileBytes(const std::string& path, std::vector<std::uint8_t>* out);

// The host directory (relative, with '/' and a trailing '/') of a game path:
// "\common\osr_efx00" -> "common/"; and the path's last name, "osr_efx00".
std::string HostDir(const std::string& path);
std::string Stem(const std::string& path);

// Writes bytes to root/relative (creating directories) unless the file
// already holds exactly these bytes.
void WriteIfChanged(const std::string& root, const std::string& relative, const std::vector<std::uint8_t>& bytes,
                    WriteStats* stats);

}  // namespace datagen
