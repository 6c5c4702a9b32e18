#include "game/enemy/EnemyRegistry.h"

#include <new>

#include "game/enemy/EnemyType0.h"
#include "game/enemy/EnemyType1.h"
#include "game/enemy/EnemyType10.h"
#include "game/enemy/EnemyType11.h"
#include "game/enemy/EnemyType12.h"
#include "game/enemy/EnemyType13.h"
#include "game/enemy/EnemyType14.h"
#include "game/enemy/EnemyType15.h"
#include "game/enemy/EnemyType16.h"
#include "game/enemy/EnemyType17.h"
#include "game/enemy/EnemyType18.h"
#include "game/enemy/EnemyType2.h"
#include "game/enemy/EnemyType3.h"
#include "game/enemy/EnemyType4.h"
#include "game/enemy/EnemyType5.h"
#include "game/enemy/EnemyType6.h"
#include "game/enemy/EnemyType7.h"
#include "game/enemy/EnemyType8.h"
#include "game/enemy/EnemyType9.h"

namespace {

template <class T>
EObjBase* Create() {
  return new (std::nothrow) T();
}

}  // namespace

const EnemyCreator EnemyFactoryTable[kEnemyFactorySize] = {
    Create<EnemyType0>,  Create<EnemyType1>,  Create<EnemyType2>,  Create<EnemyType3>,  Create<EnemyType4>,
    Create<EnemyType5>,  Create<EnemyType6>,  Create<EnemyType7>,  Create<EnemyType8>,  Create<EnemyType9>,
    Create<EnemyType10>, Create<EnemyType11>, Create<EnemyType12>, Create<EnemyType13>, Create<EnemyType14>,
    Create<EnemyType15>, Create<EnemyType16>, Create<EnemyType17>, Create<EnemyType18>, nullptr,
    nullptr,             nullptr,             nullptr,             nullptr};

EObjBase* CreateEnemy(int32_t type) {
  if (type < 0 || type >= kEnemyFactorySize || EnemyFactoryTable[type] == nullptr) return nullptr;
  return EnemyFactoryTable[type]();
}
