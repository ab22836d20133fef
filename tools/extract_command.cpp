// patchkit extract: writes every member below OUT_DIR under its name as stored, reading its
// bytes through the virtual file interface as the installer does. Every name is checked before
// anything is written, so a name that would leave OUT_DIR leaves nothing behind.
#include "tools/archive_directory.h"
#include "tools/command_support.h"
#include "tools/mounted_archive.h"
#include "tools/patchkit.h"

#include <fstream>
#include <ostream>

namespace patchkit {

namespace {

// The first entry that cannot be written safely below the output folder, with the reason.
bool CheckNames(const std::vector<ArchiveEntry>& entries, std::string* reason)
{
    for (const ArchiveEntry& entry : entries) {
        std::string why;
        if (!CheckMemberName(entry.name, &why)) {
            *reason = "member " + entry.name + " would leave the output folder: " + why;
            return false;
        }
    }
    size_t hidden = FindHiddenEntry(entries);
    if (hidden < entries.size()) {
        *reason = "member " + entries[hidden].name + " has the name of an earlier member";
        return false;
    }
    return true;
}

bool ExtractMember(MountedArchive& archive, const ArchiveEntry& entry,
    const std::filesystem::path& root, std::string* reason)
{
    std::filesystem::path target = MemberPath(root, entry.name);
    std::error_code error;
    std::filesystem::create_directories(target.parent_path(), error);
    std::ofstream output(target, std::ios::binary | std::ios::trunc);
    if (!output) {
        *reason = "cannot create " + PathText(target);
        return false;
    }
    auto write = [&output, &target](const uint8_t* bytes, size_t n, std::string* why) {
        if (output.write(reinterpret_cast<const char*>(bytes), static_cast<std::streamsize>(n)))
            return true;
        *why = "cannot write " + PathText(target);
        return false;
    };
    bool done = archive.ReadMember(entry.name, entry.size, write, reason);
    output.close();
    if (done && !output)
        *reason = "cannot write " + PathText(target);
    if (!done || !output)
        std::filesystem::remove(target, error);
    return done && output;
}

}

int Extract(const Arguments& arguments, std::ostream& out, std::ostream& err)
{
    if (arguments.size() != 3)
        return UsageError(err, "extract");
    std::filesystem::path path = ArgumentPath(arguments[1]);
    std::filesystem::path root = ArgumentPath(arguments[2]);
    ArchiveDirectory directory;
    std::string reason;
    if (!directory.Read(path, &reason) || !CheckNames(directory.Entries(), &reason))
        return Fail(err, PathText(path) + ": " + reason);
    directory.Close();
    MountedArchive archive;
    if (!archive.Mount(path, &reason))
        return Fail(err, PathText(path) + ": " + reason);
    std::error_code error;
    std::filesystem::create_directories(root, error);
    uint64_t total = 0;
    for (const ArchiveEntry& entry : directory.Entries()) {
        if (!ExtractMember(archive, entry, root, &reason))
            return Fail(err, PathText(path) + ": " + reason);
        total += entry.size;
    }
    out << "extracted " << directory.Entries().size() << " members, " << total << " bytes\n";
    return 0;
}

}
