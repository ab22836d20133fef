// The session of a text command: the archive file system started for disk files, the text
// database's errors collected as "FILE:LINE: MESSAGE", and UTF-8 output of wide text.
#include "tools/definition_session.h"

#include "bigfile/bigfile.h"

namespace patchkit {

namespace {

// The errors of the current load; the sink is a plain function, so it writes here.
std::vector<std::string> g_errors;

void CollectError(const char* fileName, int32_t line, const char16_t* message)
{
    std::string text = std::string(fileName) + ":" + std::to_string(line) + ": ";
    AppendUtf8(text, message, false);
    g_errors.push_back(text);
}

void AppendCodePoint(std::string& out, uint32_t c)
{
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | c >> 6));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | c >> 12));
        out.push_back(static_cast<char>(0x80 | (c >> 6 & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | c >> 18));
        out.push_back(static_cast<char>(0x80 | (c >> 12 & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c >> 6 & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

void AddLanguage(const char* code, void* context)
{
    static_cast<std::vector<std::string>*>(context)->push_back(code);
}

}

DefinitionSession::DefinitionSession()
{
    BF_InitParams params {};
    params.plainNames = 1;
    m_started = BF_Init(&params) != 0;
    m_previousSink = ML_SetErrorSink(CollectError);
    ML_Free();
}

DefinitionSession::~DefinitionSession()
{
    ML_Free();
    ML_SetErrorSink(m_previousSink);
    if (m_started)
        BF_Shutdown();
}

DefinitionSession::Result DefinitionSession::Load(
    const std::string& file, const std::string& language, bool installerData, std::string* error)
{
    g_errors.clear();
    ML_Free();
    ML_Request request { language.c_str(), file.c_str() };
    int loaded = installerData ? ML_LoadInstallerData(&request) : ML_LoadLanguage(&request);
    if (loaded)
        return Result::Loaded;
    if (g_errors.empty())
        return Result::Unreadable;
    *error = g_errors.front();
    return Result::DefinitionError;
}

bool DefinitionSession::Languages(const std::string& file, std::vector<std::string>* codes)
{
    return ML_ListLanguages(file.c_str(), AddLanguage, codes) != 0;
}

void AppendUtf8(std::string& out, std::u16string_view text, bool escape)
{
    for (size_t i = 0; i < text.size(); ++i) {
        char16_t unit = text[i];
        if (escape && (unit == u'\n' || unit == u'\t' || unit == u'\\')) {
            out += unit == u'\n' ? "\\n" : unit == u'\t' ? "\\t" : "\\\\";
        } else if (unit >= 0xD800 && unit < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00
            && text[i + 1] < 0xE000) {
            AppendCodePoint(out, 0x10000 + ((unit - 0xD800u) << 10) + (text[i + 1] - 0xDC00u));
            ++i;
        } else {
            AppendCodePoint(out, unit >= 0xD800 && unit < 0xE000 ? 0xFFFD : unit);
        }
    }
}

}
