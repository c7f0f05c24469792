// Window placements in the registry: one 44-byte WINDOWPLACEMENT per title under HKCU\Software\SURF, and values that
// are not one are ignored.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <tuple>

#include "surf/window_placement.h"
#include "surf/window_win32.h"

namespace {

// A title with characters beyond Windows-1252.
const char* const title = "Placement test \xCE\xA9 \xE2\x86\x92";

class PlacementRegistry : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\SURF", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                                  nullptr),
                  ERROR_SUCCESS);
        RegDeleteValueW(key, name.c_str());
    }
    void TearDown() override { RegDeleteValueW(key, name.c_str()), RegCloseKey(key); }
    HKEY key = nullptr;
    std::wstring name = surfWiden(title);
};

TEST_F(PlacementRegistry, RoundTripsAsOneBinaryValueAndOnlyAPlausibleOneIsRead) {
    SurfPlacement loaded = {};
    EXPECT_FALSE(surfPlacementLoad(title, &loaded)) << "missing";
    const SurfRect rect = {120, 80, 628, 457};
    for (int borderless : {0, 1}) {
        surfPlacementStore(title, SurfPlacement{rect, borderless});
        WINDOWPLACEMENT wp = {};
        DWORD type = 0, size = sizeof wp;
        ASSERT_EQ(RegQueryValueExW(key, name.c_str(), nullptr, &type, (BYTE*)&wp, &size), ERROR_SUCCESS);
        EXPECT_EQ(std::vector<DWORD>({type, size, wp.length, wp.showCmd}),
                  std::vector<DWORD>({REG_BINARY, 44, 44, borderless ? 3u : 1u}));
        ASSERT_TRUE(surfPlacementLoad(title, &loaded));
        EXPECT_TRUE(!memcmp(&loaded.rect, &rect, sizeof rect) && loaded.borderless == borderless) << borderless;
    }
    // What is wrong, the value's type and size, the length field and the rectangle; only the first is a placement.
    const std::tuple<const char*, DWORD, DWORD, UINT, RECT> rows[] = {
        {"from another program", REG_BINARY, 44, 44, {100, 50, 608, 427}},
        {"too short", REG_BINARY, 40, 44, {100, 50, 608, 427}},
        {"too long", REG_BINARY, 48, 44, {100, 50, 608, 427}},
        {"not binary", REG_DWORD, 44, 44, {100, 50, 608, 427}},
        {"length field", REG_BINARY, 44, 12, {100, 50, 608, 427}},
        {"no area", REG_BINARY, 44, 44, {300, 300, 300, 500}},
        {"beyond any screen", REG_BINARY, 44, 44, {0, 0, 0x7fffffff, 400}},
    };
    for (const auto& [what, type, size, length, rect] : rows) {
        BYTE data[48] = {};
        WINDOWPLACEMENT wp = {};
        wp.length = length, wp.showCmd = SW_SHOWNORMAL, wp.rcNormalPosition = rect;
        memcpy(data, &wp, sizeof wp);
        ASSERT_EQ(RegSetValueExW(key, name.c_str(), 0, type, data, size), ERROR_SUCCESS);
        loaded = {};
        const bool read = what == std::get<0>(rows[0]);
        EXPECT_EQ(surfPlacementLoad(title, &loaded) != 0, read) << what;
        EXPECT_TRUE(!read || memcmp(&loaded.rect, &rect, sizeof rect) == 0);
    }
}

TEST(WideText, RoundTripsThroughUTF16) {
    const char* text = "Velliphon \xC3\xA9\xE2\x82\xAC \xF0\x9F\x8E\xBB";
    EXPECT_EQ(surfWiden(text).size(), 15u);  // the violin is a surrogate pair
    EXPECT_EQ(surfNarrow(surfWiden(text).c_str()), text);
    EXPECT_EQ(surfWiden("") + surfWiden("a\xFF\x62"), L"a\xFFFD\x62");  // a byte that is no character
}

}  // namespace
