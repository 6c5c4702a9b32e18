#pragma once
// Catalogue of every sprite table, key list and font: lets the stand-in data
// generator draw the images the tables cut, and lets tests walk all tables.
#include <cstddef>
#include <cstdint>
#include <span>

#include "game/tables/part_layout.h"
#include "vrax/graphic/SGpRect.h"

// What a table's parts show; the data generator draws each part this way.
enum class PartArt : std::uint8_t {
  Enemy,       // an enemy craft, one animation frame per part
  Ship,        // the player's ship
  PlayerShot,  // elongated player shots
  Option,      // the player's option pods
  Bullet,      // round glowing bullets
  Explosion,   // a fireball growing and fading through the parts
  Smoke,       // grey puffs growing and fading
  Ring,        // an expanding ring
  Spark,       // small star sparks
  Flame,       // upright flames
  Bolt,        // thunder bolt segments
  Dot,         // a soft round dot
  Solid,       // a flat white area (solid-colour sources)
  Glow,        // white: flat in its thin strips, in its other parts fading
               // from the top edge to nothing at the bottom (a disc built
               // from it glows at its centre and fades to its rim)
  Flare,       // lens flare discs
  Cloud,       // soft cloud layers
  Marker,      // labelled display markers
  Label,       // labelled interface pieces and text strips
  Picture,     // labelled full-screen or large scene pictures
  FontSheet,   // a font sheet: glyphs are drawn in the cells of its fonts
};

struct TableInfo {
  const char* name;
  std::span<const PartLayout> parts;
  const SGpRect* rects;  // the table itself, parts.size() long
  PartArt art;
  std::uint32_t rgb;  // main colour of the drawing, 0xRRGGBB
};

// A key list (or an array of equal-length lists) as indexes into its table.
struct KeyListInfo {
  const char* name;
  const char* table;
  std::span<const KeyLayout> keys;  // terminators included
  const SGpKeyList* list;         // the key list itself, keys.size() pairs
  std::size_t lists;              // number of lists laid out one after another
};

// A font cut from a sheet part.
struct FontInfo {
  const char* name;
  const PartLayout* sheet;
  float cellW, cellH;
  std::uint8_t firstChar;
};

std::span<const TableInfo> AllTableInfos();
std::span<const KeyListInfo> AllKeyListInfos();
std::span<const FontInfo> AllFontInfos();
const TableInfo* FindTableInfo(const char* name);
