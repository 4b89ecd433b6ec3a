#pragma once

#include <cstddef>
#include <deque>
#include <memory>
#include <string_view>
#include <vector>

// Many short strings, such as the names an SFV of millions of entries lists, kept
// in a few large blocks: a string costs its characters and a dozen bytes, needs no
// allocation of its own, and nothing is copied as the list grows.
class TPackedStrings {
 public:
  void Add(std::string_view text);
  std::size_t Size() const { return strings_.size(); }
  bool Empty() const { return strings_.empty(); }
  std::string_view operator[](std::size_t index) const;

 private:
  static constexpr std::size_t kBlockSize = std::size_t{1} << 20;

  std::vector<std::unique_ptr<char[]>> blocks_;
  char* free_ = nullptr;
  std::size_t left_ = 0;
  std::deque<const char*> strings_;  // each: its length, then its characters
};
