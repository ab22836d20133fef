// Loading shortcut records from the installer data: location letters, absent ("NONE" or empty)
// entries, targets and icons joined to the base folder, the order of the link list, and names
// that would put a link outside its folder.
#include "tests/installlib/installlib_fixture.h"

#include "ml/ml.h"

namespace {

using namespace test;
using installlib::detail::LinkRecord;

// One link record as plain text, "-" for an absent string.
struct Link {
    uint32_t id;
    uint32_t kind;
    std::string name, target, arguments, description, iconFile;
    int32_t iconIndex;
    bool operator==(const Link&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Link& link)
{
    return out << link.id << " kind " << link.kind << " " << link.name << " | " << link.target
               << " | " << link.arguments << " | " << link.description << " | " << link.iconFile
               << " | " << link.iconIndex;
}

std::string Text(const char16_t* text)
{
    return text ? Narrow(text) : "-";
}

// The link list from its head.
std::vector<Link> Links()
{
    std::vector<Link> links;
    SYS_ItemStore* list = installlib::detail::LinkList();
    uint32_t count = 0;
    EXPECT_EQ(SYS_OK, SYS_StoreCount(list, &count));
    for (uint32_t i = 0; i < count; ++i) {
        uint32_t id = 0;
        uintptr_t value = 0;
        EXPECT_EQ(SYS_OK, SYS_StoreGetAt(list, static_cast<int32_t>(i), &id, &value));
        const auto& record = *reinterpret_cast<const LinkRecord*>(value);
        links.push_back(
            { id, record.kind, Text(record.name), Text(record.target), Text(record.arguments),
                Text(record.description), Text(record.iconFile), record.iconIndex });
        (void)SYS_StoreRelease(list, id, 1);
    }
    return links;
}

class InstallLibLinksLoad : public InstallLibFixture {
protected:
    void SetUp() override
    {
        InstallLibFixture::SetUp();
        Start();
    }
    void TearDown() override
    {
        ML_Free();
        InstallLibFixture::TearDown();
    }
    // Sets the five entries of record r (first id 450, stride 5); null leaves one unset.
    static void Record(int r, const char* name, const char* target, const char* arguments,
        const char* description, const char* icon)
    {
        const char* entries[] = { name, target, arguments, description, icon };
        for (int i = 0; i < 5; ++i)
            ML_SetString(450 + r * 5 + i, entries[i]);
    }
};

TEST_F(InstallLibLinksLoad, LettersChooseTheFoldersAndRecordsGoToTheHead)
{
    Record(0, "DDesktop Game", "game.exe", nullptr, nullptr, nullptr);
    Record(1, "XBoth", "game.exe", "-window", "Starts the game", nullptr);
    Record(2, "NONE", "game.exe", "x", "y", "1");
    Record(3, "", "game.exe", "x", "y", "1");
    Record(4, "PManual", nullptr, "C:\\Docs\\manual.pdf", nullptr, nullptr);
    Record(5, "none", "game.exe", nullptr, nullptr, nullptr);
    EXPECT_EQ(4u, LoadLinks(450, 5, 10, u"C:\\Games\\Demo"));
    const std::vector<Link> expected = {
        { 3, 2, "Manual.lnk", "C:\\Docs\\manual.pdf", "-", "-", "-", 0 },
        { 2, 1, "Both.lnk", "C:\\Games\\Demo\\game.exe", "-window", "Starts the game", "-", 0 },
        { 1, 2, "Both.lnk", "C:\\Games\\Demo\\game.exe", "-window", "Starts the game", "-", 0 },
        { 0, 1, "Desktop Game.lnk", "C:\\Games\\Demo\\game.exe", "-", "-", "-", 0 },
    };
    EXPECT_EQ(expected, Links());
}

TEST_F(InstallLibLinksLoad, IconIsAnIndexWhenWholeNumberElseAFileBelowTheBase)
{
    Record(0, "DIndex", "game.exe", nullptr, nullptr, "3");
    Record(1, "DFile", "game.exe", nullptr, nullptr, "icons\\game.ico");
    Record(2, "DZero", "game.exe", nullptr, nullptr, "0");
    EXPECT_EQ(3u, LoadLinks(450, 5, 3, u"C:\\Games\\Demo\\"));
    const std::vector<Link> expected = {
        { 2, 1, "Zero.lnk", "C:\\Games\\Demo\\game.exe", "-", "-", "-", 0 },
        { 1, 1, "File.lnk", "C:\\Games\\Demo\\game.exe", "-", "-",
            "C:\\Games\\Demo\\icons\\game.ico", 0 },
        { 0, 1, "Index.lnk", "C:\\Games\\Demo\\game.exe", "-", "-", "-", 3 },
    };
    EXPECT_EQ(expected, Links());
}

TEST_F(InstallLibLinksLoad, NamesThatLeaveTheirFolderAreRefused)
{
    Record(0, "D..\\..\\x", "game.exe", nullptr, nullptr, nullptr);
    Record(1, "Dsub/x", "game.exe", nullptr, nullptr, nullptr);
    Record(2, "DC:x", "game.exe", nullptr, nullptr, nullptr);
    Record(3, "D", "game.exe", nullptr, nullptr, nullptr);
    Record(4, "D..", "game.exe", nullptr, nullptr, nullptr);
    EXPECT_EQ(1u, LoadLinks(450, 5, 5, u"C:\\Games\\Demo"));
    ASSERT_EQ(1u, Links().size());
    EXPECT_EQ("...lnk", Links()[0].name); // dots alone stay a file name of the folder
}

TEST_F(InstallLibLinksLoad, RecordsBeyondTheTableAndAStoppedModuleLoadNothing)
{
    ML_SetString(ML_FALLBACK_ID, "DFallback");
    EXPECT_EQ(0u, LoadLinks(1000, 5, 2, u"C:\\Games"));
    EXPECT_EQ(0u, LoadLinks(0xFFFFFFF0u, 0xFFFFFFF0u, 3, u"C:\\Games"));
    Record(0, "DGame", "game.exe", nullptr, nullptr, nullptr);
    Done();
    EXPECT_EQ(0u, LoadLinks(450, 5, 1, u"C:\\Games"));
}

}
