// Checks the hand-written parser against a reference built directly from the
// four regular expressions that define the properties format.
#include "shared/properties.h"

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <regex>
#include <string>
#include <vector>

#include "shared/assets.h"

namespace {

using Map = std::map<std::string, std::string>;

Map referenceParse(const std::string& text) {
    static const std::regex line(".*\r?\n");
    static const std::regex comment("\\s*#.*\r?\n");
    static const std::regex continuation("(.*)\\\\\r?\n");
    static const std::regex entry("([^=]+)\\s*=\\s*(.*)\r?\n");

    Map props;
    std::string openKey;
    bool open = false;
    for (std::sregex_token_iterator it(text.begin(), text.end(), line), end; it != end; ++it) {
        const std::string current = *it;
        std::smatch m;
        if (open) {
            if (std::regex_match(current, m, continuation)) {
                props.at(openKey) += m[1].str();
            } else {
                props.at(openKey) += current;
                open = false;
            }
            continue;
        }
        if (std::regex_match(current, comment)) continue;
        if (!std::regex_match(current, m, entry)) continue;
        std::string key = m[1].str();
        std::string value = m[2].str();
        if (std::regex_match(current, continuation)) {
            value.pop_back();
            openKey = key;
            open = true;
        }
        props.emplace(key, value);
    }
    return props;
}

// Texts assembled from the pieces the format treats specially, so that line
// breaks, separators, comments and continuations meet in every combination.
std::string randomText(std::mt19937& rng) {
    static const std::vector<std::string> pieces{
        "k", "key", "a", "Z", " ", "  ", "\t", "\v", "\f", "=", "==", "#", "\\",
        "\r", "\n", "\r\n", "\n", "\r\n", "\\\r\n", "\\\n", "\\\\\r\n", "k=v\r\n",
        "#c\r\n", " = ", "\xC3\xA4", std::string(1, '\0'),
    };
    std::uniform_int_distribution<std::size_t> length(0, 40), pick(0, pieces.size() - 1);
    std::string text;
    for (std::size_t n = length(rng); n > 0; --n) text += pieces[pick(rng)];
    return text;
}

TEST(PropertiesDifferential, AgreesWithTheRegexReferenceOnGeneratedTexts) {
    std::mt19937 rng(20260101);
    for (int i = 0; i < 4000; ++i) {
        const std::string text = randomText(rng);
        ASSERT_EQ(Properties(text).props, referenceParse(text)) << "text #" << i << ": " << testing::PrintToString(text);
    }
}

TEST(PropertiesDifferential, AgreesWithTheRegexReferenceOnTheEmbeddedText) {
    const std::string text = assets::string(EMBEDDED_ASSET(properties));
    EXPECT_EQ(Properties(text).props, referenceParse(text));
}

}  // namespace
