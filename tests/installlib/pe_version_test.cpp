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

bool Find(const Bytes& image, uint64_t* offset = nullptr, uint32_t* size = nullptr)
{
    uint64_t anyOffset = 0;
    uint32_t anySize = 0;
    const ByteSource source { ReadMemory, const_cast<Bytes*>(&image) };
    return FindVersionResource(source, offset ? offset : &anyOffset, size ? size : &anySize);
}

// A little-endian field of width bytes at offset at; what names it where it is a damage.
struct Field {
    size_t at;
    uint32_t value;
    int width;
    const char* what = "";
};

void Put(Bytes& bytes, const Field& field)
{
    for (int i = 0; i < field.width; ++i)
        bytes[field.at + i] = static_cast<uint8_t>(field.value >> (8 * i));
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
    Put(node, { 0, static_cast<uint32_t>(node.size()), 2 });
    Put(node, { 2, valueLength, 2 });
    Put(node, { 4, isText ? 1u : 0u, 2 });
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
    Put(fixed, { 0, 0xFEEF04BD, 4 });
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
    const uint32_t size = static_cast<uint32_t>(image.size() - RAW);
    // MZ and PE signatures, 1 section, the optional header's size, PE32, 16 data directories,
    // the resource directory's address and size; the section's size, address and file offset;
    // the three directory levels with one entry each; the data entry.
    for (const Field& field :
        { Field { 0, 0x5A4D, 2 }, { 0x3C, PE, 4 }, { PE, 0x4550, 4 }, { PE + 6, 1, 2 },
            { PE + 20, 224, 2 }, { OPTIONAL, 0x10b, 2 }, { OPTIONAL + 92, 16, 4 },
            { OPTIONAL + 96 + 16, RVA, 4 }, { OPTIONAL + 96 + 20, size, 4 },
            { SECTION + 8, size, 4 }, { SECTION + 12, RVA, 4 }, { SECTION + 16, size, 4 },
            { SECTION + 20, RAW, 4 }, { ROOT + 14, 1, 2 }, { ROOT + 16, 16, 4 },
            { ROOT + 20, 0x80000000 | (NAMES - RAW), 4 }, { NAMES + 14, 1, 2 },
            { NAMES + 16, 1, 4 }, { NAMES + 20, 0x80000000 | (LANGUAGES - RAW), 4 },
            { LANGUAGES + 14, 1, 2 }, { LANGUAGES + 16, 0x409, 4 },
            { LANGUAGES + 20, DATA_ENTRY - RAW, 4 }, { DATA_ENTRY, RVA + (RESOURCE - RAW), 4 },
            { DATA_ENTRY + 4, static_cast<uint32_t>(resource.size()), 4 } })
        Put(image, field);
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
    for (const Field& damage : {
             Field { 0, 0x4D5A, 2, "no MZ" },
             Field { 0x3C, 0xFFFFFFF0, 4, "PE header past the end" },
             Field { OPTIONAL, 0x10c, 2, "unknown optional header" },
             Field { PE + 6, 97, 2, "too many sections" },
             Field { OPTIONAL + 96 + 16, 0x5000, 4, "resource address outside every section" },
             Field { ROOT + 14, 0xFFFF, 2, "type entries past the resources" },
             Field { ROOT + 20, 0x8FFFFFF0, 4, "name directory past the resources" },
             Field { ROOT + 20, NAMES - RAW, 4, "name level points at a data entry" },
             Field { NAMES + 20, 0x80000000, 4, "language directory loops to the root" },
             Field { LANGUAGES + 20, 0x7FFFFFF0, 4, "data entry past the resources" },
             Field { DATA_ENTRY + 4, 0x10000, 4, "resource larger than 64 KB" },
             Field { DATA_ENTRY + 4, 0x1000, 4, "resource past its section" },
             Field { DATA_ENTRY, 0x9000, 4, "resource address outside every section" },
         }) {
        Bytes image = PackImage(SampleResource());
        Put(image, damage);
        EXPECT_FALSE(Find(image)) << damage.what;
    }
}

TEST(InstallLibVersionReader, NodesMustLieInsideTheirParents)
{
    Bytes resource = SampleResource();
    VersionValue value {};
    Bytes longer = resource;
    Put(longer, { 0, static_cast<uint32_t>(resource.size() + 4), 2 });
    EXPECT_FALSE(
        FindVersionValue(longer.data(), static_cast<uint32_t>(resource.size()), "\\", &value));
    // A key without its terminator inside the node.
    const Bytes keyOnly = { 10, 0, 0, 0, 0, 0, 'V', 0, 'S', 0 };
    EXPECT_FALSE(FindVersionValue(keyOnly.data(), 10, "\\", &value));
    // A text length given in bytes instead of units is cut at the node's end.
    Bytes text = TextNode("ProductVersion", "5.1");
    Put(text, { 2, 100, 2 });
    ASSERT_TRUE(FindVersionValue(text.data(), static_cast<uint32_t>(text.size()), "\\", &value));
    EXPECT_EQ("5.1", TextOf(value));
    EXPECT_LE(value.bytes + value.byteCount, text.data() + text.size());
    EXPECT_FALSE(FindVersionValue(resource.data(), 5, "\\", &value));
}

TEST(InstallLibVersionReader, BuiltLibrariesAndEveryTruncationOfThem)
{
    if (std::string(INSTALLLIB_TEST_LIBRARIES).empty())
        GTEST_SKIP() << "the MinGW tools that build the test libraries are missing";
    const std::string file = ReadText(std::string(INSTALLLIB_TEST_LIBRARIES) + "/version_5_1.dll");
    const Bytes image(file.begin(), file.end());
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
