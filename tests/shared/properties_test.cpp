#include "shared/properties.h"

#include <gtest/gtest.h>

#include <climits>
#include <map>
#include <string>

namespace {

using Map = std::map<std::string, std::string>;

Map parse(const std::string& text) { return Properties(text).props; }

TEST(PropertiesEntries, KeyAndValueSplitAtTheFirstEquals) {
    EXPECT_EQ(parse("title=Abc\r\n"), (Map{{"title", "Abc"}}));
    EXPECT_EQ(parse("title=Abc\n"), (Map{{"title", "Abc"}}));
    EXPECT_EQ(parse("a=b=c\r\n"), (Map{{"a", "b=c"}}));
    EXPECT_EQ(parse("a=\r\n"), (Map{{"a", ""}}));
    EXPECT_EQ(parse("a=  \t\r\n"), (Map{{"a", ""}}));
}

TEST(PropertiesEntries, KeyKeepsItsBlanksValueOnlyItsTrailingOnes) {
    const Properties p("title = Abc  \r\n  k\t=\tv\r\n");
    EXPECT_EQ(p.props, (Map{{"title ", "Abc  "}, {"  k\t", "v"}}));
    EXPECT_EQ(p.getString("title", "fallback"), "fallback");
    EXPECT_EQ(p.getString("title ", "fallback"), "Abc  ");
}

TEST(PropertiesEntries, BytesPassThroughUnchanged) {
    EXPECT_EQ(parse("gr\xC3\xBC\xC3\x9F=\xE2\x82\xAC \\n \\t\r\n"),
              (Map{{"gr\xC3\xBC\xC3\x9F", "\xE2\x82\xAC \\n \\t"}}));
    EXPECT_EQ(parse(std::string("k=a\0b\n", 6)), (Map{{"k", std::string("a\0b", 3)}}));
}

TEST(PropertiesEntries, CommentsAndMalformedLinesAreDropped) {
    EXPECT_EQ(parse("  #word\r\n#a=b\r\n=x\r\nno equals\r\n\r\n   \r\n"), Map{});
    EXPECT_EQ(parse("a=#b\r\n"), (Map{{"a", "#b"}}));
    EXPECT_EQ(parse("x#=1\r\n"), (Map{{"x#", "1"}}));
}

TEST(PropertiesEntries, FirstDefinitionWins) {
    EXPECT_EQ(parse("k=1\r\nk=2\r\n"), (Map{{"k", "1"}}));
}

TEST(PropertiesLines, OnlyTerminatedLinesCount) {
    EXPECT_EQ(parse("a=1"), Map{});
    EXPECT_EQ(parse("a=1\r\nb=2"), (Map{{"a", "1"}}));
    EXPECT_EQ(parse(""), Map{});
    EXPECT_EQ(parse("\r\n\n\r\n"), Map{});
    EXPECT_EQ(parse("a=1\nb=2\r\nc=3\n"), (Map{{"a", "1"}, {"b", "2"}, {"c", "3"}}));
}

TEST(PropertiesLines, StrayCarriageReturnCutsTheLineBeforeIt) {
    // A CR not followed by LF ends nothing; what precedes it is not part of
    // any line, so the line restarts after it.
    EXPECT_EQ(parse("a=1\rb=2\r\n"), (Map{{"b", "2"}}));
    EXPECT_EQ(parse("a=1\r\r\n"), Map{});
    EXPECT_EQ(parse("a=1\rb=2"), Map{});
    EXPECT_EQ(parse("\r\rk=v\n"), (Map{{"k", "v"}}));
}

TEST(PropertiesContinuation, LinesJoinWithoutSeparatorAndTheLastKeepsItsBreak) {
    EXPECT_EQ(parse("k=one \\\r\n  two\\\r\nthree\r\n"), (Map{{"k", "one   twothree\r\n"}}));
    EXPECT_EQ(parse("k=one\\\nthree\n"), (Map{{"k", "onethree\n"}}));
}

TEST(PropertiesContinuation, ValueMayStartEmpty) {
    EXPECT_EQ(parse("k=\\\r\nx\r\n"), (Map{{"k", "x\r\n"}}));
    EXPECT_EQ(parse("k=   \\\r\nx\r\n"), (Map{{"k", "x\r\n"}}));
}

TEST(PropertiesContinuation, ContinuedLinesAreValueTextWhateverTheyHold) {
    EXPECT_EQ(parse("k=a\\\r\n# not a comment\\\r\nb=c\\\r\n\\\r\n=\r\nz=1\r\n"),
              (Map{{"k", "a# not a commentb=c=\r\n"}, {"z", "1"}}));
    EXPECT_EQ(parse("k=a\\\r\n\r\nz=1\r\n"), (Map{{"k", "a\r\n"}, {"z", "1"}}));
}

TEST(PropertiesContinuation, DuplicateKeyAppendsToTheFirstValue) {
    EXPECT_EQ(parse("k=1\r\nk=2\\\r\nmore\r\n"), (Map{{"k", "1more\r\n"}}));
}

TEST(PropertiesContinuation, TextEndingWhileOpenKeepsWhatWasAppended) {
    EXPECT_EQ(parse("k=a\\\r\nb\\\r\n\\n\\"), (Map{{"k", "ab"}}));
    EXPECT_EQ(parse("k=a\\\r\n"), (Map{{"k", "a"}}));
}

TEST(PropertiesContinuation, OnlyABackslashRightBeforeTheBreakContinues) {
    EXPECT_EQ(parse("k=a\\ \r\nb=1\r\n"), (Map{{"k", "a\\ "}, {"b", "1"}}));
    EXPECT_EQ(parse("k=a\\\\\r\nb=1\r\n"), (Map{{"k", "a\\b=1\r\n"}}));
}

TEST(PropertiesLookup, StringFallsBackOnlyForMissingKeys) {
    const Properties p("empty=\r\nk=v\r\n");
    EXPECT_EQ(p.getString("empty", "fallback"), "");
    EXPECT_EQ(p.getString("K", "fallback"), "fallback");
    EXPECT_EQ(Properties().getString("k", "x"), "x");
}

TEST(PropertiesLookup, IntReadsTheLeadingNumberLikeAtoi) {
    const Properties p(
        "plain=42\n"
        "signed=-17 apples\n"
        "plus=+8\n"
        "spaced=\\\n \t 12x\n"
        "word=twelve\n"
        "empty=\n"
        "sign=-\n"
        "hex=0x1F\n");
    EXPECT_EQ(p.getInt("plain", -1), 42);
    EXPECT_EQ(p.getInt("signed", -1), -17);
    EXPECT_EQ(p.getInt("plus", -1), 8);
    EXPECT_EQ(p.getInt("spaced", -1), 12);
    EXPECT_EQ(p.getInt("word", -1), 0);
    EXPECT_EQ(p.getInt("empty", -1), 0);
    EXPECT_EQ(p.getInt("sign", -1), 0);
    EXPECT_EQ(p.getInt("hex", -1), 0);
    EXPECT_EQ(p.getInt("missing", -1), -1);
}

TEST(PropertiesLookup, IntClampsToTheIntRange) {
    const Properties p(
        "max=2147483647\n"
        "min=-2147483648\n"
        "above=2147483648\n"
        "below=-2147483649\n"
        "huge=99999999999999999999999999999\n"
        "tiny=-99999999999999999999999999999\n"
        "zeros=-0000000000000000000000000000005\n");
    EXPECT_EQ(p.getInt("max", 0), INT_MAX);
    EXPECT_EQ(p.getInt("min", 0), INT_MIN);
    EXPECT_EQ(p.getInt("above", 0), INT_MAX);
    EXPECT_EQ(p.getInt("below", 0), INT_MIN);
    EXPECT_EQ(p.getInt("huge", 0), INT_MAX);
    EXPECT_EQ(p.getInt("tiny", 0), INT_MIN);
    EXPECT_EQ(p.getInt("zeros", 0), -5);
}

}  // namespace
