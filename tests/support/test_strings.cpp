#include "support/strings.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> Tokens(std::string text, const std::string& delimiter) {
  std::vector<std::string> tokens;
  std::string token;
  while (NextToken(text, delimiter, token)) tokens.push_back(token);
  EXPECT_TRUE(text.empty());
  return tokens;
}

}  // namespace

TEST(Strings, NextTokenYieldsEveryPieceThenEmptiesTheRest) {
  EXPECT_EQ(Tokens("a|b", "|"), (std::vector<std::string>{"a", "b"}));
  EXPECT_EQ(Tokens("a|", "|"), (std::vector<std::string>{"a", ""}));
  EXPECT_EQ(Tokens("", "|"), (std::vector<std::string>{""}));
  EXPECT_EQ(Tokens("|x||", "|"), (std::vector<std::string>{"", "x", "", ""}));
  EXPECT_EQ(Tokens("a<>b<c", "<>"), (std::vector<std::string>{"a", "b<c"}));

  std::string rest = "last";
  std::string token;
  ASSERT_TRUE(NextToken(rest, "|", token));
  EXPECT_EQ(token, "last");
  EXPECT_EQ(rest, kEndOfTokens);
  token = "unchanged";
  EXPECT_FALSE(NextToken(rest, "|", token));
  EXPECT_EQ(token, "unchanged");
}

TEST(Strings, LongestTokenPrefersTheFirstOfEqualLength) {
  EXPECT_EQ(LongestToken("ab|cd|e", "|"), "ab");
  EXPECT_EQ(LongestToken("a|bcd|efg", "|"), "bcd");
  EXPECT_EQ(LongestToken("", "|"), "");
}

TEST(Strings, CaseInsensitiveComparisonsFoldOnlyASCII) {
  EXPECT_TRUE(StartsText("; comment", ";"));
  EXPECT_FALSE(StartsText("x", ";"));
  EXPECT_TRUE(StartsText("anything", ""));
  EXPECT_TRUE(StartsText("File.SFV", "file.s"));
  EXPECT_FALSE(StartsText("ab", "abc"));

  EXPECT_TRUE(SameTextASCII("ReadMe.SFV", "readme.sfv"));
  // U+00E9 and U+00C9 in UTF-8 differ in a byte that must not be folded.
  EXPECT_FALSE(SameTextASCII("\xC3\xA9", "\xC3\x89"));
  EXPECT_EQ(UpperCaseASCII("a\xC3\xA9z"), "A\xC3\xA9Z");
  EXPECT_EQ(LowerCaseASCII("ABC-1"), "abc-1");
  // High bytes sort after every ASCII letter, as unsigned bytes do.
  EXPECT_LT(CompareTextASCII("z", "\xC3\xA9"), 0);
  EXPECT_LT(CompareTextASCII("ab", "ABC"), 0);
  EXPECT_EQ(CompareTextASCII("abc", "ABC"), 0);
}

TEST(Strings, PositionsAreOneBasedAndUnlimited) {
  EXPECT_EQ(LastCharPos(' ', "a b c"), 4u);
  EXPECT_EQ(LastCharPos(' ', "abc"), 0u);
  EXPECT_EQ(LastCharPos('/', ""), 0u);
  const std::string longPath = std::string(300, 'x') + "/" + std::string(10, 'y');
  EXPECT_EQ(LastCharPos('/', longPath), 301u);

  EXPECT_EQ(RightChars("abcdef", 2), "ef");
  EXPECT_EQ(RightChars("ab", 5), "ab");
  EXPECT_EQ(RightChars("ab", 0), "");
  EXPECT_EQ(RightChars("ab", -3), "");
}

TEST(Strings, CountsNonOverlappingOccurrences) {
  EXPECT_EQ(CountOccurrences("aaaa", "aa"), 2u);
  EXPECT_EQ(CountOccurrences("aaa", "aa"), 1u);
  EXPECT_EQ(CountOccurrences("abc", ""), 0u);
  EXPECT_EQ(CountOccurrences("", "a"), 0u);

  EXPECT_TRUE(ContainsAnyChar("?*", "a?b"));
  EXPECT_FALSE(ContainsAnyChar("?*", "ab"));
  EXPECT_FALSE(ContainsAnyChar("", "ab"));
}

TEST(Strings, HexToIntWrapsIn32BitsAndCountsStrayCharactersAsMinusOne) {
  EXPECT_EQ(HexToInt("1a2b"), 6699);
  EXPECT_EQ(HexToInt("1A2B"), 6699);
  EXPECT_EQ(HexToInt("G"), -1);
  EXPECT_EQ(HexToInt(""), 0);
  EXPECT_EQ(static_cast<std::uint32_t>(HexToInt("FFFFFFFF")), 0xFFFFFFFFu);
  EXPECT_EQ(static_cast<std::uint32_t>(HexToInt("cbf43926")), 0xCBF43926u);
  // A ninth digit from the right is worth 16^8, which is 0 in 32 bits.
  EXPECT_EQ(HexToInt("123456789"), 0x23456789);
  // A stray character counts -1 at its place: "1G" is 16 - 1.
  EXPECT_EQ(HexToInt("1G"), 15);
  EXPECT_EQ(HexToInt("G0"), -16);
  EXPECT_EQ(HexToInt(" 1"), -16 + 1);
}
