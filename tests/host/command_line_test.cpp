#include "platform/path_split.h"
#include "host/wizard_command_line.h"
#include "model/decimal.h"

#include <gtest/gtest.h>

#include <climits>
#include <vector>

namespace {

std::vector<std::string> Tokens(std::string_view line)
{
    std::vector<std::string> tokens;
    std::string token;
    while (NextToken(line, token))
        tokens.push_back(token);
    return tokens;
}

using Strings = std::vector<std::string>;

} // namespace

TEST(CommandLineTokens, BlanksAndTabsSeparate)
{
    EXPECT_EQ(Tokens("zorvex  -n\t/d/f.vhd"), (Strings{"zorvex", "-n", "/d/f.vhd"}));
}

TEST(CommandLineTokens, QuotedTokenKeepsBlanksAndLosesQuotes)
{
    EXPECT_EQ(Tokens("zorvex \"/my designs/f.vhd\" -h77"), (Strings{"zorvex", "/my designs/f.vhd", "-h77"}));
}

TEST(CommandLineTokens, QuotedTokenAfterQuotedTokenLosesItsQuotesToo)
{
    EXPECT_EQ(Tokens("\"/opt/zorvex\" \"/a b/f.v\""), (Strings{"/opt/zorvex", "/a b/f.v"}));
}

TEST(CommandLineTokens, TrailingBlanksGiveNoEmptyToken)
{
    EXPECT_EQ(Tokens("zorvex -n   "), (Strings{"zorvex", "-n"}));
    EXPECT_EQ(Tokens("   "), Strings{});
    EXPECT_EQ(Tokens(""), Strings{});
}

TEST(CommandLineTokens, VeryLongParameterIsKeptWhole)
{
    const std::string path = "/" + std::string(5000, 'd') + "/f.vhd";
    EXPECT_EQ(Tokens("zorvex " + path), (Strings{"zorvex", path}));
}

TEST(CommandLineJoin, QuotesArgumentsWithBlanksOrNothing)
{
    const char* argv[] = {"zorvex", "-n", "/a b/f.v", "", "x\ty"};
    EXPECT_EQ(JoinArguments(5, argv), "zorvex -n \"/a b/f.v\" \"\" \"x\ty\"");
}

TEST(CommandLineJoin, JoinedLineTokenizesBackToTheArguments)
{
    const char* argv[] = {"/usr/bin/zorvex", "-silent", "/my designs/f.vhd", "-x500"};
    EXPECT_EQ(Tokens(JoinArguments(4, argv)), (Strings{"/usr/bin/zorvex", "-silent", "/my designs/f.vhd", "-x500"}));
    // A quote in the program name could swallow the arguments after it; the name loses it.
    const char* quotedName[] = {"/opt/a \"b/zorvex", "/d/f.v"};
    EXPECT_EQ(Tokens(JoinArguments(2, quotedName)), (Strings{"/opt/a b/zorvex", "/d/f.v"}));
}

TEST(CommandLineJoin, AnArgumentHoldingAQuoteCannotBeCarried)
{
    const char* plain[] = {"zorvex\"", "-n", "/my designs/f.vhd", "  "};
    EXPECT_EQ(UncarriableArgument(4, plain), nullptr);
    // Its quotes would take "-n" and the path into one token with it.
    const char* empty[] = {"zorvex", "", "-n", "/d/f.v"};
    EXPECT_EQ(UncarriableArgument(4, empty), empty[1]);
    const char* quoted[] = {"zorvex", "-n", "/a/x\" /b/victim/v.v -n", "\"/c.v"};
    EXPECT_STREQ(UncarriableArgument(4, quoted), "/a/x\" /b/victim/v.v -n");
    const char* leading[] = {"zorvex", "\"/c.v"};
    EXPECT_STREQ(UncarriableArgument(2, leading), "\"/c.v");
}

class ParseParameterTest : public ::testing::Test {
protected:
    HostValues host;
    WizardCommandLine line{host};
};

TEST_F(ParseParameterTest, BareArgumentIsTheFileNameAndALaterOneReplacesIt)
{
    EXPECT_TRUE(line.ParseParameter("/d/a.vhd", false, false));
    EXPECT_TRUE(line.ParseParameter("500", false, false));
    EXPECT_EQ(line.fileName, "500");
}

TEST_F(ParseParameterTest, WordOptions)
{
    EXPECT_TRUE(line.ParseParameter("symbol", true, false));
    EXPECT_TRUE(line.ParseParameter("silent", true, false));
    EXPECT_EQ(line.symbolFile, 1);
    EXPECT_EQ(line.silent, 1);
}

TEST_F(ParseParameterTest, OtherLetterCaseIsNotUnderstood)
{
    EXPECT_FALSE(line.ParseParameter("Symbol", true, false));
    EXPECT_FALSE(line.ParseParameter("SILENT", true, false));
    EXPECT_FALSE(line.ParseParameter("", true, false));
    EXPECT_EQ(line.symbolFile, 0);
    EXPECT_EQ(line.silent, 0);
}

TEST_F(ParseParameterTest, FlaggedTokenWithADotIsAPathWithItsSlash)
{
    EXPECT_TRUE(line.ParseParameter("home/d/f.v", true, false));
    EXPECT_EQ(line.fileName, "/home/d/f.v");
    EXPECT_TRUE(line.ParseParameter("f.tdf", true, false));
    EXPECT_EQ(line.fileName, "/f.tdf");
}

TEST_F(ParseParameterTest, LetterOptionsTakeTheAttachedValue)
{
    EXPECT_TRUE(line.ParseParameter("h12abc", true, false));
    EXPECT_TRUE(line.ParseParameter("new", true, false));
    EXPECT_TRUE(line.ParseParameter("p2", true, false));
    EXPECT_TRUE(line.ParseParameter("tsome text", true, false));
    EXPECT_EQ(line.hostThreadId, 12);
    EXPECT_TRUE(host.hostThreadKnown);
    EXPECT_EQ(line.newFile, 1);
    EXPECT_EQ(line.pageOffset, 2);
    EXPECT_EQ(line.textOption, "some text");
}

TEST_F(ParseParameterTest, CornerOptions)
{
    EXPECT_TRUE(line.ParseParameter("x500", true, false));
    EXPECT_EQ(host.cornerX, 500);
    EXPECT_EQ(host.cornerY, 100);
    EXPECT_TRUE(host.cornerKnown);
    EXPECT_TRUE(line.ParseParameter("y", true, false));
    EXPECT_EQ(host.cornerY, 0);
    EXPECT_TRUE(line.ParseParameter("x-40", true, false));
    EXPECT_EQ(host.cornerX, -40);
}

TEST_F(ParseParameterTest, UnknownLetterIsNotUnderstood)
{
    EXPECT_FALSE(line.ParseParameter("q", true, false));
    EXPECT_FALSE(line.ParseParameter("S", true, false));
}

TEST(Decimal, ConvertsLikeTheCLibraryWithoutOverflow)
{
    EXPECT_EQ(ParseDecimal("  42abc"), 42);
    EXPECT_EQ(ParseDecimal("-17"), -17);
    EXPECT_EQ(ParseDecimal("+5"), 5);
    EXPECT_EQ(ParseDecimal("abc"), 0);
    EXPECT_EQ(ParseDecimal(""), 0);
    EXPECT_EQ(ParseDecimal("-"), 0);
    EXPECT_EQ(ParseDecimal("2147483647"), INT_MAX);
    EXPECT_EQ(ParseDecimal("-2147483648"), INT_MIN);
    EXPECT_EQ(ParseDecimal("99999999999999999999999"), INT_MAX);
    EXPECT_EQ(ParseDecimal("-99999999999999999999999"), INT_MIN);
}

TEST(DesignPathSplit, DirectoryBaseNameAndExtension)
{
    const SplitPath split = SplitDesignPath("/d/sub/f.tdf");
    EXPECT_EQ(split.directory, "/d/sub/");
    EXPECT_EQ(split.baseName, "f");
    EXPECT_EQ(split.extension, ".tdf");
}

TEST(DesignPathSplit, OnlyTheLastDotOfTheNameStartsTheExtension)
{
    const SplitPath split = SplitDesignPath("/d.x/a.b.vhd");
    EXPECT_EQ(split.directory, "/d.x/");
    EXPECT_EQ(split.baseName, "a.b");
    EXPECT_EQ(split.extension, ".vhd");
    const SplitPath noDot = SplitDesignPath("/d.x/name");
    EXPECT_EQ(noDot.baseName, "name");
    EXPECT_EQ(noDot.extension, "");
}

TEST(DesignPathSplit, BackslashIsAnOrdinaryCharacter)
{
    const SplitPath split = SplitDesignPath("C:\\d\\f.v");
    EXPECT_EQ(split.directory, "");
    EXPECT_EQ(split.baseName, "C:\\d\\f");
    EXPECT_EQ(split.extension, ".v");
}

TEST(DesignPathTrim, WhiteSpaceOfEveryKindBeforeThePathGoesAndAfterItStays)
{
    const struct {
        const char* fileName;
        const char* path;
    } cases[] = {
        {"/d/f.vhd", "/d/f.vhd"},
        {" \t /d/f.vhd", "/d/f.vhd"},
        {"\n/d/f.vhd", "/d/f.vhd"},
        {"\r/d/f.vhd", "/d/f.vhd"},
        {"\v/d/f.vhd", "/d/f.vhd"},
        {"\f/d/f.vhd", "/d/f.vhd"},
        {" \r\n/d/f .vhd \t\n", "/d/f .vhd \t\n"},
        {" \t\n\r\v\f", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TrimDesignPath(c.fileName), c.path);
}
