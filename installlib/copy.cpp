// Copying to a real file: from a real file (CopyDiskFile) or from a file of the virtual file
// system (CopyArchiveFile), in chunks of 64 KB through one buffer, into a file replacement: a
// copy that fails leaves the destination as it was and no partial file behind.
#include "installlib/installlib_internal.h"

#include "bigfile/bigfile.h"

namespace {

using namespace installlib::detail;

// Where the bytes of a copy come from. Read fills exactly count bytes or fails.
class CopySource {
public:
    virtual ~CopySource() = default;
    virtual uint64_t Size() const = 0;
    virtual bool Read(void* buffer, uint32_t count) = 0;
};

class DiskSource final : public CopySource {
public:
    explicit DiskSource(SYS_Handle file)
        : m_file(file)
    {
        if (m_file != 0 && SYS_FileSize(m_file, &m_size) != SYS_OK)
            Close();
    }
    ~DiskSource() override { Close(); }
    bool IsOpen() const { return m_file != 0; }
    uint64_t Size() const override { return m_size; }
    bool Read(void* buffer, uint32_t count) override
    {
        return Sys().readFile(m_file, buffer, count) == SYS_OK;
    }

private:
    void Close()
    {
        if (m_file != 0)
            (void)SYS_FileClose(m_file);
        m_file = 0;
    }
    SYS_Handle m_file;
    uint32_t m_size = 0;
};

class ArchiveSource final : public CopySource {
public:
    explicit ArchiveSource(const char* virtualPath)
        : m_file(BF_Open(virtualPath, BF_GENERIC_READ))
    {
        m_size = m_file != 0 ? BF_GetSize(m_file) : BF_BAD_POSITION;
    }
    ~ArchiveSource() override
    {
        if (m_file != 0)
            BF_Close(m_file);
    }
    bool IsOpen() const { return m_file != 0 && m_size != BF_BAD_POSITION; }
    uint64_t Size() const override { return m_size; }
    bool Read(void* buffer, uint32_t count) override
    {
        return BF_Read(m_file, buffer, count) == count;
    }

private:
    BF_Handle m_file;
    uint64_t m_size;
};

SYS_Handle OpenDiskFile(const char16_t* path)
{
    if (UseWideCalls())
        return SYS_FileOpenW(path, SYS_OPEN_READ);
    char narrow[PATH_CAPACITY];
    return ToFileApi(narrow, sizeof(narrow), path) ? SYS_FileOpen(narrow, SYS_OPEN_READ) : 0;
}

// Moves every byte of source into the replacement; false at the first short read or write.
bool CopyBytes(CopySource& source, InstallLib_FileReplacement& destination)
{
    void* buffer = SYS_Alloc(COPY_CHUNK, "Copy tmp", TAG);
    if (!buffer)
        return false;
    uint64_t remaining = source.Size();
    bool copied = true;
    while (remaining > 0 && copied) {
        const auto chunk = static_cast<uint32_t>(remaining < COPY_CHUNK ? remaining : COPY_CHUNK);
        copied = source.Read(buffer, chunk) && destination.Write(buffer, chunk) != 0;
        remaining -= chunk;
    }
    SYS_Free(buffer);
    return copied;
}

// Fills a replacement of destination from source and puts it in place only when it is whole.
int CopyToDestination(CopySource& source, const char16_t* destination)
{
    InstallLib_FileReplacement replacement;
    return replacement.Begin(destination) && CopyBytes(source, replacement) ? replacement.Commit()
                                                                            : 0;
}

}

int CopyDiskFile(const char16_t* destination, const char16_t* source)
{
    if (!destination || !source)
        return 0;
    DiskSource input(OpenDiskFile(source));
    return input.IsOpen() ? CopyToDestination(input, destination) : 0;
}

int CopyArchiveFile(const char16_t* destination, const char* virtualPath)
{
    if (!destination || !virtualPath)
        return 0;
    ArchiveSource input(virtualPath);
    return input.IsOpen() ? CopyToDestination(input, destination) : 0;
}
