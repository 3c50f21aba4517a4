// UTF-8, once for the runtime: the check shared by the parser and the writer's escaping (a
// sequence is taken only in its shortest form, never as a surrogate or above U+10FFFF) and the
// encoding of a code point (not installed).
#ifndef VARNICORE_SRC_UTF8_HXX
#define VARNICORE_SRC_UTF8_HXX

#include <cstddef>

namespace Corvanthel {
namespace Soa {
namespace Common {
namespace Xml {
namespace Detail {

enum class Utf8Fault {
  None,
  BadLead,          // the byte cannot start a sequence
  CutShort,         // the text ends inside the sequence
  BadContinuation,  // a later byte of the sequence is out of range
};

struct Utf8Sequence {
  unsigned length = 0;  // bytes of the sequence; 0 when it is faulty
  char32_t code = 0;    // the code point
  Utf8Fault fault = Utf8Fault::None;
  unsigned faultAt = 0;  // the offending byte's offset in the sequence
};

/// Decodes the sequence that starts at text[0], a byte >= 0x80, with `available` bytes left.
inline Utf8Sequence decodeUtf8(const unsigned char* text, std::size_t available) noexcept {
  Utf8Sequence sequence;
  const unsigned lead = text[0];
  unsigned length = 0;
  unsigned low = 0x80;   // the range of the second byte, narrowed to exclude overlong forms,
  unsigned high = 0xBF;  // surrogates and code points above U+10FFFF
  char32_t code = 0;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
    code = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    code = lead & 0x0F;
    low = lead == 0xE0 ? 0xA0 : low;
    high = lead == 0xED ? 0x9F : high;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    code = lead & 0x07;
    low = lead == 0xF0 ? 0x90 : low;
    high = lead == 0xF4 ? 0x8F : high;
  } else {
    sequence.fault = Utf8Fault::BadLead;
    return sequence;
  }
  for (unsigned i = 1; i < length; ++i) {
    if (i >= available) {
      sequence.fault = Utf8Fault::CutShort;
      sequence.faultAt = i;
      return sequence;
    }
    const unsigned byte = text[i];
    if (i == 1 ? byte < low || byte > high : byte < 0x80 || byte > 0xBF) {
      sequence.fault = Utf8Fault::BadContinuation;
      sequence.faultAt = i;
      return sequence;
    }
    code = (code << 6) | (byte & 0x3F);
  }
  sequence.length = length;
  sequence.code = code;
  return sequence;
}

/// Writes the UTF-8 form of code (at most U+10FFFF) at out; returns its length, 1 to 4 bytes.
inline unsigned encodeUtf8(char32_t code, char* out) noexcept {
  if (code < 0x80) {
    out[0] = static_cast<char>(code);
    return 1;
  }
  if (code < 0x800) {
    out[0] = static_cast<char>(0xC0 | (code >> 6));
    out[1] = static_cast<char>(0x80 | (code & 0x3F));
    return 2;
  }
  if (code < 0x10000) {
    out[0] = static_cast<char>(0xE0 | (code >> 12));
    out[1] = static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out[2] = static_cast<char>(0x80 | (code & 0x3F));
    return 3;
  }
  out[0] = static_cast<char>(0xF0 | (code >> 18));
  out[1] = static_cast<char>(0x80 | ((code >> 12) & 0x3F));
  out[2] = static_cast<char>(0x80 | ((code >> 6) & 0x3F));
  out[3] = static_cast<char>(0x80 | (code & 0x3F));
  return 4;
}

/// Whether a code point that UTF-8 can carry is an XML 1.0 character (Char); only the controls
/// below U+0020 other than tab, LF and CR, and U+FFFE and U+FFFF, are not.
inline bool isXmlChar(char32_t code) noexcept {
  if (code < 0x20)
    return code == 0x9 || code == 0xA || code == 0xD;
  return code != 0xFFFE && code != 0xFFFF && code <= 0x10FFFF && (code < 0xD800 || code > 0xDFFF);
}

}  // namespace Detail
}  // namespace Xml
}  // namespace Common
}  // namespace Soa
}  // namespace Corvanthel

#endif  // VARNICORE_SRC_UTF8_HXX
