// Helpers shared by patchkit's commands: the one-line failure report with the modules' trace
// reason, the installer's rule for member names, and the mapping of a member name to a path on
// disk.
#pragma once

#include "platform/platform.h"

#include <filesystem>
#include <iosfwd>
#include <string>
#include <string_view>
#include <unordered_set>

namespace patchkit {

// Writes "patchkit: <reason>" as one line to err and returns the failure status 1.
int Fail(std::ostream& err, std::string_view reason);
// Fail with the usage line of the named command.
int UsageError(std::ostream& err, std::string_view commandName);

// Keeps the first reason a module sends to the trace while it lives (one at a time), so that a
// refusal of the archive module reaches the one-line report.
class TraceReason {
public:
    TraceReason();
    ~TraceReason();
    TraceReason(const TraceReason&) = delete;
    TraceReason& operator=(const TraceReason&) = delete;

    // The first reason sent, or "<failure> (status 0x...)" when none was (a failure of the
    // system rather than of the archive's bytes).
    std::string Text(std::string_view failure, uint32_t status) const;

private:
    SYS_TraceSink m_previous;
};

// Why the installer would refuse a member name (BF_MemberNameFault, and a name of 256
// characters or more, which its scans cannot list), or null when it takes it.
const char* InstallerNameFault(std::string_view name);
// Whether pack may write a member name and extract may create it below a folder: one the
// installer takes, made of printable ASCII (which every code page reads alike). Otherwise
// reason says why.
bool CheckMemberName(std::string_view name, std::string* reason);
// A member name for a message or a listing: control bytes are written as \xNN.
std::string ShownName(std::string_view name);
// The path below root that a (checked) member name is installed at.
std::filesystem::path MemberPath(const std::filesystem::path& root, std::string_view name);

// Member names seen so far, compared without ASCII case as the file table compares them.
class NameSet {
public:
    // False when an equal name was inserted before.
    bool Insert(std::string_view name);

private:
    std::unordered_set<std::string> m_upperNames;
};

// A path given on the command line.
std::filesystem::path ArgumentPath(const std::string& argument);
// A path for messages, as UTF-8.
std::string PathText(const std::filesystem::path& path);

}
