// LoadImage itself: the extension rules, the argument checks, and pictures read through the
// archive file system rather than from the disk.
#include "tests/image/image_fixture.h"
#include "tests/support/archive_builder.h"
#include "tests/support/jpeg_codec.h"

#include <string>
#include <vector>

namespace {

using test::LoadedImage;
using test::PatternPixels;

using ImageFiles = test::ImageFixture;

std::vector<uint8_t> SmallTga()
{
    test::ByteWriter file;
    file.Bytes(test::TgaHeader(2, 1, 1, 24, 0)).Bytes({ 1, 2, 3 });
    return file.Data();
}

// The extension decides the loader, whatever the letter case; the same bytes under a name
// with no extension, a trailing "." or a "." only in a folder name are refused.
TEST_F(ImageFiles, ExtensionRules)
{
    std::vector<uint8_t> jpeg = test::EncodeJpeg(PatternPixels(8, 8, 3), 8, 8, 3, JCS_RGB);
    for (const char* name : { "a.jpg", "b.JEPG", "c.Jpg", "d.jepg" })
        EXPECT_EQ(1, Load(name, jpeg).result) << name;
    for (const char* name : { "e.TGA", "f.tga", "g.TgA" })
        EXPECT_EQ(1, Load(name, SmallTga()).result) << name;
    EXPECT_EQ(1, Load("h.BMP", test::BmpFile24(1, 1, { 1, 2, 3 })).result);

    std::filesystem::create_directory(m_dir.Path() / "old.tga");
    for (const char* name : { "picture", "picture.", "old.tga\\picture", "old.tga/picture" }) {
        Put(name[0] == 'o' ? "old.tga/picture" : name, SmallTga());
        EXPECT_TRUE(Refused(LoadNamed(name), "picture file extension not known")) << name;
    }
    for (const char* name : { "i.jpeg", "j.png", "k.tga2", "l.bm" })
        EXPECT_TRUE(Refused(Load(name, jpeg), "picture file extension not known")) << name;
    // A TGA's bytes under a JPEG name go to the JPEG decoder, which refuses them.
    EXPECT_EQ(0, Load("m.jpg", SmallTga()).result);
}

// A null name still zeroes the record it is given.
TEST_F(ImageFiles, ArgumentsAndMissingFiles)
{
    EXPECT_EQ(0, LoadImage("a.tga", nullptr));
    ImageRecord record { 7, 7, 1, 7, 3, reinterpret_cast<uint8_t*>(&record) };
    EXPECT_EQ(0, LoadImage(nullptr, &record));
    EXPECT_EQ(nullptr, record.pixels);
    EXPECT_EQ(0u, record.width);
    for (const char* name : { "missing.tga", "missing.jpg" })
        EXPECT_TRUE(Refused(LoadNamed(name), "picture file cannot be opened")) << name;
    FreeImage(nullptr);
}

// Pictures are read through the virtual file interface: a stored TGA member and an LZW-packed
// JPEG member of a mounted archive load like files on the disk.
TEST_F(ImageFiles, PicturesLoadFromAnArchive)
{
    std::vector<uint8_t> jpeg = test::EncodeJpeg(PatternPixels(40, 30, 3), 40, 30, 3, JCS_RGB);
    std::vector<test::ArchiveMember> members = {
        test::StoredMember("Icons\\ft_file.tga", SmallTga()),
        test::LzwMember("Pictures\\back.jpg", jpeg, LZW_Encode, 1000),
    };
    Put("pictures.cbf", test::BuildArchive(members));
    ASSERT_EQ(BF_OK, LoadBF((m_dir.Path() / "pictures.cbf").u16string().c_str(), 0));

    LoadedImage icon = LoadNamed("Icons\\ft_file.tga");
    ASSERT_EQ(1, icon.result);
    EXPECT_EQ(std::vector<uint8_t>({ 3, 2, 1 }), icon.pixels);
    LoadedImage back = LoadNamed("pictures\\BACK.JPG");
    ASSERT_EQ(1, back.result);
    EXPECT_EQ(test::DecodeJpeg(jpeg).pixels, back.pixels);
}

}
