#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// Byte-string helpers. Positions are 1-based and 0 means "absent", so results can
// be tested for truth. Case-insensitive comparisons fold the ASCII letters only:
// file names and SFV text are bytes in no particular encoding.

// What NextToken leaves in rest once the last token has been taken.
inline constexpr std::string_view kEndOfTokens = "<~<EOF>~>";

// Inline: keys, sorts and comparisons fold every byte they look at.
constexpr char UpperCaseASCII(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}
constexpr char LowerCaseASCII(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}
std::string UpperCaseASCII(std::string_view text);
std::string LowerCaseASCII(std::string_view text);
bool SameTextASCII(std::string_view a, std::string_view b);
// <0, 0, >0 like strcmp, after folding both to upper case byte by byte.
int CompareTextASCII(std::string_view a, std::string_view b);

// True when text begins with prefix, ignoring case; an empty prefix always matches.
bool StartsText(std::string_view text, std::string_view prefix);

// Splits the text before the first delimiter off rest into token. When no
// delimiter is left the whole rest is the token and rest becomes kEndOfTokens;
// the call after that empties rest and returns false. So "a|" yields "a" and "",
// and "" yields one empty token:
//   std::string rest = text, token;
//   while (NextToken(rest, "|", token)) ...
bool NextToken(std::string& rest, std::string_view delimiter, std::string& token);

// The longest NextToken piece of text; the first one wins a tie.
std::string LongestToken(std::string_view text, std::string_view delimiter);

// 1-based position of the last c in text, 0 when absent.
std::size_t LastCharPos(char c, std::string_view text);

// The last n bytes (all of them when the text is shorter, none when n <= 0).
std::string RightChars(std::string_view text, long long n);

// Non-overlapping occurrences counted from the left; an empty part counts 0.
std::size_t CountOccurrences(std::string_view text, std::string_view part);

// True when any byte of chars occurs in text.
bool ContainsAnyChar(std::string_view chars, std::string_view text);

inline std::string Iif(bool condition, const std::string& a, const std::string& b) {
  return condition ? a : b;
}
inline int Iif(bool condition, int a, int b) {
  return condition ? a : b;
}

// Hex text to a 32-bit value the way SFV checksums have always been read: every
// character contributes digit * 16^(distance from the right) with the sum kept
// in 32 bits, and a character that is no hex digit counts as -1. So "FFFFFFFF"
// is all bits set, leading digits past the eighth drop out, and "G" gives -1.
std::int32_t HexToInt(std::string_view text);
