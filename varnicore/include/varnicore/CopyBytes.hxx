// Copying the short runs of bytes that names and values in markup are: a call to memcpy costs
// more than the copy itself at these sizes. A detail of XmlStream's inline insertion and of the
// reader's copying in place, not part of the API.
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
/// which overlap. Both runs are read before either is written, so that in and out may overlap;
/// nothing outside the two ranges is read or written.
template <std::size_t kRun>
inline void copyEnds(char* out, const char* in, std::size_t size) noexcept {
  char first[kRun], last[kRun];
  std::memcpy(first, in, kRun);
  std::memcpy(last, in + size - kRun, kRun);
  std::memcpy(out, first, kRun);
  std::memcpy(out + size - kRun, last, kRun);
}

/// Copies size bytes, at most 32, from in to out, which may overlap.
inline void copyShort(char* out, const char* in, std::size_t size) noexcept {
  if (size >= 8 && size <= 16) {
    copyEnds<8>(out, in, size);
  } else if (size > 16) {
    copyEnds<16>(out, in, size);
  } else if (size >= 4) {
    copyEnds<4>(out, in, size);
  } else if (size >= 2) {
    copyEnds<2>(out, in, size);
  } else if (size == 1) {
    *out = *in;
  }
}

/// Copies size bytes from in to out, which do not overlap.
inline void copyBytes(char* out, const char* in, std::size_t size) noexcept {
  if (size <= 32)
    copyShort(out, in, size);
  else
    std::memcpy(out, in, size);
}

}  // namespace Detail
}  // namespace Xml
}  // namespace Common
}  // namespace Soa
}  // namespace Corvanthel

#endif  // VARNICORE_COPYBYTES_HXX
