// Writes the test font (printable ASCII, drawn the same on every system) as a font file, for
// the language fonts of the end-to-end distribution: no system font is involved.
#include "tests/support/test_font.h"

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: e2e_font OUT.fnt\n");
        return 2;
    }
    GUIB_Ref<c_GUIB_Font> font = test::MakeTestFont();
    c_GUIB_Store store;
    if (font->SaveToStore(&store, 0) != SYS_OK) {
        std::fprintf(stderr, "e2e_font: the font did not save\n");
        return 1;
    }
    std::FILE* file = std::fopen(argv[1], "wb");
    if (file == nullptr) {
        std::fprintf(stderr, "e2e_font: cannot create %s\n", argv[1]);
        return 1;
    }
    size_t size = store.GetUsedSize();
    bool written = std::fwrite(store.GetData(), 1, size, file) == size;
    written = std::fclose(file) == 0 && written;
    return written ? 0 : 1;
}
