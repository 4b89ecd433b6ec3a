#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

// A map from text keys, for lookups that mostly find nothing: a search asks
// whether each SFV it finds is listed, skipped or hidden, and the answer is
// nearly always no. A flat table of the keys' hashes answers most of those
// without touching the map's nodes and key strings, scattered over memory.
template <typename T>
class TKeyIndex {
 public:
  const T* Find(std::string_view key) const {
    if (!MayHold(Hash(key))) return nullptr;
    const auto found = map_.find(key);
    return found == map_.end() ? nullptr : &found->second;
  }
  T* Find(std::string_view key) { return const_cast<T*>(std::as_const(*this).Find(key)); }
  bool Contains(std::string_view key) const { return Find(key) != nullptr; }

  // The value of key, made from value when key is new; added tells which.
  T& Insert(std::string_view key, T value, bool* added = nullptr) {
    const auto [found, isNew] = map_.try_emplace(std::string(key), std::move(value));
    if (isNew) AddHash(Hash(key));
    if (added) *added = isNew;
    return found->second;
  }
  // The hash stays in the table: it only costs a lookup of the map.
  void Erase(std::string_view key) {
    if (const auto found = map_.find(key); found != map_.end()) map_.erase(found);
  }
  void Clear() {
    map_.clear();
    hashes_.clear();
    used_ = 0;
  }
  void Reserve(std::size_t count) {
    map_.reserve(count);
    Grow(count);
  }
  std::size_t Size() const { return map_.size(); }

 private:
  struct THash {
    using is_transparent = void;
    std::size_t operator()(std::string_view key) const {
      return std::hash<std::string_view>()(key);
    }
  };

  static std::uint64_t Hash(std::string_view key) {
    const std::uint64_t hash = std::hash<std::string_view>()(key);
    return hash == 0 ? 1 : hash;  // 0 marks a free slot
  }
  bool MayHold(std::uint64_t hash) const {
    if (hashes_.empty()) return false;
    const std::size_t mask = hashes_.size() - 1;
    for (std::size_t slot = hash & mask;; slot = (slot + 1) & mask) {
      if (hashes_[slot] == hash) return true;
      if (hashes_[slot] == 0) return false;
    }
  }
  void AddHash(std::uint64_t hash) {
    Grow(used_ + 1);
    Place(hash);
  }
  void Place(std::uint64_t hash) {
    const std::size_t mask = hashes_.size() - 1;
    for (std::size_t slot = hash & mask;; slot = (slot + 1) & mask) {
      if (hashes_[slot] == hash) return;
      if (hashes_[slot] == 0) {
        hashes_[slot] = hash;
        ++used_;
        return;
      }
    }
  }
  // At most half the slots in use, so that a probe ends soon at a free one.
  void Grow(std::size_t count) {
    std::size_t size = hashes_.empty() ? 64 : hashes_.size();
    while (count * 2 > size) size *= 2;
    if (size == hashes_.size()) return;
    std::vector<std::uint64_t> old(size, 0);
    old.swap(hashes_);
    used_ = 0;
    for (const std::uint64_t hash : old)
      if (hash != 0) Place(hash);
  }

  std::unordered_map<std::string, T, THash, std::equal_to<>> map_;
  std::vector<std::uint64_t> hashes_;
  std::size_t used_ = 0;
};
