// The failure report of every command with the trace reason behind it, and the member-name
// rules: the installer's own rule (BF_MemberNameFault) decides for every command, so an archive
// that pack accepts always extracts and installs.
#include "tools/command_support.h"

#include "bigfile/bigfile.h"

#include <cstdio>
#include <ostream>

namespace patchkit {

namespace {

constexpr size_t MAX_NAME_LENGTH = 255;

// The trace sink takes no context, so the reason it keeps lives here.
char g_traceReason[256];

void KeepTraceReason(uint32_t, int, const char* text)
{
    if (text != nullptr && g_traceReason[0] == '\0')
        (void)SYS_StrCopy(g_traceReason, sizeof g_traceReason, text);
}

bool IsSeparator(char c)
{
    return c == '\\' || c == '/';
}

}

int Fail(std::ostream& err, std::string_view reason)
{
    err << "patchkit: " << reason << '\n';
    return 1;
}

TraceReason::TraceReason()
    : m_previous(SYS_SetTraceSink(KeepTraceReason))
{
    g_traceReason[0] = '\0';
}

TraceReason::~TraceReason()
{
    (void)SYS_SetTraceSink(m_previous);
}

std::string TraceReason::Text(std::string_view failure, uint32_t status) const
{
    if (g_traceReason[0] != '\0')
        return g_traceReason;
    char code[32];
    std::snprintf(code, sizeof code, " (status 0x%08x)", static_cast<unsigned>(status));
    return std::string(failure) + code;
}

const char* InstallerNameFault(std::string_view name)
{
    if (name.find('\0') != std::string_view::npos)
        return "control character";
    if (name.size() > MAX_NAME_LENGTH)
        return "name of 256 characters or more";
    return BF_MemberNameFault(std::string(name).c_str());
}

bool CheckMemberName(std::string_view name, std::string* reason)
{
    if (const char* fault = InstallerNameFault(name)) {
        *reason = fault;
        return false;
    }
    for (char c : name) {
        auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte > 0x7E) {
            *reason = "byte outside printable ASCII";
            return false;
        }
    }
    return true;
}

std::string ShownName(std::string_view name)
{
    std::string shown;
    for (char c : name) {
        auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte != 0x7F) {
            shown += c;
            continue;
        }
        char escaped[8];
        std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
        shown += escaped;
    }
    return shown;
}

std::filesystem::path MemberPath(const std::filesystem::path& root, std::string_view name)
{
    std::filesystem::path path = root;
    size_t start = 0;
    for (size_t i = 0; i <= name.size(); ++i) {
        if (i < name.size() && !IsSeparator(name[i]))
            continue;
        path /= std::string(name.substr(start, i - start));
        start = i + 1;
    }
    return path;
}

bool NameSet::Insert(std::string_view name)
{
    std::string upper(name);
    for (char& c : upper)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return m_upperNames.insert(std::move(upper)).second;
}

std::filesystem::path ArgumentPath(const std::string& argument)
{
    return std::filesystem::path(argument);
}

std::string PathText(const std::filesystem::path& path)
{
    auto text = path.u8string();
    return std::string(text.begin(), text.end());
}

}
