// Mounting through the archive file system and reading members through its virtual file
// interface. The module's trace reason for a refused archive is kept for the one-line report.
#include "tools/mounted_archive.h"
#include "tools/command_support.h"

#include "bigfile/bigfile.h"

#include <algorithm>

namespace patchkit {

namespace {

// Reads of whole LZW blocks from their start decode straight into the buffer, so the chunk is
// a multiple of the writer's block size.
constexpr uint32_t CHUNK_SIZE = 16 * BF_MAX_LZW_BLOCK;

// Closes a virtual file when it goes out of scope.
struct OpenMember {
    BF_Handle handle;
    ~OpenMember()
    {
        if (handle != 0)
            BF_Close(handle);
    }
};

}

MountedArchive::~MountedArchive()
{
    if (m_started)
        BF_Shutdown();
}

bool MountedArchive::Mount(const std::filesystem::path& path, std::string* reason)
{
    BF_InitParams params {};
    params.filePattern = "*.cbf";
    if (BF_Init(&params) == 0) {
        *reason = "cannot start the archive file system";
        return false;
    }
    m_started = true;
    TraceReason trace;
    std::error_code error;
    std::u16string full = std::filesystem::absolute(path, error).u16string();
    BF_Status status = LoadBF(full.c_str(), 0);
    if (status == BF_OK)
        return true;
    *reason = trace.Text("cannot mount the archive", status);
    return false;
}

bool MountedArchive::ReadMember(
    const std::string& name, uint64_t size, const Sink& sink, std::string* reason)
{
    OpenMember member { BF_OpenEx(name.c_str(), BF_GENERIC_READ, 0) };
    if (member.handle == 0) {
        *reason = "member " + name + " does not open";
        return false;
    }
    // A member read through the archive's shared handle has a pseudo handle (bit 0 set); any
    // other handle is a disk file of that name, which must not stand in for the member.
    if ((member.handle & 1) == 0) {
        *reason = "member " + name + " opens a disk file instead of the archive's member";
        return false;
    }
    if (BF_GetSize(member.handle) != size) {
        *reason = "member " + name + " opens with another size than its directory entry";
        return false;
    }
    m_buffer.resize(CHUNK_SIZE);
    for (uint64_t done = 0; done < size;) {
        auto want = static_cast<uint32_t>(std::min<uint64_t>(size - done, CHUNK_SIZE));
        uint32_t got = BF_Read(member.handle, m_buffer.data(), want);
        if (got == 0) {
            *reason = "member " + name + " reads short (" + std::to_string(done) + " of "
                + std::to_string(size) + " bytes): damaged data";
            return false;
        }
        if (!sink(m_buffer.data(), got, reason))
            return false;
        done += got;
    }
    return true;
}

}
