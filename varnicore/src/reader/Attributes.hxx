// The attributes of a start tag, as the reader checks them: no name twice, no expanded name twice,
// and the memo that lets a start tag like its element's last one skip both (not installed).
#ifndef VARNICORE_SRC_READER_ATTRIBUTES_HXX
#define VARNICORE_SRC_READER_ATTRIBUTES_HXX

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <utility>
#include <vector>

#include "../SameBytes.hxx"

namespace Corvanthel {
namespace Soa {
namespace Common {
namespace Xml {
namespace Detail {

/// The names of one start tag's attributes, each a qualified name or a namespace name and local
/// name: a hash table of the attributes' numbers, open addressing, so that checking is linear in
/// the number of attributes (an element may carry hundreds of thousands, and a slot takes eight
/// bytes). Starting a new tag forgets the last one's names at no cost: a slot counts only when it
/// carries the current tag's stamp.
class UniqueNames {
 public:
  /// A name and its namespace name (empty for a qualified name).
  using Key = std::pair<std::string_view, std::string_view>;

  /// Forgets the names entered so far.
  void clear() noexcept {
    ++stamp_;
    count_ = 0;
  }

  /// Enters item, whose name keyOf(item) gives; false when an item of the same name is there.
  template <class KeyOf>
  bool insert(std::uint32_t item, const KeyOf& keyOf) {
    if (2 * (count_ + 1) > mask_ + 1)
      grow(keyOf);
    const Key key = keyOf(item);
    for (std::size_t at = hashOf(key) & mask_;; at = (at + 1) & mask_) {
      Slot& slot = slots_[at];
      if (slot.stamp != stamp_) {
        slot = Slot{item, stamp_};
        ++count_;
        return true;
      }
      const Key held = keyOf(slot.item);
      if (sameName(held.first, key.first) && sameName(held.second, key.second))
        return false;
    }
  }

 private:
  struct Slot {
    std::uint32_t item;
    std::uint32_t stamp;  // the tag whose name this is
  };

  // Every byte counts: documents that carry many attributes number them ("a1" to "a99999").
  static std::uint64_t hashOf(const Key& key) noexcept {
    std::uint64_t hash = 14695981039346656037u;
    for (const std::string_view part : {key.first, key.second}) {
      for (const char c : part)
        hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211u;
    }
    return hash;
  }

  template <class KeyOf>
  void grow(const KeyOf& keyOf) {
    std::vector<Slot> larger(2 * (mask_ + 1));
    const std::size_t mask = larger.size() - 1;
    for (std::size_t i = 0; i <= mask_; ++i) {
      if (slots_[i].stamp != stamp_)
        continue;
      std::size_t at = hashOf(keyOf(slots_[i].item)) & mask;
      while (larger[at].stamp == stamp_)
        at = (at + 1) & mask;
      larger[at] = slots_[i];
    }
    large_.swap(larger);
    slots_ = large_.data();
    mask_ = mask;
  }

  // Small tables stay inside the reader: most documents need no more.
  static constexpr std::size_t kInline = 32;
  Slot inline_[kInline] = {};
  std::vector<Slot> large_;
  Slot* slots_ = inline_;
  std::size_t mask_ = kInline - 1;
  std::size_t count_ = 0;
  // Start tags number fewer than 2^30 (the text is below 4 GiB): no stamp comes round to the 0 of
  // a fresh slot.
  std::uint32_t stamp_ = 1;
};

/// The attribute names of the last start tag of an element, the first kFewAttributes of them.
/// Data documents give an element the same attributes in the same order again and again: where a
/// start tag does, its names need neither be read character by character nor be checked for
/// repeats, since they were not repeated last time. (It makes A's parse 1.5 times and B's 2.9
/// times as fast: pelagon_bench A_results/parse, B_criteria/parse, medians of five same-run
/// ratios to the bare parse, with and without it.)
constexpr std::uint32_t kFewAttributes = 16;
struct Shape {
  std::string_view element;
  std::uint32_t count = 0;
  // Left uninitialised (a reader has eight shapes, and a small document may use none); only the
  // first `count` entries are ever read.
  const char* names[kFewAttributes];
  std::uint32_t nameLengths[kFewAttributes];
  std::uint32_t colons[kFewAttributes];  // where the colon is, plus one; 0: none
};

/// The shapes of the elements last read, by name: a slot of a few, taken over by another name
/// that falls in it.
class Shapes {
 public:
  Shape& of(std::string_view element) noexcept {
    Shape& shape = shapes_[(element.size() ^ static_cast<unsigned char>(element.back())) & 7];
    if (!sameName(shape.element, element)) {
      shape.element = element;
      shape.count = 0;
    }
    return shape;
  }

 private:
  Shape shapes_[8];
};

}  // namespace Detail
}  // namespace Xml
}  // namespace Common
}  // namespace Soa
}  // namespace Corvanthel

#endif  // VARNICORE_SRC_READER_ATTRIBUTES_HXX
