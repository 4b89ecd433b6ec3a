#pragma once

#include "dataset/ntierfield.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

// Texts too long for a cell: a block with a reference count, then the bytes.
// The length is kept by the cells.
class TNTierSharedText {
 public:
  // A new block with one reference.
  static std::byte* Create(std::string_view text);
  static void Retain(std::byte* block);
  static void Release(std::byte* block);
  static const char* Chars(const std::byte* block) {
    return reinterpret_cast<const char*>(block + sizeof(std::uint32_t));
  }
};

// The last long text written to each column of a dataset, so that the next row
// writing the same text shares its block instead of making a copy.
class TNTierTextCache {
 public:
  TNTierTextCache() = default;
  ~TNTierTextCache() { Reset(0); }
  TNTierTextCache(const TNTierTextCache&) = delete;
  TNTierTextCache& operator=(const TNTierTextCache&) = delete;

  // Lets go of every block and makes room for a number of columns.
  void Reset(std::size_t columns);
  // A block holding text, with a reference for the caller.
  std::byte* Share(std::size_t column, std::string_view text);

 private:
  struct TLast {
    std::byte* block = nullptr;
    std::size_t size = 0;
  };
  std::vector<TLast> last_;
};

// One row: a field per active column (as they were when the row was added), and
// the selection flag, which only the dataset changes. The fields follow the row
// in the same block of memory.
class TNTierRow {
 public:
  TNTierRow(const TNTierRow&) = delete;
  TNTierRow& operator=(const TNTierRow&) = delete;

  int FieldCount() const { return count_; }
  TNTierField& Field(int index) { return *FieldAt(static_cast<std::size_t>(index)); }
  const TNTierField& Field(int index) const { return *FieldAt(static_cast<std::size_t>(index)); }
  bool Selected() const { return selected_; }

  // The shared texts of the row's dataset; null when the row shares nothing.
  TNTierTextCache* Texts() const { return texts_; }

 private:
  friend class TNTierDataset;
  friend class TNTierRowList;

  TNTierRow(TNTierTextCache* texts, int count) : texts_(texts), count_(count) {}
  ~TNTierRow() = default;

  static TNTierRow* Create(TNTierTextCache* texts, std::span<const TNTierFieldKind> kinds);
  static void Destroy(TNTierRow* row);

  TNTierField* FieldAt(std::size_t index) const;

  TNTierTextCache* texts_;
  std::int32_t count_;
  bool selected_ = false;
};

static_assert(sizeof(TNTierRow) % alignof(TNTierField) == 0);

// The rows of a dataset in order, owned. A deletion leaves a gap in the array
// where it happened, and the next deletion moves the gap to its own row: rows
// deleted one by one, from either end towards the other, so move once in all
// instead of once per deletion.
class TNTierRowList {
 public:
  TNTierRowList() = default;
  ~TNTierRowList() { Clear(); }
  TNTierRowList(const TNTierRowList&) = delete;
  TNTierRowList& operator=(const TNTierRowList&) = delete;

  std::size_t Size() const { return slots_.size() - GapSize(); }
  bool Empty() const { return Size() == 0; }
  TNTierRow& operator[](std::size_t index) const {
    return *slots_[index < gapBegin_ ? index : index + GapSize()];
  }

  // The list owns row from now on.
  void Append(TNTierRow* row);
  void Delete(std::size_t index);
  // Deletes the rows at the given indexes (ascending, each once) in one pass.
  void Delete(std::span<const std::size_t> indexes);
  void Clear();

  // Every row in order in one array, for reordering them.
  std::vector<TNTierRow*>& Slots();

 private:
  std::size_t GapSize() const { return gapEnd_ - gapBegin_; }
  void MoveGapTo(std::size_t index);

  std::vector<TNTierRow*> slots_;
  // Slots in [gapBegin_, gapEnd_) hold no row.
  std::size_t gapBegin_ = 0;
  std::size_t gapEnd_ = 0;
};
