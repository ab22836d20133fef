// The program a patch runs after its copy: it creates the file that the environment variable
// PATCHER_E2E_MARKER names, so the test sees that it ran (and ran to its end, since the
// installer waits for it).
#include <cstdio>
#include <cstdlib>

int main()
{
    const char* path = std::getenv("PATCHER_E2E_MARKER");
    if (path == nullptr)
        return 2;
    std::FILE* file = std::fopen(path, "wb");
    if (file == nullptr)
        return 1;
    std::fputs("ran\n", file);
    return std::fclose(file) == 0 ? 0 : 1;
}
