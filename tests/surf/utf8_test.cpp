#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "surf/surf.h"

namespace {

// Decodes all of s, returning the code points.
std::vector<int> decodeAll(const std::string& s) {
  std::vector<int> cps;
  const char* p = s.c_str();
  while (*p) {
    int cp = -1;
    const char* next = surfDecodeUTF8(p, &cp);
    EXPECT_GT(next, p);
    p = next;
    cps.push_back(cp);
  }
  return cps;
}

std::string encode(int cp) {
  char buf[8] = {0};
  char* end = surfEncodeUTF8(buf, cp);
  return std::string(buf, end);
}

TEST(Utf8Decode, WellFormedSequencesOfEveryLength) {
  EXPECT_EQ(decodeAll("A\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80"), (std::vector<int>{0x41, 0xE9, 0x20AC, 0x1F600}));
}

TEST(Utf8Decode, BadContinuationGivesReplacementAndSkipsTheBadByte) {
  EXPECT_EQ(decodeAll("\xC3\x41Z"), (std::vector<int>{0xFFFD, 'Z'}));
  EXPECT_EQ(decodeAll("\xE2\x82\x41Z"), (std::vector<int>{0xFFFD, 'Z'}));
}

TEST(Utf8Decode, StrayContinuationByteIsOneReplacement) {
  EXPECT_EQ(decodeAll("\x80\xBFx"), (std::vector<int>{0xFFFD, 0xFFFD, 'x'}));
}

TEST(Utf8Decode, OverlongFormsAreReplaced) {
  EXPECT_EQ(decodeAll("\xE0\x80\x80"), (std::vector<int>{0xFFFD}));
  EXPECT_EQ(decodeAll("\xC0\xAF"), (std::vector<int>{0xFFFD}));
  EXPECT_EQ(decodeAll("\xF0\x8F\xBF\xBF"), (std::vector<int>{0xFFFD}));
}

TEST(Utf8Decode, SequenceCutByTheTerminatorStopsAtIt) {
  // The terminating zero is not consumed, so a caller walking the string
  // never steps past its end.
  const char text[] = "\xF0\x9F";
  int cp = 0;
  const char* next = surfDecodeUTF8(text, &cp);
  EXPECT_EQ(cp, 0xFFFD);
  EXPECT_EQ(next, text + 2);
  EXPECT_EQ(*next, 0);
}

TEST(Utf8Encode, ShortestFormOfEachLength) {
  EXPECT_EQ(encode(0x24), "\x24");
  EXPECT_EQ(encode(0x7FF), "\xDF\xBF");
  EXPECT_EQ(encode(0x800), "\xE0\xA0\x80");
  EXPECT_EQ(encode(0xFFFF), "\xEF\xBF\xBF");
  EXPECT_EQ(encode(0x10FFFF), "\xF4\x8F\xBF\xBF");
}

TEST(Utf8Encode, OutOfRangeBecomesReplacement) {
  EXPECT_EQ(encode(0x110000), "\xEF\xBF\xBD");
  EXPECT_EQ(encode(-1), "\xEF\xBF\xBD");
}

}  // namespace
