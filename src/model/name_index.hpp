#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <vector>

namespace kinetra {

// An open-addressing hash index from keys to ids that keeps the first id inserted
// for each key. The keys themselves live in the owner's lists and are read back
// through `key_of(id)`, so the index stores only hashes and ids.
template <class Key, class Hash>
class FirstMatchIndex {
 public:
  // The id stored for `key`, if any.
  template <class KeyOf>
  std::optional<std::size_t> find(const Key& key, KeyOf&& key_of) const {
    if (slots_.empty()) return std::nullopt;
    const std::size_t hash = Hash()(key);
    for (std::size_t i = hash & mask(); slots_[i].id != 0; i = (i + 1) & mask()) {
      if (slots_[i].hash == hash && key_of(slots_[i].id - 1) == key) return slots_[i].id - 1;
    }
    return std::nullopt;
  }

  // Makes room for one more entry; the only step that allocates.
  void reserve_one() {
    if ((size_ + 1) * 2 <= slots_.size()) return;
    std::vector<Slot> old = std::move(slots_);
    slots_.assign(old.empty() ? 16 : old.size() * 2, Slot{});
    for (const Slot& slot : old) {
      if (slot.id != 0) place(slot);
    }
  }

  // Records `id` for `key`, which must not be present; call reserve_one() first.
  void insert_new(const Key& key, std::size_t id) noexcept {
    place(Slot{Hash()(key), id + 1});
    ++size_;
  }

 private:
  struct Slot {
    std::size_t hash = 0;
    std::size_t id = 0;  // id + 1; 0 marks an empty slot
  };

  std::size_t mask() const { return slots_.size() - 1; }
  void place(const Slot& slot) noexcept {
    std::size_t i = slot.hash & mask();
    while (slots_[i].id != 0) i = (i + 1) & mask();
    slots_[i] = slot;
  }

  std::vector<Slot> slots_;
  std::size_t size_ = 0;
};

}  // namespace kinetra
