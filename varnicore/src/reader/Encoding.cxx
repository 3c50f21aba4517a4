#include "Encoding.hxx"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <string>

#include "Failure.hxx"

namespace Corvanthel {
namespace Soa {
namespace Common {
namespace Xml {
namespace Detail {

namespace {

// Offsets in the tree are 32 bits wide.
constexpr std::size_t kLargestText = std::numeric_limits<std::uint32_t>::max() - 1;

[[noreturn]] void tooLarge() {
  throw Exceptions::DomException::at(1, 1, "A document of 4 GiB or more is not supported");
}

bool startsWith(const std::string& text, const char* bytes, std::size_t size) {
  return text.size() >= size && std::memcmp(text.data(), bytes, size) == 0;
}

void appendUtf8(std::string& out, char32_t code) {
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | (code >> 6));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    out += static_cast<char>(0xE0 | (code >> 12));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (code >> 18));
    out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

// UTF-16 after its byte order mark, as UTF-8. Characters that XML does not allow are left for
// the reader to find; only what is no UTF-16 at all fails here.
std::string utf16ToUtf8(const std::string& text, bool bigEndian) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
  const std::size_t units = (text.size() - 2) / 2;
  const auto unit = [bytes, bigEndian](std::size_t i) -> char32_t {
    const unsigned char* at = bytes + 2 + 2 * i;
    return bigEndian ? (at[0] << 8) | at[1] : (at[1] << 8) | at[0];
  };
  std::string out;
  out.reserve(units <= kLargestText ? units : kLargestText);
  for (std::size_t i = 0; i < units; ++i) {
    char32_t code = unit(i);
    if (code >= 0xD800 && code <= 0xDFFF) {
      const char32_t low = i + 1 < units ? unit(i + 1) : 0;
      if (code > 0xDBFF || low < 0xDC00 || low > 0xDFFF)
        failIn(out, out.size(), "Malformed UTF-16: a surrogate without its pair");
      code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
      ++i;
    }
    appendUtf8(out, code);
    if (out.size() > kLargestText)
      tooLarge();
  }
  if (text.size() % 2 != 0)
    failIn(out, out.size(), "Malformed UTF-16: the text ends inside a character");
  return out;
}

bool sameName(std::string_view name, const char* expected) {
  const std::size_t size = std::strlen(expected);
  if (name.size() != size)
    return false;
  for (std::size_t i = 0; i < size; ++i) {
    char c = name[i];
    if (c >= 'a' && c <= 'z')
      c = static_cast<char>(c - 'a' + 'A');
    if (c != expected[i])
      return false;
  }
  return true;
}

}  // namespace

SourceEncoding decodeByteOrderMark(std::string& text) {
  if (startsWith(text, "\x00\x00\xFE\xFF", 4) || startsWith(text, "\xFF\xFE\x00\x00", 4))
    throw Exceptions::DomException::at(1, 1, "Encoding UTF-32 is not supported");
  if (startsWith(text, "\xEF\xBB\xBF", 3)) {
    text.erase(0, 3);
    return SourceEncoding::Utf8WithMark;
  }
  if (startsWith(text, "\xFE\xFF", 2) || startsWith(text, "\xFF\xFE", 2)) {
    text = utf16ToUtf8(text, text[0] == '\xFE');
    return SourceEncoding::Utf16;
  }
  // '<' or whitespace as UTF-16 in either byte order, where a document must begin.
  const auto utf16Unit = [&text](char c) {
    return text.size() >= 2 &&
           ((text[0] == c && text[1] == '\0') || (text[0] == '\0' && text[1] == c));
  };
  if (utf16Unit('<') || utf16Unit(' ') || utf16Unit('\t') || utf16Unit('\n') || utf16Unit('\r')) {
    throw Exceptions::DomException::at(
        1, 1, "The document looks like UTF-16, which must begin with a byte order mark");
  }
  if (text.size() > kLargestText)
    tooLarge();
  return SourceEncoding::Utf8;
}

void applyDeclaredEncoding(std::string& text, SourceEncoding source, std::string_view name,
                           std::size_t at, std::size_t from) {
  const bool utf8 = sameName(name, "UTF-8");
  const bool utf16 = sameName(name, "UTF-16");
  const bool latin1 = sameName(name, "ISO-8859-1");
  const bool ascii = sameName(name, "US-ASCII");
  const std::string quoted = "\"" + shown(name) + "\"";
  if (!utf8 && !utf16 && !latin1 && !ascii) {
    failIn(text, at,
           "Encoding " + quoted +
               " is not supported: documents are read in UTF-8, UTF-16, ISO-8859-1 or US-ASCII");
  }
  if (source == SourceEncoding::Utf16 && !utf16)
    failIn(text, at, "Encoding " + quoted + " contradicts the byte order mark, which marks UTF-16");
  if (source == SourceEncoding::Utf8WithMark && !utf8)
    failIn(text, at, "Encoding " + quoted + " contradicts the byte order mark, which marks UTF-8");
  if (source != SourceEncoding::Utf8 || utf8)
    return;
  if (utf16) {
    failIn(text, at,
           "Encoding " + quoted + " is declared, but the document has no UTF-16 byte order mark");
  }
  std::size_t high = 0;
  for (std::size_t i = from; i < text.size(); ++i) {
    if (static_cast<unsigned char>(text[i]) < 0x80)
      continue;
    if (ascii) {
      char what[96];
      std::snprintf(what, sizeof what, "Byte 0x%02X is not US-ASCII, the encoding declared",
                    static_cast<unsigned char>(text[i]));
      failIn(text, i, what);
    }
    ++high;
  }
  if (high == 0)
    return;
  if (text.size() + high > kLargestText)
    tooLarge();
  // ISO-8859-1: every byte is the code point of the same value.
  std::string converted;
  converted.reserve(text.size() + high);
  converted.append(text, 0, from);
  for (std::size_t i = from; i < text.size(); ++i)
    appendUtf8(converted, static_cast<unsigned char>(text[i]));
  text.swap(converted);
}

}  // namespace Detail
}  // namespace Xml
}  // namespace Common
}  // namespace Soa
}  // namespace Corvanthel
