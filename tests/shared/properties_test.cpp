#include "shared/properties.h"

#include <gtest/gtest.h>

#include <climits>
#include <map>
#include <random>
#include <regex>
#include <string>
#include <vector>

#include "shared/assets.h"

namespace {

using Map = std::map<std::string, std::string>;

// An independent reference, built from the four regular expressions that define the format: a line, a comment, a
// continued line and an entry.
Map referenceParse(const std::string& text) {
    static const std::regex line(".*\r?\n"), comment("\\s*#.*\r?\n"), continuation("(.*)\\\\\r?\n"),
        entry("([^=]+)\\s*=\\s*(.*)\r?\n");
    Map props;
    std::string* open = nullptr;
    for (std::sregex_token_iterator it(text.begin(), text.end(), line), end; it != end; ++it) {
        const std::string current = *it;
        std::smatch m;
        if (open) {
            const bool continues = std::regex_match(current, m, continuation);
            *open += continues ? m[1].str() : current;
            open = continues ? open : nullptr;
        } else if (!std::regex_match(current, comment) && std::regex_match(current, m, entry)) {
            std::string value = m[2].str();
            const bool continues = std::regex_match(current, continuation);
            if (continues) value.pop_back();
            std::string& stored = props.emplace(m[1].str(), value).first->second;
            open = continues ? &stored : nullptr;
        }
    }
    return props;
}

// Texts assembled from the pieces the format treats specially, so that line breaks, separators, comments and
// continuations meet in every combination.
std::string randomText(std::mt19937& rng) {
    static const std::vector<std::string> pieces{
        "k",      "key",  "a",        "Z",       " ",      "  ",  "\t",       "\v",
        "\f",     "=",    "==",       "#",       "\\",     "\r",  "\n",       "\r\n",
        "\\\r\n", "\\\n", "\\\\\r\n", "k=v\r\n", "#c\r\n", " = ", "\xC3\xA4", std::string(1, '\0'),
    };
    std::uniform_int_distribution<std::size_t> length(0, 40), pick(0, pieces.size() - 1);
    std::string text;
    for (std::size_t n = length(rng); n > 0; --n) text += pieces[pick(rng)];
    return text;
}

}  // namespace

TEST(Properties, AgreesWithTheRegexReference) {
    std::mt19937 rng(20260101);
    for (int i = 0; i < 4000; ++i) {
        const std::string text = randomText(rng);
        ASSERT_EQ(Properties(text).props, referenceParse(text)) << testing::PrintToString(text);
    }
    EXPECT_EQ(Properties(EMBEDDED_ASSET(properties)).props, referenceParse(assets::string(EMBEDDED_ASSET(properties))));
}

// Cases worked out by hand, so that a fault shared by parser and reference shows.
TEST(Properties, ParsesTheTrickyCasesAsWorkedOutByHand) {
    const std::vector<std::pair<std::string, Map>> cases = {
        {"title = Abc  \r\n  k\t=\tv\r\na=b=c\n", {{"title ", "Abc  "}, {"  k\t", "v"}, {"a", "b=c"}}},
        {"  #word\r\n=x\r\nno equals\r\na=#b\r\nx#=1\r\n", {{"a", "#b"}, {"x#", "1"}}},
        {"k=1\r\nk=2\\\r\nmore\r\n", {{"k", "1more\r\n"}}},
        {"a=1\rb=2\r\nc=3", {{"b", "2"}}},
        {"k=one \\\r\n# two\\\r\n\r\nz=1\r\n", {{"k", "one # two\r\n"}, {"z", "1"}}},
        {"k=  \\\r\nx\\\\\r\ny=1\n", {{"k", "x\\y=1\n"}}},
        {"k=a\\\r\nb\\\r\n\\n\\", {{"k", "ab"}}},
        {std::string("k=a\0b\n", 6), {{"k", std::string("a\0b", 3)}}},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(Properties(text).props, expected) << testing::PrintToString(text);
}

TEST(Properties, LookupsFallBackOnlyForMissingKeysAndReadIntsLikeAtoiClamped) {
    const Properties p("empty=\r\nk=v\r\n");
    EXPECT_EQ(p.getString("empty", "fallback"), "");
    EXPECT_EQ(p.getString("K", "fallback"), "fallback");
    EXPECT_EQ(p.getInt("missing", -1), -1);
    // clang-format off
    for (const auto& [value, expected] : {std::pair{"42", 42}, {"-17 apples", -17}, {"+8", 8}, {"\\\n \t 12x", 12},
             {"twelve", 0}, {"", 0}, {"-", 0}, {"0x1F", 0}, {"2147483647", INT_MAX}, {"-2147483648", INT_MIN},
             {"2147483648", INT_MAX}, {"-2147483649", INT_MIN}, {"99999999999999999999999999999", INT_MAX},
             {"-99999999999999999999999999999", INT_MIN}, {"-0000000000000000000000000000005", -5}})
        EXPECT_EQ(Properties(std::string("n=") + value + "\n").getInt("n", -1), expected) << value;
    // clang-format on
}
