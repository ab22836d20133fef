// Start and stop of the platform layer (a nesting counter and the first start record), the
// module notices and the diagnostic trace that modules send their refusal reasons to.
#include "platform/platform.h"

#include <atomic>
#include <cstdlib>

namespace {

// Start-up and shutdown happen on the main thread, so the counter and record need no lock.
uint32_t g_depth = 0;
SYS_StartRecord g_startRecord {};
// Traces may come from the worker thread while a test installs or removes its sink.
std::atomic<SYS_TraceSink> g_traceSink { nullptr };

}

SYS_Status SYS_Init(const SYS_StartRecord* record)
{
    if (g_depth++ != 0)
        return SYS_OK;
    g_startRecord = record ? *record : SYS_StartRecord {};
    std::srand(SYS_TickCount());
    return SYS_OK;
}

void SYS_Shutdown()
{
    if (g_depth > 0)
        --g_depth;
}

uint32_t SYS_InitDepth()
{
    return g_depth;
}

const SYS_StartRecord* SYS_StartInfo()
{
    return g_depth > 0 ? &g_startRecord : nullptr;
}

uint32_t SYS_ModuleNotice(uint32_t tag, const char* name)
{
    // Nothing to record: the notice exists for a diagnostic build that counts by module.
    (void)tag;
    (void)name;
    return 0;
}

void SYS_Trace(uint32_t tag, int level, const char* text)
{
    if (SYS_TraceSink sink = g_traceSink.load())
        sink(tag, level, text ? text : "");
}

SYS_TraceSink SYS_SetTraceSink(SYS_TraceSink sink)
{
    return g_traceSink.exchange(sink);
}
