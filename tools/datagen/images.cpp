#include "tools/datagen/images.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <atomic>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "game/tables/image_slots.h"
#include "game/tables/table_registry.h"
#include "tools/datagen/canvas.h"
#include "tools/datagen/hud_art.h"
#include "tools/datagen/title_art.h"
#include "tools/datagen/scene_art.h"
#include "tools/datagen/testmode_art.h"

namespace datagen {

namespace {

constexpr float kPi = 3.14159265f;

// ---- Deterministic noise ----

std::uint32_t Hash(int x, int y, std::uint32_t seed) {
  std::uint32_t h = static_cast<std::uint32_t>(x) * 374761393u + static_cast<std::uint32_t>(y) * 668265263u +
                    seed * 2246822519u;
  h = (h ^ (h >> 13)) * 1274126177u;
  return h ^ (h >> 16);
}
float Noise(float x, float y, std::uint32_t seed) {
  const int ix = static_cast<int>(std::floor(x)), iy = static_cast<int>(std::floor(y));
  const float fx = x - ix, fy = y - iy;
  auto v = [&](int dx, int dy) { return (Hash(ix + dx, iy + dy, seed) & 0xFFFF) / 65535.0f; };
  const float sx = fx * fx * (3 - 2 * fx), sy = fy * fy * (3 - 2 * fy);
  const float a = v(0, 0) + (v(1, 0) - v(0, 0)) * sx;
  const float b = v(0, 1) + (v(1, 1) - v(0, 1)) * sx;
  return a + (b - a) * sy;
}
float Fbm(float x, float y, std::uint32_t seed) {
  return 0.5f * Noise(x, y, seed) + 0.3f * Noise(x * 2.1f, y * 2.1f, seed + 1) +
         0.2f * Noise(x * 4.3f, y * 4.3f, seed + 2);
}
float Clamp01(float v) { return std::clamp(v, 0.0f, 1.0f); }
float Smooth(float e0, float e1, float v) {
  const float t = Clamp01((v - e0) / (e1 - e0));
  return t * t * (3 - 2 * t);
}

const Rgba kWhite{1, 1, 1, 1};

// ---- What one part shows ----

struct PartJob {
  const TableInfo* table;
  std::size_t index;
  int x, y, w, h;  // pixels of the real texture
  float t = 0;     // progress through the table's sequence
  std::uint32_t colour = 0;  // the texture it is drawn on (bullet colour)
};

// Parts this narrow or this short get a bleed margin (and a glow table's
// are its flat strips).
constexpr int kTinyPart = 4;

// Progress of a part through its sequence, 0 for the first and 1 for the last.
float Progress(const PartJob& j) {
  const std::size_t n = j.table->parts.size();
  if (std::string(j.table->name) == "SprEfx08") return (j.index % 8) / 7.0f;  // eight rows per column
  return n > 1 ? static_cast<float>(j.index) / static_cast<float>(n - 1) : 0.0f;
}

Rgba BulletColour(const PartJob& j) {
  static const std::uint32_t kShotColours[3] = {0xff4060, 0x4090ff, 0x40ff70};
  if (j.table->art == PartArt::Bullet && j.colour < 3) return FromRgb(kShotColours[j.colour]);
  return FromRgb(j.table->rgb);
}

// Colour of a pixel at (lx, ly), both -1..1 across the part.
Rgba Shade(const PartJob& j, const PartLayout& p, float lx, float ly) {
  const float t = j.t;
  const float r = std::sqrt(lx * lx + ly * ly);
  const Rgba col = BulletColour(j);
  const std::uint32_t seed = static_cast<std::uint32_t>(j.index * 7919u + j.table->rgb);
  switch (j.table->art) {
    case PartArt::Dot: {
      Rgba c = kWhite;
      c.a = std::pow(Clamp01(1 - r), 1.5f);
      return c;
    }
    case PartArt::Solid:
      return kWhite;
    case PartArt::Glow: {
      if (std::min(j.w, j.h) <= kTinyPart) return kWhite;
      // The effect discs map the top edge to their centre and the bottom
      // edge to their rim.
      Rgba c = kWhite;
      c.a = std::pow(Clamp01(1 - (ly + 1) * 0.5f), 2.0f);
      return c;
    }
    case PartArt::Bullet:
    case PartArt::PlayerShot: {
      if (r >= 1) return {};
      Rgba c = Mix(kWhite, col, Smooth(0.15f, 0.55f, r));
      c.a = r < 0.45f ? 1.0f : std::pow(Clamp01((1 - r) / 0.55f), 0.8f);
      return c;
    }
    case PartArt::Explosion:
    case PartArt::Smoke: {
      const bool smoke = j.table->art == PartArt::Smoke;
      const float n = Fbm(lx * 2.5f + 10, ly * 2.5f + 10, seed);
      const float radius = (0.45f + 0.5f * t) * (0.8f + 0.35f * n);
      if (r >= radius) return {};
      const float k = r / radius;
      // Fire: a white-hot core through the table's colour to a dark red rim,
      // cooling and thinning frame by frame.
      Rgba c = smoke ? Mix(FromRgb(0xe0e0e0), col, k)
                     : (k < 0.35f ? Mix(FromRgb(0xfffff0), FromRgb(0xffd040), k / 0.35f)
                                  : Mix(col, FromRgb(0xa01808), (k - 0.35f) / 0.65f));
      if (!smoke) c = Mix(c, FromRgb(0x601008), t * 0.45f);
      c.a = (1 - 0.65f * t) * Smooth(1.0f, 0.8f, k) * (smoke ? 0.85f : 1.0f);
      return c;
    }
    case PartArt::Ring: {
      const float radius = 0.3f + 0.6f * t;
      const float thick = 0.22f * (1 - t) + 0.08f;
      const float d = std::fabs(r - radius) / thick;
      if (d >= 1) return {};
      Rgba c = Mix(kWhite, col, d);
      c.a = (1 - d * d) * (1 - 0.5f * t);
      return c;
    }
    case PartArt::Spark: {
      const float size = 1.0f - 0.5f * t;
      const float rr = r / size;
      if (rr >= 1) return {};
      const float star = 1.0f / (1.0f + 40.0f * std::fabs(lx * ly) / (size * size));
      const float v = Clamp01((1 - rr) * (0.35f + star));
      Rgba c = Mix(col, kWhite, Clamp01(v * 1.5f - 0.3f));
      c.a = Clamp01(v * 1.6f);
      return c;
    }
    case PartArt::Flame: {
      const float down = (ly + 1) * 0.5f;  // 0 top, 1 bottom
      const float width = 0.15f + 0.8f * std::pow(down, 0.6f) * (1 - 0.6f * std::pow(down, 6.0f));
      const float wobble = 0.08f * std::sin(ly * 6 + j.index);
      const float d = std::fabs(lx + wobble) / width;
      if (d >= 1) return {};
      Rgba c = Mix(FromRgb(0xfff0a0), col, Clamp01(1 - down + d * 0.5f));
      c.a = (1 - d * d) * (1 - 0.5f * t);
      return c;
    }
    case PartArt::Bolt: {
      if (p.h > 2 * p.w) {
        const float cx = 0.45f * std::sin(ly * 9 + j.index * 1.7f) * std::cos(ly * 3.1f);
        const float d = std::fabs(lx - cx);
        const float v = std::exp(-d * d / 0.02f);
        Rgba c = Mix(col, kWhite, Clamp01(std::exp(-d * d / 0.004f)));
        c.a = Clamp01(v * 1.4f);
        return c;
      }
      if (r >= 1) return {};
      const float crackle = Noise(std::atan2(ly, lx) * 3 + 20, r * 4, seed);
      Rgba c = Mix(kWhite, col, Smooth(0.1f, 0.6f, r));
      c.a = Clamp01((1 - r) * (0.6f + crackle));
      return c;
    }
    case PartArt::Flare: {
      Rgba c = Mix(kWhite, col, r);
      if (p.id == 2) {
        const float d = std::fabs(r - 0.75f) / 0.2f;
        c.a = d < 1 ? (1 - d * d) * 0.8f : 0.0f;
      } else {
        c.a = std::pow(Clamp01(1 - r), p.id == 1 ? 3.0f : 1.2f);
      }
      return c;
    }
    case PartArt::Cloud: {
      const float n = Fbm(lx * 3 + 5, ly * 3 + 5, seed);
      Rgba c = Mix(col, kWhite, n);
      c.a = Clamp01(n * 1.8f - 0.55f) * Clamp01(1.2f - r * 0.5f);
      return c;
    }
    case PartArt::Enemy: {
      // A craft banking through its frames.
      const float a = 2 * kPi * static_cast<float>(j.index) / std::max<float>(8, j.table->parts.size());
      const float bank = 0.55f + 0.45f * std::cos(a);
      const float x = lx / bank, y = ly;
      const bool body = (x * x) / 0.06f + (y * y) / 0.55f < 1;
      const bool wings = y > -0.35f && y < 0.35f && std::fabs(x) < 0.95f * (1 - (y + 0.35f) / 0.7f) + 0.05f;
      const bool tail = y > 0.45f && y < 0.7f && std::fabs(x) < 0.35f;
      const bool cockpit = (x * x + (y + 0.3f) * (y + 0.3f)) < 0.015f;
      if (cockpit) return FromRgb(0xfff8d0);
      if (!(body || wings || tail)) return {};
      Rgba c = Mix(col, FromRgb(0x202030), Clamp01(0.2f + 0.6f * std::fabs(x) + 0.3f * (lx < 0)));
      c.a = 1;
      return c;
    }
    case PartArt::Ship: {
      const bool hull = ly > -0.9f && ly < 0.75f && std::fabs(lx) < 0.9f * (ly + 0.9f) / 1.65f;
      const bool engine = ly >= 0.75f && std::fabs(lx) < 0.2f;
      if (engine) return Mix(FromRgb(0xffe080), FromRgb(0xff6020), (ly - 0.75f) * 4);
      if (!hull) return {};
      if (lx * lx + (ly + 0.1f) * (ly + 0.1f) < 0.03f) return FromRgb(0xffffff);
      Rgba c = Mix(col, FromRgb(0x203060), Clamp01(std::fabs(lx) * 1.2f));
      c.a = 1;
      return c;
    }
    case PartArt::Option: {
      if (r >= 1) return {};
      if (r > 0.82f) return FromRgb(0xffffff);
      Rgba c = Mix(FromRgb(0xfff0c0), col, r);
      c.a = 1;
      return c;
    }
    case PartArt::Marker:
    case PartArt::Label:
    case PartArt::Picture: {
      if (j.table->rgb == 0) return {};  // text strips: words only
      const float down = (ly + 1) * 0.5f;
      Rgba c = Mix(FromRgb(j.table->rgb), Mix(FromRgb(j.table->rgb), FromRgb(0x000000), 0.6f), down);
      if (j.table->art == PartArt::Picture && std::fmod(std::fabs(lx * 6 + ly * 6 + 100), 1.0f) < 0.06f)
        c = Mix(c, kWhite, 0.25f);
      c.a = j.table->art == PartArt::Marker ? 0.6f : 1.0f;
      return c;
    }
    case PartArt::FontSheet:
      return {};
  }
  return {};
}

// "SprTestTop" part 3 -> "TestTop 3".
std::string PartLabel(const PartJob& j) {
  if (const char* words = TestStripWords(j.table->name, j.index)) return words;
  if (const char* words = SceneStripWords(j.table->name, j.index)) return words;
  std::string stem = j.table->name;
  if (stem.rfind("Spr", 0) == 0) stem = stem.substr(3);
  return stem + " " + std::to_string(j.index);
}

void DrawPart(Canvas& c, PartJob j) {
  if (DrawTestPicture(c, j.table->name, j.index, j.x, j.y, j.w, j.h)) return;
  if (DrawHudPart(c, j.table->name, j.index, j.x, j.y, j.w, j.h)) return;
  if (DrawTitlePart(c, j.table->name, j.index, j.x, j.y, j.w, j.h)) return;
  if (DrawScenePicture(c, j.table->name, j.index, j.x, j.y, j.w, j.h)) return;
  const PartLayout& p = j.table->parts[j.index];
  j.t = Progress(j);
  if (j.w <= 0 || j.h <= 0) return;
  for (int y = 0; y < j.h; ++y)
    for (int x = 0; x < j.w; ++x) {
      float lx = ((x + 0.5f) / j.w) * 2 - 1;
      const float ly = ((y + 0.5f) / j.h) * 2 - 1;
      if (p.flipU) lx = -lx;
      c.Blend(j.x + x, j.y + y, Shade(j, p, lx, ly));
    }
  const PartArt art = j.table->art;
  const Rgba ink = j.table->rgb == 0 ? kWhite : Rgba{1, 1, 1, 0.95f};
  if (art == PartArt::Marker || art == PartArt::Label || art == PartArt::Picture) {
    if (j.table->rgb != 0) c.Frame(j.x, j.y, j.w, j.h, std::max(1, std::min(j.w, j.h) / 24), Rgba{1, 1, 1, 0.8f});
    const int size = art == PartArt::Picture ? std::max(12, std::min(j.h / 6, 64)) : j.h - 4;
    // Narrow pieces fall back to their number alone.
    if (!DrawText(c, j.x + 2, j.y + 2, j.w - 4, j.h - 4, PartLabel(j), size, ink, p.flipU) &&
        !DrawText(c, j.x + 1, j.y + 1, j.w - 2, j.h - 2, std::to_string(j.index), size, ink, p.flipU))
      c.Frame(j.x, j.y, j.w, j.h, 1, ink);
  } else if (art == PartArt::Enemy && j.w >= 64) {
    DrawText(c, j.x + 2, j.y + 2, 28, 16, std::to_string(j.index), 14, Rgba{1, 1, 1, 0.9f});
  } else if (art == PartArt::Option && j.w >= 24) {
    DrawText(c, j.x, j.y, j.w, j.h, std::to_string(j.index + 1), j.h / 2, Rgba{0.2f, 0.1f, 0, 1});
  }
}

// ---- Images, textures and their parts ----

struct TextureJob {
  int w = 0, h = 0;
};

struct ImageJob {
  std::string path;  // request path, "\common\osr_efx00"
  std::map<std::uint32_t, TextureJob> textures;
};

// The pixel rectangle of a part on the real texture: the part's rectangle in
// the size it was written against, scaled to the texture actually drawn.
PartJob Place(const TableInfo& t, std::size_t i, const TextureJob& tex) {
  const PartLayout& p = t.parts[i];
  const float sx = tex.w / p.texW, sy = tex.h / p.texH;
  int x0 = static_cast<int>(std::floor(p.x * sx + 0.001f)), y0 = static_cast<int>(std::floor(p.y * sy + 0.001f));
  int x1 = static_cast<int>(std::ceil((p.x + p.w) * sx - 0.001f)), y1 = static_cast<int>(std::ceil((p.y + p.h) * sy - 0.001f));
  x0 = std::clamp(x0, 0, tex.w);
  y0 = std::clamp(y0, 0, tex.h);
  x1 = std::clamp(x1, 0, tex.w);
  y1 = std::clamp(y1, 0, tex.h);
  return PartJob{&t, i, x0, y0, x1 - x0, y1 - y0};
}

bool SameArea(const PartJob& a, const PartJob& b) { return a.x == b.x && a.y == b.y && a.w == b.w && a.h == b.h; }

constexpr int kBleed = 2;

// A sprite's texture coordinates put its edges on texel boundaries and the
// sampler filters linearly, so the edge of a part one or two texels across
// is half made of whatever lies next to it: a one-texel colour source would
// come out a quarter of its colour. Around each tiny part the pixels no part
// covers take the colour of the part's nearest pixel, up to kBleed pixels
// out; the first part to claim such a pixel keeps it. Flat colour sources
// get the same margin whatever their size. The sampler repeats the texture,
// so a margin running off one edge continues at the opposite edge.
void BleedTinyParts(Canvas& c, const std::vector<PartJob>& parts) {
  const int w = c.Width(), h = c.Height();
  std::vector<std::uint8_t> taken(static_cast<std::size_t>(w) * h, 0);
  const auto at = [w](int x, int y) { return static_cast<std::size_t>(y) * w + x; };
  for (const PartJob& j : parts)
    for (int y = std::max(j.y, 0); y < std::min(j.y + j.h, h); ++y)
      for (int x = std::max(j.x, 0); x < std::min(j.x + j.w, w); ++x) taken[at(x, y)] = 1;
  for (const PartJob& j : parts) {
    if (j.w <= 0 || j.h <= 0) continue;
    if (std::min(j.w, j.h) > kTinyPart && j.table->art != PartArt::Solid) continue;
    for (int y = j.y - kBleed; y < j.y + j.h + kBleed; ++y)
      for (int x = j.x - kBleed; x < j.x + j.w + kBleed; ++x) {
        const int tx = (x % w + w) % w, ty = (y % h + h) % h;
        if (taken[at(tx, ty)] != 0) continue;
        c.Copy(std::clamp(x, j.x, j.x + j.w - 1), std::clamp(y, j.y, j.y + j.h - 1), tx, ty);
        taken[at(tx, ty)] = 1;
      }
  }
}

// The character a font's cell shows where it is not the cell's own code:
// the stage result prints its destroy ratio with the code after "9", which
// its ratio font shows as a per-cent sign.
std::uint32_t CellGlyph(const FontInfo& f, std::uint32_t code) {
  if (std::string(f.name) == "SprFontDesc[6]" && code == ':') return '%';
  return code;
}

void DrawFonts(Canvas& c, const std::string& path, std::uint32_t id, const TextureJob& tex,
               const std::map<SImageSlot*, const ImageDef*>& defs) {
  std::vector<std::pair<float, float>> cellsDrawn;
  for (const FontInfo& f : AllFontInfos()) {
    const PartLayout& s = *f.sheet;
    if (s.id != id || defs.at(s.slot)->path != path) continue;
    // Two cuts of one sheet (the two test fonts) are drawn once.
    const std::pair<float, float> cell{f.cellW, f.cellH};
    if (s.w >= s.texW && std::find(cellsDrawn.begin(), cellsDrawn.end(), cell) != cellsDrawn.end()) continue;
    cellsDrawn.push_back(cell);
    const float sx = tex.w / s.texW, sy = tex.h / s.texH;
    const int cols = static_cast<int>(s.w / f.cellW), rows = static_cast<int>(s.h / f.cellH);
    for (int k = 0; k < cols * rows; ++k) {
      const int cx = static_cast<int>(std::lround((s.x + (k % cols) * f.cellW) * sx));
      const int cy = static_cast<int>(std::lround((s.y + (k / cols) * f.cellH) * sy));
      const int cw = static_cast<int>(f.cellW * sx), ch = static_cast<int>(f.cellH * sy);
      const std::uint32_t code = f.firstChar + static_cast<std::uint32_t>(k);
      if (f.firstChar == 1) {
        // Route and stage names: labelled plates, one per code. A stage
        // title's rows are too thin for a label, and its grid reads them on
        // down the texture past its one-row sheet (a texel a row, the five
        // titles' 115 rows): the whole texture is white, so each stage's
        // title shows as a white block.
        if (ch < 8) {
          c.Fill(0, 0, c.Width(), c.Height(), kWhite);
          continue;
        }
        c.Fill(cx + 1, cy + 1, cw - 2, ch - 2, Rgba{0.1f, 0.2f, 0.5f, 0.7f});
        c.Frame(cx + 1, cy + 1, cw - 2, ch - 2, 2, kWhite);
        DrawText(c, cx + 3, cy + ch / 3, cw - 6, ch / 3, "R" + std::to_string(code), cw / 2, kWhite);
        continue;
      }
      if (code == ' ') continue;
      DrawGlyph(c, cx, cy, cw, ch, CellGlyph(f, code), kWhite);
    }
  }
}

void DrawImage(const std::string& root, const ImageJob& img, const std::map<SImageSlot*, const ImageDef*>& defs,
               WriteStats* stats);

}  // namespace

void GenerateImages(const std::string& root, WriteStats* stats) {
  std::map<SImageSlot*, const ImageDef*> defs;
  std::size_t count = 0;
  const ImageDef* const* all = AllImageDefs(&count);
  for (std::size_t i = 0; i < count; ++i) defs[all[i]->slot] = all[i];

  // Sizes: each texture is as large as the largest size any part gives it.
  std::map<std::string, ImageJob> images;
  for (const TableInfo& t : AllTableInfos())
    for (const PartLayout& p : t.parts) {
      const std::string& path = defs.at(p.slot)->path;
      ImageJob& img = images[path];
      img.path = path;
      TextureJob& tex = img.textures[p.id];
      tex.w = std::max(tex.w, static_cast<int>(std::ceil(p.texW)));
      tex.h = std::max(tex.h, static_cast<int>(std::ceil(p.texH)));
    }

  std::vector<const ImageJob*> jobs;
  for (const auto& [path, img] : images) jobs.push_back(&img);
  std::atomic<std::size_t> next{0};
  std::mutex statsMutex;
  auto worker = [&] {
    LoadTextFontForThread();
    WriteStats local;
    for (std::size_t k = next++; k < jobs.size(); k = next++) DrawImage(root, *jobs[k], defs, &local);
    UnloadTextFont();
    std::lock_guard<std::mutex> lock(statsMutex);
    stats->written += local.written;
    stats->unchanged += local.unchanged;
    stats->failed += local.failed;
  };
  // Each image is drawn by one thread from its own inputs, so the bytes do
  // not depend on the number of threads.
  const unsigned threads = std::clamp(std::thread::hardware_concurrency(), 1u, 4u);
  std::vector<std::thread> pool;
  for (unsigned i = 1; i < threads; ++i) pool.emplace_back(worker);
  worker();
  for (std::thread& t : pool) t.join();
}

namespace {

void DrawImage(const std::string& root, const ImageJob& img, const std::map<SImageSlot*, const ImageDef*>& defs,
               WriteStats* stats) {
  const std::string& path = img.path;
  {
    const std::string dir = HostDir(path), stem = Stem(path);
    std::string list;
    const std::uint32_t last = img.textures.rbegin()->first;
    for (std::uint32_t id = 0; id <= last; ++id) {
      auto found = img.textures.find(id);
      TextureJob tex = found != img.textures.end() ? found->second : TextureJob{64, 64};
      Canvas canvas(tex.w, tex.h);
      bool drawn = false;
      std::vector<PartJob> placed;
      for (const TableInfo& t : AllTableInfos())
        for (std::size_t i = 0; i < t.parts.size(); ++i) {
          const PartLayout& p = t.parts[i];
          // Enemy bullets come in three colours, one per texture: their
          // texture-0 parts stand on textures 1 and 2 too, in those colours.
          const bool variant = t.art == PartArt::Bullet && p.id == 0 && (id == 1 || id == 2);
          if ((p.id != id && !variant) || defs.at(p.slot)->path != path) continue;
          drawn = true;
          PartJob j = Place(t, i, tex);
          j.colour = id;
          // Tables that cut the same rectangle share one picture: the first
          // table draws it, and the others' drawings are not laid over it.
          if (std::any_of(placed.begin(), placed.end(), [&](const PartJob& o) { return SameArea(o, j); }))
            continue;
          DrawPart(canvas, j);
          placed.push_back(j);
        }
      DrawFonts(canvas, path, id, tex, defs);
      BleedTinyParts(canvas, placed);
      if (!drawn) {
        // A texture no part uses still shows what it is.
        canvas.Fill(0, 0, tex.w, tex.h, FromRgb(0x404040));
        DrawText(canvas, 0, 0, tex.w, tex.h, stem + " " + std::to_string(id), tex.h / 4, kWhite);
      }
      char name[160];
      std::snprintf(name, sizeof name, "%s_%02u.png", stem.c_str(), id);
      WriteIfChanged(root, dir + name, EncodePng(canvas), stats);
      list += name;
      list += "\r\n";
    }
    WriteIfChanged(root, dir + stem + ".tr", std::vector<std::uint8_t>(list.begin(), list.end()), stats);
  }
}

}  // namespace

}  // namespace datagen
