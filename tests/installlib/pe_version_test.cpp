// The PE version-resource reader and the version tree: a hand-packed image whose every offset
// is known, the libraries the MinGW tools built, every truncation of them, and damaged fields
// that must fail the read instead of leading it outside the file or the resource.
#include "tests/installlib/installlib_fixture.h"

#include <cstring>

namespace {

using namespace test;
using installlib::detail::ByteSource;
using installlib::detail::FindVersionResource;
using installlib::detail::FindVersionValue;
using installlib::detail::VersionValue;

using Bytes = std::vector<uint8_t>;

bool ReadMemory(void* context, uint64_t offset, void* buffer, uint32_t count)
{
    const auto& bytes = *static_cast<const Bytes*>(context);
    if (offset > bytes.size() || count > bytes.size() - offset)
        return false;
    std::memcpy(buffer, bytes.data() + offset, count);
    return true;
}

bool Find(const Bytes& image, uint64_t* offset, uint32_t* size)
{
    const ByteSource source { ReadMemory, const_cast<Bytes*>(&image) };
    return FindVersionResource(source, offset, size);
}

void Put16(Bytes& bytes, size_t at, uint32_t value)
{
    bytes[at] = static_cast<uint8_t>(value);
    bytes[at + 1] = static_cast<uint8_t>(value >> 8);
}

void Put32(Bytes& bytes, size_t at, uint32_t value)
{
    Put16(bytes, at, value & 0xFFFF);
    Put16(bytes, at + 2, value >> 16);
}

void Align4(Bytes& bytes)
{
    while (bytes.size() % 4 != 0)
        bytes.push_back(0);
}

// One node of a version tree: length, value length, type, key, value, children.
Bytes Node(const std::string& key, bool isText, const Bytes& value, uint32_t valueLength,
    const std::vector<Bytes>& children = {})
{
    Bytes node(6, 0);
    for (char c : key)
        node.insert(node.end(), { static_cast<uint8_t>(c), 0 });
    node.insert(node.end(), { 0, 0 });
    Align4(node);
    node.insert(node.end(), value.begin(), value.end());
    for (const Bytes& child : children) {
        Align4(node);
        node.insert(node.end(), child.begin(), child.end());
    }
    Put16(node, 0, static_cast<uint32_t>(node.size()));
    Put16(node, 2, valueLength);
    Put16(node, 4, isText ? 1 : 0);
    return node;
}

Bytes TextNode(const std::string& key, const std::string& text)
{
    Bytes value;
    for (char c : text + '\0')
        value.insert(value.end(), { static_cast<uint8_t>(c), 0 });
    return Node(key, true, value, static_cast<uint32_t>(text.size() + 1));
}

Bytes SampleResource()
{
    Bytes fixed(52, 0);
    Put32(fixed, 0, 0xFEEF04BD);
    return Node("VS_VERSION_INFO", false, fixed, 52,
        { Node("StringFileInfo", true, {}, 0,
              { Node("040904b0", true, {}, 0, { TextNode("ProductVersion", "5.1.0.0") }) }),
            Node("VarFileInfo", true, {}, 0,
                { Node("Translation", false, { 0x09, 0x04, 0xb0, 0x04 }, 4) }) });
}

// Offsets of the hand-packed PE32 image below.
constexpr size_t PE = 0x40, OPTIONAL = PE + 24, SECTION = OPTIONAL + 224, RAW = 0x200;
constexpr uint32_t RVA = 0x1000;
constexpr size_t ROOT = RAW, NAMES = RAW + 0x18, LANGUAGES = RAW + 0x30, DATA_ENTRY = RAW + 0x48,
                 RESOURCE = RAW + 0x58;

// A PE32 image with one section holding the resource directory: type 16, name 1, language
// 0x409, then the version resource.
Bytes PackImage(const Bytes& resource)
{
    Bytes image(RESOURCE + resource.size(), 0);
    std::copy(resource.begin(), resource.end(), image.begin() + RESOURCE);
    Put16(image, 0, 0x5A4D);
    Put32(image, 0x3C, PE);
    Put32(image, PE, 0x4550);
    Put16(image, PE + 6, 1); // sections
    Put16(image, PE + 20, 224); // optional header size
    Put16(image, OPTIONAL, 0x10b); // PE32
    Put32(image, OPTIONAL + 92, 16); // data directories
    Put32(image, OPTIONAL + 96 + 16, RVA);
    Put32(image, OPTIONAL + 96 + 20, static_cast<uint32_t>(image.size() - RAW));
    Put32(image, SECTION + 8, static_cast<uint32_t>(image.size() - RAW));
    Put32(image, SECTION + 12, RVA);
    Put32(image, SECTION + 16, static_cast<uint32_t>(image.size() - RAW));
    Put32(image, SECTION + 20, RAW);
    Put16(image, ROOT + 14, 1);
    Put32(image, ROOT + 16, 16);
    Put32(image, ROOT + 20, 0x80000000 | (NAMES - RAW));
    Put16(image, NAMES + 14, 1);
    Put32(image, NAMES + 16, 1);
    Put32(image, NAMES + 20, 0x80000000 | (LANGUAGES - RAW));
    Put16(image, LANGUAGES + 14, 1);
    Put32(image, LANGUAGES + 16, 0x409);
    Put32(image, LANGUAGES + 20, DATA_ENTRY - RAW);
    Put32(image, DATA_ENTRY, RVA + (RESOURCE - RAW));
    Put32(image, DATA_ENTRY + 4, static_cast<uint32_t>(resource.size()));
    return image;
}

std::string TextOf(const VersionValue& value)
{
    std::string text;
    for (uint32_t i = 0; i + 1 < value.byteCount && value.bytes[i] != 0; i += 2)
        text += static_cast<char>(value.bytes[i]);
    return text;
}

TEST(InstallLibVersionReader, HandPackedImageGivesItsResourceAndValues)
{
    const Bytes resource = SampleResource();
    const Bytes image = PackImage(resource);
    uint64_t offset = 0;
    uint32_t size = 0;
    ASSERT_TRUE(Find(image, &offset, &size));
    EXPECT_EQ(RESOURCE, offset);
    EXPECT_EQ(resource.size(), size);

    VersionValue value {};
    ASSERT_TRUE(FindVersionValue(
        resource.data(), size, "\\StringFileInfo\\040904B0\\productversion", &value));
    EXPECT_TRUE(value.isText);
    EXPECT_EQ(16u, value.byteCount);
    EXPECT_EQ("5.1.0.0", TextOf(value));
    ASSERT_TRUE(FindVersionValue(resource.data(), size, "\\VarFileInfo\\Translation", &value));
    EXPECT_EQ(
        (Bytes { 0x09, 0x04, 0xb0, 0x04 }), Bytes(value.bytes, value.bytes + value.byteCount));
    ASSERT_TRUE(FindVersionValue(resource.data(), size, "\\", &value));
    EXPECT_EQ(52u, value.byteCount);
    EXPECT_FALSE(
        FindVersionValue(resource.data(), size, "\\StringFileInfo\\040904b0\\Product", &value));
    EXPECT_FALSE(
        FindVersionValue(resource.data(), size, "\\VarFileInfo\\Translation\\More", &value));
}

TEST(InstallLibVersionReader, DamagedDirectoriesFailInsteadOfLeavingTheResources)
{
    const Bytes good = PackImage(SampleResource());
    struct Damage {
        const char* what;
        size_t at;
        uint32_t value;
    };
    const Damage damages[] = {
        { "no MZ", 0, 0x4D5A },
        { "PE header past the end", 0x3C, 0xFFFFFFF0 },
        { "unknown optional header", OPTIONAL, 0x10c },
        { "too many sections", PE + 6, 97 },
        { "resource address outside every section", OPTIONAL + 96 + 16, 0x5000 },
        { "type entries past the resources", ROOT + 14, 0xFFFF },
        { "name directory past the resources", ROOT + 20, 0x8FFFFFF0 },
        { "name level points at a data entry", ROOT + 20, NAMES - RAW },
        { "language directory loops to the root", NAMES + 20, 0x80000000 },
        { "data entry past the resources", LANGUAGES + 20, 0x7FFFFFF0 },
        { "resource larger than 64 KB", DATA_ENTRY + 4, 0x10000 },
        { "resource past its section", DATA_ENTRY + 4, 0x1000 },
        { "resource address outside every section", DATA_ENTRY, 0x9000 },
    };
    for (const Damage& damage : damages) {
        Bytes image = good;
        if (damage.at == PE + 6 || damage.at == ROOT + 14 || damage.at == OPTIONAL
            || damage.at == 0)
            Put16(image, damage.at, damage.value);
        else
            Put32(image, damage.at, damage.value);
        uint64_t offset = 0;
        uint32_t size = 0;
        EXPECT_FALSE(Find(image, &offset, &size)) << damage.what;
    }
}

TEST(InstallLibVersionReader, NodesMustLieInsideTheirParents)
{
    Bytes resource = SampleResource();
    VersionValue value {};
    Bytes longer = resource;
    Put16(longer, 0, static_cast<uint32_t>(resource.size() + 4));
    EXPECT_FALSE(
        FindVersionValue(longer.data(), static_cast<uint32_t>(resource.size()), "\\", &value));
    // A key without its terminator inside the node.
    const Bytes keyOnly = { 10, 0, 0, 0, 0, 0, 'V', 0, 'S', 0 };
    EXPECT_FALSE(FindVersionValue(keyOnly.data(), 10, "\\", &value));
    // A text length given in bytes instead of units is cut at the node's end.
    Bytes text = TextNode("ProductVersion", "5.1");
    Put16(text, 2, 100);
    ASSERT_TRUE(FindVersionValue(text.data(), static_cast<uint32_t>(text.size()), "\\", &value));
    EXPECT_EQ("5.1", TextOf(value));
    EXPECT_LE(value.bytes + value.byteCount, text.data() + text.size());
    EXPECT_FALSE(FindVersionValue(resource.data(), 5, "\\", &value));
}

TEST(InstallLibVersionReader, BuiltLibrariesAndEveryTruncationOfThem)
{
    if (std::string(INSTALLLIB_TEST_LIBRARIES).empty())
        GTEST_SKIP() << "the MinGW tools that build the test libraries are missing";
    const Bytes image = ReadFile(std::string(INSTALLLIB_TEST_LIBRARIES) + "/version_5_1.dll");
    uint64_t offset = 0;
    uint32_t size = 0;
    ASSERT_TRUE(Find(image, &offset, &size));
    VersionValue value {};
    ASSERT_TRUE(FindVersionValue(
        image.data() + offset, size, "\\StringFileInfo\\040904b0\\ProductVersion", &value));
    EXPECT_EQ("5.1.0.0", TextOf(value));
    // A cut file is found only once the whole resource is inside it.
    for (size_t length = 0; length < image.size(); ++length) {
        const Bytes cut(image.begin(), image.begin() + length);
        uint64_t cutOffset = 0;
        uint32_t cutSize = 0;
        if (Find(cut, &cutOffset, &cutSize)) {
            EXPECT_LE(cutOffset + cutSize, length);
        }
    }
}

}
