#include "support/strings.h"

#include <algorithm>

std::string UpperCaseASCII(std::string_view text) {
  std::string result(text);
  for (char& c : result) c = UpperCaseASCII(c);
  return result;
}

std::string LowerCaseASCII(std::string_view text) {
  std::string result(text);
  for (char& c : result) c = LowerCaseASCII(c);
  return result;
}

int CompareTextASCII(std::string_view a, std::string_view b) {
  const std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    // Compare as unsigned bytes so that names with high bytes sort after ASCII.
    const auto x = static_cast<unsigned char>(UpperCaseASCII(a[i]));
    const auto y = static_cast<unsigned char>(UpperCaseASCII(b[i]));
    if (x != y) return x < y ? -1 : 1;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

bool SameTextASCII(std::string_view a, std::string_view b) {
  return a.size() == b.size() && CompareTextASCII(a, b) == 0;
}

bool StartsText(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && SameTextASCII(text.substr(0, prefix.size()), prefix);
}

bool NextToken(std::string& rest, std::string_view delimiter, std::string& token) {
  if (rest == kEndOfTokens) {
    rest.clear();
    return false;
  }
  const std::size_t at = delimiter.empty() ? std::string::npos : rest.find(delimiter);
  if (at == std::string::npos) {
    token = rest;
    rest = kEndOfTokens;
  } else {
    token = rest.substr(0, at);
    rest.erase(0, at + delimiter.size());
  }
  return true;
}

std::string LongestToken(std::string_view text, std::string_view delimiter) {
  std::string rest(text);
  std::string token;
  std::string longest;
  bool first = true;
  while (NextToken(rest, delimiter, token)) {
    if (first || token.size() > longest.size()) longest = token;
    first = false;
  }
  return longest;
}

std::size_t LastCharPos(char c, std::string_view text) {
  const std::size_t at = text.rfind(c);
  return at == std::string_view::npos ? 0 : at + 1;
}

std::string RightChars(std::string_view text, long long n) {
  if (n <= 0) return {};
  const auto count = static_cast<std::size_t>(n);
  return std::string(count >= text.size() ? text : text.substr(text.size() - count));
}

std::size_t CountOccurrences(std::string_view text, std::string_view part) {
  if (part.empty()) return 0;
  std::size_t count = 0;
  for (std::size_t at = text.find(part); at != std::string_view::npos;
       at = text.find(part, at + part.size())) {
    ++count;
  }
  return count;
}

bool ContainsAnyChar(std::string_view chars, std::string_view text) {
  return !chars.empty() && text.find_first_of(chars) != std::string_view::npos;
}

std::int32_t HexToInt(std::string_view text) {
  constexpr std::string_view kDigits = "0123456789ABCDEF";
  // Unsigned arithmetic wraps by definition; the power becomes 0 past the
  // eighth digit, which is exactly the "higher bits are dropped" rule.
  std::uint32_t sum = 0;
  std::uint32_t power = 1;
  for (auto it = text.rbegin(); it != text.rend(); ++it) {
    const std::size_t at = kDigits.find(UpperCaseASCII(*it));
    const std::uint32_t digit = at == std::string_view::npos ? static_cast<std::uint32_t>(-1)
                                                             : static_cast<std::uint32_t>(at);
    sum += digit * power;
    power *= 16u;
  }
  return static_cast<std::int32_t>(sum);
}
