#include "shared/properties.h"

#include <climits>
#include <string_view>

#include "shared/assets.h"

namespace {

// White space as the C locale classifies it (and as a regex \s matches it).
bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

std::string_view skipSpace(std::string_view s) {
    std::size_t i = 0;
    while (i < s.size() && isSpace(s[i])) ++i;
    return s.substr(i);
}

bool endsWithBackslash(std::string_view s) { return !s.empty() && s.back() == '\\'; }

// One line of the text: `body` is its characters, `whole` adds its line break.
struct Line {
    std::string_view body;
    std::string_view whole;
};

// Calls `take(Line)` for every line: a run of characters other than CR and LF,
// an optional CR, then LF. Characters that cannot start such a run (anything
// up to a CR that is not directly before the LF) and a last line without LF
// belong to no line and are skipped.
template <typename Take>
void forEachLine(std::string_view text, Take take) {
    std::size_t pos = 0;
    for (std::size_t lf; (lf = text.find('\n', pos)) != std::string_view::npos; pos = lf + 1) {
        std::size_t bodyEnd = (lf > pos && text[lf - 1] == '\r') ? lf - 1 : lf;
        std::size_t start = pos;
        const std::size_t strayCR = text.substr(pos, bodyEnd - pos).rfind('\r');
        if (strayCR != std::string_view::npos) start = pos + strayCR + 1;
        take(Line{text.substr(start, bodyEnd - start), text.substr(start, lf + 1 - start)});
    }
}

}  // namespace

Properties::Properties(const AssetRef& ref) : Properties(assets::string(ref)) {}

Properties::Properties(const std::string& data) {
    std::string* openValue = nullptr;  // the value a trailing backslash continues

    forEachLine(data, [&](Line line) {
        if (openValue) {
            if (endsWithBackslash(line.body)) {
                line.body.remove_suffix(1);
                openValue->append(line.body);
            } else {
                openValue->append(line.whole);
                openValue = nullptr;
            }
            return;
        }

        const std::string_view content = skipSpace(line.body);
        if (!content.empty() && content.front() == '#') return;

        const std::size_t eq = line.body.find('=');
        if (eq == std::string_view::npos || eq == 0) return;

        const std::string_view key = line.body.substr(0, eq);
        std::string_view value = skipSpace(line.body.substr(eq + 1));
        const bool continues = endsWithBackslash(line.body);
        if (continues) value.remove_suffix(1);

        // A repeated key keeps its first value, but its continuation lines
        // still extend that stored value.
        const auto stored = props.try_emplace(std::string(key), value).first;
        if (continues) openValue = &stored->second;
    });
}

std::string Properties::getString(const std::string& key, const std::string& fallback) const {
    const auto it = props.find(key);
    return it != props.end() ? it->second : fallback;
}

int Properties::getInt(const std::string& key, int fallback) const {
    const auto it = props.find(key);
    if (it == props.end()) return fallback;

    std::string_view s = skipSpace(it->second);
    bool negative = false;
    if (!s.empty() && (s.front() == '+' || s.front() == '-')) {
        negative = s.front() == '-';
        s.remove_prefix(1);
    }
    // Accumulate towards the sign so INT_MIN itself is reachable, and stop
    // at the bound instead of overflowing.
    const long long limit = negative ? -static_cast<long long>(INT_MIN) : INT_MAX;
    long long magnitude = 0;
    for (char c : s) {
        if (c < '0' || c > '9') break;
        magnitude = magnitude * 10 + (c - '0');
        if (magnitude >= limit) {
            magnitude = limit;
            break;
        }
    }
    return static_cast<int>(negative ? -magnitude : magnitude);
}
