// The installer's start up to its first frame: the program's own start (command line, every
// subsystem, the version record, the language, the window) and the wizard's first page drawn
// and presented by one pump of the headless window. It prints the wall clock (CLOCK_REALTIME,
// nanoseconds) at that moment, so that scripts/bench_startup.sh can take it against the moment
// it started the process, and then shuts down as the program does.
#include "patcher/patcher.h"

#include <cstdio>
#include <ctime>

int main(int argc, char** argv)
{
    if (PTCH_Launch(0, PTCH_CommandLine(argc > 0 ? argv[0] : "").c_str()) != PTCH_LAUNCHED)
        return 1;
    PTCH_Start();
    (void)PTCH_GetDesktop()->Pump();
    timespec now {};
    clock_gettime(CLOCK_REALTIME, &now);
    PTCH_Done();
    std::printf("%lld\n", static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec);
    return 0;
}
