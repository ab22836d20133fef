// The toolkit's private header: the lists every window keeps.
#pragma once

#include "guib/guib.h"

#include <vector>

struct c_GUIB_Window::Lists {
    struct Callback {
        GUIB_Callback function;
        uintptr_t user;
    };
    std::vector<c_GUIB_Window*> children; // z-order, front first; no references
    std::vector<Callback> callbacks; // most recently added first
};
