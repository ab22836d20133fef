// Shortcuts on Win32: the desktop and programs folders (SHGetSpecialFolderLocation) and shell
// link files written through IShellLinkW or IShellLinkA and IPersistFile.
#include "installlib/os_shell.h"
#include "platform/platform.h"

#include <windows.h>

#include <objbase.h>
#include <shlobj.h>

namespace installlib::os {

namespace {

// The item list of a special folder, freed with CoTaskMemFree.
class FolderItems {
public:
    explicit FolderItems(SpecialFolder folder)
    {
        if (FAILED(SHGetSpecialFolderLocation(nullptr, static_cast<int>(folder), &m_items)))
            m_items = nullptr;
    }
    ~FolderItems() { CoTaskMemFree(m_items); }
    FolderItems(const FolderItems&) = delete;
    FolderItems& operator=(const FolderItems&) = delete;
    LPITEMIDLIST Get() const { return m_items; }

private:
    LPITEMIDLIST m_items = nullptr;
};

// The calls of IShellLinkW and IShellLinkA that differ only by their text type.
template <typename Char> struct ShellLink;

template <> struct ShellLink<char16_t> {
    using Interface = IShellLinkW;
    using Text = const wchar_t*;
    static const IID& Id() { return IID_IShellLinkW; }
    static Text Cast(const char16_t* text) { return reinterpret_cast<Text>(text); }
};

template <> struct ShellLink<char> {
    using Interface = IShellLinkA;
    using Text = const char*;
    static const IID& Id() { return IID_IShellLinkA; }
    static Text Cast(const char* text) { return text; }
};

// Sets every property that is given; false when the link refuses one.
template <typename Char>
bool SetProperties(typename ShellLink<Char>::Interface* link, const LinkText<Char>& text)
{
    using Calls = ShellLink<Char>;
    HRESULT result = link->SetPath(Calls::Cast(text.target));
    if (SUCCEEDED(result) && text.description)
        result = link->SetDescription(Calls::Cast(text.description));
    if (SUCCEEDED(result) && text.workingFolder)
        result = link->SetWorkingDirectory(Calls::Cast(text.workingFolder));
    if (SUCCEEDED(result) && text.iconFile)
        result = link->SetIconLocation(Calls::Cast(text.iconFile), text.iconIndex);
    if (SUCCEEDED(result) && text.arguments)
        result = link->SetArguments(Calls::Cast(text.arguments));
    return SUCCEEDED(result);
}

// Saves the link through its persist-file interface; true only when Save succeeded.
bool Save(IUnknown* link, const char16_t* linkPath)
{
    IPersistFile* file = nullptr;
    if (FAILED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))))
        return false;
    const HRESULT saved = file->Save(reinterpret_cast<const wchar_t*>(linkPath), TRUE);
    file->Release();
    return SUCCEEDED(saved);
}

template <typename Char> bool WriteLink(const LinkText<Char>& text, const char16_t* linkPath)
{
    typename ShellLink<Char>::Interface* link = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
            ShellLink<Char>::Id(), reinterpret_cast<void**>(&link))))
        return false;
    const bool saved = SetProperties(link, text) && Save(link, linkPath);
    link->Release();
    return saved;
}

}

bool SpecialFolderPathW(SpecialFolder folder, char16_t* buffer, uint32_t capacity)
{
    // SHGetPathFromIDListW writes up to MAX_PATH units.
    FolderItems items(folder);
    return capacity >= MAX_PATH && items.Get()
        && SHGetPathFromIDListW(items.Get(), reinterpret_cast<wchar_t*>(buffer));
}

bool SpecialFolderPathA(SpecialFolder folder, char* buffer, uint32_t capacity)
{
    FolderItems items(folder);
    return capacity >= MAX_PATH && items.Get() && SHGetPathFromIDListA(items.Get(), buffer);
}

bool WriteLinkW(const LinkText<char16_t>& link, const char16_t* linkPath)
{
    return WriteLink(link, linkPath);
}

bool WriteLinkA(const LinkText<char>& link, const char16_t* linkPath)
{
    return WriteLink(link, linkPath);
}

bool LinkFilePath(const char16_t* linkPath, char16_t* buffer, uint32_t capacity)
{
    return SYS_WStrCopy(buffer, capacity, linkPath) < capacity;
}

}
