// Finding the next byte that needs a look of its own, sixteen bytes at a time where the machine
// allows (not installed).
#ifndef VARNICORE_SRC_READER_SCAN_HXX
#define VARNICORE_SRC_READER_SCAN_HXX

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include <varnicore/CopyBytes.hxx>

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

#if defined(__SSE2__)
/// Bit k set where byte k of the 16 at p is special, as SpecialBytes<a, b, c> has it.
template <char a, char b, char c>
inline unsigned specialMask(const char* p) noexcept {
  const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
  // As signed bytes, those >= 0x80 are negative: one comparison finds them and the controls.
  const __m128i hits = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(bytes, _mm_set1_epi8(a)),
                                                 _mm_cmpeq_epi8(bytes, _mm_set1_epi8(b))),
                                    _mm_or_si128(_mm_cmpeq_epi8(bytes, _mm_set1_epi8(c)),
                                                 _mm_cmplt_epi8(bytes, _mm_set1_epi8(0x20))));
  return static_cast<unsigned>(_mm_movemask_epi8(hits));
}
#endif

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
  for (; end - p >= 16; p += 16) {
    if (const unsigned mask = specialMask<a, b, c>(p))
      return p + __builtin_ctz(mask);
  }
#endif
  for (; p < end; ++p) {
    if (special[static_cast<unsigned char>(*p)])
      return p;
  }
  return end;
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
          copyShort(out, in, k);
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
  for (; end - in >= 16; in += 16, out += 16) {
    if (const unsigned mask = specialMask<a, b, c>(in)) {
      const auto size = static_cast<std::size_t>(__builtin_ctz(mask));
      copyShort(out, in, size);
      out += size;
      in += size;
      return;
    }
    // The whole block is passed over, read before it is written: out may lie inside it.
    char block[16];
    std::memcpy(block, in, 16);
    std::memcpy(out, block, 16);
  }
#endif
  for (; in < end; ++in, ++out) {
    if (special[static_cast<unsigned char>(*in)])
      return;
    *out = *in;
  }
}

/// The first byte at or after p that is not an ASCII name character other than the colon
/// ([A-Za-z0-9._-]); the text's terminating NUL, which is none, at the latest. Names are read
/// this way: what stops the loop (a colon, a byte that is not ASCII, a delimiter) is dealt with by
/// the caller.
inline const char* findNameEnd(const char* p) noexcept {
  // Not unrolled: four bytes to a round read A 2 % faster but C 6 % slower (pelagon_bench
  // A_results/parse and C_strings/parse, medians of five same-run ratios to the bare parse).
  while (hasClass(*p, kNameChar))
    ++p;
  return p;
}

}  // namespace Detail
}  // namespace Xml
}  // namespace Common
}  // namespace Soa
}  // namespace Corvanthel

#endif  // VARNICORE_SRC_READER_SCAN_HXX
