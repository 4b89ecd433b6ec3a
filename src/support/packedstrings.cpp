#include "support/packedstrings.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <stdexcept>

namespace {

using TLength = std::uint32_t;

}  // namespace

void TPackedStrings::Add(std::string_view text) {
  if (text.size() > UINT32_MAX - sizeof(TLength)) throw std::length_error("string too long");
  const std::size_t need = sizeof(TLength) + text.size();
  if (need > left_) {
    const std::size_t size = std::max(kBlockSize, need);
    blocks_.push_back(std::make_unique_for_overwrite<char[]>(size));
    free_ = blocks_.back().get();
    left_ = size;
  }
  const auto length = static_cast<TLength>(text.size());
  std::memcpy(free_, &length, sizeof length);
  if (!text.empty()) std::memcpy(free_ + sizeof length, text.data(), text.size());
  strings_.push_back(free_);
  free_ += need;
  left_ -= need;
}

std::string_view TPackedStrings::operator[](std::size_t index) const {
  const char* at = strings_[index];
  TLength length = 0;
  std::memcpy(&length, at, sizeof length);
  return {at + sizeof length, length};
}
