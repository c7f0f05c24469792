#pragma once

#include <map>
#include <string>

struct AssetRef;

// Key/value configuration parsed from a properties text:
//   key=value             (the key is everything before the first "=", blanks
//                          included; blanks after the "=" are skipped)
//   # comment
//   key=first part\       (a trailing backslash continues the value on the
//   second part            next line, joined without separator; the final
//                          line keeps its line break)
// Lines end in LF or CR LF; a last line without a line break is ignored, and
// so is anything before a stray CR inside a line. The first definition of a
// key wins. Values are raw bytes: no escapes are interpreted.
class Properties {
public:
    std::map<std::string, std::string> props;

    Properties() = default;
    explicit Properties(const AssetRef& ref);
    explicit Properties(const std::string& data);

    // The value under exactly this key, or the fallback.
    std::string getString(const std::string& key, const std::string& fallback) const;

    // The value's leading decimal integer, read as atoi reads it (leading
    // white space, optional sign, digits; 0 if there is no number), clamped
    // to the int range; the fallback when the key is absent.
    int getInt(const std::string& key, int fallback) const;
};
