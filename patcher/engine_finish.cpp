// The main thread's work around the copy: the end of the patch (the version record, the links,
// the program of the patch), the free space of the game's disk and the start of the game.
#include "patcher/patcher_internal.h"

#include "installlib/installlib.h"
#include "ml/ml.h"

namespace {

using namespace patcher::detail;

// The longest command line the system takes, without its terminator.
constexpr size_t COMMAND_LINE_LIMIT = 32767;

bool IsSeparator(char c)
{
    return c == '\\' || c == '/';
}

// Cuts folder back to the folder above it ("C:\\games\\x" → "C:\\games\\" → "C:\\" → "").
// False when nothing is left.
bool ToParent(char* folder)
{
    size_t length = SYS_StrLen(folder);
    while (length > 0 && IsSeparator(folder[length - 1]))
        --length;
    while (length > 0 && !IsSeparator(folder[length - 1]))
        --length;
    folder[length] = 0;
    return length > 0;
}

// The folder part of program, "" when it names no folder.
bool ProgramFolder(char* folder, size_t capacity, const char* program)
{
    size_t length = SYS_StrLen(program);
    while (length > 0 && !IsSeparator(program[length - 1]))
        --length;
    if (length >= capacity)
        return false;
    SYS_Copy(folder, program, length);
    folder[length] = 0;
    return true;
}

void RunPatchProgram(InstallLib_WindowPump* window)
{
    if (!ML_GetFlag(PTCH_ID_RUN_PROGRAM))
        return;
    char16_t staged[INSTALLLIB_PATH_CAPACITY];
    if (ExtractToTemp(ML_GetStringA(PTCH_ID_RUN_PROGRAM), staged, INSTALLLIB_PATH_CAPACITY)
        && ScheduleDelete(staged))
        (void)RunAndWait(staged, window);
}

}

int PTCH_RecordVersion(bool keepNewer)
{
    PatchSettings settings {};
    PTCH_ReadPatchSettings(&settings);
    if (keepNewer || (settings.newVersion == 0 && settings.editorVersion == 0))
        return 1;
    VersionInfo record {};
    if (!VI_Get(&record))
        return 0;
    if (settings.newVersion != 0) {
        record.patchVersion = settings.newVersion;
        record.patchVersionTime = settings.newVersionDate;
        record.patchVersionName = settings.newVersionName;
        record.mainVersionName = nullptr; // leaves the stored value as it is
    }
    if (settings.editorVersion != 0)
        record.editorVersion = settings.editorVersion;
    return VI_Set(&record) && VI_Flush() ? 1 : 0;
}

int PTCH_Finish(const FinishChoices* choices)
{
    (void)PTCH_RecordVersion(choices->keepNewer);
    (void)CreateLinks(choices->desktopLinks, choices->programLinks,
        ML_GetStringW(PTCH_ID_LINK_GROUP), choices->linkHook, choices->linkHookContext);
    if (choices->runProgram)
        RunPatchProgram(choices->window);
    return 1;
}

int GetFreeDiskSpace(const char* path, uint64_t* bytes)
{
    char folder[PATH_CAPACITY];
    if (path == nullptr || bytes == nullptr
        || SYS_StrCopy(folder, sizeof folder, path) >= sizeof folder)
        return 0;
    do {
        if (Sys().freeDiskSpace(folder, bytes))
            return 1;
    } while (ToParent(folder));
    return 0;
}

int PTCH_RunProgram(const char* program, const char* arguments)
{
    char folder[PATH_CAPACITY];
    if (program == nullptr || program[0] == 0 || !ProgramFolder(folder, sizeof folder, program))
        return 0;
    SYS_Block<char[]> commandLine;
    if (arguments != nullptr && arguments[0] != 0) {
        const size_t length = SYS_StrLen(program) + SYS_StrLen(arguments) + 3;
        if (length > COMMAND_LINE_LIMIT)
            return 0;
        commandLine = SYS_AllocArray<char>(length + 1, "Command line", TAG);
        if (!commandLine)
            return 0;
        (void)SYS_Format(commandLine.get(), length + 1, "\"%s\" %s", program, arguments);
    }
    return Sys().startProgram(program, commandLine.get(), folder) ? 1 : 0;
}
