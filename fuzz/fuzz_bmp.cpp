// Fuzz target of the BMP loader: arbitrary bytes as a ".bmp" picture file.
#include "fuzz/image_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    return fuzz::LoadPictureBytes(data, size, "input.bmp");
}
