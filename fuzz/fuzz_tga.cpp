// Fuzz target of the TGA loader: arbitrary bytes as a ".tga" picture file.
#include "fuzz/image_fuzz.h"

namespace {

// A TGA whose data ends early still loads (the rest is black), so an 18-byte header can make
// every run allocate, clear and flip a block of up to 256 MiB. Such inputs are skipped above a
// million pixels to keep the fuzzer fast; sizes beyond the bounds still run, being refused at once.
bool CostlyButAllowed(const uint8_t* data, size_t size)
{
    if (size < 16)
        return false;
    uint64_t pixels = uint64_t { SYS_LoadU16(data + 12) } * SYS_LoadU16(data + 14);
    return pixels > (1u << 20) && pixels * 4 <= IMAGE_MAX_BLOCK;
}

}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (CostlyButAllowed(data, size))
        return 0;
    return fuzz::LoadPictureBytes(data, size, "input.tga");
}
