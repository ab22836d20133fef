// The copy worker: the one thread besides the main thread. It copies every file of the list
// from the virtual file system into the game folder in chunks of 64 KiB, each destination
// through a replacement beside it, and writes its progress into the engine's shared fields
// under the lock, where it also finds the stop request of a shutdown.
#include "patcher/patcher_internal.h"

#include "bigfile/bigfile.h"
#include "installlib/installlib.h"

namespace {

using namespace patcher::detail;

// The worker's own copy of its parameters.
struct Copy {
    PatchEngine* engine;
    SYS_ItemStore* list;
    char base[PATH_CAPACITY]; // the game folder ending in a separator; "" when it is unusable
    bool keepNewer;
    const char16_t* cannotCreate;
    const char16_t* cannotWrite;
    uint8_t* buffer;
    PTCH_FileHook hook;
    void* hookContext;
};

bool Fail(Copy& copy, const char16_t* text, const char* destination)
{
    SetErrorText(*copy.engine, text, destination);
    return false;
}

// Shows item as the current file; false when a stop was requested.
bool BeginItem(Copy& copy, const FileItem& item)
{
    PatchEngine& engine = *copy.engine;
    EngineLock lock(engine);
    engine.fileDone = 0;
    engine.fileSize = item.size;
    (void)SYS_StrCopy(engine.currentFileName, sizeof engine.currentFileName, item.destFileName);
    return !engine.stopRequested;
}

// Counts bytes as done; false when a stop was requested.
bool Advance(Copy& copy, uint32_t bytes)
{
    PatchEngine& engine = *copy.engine;
    EngineLock lock(engine);
    engine.fileDone += bytes;
    engine.totalDone += bytes;
    return !engine.stopRequested;
}

// The full destination of item; false (destination holding as much as fits) when it does not
// fit a path or a relative destination has no usable game folder.
bool DestinationOf(const Copy& copy, const FileItem& item, char* destination)
{
    if (SYS_PathIsAbsolute(item.destFileName))
        return SYS_StrCopy(destination, PATH_CAPACITY, item.destFileName) < PATH_CAPACITY;
    const int length = SYS_Format(destination, PATH_CAPACITY, "%s%s", copy.base, item.destFileName);
    return copy.base[0] != 0 && length >= 0 && static_cast<size_t>(length) < PATH_CAPACITY;
}

// Copies size bytes of source into the replacement and puts it in place. A short read (a
// damaged member) fails like a failed write: the destination keeps its old content.
bool CopyBytes(Copy& copy, BF_Handle source, uint32_t size, const char* destination,
    InstallLib_FileReplacement& replacement)
{
    for (uint32_t remaining = size; remaining > 0;) {
        const uint32_t chunk = remaining < COPY_CHUNK ? remaining : COPY_CHUNK;
        if (Sys().readMember(source, copy.buffer, chunk) != chunk
            || !replacement.Write(copy.buffer, chunk))
            return Fail(copy, copy.cannotWrite, destination);
        remaining -= chunk;
        if (!Advance(copy, chunk))
            return false;
    }
    return replacement.Commit() || Fail(copy, copy.cannotWrite, destination);
}

bool Exists(const char* path)
{
    const SYS_Handle file = SYS_FileOpen(path, 0);
    if (file == 0)
        return false;
    (void)SYS_FileClose(file);
    return true;
}

void Tell(const Copy& copy, PTCH_FileOutcome outcome, const char* destination)
{
    if (copy.hook != nullptr)
        copy.hook(copy.hookContext, outcome, destination);
}

bool CopyItem(Copy& copy, const FileItem& item)
{
    if (!BeginItem(copy, item))
        return false;
    char destination[PATH_CAPACITY];
    if (!DestinationOf(copy, item, destination))
        return Fail(copy, copy.cannotCreate, destination);
    if (!SYS_PathIsAbsolute(item.destFileName) && KeepExisting(destination, copy.keepNewer)) {
        Tell(copy, PTCH_FileOutcome::Kept, destination);
        return Advance(copy, item.size);
    }
    // Silently: a box from this thread would stand beside the installer's window.
    const BF_Handle source = BF_OpenEx(item.srcFileName, BF_GENERIC_READ, 0);
    if (source == 0)
        return Fail(copy, copy.cannotWrite, destination);
    // Only a hook needs to know whether the file was there before.
    const bool existed = copy.hook != nullptr && Exists(destination);
    InstallLib_FileReplacement replacement;
    const bool copied = CreateDestination(destination, &replacement)
        ? CopyBytes(copy, source, item.size, destination, replacement)
        : Fail(copy, copy.cannotCreate, destination);
    BF_Close(source);
    if (copied)
        Tell(copy, existed ? PTCH_FileOutcome::Replaced : PTCH_FileOutcome::Written, destination);
    return copied;
}

uint64_t TotalSize(SYS_ItemStore* list)
{
    uint64_t total = 0;
    (void)ForEachFileItem(list, [&total](const FileItem& item) {
        total += item.size;
        return true;
    });
    return total;
}

// Takes the parameters from the engine; the main thread waits for this before it goes on.
Copy TakeParameters(PatchEngine& engine)
{
    Copy copy { &engine, engine.fileList, {}, engine.target.keepNewer, engine.cannotCreateText,
        engine.cannotWriteText, nullptr, engine.fileHook, engine.fileHookContext };
    const char* folder = engine.target.gameFolder;
    // A relative or empty game folder would place files below the current folder.
    if (!SYS_PathIsAbsolute(folder)
        || SYS_StrCopy(copy.base, PATH_CAPACITY, folder) >= PATH_CAPACITY
        || !EnsureSeparator(copy.base, PATH_CAPACITY))
        copy.base[0] = 0;
    return copy;
}

}

namespace patcher::detail {

uint32_t CopyWorker(void* argument)
{
    PatchEngine& engine = *static_cast<PatchEngine*>(argument);
    Copy copy = TakeParameters(engine);
    SYS_Block<uint8_t[]> buffer(static_cast<uint8_t*>(Sys().alloc(COPY_CHUNK, "Copy block", TAG)));
    copy.buffer = buffer.get();
    const uint64_t total = TotalSize(copy.list);
    {
        EngineLock lock(engine);
        engine.currentFileName[0] = 0;
        engine.state = buffer ? PTCH_STATE_RUNNING : PTCH_STATE_FAILED;
        engine.totalDone = 0;
        engine.fileDone = 0;
        engine.fileSize = 0;
        engine.total = total;
    }
    (void)SYS_EventSet(engine.started, 1);
    if (!buffer)
        return 1;
    RemoveLeftovers(copy.list, copy.base);
    const bool copied = ForEachFileItem(
        copy.list, [&copy](const FileItem& item) { return CopyItem(copy, item); });
    EngineLock lock(engine);
    engine.state = copied ? PTCH_STATE_FINISHED : PTCH_STATE_FAILED;
    return 1;
}

void SetErrorText(PatchEngine& engine, const char16_t* text, const char* path)
{
    char16_t widePath[PATH_CAPACITY];
    if (!FileApiToWidePath(widePath, PATH_CAPACITY, path))
        (void)SYS_StrToWStr(widePath, PATH_CAPACITY, path);
    (void)SYS_WFormat(engine.errorText, PTCH_ERROR_TEXT_CAPACITY, u"%s\n%s", text, widePath);
}

}

bool KeepExisting(const char* destination, bool keepNewer)
{
    const size_t length = SYS_StrLen(destination);
    if (!keepNewer || length < 5)
        return false;
    char extension[5];
    (void)SYS_StrCopy(extension, sizeof extension, destination + length - 4);
    (void)SYS_StrUpper(extension);
    if (SYS_StrCompare(extension, ".EXE") != 0 && SYS_StrCompare(extension, ".DLL") != 0)
        return false;
    return Exists(destination);
}
