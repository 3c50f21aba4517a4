// Copying the short runs of bytes that names and values in markup are: a call to memcpy costs
// more than the copy itself at these sizes. A detail of XmlStream's inline insertion, not part of
// the API.
#ifndef VARNICORE_COPYBYTES_HXX
#define VARNICORE_COPYBYTES_HXX

#include <cstddef>
#include <cstring>

namespace Corvanthel {
namespace Soa {
namespace Common {
namespace Xml {
namespace Detail {

/// Copies size bytes, for size from kRun to twice that: a run at the start and one at the end,
/// which overlap. Reads and writes nothing outside the two ranges.
template <std::size_t kRun>
inline void copyEnds(char* out, const char* in, std::size_t size) noexcept {
  char first[kRun], last[kRun];
  std::memcpy(first, in, kRun);
  std::memcpy(last, in + size - kRun, kRun);
  std::memcpy(out, first, kRun);
  std::memcpy(out + size - kRun, last, kRun);
}

/// Copies size bytes from in to out (which do not overlap).
inline void copyBytes(char* out, const char* in, std::size_t size) noexcept {
  if (size >= 8 && size <= 16) {
    copyEnds<8>(out, in, size);
  } else if (size > 16 && size <= 32) {
    copyEnds<16>(out, in, size);
  } else if (size >= 4 && size < 8) {
    copyEnds<4>(out, in, size);
  } else {
    std::memcpy(out, in, size);
  }
}

}  // namespace Detail
}  // namespace Xml
}  // namespace Common
}  // namespace Soa
}  // namespace Corvanthel

#endif  // VARNICORE_COPYBYTES_HXX
