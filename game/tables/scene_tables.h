#pragma once
// Sprite tables of the menu, story and attract scenes.
#include "game/tables/image_slots.h"
#include "vrax/graphic/SGpRect.h"

// Key lists follow their tables; their lengths count the null terminators.
extern const SGpRect (&SprContinue_1)[3];
extern const SGpRect (&SprContinue_2)[3];
extern const SGpRect (&SprStaff)[3];
extern const SGpRect (&SprEnding1)[1];
extern const SGpRect (&SprEnding2)[1];
extern const SGpRect (&SprEntry)[2];
extern const SGpRect (&SprLogo)[1];
extern const SGpRect (&SprEnemySe00_2)[1];
extern const SGpRect (&SprOpening_1)[8];
extern const SGpRect (&SprOpening_2)[9];
extern const SGpRect (&SprOpening_3)[14];
extern const SGpRect (&SprRanking)[4];
extern const SGpRect (&SprResultBack)[2];
extern const SGpRect (&SprResultSpr)[4];
extern const SGpRect (&SprStg01Fog)[1];
extern const SGpRect (&SprStg04Hole)[1];
extern const SGpRect (&SprTitle)[6];
extern const SGpRect (&SprTutorial_1)[5];
extern const SGpRect (&SprTutorial_2)[14];
