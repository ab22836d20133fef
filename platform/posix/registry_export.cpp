// The text form of the POSIX registry: a REGEDIT4 registry export. The reader takes any bytes
// (the file may have been edited by hand or damaged) and keeps what it understands; the writer
// produces what the system's own export would, so the file can be imported on Windows.
#include "platform/platform.h"
#include "platform/posix/registry_hive.h"

#include <cstdio>

namespace platform::detail {

namespace {

constexpr std::string_view HEADER = "REGEDIT4";
constexpr std::string_view ROOT = "HKEY_LOCAL_MACHINE";
constexpr std::string_view EOL = "\r\n";
constexpr uint32_t TYPE_TEXT = 1;
constexpr uint32_t TYPE_BINARY = 3;
constexpr uint32_t TYPE_DWORD = 4;
// Hex lines are wrapped before they pass this column, as the system's export does.
constexpr size_t LINE_WIDTH = 80;

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

std::string_view TrimBlanks(std::string_view text)
{
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

bool StartsWithFolded(std::string_view text, std::string_view prefix)
{
    if (text.size() < prefix.size())
        return false;
    for (size_t i = 0; i < prefix.size(); ++i) {
        char c = text[i];
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
        if (c != prefix[i])
            return false;
    }
    return true;
}

// One line of the file without its line end (LF, CRLF or stray CRs before the LF).
std::string_view TakePhysicalLine(std::string_view& rest)
{
    size_t end = rest.find('\n');
    std::string_view line = rest.substr(0, end);
    rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
    while (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    return line;
}

// One logical line, blanks trimmed: a line ending in "\\" goes on with the next one.
bool TakeLogicalLine(std::string_view& rest, std::string& line)
{
    if (rest.empty())
        return false;
    line.clear();
    for (;;) {
        std::string_view piece = TrimBlanks(TakePhysicalLine(rest));
        bool continues = !piece.empty() && piece.back() == '\\' && !rest.empty();
        if (continues)
            piece.remove_suffix(1);
        line += piece;
        if (!continues)
            return true;
    }
}

// A quoted text at the start of rest, with "\\\\" and "\\\"" undone; rest moves past it.
bool TakeQuoted(std::string_view& rest, std::string& text)
{
    if (rest.empty() || rest.front() != '"')
        return false;
    text.clear();
    for (size_t i = 1; i < rest.size(); ++i) {
        char c = rest[i];
        if (c == '"') {
            rest.remove_prefix(i + 1);
            return true;
        }
        if (c == '\\' && i + 1 < rest.size() && (rest[i + 1] == '\\' || rest[i + 1] == '"'))
            c = rest[++i];
        text += c;
    }
    return false;
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// One to maxDigits hexadecimal digits and nothing else.
bool ParseHexNumber(std::string_view digits, size_t maxDigits, uint32_t& number)
{
    if (digits.empty() || digits.size() > maxDigits)
        return false;
    number = 0;
    for (char c : digits) {
        int digit = HexDigit(c);
        if (digit < 0)
            return false;
        number = number << 4 | static_cast<uint32_t>(digit);
    }
    return true;
}

// Comma-separated bytes of one or two hex digits; blanks and empty items are allowed.
bool ParseHexBytes(std::string_view list, std::vector<uint8_t>& bytes)
{
    while (!list.empty()) {
        size_t comma = list.find(',');
        std::string_view item = TrimBlanks(list.substr(0, comma));
        list.remove_prefix(comma == std::string_view::npos ? list.size() : comma + 1);
        uint32_t byte = 0;
        if (item.empty())
            continue;
        if (!ParseHexNumber(item, 2, byte))
            return false;
        bytes.push_back(static_cast<uint8_t>(byte));
    }
    return true;
}

// "hex:" is binary; "hex(N):" names the type N in hex.
bool ParseHexData(std::string_view data, HiveValue& value)
{
    data.remove_prefix(3);
    value.type = TYPE_BINARY;
    if (!data.empty() && data.front() == '(') {
        size_t close = data.find(')');
        if (close == std::string_view::npos
            || !ParseHexNumber(data.substr(1, close - 1), 8, value.type))
            return false;
        data.remove_prefix(close + 1);
    }
    if (data.empty() || data.front() != ':')
        return false;
    return ParseHexBytes(data.substr(1), value.data);
}

bool ParseData(std::string_view data, HiveValue& value)
{
    if (!data.empty() && data.front() == '"') {
        std::string text;
        if (!TakeQuoted(data, text) || !data.empty())
            return false;
        value.type = TYPE_TEXT;
        value.data.assign(text.begin(), text.end());
        value.data.push_back(0);
        return true;
    }
    if (StartsWithFolded(data, "DWORD:")) {
        uint32_t number = 0;
        if (!ParseHexNumber(data.substr(6), 8, number))
            return false;
        value.type = TYPE_DWORD;
        value.data.assign(4, 0);
        SYS_StoreU32(value.data.data(), number);
        return true;
    }
    return StartsWithFolded(data, "HEX") && ParseHexData(data, value);
}

// `@=data` or `"Name"=data`; anything else, deletions ("=-") included, is skipped.
void ParseValueLine(HiveKey& key, std::string_view line)
{
    std::string name;
    if (!line.empty() && line.front() == '@')
        line.remove_prefix(1);
    else if (!TakeQuoted(line, name))
        return;
    line = TrimBlanks(line);
    if (line.empty() || line.front() != '=')
        return;
    HiveValue value;
    if (ParseData(TrimBlanks(line.substr(1)), value))
        (void)SetValue(key, name, value.type, value.data.data(), value.data.size());
}

// `[HKEY_LOCAL_MACHINE\\Path]` gives the key that the following values belong to; sections of
// other roots and deletions ("[-...]") give none, so their values are skipped.
HiveKey* ParseSection(Hive& hive, std::string_view line)
{
    size_t close = line.rfind(']');
    if (close == std::string_view::npos)
        return nullptr;
    std::string_view name = line.substr(1, close - 1);
    if (!StartsWithFolded(name, ROOT))
        return nullptr;
    name.remove_prefix(ROOT.size());
    std::string path;
    if ((!name.empty() && name.front() != '\\') || !CanonicalKeyPath(name, path))
        return nullptr;
    return &hive.CreateKey(path);
}

bool IsPlainText(const HiveValue& value)
{
    const auto& data = value.data;
    if (value.type != TYPE_TEXT || data.empty() || data.back() != 0)
        return false;
    for (size_t i = 0; i + 1 < data.size(); ++i)
        if (data[i] == 0 || data[i] == '\r' || data[i] == '\n')
            return false;
    return true;
}

void WriteQuoted(std::string& out, std::string_view text)
{
    out += '"';
    for (char c : text) {
        if (c == '\\' || c == '"')
            out += '\\';
        out += c;
    }
    out += '"';
}

void WriteHex(std::string& out, const HiveValue& value, size_t lineStart)
{
    char text[24];
    if (value.type == TYPE_BINARY)
        out += "hex:";
    else
        out.append(
            text, static_cast<size_t>(std::snprintf(text, sizeof text, "hex(%x):", value.type)));
    for (size_t i = 0; i < value.data.size(); ++i) {
        if (out.size() - lineStart + 3 >= LINE_WIDTH) {
            out += '\\';
            out += EOL;
            lineStart = out.size();
            out += "  ";
        }
        std::snprintf(text, sizeof text, "%02x", value.data[i]);
        out += text;
        if (i + 1 < value.data.size())
            out += ',';
    }
}

void WriteValue(std::string& out, const HiveValue& value)
{
    size_t lineStart = out.size();
    if (value.name.empty())
        out += '@';
    else
        WriteQuoted(out, value.name);
    out += '=';
    const auto& data = value.data;
    if (IsPlainText(value)) {
        WriteQuoted(
            out, std::string_view(reinterpret_cast<const char*>(data.data()), data.size() - 1));
    } else if (value.type == TYPE_DWORD && data.size() == 4) {
        char text[16];
        std::snprintf(text, sizeof text, "dword:%08x", SYS_LoadU32(data.data()));
        out += text;
    } else {
        WriteHex(out, value, lineStart);
    }
    out += EOL;
}

}

bool HasHiveHeader(std::string_view text)
{
    constexpr std::string_view BOM = "\xEF\xBB\xBF";
    if (text.substr(0, BOM.size()) == BOM)
        text.remove_prefix(BOM.size());
    return TrimBlanks(TakePhysicalLine(text)) == HEADER;
}

Hive ParseHive(std::string_view text)
{
    Hive hive;
    HiveKey* current = nullptr;
    std::string line;
    while (TakeLogicalLine(text, line)) {
        if (!line.empty() && line.front() == '[')
            current = ParseSection(hive, line);
        else if (current != nullptr)
            ParseValueLine(*current, line);
    }
    return hive;
}

std::string WriteHive(const Hive& hive)
{
    std::string out(HEADER);
    out += EOL;
    out += EOL;
    for (const auto& [folded, key] : hive.Keys()) {
        out += '[';
        out += ROOT;
        if (!key.path.empty())
            out += '\\';
        out += key.path;
        out += ']';
        out += EOL;
        for (const auto& [foldedName, value] : key.values)
            WriteValue(out, value);
        out += EOL;
    }
    return out;
}

}
