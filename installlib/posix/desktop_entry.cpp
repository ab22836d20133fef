// Link files on POSIX: freedesktop ".desktop" entries. A link's properties become the keys of
// the entry; its target and arguments become the Exec line, each argument quoted.
#include "installlib/os_shell.h"
#include "installlib/posix/posix_text.h"

#include <fcntl.h>
#include <optional>
#include <string>
#include <unistd.h>
#include <vector>

namespace installlib::os {

namespace {

// A value of type string: backslash and control characters escaped, a leading space kept.
std::string EscapeString(const std::string& text)
{
    std::string out;
    for (char c : text) {
        if (c == '\\')
            out += "\\\\";
        else if (c == '\n')
            out += "\\n";
        else if (c == '\t')
            out += "\\t";
        else if (c == '\r')
            out += "\\r";
        else
            out += c;
    }
    if (!out.empty() && out[0] == ' ')
        out.replace(0, 1, "\\s");
    return out;
}

// One argument of the Exec line in double quotes, with the characters that quoting does not
// protect escaped and "%" doubled (it introduces field codes).
std::string QuoteArgument(const std::string& argument)
{
    std::string out = "\"";
    for (char c : argument) {
        if (c == '"' || c == '`' || c == '$' || c == '\\')
            out += '\\';
        if (c == '%')
            out += '%';
        out += c;
    }
    return out + "\"";
}

// Splits a command line as the system's programs read theirs: blanks separate arguments
// outside double quotes, the quotes themselves are dropped.
std::vector<std::string> SplitArguments(const std::string& line)
{
    std::vector<std::string> arguments;
    std::string current;
    bool quoted = false, started = false;
    for (char c : line) {
        if (c == '"') {
            quoted = !quoted;
            started = true;
        } else if ((c == ' ' || c == '\t') && !quoted) {
            if (started)
                arguments.push_back(current);
            current.clear();
            started = false;
        } else {
            current += c;
            started = true;
        }
    }
    if (started)
        arguments.push_back(current);
    return arguments;
}

std::string ExecLine(const std::string& target, const std::string* arguments)
{
    std::string line = QuoteArgument(posix::NativePath(target));
    if (arguments)
        for (const std::string& argument : SplitArguments(*arguments)) {
            line += ' ';
            line += QuoteArgument(argument);
        }
    return EscapeString(line);
}

// The entry's file: the link path as a POSIX path with ".desktop" in place of ".lnk".
std::string EntryPath(const std::string& linkPath)
{
    std::string path = posix::NativePath(linkPath);
    const size_t dot = path.size() >= 4 ? path.size() - 4 : std::string::npos;
    if (dot != std::string::npos && path[dot] == '.' && (path[dot + 1] | 0x20) == 'l'
        && (path[dot + 2] | 0x20) == 'n' && (path[dot + 3] | 0x20) == 'k')
        path.erase(dot);
    return path + ".desktop";
}

// The shortcut's name: the entry's file name without its folder and extension.
std::string EntryName(const std::string& entryPath)
{
    const size_t slash = entryPath.rfind('/');
    const std::string file = entryPath.substr(slash == std::string::npos ? 0 : slash + 1);
    return file.substr(0, file.size() - std::string(".desktop").size());
}

// The link's properties as UTF-8; false when one of them is not valid text.
struct Utf8Link {
    std::string target;
    std::optional<std::string> description, workingFolder, iconFile, arguments;
    int32_t iconIndex = 0;
};

bool Convert(const char16_t* text, std::optional<std::string>* out)
{
    if (!text)
        return true;
    *out = posix::ToUtf8(text);
    return out->has_value();
}

std::string EntryText(const Utf8Link& link, const std::string& name)
{
    std::string text = "[Desktop Entry]\nType=Application\nVersion=1.0\n";
    text += "Name=" + EscapeString(name) + "\n";
    if (link.description)
        text += "Comment=" + EscapeString(*link.description) + "\n";
    text += "Exec=" + ExecLine(link.target, link.arguments ? &*link.arguments : nullptr) + "\n";
    if (link.workingFolder)
        text += "Path=" + EscapeString(posix::NativePath(*link.workingFolder)) + "\n";
    if (link.iconFile) {
        text += "Icon=" + EscapeString(posix::NativePath(*link.iconFile)) + "\n";
        if (link.iconIndex != 0)
            text += "X-Patcher-IconIndex=" + std::to_string(link.iconIndex) + "\n";
    }
    return text + "Terminal=false\n";
}

bool WriteWhole(const std::string& path, const std::string& text)
{
    const int file = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (file < 0)
        return false;
    size_t done = 0;
    while (done < text.size()) {
        const ssize_t written = write(file, text.data() + done, text.size() - done);
        if (written <= 0)
            break;
        done += static_cast<size_t>(written);
    }
    const bool closed = close(file) == 0;
    if (done == text.size() && closed)
        return true;
    unlink(path.c_str());
    return false;
}

bool WriteEntry(const LinkText<char16_t>& link, const char16_t* linkPath)
{
    Utf8Link utf8;
    std::optional<std::string> target, path;
    if (!Convert(link.target, &target) || !target || !Convert(linkPath, &path) || !path
        || !Convert(link.description, &utf8.description)
        || !Convert(link.workingFolder, &utf8.workingFolder)
        || !Convert(link.iconFile, &utf8.iconFile) || !Convert(link.arguments, &utf8.arguments))
        return false;
    utf8.target = *target;
    utf8.iconIndex = link.iconIndex;
    const std::string entryPath = EntryPath(*path);
    return WriteWhole(entryPath, EntryText(utf8, EntryName(entryPath)));
}

// The 8-bit text of a property (UTF-8) as wide text; false when it is not valid UTF-8.
bool Widen(const char* text, std::optional<std::u16string>* out)
{
    if (!text)
        return true;
    *out = posix::FromUtf8(text);
    return out->has_value();
}

const char16_t* Pointer(const std::optional<std::u16string>& text)
{
    return text ? text->c_str() : nullptr;
}

}

bool WriteLinkW(const LinkText<char16_t>& link, const char16_t* linkPath)
{
    return WriteEntry(link, linkPath);
}

bool LinkFilePath(const char16_t* linkPath, char16_t* buffer, uint32_t capacity)
{
    const std::optional<std::string> path = posix::ToUtf8(linkPath);
    const auto entry = path ? posix::FromUtf8(EntryPath(*path).c_str()) : std::nullopt;
    return entry && posix::AnswerText(*entry, buffer, capacity) < capacity;
}

bool WriteLinkA(const LinkText<char>& link, const char16_t* linkPath)
{
    std::optional<std::u16string> target, description, workingFolder, iconFile, arguments;
    if (!Widen(link.target, &target) || !Widen(link.description, &description)
        || !Widen(link.workingFolder, &workingFolder) || !Widen(link.iconFile, &iconFile)
        || !Widen(link.arguments, &arguments))
        return false;
    const LinkText<char16_t> wide { Pointer(target), Pointer(description), Pointer(workingFolder),
        Pointer(iconFile), link.iconIndex, Pointer(arguments) };
    return WriteEntry(wide, linkPath);
}

}
