// patchkit's entry point: everything it does lives in the command library.
#include "tools/patchkit.h"

#include <iostream>

int main(int argc, char** argv)
{
    return patchkit::Main(argc, argv, std::cout, std::cerr);
}
