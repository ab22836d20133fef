// patchkit list: one line per member in directory order, NAME<TAB>SIZE<TAB>STORED_SIZE<TAB>
// METHOD, read straight from the directory so that it starts and ends quickly. A name the
// installer would refuse is marked with a fifth field, "refused: REASON".
#include "tools/archive_directory.h"
#include "tools/command_support.h"
#include "tools/patchkit.h"

#include <ostream>

namespace patchkit {

int List(const Arguments& arguments, std::ostream& out, std::ostream& err)
{
    if (arguments.size() != 2)
        return UsageError(err, "list");
    std::filesystem::path path = ArgumentPath(arguments[1]);
    ArchiveDirectory directory;
    std::string reason;
    if (!directory.Read(path, &reason))
        return Fail(err, PathText(path) + ": " + reason);
    std::string lines;
    for (const ArchiveEntry& entry : directory.Entries()) {
        uint64_t stored = 0;
        if (!directory.StoredSize(entry, &stored, &reason))
            return Fail(err, PathText(path) + ": " + reason);
        lines += ShownName(entry.name) + '\t' + std::to_string(entry.size) + '\t'
            + std::to_string(stored) + '\t' + MethodName(entry.method);
        if (const char* fault = InstallerNameFault(entry.name))
            lines += std::string("\trefused: ") + fault;
        lines += '\n';
    }
    out << lines;
    return 0;
}

}
