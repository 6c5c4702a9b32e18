#include "tools/datagen/countdown_images.h"

#include <cstdio>

#include "cabinet/QvtCountDownRenderer.h"
#include "platform/dds_image.h"
#include "tools/datagen/canvas.h"

namespace datagen {

namespace {

// A 24-bit bottom-up BMP of the canvas (alpha dropped).
std::vector<std::uint8_t> EncodeBmp(const Canvas& c) {
  const int w = c.Width(), h = c.Height();
  const int row = (w * 3 + 3) & ~3;
  const std::uint32_t dataSize = static_cast<std::uint32_t>(row * h), fileSize = 54 + dataSize;
  std::vector<std::uint8_t> f(fileSize, 0);
  auto le = [&](std::size_t at, std::uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) f[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
  };
  f[0] = 'B';
  f[1] = 'M';
  le(2, fileSize, 4);
  le(10, 54, 4);
  le(14, 40, 4);
  le(18, static_cast<std::uint32_t>(w), 4);
  le(22, static_cast<std::uint32_t>(h), 4);
  le(26, 1, 2);
  le(28, 24, 2);
  le(34, dataSize, 4);
  const std::vector<std::uint8_t>& px = c.Pixels();
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const std::uint8_t* s = &px[(static_cast<std::size_t>(y) * w + x) * 4];
      std::uint8_t* d = &f[54 + static_cast<std::size_t>(h - 1 - y) * row + x * 3];
      d[0] = s[2];
      d[1] = s[1];
      d[2] = s[0];
    }
  return f;
}

// The panel: a translucent band with a frame and a label beside the digits,
// and the ten digits at their source cells.
Canvas DrawPanel(bool high, bool vertical) {
  const QvtCountDownRenderer::Layout& l = QvtCountDownRenderer::GetLayout(high, vertical);
  Canvas c(static_cast<int>(l.texW), static_cast<int>(l.texH));
  const int px = static_cast<int>(l.panel[4]), py = static_cast<int>(l.panel[5]);
  const int pw = static_cast<int>(l.panel[2]), ph = static_cast<int>(l.panel[3]);
  c.Fill(px, py, pw, ph, FromRgb(0x101830, 0.75f));
  c.Frame(px, py, pw, ph, high ? 6 : 3, FromRgb(0xF0C040));
  // The digits' box, in panel coordinates.
  const int bx = static_cast<int>(l.tens[0] - l.panel[0]) + px, by = static_cast<int>(l.tens[1] - l.panel[1]) + py;
  const int bw = static_cast<int>(l.units[0] + l.units[2] - l.tens[0]);
  const int bh = static_cast<int>(l.units[1] + l.units[3] - l.tens[1]);
  c.Fill(bx - 4, by - 4, bw + 8, bh + 8, FromRgb(0x000000, 0.9f));
  if (vertical)
    DrawText(c, px, by + bh + 12, pw, high ? 60 : 36, "TIME", high ? 48 : 28, FromRgb(0xFFFFFF));
  else
    DrawText(c, bx + bw + 24, py, pw - (bx - px) - bw - 48, ph, "SECONDS LEFT", high ? 96 : 48, FromRgb(0xFFFFFF));
  const int dw = static_cast<int>(l.units[2]), dh = static_cast<int>(l.units[3]);
  for (int k = 0; k < 10; ++k)
    DrawGlyph(c, static_cast<int>(l.digit[k][0]), static_cast<int>(l.digit[k][1]), dw, dh,
              static_cast<std::uint32_t>('0' + k), FromRgb(0xFFE080));
  return c;
}

plat::Image ToImage(const Canvas& c) {
  plat::Image img;
  img.width = c.Width();
  img.height = c.Height();
  img.rgba = c.Pixels();
  return img;
}

}  // namespace

void GenerateCountDownImages(const std::string& root, WriteStats* stats) {
  LoadTextFontForThread();  // the image workers may have unloaded this thread's font
  // Standard resolution uncompressed, high resolution DXT5: both ways of
  // reading the panel are used.
  for (int high = 0; high < 2; ++high)
    for (int vertical = 0; vertical < 2; ++vertical) {
      const plat::Image img = ToImage(DrawPanel(high != 0, vertical != 0));
      WriteIfChanged(root, QvtCountDownRenderer::PanelFileName(high != 0, vertical != 0),
                     plat::EncodeDds(img, high ? plat::DdsLayout::kDxt5 : plat::DdsLayout::kA8R8G8B8), stats);
    }
  const float (*nominal)[2] = QvtCountDownRenderer::SideNominal();
  for (std::uint32_t i = 0; i < 4; ++i) {
    const int w = static_cast<int>(nominal[i][0]), h = static_cast<int>(nominal[i][1]);
    Canvas c(w, h);
    for (int y = 0; y < h; ++y)
      c.Fill(0, y, w, 1, Mix(FromRgb(0x203060), FromRgb(0x601828), static_cast<float>(y) / static_cast<float>(h)));
    c.Frame(0, 0, w, h, 4, FromRgb(0xF0C040));
    DrawText(c, 0, h / 2 - 40, w, 80, "OSTREL", w / 5, FromRgb(0xFFFFFF));
    // "Data/Lumora/..." lies under the data root.
    const std::string rel = std::string(QvtCountDownRenderer::SideImagePath(i)).substr(5);
    WriteIfChanged(root, rel, EncodeBmp(c), stats);
  }
}

}  // namespace datagen
