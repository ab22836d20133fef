// Load errors: every message with its line suffix, the bound on what a message quotes, and the
// sink that receives them.
#include "tests/ml/ml_fixture.h"

#include <tuple>

namespace {

using mltest::MlTest;

struct MessageCase {
    const char* file;
    const char16_t* message;
    int32_t line;
};

class MlErrors : public MlTest, public ::testing::WithParamInterface<MessageCase> { };

TEST_P(MlErrors, MessageNamesTheLine)
{
    const MessageCase& c = GetParam();
    ASSERT_EQ(0, Load(c.file));
    ASSERT_EQ(1u, Errors().size());
    EXPECT_EQ(c.message, Errors()[0].message);
    EXPECT_EQ(c.line, Errors()[0].line);
    EXPECT_EQ("test.txt", Errors()[0].fileName);
}

INSTANTIATE_TEST_SUITE_P(EveryMessage, MlErrors,
    ::testing::Values(
        MessageCase { "#1:\n// hello\nHello world", u"\"Hello\"is not a command (line 3)", 3 },
        MessageCase { "\n#", u"\"#\"is not a command (line 2)", 2 },
        MessageCase { "#1x:", u"\"1X\" is not number. (line 1)", 1 },
        MessageCase { "#:", u"\"\" is not number. (line 1)", 1 },
        MessageCase { "\n\n#DEFINE   \t", u"Name of define expected. (line 3)", 3 },
        MessageCase { "#DEFINE A 1\n#define A 2", u"\"A\" already defined. (line 2)", 2 },
        MessageCase { "#DEFINE A   ", u"Definition is not complette. (line 1)", 1 },
        MessageCase { "#DEFINE N #12a", u"Incorrect format of number. (line 1)", 1 },
        MessageCase { "#DEFINE N #", u"Incorrect format of number. (line 1)", 1 },
        MessageCase { "#1:\n#ENG $GAME$", u"$GAME$ - unknown define. (line 2)", 2 },
        MessageCase { "#1:\n\n#ENG 100$", u"Unpaired $ character. (line 3)", 3 },
        MessageCase { "#ENG x", u"Text without id. (line 1)", 1 },
        MessageCase { "#1001:\n#ENG x", u"Id 1001 is out of range. (line 2)", 2 }));

using MlMessages = MlTest;

TEST_F(MlMessages, LongTokenIsQuotedToItsFirstHundredUnitsAndKeepsTheLineSuffix)
{
    std::string token(10000, 'x');
    ASSERT_EQ(0, Load(token + " more"));
    std::u16string expected
        = u"\"" + std::u16string(ML_MESSAGE_QUOTE_UNITS, u'x') + u"\"is not a command (line 1)";
    EXPECT_EQ(expected, OnlyMessage());
}

TEST_F(MlMessages, LongDefineNamesAreCutToo)
{
    std::string name(5000, 'N');
    ASSERT_EQ(0, Load("#DEFINE " + name + " 1\n#DEFINE " + name + " 2\n#1:\n"));
    EXPECT_EQ(u"\"" + std::u16string(100, u'N') + u"\" already defined. (line 2)", OnlyMessage());
    Errors().clear();
    ASSERT_EQ(0, Load("#1:\n#ENG $" + name + "$"));
    EXPECT_EQ(u"$" + std::u16string(100, u'N') + u"$ - unknown define. (line 2)", OnlyMessage());
}

TEST_F(MlMessages, FormattingStaysInsideTheBufferForExtremeArguments)
{
    std::vector<char16_t> buffer(ML_MESSAGE_CAPACITY + 16, u'#');
    std::u16string huge(100000, u'%');
    size_t length = ml::detail::FormatMessage(
        buffer.data(), ml::detail::Message::NotACommand, huge, 0, INT32_MIN);
    EXPECT_LT(length, ML_MESSAGE_CAPACITY);
    std::u16string message(buffer.data());
    EXPECT_EQ(length, message.size());
    EXPECT_EQ(u"\"is not a command (line -2147483648)", message.substr(message.size() - 36));
    for (size_t i = ML_MESSAGE_CAPACITY; i < buffer.size(); ++i)
        ASSERT_EQ(u'#', buffer[i]) << i;
}

TEST_F(MlMessages, SetErrorSinkReturnsThePreviousSinkAndNullRestoresTheDefault)
{
    ML_ErrorSink other = [](const char*, int32_t, const char16_t*) {};
    ML_ErrorSink recorder = ML_SetErrorSink(other);
    EXPECT_EQ(other, ML_SetErrorSink(nullptr));
    ML_ErrorSink defaultSink = ML_SetErrorSink(recorder);
    EXPECT_NE(nullptr, defaultSink);
    EXPECT_NE(other, defaultSink);
    EXPECT_NE(recorder, defaultSink);
}

}
