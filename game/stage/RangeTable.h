#pragma once
// Tables keyed by the camera's rail position, and the distance-keyed fog.
//
// A range table is an array of records ended by a record whose first two
// key positions are both -1.0. A fog table has 48-byte records of two keys,
// each six floats: rail position, fog start, fog end, red, green, blue. A
// layer table has 96-byte records whose range is the float at byte 0
// (start) and the one at byte 48 (end); the rest belongs to the stage.
#include <cstdint>

// Floats of one fog record and of one layer record.
inline constexpr int kFogRecordFloats = 12;
inline constexpr int kLayerRecordFloats = 24;

// Index of the first 48-byte record with start <= value <= end (both
// inclusive); -1 at the terminator or for a null table.
int32_t FindRangeIndex48(const float* table, float value);
// The same over 96-byte records.
int32_t FindRangeIndex(const float* table, float value);

// The stage fog for MapMng's rail position: table0 on camera path 0,
// table1 on any other. Inside a record the fog range and colour are
// interpolated between its two keys and the game's stage fog is switched
// on; outside every record (or without a table) it is switched off.
void ApplyStageFog(const float* table0, const float* table1);
