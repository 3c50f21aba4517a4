// Finding the next byte that needs a look of its own, sixteen bytes at a time where the machine
// allows (not installed).
#ifndef VARNICORE_SRC_READER_SCAN_HXX
#define VARNICORE_SRC_READER_SCAN_HXX

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace Corvanthel {
namespace Soa {
namespace Common {
namespace Xml {
namespace Detail {

/// The first byte in [p, end) that is a, b or c, a control character (below 0x20: tab, LF and CR
/// included) or not ASCII; end when there is none. Every run of text, attribute value, comment,
/// processing instruction and CDATA section is read this way: the bytes in between are plain
/// ASCII characters that need no check, and whatever stops the loop is dealt with one by one.
template <char a, char b, char c>
inline const char* findSpecial(const char* p, const char* end) noexcept {
#if defined(__SSE2__)
  const __m128i va = _mm_set1_epi8(a);
  const __m128i vb = _mm_set1_epi8(b);
  const __m128i vc = _mm_set1_epi8(c);
  const __m128i space = _mm_set1_epi8(0x20);
  while (end - p >= 16) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    // As signed bytes, those >= 0x80 are negative: one comparison finds them and the controls.
    const __m128i hits =
        _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(bytes, va), _mm_cmpeq_epi8(bytes, vb)),
                     _mm_or_si128(_mm_cmpeq_epi8(bytes, vc), _mm_cmplt_epi8(bytes, space)));
    const int mask = _mm_movemask_epi8(hits);
    if (mask != 0)
      return p + __builtin_ctz(static_cast<unsigned>(mask));
    p += 16;
  }
#endif
  for (; p < end; ++p) {
    const char byte = *p;
    if (byte == a || byte == b || byte == c || static_cast<signed char>(byte) < 0x20)
      return p;
  }
  return end;
}

}  // namespace Detail
}  // namespace Xml
}  // namespace Common
}  // namespace Soa
}  // namespace Corvanthel

#endif  // VARNICORE_SRC_READER_SCAN_HXX
