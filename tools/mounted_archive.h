// One archive mounted through the archive file system the way the installer mounts its data,
// so that extract and verify read members exactly as the installer will.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace patchkit {

class MountedArchive {
public:
    MountedArchive() = default;
    ~MountedArchive(); // unmounts and stops the archive file system
    MountedArchive(const MountedArchive&) = delete;
    MountedArchive& operator=(const MountedArchive&) = delete;

    // Starts the archive file system (no disk names, no message boxes) and mounts path with
    // mode 0. False with the module's reason when that fails.
    bool Mount(const std::filesystem::path& path, std::string* reason);

    // Opens the member name and reads all its size bytes in order, handing each chunk to sink.
    // False with a reason when it does not open, reports another size, or reads short (a
    // damaged block ends a read early); sink returning false stops with sink's reason.
    using Sink = std::function<bool(const uint8_t* bytes, size_t count, std::string* reason)>;
    bool ReadMember(const std::string& name, uint64_t size, const Sink& sink, std::string* reason);

private:
    bool m_started = false;
    std::vector<uint8_t> m_buffer;
};

}
