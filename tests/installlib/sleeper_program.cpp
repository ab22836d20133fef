// A program for the tests of RunAndWait, built without the module: in its working folder it
// reads "sleep_ms.txt" (how long to run), sleeps that long, then writes "done.txt".
#include <chrono>
#include <fstream>
#include <thread>

int main()
{
    long milliseconds = 0;
    std::ifstream("sleep_ms.txt") >> milliseconds;
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
    std::ofstream done("done.txt");
    done << "done\n";
    return done.good() ? 0 : 1;
}
