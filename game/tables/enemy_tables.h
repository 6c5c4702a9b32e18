#pragma once
// Small-enemy sprite tables: "\enemy\osr_se00" to "\enemy\osr_se11".
#include "game/tables/image_slots.h"
#include "vrax/graphic/SGpRect.h"

// Key lists follow their tables; their lengths count the null terminators.
extern const SGpRect (&SprEnemySe00_1)[29];
extern const SGpKeyList (&SprEnemySe00_1Keys)[42];
extern const SGpRect (&SprEnemySe01)[33];
extern const SGpKeyList (&SprEnemySe01Keys)[46];
extern const SGpRect (&SprEnemySe02)[30];
extern const SGpKeyList (&SprEnemySe02Keys)[43];
extern const SGpRect (&SprEnemySe03)[6];
extern const SGpKeyList (&SprEnemySe03Keys)[7];
extern const SGpRect (&SprEnemySe04)[6];
extern const SGpKeyList (&SprEnemySe04Keys)[7];
extern const SGpRect (&SprEnemySe05)[35];
extern const SGpKeyList (&SprEnemySe05Keys)[49];
extern const SGpRect (&SprEnemySe06)[34];
extern const SGpKeyList (&SprEnemySe06Keys)[47];
extern const SGpRect (&SprEnemySe07)[32];
extern const SGpKeyList (&SprEnemySe07Keys)[45];
extern const SGpRect (&SprEnemySe08)[33];
extern const SGpKeyList (&SprEnemySe08Keys)[46];
extern const SGpRect (&SprEnemySe09)[30];
extern const SGpKeyList (&SprEnemySe09Keys)[43];
extern const SGpRect (&SprEnemySe10)[11];
extern const SGpKeyList (&SprEnemySe10Keys)[12];
extern const SGpRect (&SprEnemySe11)[50];
extern const SGpKeyList (&SprEnemySe11Keys)[63];

#include "vrax/resource/SRscSlot.h"
#include "vrax/resource/SRsc_Model.h"

// Key list of enemy image n, for enemies drawn as sprites (type 0).
extern const SGpKeyList* const EnemySprKeyTable[12];

// Model slots of the modelled enemies, filled by the stages' resource
// tables; their image slots are the Img slots. The parts of two bosses
// ("osr_bs04a" to "osr_bs04c", "osr_bs13l" and "osr_bs13r") have slots of
// their own outside the pair table.
extern SRscSlot<SRsc_Model> MdlEnemyBs00;
extern SRscSlot<SRsc_Model> MdlEnemyBs01;
extern SRscSlot<SRsc_Model> MdlEnemyBs02;
extern SRscSlot<SRsc_Model> MdlEnemyBs03;
extern SRscSlot<SRsc_Model> MdlEnemyBs04;
extern SRscSlot<SRsc_Model> MdlEnemyBs05;
extern SRscSlot<SRsc_Model> MdlEnemyBs06;
extern SRscSlot<SRsc_Model> MdlEnemyBs07;
extern SRscSlot<SRsc_Model> MdlEnemyBs08;
extern SRscSlot<SRsc_Model> MdlEnemyBs09;
extern SRscSlot<SRsc_Model> MdlEnemyBs10;
extern SRscSlot<SRsc_Model> MdlEnemyBs11;
extern SRscSlot<SRsc_Model> MdlEnemyBs12;
extern SRscSlot<SRsc_Model> MdlEnemyBs13;
extern SRscSlot<SRsc_Model> MdlEnemyBs14;
extern SRscSlot<SRsc_Model> MdlEnemySe12;
extern SRscSlot<SRsc_Model> MdlEnemySe13;
extern SRscSlot<SRsc_Model> MdlEnemySe14;
extern SRscSlot<SRsc_Model> MdlEnemySe15;
extern SRscSlot<SRsc_Model> MdlEnemySe16;
extern SRscSlot<SRsc_Model> MdlEnemySe17;
extern SRscSlot<SRsc_Model> MdlEnemyBs04a;
extern SRscSlot<SRsc_Model> MdlEnemyBs04b;
extern SRscSlot<SRsc_Model> MdlEnemyBs04c;
extern SRscSlot<SRsc_Model> MdlEnemyBs13l;
extern SRscSlot<SRsc_Model> MdlEnemyBs13r;

// Image and model slot of one modelled enemy.
struct EnemyRscSlotPair {
  SImageSlot* image;
  SRscSlot<SRsc_Model>* model;
};
// Entries 0 to 14: the bosses "\enemy\osr_bs00" to "osr_bs14"; 15 to 20:
// the enemies "\enemy\osr_se12" to "osr_se17" (42 slot pointers in all).
extern const EnemyRscSlotPair EnemyRscSlots[21];
