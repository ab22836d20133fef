// The reference of scripts/bench_startup.sh: a C++ program that prints the wall clock
// (CLOCK_REALTIME, nanoseconds) as soon as its main runs and ends.
#include <cstdio>
#include <ctime>

int main()
{
    timespec now {};
    clock_gettime(CLOCK_REALTIME, &now);
    std::printf("%lld\n", static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec);
    return 0;
}
