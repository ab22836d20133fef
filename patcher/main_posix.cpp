// The installer program on POSIX systems: the arguments joined into a command line of the
// Windows form (the program path quoted first), shown in the headless window.
#include "patcher/patcher.h"

int main(int argc, char** argv)
{
    return PTCH_Run(0, PTCH_CommandLine(argc > 0 ? argv[0] : "", argc - 1, argv + 1).c_str());
}
