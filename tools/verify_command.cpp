// patchkit verify: reads every member completely through the virtual file interface, as the
// installer does, and reports the member count, the bytes read and the throughput.
#include "tools/archive_directory.h"
#include "tools/command_support.h"
#include "tools/mounted_archive.h"
#include "tools/patchkit.h"

#include <chrono>
#include <cstdio>
#include <ostream>

namespace patchkit {

namespace {

std::string Summary(size_t members, uint64_t bytes, double seconds)
{
    char rate[32];
    std::snprintf(
        rate, sizeof rate, "%.1f", seconds > 0 ? static_cast<double>(bytes) / 1e6 / seconds : 0.0);
    return "verified " + std::to_string(members) + " members, " + std::to_string(bytes)
        + " bytes read, " + rate + " MB/s";
}

}

int Verify(const Arguments& arguments, std::ostream& out, std::ostream& err)
{
    if (arguments.size() != 2)
        return UsageError(err, "verify");
    std::filesystem::path path = ArgumentPath(arguments[1]);
    ArchiveDirectory directory;
    std::string reason;
    if (!directory.Read(path, &reason))
        return Fail(err, PathText(path) + ": " + reason);
    directory.Close();
    const std::vector<ArchiveEntry>& entries = directory.Entries();
    // Names are judged before any member is opened, so that a name the virtual file interface
    // would look for on disk (an absolute path, a drive) is never opened there.
    for (const ArchiveEntry& entry : entries)
        if (const char* fault = InstallerNameFault(entry.name))
            return Fail(err,
                PathText(path) + ": member " + ShownName(entry.name)
                    + " has a name the installer refuses: " + fault);
    size_t hidden = FindHiddenEntry(entries);
    if (hidden < entries.size())
        return Fail(err,
            PathText(path) + ": member " + entries[hidden].name
                + " is hidden by an earlier member of the same name");
    MountedArchive archive;
    if (!archive.Mount(path, &reason))
        return Fail(err, PathText(path) + ": " + reason);
    uint64_t total = 0;
    auto count = [&total](const uint8_t*, size_t n, std::string*) {
        total += n;
        return true;
    };
    auto start = std::chrono::steady_clock::now();
    for (const ArchiveEntry& entry : entries)
        if (!archive.ReadMember(entry.name, entry.size, count, &reason))
            return Fail(err, PathText(path) + ": " + reason);
    std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    out << Summary(entries.size(), total, elapsed.count()) << '\n';
    return 0;
}

}
