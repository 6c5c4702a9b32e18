#include "game/scene/SceneResourceTables.h"

#include "game/tables/image_slots.h"

namespace {
constexpr uint32_t kImg = RscTag("IMG");
}  // namespace

const SRscRequest RscTableResult[] = {
    {RequestTarget(ImgResultBack), kImg, "\\Module\\Result_Back", 0, 0, 0, 0},
    {RequestTarget(ImgResultSpr), kImg, "\\Module\\Result_Spr", 0, 0, 0, 0},
    {nullptr, 0, nullptr, 0, 0, 0, 0},
};

const SRscRequest RscTableEnding1[] = {
    {RequestTarget(ImgEnding1), kImg, "\\Module\\Ending1", 0, 0, 0, 0},
    {RequestTarget(ImgStaff), kImg, "\\Module\\Staff", 0, 0, 0, 0},
    {nullptr, 0, nullptr, 0, 0, 0, 0},
};

const SRscRequest RscTableEnding2[] = {
    {RequestTarget(ImgEnding2), kImg, "\\Module\\Ending2", 0, 0, 0, 0},
    {RequestTarget(ImgStaff), kImg, "\\Module\\Staff", 0, 0, 0, 0},
    {nullptr, 0, nullptr, 0, 0, 0, 0},
};

const SRscRequest RscTableEntry[] = {
    {RequestTarget(ImgEntry), kImg, "\\Module\\Entry", 0, 0, 0, 0},
    {nullptr, 0, nullptr, 0, 0, 0, 0},
};

const SRscRequest RscTableRanking[] = {
    {RequestTarget(ImgRanking), kImg, "\\Module\\Ranking", 0, 0, 0, 0},
    {nullptr, 0, nullptr, 0, 0, 0, 0},
};

const SRscRequest RscTableNone[] = {
    {nullptr, 0, nullptr, 0, 0, 0, 0},
};

const SceneCacheTable EndSceneCacheTables[6] = {
    {RscTableResult, kResultCacheArchive},   {RscTableEnding1, kEnding1CacheArchive},
    {RscTableEnding2, kEnding2CacheArchive}, {RscTableEntry, kEntryCacheArchive},
    {RscTableRanking, kRankingCacheArchive}, {RscTableNone, kContinueCacheArchive},
};
