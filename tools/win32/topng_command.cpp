// The Windows builds have no libpng and so no topng; the dispatch tells the user to run a
// native build instead.
#include "tools/picture_commands.h"

namespace patchkit::native {

int (*const ToPng)(const Arguments&, std::ostream&, std::ostream&) = nullptr;

}
