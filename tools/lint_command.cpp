// patchkit lint: loads each definition file for each language as the installer would and
// reports the first error of every load, plus warnings about texts that load but that the
// installer cannot use: settings of the installer data that are not numbers or dates, and
// templates of the language files with the wrong conversions.
#include "tools/command_support.h"
#include "tools/definition_session.h"
#include "tools/text_commands.h"

#include "platform/platform.h"

#include <ostream>
#include <set>

namespace patchkit {

namespace {

// The installer data is the file the installer loads for "ENG" under this name.
constexpr std::string_view INSTALLER_DATA = "patcher.txt";
constexpr const char* INSTALLER_LANGUAGE = "ENG";
// Settings read as integers, and colours read as a flag and then an integer.
constexpr int32_t INTEGER_SETTINGS[] = { 308, 309, 421, 423, 424, 426 };
constexpr int32_t COLOUR_RANGES[][2] = { { 260, 265 }, { 280, 286 } };
constexpr int32_t DATE_SETTING = 422;
// Language texts used as templates, with the number of "%s" the wizard fills in.
constexpr int32_t TEMPLATES[][2] = { { 101, 1 }, { 181, 3 } };

struct LintOptions {
    std::vector<std::string> files;
    std::vector<std::string> languages;
};

bool ParseLintArguments(const Arguments& arguments, LintOptions* options)
{
    for (size_t i = 1; i < arguments.size(); ++i) {
        if (arguments[i] == "--lang" && i + 1 < arguments.size())
            options->languages.push_back(arguments[++i]);
        else if (arguments[i].rfind("--", 0) != 0)
            options->files.push_back(arguments[i]);
        else
            return false;
    }
    return !options->files.empty();
}

bool IsInstallerData(const std::string& file)
{
    std::string name(file.size() + 1, '\0');
    name.resize(SYS_PathFileName(name.data(), name.size(), file.c_str()));
    SYS_StrLower(name.data());
    return name == INSTALLER_DATA;
}

// A text quoted for a one-line report.
std::string Quoted(std::u16string_view text)
{
    std::string quoted = "\"";
    AppendUtf8(quoted, text, true);
    return quoted + "\"";
}

// A setting is worth a warning only when it holds a text: an absent or empty one gives the
// installer's default on purpose.
bool HasText(int32_t id)
{
    return ML_HasString(id) && ML_GetStringW(id)[0] != 0;
}

bool IsNumber(int32_t id)
{
    int32_t value = 0;
    return ML_GetInt(id, &value) != 0;
}

// Three numbers separated by ".", split as the installer splits the patch date.
bool IsDate(const char* text)
{
    std::string parts(SYS_StrLen(text) + 2, '\0');
    if (SYS_SplitTokens(parts.data(), parts.size(), text, ".") != 3)
        return false;
    int32_t value = 0;
    for (const char* part = parts.c_str(); *part; part += SYS_StrLen(part) + 1)
        if (SYS_ParseInt(&value, part) != SYS_OK)
            return false;
    return true;
}

void WarnSettings(const std::string& file, std::ostream& out)
{
    std::string prefix = file + ": warning: id ";
    for (int32_t id : INTEGER_SETTINGS)
        if (HasText(id) && !IsNumber(id))
            out << prefix << id << ' ' << Quoted(ML_GetStringW(id)) << " is not a number\n";
    for (const auto& range : COLOUR_RANGES)
        for (int32_t id = range[0]; id <= range[1]; ++id)
            if (ML_HasString(id) && ML_GetFlag(id) && !IsNumber(id))
                out << prefix << id << ' ' << Quoted(ML_GetStringW(id))
                    << " is set but is not a number\n";
    if (HasText(DATE_SETTING) && !IsDate(ML_GetStringA(DATE_SETTING)))
        out << prefix << DATE_SETTING << ' ' << Quoted(ML_GetStringW(DATE_SETTING))
            << " is not three numbers separated by \".\"\n";
}

bool IsConversionPart(char16_t c)
{
    return std::u16string_view(u"-+ #0123456789.*hlLqjzt").find(c) != std::u16string_view::npos;
}

// The "%" conversions of a template: how many are a plain string ("%s", with flags, width or
// precision at most), and the others as written. "%%" is a percent sign, not a conversion.
size_t ScanConversions(std::u16string_view text, std::vector<std::u16string_view>* others)
{
    size_t strings = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != u'%')
            continue;
        if (i + 1 < text.size() && text[i + 1] == u'%') {
            ++i;
            continue;
        }
        size_t end = i + 1;
        while (end < text.size() && IsConversionPart(text[end]))
            ++end;
        std::u16string_view directive = text.substr(i, end + 1 - i);
        bool plain = end < text.size() && text[end] == u's'
            && directive.find_first_of(u"*hlLqjzt") == std::u16string_view::npos;
        if (plain)
            ++strings;
        else
            others->push_back(directive);
        i = end;
    }
    return strings;
}

void WarnTemplates(const std::string& file, const std::string& language, std::ostream& out)
{
    std::string prefix = file + ": warning: " + language + ": text ";
    for (const auto& [id, expected] : TEMPLATES) {
        if (!ML_HasString(id))
            continue;
        std::vector<std::u16string_view> others;
        size_t strings = ScanConversions(ML_GetStringW(id), &others);
        if (strings != static_cast<size_t>(expected))
            out << prefix << id << " must hold exactly " << expected << " \"%s\" (it holds "
                << strings << ")\n";
        for (std::u16string_view other : others)
            out << prefix << id << " holds the conversion " << Quoted(other)
                << "; only \"%s\" is filled in\n";
    }
}

// Lints one file for each language; false when it cannot be read. found is set on an error.
bool LintFile(DefinitionSession& session, const std::string& file,
    const std::vector<std::string>& given, std::ostream& out, bool* found)
{
    std::vector<std::string> languages = given;
    if (languages.empty() && !session.Languages(file, &languages))
        return false;
    // A file without language lines is still checked for its syntax, with a code no line has.
    if (languages.empty())
        languages.push_back("");
    bool installerData = IsInstallerData(file);
    std::set<std::string> reported;
    for (const std::string& language : languages) {
        std::string error;
        auto result = session.Load(file, language, installerData, &error);
        if (result == DefinitionSession::Result::Unreadable)
            return false;
        if (result == DefinitionSession::Result::DefinitionError) {
            *found = true;
            if (reported.insert(error).second)
                out << error << '\n';
        }
        if (installerData && language == INSTALLER_LANGUAGE)
            WarnSettings(file, out);
        if (!installerData && !language.empty())
            WarnTemplates(file, language, out);
    }
    return true;
}

}

int Lint(const Arguments& arguments, std::ostream& out, std::ostream& err)
{
    LintOptions options;
    if (!ParseLintArguments(arguments, &options))
        return UsageError(err, "lint");
    DefinitionSession session;
    if (!session.Started())
        return Fail(err, "cannot start the archive file system");
    bool found = false;
    for (const std::string& file : options.files)
        if (!LintFile(session, file, options.languages, out, &found))
            return Fail(err, "cannot read " + file);
    return found ? 1 : 0;
}

}
