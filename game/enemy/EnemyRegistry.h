#pragma once
// The enemy factory: one creator per enemy type id (the parameter record's
// type word), 0 to 18; entries 19 to 23 are empty.
#include <cstdint>

class EObjBase;

using EnemyCreator = EObjBase* (*)();

inline constexpr int32_t kEnemyTypeCount = 19;
inline constexpr int32_t kEnemyFactorySize = 24;

extern const EnemyCreator EnemyFactoryTable[kEnemyFactorySize];

// A new enemy of the type; null for a type outside 0..18 (or an empty entry)
// or when memory runs out.
EObjBase* CreateEnemy(int32_t type);
