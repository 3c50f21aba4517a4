#include <varnicore/Conversions.hxx>

#include <algorithm>

#include <array>
#include <charconv>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <system_error>

#include <varnicore/Exceptions.hxx>

#include "Escaping.hxx"
#include "LittleEndian.hxx"
#include "SpareText.hxx"
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

// The two digits of value % 100, from a table of the hundred pairs.
void putTwoDigits(char* out, int value) {
  static constexpr char kPairs[] =
      "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
      "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
      "8081828384858687888990919293949596979899";
  const auto pair = static_cast<unsigned>(value) % 100;
  std::memcpy(out, kPairs + 2 * pair, 2);
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
  // Too long for the string's own buffer: the storage comes from the thread's spare, which the
  // stream hands back after writing the text.
  constexpr std::size_t kSize = sizeof "0000-00-00T00:00:00" - 1;
  std::string text = Detail::takeSpareText();
  if (text.size() != kSize)
    text.resize(kSize);
  char* const out = text.data();
  putTwoDigits(out, value.year() / 100);  // the year is checked to have four digits
  putTwoDigits(out + 2, value.year());
  out[4] = '-';
  putTwoDigits(out + 5, value.month());
  out[7] = '-';
  putTwoDigits(out + 8, value.day());
  out[10] = 'T';
  putTwoDigits(out + 11, value.hour());
  out[13] = ':';
  putTwoDigits(out + 14, value.minute());
  out[16] = ':';
  putTwoDigits(out + 17, value.second());
  return text;
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
  // "YYYY-MM-DDThh:mm:ss" in three words (the last two overlap): the separators compared and
  // the fourteen digits checked in a few operations, without a branch per character.
  if (value.size() != 19)
    cannotConvert(text, "DateTime");
  const std::uint64_t words[3] = {Detail::littleEndianWord(value.data()),        // YYYY-MM-
                                  Detail::littleEndianWord(value.data() + 8),    // DDThh:mm
                                  Detail::littleEndianWord(value.data() + 11)};  // hh:mm:ss
  // Per word: where the digits are, and what the other bytes must be (little-endian order).
  static constexpr std::uint64_t kDigits[3] = {0x00FFFF00FFFFFFFFu, 0xFFFF00FFFF00FFFFu,
                                               0xFFFF000000000000u};
  static constexpr std::uint64_t kSeparators[3] = {0x2D00002D00000000u, 0x0000000000540000u,
                                                   0x00003A00003A0000u};
  static constexpr std::uint64_t kSeparatorBytes[3] = {0xFF0000FF00000000u, 0x0000000000FF0000u,
                                                       0x0000FF0000FF0000u};
  constexpr std::uint64_t kZeros = 0x3030303030303030u;
  constexpr std::uint64_t kHighs = 0x8080808080808080u;
  std::uint64_t bad = 0;
  for (int w = 0; w < 3; ++w) {
    bad |= (words[w] & kSeparatorBytes[w]) ^ kSeparators[w];
    // A byte x of (word ^ '0') is a digit's value when x <= 9: then x + 0x76 stays below 0x80.
    const std::uint64_t x = (words[w] ^ kZeros) & kDigits[w];
    bad |= (((x & ~kHighs) + (0x7676767676767676u & kDigits[w])) | x) & kHighs & kDigits[w];
  }
  if (bad != 0)
    cannotConvert(text, "DateTime");
  const auto digitAt = [&value](std::size_t at) { return static_cast<int>(value[at] - '0'); };
  const auto pair = [&digitAt](std::size_t at) { return digitAt(at) * 10 + digitAt(at + 1); };
  try {
    return DateTime(pair(0) * 100 + pair(2), pair(5), pair(8), pair(11), pair(14), pair(17));
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

namespace {

// True when escaping gives text back unchanged: ASCII without markup, line-end or control
// characters.
bool isPlainXmlText(std::string_view text) noexcept {
  const auto plain = [](char c) { return kByteClasses[static_cast<unsigned char>(c)] == kPlain; };
  return std::all_of(text.begin(), text.end(), plain);
}

// Where escaped text goes: a string of the caller's, or a buffer known to have room.
class BufferOut {
 public:
  explicit BufferOut(char* next) : next_(next) {}
  void append(const char* text, std::size_t size) {
    std::memcpy(next_, text, size);
    next_ += size;
  }
  void append(const char* text) { append(text, std::strlen(text)); }
  char* end() const { return next_; }

 private:
  char* next_;
};

template <class Out>
void escape(Out& out, std::string_view text) {
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

}  // namespace

std::string toXmlString(const std::string& text) {
  // Most values need no escaping: check that first and copy them whole. A value too long for the
  // string's own buffer takes the thread's spare storage, which the stream hands back after
  // writing it as an attribute: such a value then costs no allocation.
  if (isPlainXmlText(text)) {
    constexpr std::size_t kOwnBuffer = 15;
    if (text.size() <= kOwnBuffer)
      return text;
    std::string copy = Detail::takeSpareText();
    copy.assign(text);
    return copy;
  }
  std::string out = Detail::takeSpareText();
  out.clear();
  appendXmlString(out, text);
  return out;
}

void appendXmlString(std::string& out, std::string_view text) {
  out.reserve(out.size() + text.size());
  escape(out, text);
}

char* Detail::escapeInto(char* out, std::string_view text) {
  BufferOut buffer(out);
  escape(buffer, text);
  return buffer.end();
}

}  // namespace Xml
}  // namespace Common
}  // namespace Soa
}  // namespace Corvanthel
