#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// A map from text keys, for lookups that mostly find nothing: a search asks
// whether each SFV it finds is listed, skipped or hidden, and the answer is
// nearly always no. The keys' hashes sit in one flat table, probed in place, so a
// miss and the insert of a new key touch no key string and no scattered node;
// only a matching hash looks at its key. Entries keep their address for their
// life. THash is for tests that make keys collide.
template <typename T, typename THash = std::hash<std::string_view>>
class TKeyIndex {
 public:
  const T* Find(std::string_view key) const {
    const std::size_t slot = SlotOf(key, Hash(key));
    return slot == kNone ? nullptr : &entries_[slots_[slot].entry].value;
  }
  T* Find(std::string_view key) { return const_cast<T*>(std::as_const(*this).Find(key)); }
  bool Contains(std::string_view key) const { return Find(key) != nullptr; }

  // The value of key, made from value when key is new; added tells which.
  T& Insert(std::string_view key, T value, bool* added = nullptr) {
    const std::uint64_t hash = Hash(key);
    if (const std::size_t slot = SlotOf(key, hash); slot != kNone) {
      if (added) *added = false;
      return entries_[slots_[slot].entry].value;
    }
    if (added) *added = true;
    MakeRoomFor(size_ + 1);
    std::uint32_t entry;
    if (freeEntries_.empty()) {
      entry = static_cast<std::uint32_t>(entries_.size());
      entries_.push_back({std::string(key), std::move(value)});
    } else {
      entry = freeEntries_.back();
      freeEntries_.pop_back();
      entries_[entry] = {std::string(key), std::move(value)};
    }
    TSlot& slot = slots_[FreeSlotFor(hash)];
    if (slot.entry == kEmpty) ++filled_;  // else a slot once erased, filled again
    slot = {hash, entry};
    ++size_;
    return entries_[entry].value;
  }
  void Erase(std::string_view key) {
    const std::size_t slot = SlotOf(key, Hash(key));
    if (slot == kNone) return;
    const std::uint32_t entry = slots_[slot].entry;
    entries_[entry] = {};
    freeEntries_.push_back(entry);
    // Probes for other keys go on past an erased slot.
    slots_[slot].entry = kErased;
    --size_;
  }
  void Clear() {
    slots_.clear();
    entries_.clear();
    freeEntries_.clear();
    filled_ = 0;
    size_ = 0;
  }
  void Reserve(std::size_t count) {
    if (SlotsFor(count) > slots_.size()) Rebuild(SlotsFor(count));
  }
  std::size_t Size() const { return size_; }

 private:
  struct TEntry {
    std::string key;
    T value{};
  };
  struct TSlot {
    std::uint64_t hash = 0;
    std::uint32_t entry = kEmpty;
  };
  static constexpr std::uint32_t kEmpty = 0xFFFFFFFFu;
  static constexpr std::uint32_t kErased = 0xFFFFFFFEu;
  static constexpr std::size_t kNone = static_cast<std::size_t>(-1);

  static std::uint64_t Hash(std::string_view key) { return THash()(key); }

  // The slot holding key, or kNone.
  std::size_t SlotOf(std::string_view key, std::uint64_t hash) const {
    if (slots_.empty()) return kNone;
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t slot = hash & mask;; slot = (slot + 1) & mask) {
      const TSlot& at = slots_[slot];
      if (at.entry == kEmpty) return kNone;
      if (at.entry != kErased && at.hash == hash && entries_[at.entry].key == key) return slot;
    }
  }
  // The first slot a new key of that hash may take: an erased one or an empty one.
  std::size_t FreeSlotFor(std::uint64_t hash) const {
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t slot = hash & mask;; slot = (slot + 1) & mask) {
      if (slots_[slot].entry == kEmpty || slots_[slot].entry == kErased) return slot;
    }
  }
  // At most half the slots filled, erased ones included, so that a probe ends soon
  // at an empty one. A table full of erased slots is rebuilt without them.
  void MakeRoomFor(std::size_t live) {
    if ((filled_ + 1) * 2 <= slots_.size()) return;
    Rebuild(SlotsFor(live));
  }
  static std::size_t SlotsFor(std::size_t count) {
    std::size_t size = 64;
    while (count * 2 > size) size *= 2;
    return size;
  }
  void Rebuild(std::size_t size) {
    std::vector<TSlot> old(size);
    old.swap(slots_);
    filled_ = 0;
    const std::size_t mask = slots_.size() - 1;
    for (const TSlot& from : old) {
      if (from.entry == kEmpty || from.entry == kErased) continue;
      std::size_t slot = from.hash & mask;
      while (slots_[slot].entry != kEmpty) slot = (slot + 1) & mask;
      slots_[slot] = from;
      ++filled_;
    }
  }

  std::vector<TSlot> slots_;
  std::deque<TEntry> entries_;
  std::vector<std::uint32_t> freeEntries_;
  std::size_t filled_ = 0;  // slots not empty, erased ones included
  std::size_t size_ = 0;
};
