// The installer program on POSIX systems: the arguments joined into a command line of the
// Windows form (the program path quoted first), shown in the headless window.
#include "patcher/patcher.h"

#include <string>

int main(int argc, char** argv)
{
    std::string commandLine = "\"" + std::string(argc > 0 ? argv[0] : "") + "\"";
    for (int i = 1; i < argc; ++i)
        commandLine += std::string(" ") + argv[i];
    return PTCH_Run(0, commandLine.c_str());
}
