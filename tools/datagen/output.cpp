#include "tools/datagen/output.h"

#include <png.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "tools/datagen/canvas.h"

namespace datagen {

namespace {

void AppendBytes(png_structp png, png_bytep data, png_size_t length) {
  auto* out = static_cast<std::vector<std::uint8_t>*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + length);
}
void NoFlush(png_structp) {}

}  // namespace

std::string HostDir(const std::string& path) {
  std::string dir = path.substr(0, path.rfind('\\') + 1);
  std::string out;
  for (char ch : dir)
    if (ch == '\\') {
      if (!out.empty()) out += '/';
    } else {
      out += ch;
    }
  return out;
}

std::string Stem(const std::string& path) { return path.substr(path.rfind('\\') + 1); }

bool ReadFileBytes(const std::string& path, std::vector<std::uint8_t>* out) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  out->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return true;
}

std::vector<std::uint8_t> EncodePng(const Canvas& canvas) {
  std::vector<std::uint8_t> out;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  if (png == nullptr) return out;
  png_infop info = png_create_info_struct(png);
  if (info == nullptr || setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, info != nullptr ? &info : nullptr);
    out.clear();
    return out;
  }
  png_set_write_fn(png, &out, AppendBytes, NoFlush);
  // Fast settings: the tree is regenerated on every build.
  png_set_compression_level(png, 3);
  png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_SUB);
  png_set_IHDR(png, info, static_cast<png_uint_32>(canvas.Width()), static_cast<png_uint_32>(canvas.Height()), 8,
               PNG_COLOR_TYPE_RGBA, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_BASE, PNG_FILTER_TYPE_BASE);
  png_write_info(png, info);
  const std::uint8_t* px = canvas.Pixels().data();
  for (int y = 0; y < canvas.Height(); ++y)
    png_write_row(png, const_cast<png_bytep>(px + static_cast<std::size_t>(y) * canvas.Width() * 4));
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return out;
}

void WriteIfChanged(const std::string& root, const std::string& relative, const std::vector<std::uint8_t>& bytes,
                    WriteStats* stats) {
  namespace fs = std::filesystem;
  const fs::path path = fs::path(root) / relative;
  std::error_code ec;
  std::vector<std::uint8_t> old;
  if (fs::file_size(path, ec) == bytes.size() && !ec && ReadFileBytes(path.string(), &old)) {
    if (old == bytes) {
      ++stats->unchanged;
      return;
    }
  }
  fs::create_directories(path.parent_path(), ec);
  const fs::path temp = path.string() + ".tmp";
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out) {
      ++stats->failed;
      std::fprintf(stderr, "datagen: cannot write %s\n", temp.string().c_str());
      return;
    }
  }
  fs::rename(temp, path, ec);
  if (ec) {
    ++stats->failed;
    std::fprintf(stderr, "datagen: cannot write %s\n", path.string().c_str());
    return;
  }
  ++stats->written;
}

}  // namespace datagen
