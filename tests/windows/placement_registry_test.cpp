// Window placements in the registry: one 44-byte WINDOWPLACEMENT per title
// under HKCU\Software\SURF, and values that are not one are ignored.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "surf/window_placement.h"
#include "surf/window_win32.h"

namespace {

// A title of its own per test, with characters beyond Windows-1252.
const char* const title = "Placement test \xCE\xA9 \xE2\x86\x92";

class PlacementRegistry : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\SURF", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                              nullptr),
              ERROR_SUCCESS);
    RegDeleteValueW(key, name.c_str());
  }
  void TearDown() override {
    RegDeleteValueW(key, name.c_str());
    RegCloseKey(key);
  }
  void storeRaw(DWORD type, const void* data, DWORD size) {
    ASSERT_EQ(RegSetValueExW(key, name.c_str(), 0, type, (const BYTE*)data, size), ERROR_SUCCESS);
  }
  static WINDOWPLACEMENT valid() {
    WINDOWPLACEMENT wp = {};
    wp.length = sizeof wp;
    wp.showCmd = SW_SHOWNORMAL;
    wp.rcNormalPosition = RECT{100, 50, 608, 427};
    return wp;
  }

  HKEY key = nullptr;
  std::wstring name = surfWiden(title);
};

TEST_F(PlacementRegistry, RoundTripsUnderTheTitleAsOneBinaryValue) {
  surfPlacementStore(title, SurfPlacement{{120, 80, 628, 457}, 0});
  DWORD type = 0, size = 0;
  ASSERT_EQ(RegQueryValueExW(key, name.c_str(), nullptr, &type, nullptr, &size), ERROR_SUCCESS);
  EXPECT_EQ(type, (DWORD)REG_BINARY);
  EXPECT_EQ(size, 44u);

  SurfPlacement loaded = {};
  ASSERT_TRUE(surfPlacementLoad(title, &loaded));
  EXPECT_EQ(loaded.rect.left, 120);
  EXPECT_EQ(loaded.rect.top, 80);
  EXPECT_EQ(loaded.rect.right, 628);
  EXPECT_EQ(loaded.rect.bottom, 457);
  EXPECT_EQ(loaded.borderless, 0);
}

TEST_F(PlacementRegistry, BorderlessFullScreenIsStoredAsMaximised) {
  surfPlacementStore(title, SurfPlacement{{10, 20, 300, 200}, 1});
  WINDOWPLACEMENT wp = {};
  DWORD size = sizeof wp;
  ASSERT_EQ(RegQueryValueExW(key, name.c_str(), nullptr, nullptr, (BYTE*)&wp, &size), ERROR_SUCCESS);
  EXPECT_EQ(wp.length, 44u);
  EXPECT_EQ(wp.showCmd, 3u);

  SurfPlacement loaded = {};
  ASSERT_TRUE(surfPlacementLoad(title, &loaded));
  EXPECT_EQ(loaded.borderless, 1);
  EXPECT_EQ(loaded.rect.right, 300);
}

TEST_F(PlacementRegistry, AValueFromAnotherProgramIsRead) {
  WINDOWPLACEMENT wp = valid();
  storeRaw(REG_BINARY, &wp, sizeof wp);
  SurfPlacement loaded = {};
  ASSERT_TRUE(surfPlacementLoad(title, &loaded));
  EXPECT_EQ(loaded.rect.left, 100);
  EXPECT_EQ(loaded.rect.bottom, 427);
}

TEST_F(PlacementRegistry, MissingOrMalformedValuesAreIgnored) {
  SurfPlacement loaded = {};
  EXPECT_FALSE(surfPlacementLoad(title, &loaded));

  WINDOWPLACEMENT wp = valid();
  storeRaw(REG_BINARY, &wp, 40);
  EXPECT_FALSE(surfPlacementLoad(title, &loaded)) << "too short";

  char longer[48] = {};
  memcpy(longer, &wp, sizeof wp);
  storeRaw(REG_BINARY, longer, sizeof longer);
  EXPECT_FALSE(surfPlacementLoad(title, &loaded)) << "too long";

  storeRaw(REG_DWORD, &wp, sizeof wp);
  EXPECT_FALSE(surfPlacementLoad(title, &loaded)) << "not binary";

  WINDOWPLACEMENT wrongLength = valid();
  wrongLength.length = 12;
  storeRaw(REG_BINARY, &wrongLength, sizeof wrongLength);
  EXPECT_FALSE(surfPlacementLoad(title, &loaded)) << "length field";

  WINDOWPLACEMENT empty = valid();
  empty.rcNormalPosition = RECT{300, 300, 300, 500};
  storeRaw(REG_BINARY, &empty, sizeof empty);
  EXPECT_FALSE(surfPlacementLoad(title, &loaded)) << "no area";

  WINDOWPLACEMENT huge = valid();
  huge.rcNormalPosition = RECT{0, 0, 0x7fffffff, 400};
  storeRaw(REG_BINARY, &huge, sizeof huge);
  EXPECT_FALSE(surfPlacementLoad(title, &loaded)) << "beyond any screen";
}

TEST(WideText, RoundTripsThroughUTF16) {
  const char* text = "Velliphon \xC3\xA9\xE2\x82\xAC \xF0\x9F\x8E\xBB";
  std::wstring wide = surfWiden(text);
  EXPECT_EQ(wide.size(), 15u);  // the violin is a surrogate pair
  EXPECT_EQ(surfNarrow(wide.c_str()), text);
  EXPECT_EQ(surfWiden(""), L"");
  EXPECT_EQ(surfWiden("a\xFF" "b"), L"a\xFFFD" L"b");
}

}  // namespace
