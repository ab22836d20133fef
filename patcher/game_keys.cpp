// The game key table: each edition of the game keeps its installation folder and its version
// record below a key of its own under HKEY_LOCAL_MACHINE.
#include "patcher/patcher.h"

const char* GetGameKeyPath(uint32_t edition)
{
    switch (edition) {
    case 0:
        return "SOFTWARE\\Varnholt\\Ashgrove";
    case 1:
        return "SOFTWARE\\Varnholt\\Ashgrove XR MP Demo";
    case 2:
        return "SOFTWARE\\Varnholt\\Ashgrove preview";
    case 4:
        return "SOFTWARE\\Varnholt\\Ashgrove XR SP Demo";
    default:
        return "SOFTWARE\\Varnholt\\Ashgrove - unknown version";
    }
}
