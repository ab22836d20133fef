// The main thread's side of the patch engine: mounting each archive in turn, starting the copy
// worker on its file list, and the progress page's poll, which reads the worker's state under
// the lock, joins a worker that has ended and moves on to the next archive.
#include "patcher/patcher_internal.h"

#include "bigfile/bigfile.h"
#include "ml/ml.h"

namespace {

using namespace patcher::detail;

// The engine that PTCH_StopEngine stops at shutdown.
PatchEngine* g_running = nullptr;

void FreeList(PatchEngine& engine)
{
    if (engine.fileList != nullptr)
        (void)SYS_StoreDestroy(engine.fileList, 1, 0);
    engine.fileList = nullptr;
}

void SetState(PatchEngine& engine, uint32_t state)
{
    EngineLock lock(engine);
    engine.state = state;
}

// Waits for a worker that has ended (or was asked to stop) and takes its list back.
void JoinWorker(PatchEngine& engine)
{
    if (engine.worker != 0)
        Sys().joinThread(engine.worker);
    engine.worker = 0;
    FreeList(engine);
}

void StopWorker(PatchEngine& engine)
{
    {
        EngineLock lock(engine);
        engine.stopRequested = true;
    }
    JoinWorker(engine);
}

// A worker runs, or has ended and PollWorker has not yet collected it.
bool ArchiveUnderWay(PatchEngine& engine)
{
    EngineLock lock(engine);
    return engine.worker != 0 || engine.state != PTCH_STATE_COLLECTED;
}

void ResetProgress(PatchEngine& engine)
{
    EngineLock lock(engine);
    engine.currentFileName[0] = 0;
    engine.fileSize = 0;
    engine.fileDone = 0;
    engine.total = 100;
    engine.totalDone = 0;
    engine.errorText[0] = 0;
}

// Unmounts the archive mounted before the current one, once.
void UnmountPrevious(PatchEngine& engine)
{
    if (engine.currentArchive <= engine.lastMountedArchive)
        return;
    char16_t path[PATH_CAPACITY];
    char folderName[PATH_CAPACITY];
    if (GetPatchArchivePath(
            engine.lastMountedArchive, path, PATH_CAPACITY, folderName, sizeof folderName))
        (void)UnloadBF(path);
    ++engine.lastMountedArchive;
}

int32_t Percent(double part)
{
    const int32_t percent = SYS_Round(static_cast<float>(part * 100));
    return percent < 0 ? 0 : percent > 100 ? 100 : percent;
}

// The bars and the label; under the lock.
void ReadProgress(const PatchEngine& engine, PatchProgress* progress)
{
    (void)SYS_StrCopy(progress->fileLabel, sizeof progress->fileLabel, engine.currentFileName);
    progress->fileBar = engine.fileSize == 0
        ? 0
        : Percent(static_cast<double>(engine.fileDone) / engine.fileSize);
    // An archive without files has nothing of its own to show; the earlier archives still count.
    const double archive = engine.total == 0
        ? 0
        : static_cast<double>(engine.totalDone) / static_cast<double>(engine.total);
    progress->totalBar = Percent((archive + (engine.currentArchive - 1)) / engine.archiveCount);
}

}

namespace patcher::detail {

void StartWorker(PatchEngine& engine, SYS_ItemStore* list)
{
    engine.fileList = list;
    SetState(engine, PTCH_STATE_RUNNING);
    (void)SYS_EventSet(engine.started, 0);
    engine.worker = Sys().startThread(CopyWorker, &engine);
    if (engine.worker == 0) {
        SetState(engine, PTCH_STATE_FAILED);
        return;
    }
    (void)SYS_EventWait(engine.started, SYS_WAIT_FOREVER);
}

}

int PTCH_EngineInit(PatchEngine* engine, const PatchTarget* target)
{
    *engine = PatchEngine {};
    engine->target = *target;
    engine->archiveCount = PTCH_GetPatchArchiveCount();
    engine->currentArchive = 1;
    engine->lastMountedArchive = 1;
    engine->cannotCreateText = ML_GetStringW(PTCH_TEXT_CANNOT_CREATE);
    engine->cannotWriteText = ML_GetStringW(PTCH_TEXT_CANNOT_WRITE);
    engine->state = PTCH_STATE_COLLECTED;
    engine->total = 100;
    engine->lock = SYS_MutexCreate(0);
    engine->started = SYS_EventCreate(0);
    if (engine->lock == 0 || engine->started == 0) {
        PTCH_EngineDone(engine);
        return 0;
    }
    g_running = engine;
    return 1;
}

void PTCH_EngineDone(PatchEngine* engine)
{
    if (engine->lock != 0)
        StopWorker(*engine);
    FreeList(*engine);
    if (g_running == engine)
        g_running = nullptr;
    if (engine->lock != 0)
        (void)SYS_MutexClose(engine->lock);
    if (engine->started != 0)
        (void)SYS_EventClose(engine->started);
    engine->lock = 0;
    engine->started = 0;
}

int StartArchive(PatchEngine* engine, const char16_t* archivePath, const char* folderName)
{
    // A second start (a retry answered twice) would take the list from under a running worker.
    if (ArchiveUnderWay(*engine))
        return 1;
    ResetProgress(*engine);
    FreeList(*engine);
    UnmountPrevious(*engine);
    if (LoadBF(archivePath, 0) != BF_OK)
        return 0;
    SYS_ItemStore* list = nullptr;
    char failedName[PATH_CAPACITY];
    if (!BuildFileList(
            folderName, &engine->target.source, &list, nullptr, failedName, sizeof failedName)) {
        // A member that cannot be placed (or read) fails the archive before anything is copied.
        SetErrorText(*engine, engine->cannotCreateText, failedName);
        SetState(*engine, PTCH_STATE_FAILED);
        return 1;
    }
    StartWorker(*engine, list);
    return 1;
}

int PTCH_StartCurrentArchive(PatchEngine* engine)
{
    char16_t path[PATH_CAPACITY];
    char folderName[PATH_CAPACITY];
    return GetPatchArchivePath(
               engine->currentArchive, path, PATH_CAPACITY, folderName, sizeof folderName)
        ? StartArchive(engine, path, folderName)
        : 0;
}

void PollWorker(PatchEngine* engine, PatchProgress* progress)
{
    *progress = PatchProgress {};
    progress->result = PTCH_PollResult::Idle;
    uint32_t state = 0;
    {
        EngineLock lock(*engine);
        state = engine->state;
        if (state == PTCH_STATE_COLLECTED)
            return;
        ReadProgress(*engine, progress);
        if (state != PTCH_STATE_RUNNING)
            engine->state = PTCH_STATE_COLLECTED;
    }
    if (state == PTCH_STATE_RUNNING) {
        progress->result = PTCH_PollResult::Running;
        return;
    }
    JoinWorker(*engine);
    if (state == PTCH_STATE_FAILED) {
        progress->result = PTCH_PollResult::Failed;
    } else if (engine->currentArchive < engine->archiveCount) {
        ++engine->currentArchive;
        progress->result = PTCH_StartCurrentArchive(engine) ? PTCH_PollResult::Running
                                                            : PTCH_PollResult::MountFailed;
    } else {
        progress->result = PTCH_PollResult::Complete;
    }
}

void PTCH_StopEngine()
{
    if (g_running != nullptr)
        StopWorker(*g_running);
    g_running = nullptr;
}
