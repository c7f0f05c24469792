#include "shared/assets.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "shared/properties.h"

namespace {

struct EmbeddedSymbols {
    const char* name;
    const unsigned char* data;
    const unsigned char* end;
    const std::uint32_t* size;
};

const std::vector<EmbeddedSymbols>& everyAsset() {
#define INSTALLER_LIST_ASSET(name) {#name, r_##name##Data, r_##name##End, &r_##name##Size},
    static const std::vector<EmbeddedSymbols> all{INSTALLER_EMBEDDED_ASSETS(INSTALLER_LIST_ASSET)};
#undef INSTALLER_LIST_ASSET
    return all;
}

std::uintptr_t address(const void* p) { return reinterpret_cast<std::uintptr_t>(p); }

std::uintptr_t nextBoundary(std::uintptr_t a) { return (a + 16) & ~std::uintptr_t{15}; }

bool allZero(const unsigned char* from, const unsigned char* to) {
    return std::all_of(from, to, [](unsigned char b) { return b == 0; });
}

std::uint32_t littleEndian32(const unsigned char* p) {
    return p[0] | p[1] << 8 | p[2] << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

std::uint16_t littleEndian16(const unsigned char* p) {
    return static_cast<std::uint16_t>(p[0] | p[1] << 8);
}

std::uint32_t bigEndian32(const unsigned char* p) {
    return static_cast<std::uint32_t>(p[0]) << 24 | p[1] << 16 | p[2] << 8 | p[3];
}

TEST(EmbeddedAssets, EachAssetFollowsTheSymbolLayout) {
    for (const auto& a : everyAsset()) {
        SCOPED_TRACE(a.name);
        EXPECT_EQ(address(a.data) % 16, 0u);
        EXPECT_EQ(*a.size, static_cast<std::uint32_t>(a.end - a.data));
        EXPECT_GT(*a.size, 0u);
        EXPECT_EQ(*a.end, 1);

        const auto* sizeWord = reinterpret_cast<const unsigned char*>(a.size);
        EXPECT_EQ(address(sizeWord), nextBoundary(address(a.end)));
        EXPECT_TRUE(allZero(a.end + 1, sizeWord));
        EXPECT_EQ(littleEndian32(sizeWord), *a.size);
        const auto* afterSize = reinterpret_cast<const unsigned char*>(nextBoundary(address(sizeWord)));
        EXPECT_TRUE(allZero(sizeWord + 4, afterSize));
    }
}

TEST(EmbeddedAssets, AssetsFollowOneAnotherInTableOrder) {
    const auto& all = everyAsset();
    ASSERT_EQ(all.size(), 8u);
    const char* order[] = {"properties", "roboto_regular", "roboto_bold", "icon_close",
                           "icon_check", "icon_collapsed", "icon_expanded", "installer_zip"};
    for (std::size_t i = 0; i < all.size(); ++i) {
        EXPECT_STREQ(all[i].name, order[i]);
        if (i + 1 < all.size()) {
            EXPECT_EQ(address(all[i + 1].data), nextBoundary(address(all[i].size)))
                << all[i].name << " is not directly followed by " << all[i + 1].name;
        }
    }
}

TEST(EmbeddedAssets, ReferenceCarriesDataSizeAndName) {
    const AssetRef ref = EMBEDDED_ASSET(icon_check);
    EXPECT_EQ(ref.assetData, r_icon_checkData);
    EXPECT_EQ(ref.assetSize, r_icon_checkSize);
    EXPECT_EQ(ref.assetName, "icon_check");

    const auto bytes = assets::raw(ref);
    EXPECT_EQ(bytes.data(), r_icon_checkData);
    EXPECT_EQ(bytes.size(), ref.assetSize);
    const std::string copy = assets::string(ref);
    ASSERT_EQ(copy.size(), ref.assetSize);
    EXPECT_EQ(std::memcmp(copy.data(), ref.assetData, copy.size()), 0);
}

TEST(AssetAccess, ZeroLengthAssetGivesEmptySpanAndString) {
    const AssetRef none{nullptr, 0, "none"};
    EXPECT_TRUE(assets::raw(none).empty());
    EXPECT_EQ(assets::string(none), "");

    const unsigned char byte = 7;
    const AssetRef empty{&byte, 0, "empty"};
    EXPECT_TRUE(assets::raw(empty).empty());
    EXPECT_EQ(assets::string(empty), "");
}

TEST(AssetAccess, StringKeepsEveryByte) {
    const unsigned char bytes[] = {'a', 0, '\r', '\n', 0xFF, 0};
    const std::string copy = assets::string(AssetRef{bytes, sizeof bytes, "bytes"});
    EXPECT_EQ(copy, std::string("a\0\r\n\xFF\0", 6));
}

TEST(PropertiesAsset, IsCrLfTextEndingInALoneBackslashLine) {
    const std::string text = assets::string(EMBEDDED_ASSET(properties));
    EXPECT_EQ(text.size(), 4446u);
    std::size_t lineBreaks = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\n') continue;
        ++lineBreaks;
        ASSERT_TRUE(i > 0 && text[i - 1] == '\r') << "bare LF at byte " << i;
    }
    EXPECT_EQ(lineBreaks + 1, 55u);
    EXPECT_EQ(text.substr(text.rfind('\n') + 1), "\\n\\");
}

TEST(PropertiesAsset, CarriesTheSevenKeysInOrder) {
    const std::string text = assets::string(EMBEDDED_ASSET(properties));
    std::size_t previous = 0;
    for (const char* key : {"title=", "heading=", "plugID=", "description=", "celebration=",
                            "failure=", "license="}) {
        const std::size_t at = text.find(std::string("\r\n") + key);
        ASSERT_NE(at, std::string::npos) << key;
        EXPECT_GT(at, previous) << key;
        previous = at;
    }

    const Properties props(EMBEDDED_ASSET(properties));
    EXPECT_EQ(props.props.size(), 7u);
    EXPECT_EQ(props.getString("title", ""), "Velliphon");
    EXPECT_EQ(props.getString("heading", ""), "Installer");
    EXPECT_EQ(props.getString("plugID", ""), "com.tarnwick.velliphon");
    for (const char* key : {"description", "celebration", "failure"}) {
        const std::string value = props.getString(key, "");
        EXPECT_TRUE(value.ends_with("\r\n")) << key;
        EXPECT_NE(value.find("\\n\\n"), std::string::npos) << key;
        EXPECT_EQ(value.find('\\', value.find("\\n\\n") + 4), std::string::npos)
            << key << " kept a continuation backslash";
    }
    const std::string license = props.getString("license", "");
    EXPECT_GT(license.size(), 3000u);
    EXPECT_EQ(license.find('\r'), std::string::npos);
    EXPECT_EQ(license.find('\n'), std::string::npos);
}

TEST(IconAssets, AreEighteenSquareGreyAlphaPngs) {
    const unsigned char signature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    for (const AssetRef& icon : {EMBEDDED_ASSET(icon_close), EMBEDDED_ASSET(icon_check),
                                 EMBEDDED_ASSET(icon_collapsed), EMBEDDED_ASSET(icon_expanded)}) {
        SCOPED_TRACE(icon.assetName);
        const auto png = assets::raw(icon);
        ASSERT_GT(png.size(), 33u);
        EXPECT_EQ(std::memcmp(png.data(), signature, 8), 0);
        EXPECT_EQ(std::memcmp(png.data() + 12, "IHDR", 4), 0);
        EXPECT_EQ(bigEndian32(png.data() + 16), 18u);  // width
        EXPECT_EQ(bigEndian32(png.data() + 20), 18u);  // height
        EXPECT_EQ(png[24], 8);                         // bit depth
        EXPECT_EQ(png[25], 4);                         // grey with alpha
        EXPECT_EQ(png[28], 0);                         // not interlaced
    }
}

// What the payload's central directory says about one entry.
struct ZipEntry {
    std::string name;
    std::uint16_t method;
    std::uint32_t uncompressedSize;
    std::uint32_t unixMode;
};

std::vector<ZipEntry> centralDirectory(std::span<const unsigned char> zip) {
    const std::size_t endRecord = 22;
    if (zip.size() < endRecord) return {};
    const unsigned char* eocd = zip.data() + zip.size() - endRecord;  // the payload has no comment
    if (littleEndian32(eocd) != 0x06054b50) return {};
    const std::uint16_t count = littleEndian16(eocd + 10);
    std::size_t at = littleEndian32(eocd + 16);

    std::vector<ZipEntry> entries;
    for (std::uint16_t i = 0; i < count; ++i) {
        if (at + 46 > zip.size()) return {};
        const unsigned char* h = zip.data() + at;
        if (littleEndian32(h) != 0x02014b50) return {};
        const std::size_t nameLength = littleEndian16(h + 28);
        const std::size_t extra = littleEndian16(h + 30);
        const std::size_t comment = littleEndian16(h + 32);
        if (at + 46 + nameLength > zip.size()) return {};
        entries.push_back({std::string(reinterpret_cast<const char*>(h + 46), nameLength),
                           littleEndian16(h + 10), littleEndian32(h + 24),
                           littleEndian32(h + 38) >> 16});
        at += 46 + nameLength + extra + comment;
    }
    return entries;
}

TEST(PayloadAsset, HoldsTheSevenBundleEntriesInOrder) {
    const auto entries = centralDirectory(assets::raw(EMBEDDED_ASSET(installer_zip)));
    const std::uint16_t stored = 0, deflated = 8;
    const std::uint32_t folder = 040755, module = 0100755, file = 0100644;
    struct Expected {
        std::string name;
        std::uint16_t method;
        std::uint32_t unixMode;
    };
    const std::vector<Expected> expected{
        {"Velliphon.vst3/", stored, folder},
        {"Velliphon.vst3/Contents/", stored, folder},
        {"Velliphon.vst3/Contents/moduleinfo.json", deflated, file},
        {"Velliphon.vst3/Contents/x86_64-win/", stored, folder},
        {"Velliphon.vst3/Contents/x86_64-win/Velliphon.vst3", deflated, module},
        {"Velliphon.vst3/desktop.ini", stored, file},
        {"Velliphon.vst3/PlugIn.ico", deflated, file},
    };
    ASSERT_EQ(entries.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE(expected[i].name);
        EXPECT_EQ(entries[i].name, expected[i].name);
        EXPECT_EQ(entries[i].method, expected[i].method);
        EXPECT_EQ(entries[i].unixMode, expected[i].unixMode);
        if (entries[i].name.ends_with('/'))
            EXPECT_EQ(entries[i].uncompressedSize, 0u);
        else
            EXPECT_GT(entries[i].uncompressedSize, 0u);
    }
}

}  // namespace
