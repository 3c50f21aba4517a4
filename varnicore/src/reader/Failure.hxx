// How the reader reports a fault: a DomException that names the rule broken and the place, and
// the pieces its messages are made of (not installed).
#ifndef VARNICORE_SRC_READER_FAILURE_HXX
#define VARNICORE_SRC_READER_FAILURE_HXX

#include <cstddef>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

#include <varnicore/Exceptions.hxx>

#include "Tree.hxx"

namespace Corvanthel {
namespace Soa {
namespace Common {
namespace Xml {
namespace Detail {

/// Throws DomException("line L, column C: " + cause) for the byte at offset in text, counting
/// lines from the start.
[[noreturn]] inline void failIn(std::string_view text, std::size_t offset,
                                const std::string& cause) {
  const auto [line, column] = lineAndColumnIn(text, offset, 1, 0);
  throw Exceptions::DomException::at(line, column, cause);
}

/// The text of a name or value as a message shows it: in full when short, else its beginning.
inline std::string shown(std::string_view text) {
  constexpr std::size_t kShown = 64;
  if (text.size() <= kShown)
    return std::string(text);
  std::size_t cut = kShown;
  while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80)
    --cut;  // not inside a character
  return std::string(text.substr(0, cut)) + "...";
}

/// A code point as messages show it: "U+00E9".
inline std::string codePoint(char32_t code) {
  char text[16];
  std::snprintf(text, sizeof text, "U+%04X", static_cast<unsigned>(code));
  return text;
}

/// An ASCII character as a message shows it: quoted when it is visible, else by its code point.
inline std::string shownByte(char c) {
  const auto byte = static_cast<unsigned char>(c);
  if (byte < 0x20 || byte >= 0x7F)
    return codePoint(byte);
  return c == '\'' ? std::string("\"'\"") : "'" + std::string(1, c) + "'";
}

/// The indefinite article for what a message names ("an element name", "a start tag").
inline const char* article(const char* what) noexcept {
  return std::strchr("aeiou", what[0]) != nullptr ? "an " : "a ";
}

}  // namespace Detail
}  // namespace Xml
}  // namespace Common
}  // namespace Soa
}  // namespace Corvanthel

#endif  // VARNICORE_SRC_READER_FAILURE_HXX
