// Load errors: every message with its line, the entries that stay after an error, the bound on
// what a message quotes, and formatting that stays inside the message buffer.
#include "tests/ml/ml_fixture.h"

namespace {

using mltest::Entries;
using mltest::MlTest;
using mltest::Utf16;

struct ErrorCase {
    std::string file;
    std::u16string message;
    int32_t line;
    Entries kept;
};

class MlErrors : public MlTest, public ::testing::WithParamInterface<ErrorCase> { };

TEST_P(MlErrors, ReportsTheLineAndKeepsWhatWasStoredBefore)
{
    const ErrorCase& c = GetParam();
    ML_SetString(0, "zero");
    ASSERT_EQ(0, Load(c.file));
    EXPECT_EQ(c.message, OnlyMessage());
    ASSERT_EQ(1u, Errors().size());
    EXPECT_EQ(c.line, Errors()[0].line);
    EXPECT_EQ("test.txt", Errors()[0].fileName);
    Entries kept = c.kept;
    kept.insert(kept.begin(), { 0, u"zero" });
    EXPECT_EQ(kept, Stored());
}

INSTANTIATE_TEST_SUITE_P(EveryMessage, MlErrors,
    ::testing::Values(ErrorCase { "#1:\n#ENG kept\n// hello\nHello world\n#2:\n#ENG never",
                          u"\"Hello\"is not a command (line 4)", 4, { { 1, u"kept" } } },
        ErrorCase { "\n#", u"\"#\"is not a command (line 2)", 2, {} },
        // "\r\n" is one line end.
        ErrorCase { "#1:\r\n#ENG a\r\n\r\n// note\r\nbad\r\n", u"\"bad\"is not a command (line 5)",
            5, { { 1, u"a" } } },
        ErrorCase { Utf16(u"#1:\u0A0D#ENG one\u0A0Doops"), u"\"oops\"is not a command (line 3)", 3,
            { { 1, u"one" } } },
        ErrorCase { "#1x:", u"\"1X\" is not number. (line 1)", 1, {} },
        // Ids are decimal: "0x" has become "0X" by the time the number is read.
        ErrorCase { "#0x10:\n#ENG sixteen", u"\"0X10\" is not number. (line 1)", 1, {} },
        ErrorCase { "#:", u"\"\" is not number. (line 1)", 1, {} },
        ErrorCase { "\n\n#DEFINE   \t", u"Name of define expected. (line 3)", 3, {} },
        ErrorCase { "#DEFINE A 1\n#define A 2", u"\"A\" already defined. (line 2)", 2, {} },
        ErrorCase { Utf16(u"#DEFINE a? one\n#DEFINE a\u0161 two"),
            u"\"a\u0161\" already defined. (line 2)", 2, {} },
        ErrorCase { "#DEFINE A   ", u"Definition is not complette. (line 1)", 1, {} },
        ErrorCase { "#DEFINE N #12a", u"Incorrect format of number. (line 1)", 1, {} },
        ErrorCase { "#DEFINE N #", u"Incorrect format of number. (line 1)", 1, {} },
        ErrorCase { "#1:\n#ENG $GAME$", u"$GAME$ - unknown define. (line 2)", 2, {} },
        ErrorCase { "#1:\n\n#ENG 100$", u"Unpaired $ character. (line 3)", 3, {} },
        // A language text before the first id line changes no entry.
        ErrorCase { "#ENG Hello\n#1:\n#ENG World", u"Text without id. (line 1)", 1, {} },
        ErrorCase { "#1001:\n#GER ignored\n#ENG x", u"Id 1001 is out of range. (line 3)", 3, {} },
        ErrorCase { "#-5:\n#ENG x", u"Id -5 is out of range. (line 2)", 2, {} },
        // The text is counted before its id is checked, so the name faults come first.
        ErrorCase { "#1001:\n#ENG $GAME$", u"$GAME$ - unknown define. (line 2)", 2, {} },
        ErrorCase { "#-5:\n#ENG 100$", u"Unpaired $ character. (line 2)", 2, {} },
        ErrorCase { "#ENG $A$ and $", u"$A$ - unknown define. (line 1)", 1, {} },
        // A byte-order mark alone is 8-bit text, and not a command.
        ErrorCase { "\xFF\xFE", u"\"\xFF\xFE\"is not a command (line 1)", 1, {} }));

using MlMessages = MlTest;

TEST_F(MlMessages, LongTokensAndNamesAreQuotedToTheirFirstHundredUnits)
{
    const std::u16string x100(ML_MESSAGE_QUOTE_UNITS, u'x');
    const std::string name(5000, 'x');
    ASSERT_EQ(0, Load(std::string(10000, 'x') + " more"));
    EXPECT_EQ(u"\"" + x100 + u"\"is not a command (line 1)", OnlyMessage());
    Errors().clear();
    ASSERT_EQ(0, Load("#DEFINE " + name + " 1\n#DEFINE " + name + " 2\n#1:\n"));
    EXPECT_EQ(u"\"" + x100 + u"\" already defined. (line 2)", OnlyMessage());
    Errors().clear();
    ASSERT_EQ(0, Load("#1:\n#ENG $" + name + "$"));
    EXPECT_EQ(u"$" + x100 + u"$ - unknown define. (line 2)", OnlyMessage());
}

TEST_F(MlMessages, FormattingStaysInsideTheBufferForExtremeArguments)
{
    std::vector<char16_t> buffer(ML_MESSAGE_CAPACITY + 16, u'#');
    size_t length = ml::detail::FormatMessage(buffer.data(), ml::detail::Message::NotACommand,
        std::u16string(100000, u'%'), 0, INT32_MIN);
    EXPECT_LT(length, ML_MESSAGE_CAPACITY);
    std::u16string message(buffer.data());
    EXPECT_EQ(length, message.size());
    EXPECT_EQ(u"\"is not a command (line -2147483648)", message.substr(message.size() - 36));
    for (size_t i = ML_MESSAGE_CAPACITY; i < buffer.size(); ++i)
        ASSERT_EQ(u'#', buffer[i]) << i;
}

}
