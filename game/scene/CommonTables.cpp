#include "game/scene/CommonTables.h"

#include "game/player/Player.h"
#include "game/player/PlayerStage.h"
#include "game/tables/image_slots.h"

SRsc* RscSoundEffects = nullptr;
SRsc* RscVoices = nullptr;
SRsc* RscMusic = nullptr;

namespace {
constexpr uint32_t kImg = RscTag("IMG");
constexpr uint32_t kSnd = RscTag("SND");
constexpr uint32_t kMdl = RscTag("MDL");
constexpr uint32_t kCam = RscTag("CAM");
}  // namespace

const SRscRequest RscTableLoading[] = {
    {RequestTarget(ImgFontLarge), kImg, "\\common\\Osr_Font_Large", 0, 0, 0, 0},
    {nullptr, 0, nullptr, 0, 0, 0, 0},
};

const SRscRequest RscTableCommon[] = {
    {RequestTarget(ImgEfx), kImg, "\\common\\osr_efx", 0, 0, 0, 0},
    {RequestTarget(ImgEfx00), kImg, "\\common\\osr_efx00", 0, 0, 0, 0},
    {RequestTarget(ImgEfx01), kImg, "\\common\\osr_efx01", 0, 0, 0, 0},
    {RequestTarget(ImgEfx02), kImg, "\\common\\osr_efx02", 0, 0, 0, 0},
    {RequestTarget(ImgEfx03), kImg, "\\common\\osr_efx03", 0, 0, 0, 0},
    {RequestTarget(ImgEfx04), kImg, "\\common\\osr_efx04", 0, 0, 0, 0},
    {RequestTarget(ImgEfx07), kImg, "\\common\\osr_efx07", 0, 0, 0, 0},
    {RequestTarget(ImgEfx08), kImg, "\\common\\osr_efx08", 0, 0, 0, 0},
    {RequestTarget(ImgEfx09), kImg, "\\common\\osr_efx09", 0, 0, 0, 0},
    {RequestTarget(ImgEfx10), kImg, "\\common\\osr_efx10", 0, 0, 0, 0},
    {RequestTarget(ImgEfx11), kImg, "\\common\\osr_efx11", 0, 0, 0, 0},
    {RequestTarget(ImgEfx12), kImg, "\\common\\osr_efx12", 0, 0, 0, 0},
    {RequestTarget(ImgDashFormJako), kImg, "\\common\\DashFormJako", 0, 0, 0, 0},
    {RequestTarget(ImgDashFormBoss), kImg, "\\common\\DashFormBoss", 0, 0, 0, 0},
    {RequestTarget(ImgLensFlare), kImg, "\\common\\osr_LensFlare", 0, 0, 0, 0},
    {RequestTarget(ImgPShot00), kImg, "\\common\\osr_pshot00", 0, 0, 0, 0},
    {RequestTarget(ImgPShot01), kImg, "\\common\\osr_pshot01", 0, 0, 0, 0},
    {RequestTarget(ImgEShot00), kImg, "\\common\\osr_eshot00", 0, 0, 0, 0},
    {RequestTarget(ImgEShot01), kImg, "\\common\\osr_eshot01", 0, 0, 0, 0},
    {RequestTarget(ImgEShot02), kImg, "\\common\\osr_eshot02", 0, 0, 0, 0},
    {RequestTarget(ImgSubUnit), kImg, "\\common\\SubUnit", 0, 0, 0, 0},
    {RequestTarget(ImgGameIf00), kImg, "\\common\\osr_gameif00", 0, 0, 0, 0},
    {RequestTarget(ImgGameIf00x), kImg, "\\common\\osr_gameif00x", 0, 0, 0, 0},
    {RequestTarget(ImgRouteName), kImg, "\\common\\osr_RouteName", 0, 0, 0, 0},
    {RequestTarget(ImgStgName), kImg, "\\common\\osr_StgName", 0, 0, 0, 0},
    {RequestTarget(ImgContinue), kImg, "\\Module\\Continue", 0, 0, 0, 0},
    {&RscSoundEffects, kSnd, "\\sound\\osr_se", 0, 0, 0, 0},
    {&RscVoices, kSnd, "\\sound\\osr_voice", 0, 0, 0, 0},
    {&RscPlayerHull, kMdl, "\\common\\osr_player", 0, 0, 0, 0},
    {&RscPlayerPart, kMdl, "\\common\\osr_player2", 0, 0, 0, 0},
    {playerstage::EndingPathTarget(), kCam, playerstage::kEndingPathName, 0, 0, 0, 0},
    {nullptr, 0, nullptr, 0, 0, 0, 0},
};

const SRscRequest RscTableFontMusic[] = {
    {RequestTarget(ImgFontSmall), kImg, "\\common\\Osr_Font_Small", 0, 0, 0, 0},
    {RequestTarget(ImgFontNum), kImg, "\\common\\Osr_Font_Num", 0, 0, 0, 0},
    {&RscMusic, kSnd, "\\sound\\osr_bgm_low", 0, 0, 0, 0},
    {nullptr, 0, nullptr, 0, 0, 0, 0},
};
