#include "dataset/ntiersort.h"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <type_traits>
#include <utility>

namespace {

char Upper(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

int CompareValues(std::string_view a, std::string_view b) {
  return a.compare(b);
}

int CompareValues(double a, double b) {
  const bool nanA = std::isnan(a), nanB = std::isnan(b);
  if (nanA || nanB) return static_cast<int>(!nanA) - static_cast<int>(!nanB);
  return a < b ? -1 : (b < a ? 1 : 0);
}

// <0, 0 or >0 in ascending order, nulls first.
template <typename Entry>
int Compare(const Entry& a, const Entry& b) {
  if (a.null || b.null) return static_cast<int>(!a.null) - static_cast<int>(!b.null);
  return CompareValues(a.value, b.value);
}

}  // namespace

// Keys -------------------------------------------------------------------------

void TNTierSortKey::Reset(bool text, bool descending, size_t rows) {
  text_ = text;
  descending_ = descending;
  null_.clear();
  chars_.clear();
  ends_.clear();
  numbers_.clear();
  null_.reserve(rows);
  if (text_) {
    ends_.reserve(rows);
  } else {
    numbers_.reserve(rows);
  }
}

void TNTierSortKey::AddNull() {
  null_.push_back(1);
  if (text_) {
    ends_.push_back(chars_.size());
  } else {
    numbers_.push_back(0.0);
  }
}

void TNTierSortKey::AddText(std::string_view text) {
  null_.push_back(0);
  const size_t start = chars_.size();
  chars_.resize(start + text.size());
  std::transform(text.begin(), text.end(), chars_.begin() + static_cast<long>(start), Upper);
  ends_.push_back(chars_.size());
}

void TNTierSortKey::AddNumber(double value) {
  null_.push_back(0);
  numbers_.push_back(value);
}

std::string_view TNTierSortKey::Text(int row) const {
  const size_t index = static_cast<size_t>(row);
  const size_t start = index == 0 ? 0 : ends_[index - 1];
  return std::string_view(chars_).substr(start, ends_[index] - start);
}

// Sorter -----------------------------------------------------------------------

TNTierRowSorter::TNTierRowSorter() = default;
TNTierRowSorter::~TNTierRowSorter() = default;

TNTierSortKey& TNTierRowSorter::AddKey(bool text, bool descending, size_t rows) {
  if (keyCount_ == keys_.size()) keys_.emplace_back();
  TNTierSortKey& key = keys_[keyCount_++];
  key.Reset(text, descending, rows);
  return key;
}

const std::vector<int>& TNTierRowSorter::Sort(int rows) {
  // Sized once here: the levels hold references into these while deeper ones run.
  if (textEntries_.size() < keyCount_) textEntries_.resize(keyCount_);
  if (numberEntries_.size() < keyCount_) numberEntries_.resize(keyCount_);
  order_.resize(static_cast<size_t>(rows));
  std::iota(order_.begin(), order_.end(), 0);
  SortRange(order_.begin(), order_.end(), 0);
  keyCount_ = 0;
  return order_;
}

void TNTierRowSorter::Release() {
  keys_.clear();
  keyCount_ = 0;
  order_ = {};
  textEntries_.clear();
  numberEntries_.clear();
}

void TNTierRowSorter::SortRange(TIterator first, TIterator last, size_t level) {
  if (last - first < 2) return;
  if (level == keyCount_) {
    std::sort(first, last);  // equal on every key: the old order
  } else if (keys_[level].IsText()) {
    SortBy<std::string_view>(first, last, level);
  } else {
    SortBy<double>(first, last, level);
  }
}

// One buffer per level: a level's entries are still read while the runs it
// found are sorted by the next level.
template <typename Value>
std::vector<TNTierRowSorter::TEntry<Value>>& TNTierRowSorter::Entries(size_t level) {
  auto& buffers = [this]() -> auto& {
    if constexpr (std::is_same_v<Value, double>) {
      return numberEntries_;
    } else {
      return textEntries_;
    }
  }
  ();
  return buffers[level];
}

template <typename Value>
void TNTierRowSorter::SortBy(TIterator first, TIterator last, size_t level) {
  const TNTierSortKey& key = keys_[level];
  std::vector<TEntry<Value>>& entries = Entries<Value>(level);
  entries.clear();
  for (auto it = first; it != last; ++it) {
    const bool null = key.IsNull(*it);
    if constexpr (std::is_same_v<Value, double>) {
      entries.push_back({null ? 0.0 : key.Number(*it), *it, null});
    } else {
      entries.push_back({null ? std::string_view() : key.Text(*it), *it, null});
    }
  }
  using TEntryType = TEntry<Value>;
  if (key.Descending()) {
    std::sort(entries.begin(), entries.end(),
              [](const TEntryType& a, const TEntryType& b) { return Compare(b, a) < 0; });
  } else {
    std::sort(entries.begin(), entries.end(),
              [](const TEntryType& a, const TEntryType& b) { return Compare(a, b) < 0; });
  }
  for (size_t i = 0; i < entries.size(); ++i) first[static_cast<long>(i)] = entries[i].row;

  // Runs of equal values go to the next level. The entries of this level stay
  // untouched meanwhile: deeper levels use their own buffers.
  const size_t count = entries.size();
  size_t start = 0;
  for (size_t i = 1; i <= count; ++i) {
    if (i < count && Compare(entries[start], entries[i]) == 0) continue;
    if (i - start > 1) {
      SortRange(first + static_cast<long>(start), first + static_cast<long>(i), level + 1);
    }
    start = i;
  }
}
