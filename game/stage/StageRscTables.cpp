#include "game/stage/StageRscTables.h"

#include "game/stage/MapMng.h"
#include "game/stage/ScriptStgRsc.h"
#include "game/tables/enemy_tables.h"
#include "game/tables/image_slots.h"

namespace {

constexpr uint32_t kImg = RscTag("IMG");
constexpr uint32_t kMdl = RscTag("MDL");
constexpr uint32_t kStg = RscTag("STG");
constexpr uint32_t kCam = RscTag("CAM");
constexpr uint32_t kTnl = RscTag("TNL");
constexpr uint32_t kOpl = RscTag("OPL");
constexpr uint32_t kOvl = RscTag("OVL");

SRscRequest Row(SRscSlotBase& slot, uint32_t tag, const char* path, uint32_t size = 0) {
  return SRscRequest{SRscTarget(&slot), tag, path, size, 0, 0, 0};
}

ObjPlacer& Layer(int n) { return g_MapMng.layers[n]; }

constexpr SRscRequest kEnd{nullptr, 0, nullptr, 0, 0, 0, 0};

}  // namespace

// An enemy or boss image with its model (size: the model's scale, 65536 = 1).
#define ENEMY_IMG(Stem, stem) Row(ImgEnemy##Stem, kImg, "\\enemy\\osr_" #stem)
#define ENEMY_PAIR(Stem, stem, size) ENEMY_IMG(Stem, stem), Row(MdlEnemy##Stem, kMdl, "\\enemy\\osr_" #stem, size)
// Object set n: image, model, placement list and the visibility lists of
// paths 0 ("_a") and 1 ("_b").
#define SET_IMG_MDL(prefix, n, name) \
  Row(Layer(n).texture, kImg, prefix name), Row(Layer(n).model, kMdl, prefix name)
#define SET_A(prefix, n, name) \
  SET_IMG_MDL(prefix, n, name), Row(Layer(n).objects, kOpl, prefix name), Row(Layer(n).visibility[0], kOvl, prefix name "_a")
#define SET_AB(prefix, n, name) SET_A(prefix, n, name), Row(Layer(n).visibility[1], kOvl, prefix name "_b")
// The tunnel with its visibility lists.
#define TUNNEL_A(stem) \
  Row(g_MapMng.tunnelImage, kImg, stem), Row(g_MapMng.tunnel, kTnl, stem), Row(g_MapMng.tunnelVisibility[0], kOvl, stem "_a")
#define TUNNEL_AB(stem) TUNNEL_A(stem), Row(g_MapMng.tunnelVisibility[1], kOvl, stem "_b")

// Enemy names keep the case of the stand-in files ("\enemy"): the data
// tree is read without regard to case.
#define S1 "\\Stg01\\Obj\\Stg01_"
const SRscRequest RscTableStage1[] = {
    // Enemies drawn as sprites, the gunship and the three bosses.
    ENEMY_IMG(Se00, se00), ENEMY_IMG(Se01, se01), ENEMY_IMG(Se03, se03), ENEMY_IMG(Se08, se08), ENEMY_PAIR(Se12, se12, 12288),
    ENEMY_PAIR(Bs00, bs00, 49152), ENEMY_PAIR(Bs01, bs01, 50462), ENEMY_PAIR(Bs02, bs02, 290816),
    Row(StageScriptSlot, kStg, "\\Script\\Stage01"),
    Row(g_MapMng.paths[0], kCam, "\\Stg01\\Stg01_a"), Row(g_MapMng.paths[1], kCam, "\\Stg01\\Stg01_b"),
    TUNNEL_AB("\\Stg01\\Trn\\Stg01_Trn"),
    SET_AB(S1, 0, "Water00"), SET_AB(S1, 1, "Water01"), SET_AB(S1, 2, "Shadow01"), SET_AB(S1, 3, "Shadow00"),
    SET_AB(S1, 4, "Tree00"), SET_AB(S1, 5, "Tree01"), SET_AB(S1, 6, "Tree02"), SET_AB(S1, 7, "Tree03"),
    SET_AB(S1, 8, "Hy00"), SET_IMG_MDL(S1, 9, "Boss"), SET_AB(S1, 10, "Roop"),
    Row(g_MapMng.skyImage, kImg, S1 "Sky"), Row(g_MapMng.skyModel, kMdl, S1 "Sky"),
    Row(ImgStg01Fog, kImg, S1 "fog"),
    kEnd,
};
#undef S1

#define S2 "\\Stg02\\Obj\\Stg02_"
const SRscRequest RscTableStage2[] = {
    ENEMY_IMG(Se03, se03), ENEMY_IMG(Se05, se05), ENEMY_IMG(Se06, se06), ENEMY_IMG(Se10, se10), ENEMY_PAIR(Se13, se13, 12288),
    ENEMY_PAIR(Bs03, bs03, 32768), ENEMY_PAIR(Bs04, bs04, 20480), ENEMY_PAIR(Bs04a, bs04a, 118784), ENEMY_PAIR(Bs04b, bs04b, 81920),
    ENEMY_PAIR(Bs04c, bs04c, 106496), ENEMY_PAIR(Bs05, bs05, 45056),
    Row(StageScriptSlot, kStg, "\\Script\\Stage02"),
    Row(g_MapMng.paths[0], kCam, "\\Stg02\\Stg02_a"), Row(g_MapMng.paths[1], kCam, "\\Stg02\\Stg02_b"),
    TUNNEL_AB("\\Stg02\\Trn\\Stg02_Trn"),
    SET_AB(S2, 0, "Hou00"), SET_AB(S2, 1, "Hou01"), SET_AB(S2, 2, "Hou02"), SET_AB(S2, 3, "In00"),
    SET_AB(S2, 4, "Pan00"), SET_AB(S2, 5, "Pan01"), SET_AB(S2, 6, "Stone00"), SET_AB(S2, 7, "Stone01"),
    SET_AB(S2, 8, "Stone02"), SET_AB(S2, 9, "Stone03"), SET_AB(S2, 10, "Stone04"), SET_AB(S2, 11, "Stone05"),
    SET_AB(S2, 12, "Stone06"), SET_AB(S2, 13, "Tow00"), SET_AB(S2, 14, "Tree00"), SET_AB(S2, 15, "Tree01"),
    SET_AB(S2, 16, "Tree02"), SET_AB(S2, 17, "Tree03"), SET_AB(S2, 18, "Tree04"), SET_AB(S2, 19, "Castle00"),
    SET_AB(S2, 20, "Castle01"), SET_AB(S2, 21, "Green00"), SET_AB(S2, 22, "Pal00"), SET_AB(S2, 23, "Pal01"),
    Row(g_MapMng.skyImage, kImg, S2 "Sky"), Row(g_MapMng.skyModel, kMdl, S2 "Sky", 60928),
    kEnd,
};
#undef S2

#define S3 "\\Stg03\\Obj\\stg03_"
const SRscRequest RscTableStage3[] = {
    ENEMY_IMG(Se02, se02), ENEMY_IMG(Se04, se04), ENEMY_IMG(Se07, se07), ENEMY_IMG(Se06, se06), ENEMY_PAIR(Se14, se14, 8192),
    ENEMY_PAIR(Se17, se17, 36864),
    ENEMY_PAIR(Bs06, bs06, 720896), ENEMY_PAIR(Bs07, bs07, 9728), ENEMY_PAIR(Bs08, bs08, 245760), ENEMY_PAIR(Bs09, bs09, 10496),
    Row(StageScriptSlot, kStg, "\\Script\\Stage03"),
    Row(g_MapMng.paths[0], kCam, "\\Stg03\\Stg03_a"), Row(g_MapMng.paths[1], kCam, "\\Stg03\\Stg03_b"),
    TUNNEL_AB("\\Stg03\\Trn\\Stg03_Trn"),
    SET_AB(S3, 0, "dori00"), SET_AB(S3, 1, "erwe00"), SET_AB(S3, 2, "sea00"), SET_AB(S3, 3, "sea01"),
    SET_AB(S3, 4, "tree00"), SET_AB(S3, 5, "tree01"), SET_AB(S3, 6, "tree02"), SET_AB(S3, 7, "tree03"),
    kEnd,
};
#undef S3

#define S4 "\\Stg04\\Obj\\Stg04_"
const SRscRequest RscTableStage4[] = {
    ENEMY_IMG(Se04, se04), ENEMY_IMG(Se09, se09), ENEMY_IMG(Se10, se10), ENEMY_IMG(Se11, se11), ENEMY_PAIR(Se15, se15, 24576),
    ENEMY_PAIR(Se16, se16, 24576), ENEMY_PAIR(Se17, se17, 36864),
    ENEMY_PAIR(Bs10, bs10, 98304), ENEMY_PAIR(Bs11, bs11, 12288), ENEMY_PAIR(Bs12, bs12, 28672),
    Row(StageScriptSlot, kStg, "\\Script\\Stage04"),
    Row(g_MapMng.paths[0], kCam, "\\Stg04\\Stg04_a"),
    TUNNEL_A("\\Stg04\\Trn\\Stg04_Trn"),
    SET_A(S4, 0, "block00"), SET_A(S4, 1, "block01"), SET_A(S4, 2, "in00"), SET_A(S4, 3, "vall00"),
    SET_A(S4, 4, "vall01"), SET_A(S4, 5, "vall02"), SET_A(S4, 6, "grass00"), SET_A(S4, 7, "wood00"),
    Row(g_MapMng.skyImage, kImg, S4 "Sky"), Row(g_MapMng.skyModel, kMdl, S4 "Sky"),
    Row(ImgStg04Hole, kImg, S4 "hole"),
    kEnd,
};
#undef S4

// Slots 1 to 35 of stage 5 have no placement: the scene and its rocks draw
// them at explicit places.
#define S5 "\\Stg05\\Obj\\Stg05_"
const SRscRequest RscTableStage5[] = {
    ENEMY_PAIR(Bs13, bs13, 32768), ENEMY_PAIR(Bs13l, bs13l, 40960), ENEMY_PAIR(Bs13r, bs13r, 40960), ENEMY_PAIR(Bs14, bs14, 57344),
    Row(StageScriptSlot, kStg, "\\Script\\Stage05"),
    Row(g_MapMng.paths[0], kCam, "\\Stg05\\Stg05_a"),
    TUNNEL_A("\\Stg05\\Trn\\Stg05_Trn"),
    SET_A(S5, 0, "Line00"), SET_IMG_MDL(S5, 1, "Dome00"), SET_IMG_MDL(S5, 2, "Dome01"), SET_IMG_MDL(S5, 3, "Dome02"),
    SET_IMG_MDL(S5, 4, "Sky"), SET_IMG_MDL(S5, 5, "Side00"),
    SET_IMG_MDL(S5, 6, "Pillar01_00"), SET_IMG_MDL(S5, 7, "Pillar01_01"), SET_IMG_MDL(S5, 8, "Pillar01_02"),
    SET_IMG_MDL(S5, 9, "Pillar02_00"), SET_IMG_MDL(S5, 10, "Pillar02_01"), SET_IMG_MDL(S5, 11, "Pillar02_02"),
    SET_IMG_MDL(S5, 12, "Pillar02_03"), SET_IMG_MDL(S5, 13, "Pillar02_04"), SET_IMG_MDL(S5, 14, "Pillar02_05"),
    SET_IMG_MDL(S5, 15, "Pillar02_06"),
    SET_IMG_MDL(S5, 16, "Rsto00_00"), SET_IMG_MDL(S5, 17, "Rsto00_01"), SET_IMG_MDL(S5, 18, "Rsto00_02"),
    SET_IMG_MDL(S5, 19, "Rsto00_03"), SET_IMG_MDL(S5, 20, "Rsto00_04"), SET_IMG_MDL(S5, 21, "Rsto00_05"),
    SET_IMG_MDL(S5, 22, "Rsto00_06"), SET_IMG_MDL(S5, 23, "Rsto00_07"), SET_IMG_MDL(S5, 24, "Rsto00_08"),
    SET_IMG_MDL(S5, 25, "Rsto00_09"), SET_IMG_MDL(S5, 26, "Rsto00_10"), SET_IMG_MDL(S5, 27, "Rsto00_11"),
    SET_IMG_MDL(S5, 28, "Rsto00_12"),
    SET_IMG_MDL(S5, 29, "Stone00_00"), SET_IMG_MDL(S5, 30, "Stone00_01"), SET_IMG_MDL(S5, 31, "Stone00_02"),
    SET_IMG_MDL(S5, 32, "Stone00_03"), SET_IMG_MDL(S5, 33, "Stone00_04"), SET_IMG_MDL(S5, 34, "Stone00_05"),
    SET_IMG_MDL(S5, 35, "Rock00"),
    kEnd,
};
#undef S5

