// The command table of patchkit: finds the command named on the command line and runs it, or
// explains the usage.
#include "tools/patchkit.h"
#include "tools/command_support.h"
#include "tools/font_commands.h"
#include "tools/picture_commands.h"
#include "tools/text_commands.h"

#include <ostream>
#include <string_view>

namespace patchkit {

namespace {

struct Command {
    std::string_view name;
    int (*run)(const Arguments&, std::ostream&, std::ostream&);
    std::string_view usage;
};

// Not constexpr: native-only commands are pointers that the backend file defines.
const Command COMMANDS[] = {
    { "pack", Pack,
        "pack SRC_DIR OUT.cbf [--method auto|store|lzw|scramble] [--dir-version 0|1] [--order N]"
        " [--follow-links]" },
    { "list", List, "list ARCHIVE" },
    { "extract", Extract, "extract ARCHIVE OUT_DIR" },
    { "verify", Verify, "verify ARCHIVE" },
    { "dump", Dump, "dump FILE --lang CODE" },
    { "lint", Lint, "lint FILE... [--lang CODE]..." },
    { "font", native::Font,
        "font FONT_FILE OUT.fnt --size PX [--first N] [--count N] [--codepage N]"
        "   (native builds only)" },
    { "fontinfo", FontInfo, "fontinfo FILE.fnt" },
    { "topng", native::ToPng, "topng INPUT OUT.png   (native builds only)" },
    { "preview", Preview, "preview DIST_DIR OUT_DIR [--lang CODE]... [--strict]" },
    { "tour", TourCommand, "tour DIST_DIR PAGES_DIR [--lang CODE]" },
};

void PrintUsage(std::ostream& out)
{
    out << "usage:\n";
    for (const Command& command : COMMANDS)
        out << "  patchkit " << command.usage << '\n';
}

}

int Main(int argc, const char* const* argv, std::ostream& out, std::ostream& err)
{
    Arguments arguments;
    for (int i = 1; i < argc; ++i)
        arguments.emplace_back(argv[i]);
    return Run(arguments, out, err);
}

int Run(const Arguments& arguments, std::ostream& out, std::ostream& err)
{
    if (arguments.empty())
        return Fail(err, "no command given (try 'patchkit help')");
    const std::string& name = arguments[0];
    if (name == "help" || name == "--help" || name == "-h") {
        PrintUsage(out);
        return 0;
    }
    for (const Command& command : COMMANDS)
        if (command.name == name)
            return command.run != nullptr
                ? command.run(arguments, out, err)
                : Fail(err, "'" + name + "' is only in native builds of patchkit");
    return Fail(err, "unknown command '" + name + "' (try 'patchkit help')");
}

int UsageError(std::ostream& err, std::string_view commandName)
{
    for (const Command& command : COMMANDS)
        if (command.name == commandName)
            return Fail(err, "usage: patchkit " + std::string(command.usage));
    return Fail(err, "bad arguments");
}

}
