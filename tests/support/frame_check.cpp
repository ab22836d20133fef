// Frame hashes, the manifest and the pictures of the frame checks (see frame_check.h).
#include "tests/support/frame_check.h"

#include "tools/png/portable_png.h"

#include <charconv>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <system_error>
#include <thread>

// The manifest in the source tree, set by CMake (with the drive under Wine).
#ifndef TEST_FRAME_MANIFEST
#error "TEST_FRAME_MANIFEST must name the frame manifest"
#endif

namespace fs = std::filesystem;

namespace test {

namespace {

constexpr char MANIFEST_HEADER[]
    = "# Frames of the GUI tests: NAME WIDTHxHEIGHT FNV-1a-64; 'make frames' rewrites this file\n";
// Long enough for any sensible name, short enough for the paths of the pictures on Windows.
constexpr size_t MAX_NAME = 160;
// How long a process waits for another one's update of the manifest.
constexpr auto LOCK_PATIENCE = std::chrono::seconds(20);

struct FrameEntry {
    int32_t width = 0;
    int32_t height = 0;
    uint64_t hash = 0;
    bool operator==(const FrameEntry&) const = default;
};
using Manifest = std::map<std::string, FrameEntry>;

std::string Environment(const char* name)
{
    const char* value = std::getenv(name);
    return value ? value : "";
}

fs::path ManifestPath()
{
    std::string chosen = Environment("PATCHER_FRAME_MANIFEST");
    return chosen.empty() ? fs::path(TEST_FRAME_MANIFEST) : fs::path(chosen);
}

fs::path OutputFolder()
{
    std::string chosen = Environment("PATCHER_FRAME_OUTPUT");
    return chosen.empty() ? fs::path("frames") : fs::path(chosen);
}

bool IsFrameName(const std::string& name)
{
    if (name.empty() || name.size() > MAX_NAME)
        return false;
    size_t start = 0;
    for (;;) {
        size_t end = name.find('/', start);
        std::string component = name.substr(start, end - start);
        if (component.empty() || component == "." || component == "..")
            return false;
        for (char c : component)
            if (!((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' || c == '.'
                    || c == '-'))
                return false;
        if (end == std::string::npos)
            return true;
        start = end + 1;
    }
}

std::string Hex16(uint64_t value)
{
    std::string text(16, '0');
    for (int i = 15; i >= 0; --i, value >>= 4)
        text[size_t(i)] = "0123456789abcdef"[value & 0xF];
    return text;
}

std::string Describe(const FrameEntry& entry)
{
    return std::to_string(entry.width) + "x" + std::to_string(entry.height) + " "
        + Hex16(entry.hash);
}

template <typename T> bool ParseNumber(const std::string& text, T& value, int base)
{
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    return error == std::errc() && end == text.data() + text.size() && !text.empty();
}

// "NAME WIDTHxHEIGHT HASH" with single spaces.
bool ParseLine(const std::string& line, std::string& name, FrameEntry& entry)
{
    size_t space = line.find(' ');
    size_t second = space == std::string::npos ? space : line.find(' ', space + 1);
    if (second == std::string::npos)
        return false;
    name = line.substr(0, space);
    std::string size = line.substr(space + 1, second - space - 1);
    std::string hash = line.substr(second + 1);
    size_t by = size.find('x');
    return IsFrameName(name) && by != std::string::npos
        && ParseNumber(size.substr(0, by), entry.width, 10)
        && ParseNumber(size.substr(by + 1), entry.height, 10) && entry.width > 0 && entry.height > 0
        && hash.size() == 16 && ParseNumber(hash, entry.hash, 16);
}

// A missing manifest is an empty one. A malformed or repeated line is an error, so that an
// update never rewrites a manifest it has not understood (and drops entries of it).
bool ReadManifest(const fs::path& path, Manifest& entries, std::string& error)
{
    entries.clear();
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        std::error_code ignored;
        if (!fs::exists(path, ignored))
            return true;
        error = "cannot read the frame manifest " + path.string();
        return false;
    }
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        if (!line.empty() && line.back() == '\r') // checked out with Windows line ends
            line.pop_back();
        if (line.empty() || line[0] == '#')
            continue;
        std::string name;
        FrameEntry entry;
        if (!ParseLine(line, name, entry) || !entries.emplace(name, entry).second) {
            error = path.string() + ":" + std::to_string(number) + ": not a frame line"
                + " (NAME WIDTHxHEIGHT HASH, each name once): " + line;
            return false;
        }
    }
    return true;
}

// Writes the manifest through a temporary file renamed over it. On Windows the rename can meet
// a reader that has the file open for a moment; it is tried again then.
bool WriteManifest(const fs::path& path, const Manifest& entries, std::string& error)
{
    fs::path temporary = path;
    temporary += ".tmp";
    std::error_code code;
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out << MANIFEST_HEADER;
        for (const auto& [name, entry] : entries)
            out << name << ' ' << Describe(entry) << '\n';
        out.close();
        if (!out.good())
            code = std::make_error_code(std::errc::io_error);
    }
    for (int attempt = 0; !code && attempt < 50; ++attempt) {
        fs::rename(temporary, path, code);
        if (!code)
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        code.clear();
    }
    error = "cannot write the frame manifest " + path.string();
    fs::remove(temporary, code);
    return false;
}

// A folder beside the manifest that one process at a time can create: whoever created it may
// read, change and write the manifest, and removes it afterwards.
class ManifestLock {
public:
    explicit ManifestLock(const fs::path& manifest)
        : m_path(fs::path(manifest) += ".lock")
    {
        // Creating the folder also fails now and then while another process removes it
        // (it exists, then it is gone when asked whether it is a folder), so any failure is
        // tried again; only a missing manifest folder ends the wait at once.
        std::error_code error;
        fs::path folder = m_path.parent_path().empty() ? fs::path(".") : m_path.parent_path();
        if (!fs::is_directory(folder, error))
            return;
        auto deadline = std::chrono::steady_clock::now() + LOCK_PATIENCE;
        while (!(m_held = fs::create_directory(m_path, error))
            && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ~ManifestLock()
    {
        std::error_code ignored;
        if (m_held)
            fs::remove(m_path, ignored);
    }
    ManifestLock(const ManifestLock&) = delete;
    ManifestLock& operator=(const ManifestLock&) = delete;

    bool Held() const { return m_held; }
    const fs::path& Path() const { return m_path; }

private:
    fs::path m_path;
    bool m_held = false;
};

// Adds or replaces the entry of name; the file is left alone when it holds the entry already.
bool Record(
    const fs::path& manifest, const std::string& name, const FrameEntry& seen, std::string& error)
{
    ManifestLock lock(manifest);
    if (!lock.Held()) {
        error = "cannot take the lock " + lock.Path().string()
            + " of the frame manifest (a process that died while updating it leaves it behind;"
              " remove it then)";
        return false;
    }
    Manifest entries;
    if (!ReadManifest(manifest, entries, error))
        return false;
    auto [place, added] = entries.emplace(name, seen);
    if (!added && place->second == seen)
        return true;
    place->second = seen;
    return WriteManifest(manifest, entries, error);
}

// The expected pictures name their frame's size and hash in a text chunk after the header,
// so that a run whose frames all match (the usual case) reads a few bytes of each picture
// instead of writing it again (about 0.5 MiB for a page of the installer).
std::string PictureComment(const FrameEntry& entry)
{
    return "frame " + Describe(entry);
}

bool PictureHolds(const fs::path& path, const std::string& comment)
{
    std::string wanted = std::string("tEXtComment") + '\0' + comment;
    std::string start(8 + 25 + 4 + wanted.size(), '\0');
    std::ifstream in(path, std::ios::binary);
    in.read(start.data(), std::streamsize(start.size()));
    return in && start.compare(start.size() - wanted.size(), wanted.size(), wanted) == 0;
}

std::string Shown(const fs::path& path)
{
    std::error_code ignored;
    return fs::absolute(path, ignored).string();
}

}

uint64_t FrameHash(const uint32_t* pixels, int32_t width, int32_t height, int32_t stride)
{
    uint64_t hash = 0xCBF29CE484222325ull;
    auto add = [&hash](uint32_t word) {
        for (int shift = 0; shift < 32; shift += 8)
            hash = (hash ^ ((word >> shift) & 0xFF)) * 0x100000001B3ull;
    };
    add(uint32_t(width));
    add(uint32_t(height));
    for (int32_t y = 0; y < height; ++y) {
        const uint32_t* row = pixels + size_t(y) * size_t(stride);
        for (int32_t x = 0; x < width; ++x)
            add(row[x]);
    }
    return hash;
}

::testing::AssertionResult MatchesFrame(
    const std::string& name, const uint32_t* pixels, int32_t width, int32_t height, int32_t stride)
{
    if (!IsFrameName(name))
        return ::testing::AssertionFailure()
            << "frame name \"" << name << "\" is not components of [a-z0-9_.-] joined by '/'";
    if (!pixels || width <= 0 || height <= 0 || stride < width)
        return ::testing::AssertionFailure() << "frame " << name << " has no pixels (" << width
                                             << "x" << height << ", stride " << stride << ")";
    const FrameEntry seen { width, height, FrameHash(pixels, width, height, stride) };
    const fs::path manifest = ManifestPath();
    const fs::path expectedPicture = OutputFolder() / (name + ".png");
    const fs::path seenPicture = OutputFolder() / (name + ".seen.png");
    std::string error;
    if (Environment("PATCHER_UPDATE_FRAMES") == "1") {
        if (!Record(manifest, name, seen, error))
            return ::testing::AssertionFailure() << "frame " << name << ": " << error;
    } else {
        Manifest entries;
        if (!ReadManifest(manifest, entries, error))
            return ::testing::AssertionFailure() << "frame " << name << ": " << error;
        auto found = entries.find(name);
        if (found == entries.end() || found->second != seen) {
            std::string picture = portable_png::WritePng(seenPicture, pixels, width, height, stride)
                ? "seen picture " + Shown(seenPicture)
                : "the seen picture could not be written to " + Shown(seenPicture);
            if (found == entries.end())
                return ::testing::AssertionFailure()
                    << "frame " << name << " (" << Describe(seen) << ") is not in the manifest "
                    << manifest.string() << "; run with PATCHER_UPDATE_FRAMES=1 to record it; "
                    << picture;
            return ::testing::AssertionFailure()
                << "frame " << name << " differs from the manifest: expected "
                << Describe(found->second) << ", seen " << Describe(seen) << "; " << picture
                << " (the expected one, if a run that matched wrote it: " << Shown(expectedPicture)
                << ")";
        }
    }
    // A match leaves the expected picture for a later mismatch to be compared with, and clears
    // the seen picture of an earlier mismatch. The pictures only help a person: a folder that
    // cannot take them does not fail the check.
    std::error_code ignored;
    fs::remove(seenPicture, ignored);
    std::string comment = PictureComment(seen);
    if (!PictureHolds(expectedPicture, comment))
        (void)portable_png::WritePng(expectedPicture, pixels, width, height, stride, comment);
    return ::testing::AssertionSuccess();
}

}
