#pragma once

#include "dataset/ntierfield.h"

#include <cstddef>
#include <cstdint>
#include <memory>
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

  // The bytes of a row of a number of fields.
  static std::size_t Bytes(std::size_t fields) {
    return sizeof(TNTierRow) + fields * sizeof(TNTierField);
  }
  // Makes a row in memory of Bytes(kinds.size()).
  static TNTierRow* Create(std::byte* memory, TNTierTextCache* texts,
                           std::span<const TNTierFieldKind> kinds);
  // Ends the row's life; its memory stays with the caller.
  static void Destroy(TNTierRow* row);

  TNTierField* FieldAt(std::size_t index) const;

  TNTierTextCache* texts_;
  std::int32_t count_;
  bool selected_ = false;
};

static_assert(sizeof(TNTierRow) % alignof(TNTierField) == 0);

// Memory for rows of one size, in chunks of many rows: a list holds millions of
// rows, and a block of its own for each would cost a heap header and rounding.
// Freed rows are reused by the next ones; the chunks go back only all at once.
class TNTierRowPool {
 public:
  TNTierRowPool() = default;
  TNTierRowPool(const TNTierRowPool&) = delete;
  TNTierRowPool& operator=(const TNTierRowPool&) = delete;

  // Every row has this size until the next Release.
  std::byte* Allocate(std::size_t bytes);
  void Free(std::byte* row);
  // Gives every chunk back; no row may be in use.
  void Release();

 private:
  std::vector<std::unique_ptr<std::byte[]>> chunks_;
  std::size_t rowBytes_ = 0;
  std::size_t chunkRows_ = 0;  // rows in the last chunk
  std::size_t usedRows_ = 0;   // of those, the ones handed out
  std::byte* free_ = nullptr;  // freed rows, each holding the address of the next
};

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

  // A new row at the end with fields of the given kinds.
  TNTierRow& Append(TNTierTextCache* texts, std::span<const TNTierFieldKind> kinds);
  void Delete(std::size_t index);
  // Deletes the rows at the given indexes (ascending, each once) in one pass.
  void Delete(std::span<const std::size_t> indexes);
  void Clear();

  // Every row in order in one array, for reordering them.
  std::vector<TNTierRow*>& Slots();

 private:
  std::size_t GapSize() const { return gapEnd_ - gapBegin_; }
  void MoveGapTo(std::size_t index);
  void Free(TNTierRow* row);

  TNTierRowPool pool_;
  std::vector<TNTierRow*> slots_;
  // Slots in [gapBegin_, gapEnd_) hold no row.
  std::size_t gapBegin_ = 0;
  std::size_t gapEnd_ = 0;
};
