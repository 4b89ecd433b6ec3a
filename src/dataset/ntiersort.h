#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The values of one sort key for every row, read once before a sort: texts
// upper-cased (ASCII only) into one block, numbers as doubles.
class TNTierSortKey {
 public:
  // Empties the key for a new sort, keeping the memory of the last one.
  void Reset(bool text, bool descending, size_t rows);
  // Rows are added in order, each exactly once.
  void AddNull();
  void AddText(std::string_view text);
  void AddNumber(double value);

  bool IsText() const { return text_; }
  bool Descending() const { return descending_; }
  bool IsNull(int row) const { return null_[static_cast<size_t>(row)] != 0; }
  std::string_view Text(int row) const;
  double Number(int row) const { return numbers_[static_cast<size_t>(row)]; }

 private:
  bool text_ = true;
  bool descending_ = false;
  std::vector<std::uint8_t> null_;
  std::string chars_;
  std::vector<size_t> ends_;
  std::vector<double> numbers_;
};

// Orders rows by a list of keys: nulls first in ascending keys, texts by their
// bytes, numbers by value with NaN first; rows equal on every key keep their
// order. Sorts by the first key, then each run of equal values by the next one,
// so that every comparison reads its values from the entries being sorted.
// Keeps its buffers from one sort to the next: a large list is sorted again and
// again (after every search), and fresh memory costs more than the sort.
class TNTierRowSorter {
 public:
  TNTierRowSorter();
  ~TNTierRowSorter();
  TNTierRowSorter(const TNTierRowSorter&) = delete;
  TNTierRowSorter& operator=(const TNTierRowSorter&) = delete;

  // The keys of the next sort, in list order.
  TNTierSortKey& AddKey(bool text, bool descending, size_t rows);
  // The rows in their new order (old indexes); forgets the keys.
  const std::vector<int>& Sort(int rows);
  // Gives the memory back.
  void Release();

 private:
  template <typename Value>
  struct TEntry {
    Value value;
    int row;
    bool null;
  };
  using TIterator = std::vector<int>::iterator;

  void SortRange(TIterator first, TIterator last, size_t level);
  template <typename Value>
  void SortBy(TIterator first, TIterator last, size_t level);
  template <typename Value>
  std::vector<TEntry<Value>>& Entries(size_t level);

  std::vector<TNTierSortKey> keys_;
  size_t keyCount_ = 0;
  std::vector<int> order_;
  std::vector<std::vector<TEntry<std::string_view>>> textEntries_;
  std::vector<std::vector<TEntry<double>>> numberEntries_;
};
