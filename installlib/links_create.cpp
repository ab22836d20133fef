// Creating link files: the records of the link list (CreateLinks), one link in the desktop
// folder or in a programs-menu group, and the single operation that writes a link file. Link
// paths are joined within 260 units, names and groups that would lead out of their folder are
// refused, and the 8-bit variant converts every property with a check before it is used.
#include "installlib/installlib_internal.h"

namespace {

using namespace installlib::detail;
using installlib::os::LinkText;
using installlib::os::SpecialFolder;

// A group is a folder below the programs folder: no drive, no stream, no ".." component.
bool IsSafeGroup(const char16_t* group)
{
    if (!group)
        return false;
    size_t componentStart = 0;
    for (size_t i = 0;; ++i) {
        const char16_t unit = group[i];
        if (unit == u':')
            return false;
        if (unit == 0 || unit == u'\\' || unit == u'/') {
            if (i - componentStart == 2 && group[componentStart] == u'.'
                && group[componentStart + 1] == u'.')
                return false;
            if (unit == 0)
                return true;
            componentStart = i + 1;
        }
    }
}

// The path of a special folder, from the wide call or from the 8-bit one converted (CP_ACP).
bool SpecialFolderPath(SpecialFolder folder, char16_t* path)
{
    if (UseWideCalls())
        return Sys().specialFolderPathW(folder, path, PATH_CAPACITY);
    char narrow[PATH_CAPACITY];
    return Sys().specialFolderPathA(folder, narrow, sizeof(narrow))
        && Sys().ansiToWide(path, PATH_CAPACITY, narrow) != 0;
}

// Creates the group folder; one that exists already is used as it is.
bool CreateGroupFolder(const char16_t* path)
{
    installlib::os::FolderResult result = installlib::os::FolderResult::Failed;
    if (UseWideCalls()) {
        result = Sys().createFolderW(path);
    } else {
        char narrow[PATH_CAPACITY];
        if (ToFileApi(narrow, sizeof(narrow), path))
            result = Sys().createFolderA(narrow);
    }
    return result != installlib::os::FolderResult::Failed;
}

// The 8-bit form of one property in a buffer of its own: null stays null; a conversion that
// fails or does not fit capacity (0: the size the text needs) marks the property failed.
class AnsiText {
public:
    AnsiText(const char16_t* text, uint32_t capacity)
    {
        if (!text)
            return;
        const uint32_t size = capacity != 0 ? capacity : Sys().wideToAnsi(nullptr, 0, text);
        if (size != 0)
            m_text = SYS_AllocArray<char>(size, "CreateLink - pWDestTmp", TAG);
        m_failed = !m_text || Sys().wideToAnsi(m_text.get(), size, text) == 0;
    }
    bool Failed() const { return m_failed; }
    const char* Get() const { return m_failed ? nullptr : m_text.get(); }

private:
    SYS_Block<char[]> m_text;
    bool m_failed = false;
};

// The 8-bit variant: paths and arguments in 260-byte buffers, the description in a block of
// the size its conversion needs. A property that cannot be converted fails the link, except the
// description, which is only a tool tip and is left out.
bool WriteAnsiLink(const LinkText<char16_t>& wide, const char16_t* linkPath)
{
    const AnsiText target(wide.target, PATH_CAPACITY);
    const AnsiText description(wide.description, 0);
    const AnsiText workingFolder(wide.workingFolder, PATH_CAPACITY);
    const AnsiText iconFile(wide.iconFile, PATH_CAPACITY);
    const AnsiText arguments(wide.arguments, PATH_CAPACITY);
    if (target.Failed() || workingFolder.Failed() || iconFile.Failed() || arguments.Failed())
        return false;
    const LinkText<char> narrow { target.Get(), description.Get(), workingFolder.Get(),
        iconFile.Get(), wide.iconIndex, arguments.Get() };
    return Sys().writeLinkA(narrow, linkPath);
}

// folder + separator + name within 260 units.
bool JoinLinkPath(char16_t* path, const char16_t* name)
{
    return EnsureSeparator(path, PATH_CAPACITY) && Append(path, PATH_CAPACITY, name);
}

// The path of link file name in the desktop folder (PATH_CAPACITY units).
bool DesktopLinkPath(char16_t* path, const char16_t* name)
{
    return IsPlainFileName(name) && SpecialFolderPath(SpecialFolder::DesktopDirectory, path)
        && JoinLinkPath(path, name);
}

// The path of link file name in the programs-menu group, whose folder is created.
bool ProgramsLinkPath(char16_t* path, const char16_t* group, const char16_t* name)
{
    return IsPlainFileName(name) && IsSafeGroup(group)
        && SpecialFolderPath(SpecialFolder::Programs, path) && JoinLinkPath(path, group)
        && CreateGroupFolder(path) && JoinLinkPath(path, name);
}

}

int CreateLink(const char16_t* linkPath, const char16_t* target, const char16_t* description,
    const char16_t* workingFolder, const char16_t* iconFile, int32_t iconIndex,
    const char16_t* arguments)
{
    if (!linkPath || !target || SYS_WStrLen(target) >= PATH_CAPACITY)
        return 0;
    const LinkText<char16_t> link { target, description, workingFolder, iconFile, iconIndex,
        arguments };
    const bool saved
        = UseWideCalls() ? Sys().writeLinkW(link, linkPath) : WriteAnsiLink(link, linkPath);
    return saved ? 1 : 0;
}

int CreateDesktopLink(const char16_t* name, const char16_t* target, const char16_t* description,
    const char16_t* workingFolder, const char16_t* iconFile, int32_t iconIndex,
    const char16_t* arguments)
{
    char16_t path[PATH_CAPACITY];
    if (!DesktopLinkPath(path, name))
        return 0;
    return CreateLink(path, target, description, workingFolder, iconFile, iconIndex, arguments);
}

int CreateProgramsLink(const char16_t* name, const char16_t* group, const char16_t* target,
    const char16_t* description, const char16_t* workingFolder, const char16_t* iconFile,
    int32_t iconIndex, const char16_t* arguments)
{
    char16_t path[PATH_CAPACITY];
    if (!ProgramsLinkPath(path, group, name))
        return 0;
    return CreateLink(path, target, description, workingFolder, iconFile, iconIndex, arguments);
}

namespace {

struct LinkReport {
    InstallLib_LinkHook created;
    void* context;
};

// Saves the link at path (built by made) and tells report's hook of its file.
void SaveLink(bool made, const char16_t* path, const LinkRecord& record,
    const char16_t* workingFolder, const char16_t* iconFile, const LinkReport& report)
{
    if (!made
        || CreateLink(path, record.target, record.description, workingFolder, iconFile,
               record.iconIndex, record.arguments)
            == 0)
        return;
    char16_t file[PATH_CAPACITY];
    if (report.created != nullptr && installlib::os::LinkFilePath(path, file, PATH_CAPACITY))
        report.created(report.context, file);
}

// Creates the link of one record when its kind is wanted; the result is not needed.
void CreateRecordLink(const LinkRecord& record, bool desktop, bool programs, const char16_t* group,
    const LinkReport& report)
{
    // Without an icon file, a non-zero index names an icon of the target itself.
    const char16_t* iconFile = record.iconFile ? record.iconFile
        : record.iconIndex != 0                ? record.target
                                               : nullptr;
    char16_t folder[PATH_CAPACITY];
    const bool hasFolder = FolderOf(folder, PATH_CAPACITY, record.target) && folder[0] != 0;
    const char16_t* workingFolder = hasFolder ? folder : nullptr;
    char16_t path[PATH_CAPACITY];
    if (record.kind == LINK_DESKTOP && desktop)
        SaveLink(DesktopLinkPath(path, record.name), path, record, workingFolder, iconFile, report);
    if (record.kind == LINK_PROGRAMS && programs)
        SaveLink(ProgramsLinkPath(path, group, record.name), path, record, workingFolder, iconFile,
            report);
}

}

int CreateLinks(
    bool desktop, bool programs, const char16_t* group, InstallLib_LinkHook created, void* context)
{
    SYS_ItemStore* list = LinkList();
    uint32_t count = 0;
    if (!list || SYS_StoreCount(list, &count) != SYS_OK || count == 0)
        return 0;
    for (uint32_t position = 0; position < count; ++position) {
        uint32_t id = 0;
        uintptr_t value = 0;
        if (SYS_StoreGetAt(list, static_cast<int32_t>(position), &id, &value) != SYS_OK)
            continue;
        CreateRecordLink(*reinterpret_cast<const LinkRecord*>(value), desktop, programs, group,
            { created, context });
        (void)SYS_StoreRelease(list, id, 1);
    }
    return 1;
}
