// The Windows code page each language's files are written in: the installer draws every byte of
// a text with the font's glyph for that byte value, so the character a byte stands for is the
// one of the language's page.
#pragma once

#include <cstdint>
#include <string_view>

namespace patchkit {

// The code page of the language code ("RUS" → 1251); 1252 for a code the installer does not know.
uint32_t LanguageCodePage(std::string_view code);

}
