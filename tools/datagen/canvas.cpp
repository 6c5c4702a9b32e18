#include "tools/datagen/canvas.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cmath>

namespace datagen {

namespace {

// One face per thread: FreeType faces must not be shared between threads.
thread_local FT_Library g_library = nullptr;
thread_local FT_Face g_face = nullptr;
std::string g_fontPath;

std::uint8_t ToByte(float v) {
  return static_cast<std::uint8_t>(std::lround(std::clamp(v, 0.0f, 1.0f) * 255.0f));
}

// Blits the face's rendered bitmap with its ink box centred in the rectangle.
bool BlitBitmaps(Canvas& c, int x, int y, int w, int h, const std::u32string& text, int pixelSize,
                 const Rgba& colour, bool mirrored) {
  if (g_face == nullptr || text.empty() || pixelSize < 3) return false;
  FT_Set_Pixel_Sizes(g_face, 0, static_cast<FT_UInt>(pixelSize));
  // First pass: the ink box of the whole string.
  long pen = 0;
  int minX = 1 << 30, maxX = -(1 << 30), minY = 1 << 30, maxY = -(1 << 30);
  for (char32_t ch : text) {
    if (FT_Load_Char(g_face, ch, FT_LOAD_RENDER) != 0) continue;
    const FT_GlyphSlot g = g_face->glyph;
    if (g->bitmap.width > 0 && g->bitmap.rows > 0) {
      minX = std::min<int>(minX, static_cast<int>(pen + g->bitmap_left));
      maxX = std::max<int>(maxX, static_cast<int>(pen + g->bitmap_left + g->bitmap.width));
      minY = std::min<int>(minY, -g->bitmap_top);
      maxY = std::max<int>(maxY, static_cast<int>(-g->bitmap_top + static_cast<int>(g->bitmap.rows)));
    }
    pen += g->advance.x >> 6;
  }
  if (minX > maxX) return false;
  const int inkW = maxX - minX, inkH = maxY - minY;
  if (inkW > w || inkH > h) {
    const float s = std::min(static_cast<float>(w) / inkW, static_cast<float>(h) / inkH);
    const int smaller = std::min(pixelSize - 1, static_cast<int>(pixelSize * s));
    return BlitBitmaps(c, x, y, w, h, text, smaller, colour, mirrored);
  }
  const int ox = x + (w - inkW) / 2 - minX;
  const int oy = y + (h - inkH) / 2 - minY;
  pen = 0;
  for (char32_t ch : text) {
    if (FT_Load_Char(g_face, ch, FT_LOAD_RENDER) != 0) continue;
    const FT_GlyphSlot g = g_face->glyph;
    for (unsigned r = 0; r < g->bitmap.rows; ++r)
      for (unsigned col = 0; col < g->bitmap.width; ++col) {
        const std::uint8_t cov = g->bitmap.buffer[r * g->bitmap.pitch + col];
        if (cov == 0) continue;
        Rgba p = colour;
        p.a *= cov / 255.0f;
        int px = ox + static_cast<int>(pen) + g->bitmap_left + static_cast<int>(col);
        if (mirrored) px = x + (x + w - 1 - px);
        c.Blend(px, oy - g->bitmap_top + static_cast<int>(r), p);
      }
    pen += g->advance.x >> 6;
  }
  return true;
}

}  // namespace

Rgba FromRgb(std::uint32_t rgb, float a) {
  return {((rgb >> 16) & 0xFF) / 255.0f, ((rgb >> 8) & 0xFF) / 255.0f, (rgb & 0xFF) / 255.0f, a};
}

Rgba Mix(const Rgba& x, const Rgba& y, float t) {
  return {x.r + (y.r - x.r) * t, x.g + (y.g - x.g) * t, x.b + (y.b - x.b) * t, x.a + (y.a - x.a) * t};
}

void Canvas::Set(int x, int y, const Rgba& c) {
  if (x < 0 || y < 0 || x >= w_ || y >= h_) return;
  std::uint8_t* p = &px_[(static_cast<std::size_t>(y) * w_ + x) * 4];
  p[0] = ToByte(c.r);
  p[1] = ToByte(c.g);
  p[2] = ToByte(c.b);
  p[3] = ToByte(c.a);
}

void Canvas::Copy(int fromX, int fromY, int toX, int toY) {
  const auto inside = [this](int x, int y) { return x >= 0 && y >= 0 && x < w_ && y < h_; };
  if (!inside(fromX, fromY) || !inside(toX, toY)) return;
  const std::size_t from = (static_cast<std::size_t>(fromY) * w_ + fromX) * 4;
  const std::size_t to = (static_cast<std::size_t>(toY) * w_ + toX) * 4;
  for (int k = 0; k < 4; ++k) px_[to + k] = px_[from + k];
}

void Canvas::Blend(int x, int y, const Rgba& c) {
  if (x < 0 || y < 0 || x >= w_ || y >= h_ || c.a <= 0.0f) return;
  std::uint8_t* p = &px_[(static_cast<std::size_t>(y) * w_ + x) * 4];
  const float da = p[3] / 255.0f;
  const float sa = std::min(c.a, 1.0f);
  const float oa = sa + da * (1.0f - sa);
  if (oa <= 0.0f) return;
  auto ch = [&](float s, std::uint8_t d) { return (s * sa + d / 255.0f * da * (1.0f - sa)) / oa; };
  p[0] = ToByte(ch(c.r, p[0]));
  p[1] = ToByte(ch(c.g, p[1]));
  p[2] = ToByte(ch(c.b, p[2]));
  p[3] = ToByte(oa);
}

void Canvas::Fill(int x0, int y0, int w, int h, const Rgba& c) {
  for (int y = y0; y < y0 + h; ++y)
    for (int x = x0; x < x0 + w; ++x) Blend(x, y, c);
}

void Canvas::Frame(int x0, int y0, int w, int h, int t, const Rgba& c) {
  for (int y = y0; y < y0 + h; ++y)
    for (int x = x0; x < x0 + w; ++x)
      if (x < x0 + t || y < y0 + t || x >= x0 + w - t || y >= y0 + h - t) Blend(x, y, c);
}

bool LoadTextFont(const std::string& path) {
  g_fontPath = path;
  if (g_face != nullptr) return true;
  if (g_library == nullptr && FT_Init_FreeType(&g_library) != 0) return false;
  if (FT_New_Face(g_library, path.c_str(), 0, &g_face) != 0) {
    g_face = nullptr;
    return false;
  }
  return true;
}

bool LoadTextFontForThread() { return !g_fontPath.empty() && LoadTextFont(g_fontPath); }

void UnloadTextFont() {
  if (g_face != nullptr) FT_Done_Face(g_face);
  if (g_library != nullptr) FT_Done_FreeType(g_library);
  g_face = nullptr;
  g_library = nullptr;
}

bool DrawText(Canvas& c, int x, int y, int w, int h, const std::string& text, int size, const Rgba& colour,
              bool mirrored) {
  std::u32string s(text.begin(), text.end());
  return BlitBitmaps(c, x, y, w, h, s, std::min(size, h), colour, mirrored);
}

bool DrawGlyph(Canvas& c, int x, int y, int w, int h, std::uint32_t code, const Rgba& colour) {
  // Every glyph of a font on one baseline at one size, centred by its advance.
  if (g_face == nullptr || w < 4 || h < 4) return false;
  int size = h * 3 / 4;
  for (; size >= 3; --size) {
    FT_Set_Pixel_Sizes(g_face, 0, static_cast<FT_UInt>(size));
    const long ascender = g_face->size->metrics.ascender >> 6, descender = -(g_face->size->metrics.descender >> 6);
    if (FT_Load_Char(g_face, 'W', FT_LOAD_DEFAULT) != 0) return false;
    if (ascender + descender <= h && (g_face->glyph->advance.x >> 6) <= w) break;
  }
  if (size < 3 || FT_Load_Char(g_face, code, FT_LOAD_RENDER) != 0) return false;
  const FT_GlyphSlot g = g_face->glyph;
  const long ascender = g_face->size->metrics.ascender >> 6, descender = -(g_face->size->metrics.descender >> 6);
  const int baseline = y + static_cast<int>((h - (ascender + descender)) / 2 + ascender);
  const int left = x + static_cast<int>((w - (g->advance.x >> 6)) / 2) + g->bitmap_left;
  bool ink = false;
  for (unsigned r = 0; r < g->bitmap.rows; ++r)
    for (unsigned col = 0; col < g->bitmap.width; ++col) {
      const std::uint8_t cov = g->bitmap.buffer[r * g->bitmap.pitch + col];
      if (cov == 0) continue;
      Rgba p = colour;
      p.a *= cov / 255.0f;
      const int px = left + static_cast<int>(col), py = baseline - g->bitmap_top + static_cast<int>(r);
      if (px < x || py < y || px >= x + w || py >= y + h) continue;  // stay inside the cell
      c.Blend(px, py, p);
      ink = true;
    }
  return ink;
}

}  // namespace datagen
