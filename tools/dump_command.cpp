// patchkit dump: the entries one language of a definition file gives, one per line, so that an
// author sees exactly what the installer will show.
#include "tools/command_support.h"
#include "tools/definition_session.h"
#include "tools/text_commands.h"

#include <ostream>

namespace patchkit {

namespace {

struct DumpOptions {
    std::string file;
    std::string language;
};

bool ParseDumpArguments(const Arguments& arguments, DumpOptions* options)
{
    for (size_t i = 1; i < arguments.size(); ++i) {
        if (arguments[i] == "--lang" && i + 1 < arguments.size() && options->language.empty())
            options->language = arguments[++i];
        else if (arguments[i].rfind("--", 0) != 0 && options->file.empty())
            options->file = arguments[i];
        else
            return false;
    }
    return !options->file.empty() && !options->language.empty();
}

}

int Dump(const Arguments& arguments, std::ostream& out, std::ostream& err)
{
    DumpOptions options;
    if (!ParseDumpArguments(arguments, &options))
        return UsageError(err, "dump");
    DefinitionSession session;
    if (!session.Started())
        return Fail(err, "cannot start the archive file system");
    std::string error;
    switch (session.Load(options.file, options.language, false, &error)) {
    case DefinitionSession::Result::Loaded:
        break;
    case DefinitionSession::Result::DefinitionError:
        err << error << '\n';
        return 1;
    case DefinitionSession::Result::Unreadable:
        return Fail(err, "cannot read " + options.file);
    }
    std::string text;
    for (int32_t id = 0; id < ML_ENTRY_COUNT; ++id) {
        if (!ML_HasString(id))
            continue;
        text = std::to_string(id) + '\t';
        AppendUtf8(text, ML_GetStringW(id), true);
        out << text << '\n';
    }
    return 0;
}

}
