// The installed game as the registry describes it: its folder and program from the edition's
// game key, the start-up's reading of the version record, and the check for the stand-alone
// 1.01 patch archive that older installations carry beside the game program.
#include "patcher/patcher_internal.h"

#include "ml/ml.h"

namespace {

using namespace patcher::detail;

constexpr uint32_t FIRST_OLD_DISTRIBUTION = 793;
constexpr uint32_t LAST_OLD_DISTRIBUTION = 796;
constexpr uint32_t NEW_DISTRIBUTION_OFFSET = 11;
constexpr uint32_t LEGACY_PATCH_VERSION = 101;

// The game folder: the value named by text 413, which must hold an absolute path.
bool ReadGameFolder(InstalledGame* game)
{
    const SYS_RegKey key = Sys().openKey(GetGameKeyPath(PTCH_GetGameEdition()));
    if (key == 0)
        return false;
    const bool read = ReadRegistryText(
        key, ML_GetStringA(PTCH_ID_GAME_FOLDER_VALUE), game->folder, sizeof game->folder);
    (void)Sys().closeKey(key);
    // A relative folder would place the game's files wherever the installer happens to run.
    return read && SYS_PathIsAbsolute(game->folder);
}

void Clear(InstalledGame* game)
{
    *game = InstalledGame {};
    game->programArguments = "";
}

}

int PTCH_FindInstalledGame(InstalledGame* game)
{
    if (game == nullptr)
        return 0;
    Clear(game);
    if (!ReadGameFolder(game) || !FileApiToWidePath(game->folderWide, PATH_CAPACITY, game->folder)
        || !JoinPath(game->programPath, sizeof game->programPath, game->folder,
            ML_GetStringA(PTCH_ID_GAME_PROGRAM))) {
        Clear(game);
        return 0;
    }
    if (ML_GetFlag(PTCH_ID_GAME_ARGUMENTS))
        game->programArguments = ML_GetStringA(PTCH_ID_GAME_ARGUMENTS);
    game->found = true;
    return 1;
}

int PTCH_ReadInstalledRecord(VersionInfo* record)
{
    if (record == nullptr)
        return 0;
    VI_SelectKey(GetGameKeyPath(PTCH_GetGameEdition()));
    *record = VersionInfo {};
    if (VI_Get(record) == 0)
        return 0;
    // Older installers wrote the codes 793..796; the language table knows them as 804..807.
    if (record->distribution >= FIRST_OLD_DISTRIBUTION
        && record->distribution <= LAST_OLD_DISTRIBUTION) {
        record->distribution += NEW_DISTRIBUTION_OFFSET;
        (void)VI_Set(record);
    }
    return 1;
}

int CheckLegacyPatch(VersionInfo* record, const InstalledGame* game)
{
    if (record == nullptr)
        return 0;
    char path[PATH_CAPACITY];
    if (game != nullptr && game->found
        && SYS_PathDir(path, sizeof path, game->programPath) < sizeof path
        && Append(path, sizeof path, "Ashgrove_101.cbf")) {
        const SYS_Handle file = SYS_FileOpen(path, SYS_OPEN_READ);
        if (file != 0) {
            record->patchVersion = LEGACY_PATCH_VERSION;
            (void)SYS_FileClose(file);
        }
    }
    return VI_Set(record);
}
