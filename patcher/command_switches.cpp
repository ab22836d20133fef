// The switches after the program path: "/silent" for an unattended run, "/lang=CODE" for the
// language when the installed record names none, "/log=FILE" for the run's report. Names are
// compared without regard to letter case; a value may be quoted to hold blanks.
#include "patcher/patcher_internal.h"

#include <cctype>
#include <string>
#include <vector>

namespace {

using namespace patcher::detail;

// The blank-separated tokens; double quotes group blanks into a token and are dropped.
std::vector<std::string> TokensOf(const char* text)
{
    std::vector<std::string> tokens;
    std::string token;
    bool quoted = false;
    bool any = false;
    for (; *text != 0; ++text) {
        if (*text == '"') {
            quoted = !quoted;
            any = true;
        } else if (*text == ' ' && !quoted) {
            if (any)
                tokens.push_back(token);
            token.clear();
            any = false;
        } else {
            token += *text;
            any = true;
        }
    }
    if (any)
        tokens.push_back(token);
    return tokens;
}

std::string Lower(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

bool SetLanguage(Switches& switches, const std::string& code)
{
    for (const PTCH_Language& language : PTCH_LANGUAGES)
        if (Lower(code) == Lower(language.code)) {
            switches.language = language.code;
            return true;
        }
    return false;
}

// Keeps the first refused switch.
void Refuse(Switches& switches, const std::string& token)
{
    if (switches.problem.empty())
        switches.problem = token;
}

void Take(Switches& switches, const std::string& token)
{
    const size_t equals = token.find('=');
    const std::string name = Lower(token.substr(0, equals));
    const std::string value = equals == std::string::npos ? "" : token.substr(equals + 1);
    if (name == "/silent" && equals == std::string::npos)
        switches.silent = true;
    else if (name == "/lang" && equals != std::string::npos && SetLanguage(switches, value))
        return;
    else if (name == "/log" && !value.empty() && value.size() < PTCH_PATH_CAPACITY)
        switches.logFile = value;
    else
        Refuse(switches, token);
}

}

namespace patcher::detail {

Switches SwitchesOf(const char* commandLine)
{
    Switches switches;
    for (const std::string& token : TokensOf(ArgumentsOf(commandLine)))
        Take(switches, token);
    return switches;
}

}
