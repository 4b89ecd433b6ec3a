#include "dataset/ntierrow.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>

// Shared texts -----------------------------------------------------------------

std::byte* TNTierSharedText::Create(std::string_view text) {
  auto* block = new std::byte[sizeof(std::uint32_t) + text.size()];
  new (block) std::uint32_t(1);
  std::memcpy(block + sizeof(std::uint32_t), text.data(), text.size());
  return block;
}

void TNTierSharedText::Retain(std::byte* block) {
  ++*std::launder(reinterpret_cast<std::uint32_t*>(block));
}

void TNTierSharedText::Release(std::byte* block) {
  if (--*std::launder(reinterpret_cast<std::uint32_t*>(block)) == 0) delete[] block;
}

void TNTierTextCache::Reset(std::size_t columns) {
  for (const TLast& last : last_) {
    if (last.block != nullptr) TNTierSharedText::Release(last.block);
  }
  last_.assign(columns, TLast{});
}

std::byte* TNTierTextCache::Share(std::size_t column, std::string_view text) {
  if (column >= last_.size()) return TNTierSharedText::Create(text);
  TLast& last = last_[column];
  if (last.block == nullptr || last.size != text.size() ||
      std::memcmp(TNTierSharedText::Chars(last.block), text.data(), text.size()) != 0) {
    std::byte* block = TNTierSharedText::Create(text);
    if (last.block != nullptr) TNTierSharedText::Release(last.block);
    last = TLast{block, text.size()};
  }
  TNTierSharedText::Retain(last.block);
  return last.block;
}

// Rows -------------------------------------------------------------------------

TNTierRow* TNTierRow::Create(std::byte* memory, TNTierTextCache* texts,
                             std::span<const TNTierFieldKind> kinds) {
  auto* row = new (memory) TNTierRow(texts, static_cast<int>(kinds.size()));
  std::byte* fields = memory + sizeof(TNTierRow);
  for (std::size_t i = 0; i < kinds.size(); ++i) {
    // Beyond the positions a cell can name, a cell does without the shared texts.
    const auto position =
        static_cast<std::uint8_t>(std::min<std::size_t>(i, TNTierField::kOwnCell));
    new (fields + i * sizeof(TNTierField)) TNTierField(kinds[i], position);
  }
  return row;
}

void TNTierRow::Destroy(TNTierRow* row) {
  for (std::size_t i = 0; i < static_cast<std::size_t>(row->count_); ++i) {
    row->FieldAt(i)->~TNTierField();
  }
  row->~TNTierRow();
}

TNTierField* TNTierRow::FieldAt(std::size_t index) const {
  const auto* fields = reinterpret_cast<const std::byte*>(this) + sizeof(TNTierRow);
  return std::launder(
      reinterpret_cast<TNTierField*>(const_cast<std::byte*>(fields + index * sizeof(TNTierField))));
}

// Row pool ---------------------------------------------------------------------

std::byte* TNTierRowPool::Allocate(std::size_t bytes) {
  if (bytes != rowBytes_) {
    Release();
    rowBytes_ = bytes;
  }
  if (free_ != nullptr) {
    std::byte* row = free_;
    std::memcpy(&free_, row, sizeof free_);
    return row;
  }
  if (usedRows_ == chunkRows_) {
    // Chunks grow with the list, so that a short list stays small.
    constexpr std::size_t kFirstRows = 8;
    constexpr std::size_t kMostRows = 4096;
    const std::size_t rows = chunkRows_ == 0 ? kFirstRows : std::min(chunkRows_ * 2, kMostRows);
    chunks_.push_back(std::make_unique_for_overwrite<std::byte[]>(rows * rowBytes_));
    chunkRows_ = rows;
    usedRows_ = 0;
  }
  return chunks_.back().get() + rowBytes_ * usedRows_++;
}

void TNTierRowPool::Free(std::byte* row) {
  std::memcpy(row, &free_, sizeof free_);
  free_ = row;
}

void TNTierRowPool::Release() {
  std::vector<std::unique_ptr<std::byte[]>>().swap(chunks_);
  chunkRows_ = usedRows_ = 0;
  free_ = nullptr;
}

// Row list ---------------------------------------------------------------------

TNTierRow& TNTierRowList::Append(TNTierTextCache* texts, std::span<const TNTierFieldKind> kinds) {
  if (GapSize() != 0) Slots();
  // Room first, so that a row once made always finds its place.
  if (slots_.size() == slots_.capacity())
    slots_.reserve(std::max<std::size_t>(16, 2 * slots_.size()));
  std::byte* memory = pool_.Allocate(TNTierRow::Bytes(kinds.size()));
  TNTierRow* row = TNTierRow::Create(memory, texts, kinds);
  slots_.push_back(row);
  return *row;
}

void TNTierRowList::Free(TNTierRow* row) {
  TNTierRow::Destroy(row);
  pool_.Free(reinterpret_cast<std::byte*>(row));
}

void TNTierRowList::MoveGapTo(std::size_t index) {
  const auto at = [this](std::size_t slot) { return slots_.begin() + static_cast<long>(slot); };
  if (index < gapBegin_) {
    std::move_backward(at(index), at(gapBegin_), at(gapEnd_));
  } else if (index > gapBegin_) {
    std::move(at(gapEnd_), at(gapEnd_ + (index - gapBegin_)), at(gapBegin_));
  }
  const std::size_t gap = GapSize();
  gapBegin_ = index;
  gapEnd_ = index + gap;
}

void TNTierRowList::Delete(std::size_t index) {
  MoveGapTo(index);
  TNTierRow* row = slots_[gapEnd_++];
  // A gap that reaches the end is no gap: the array just ends earlier.
  if (gapEnd_ == slots_.size()) {
    slots_.resize(gapBegin_);
    gapEnd_ = gapBegin_;
  }
  Free(row);
}

void TNTierRowList::Delete(std::span<const std::size_t> indexes) {
  if (indexes.empty()) return;
  std::vector<TNTierRow*>& slots = Slots();
  std::size_t kept = indexes.front();
  auto doomed = indexes.begin();
  for (std::size_t i = indexes.front(); i < slots.size(); ++i) {
    if (doomed != indexes.end() && *doomed == i) {
      Free(slots[i]);
      ++doomed;
    } else {
      slots[kept++] = slots[i];
    }
  }
  slots.resize(kept);
}

void TNTierRowList::Clear() {
  for (std::size_t i = 0; i < slots_.size(); ++i) {
    if (i < gapBegin_ || i >= gapEnd_) TNTierRow::Destroy(slots_[i]);
  }
  std::vector<TNTierRow*>().swap(slots_);
  pool_.Release();
  gapBegin_ = gapEnd_ = 0;
}

std::vector<TNTierRow*>& TNTierRowList::Slots() {
  if (GapSize() != 0) {
    MoveGapTo(Size());
    slots_.resize(gapBegin_);
    gapEnd_ = gapBegin_;
  }
  return slots_;
}
