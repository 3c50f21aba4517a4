#include "Encoding.hxx"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <string>
#include <string_view>
#include <utility>

#include "../Characters.hxx"
#include "../Utf8.hxx"
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
  char bytes[4];
  out.append(bytes, encodeUtf8(code, bytes));
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

// Encoding names are compared without regard to ASCII case.
bool isEncodingName(std::string_view name, const char* expected) {
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

// The encoding name of an XML declaration at the start of text and the offset just past the
// declaration; an empty name when there is none. Only as much of the grammar as finds them: in a
// declaration that the reader accepts, nothing but whitespace, "version" and its digits comes
// before "encoding", and no '?' before the "?>" that ends it. The reader reports every fault.
std::pair<std::string_view, std::size_t> declaredEncoding(std::string_view text) {
  if (text.size() < 6 || text.compare(0, 5, "<?xml") != 0 || !hasClass(text[5], kSpace))
    return {};
  const std::size_t end = text.find("?>", 5);
  const std::size_t key = text.substr(0, end).find("encoding", 5);
  if (end == std::string_view::npos || key == std::string_view::npos)
    return {};
  std::size_t i = text.find_first_not_of(" \t\n\r", key + 8);
  if (i >= end || text[i] != '=')
    return {};
  i = text.find_first_not_of(" \t\n\r", i + 1);
  if (i >= end || (text[i] != '"' && text[i] != '\''))
    return {};
  const std::size_t close = text.find(text[i], i + 1);
  if (close >= end)
    return {};
  return {text.substr(i + 1, close - i - 1), end + 2};
}

// ISO-8859-1 after `from` as UTF-8: every byte is the code point of the same value.
void latin1ToUtf8(std::string& text, std::size_t from) {
  std::size_t high = 0;
  for (std::size_t i = from; i < text.size(); ++i)
    high += static_cast<unsigned char>(text[i]) >= 0x80;
  if (high == 0)
    return;
  if (text.size() + high > kLargestText)
    tooLarge();
  std::string converted;
  converted.reserve(text.size() + high);
  converted.append(text, 0, from);
  for (std::size_t i = from; i < text.size(); ++i)
    appendUtf8(converted, static_cast<unsigned char>(text[i]));
  text.swap(converted);
}

}  // namespace

SourceEncoding decodeText(std::string& text) {
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
  const auto [name, end] = declaredEncoding(text);
  if (!isEncodingName(name, "ISO-8859-1"))
    return SourceEncoding::Utf8;
  latin1ToUtf8(text, end);
  return SourceEncoding::Latin1;
}

void checkDeclaredEncoding(std::string_view text, SourceEncoding source, std::string_view name,
                           std::size_t at, std::size_t from) {
  const bool utf8 = isEncodingName(name, "UTF-8");
  const bool utf16 = isEncodingName(name, "UTF-16");
  const bool latin1 = isEncodingName(name, "ISO-8859-1");
  const bool ascii = isEncodingName(name, "US-ASCII");
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
  if (source != SourceEncoding::Utf8)
    return;
  if (utf16) {
    failIn(text, at,
           "Encoding " + quoted + " is declared, but the document has no UTF-16 byte order mark");
  }
  if (!ascii)
    return;
  for (std::size_t i = from; i < text.size(); ++i) {
    if (static_cast<unsigned char>(text[i]) >= 0x80) {
      char what[96];
      std::snprintf(what, sizeof what, "Byte 0x%02X is not US-ASCII, the encoding declared",
                    static_cast<unsigned char>(text[i]));
      failIn(text, i, what);
    }
  }
}

}  // namespace Detail
}  // namespace Xml
}  // namespace Common
}  // namespace Soa
}  // namespace Corvanthel
