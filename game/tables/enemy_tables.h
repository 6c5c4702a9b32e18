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

class SRsc_Model;

// Key list of enemy image n, for enemies drawn as sprites (type 0).
extern const SGpKeyList* const EnemySprKeyTable[12];

// Model slots of the modelled enemies; their image slots are the Img slots.
extern SRsc_Model* MdlEnemyBs00;
extern SRsc_Model* MdlEnemyBs01;
extern SRsc_Model* MdlEnemyBs02;
extern SRsc_Model* MdlEnemyBs03;
extern SRsc_Model* MdlEnemyBs04;
extern SRsc_Model* MdlEnemyBs05;
extern SRsc_Model* MdlEnemyBs06;
extern SRsc_Model* MdlEnemyBs07;
extern SRsc_Model* MdlEnemyBs08;
extern SRsc_Model* MdlEnemyBs09;
extern SRsc_Model* MdlEnemyBs10;
extern SRsc_Model* MdlEnemyBs11;
extern SRsc_Model* MdlEnemyBs12;
extern SRsc_Model* MdlEnemyBs13;
extern SRsc_Model* MdlEnemyBs14;
extern SRsc_Model* MdlEnemySe12;
extern SRsc_Model* MdlEnemySe13;
extern SRsc_Model* MdlEnemySe14;
extern SRsc_Model* MdlEnemySe15;
extern SRsc_Model* MdlEnemySe16;
extern SRsc_Model* MdlEnemySe17;

// Image and model slot of one modelled enemy.
struct EnemyRscSlotPair {
  SImageSlot* image;
  SRsc_Model** model;
};
// Entries 0 to 14: the bosses "\enemy\osr_bs00" to "osr_bs14"; 15 to 20:
// the enemies "\enemy\osr_se12" to "osr_se17" (42 slot pointers in all).
extern const EnemyRscSlotPair EnemyRscSlots[21];
