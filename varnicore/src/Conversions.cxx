#include <varnicore/Conversions.hxx>

#include <algorithm>

#include <array>
#include <charconv>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <stdexcept>
#include <system_error>

#include <varnicore/Exceptions.hxx>

#include "Utf8.hxx"

namespace Corvanthel {
namespace Soa {
namespace Common {
namespace Xml {

namespace {

std::string_view trimXmlWhitespace(std::string_view text) {
  constexpr std::string_view kBlanks = " \t\r\n";
  const std::size_t first = text.find_first_not_of(kBlanks);
  if (first == std::string_view::npos)
    return {};
  return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

[[noreturn]] void cannotConvert(std::string_view text, const char* type) {
  throw Exceptions::DomException("Cannot convert \"" + std::string(text) + "\" to " + type);
}

bool isDigit(char c) {
  return c >= '0' && c <= '9';
}

void putDigits(char* out, int value, int width) {
  for (int i = width - 1; i >= 0; --i) {
    out[i] = static_cast<char>('0' + value % 10);
    value /= 10;
  }
}

// How each byte is treated when escaping. Bytes of the first class are copied in runs, which
// keeps the common case of plain text at memcpy speed.
enum ByteClass : unsigned char { kPlain, kEscaped, kForbidden, kMultibyte };

constexpr std::array<ByteClass, 256> makeByteClasses() {
  std::array<ByteClass, 256> classes{};
  for (int b = 0; b < 256; ++b) {
    if (b < 0x20) {
      classes[b] = (b == '\t' || b == '\r' || b == '\n') ? kEscaped : kForbidden;
    } else if (b >= 0x80) {
      classes[b] = kMultibyte;
    } else if (b == '&' || b == '<' || b == '>' || b == '"' || b == '\'') {
      classes[b] = kEscaped;
    } else {
      classes[b] = kPlain;
    }
  }
  return classes;
}

constexpr std::array<ByteClass, 256> kByteClasses = makeByteClasses();

const char* escapeFor(unsigned char byte) {
  switch (byte) {
    case '&':
      return "&amp;";
    case '<':
      return "&lt;";
    case '>':
      return "&gt;";
    case '"':
      return "&quot;";
    case '\'':
      return "&apos;";
    case '\t':
      return "&#9;";
    case '\r':
      return "&#13;";
    default:
      return "&#10;";
  }
}

[[noreturn]] void rejectText(std::size_t offset, const char* format, unsigned value) {
  char what[64];
  std::snprintf(what, sizeof what, format, value);
  throw Exceptions::InvalidXmlText("Text cannot be written as XML: " + std::string(what) +
                                   " at byte offset " + std::to_string(offset));
}

// The length of the UTF-8 sequence that starts with a byte >= 0x80 at text[pos], after checking
// that it is the shortest form of a code point XML 1.0 allows.
std::size_t checkedSequenceLength(std::string_view text, std::size_t pos) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(text.data()) + pos;
  const Detail::Utf8Sequence sequence = Detail::decodeUtf8(bytes, text.size() - pos);
  switch (sequence.fault) {
    case Detail::Utf8Fault::None:
      break;
    case Detail::Utf8Fault::BadLead:
      rejectText(pos, "malformed UTF-8 (byte 0x%02X cannot start a character)", bytes[0]);
    case Detail::Utf8Fault::CutShort:
      rejectText(pos, "malformed UTF-8 (sequence starting with 0x%02X is cut short)", bytes[0]);
    case Detail::Utf8Fault::BadContinuation:
      rejectText(pos + sequence.faultAt, "malformed UTF-8 (unexpected byte 0x%02X in a sequence)",
                 bytes[sequence.faultAt]);
  }
  if (!Detail::isXmlChar(sequence.code))
    rejectText(pos, "character U+%04X is not allowed", static_cast<unsigned>(sequence.code));
  return sequence.length;
}

}  // namespace

template <>
std::string lexical_cast<std::string, int>(const int& value) {
  char digits[16];
  const std::to_chars_result result = std::to_chars(digits, digits + sizeof digits, value);
  return std::string(digits, result.ptr);
}

template <>
std::string lexical_cast<std::string, DateTime>(const DateTime& value) {
  char text[] = "0000-00-00T00:00:00";
  putDigits(text, value.year(), 4);
  putDigits(text + 5, value.month(), 2);
  putDigits(text + 8, value.day(), 2);
  putDigits(text + 11, value.hour(), 2);
  putDigits(text + 14, value.minute(), 2);
  putDigits(text + 17, value.second(), 2);
  return std::string(text, sizeof text - 1);
}

template <>
int lexical_cast<int, std::string_view>(const std::string_view& text) {
  // Numbers as written need no trimming.
  const bool bare = !text.empty() && isDigit(text.back()) && (isDigit(text[0]) || text[0] == '-');
  const std::string_view number = bare ? text : trimXmlWhitespace(text);
  if (number.empty())
    return 0;
  const char* begin = number.data();
  const char* const end = begin + number.size();
  // from_chars takes a '-' but not a '+', and must not see a sign after the '+'.
  if (*begin == '+') {
    ++begin;
    if (begin == end || !isDigit(*begin))
      cannotConvert(text, "int");
  }
  int value = 0;
  const std::from_chars_result result = std::from_chars(begin, end, value);
  if (result.ec != std::errc() || result.ptr != end)
    cannotConvert(text, "int");
  return value;
}

template <>
DateTime lexical_cast<DateTime, std::string_view>(const std::string_view& text) {
  // Dates as written need no trimming.
  const std::string_view value =
      text.size() == 19 && isDigit(text.front()) ? text : trimXmlWhitespace(text);
  if (value.empty())
    return DateTime();
  constexpr std::string_view kShape = "YYYY-MM-DDThh:mm:ss";
  if (value.size() != kShape.size() || value[4] != '-' || value[7] != '-' || value[10] != 'T' ||
      value[13] != ':' || value[16] != ':') {
    cannotConvert(text, "DateTime");
  }
  // The fourteen digits, checked together: one branch instead of one per digit.
  static constexpr std::size_t kDigitAt[14] = {0, 1, 2, 3, 5, 6, 8, 9, 11, 12, 14, 15, 17, 18};
  int digits[14];
  bool allDigits = true;
  for (std::size_t i = 0; i < 14; ++i) {
    const unsigned digit = static_cast<unsigned char>(value[kDigitAt[i]]) - unsigned{'0'};
    allDigits &= digit <= 9;
    digits[i] = static_cast<int>(digit);
  }
  if (!allDigits)
    cannotConvert(text, "DateTime");
  const auto pair = [&digits](std::size_t at) { return digits[at] * 10 + digits[at + 1]; };
  try {
    return DateTime(pair(0) * 100 + pair(2), pair(4), pair(6), pair(8), pair(10), pair(12));
  } catch (const std::out_of_range&) {
    cannotConvert(text, "DateTime");
  }
}

template <>
int lexical_cast<int, std::string>(const std::string& text) {
  return lexical_cast<int>(std::string_view(text));
}

template <>
DateTime lexical_cast<DateTime, std::string>(const std::string& text) {
  return lexical_cast<DateTime>(std::string_view(text));
}

std::string toXmlString(const std::string& text) {
  // Most values need no escaping: check that first and copy them whole.
  const auto plain = [](char c) { return kByteClasses[static_cast<unsigned char>(c)] == kPlain; };
  if (std::all_of(text.begin(), text.end(), plain))
    return text;
  std::string out;
  appendXmlString(out, text);
  return out;
}

void appendXmlString(std::string& out, std::string_view text) {
  out.reserve(out.size() + text.size());
  const std::size_t size = text.size();
  std::size_t runStart = 0;
  std::size_t pos = 0;
  while (pos < size) {
    const auto byte = static_cast<unsigned char>(text[pos]);
    switch (kByteClasses[byte]) {
      case kPlain:
        ++pos;
        break;
      case kMultibyte:
        pos += checkedSequenceLength(text, pos);
        break;
      case kEscaped:
        out.append(text.data() + runStart, pos - runStart);
        out.append(escapeFor(byte));
        runStart = ++pos;
        break;
      case kForbidden:
        rejectText(pos, "control character U+%04X is not allowed", byte);
    }
  }
  out.append(text.data() + runStart, size - runStart);
}

}  // namespace Xml
}  // namespace Common
}  // namespace Soa
}  // namespace Corvanthel
