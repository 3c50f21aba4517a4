// Finding the next byte that needs a look of its own, sixteen bytes at a time where the machine
// allows (not installed).
#ifndef VARNICORE_SRC_READER_SCAN_HXX
#define VARNICORE_SRC_READER_SCAN_HXX

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "../Characters.hxx"

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
struct SpecialBytes {
  static constexpr std::array<bool, 256> make() {
    std::array<bool, 256> special{};
    for (int byte = 0; byte < 256; ++byte) {
      special[byte] = byte < 0x20 || byte >= 0x80 || byte == static_cast<unsigned char>(a) ||
                      byte == static_cast<unsigned char>(b) ||
                      byte == static_cast<unsigned char>(c);
    }
    return special;
  }
  static constexpr std::array<bool, 256> table = make();
};

template <char a, char b, char c>
inline const char* findSpecial(const char* p, const char* end) noexcept {
  const auto& special = SpecialBytes<a, b, c>::table;
  // The first bytes one by one, four to a round: most runs are short, and a predicted branch
  // runs ahead of the data.
  if (end - p >= 32) {
    for (const char* const shortEnd = p + 32; p < shortEnd; p += 4) {
      if (special[static_cast<unsigned char>(p[0])])
        return p;
      if (special[static_cast<unsigned char>(p[1])])
        return p + 1;
      if (special[static_cast<unsigned char>(p[2])])
        return p + 2;
      if (special[static_cast<unsigned char>(p[3])])
        return p + 3;
    }
  }
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
    if (special[static_cast<unsigned char>(*p)])
      return p;
  }
  return end;
}

/// Moves the size bytes at in to out, which lies before in (the two may overlap): every byte is
/// read before any is written, and nothing after in + size is touched.
inline void moveShort(char* out, const char* in, std::size_t size) noexcept {
  if (size >= 8) {
    std::uint64_t head, tail;
    std::memcpy(&head, in, 8);
    std::memcpy(&tail, in + size - 8, 8);
    std::memcpy(out, &head, 8);
    std::memcpy(out + size - 8, &tail, 8);
  } else if (size >= 4) {
    std::uint32_t head, tail;
    std::memcpy(&head, in, 4);
    std::memcpy(&tail, in + size - 4, 4);
    std::memcpy(out, &head, 4);
    std::memcpy(out + size - 4, &tail, 4);
  } else if (size >= 2) {
    std::uint16_t head, tail;
    std::memcpy(&head, in, 2);
    std::memcpy(&tail, in + size - 2, 2);
    std::memcpy(out, &head, 2);
    std::memcpy(out + size - 2, &tail, 2);
  } else if (size == 1) {
    *out = *in;
  }
}

/// findSpecial for text that reading has shortened before `in` (a reference replaced, a CR LF
/// made one LF): the bytes passed over are moved to `out` on the way. Advances both.
template <char a, char b, char c>
inline void moveToSpecial(char*& out, char*& in, const char* end) noexcept {
  const auto& special = SpecialBytes<a, b, c>::table;
  // Eight bytes to a round for the first 32: checked one by one, moved together.
  if (end - in >= 32) {
    for (const char* const shortEnd = in + 32; in < shortEnd; in += 8, out += 8) {
#pragma GCC unroll 8
      for (std::size_t k = 0; k < 8; ++k) {
        if (special[static_cast<unsigned char>(in[k])]) {
          moveShort(out, in, k);
          out += k;
          in += k;
          return;
        }
      }
      std::uint64_t bytes;
      std::memcpy(&bytes, in, 8);
      std::memcpy(out, &bytes, 8);
    }
  }
#if defined(__SSE2__)
  const __m128i va = _mm_set1_epi8(a);
  const __m128i vb = _mm_set1_epi8(b);
  const __m128i vc = _mm_set1_epi8(c);
  const __m128i space = _mm_set1_epi8(0x20);
  while (end - in >= 16) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in));
    const __m128i hits =
        _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(bytes, va), _mm_cmpeq_epi8(bytes, vb)),
                     _mm_or_si128(_mm_cmpeq_epi8(bytes, vc), _mm_cmplt_epi8(bytes, space)));
    const int mask = _mm_movemask_epi8(hits);
    if (mask != 0) {
      const auto size = static_cast<std::size_t>(__builtin_ctz(static_cast<unsigned>(mask)));
      moveShort(out, in, size);
      out += size;
      in += size;
      return;
    }
    // The whole block is passed over: what the store overwrites of it has been read.
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out), bytes);
    out += 16;
    in += 16;
  }
#endif
  for (; in < end; ++in, ++out) {
    if (special[static_cast<unsigned char>(*in)])
      return;
    *out = *in;
  }
}

/// The first byte at or after p that is not an ASCII name character other than the colon
/// ([A-Za-z0-9._-]); end when there is none. Names are read this way: what stops the loop (a
/// colon, a byte that is not ASCII, a delimiter) is dealt with by the caller.
inline const char* findNameEnd(const char* p, const char* end) noexcept {
  // Byte by byte: names are short, and a loop whose branch the processor predicts runs ahead of
  // the data, where a vector's result would hold up everything that follows the name.
  for (; end - p >= 4; p += 4) {
    if (!hasClass(p[0], kNameChar))
      return p;
    if (!hasClass(p[1], kNameChar))
      return p + 1;
    if (!hasClass(p[2], kNameChar))
      return p + 2;
    if (!hasClass(p[3], kNameChar))
      return p + 3;
  }
  while (hasClass(*p, kNameChar))  // the text's terminating NUL is no name character
    ++p;
  return p;
}

}  // namespace Detail
}  // namespace Xml
}  // namespace Common
}  // namespace Soa
}  // namespace Corvanthel

#endif  // VARNICORE_SRC_READER_SCAN_HXX
