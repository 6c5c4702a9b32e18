#include "game/enemy/EnemyRegistry.h"

#include <new>

#include "game/enemy/EnemyType0.h"
#include "game/enemy/EnemyType1.h"
#include "game/enemy/boss10/Boss10.h"
#include "game/enemy/boss11/Boss11.h"
#include "game/enemy/boss12/Boss12.h"
#include "game/enemy/boss13/EnemyType13.h"
#include "game/enemy/boss14/EnemyType14.h"
#include "game/enemy/boss15/EnemyType15.h"
#include "game/enemy/boss16/Boss16.h"
#include "game/enemy/EnemyType17.h"
#include "game/enemy/EnemyType18.h"
#include "game/enemy/EnemyType2.h"
#include "game/enemy/boss03/EnemyType3.h"
#include "game/enemy/boss04/EnemyType4.h"
#include "game/enemy/boss05/EnemyType5.h"
#include "game/enemy/boss06/EnemyType6.h"
#include "game/enemy/boss07/EnemyType7.h"
#include "game/enemy/boss08/EnemyType8.h"
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
