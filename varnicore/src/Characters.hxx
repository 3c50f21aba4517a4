// Which characters may stand where: the name characters of XML 1.0 (Fifth Edition) and the
// classes of bytes that the reader's loops stop at; shared by the reader and the stream's name
// check (not installed).
#ifndef VARNICORE_SRC_CHARACTERS_HXX
#define VARNICORE_SRC_CHARACTERS_HXX

#include <array>
#include <cstdint>

namespace Corvanthel {
namespace Soa {
namespace Common {
namespace Xml {
namespace Detail {

enum ByteClass : std::uint8_t {
  kNameStart = 1,  // an ASCII NameStartChar other than ':'
  kNameChar = 2,   // an ASCII NameChar other than ':'
  kSpace = 4,      // S: space, tab, LF, CR
};

constexpr std::array<std::uint8_t, 256> makeByteClasses() {
  std::array<std::uint8_t, 256> classes{};
  for (int b = 0; b < 128; ++b) {
    const bool letter = (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z') || b == '_';
    const bool other = (b >= '0' && b <= '9') || b == '-' || b == '.';
    classes[b] =
        static_cast<std::uint8_t>((letter ? kNameStart | kNameChar : 0) | (other ? kNameChar : 0));
  }
  for (const int b : {' ', '\t', '\n', '\r'})
    classes[b] |= kSpace;
  return classes;
}

inline constexpr std::array<std::uint8_t, 256> kByteClasses = makeByteClasses();

inline bool hasClass(char c, ByteClass byteClass) noexcept {
  return (kByteClasses[static_cast<unsigned char>(c)] & byteClass) != 0;
}

/// NameStartChar above U+007F (the colon, which Namespaces gives a meaning of its own, aside).
inline bool isNameStartCode(char32_t c) noexcept {
  return (c >= 0xC0 && c <= 0xD6) || (c >= 0xD8 && c <= 0xF6) || (c >= 0xF8 && c <= 0x2FF) ||
         (c >= 0x370 && c <= 0x37D) || (c >= 0x37F && c <= 0x1FFF) ||
         (c >= 0x200C && c <= 0x200D) || (c >= 0x2070 && c <= 0x218F) ||
         (c >= 0x2C00 && c <= 0x2FEF) || (c >= 0x3001 && c <= 0xD7FF) ||
         (c >= 0xF900 && c <= 0xFDCF) || (c >= 0xFDF0 && c <= 0xFFFD) ||
         (c >= 0x10000 && c <= 0xEFFFF);
}

/// NameChar above U+007F.
inline bool isNameCode(char32_t c) noexcept {
  return isNameStartCode(c) || c == 0xB7 || (c >= 0x300 && c <= 0x36F) ||
         (c >= 0x203F && c <= 0x2040);
}

}  // namespace Detail
}  // namespace Xml
}  // namespace Common
}  // namespace Soa
}  // namespace Corvanthel

#endif  // VARNICORE_SRC_CHARACTERS_HXX
