#pragma once
// An RGBA picture with the few drawing operations the stand-in art needs:
// blended pixels, soft shapes and text through FreeType.
#include <cstdint>
#include <string>
#include <vector>

namespace datagen {

struct Rgba {
  float r = 0, g = 0, b = 0, a = 0;  // 0 to 1, not premultiplied
};
Rgba FromRgb(std::uint32_t rgb, float a = 1.0f);
Rgba Mix(const Rgba& x, const Rgba& y, float t);

class Canvas {
 public:
  Canvas(int w, int h) : w_(w), h_(h), px_(static_cast<std::size_t>(w) * h * 4, 0) {}
  int Width() const { return w_; }
  int Height() const { return h_; }
  const std::vector<std::uint8_t>& Pixels() const { return px_; }

  // Source-over blend of one pixel; outside the picture nothing happens.
  void Blend(int x, int y, const Rgba& c);
  void Set(int x, int y, const Rgba& c);
  // Copies the exact bytes of one pixel onto another; either outside the
  // picture does nothing.
  void Copy(int fromX, int fromY, int toX, int toY);
  void Fill(int x0, int y0, int w, int h, const Rgba& c);
  void Frame(int x0, int y0, int w, int h, int thickness, const Rgba& c);

 private:
  int w_, h_;
  std::vector<std::uint8_t> px_;
};

// Loads the font for the calling thread; text calls draw nothing when no
// font is loaded. A worker thread loads the font its starter loaded with
// LoadTextFontForThread, and unloads it before it ends.
bool LoadTextFont(const std::string& path);
bool LoadTextFontForThread();
void UnloadTextFont();
// Draws text with its box centred in (x, y, w, h), at most `size` pixels
// tall, shrunk to fit the width. Returns false when nothing was drawn.
bool DrawText(Canvas& c, int x, int y, int w, int h, const std::string& text, int size, const Rgba& colour,
              bool mirrored = false);
// Draws one character centred in its cell, scaled to fill most of it.
bool DrawGlyph(Canvas& c, int x, int y, int w, int h, std::uint32_t code, const Rgba& colour);

}  // namespace datagen
