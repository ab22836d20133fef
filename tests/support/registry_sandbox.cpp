// Key paths that no other test run uses.
#include "tests/support/registry_sandbox.h"

#include <atomic>
#include <chrono>

std::string test::UniqueTestKeyPath()
{
    static std::atomic<unsigned> serial { 0 };
    auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    return "Software\\PatcherTests\\run" + std::to_string(stamp) + "-" + std::to_string(serial++);
}
