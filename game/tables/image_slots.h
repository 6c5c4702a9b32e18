#pragma once
// Image slots of the sprite tables: one global SImageSlot per image request,
// filled by the resource manager while a scene has the image loaded (and
// reading null once it is released).
// Each slot comes with an ImageDef (request path and slot) named Def<slot>.
#include "game/tables/part_layout.h"
#include "vrax/resource/SImageSlot.h"

// X(slot, request path)
#define OSTREL_IMAGE_SLOTS(X)                                  \
  X(ImgEfx, "\\common\\osr_efx")                               \
  X(ImgEfx00, "\\common\\osr_efx00")                           \
  X(ImgEfx01, "\\common\\osr_efx01")                           \
  X(ImgEfx02, "\\common\\osr_efx02")                           \
  X(ImgEfx03, "\\common\\osr_efx03")                           \
  X(ImgEfx04, "\\common\\osr_efx04")                           \
  X(ImgEfx07, "\\common\\osr_efx07")                           \
  X(ImgEfx08, "\\common\\osr_efx08")                           \
  X(ImgEfx09, "\\common\\osr_efx09")                           \
  X(ImgEfx10, "\\common\\osr_efx10")                           \
  X(ImgEfx11, "\\common\\osr_efx11")                           \
  X(ImgEfx12, "\\common\\osr_efx12")                           \
  X(ImgDashFormJako, "\\common\\DashFormJako")                 \
  X(ImgDashFormBoss, "\\common\\DashFormBoss")                 \
  X(ImgLensFlare, "\\common\\osr_LensFlare")                   \
  X(ImgPShot00, "\\common\\osr_pshot00")                       \
  X(ImgPShot01, "\\common\\osr_pshot01")                       \
  X(ImgEShot00, "\\common\\osr_eshot00")                       \
  X(ImgEShot01, "\\common\\osr_eshot01")                       \
  X(ImgEShot02, "\\common\\osr_eshot02")                       \
  X(ImgSubUnit, "\\common\\SubUnit")                           \
  X(ImgFontLarge, "\\common\\Osr_Font_Large")                  \
  X(ImgFontSmall, "\\common\\Osr_Font_Small")                  \
  X(ImgFontNum, "\\common\\Osr_Font_Num")                      \
  X(ImgGameIf00, "\\common\\osr_gameif00")                     \
  X(ImgGameIf00x, "\\common\\osr_gameif00x")                   \
  X(ImgRouteName, "\\common\\osr_RouteName")                   \
  X(ImgStgName, "\\common\\osr_StgName")                       \
  X(ImgEnemySe00, "\\enemy\\osr_se00")                         \
  X(ImgEnemySe01, "\\enemy\\osr_se01")                         \
  X(ImgEnemySe02, "\\enemy\\osr_se02")                         \
  X(ImgEnemySe03, "\\enemy\\osr_se03")                         \
  X(ImgEnemySe04, "\\enemy\\osr_se04")                         \
  X(ImgEnemySe05, "\\enemy\\osr_se05")                         \
  X(ImgEnemySe06, "\\enemy\\osr_se06")                         \
  X(ImgEnemySe07, "\\enemy\\osr_se07")                         \
  X(ImgEnemySe08, "\\enemy\\osr_se08")                         \
  X(ImgEnemySe09, "\\enemy\\osr_se09")                         \
  X(ImgEnemySe10, "\\enemy\\osr_se10")                         \
  X(ImgEnemySe11, "\\enemy\\osr_se11")                         \
  X(ImgEnemyBs00, "\\enemy\\osr_bs00")                      \
  X(ImgEnemyBs01, "\\enemy\\osr_bs01")                      \
  X(ImgEnemyBs02, "\\enemy\\osr_bs02")                      \
  X(ImgEnemyBs03, "\\enemy\\osr_bs03")                      \
  X(ImgEnemyBs04, "\\enemy\\osr_bs04")                      \
  X(ImgEnemyBs05, "\\enemy\\osr_bs05")                      \
  X(ImgEnemyBs06, "\\enemy\\osr_bs06")                      \
  X(ImgEnemyBs07, "\\enemy\\osr_bs07")                      \
  X(ImgEnemyBs08, "\\enemy\\osr_bs08")                      \
  X(ImgEnemyBs09, "\\enemy\\osr_bs09")                      \
  X(ImgEnemyBs10, "\\enemy\\osr_bs10")                      \
  X(ImgEnemyBs11, "\\enemy\\osr_bs11")                      \
  X(ImgEnemyBs12, "\\enemy\\osr_bs12")                      \
  X(ImgEnemyBs13, "\\enemy\\osr_bs13")                      \
  X(ImgEnemyBs14, "\\enemy\\osr_bs14")                      \
  X(ImgEnemyBs04a, "\\enemy\\osr_bs04a")                    \
  X(ImgEnemyBs04b, "\\enemy\\osr_bs04b")                    \
  X(ImgEnemyBs04c, "\\enemy\\osr_bs04c")                    \
  X(ImgEnemyBs13l, "\\enemy\\osr_bs13l")                    \
  X(ImgEnemyBs13r, "\\enemy\\osr_bs13r")                    \
  X(ImgEnemySe12, "\\enemy\\osr_se12")                      \
  X(ImgEnemySe13, "\\enemy\\osr_se13")                      \
  X(ImgEnemySe14, "\\enemy\\osr_se14")                      \
  X(ImgEnemySe15, "\\enemy\\osr_se15")                      \
  X(ImgEnemySe16, "\\enemy\\osr_se16")                      \
  X(ImgEnemySe17, "\\enemy\\osr_se17")                      \
  X(ImgScene15EnemySe00, "\\enemy\\osr_se00")                  \
  X(ImgContinue, "\\Module\\Continue")                         \
  X(ImgStaff, "\\Module\\Staff")                               \
  X(ImgEnding1, "\\Module\\Ending1")                           \
  X(ImgEnding2, "\\Module\\Ending2")                           \
  X(ImgEntry, "\\Module\\Entry")                               \
  X(ImgLogo, "\\Module\\Logo")                                 \
  X(ImgOpening, "\\Module\\Opening")                           \
  X(ImgRanking, "\\Module\\Ranking")                           \
  X(ImgResultBack, "\\Module\\Result_Back")                    \
  X(ImgResultSpr, "\\Module\\Result_Spr")                      \
  X(ImgStg01Fog, "\\Stg01\\Obj\\Stg01_fog")                    \
  X(ImgStg04Hole, "\\Stg04\\Obj\\Stg04_hole")                  \
  X(ImgTitle, "\\Module\\Title")                               \
  X(ImgTutorial, "\\Module\\Tutorial")                         \
  X(ImgTestComm, "\\testmode\\testcomm")                       \
  X(ImgTestTop, "\\testmode\\testtop")                         \
  X(ImgTestEtc, "\\testmode\\testetc")                         \
  X(ImgTestSound, "\\testmode\\testsound")                     \
  X(ImgTestSystem, "\\testmode\\testsystem")                   \
  X(ImgTestInput, "\\testmode\\testinput")                     \
  X(ImgTestDisp01, "\\testmode\\disp01")                       \
  X(ImgTestDisp02, "\\testmode\\disp02")                       \
  X(ImgErrTestFont, "\\testmode\\testfont")                    \
  X(ImgTestFont, "\\testmode\\testfont")

#define OSTREL_DECLARE_IMAGE_SLOT(slot, path) \
  extern SImageSlot slot;                    \
  extern const ImageDef Def##slot;
OSTREL_IMAGE_SLOTS(OSTREL_DECLARE_IMAGE_SLOT)
#undef OSTREL_DECLARE_IMAGE_SLOT


// The target of a resource request row for an image slot: the resource
// manager hands the created image to the slot.
inline SRscTarget RequestTarget(SImageSlot& slot) { return slot.Target(); }

// Every slot's ImageDef, in the order above.
const ImageDef* const* AllImageDefs(std::size_t* count);
