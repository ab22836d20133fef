// Fuzz target of the JPEG loader: arbitrary bytes as a ".jpg" picture file.
#include "fuzz/image_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    return fuzz::LoadPictureBytes(data, size, "input.jpg");
}
