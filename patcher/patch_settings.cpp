// The patch's settings read from the text database by installer-data id, each with the value
// that stands when the id is absent or does not read as a number.
#include "patcher/patcher.h"

#include "ml/ml.h"

namespace {

constexpr uint64_t MIB = 1048576;

// The patch's date: exactly three parts "year.month.day", packed; 0 otherwise.
uint32_t ReadPackedDate(int32_t id)
{
    char parts[64];
    if (SYS_SplitTokens(parts, sizeof parts, ML_GetStringA(id), ".") != 3)
        return 0;
    int32_t numbers[3] = {};
    const char* part = parts;
    for (int32_t& number : numbers) {
        if (SYS_ParseInt(&number, part) != SYS_OK)
            number = 0;
        part += SYS_StrLen(part) + 1;
    }
    return VI_PackDate(static_cast<uint32_t>(numbers[0]), static_cast<uint32_t>(numbers[1]),
        static_cast<uint32_t>(numbers[2]));
}

// An integer setting, or fallback when the id is absent or not a number.
int32_t ReadInt(int32_t id, int32_t fallback)
{
    int32_t value = fallback;
    (void)ML_GetInt(id, &value);
    return value;
}

}

uint32_t PTCH_GetGameEdition()
{
    return static_cast<uint32_t>(ReadInt(PTCH_ID_GAME_EDITION, PTCH_UNKNOWN_EDITION));
}

uint32_t PTCH_GetPatchArchiveCount()
{
    // A count below 1 would leave the engine with no archive to apply and divide its progress
    // by zero; it means one archive.
    const int32_t count = ReadInt(PTCH_ID_ARCHIVE_COUNT, 1);
    return count < 1 ? 1 : static_cast<uint32_t>(count);
}

void PTCH_ReadPatchSettings(PatchSettings* settings)
{
    *settings = PatchSettings {};
    settings->archiveCount = PTCH_GetPatchArchiveCount();
    const int32_t neededMib = ReadInt(PTCH_ID_NEEDED_MIB, 0);
    settings->neededBytes = neededMib > 0 ? static_cast<uint64_t>(neededMib) * MIB : 0;
    settings->newVersion = static_cast<uint32_t>(ReadInt(PTCH_ID_NEW_VERSION, 0));
    if (settings->newVersion != 0) {
        settings->newVersionDate = ReadPackedDate(PTCH_ID_NEW_VERSION_DATE);
        settings->newVersionName = ML_GetStringA(PTCH_ID_NEW_VERSION_NAME);
    }
    settings->hasLowestVersion = ML_GetInt(PTCH_ID_LOWEST_VERSION, &settings->lowestVersion) != 0;
    settings->keepNewer = ML_GetFlag(PTCH_ID_KEEP_NEWER);
    settings->editorVersion = static_cast<uint32_t>(ReadInt(PTCH_ID_EDITOR_VERSION, 0));
    settings->runProgram = ML_GetFlag(PTCH_ID_RUN_PROGRAM);
    settings->detectEditorTools = ML_GetFlag(PTCH_ID_EDITOR_TOOLS);
    settings->edition = PTCH_GetGameEdition();
}
