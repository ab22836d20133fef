// The Windows builds have neither FreeType nor libpng: their native-only commands are absent,
// and the dispatch tells the user to run a native build instead.
#include "tools/font_commands.h"

namespace patchkit::native {

int (*const Font)(const Arguments&, std::ostream&, std::ostream&) = nullptr;

}
