// Start and stop of the LZW module and the decoder contexts it hands out. With option 0 one
// shared context (half a megabyte of dictionary) is made at start and lent to one decode at a
// time, so that reading an archive does not allocate per block; other decodes get their own.
#include "bigfile/lzw_context.h"

#include <atomic>
#include <new>

namespace {

// Start and stop happen on one thread; only the lending of the shared context may race.
uint32_t g_depth = 0;
uint32_t g_option = 0;
LZW_Decoder* g_shared = nullptr;
std::atomic<bool> g_sharedInUse { false };

const char MODULE_NAME[] = "LZW_lib";

LZW_Decoder* AllocateDecoder(bool shared)
{
    void* memory = SYS_Alloc(sizeof(LZW_Decoder), "LZW decoder", SYS_TAG_LZW);
    if (!memory)
        return nullptr;
    // Default initialisation leaves the dictionary as it is: every entry is written before a
    // decode reads it.
    auto* decoder = new (memory) LZW_Decoder;
    decoder->shared = shared;
    return decoder;
}

// Lends the shared context when it exists and nobody holds it; the exchange makes the test
// and the claim one step, so two threads can never both take it.
LZW_Decoder* BorrowShared()
{
    if (g_depth == 0 || g_option != 0 || !g_shared)
        return nullptr;
    if (g_sharedInUse.exchange(true, std::memory_order_acquire))
        return nullptr;
    return g_shared;
}

}

namespace bigfile::detail {

void LzwTrace(const char* reason)
{
    SYS_Trace(SYS_TAG_LZW, 1, reason);
}

}

SYS_Status LZW_Init(const uint32_t* option)
{
    if (g_depth > 0) {
        ++g_depth;
        return SYS_OK;
    }
    SYS_StartRecord record {};
    if (SYS_Status status = SYS_Init(&record); status != SYS_OK)
        return status;
    SYS_ModuleNotice(SYS_TAG_LZW, MODULE_NAME);
    g_option = option ? *option : 0;
    g_sharedInUse.store(false);
    if (g_option == 0) {
        g_shared = AllocateDecoder(true);
        if (!g_shared) {
            SYS_ModuleNotice(SYS_TAG_LZW, nullptr);
            SYS_Shutdown();
            return SYS_NO_MEMORY;
        }
    }
    g_depth = 1;
    return SYS_OK;
}

void LZW_Shutdown()
{
    if (g_depth == 0 || --g_depth > 0)
        return;
    SYS_Free(g_shared);
    g_shared = nullptr;
    SYS_ModuleNotice(SYS_TAG_LZW, nullptr);
    SYS_Shutdown();
}

LZW_Decoder* LZW_CreateDecoder(
    uint8_t* output, uint32_t capacity, const uint8_t* input, uint32_t size)
{
    LZW_Decoder* decoder = BorrowShared();
    if (!decoder)
        decoder = AllocateDecoder(false);
    if (!decoder)
        return nullptr;
    decoder->input = input;
    decoder->inputSize = size;
    decoder->output = output;
    decoder->capacity = capacity;
    decoder->bytesProduced = 0;
    decoder->bytesConsumed = 0;
    return decoder;
}

uint32_t LZW_BytesProduced(const LZW_Decoder* decoder)
{
    return decoder ? decoder->bytesProduced : 0;
}

uint32_t LZW_BytesConsumed(const LZW_Decoder* decoder)
{
    return decoder ? decoder->bytesConsumed : 0;
}

void LZW_FreeDecoder(LZW_Decoder* decoder)
{
    if (!decoder)
        return;
    if (decoder->shared)
        g_sharedInUse.store(false, std::memory_order_release);
    else
        SYS_Free(decoder);
}
