// Copying to a real file: from a real file (CopyDiskFile) or from a file of the virtual file
// system (CopyArchiveFile), in chunks of 64 KB through one buffer. A copy that fails after the
// destination was created deletes it, so no partial file is left to be taken for a whole one.
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

SYS_Handle CreateDiskFile(const char16_t* path)
{
    if (UseWideCalls())
        return SYS_FileCreateW(path);
    char narrow[PATH_CAPACITY];
    return ToFileApi(narrow, sizeof(narrow), path) ? SYS_FileCreate(narrow) : 0;
}

void DeleteDiskFile(const char16_t* path)
{
    if (UseWideCalls()) {
        (void)SYS_FileDeleteW(path);
        return;
    }
    char narrow[PATH_CAPACITY];
    if (ToFileApi(narrow, sizeof(narrow), path))
        (void)SYS_FileDelete(narrow);
}

// Moves every byte of source to destination; false at the first short read or write.
bool CopyBytes(CopySource& source, SYS_Handle destination)
{
    void* buffer = SYS_Alloc(COPY_CHUNK, "Copy tmp", TAG);
    if (!buffer)
        return false;
    uint64_t remaining = source.Size();
    bool copied = true;
    while (remaining > 0 && copied) {
        const auto chunk = static_cast<uint32_t>(remaining < COPY_CHUNK ? remaining : COPY_CHUNK);
        copied = source.Read(buffer, chunk) && SYS_FileWrite(destination, buffer, chunk) == SYS_OK;
        remaining -= chunk;
    }
    SYS_Free(buffer);
    return copied;
}

// Creates destination, fills it from source and closes it; deletes it again on failure.
int CopyToDestination(CopySource& source, const char16_t* destination)
{
    const SYS_Handle file = CreateDiskFile(destination);
    if (file == 0)
        return 0;
    const bool copied = CopyBytes(source, file);
    const bool closed = SYS_FileClose(file) != 0;
    if (copied && closed)
        return 1;
    DeleteDiskFile(destination);
    return 0;
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
