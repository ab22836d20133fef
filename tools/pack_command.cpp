// patchkit pack: every file below SRC_DIR becomes a member named by its relative path with "\\"
// between folders. Links are not followed out of SRC_DIR unless asked for, and never to a
// folder. All names are checked before the output is created, and the archive is written under
// a name of its own, created afresh, that replaces OUT.cbf only when it is complete and on disk.
#include "tools/command_support.h"
#include "tools/host_files.h"
#include "tools/patchkit.h"

#include "bigfile/bigfile.h"

#include <algorithm>
#include <cstdio>
#include <ostream>

namespace patchkit {

namespace {

namespace fs = std::filesystem;

struct PackOptions {
    fs::path source;
    fs::path output;
    uint32_t method = BF_METHOD_AUTO;
    uint32_t dirVersion = 0;
    uint64_t order = 0;
    bool followLinks = false;
};

struct SourceFile {
    std::string name; // the member name
    fs::path path;
};

bool ParseUnsigned(const std::string& text, uint64_t* value)
{
    if (text.empty() || text.size() > 20)
        return false;
    uint64_t result = 0;
    for (char c : text) {
        if (c < '0' || c > '9' || result > (UINT64_MAX - (c - '0')) / 10)
            return false;
        result = result * 10 + static_cast<uint64_t>(c - '0');
    }
    *value = result;
    return true;
}

bool ParseMethod(const std::string& text, uint32_t* method)
{
    static constexpr std::pair<const char*, uint32_t> METHODS[]
        = { { "auto", BF_METHOD_AUTO }, { "store", BF_METHOD_STORED }, { "lzw", BF_METHOD_LZW },
              { "scramble", BF_METHOD_SCRAMBLED } };
    for (const auto& [name, value] : METHODS)
        if (text == name) {
            *method = value;
            return true;
        }
    return false;
}

bool ParseOption(const std::string& option, const std::string& value, PackOptions* options)
{
    uint64_t number = 0;
    if (option == "--method")
        return ParseMethod(value, &options->method);
    if (option == "--dir-version" && ParseUnsigned(value, &number) && number <= 1) {
        options->dirVersion = static_cast<uint32_t>(number);
        return true;
    }
    return option == "--order" && ParseUnsigned(value, &options->order);
}

bool ParseArguments(const Arguments& arguments, PackOptions* options)
{
    std::vector<std::string> positional;
    for (size_t i = 1; i < arguments.size(); ++i) {
        if (arguments[i].rfind("--", 0) != 0)
            positional.push_back(arguments[i]);
        else if (arguments[i] == "--follow-links")
            options->followLinks = true;
        else if (i + 1 == arguments.size() || !ParseOption(arguments[i], arguments[i + 1], options))
            return false;
        else
            ++i;
    }
    if (positional.size() != 2)
        return false;
    options->source = ArgumentPath(positional[0]);
    options->output = ArgumentPath(positional[1]);
    return true;
}

// The member name of a file below the source folder: its components joined with "\\". A
// component that holds a backslash itself (possible on POSIX) would change the folders.
bool MemberName(const fs::path& relative, std::string* name, std::string* reason)
{
    for (const fs::path& part : relative) {
        std::string text = PathText(part);
        if (text.find('\\') != std::string::npos) {
            *reason = "file name contains a backslash";
            return false;
        }
        *name += (name->empty() ? "" : "\\") + text;
    }
    return CheckMemberName(*name, reason);
}

// Why an entry below the source folder is not packed, or null when it is a file to pack.
const char* EntryFault(const fs::directory_entry& entry, bool followLinks)
{
    std::error_code error;
    switch (KindOf(entry.path())) {
    case EntryKind::File:
        return nullptr;
    case EntryKind::Link:
        if (fs::is_directory(entry.path(), error))
            return "link to a folder, which pack does not follow";
        if (!followLinks)
            return "link (--follow-links packs its target)";
        return fs::is_regular_file(entry.path(), error) ? nullptr : "link to no regular file";
    default:
        return "not a regular file";
    }
}

// Adds the files below folder, subfolders included; a link to a folder is never entered.
bool CollectFolder(const fs::path& source, const fs::path& folder, bool followLinks,
    std::vector<SourceFile>* files, std::string* reason)
{
    std::error_code error;
    fs::directory_iterator it(folder, error);
    for (; !error && it != fs::directory_iterator(); it.increment(error)) {
        fs::path relative = it->path().lexically_relative(source);
        if (KindOf(it->path()) == EntryKind::Folder) {
            if (!CollectFolder(source, it->path(), followLinks, files, reason))
                return false;
            continue;
        }
        SourceFile file { "", it->path() };
        const char* fault = EntryFault(*it, followLinks);
        std::string why = fault != nullptr ? fault : "";
        if (fault != nullptr || !MemberName(relative, &file.name, &why)) {
            *reason = PathText(relative) + ": refused: " + why;
            return false;
        }
        files->push_back(std::move(file));
    }
    if (error)
        *reason = PathText(folder) + ": cannot read the folder: " + error.message();
    return !error;
}

bool CollectFiles(const PackOptions& options, std::vector<SourceFile>* files, std::string* reason)
{
    std::error_code error;
    if (!fs::is_directory(options.source, error)) {
        *reason = PathText(options.source) + ": not a folder";
        return false;
    }
    return CollectFolder(options.source, options.source, options.followLinks, files, reason);
}

// Sorts the files by member name, so that the same tree always gives the same archive, and
// refuses two names that the file table would take for one.
bool SortFiles(std::vector<SourceFile>* files, std::string* reason)
{
    std::sort(files->begin(), files->end(),
        [](const SourceFile& a, const SourceFile& b) { return a.name < b.name; });
    NameSet names;
    for (const SourceFile& file : *files)
        if (!names.Insert(file.name)) {
            *reason
                = file.name + ": refused: another file has the same name apart from letter case";
            return false;
        }
    return true;
}

bool WriteArchive(const PackOptions& options, const fs::path& target,
    const std::vector<SourceFile>& files, uint64_t* inputBytes, std::string* reason)
{
    BF_ArchiveWriter writer;
    std::vector<uint8_t> bytes;
    bool written = writer.Open(target.u16string().c_str(), options.dirVersion, options.order);
    for (size_t i = 0; written && i < files.size(); ++i) {
        std::string why;
        if (!ReadRegularFile(files[i].path, options.followLinks, &bytes, &why)) {
            *reason = PathText(files[i].path) + ": " + why;
            return false;
        }
        *inputBytes += bytes.size();
        written = writer.Add(files[i].name.c_str(), bytes.data(), bytes.size(), options.method);
    }
    if (written && writer.Finish())
        return true;
    *reason = PathText(options.output) + ": " + writer.Error();
    return false;
}

// The archive is written under partial, which must not exist before: an older one (or a link
// planted under that name) is never written through or removed. Once complete, its bytes are
// put on disk and it takes the output's name in one step, so the old output stays until then.
bool WriteOutput(const PackOptions& options, const fs::path& partial,
    const std::vector<SourceFile>& files, uint64_t* inputBytes, std::string* reason)
{
    OutputFile claim;
    std::string why;
    if (!claim.Open(partial, OutputFile::Mode::CreateNew, &why) || !claim.Close()) {
        *reason
            = PathText(partial) + ": cannot create the file (" + why + "); remove what is there";
        return false;
    }
    bool written = WriteArchive(options, partial, files, inputBytes, reason);
    if (written && (!SyncFile(partial, &why) || !MoveOver(partial, options.output, &why))) {
        *reason = PathText(options.output) + ": " + why;
        written = false;
    }
    std::error_code error;
    if (!written)
        fs::remove(partial, error);
    return written;
}

std::string Summary(size_t members, uint64_t inputBytes, uint64_t archiveBytes)
{
    char ratio[32];
    std::snprintf(ratio, sizeof ratio, "%.3f",
        archiveBytes ? static_cast<double>(inputBytes) / static_cast<double>(archiveBytes) : 0.0);
    return "packed " + std::to_string(members) + " members, " + std::to_string(inputBytes)
        + " bytes into " + std::to_string(archiveBytes) + " bytes (ratio " + ratio + ")";
}

}

int Pack(const Arguments& arguments, std::ostream& out, std::ostream& err)
{
    PackOptions options;
    if (!ParseArguments(arguments, &options))
        return UsageError(err, "pack");
    std::vector<SourceFile> files;
    std::string reason;
    if (!CollectFiles(options, &files, &reason) || !SortFiles(&files, &reason))
        return Fail(err, reason);
    fs::path partial = options.output;
    partial += ".partial";
    uint64_t inputBytes = 0;
    if (!WriteOutput(options, partial, files, &inputBytes, &reason))
        return Fail(err, reason);
    std::error_code error;
    out << Summary(files.size(), inputBytes, fs::file_size(options.output, error)) << '\n';
    return 0;
}

}
