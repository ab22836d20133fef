// Fuzzes the PE version-resource reader and the version tree: the input is a PE image, whose
// resource (when one is found) is then searched for the values the installer reads; the first
// byte's low bit sends the rest straight to the tree instead.
#include "installlib/installlib_internal.h"

#include <cstring>
#include <vector>

namespace {

struct Memory {
    const uint8_t* bytes;
    size_t size;
};

bool ReadMemory(void* context, uint64_t offset, void* buffer, uint32_t count)
{
    const auto& memory = *static_cast<const Memory*>(context);
    if (offset > memory.size || count > memory.size - offset)
        return false;
    std::memcpy(buffer, memory.bytes + offset, count);
    return true;
}

void SearchTree(const uint8_t* resource, uint32_t size)
{
    static const char* const PATHS[] = { "\\", "\\VarFileInfo\\Translation",
        "\\StringFileInfo\\040904b0\\ProductVersion", "\\StringFileInfo\\040904E4\\FileVersion" };
    for (const char* path : PATHS) {
        installlib::detail::VersionValue value {};
        if (installlib::detail::FindVersionValue(resource, size, path, &value)
            && value.byteCount > 0)
            (void)*(volatile const uint8_t*)(value.bytes + value.byteCount - 1);
    }
}

}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    if (data[0] & 1) {
        // An exact-size copy, so that any read past the resource is seen.
        std::vector<uint8_t> resource(data + 1, data + size);
        if (resource.size() <= installlib::detail::MAX_VERSION_RESOURCE)
            SearchTree(resource.data(), static_cast<uint32_t>(resource.size()));
        return 0;
    }
    Memory image { data + 1, size - 1 };
    installlib::detail::ByteSource source { ReadMemory, &image };
    uint64_t offset = 0;
    uint32_t length = 0;
    if (installlib::detail::FindVersionResource(source, &offset, &length)) {
        std::vector<uint8_t> resource(image.bytes + offset, image.bytes + offset + length);
        SearchTree(resource.data(), length);
    }
    return 0;
}
