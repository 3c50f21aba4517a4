#include "QName.hxx"

#include <cstdint>
#include <cstdio>

#include "Characters.hxx"
#include "Utf8.hxx"

namespace Corvanthel {
namespace Soa {
namespace Common {
namespace Xml {
namespace Detail {

namespace {

std::string describe(const char* what, unsigned char byte, std::size_t offset) {
  char text[96];
  if (byte >= 0x21 && byte <= 0x7E) {
    std::snprintf(text, sizeof text, "'%c' %s (byte %zu)", byte, what, offset);
  } else {
    std::snprintf(text, sizeof text, "byte 0x%02X %s (byte %zu)", byte, what, offset);
  }
  return text;
}

std::string describeCode(const char* what, char32_t code, std::size_t offset) {
  char text[96];
  std::snprintf(text, sizeof text, "U+%04X %s (byte %zu)", static_cast<unsigned>(code), what,
                offset);
  return text;
}

// An NCName of ASCII characters only, checked a table lookup a byte.
bool isAsciiNCName(std::string_view name) {
  if (name.empty() || !hasClass(name[0], kNameStart))
    return false;
  std::uint8_t all = kNameChar;
  for (const char c : name)
    all &= kByteClasses[static_cast<unsigned char>(c)];
  return all != 0;
}

}  // namespace

std::string qnameFault(std::string_view name) {
  // The whole check, character by character: for names the quick pass of isQName cannot settle.
  if (name.empty())
    return "a name cannot be empty";
  const auto* bytes = reinterpret_cast<const unsigned char*>(name.data());
  bool partStart = true;  // at the first character of the prefix or the local part
  bool colonSeen = false;
  for (std::size_t i = 0; i < name.size();) {
    const unsigned char byte = bytes[i];
    if (byte == ':') {
      if (i == 0)
        return "a name cannot start with a colon";
      if (colonSeen)
        return describe("is a second colon; a name holds one at most", byte, i);
      colonSeen = true;
      partStart = true;
      ++i;
      continue;
    }
    if (byte < 0x80) {
      const ByteClass wanted = partStart ? kNameStart : kNameChar;
      if (!hasClass(static_cast<char>(byte), wanted)) {
        return describe(partStart ? "cannot start a name" : "cannot stand in a name", byte, i);
      }
      partStart = false;
      ++i;
      continue;
    }
    const Utf8Sequence sequence = decodeUtf8(bytes + i, name.size() - i);
    if (sequence.fault != Utf8Fault::None)
      return describe("is not well-formed UTF-8", bytes[i + sequence.faultAt],
                      i + sequence.faultAt);
    const bool allowed = partStart ? isNameStartCode(sequence.code) : isNameCode(sequence.code);
    if (!allowed) {
      return describeCode(partStart ? "cannot start a name" : "cannot stand in a name",
                          sequence.code, i);
    }
    partStart = false;
    i += sequence.length;
  }
  if (partStart)
    return "a name cannot end with a colon";
  return std::string();
}

bool isQName(std::string_view name) {
  const std::size_t colon = name.find(':');
  if (colon == std::string_view::npos
          ? isAsciiNCName(name)
          : isAsciiNCName(name.substr(0, colon)) && isAsciiNCName(name.substr(colon + 1))) {
    return true;
  }
  return qnameFault(name).empty();
}

}  // namespace Detail
}  // namespace Xml
}  // namespace Common
}  // namespace Soa
}  // namespace Corvanthel
