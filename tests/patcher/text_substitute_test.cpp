// Values filled into language texts: nothing but "%s" and "%%" is interpreted.
#include "patcher/patcher.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::u16string Substitute(const char16_t* text, std::initializer_list<const char16_t*> values,
    size_t capacity = 128, int* fits = nullptr)
{
    std::u16string out(capacity, u'#');
    const int result = PTCH_Substitute(out.data(), capacity, text, values.begin(), values.size());
    if (fits != nullptr)
        *fits = result;
    return out.substr(0, out.find(u'\0'));
}

TEST(Substitute, FillsValuesInOrder)
{
    EXPECT_EQ(u"C:\\Game: 10 MB free, 20 MB needed",
        Substitute(u"%s: %s free, %s needed", { u"C:\\Game", u"10 MB", u"20 MB" }));
}

// Conversions a formatter would act on (and crash on with too few arguments) stay text.
TEST(Substitute, LeavesOtherPercentSignsAndSurplusPlaceholdersAsText)
{
    EXPECT_EQ(u"a b c %s %n %d 100%", Substitute(u"%s %s %s %s %n %d 100%", { u"a", u"b", u"c" }));
    EXPECT_EQ(u"50% of %s", Substitute(u"50%% of %%s", { u"x" }));
    EXPECT_EQ(u"-%", Substitute(u"%s%", { u"-" }));
    EXPECT_EQ(u"[]", Substitute(u"[%s]", { nullptr }));
}

TEST(Substitute, CutsShortToTheCapacityAndSaysSo)
{
    int fits = -1;
    EXPECT_EQ(u"abc", Substitute(u"a%s", { u"bcdef" }, 4, &fits));
    EXPECT_EQ(0, fits);
    EXPECT_EQ(u"abcdef", Substitute(u"a%s", { u"bcdef" }, 7, &fits));
    EXPECT_EQ(1, fits);
}

}
