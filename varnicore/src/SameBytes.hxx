// Comparing the short runs of bytes that names are (not installed). A call to memcmp costs more
// than the comparison itself at these sizes.
#ifndef VARNICORE_SRC_SAMEBYTES_HXX
#define VARNICORE_SRC_SAMEBYTES_HXX

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace Corvanthel {
namespace Soa {
namespace Common {
namespace Xml {
namespace Detail {

/// Whether size bytes at a and b are the same, for size from sizeof(Word) to twice that: a word
/// at the start and one at the end, which overlap. Reads nothing outside the two runs.
template <class Word>
inline bool sameEnds(const char* a, const char* b, std::size_t size) noexcept {
  Word a0, a1, b0, b1;
  std::memcpy(&a0, a, sizeof(Word));
  std::memcpy(&b0, b, sizeof(Word));
  std::memcpy(&a1, a + size - sizeof(Word), sizeof(Word));
  std::memcpy(&b1, b + size - sizeof(Word), sizeof(Word));
  return ((a0 ^ b0) | (a1 ^ b1)) == 0;
}

/// Whether size bytes at a and b are the same.
inline bool sameBytes(const char* a, const char* b, std::size_t size) noexcept {
  if (size >= 8) {
    if (size <= 16)
      return sameEnds<std::uint64_t>(a, b, size);
    // Longer names: sixteen bytes at a time, the last round overlapping the one before.
    for (std::size_t at = 0; at + 16 < size; at += 16) {
      if (!sameEnds<std::uint64_t>(a + at, b + at, 16))
        return false;
    }
    return sameEnds<std::uint64_t>(a + size - 16, b + size - 16, 16);
  }
  if (size >= 4)
    return sameEnds<std::uint32_t>(a, b, size);
  for (std::size_t i = 0; i < size; ++i) {
    if (a[i] != b[i])
      return false;
  }
  return true;
}

inline bool sameName(std::string_view a, std::string_view b) noexcept {
  return a.size() == b.size() && sameBytes(a.data(), b.data(), a.size());
}

}  // namespace Detail
}  // namespace Xml
}  // namespace Common
}  // namespace Soa
}  // namespace Corvanthel

#endif  // VARNICORE_SRC_SAMEBYTES_HXX
