#pragma once
// Helpers for the table sources: catalogue rows built from the k<Name>
// descriptions of a table source file.
#include "game/tables/image_slots.h"
#include "game/tables/table_registry.h"

#define OSTREL_TABLE_INFO(name, art, rgb) TableInfo{#name, k##name.parts, name##_store.parts, PartArt::art, rgb}
#define OSTREL_KEYS_INFO(name, table, lists) KeyListInfo{#name, #table, k##name.keys, name##_store.keys, lists}

// The catalogue rows of one table source file.
struct TableGroup {
  std::span<const TableInfo> tables;
  std::span<const KeyListInfo> keyLists;
  std::span<const FontInfo> fonts;
};

TableGroup EnemyTableGroup();
TableGroup ShotTableGroup();
TableGroup EffectTableGroup();
TableGroup FontTableGroup();
TableGroup SceneTableGroup();
TableGroup TestModeTableGroup();
