// Eight bytes of text as one word, for the scans that compare several characters at once (not
// installed).
#ifndef VARNICORE_SRC_LITTLEENDIAN_HXX
#define VARNICORE_SRC_LITTLEENDIAN_HXX

#include <cstdint>
#include <cstring>

namespace Corvanthel {
namespace Soa {
namespace Common {
namespace Xml {
namespace Detail {

/// The eight bytes at p as a word whose lowest byte is the first, whatever the machine's byte
/// order.
inline std::uint64_t littleEndianWord(const char* p) noexcept {
  std::uint64_t word;
  std::memcpy(&word, p, 8);
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
  word = __builtin_bswap64(word);
#endif
  return word;
}

}  // namespace Detail
}  // namespace Xml
}  // namespace Common
}  // namespace Soa
}  // namespace Corvanthel

#endif  // VARNICORE_SRC_LITTLEENDIAN_HXX
