// patchkit pack: every file below SRC_DIR becomes a member named by its relative path with "\\"
// between folders. All names are checked before the output is created, and the archive is
// written under a temporary name that replaces OUT.cbf only when it is complete.
#include "tools/command_support.h"
#include "tools/patchkit.h"

#include "bigfile/bigfile.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
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

bool CollectFiles(const fs::path& source, std::vector<SourceFile>* files, std::string* reason)
{
    std::error_code error;
    if (!fs::is_directory(source, error)) {
        *reason = PathText(source) + ": not a folder";
        return false;
    }
    fs::recursive_directory_iterator it(source, error);
    for (; !error && it != fs::recursive_directory_iterator(); it.increment(error)) {
        if (it->is_directory(error))
            continue;
        fs::path relative = it->path().lexically_relative(source);
        SourceFile file { "", it->path() };
        std::string why = "not a regular file";
        if (!it->is_regular_file(error) || !MemberName(relative, &file.name, &why)) {
            *reason = PathText(relative) + ": refused: " + why;
            return false;
        }
        files->push_back(std::move(file));
    }
    if (error)
        *reason = PathText(source) + ": cannot read the folder: " + error.message();
    return !error;
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

bool ReadWholeFile(const fs::path& path, std::vector<uint8_t>* bytes)
{
    std::ifstream input(path, std::ios::binary | std::ios::ate);
    if (!input)
        return false;
    std::streamoff size = input.tellg();
    if (size < 0)
        return false;
    bytes->resize(static_cast<size_t>(size));
    input.seekg(0);
    return static_cast<bool>(input.read(reinterpret_cast<char*>(bytes->data()), size));
}

bool WriteArchive(const PackOptions& options, const fs::path& target,
    const std::vector<SourceFile>& files, uint64_t* inputBytes, std::string* reason)
{
    BF_ArchiveWriter writer;
    std::vector<uint8_t> bytes;
    bool written = writer.Open(target.u16string().c_str(), options.dirVersion, options.order);
    for (size_t i = 0; written && i < files.size(); ++i) {
        if (!ReadWholeFile(files[i].path, &bytes)) {
            *reason = PathText(files[i].path) + ": cannot read the file";
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

// Moves the finished archive over the output, replacing an older one.
bool ReplaceOutput(const fs::path& from, const fs::path& to, std::string* reason)
{
    std::error_code error;
    fs::rename(from, to, error);
    if (error && fs::remove(to, error))
        fs::rename(from, to, error);
    if (error)
        *reason = PathText(to) + ": cannot replace the file: " + error.message();
    return !error;
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
    if (!CollectFiles(options.source, &files, &reason) || !SortFiles(&files, &reason))
        return Fail(err, reason);
    fs::path partial = options.output;
    partial += ".partial";
    uint64_t inputBytes = 0;
    std::error_code error;
    if (!WriteArchive(options, partial, files, &inputBytes, &reason)
        || !ReplaceOutput(partial, options.output, &reason)) {
        fs::remove(partial, error);
        return Fail(err, reason);
    }
    out << Summary(files.size(), inputBytes, fs::file_size(options.output, error)) << '\n';
    return 0;
}

}
