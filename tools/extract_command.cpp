// patchkit extract: writes every member below OUT_DIR under its name as stored, reading its
// bytes through the virtual file interface as the installer does. Every name, and every folder
// and file it leads to that already exists, is checked before anything is written, so a name
// that would leave OUT_DIR, or a link planted inside it, leaves nothing behind.
#include "tools/archive_directory.h"
#include "tools/command_support.h"
#include "tools/host_files.h"
#include "tools/mounted_archive.h"
#include "tools/patchkit.h"

#include <iterator>
#include <ostream>

namespace patchkit {

namespace {

namespace fs = std::filesystem;

// Two names that differ only in letter case or in which separator they use ("A/x", "a\\x")
// are one file on disk.
size_t FindCollidingEntry(const std::vector<ArchiveEntry>& entries)
{
    NameSet seen;
    for (size_t i = 0; i < entries.size(); ++i) {
        std::string folded = entries[i].name;
        for (char& c : folded)
            c = c == '/' ? '\\' : c;
        if (!seen.Insert(folded))
            return i;
    }
    return entries.size();
}

// The first entry that cannot be written safely below the output folder, with the reason.
bool CheckNames(const std::vector<ArchiveEntry>& entries, std::string* reason)
{
    for (const ArchiveEntry& entry : entries) {
        std::string why;
        if (!CheckMemberName(entry.name, &why)) {
            *reason = "member " + ShownName(entry.name) + " would leave the output folder: " + why;
            return false;
        }
    }
    size_t colliding = FindCollidingEntry(entries);
    if (colliding < entries.size()) {
        *reason = "member " + entries[colliding].name + " has the name of an earlier member";
        return false;
    }
    return true;
}

// One step of the walk to a member's file: an existing link, or a file where a folder belongs,
// refuses the member; a missing folder is created when create is set.
bool CheckStep(const fs::path& at, bool isFile, bool create, std::string* reason)
{
    std::error_code error;
    switch (KindOf(at)) {
    case EntryKind::Link:
        *reason = PathText(at) + " is a link, which extract does not write through";
        return false;
    case EntryKind::Missing:
        if (isFile || !create || fs::create_directory(at, error))
            return true;
        *reason = "cannot create the folder " + PathText(at);
        return false;
    case EntryKind::Folder:
        return true; // as the file's place, opening it fails with its own reason
    default:
        if (isFile)
            return true;
        *reason = PathText(at) + " is not a folder";
        return false;
    }
}

// Walks from root to the member's file, which goes to target.
bool WalkFolders(const fs::path& root, const std::string& name, bool create, fs::path* target,
    std::string* reason)
{
    const fs::path relative = MemberPath(fs::path(), name);
    auto left = std::distance(relative.begin(), relative.end());
    fs::path at = root;
    for (const fs::path& part : relative) {
        at /= part;
        if (!CheckStep(at, --left == 0, create, reason))
            return false;
    }
    *target = at;
    return true;
}

bool ExtractMember(
    MountedArchive& archive, const ArchiveEntry& entry, const fs::path& root, std::string* reason)
{
    fs::path target;
    OutputFile output;
    std::string why;
    if (!WalkFolders(root, entry.name, true, &target, reason))
        return false;
    if (!output.Open(target, OutputFile::Mode::Replace, &why)) {
        *reason = "cannot create " + PathText(target) + ": " + why;
        return false;
    }
    auto write = [&output, &target](const uint8_t* bytes, size_t n, std::string* failure) {
        if (output.Write(bytes, n))
            return true;
        *failure = "cannot write " + PathText(target);
        return false;
    };
    bool done = archive.ReadMember(entry.name, entry.size, write, reason);
    if (!output.Close() && done) {
        *reason = "cannot write " + PathText(target);
        done = false;
    }
    std::error_code error;
    if (!done)
        fs::remove(target, error);
    return done;
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
    fs::path target;
    for (const ArchiveEntry& entry : directory.Entries())
        if (!WalkFolders(root, entry.name, false, &target, &reason))
            return Fail(err, reason);
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
