#include "tools/language_code_page.h"

namespace patchkit {

uint32_t LanguageCodePage(std::string_view code)
{
    struct Page {
        std::string_view code;
        uint32_t codePage;
    };
    static constexpr Page PAGES[] = {
        { "CZE", 1250 },
        { "RUS", 1251 },
        { "JAP", 932 },
        { "CHI", 936 },
        { "TAI", 950 },
    };
    for (const Page& page : PAGES)
        if (page.code == code)
            return page.codePage;
    return 1252; // ENG, AME, GER, ITA, FRE, SPA
}

}
