#pragma once
// What every page of the test and service mode draws with: the page space
// (480 x 640 units, origin at the screen centre, y downward), image strips
// placed as textured quads, the item colour codes, and the two bar drawers.
// Everything is entered at the graphic manager's default key, which the test
// mode sets to 0, so the page objects are drawn in the order entered.
#include <cstddef>
#include <cstdint>

#include "game/tables/testmode_tables.h"
#include "vrax/graphic/SGpObj_Prim.h"

class GfxObject;

// Item colour codes: 0 white, 1 red (under the cursor), 16 cyan (equal to
// the factory default), 17 yellow (both). Any other code changes nothing.
enum ItemColourCode : int32_t {
  kItemWhite = 0,
  kItemRed = 1,
  kItemCyan = 16,
  kItemYellow = 17,
};

// The code of a value: 1 under the cursor, plus 16 when it marks its default.
constexpr int32_t ItemCode(bool underCursor, bool isDefault) { return (underCursor ? 1 : 0) + (isDefault ? 16 : 0); }

void SetPrimItemColour(SGpObj_Prim& prim, int32_t code, float alpha);
void SetTextItemColour(GfxObject& text, int32_t code, float alpha);
void SetBarItemColour(SGpObj_Prim& prim, int32_t code, float alpha);

// How a strip is placed: by its top-left corner, or centred on x with its
// top at y.
enum QuadAnchor : int32_t { kAnchorTopLeft = 0, kAnchorCentre = 1 };

// Writes the four corners of rect into the one-quad primitive prim and sets
// its count; it neither restarts the primitive nor enters anything.
void DrawSpriteQuad(float x, float y, SGpObj_Prim& prim, const SGpRect& rect, int32_t mode);

// The colour of a strip: a fixed colour, or an item colour code with an alpha.
struct QuadColour {
  static constexpr int32_t kFixed = -1;
  float r = 1.0f, g = 1.0f, b = 1.0f, a = 1.0f;
  int32_t code = kFixed;
};
constexpr QuadColour Rgba(float r, float g, float b, float a) { return {r, g, b, a, QuadColour::kFixed}; }
constexpr QuadColour ItemColour(int32_t code, float alpha) { return {1.0f, 1.0f, 1.0f, alpha, code}; }
inline constexpr QuadColour kWhiteColour = Rgba(1.0f, 1.0f, 1.0f, 1.0f);
inline constexpr QuadColour kYellowColour = Rgba(1.0f, 1.0f, 0.0f, 1.0f);
inline constexpr QuadColour kGreenColour = Rgba(0.0f, 1.0f, 0.0f, 1.0f);
inline constexpr QuadColour kRedColour = Rgba(1.0f, 0.0f, 0.0f, 1.0f);

// The whole sprite quad: restart prim, enter the texture of rect's image,
// colour, corners, count, enter prim. Nothing without a strip.
void PutSpriteQuad(SGpObj_Prim& prim, const SGpRect* rect, float x, float y, int32_t mode, const QuadColour& colour);

// Strip n of a table, or null when n is outside it.
template <std::size_t N>
const SGpRect* StripAt(const SGpRect (&table)[N], int32_t n) {
  return n >= 0 && static_cast<std::size_t>(n) < N ? &table[n] : nullptr;
}
// Record n of a layout table, or null when n is outside it.
template <std::size_t N>
const TestLayoutRecord* RecordAt(const TestLayoutRecord (&table)[N], int32_t n) {
  return n >= 0 && static_cast<std::size_t>(n) < N ? &table[n] : nullptr;
}
// The strip a layout record names: its own part, else its index in table.
template <std::size_t N>
const SGpRect* StripOf(const SGpRect (&table)[N], const TestLayoutRecord* record) {
  if (!record) return nullptr;
  return record->part ? record->part : StripAt(table, record->index);
}
// Row n of a table of labels, or "?" when n is outside it.
template <std::size_t N, std::size_t W>
const char* LabelAt(const char (&table)[N][W], int32_t n) {
  return n >= 0 && static_cast<std::size_t>(n) < N ? table[n] : "?";
}
