// The lexical spaces of the built-in types that schemas use, as XML Schema 1.0 defines them, and
// the automata of pattern facets: what the validator checks of every attribute value and every
// text of a simple type. Each value is scanned once, in place.
#ifndef PELAGON_RUNTIME_SIMPLEVALUES_HXX
#define PELAGON_RUNTIME_SIMPLEVALUES_HXX

#include <cstddef>
#include <cstdint>
#include <string_view>

#include <pelagon/runtime/ContentModel.hxx>

namespace Corvanthel {
namespace Soa {
namespace Common {
namespace Xml {
namespace Validation {

inline bool isXmlBlank(char c) noexcept {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

/// The value without the blanks around it: what whitespace collapsing leaves of a value that
/// has none inside (one that has any inside is in no lexical space that collapses).
inline std::string_view withoutOuterBlanks(std::string_view value) noexcept {
  std::size_t first = 0;
  std::size_t last = value.size();
  while (first < last && isXmlBlank(value[first]))
    ++first;
  while (last > first && isXmlBlank(value[last - 1]))
    --last;
  return value.substr(first, last - first);
}

/// xs:int: an optional sign and decimal digits (leading zeros allowed), from -2147483648 to
/// 2147483647.
inline bool isInt(std::string_view text) noexcept {
  std::size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-'))
    negative = text[i++] == '-';
  if (i == text.size())
    return false;
  const std::uint64_t limit = negative ? 2147483648u : 2147483647u;
  std::uint64_t value = 0;
  for (; i < text.size(); ++i) {
    const unsigned digit = static_cast<unsigned char>(text[i]) - unsigned{'0'};
    if (digit > 9)
      return false;
    value = value * 10 + digit;
    if (value > limit)
      return false;
  }
  return true;
}

namespace Detail {

// Reads exactly count digits at text[i], advancing i.
inline bool digits(std::string_view text, std::size_t& i, std::size_t count, int& value) noexcept {
  if (text.size() - i < count)
    return false;
  value = 0;
  for (std::size_t end = i + count; i < end; ++i) {
    const unsigned digit = static_cast<unsigned char>(text[i]) - unsigned{'0'};
    if (digit > 9)
      return false;
    value = value * 10 + static_cast<int>(digit);
  }
  return true;
}

inline bool literal(std::string_view text, std::size_t& i, char c) noexcept {
  if (i >= text.size() || text[i] != c)
    return false;
  ++i;
  return true;
}

inline bool isDigit(char c) noexcept {
  return c >= '0' && c <= '9';
}

// The year of a date: four digits or more, more only without a leading zero, and not 0000.
// Returns the year modulo 400 (enough for the leap-year rule), -1 when the text is no year.
inline int year(std::string_view text, std::size_t& i) noexcept {
  const std::size_t first = i;
  int modulo = 0;
  while (i < text.size() && isDigit(text[i])) {
    modulo = (modulo * 10 + (text[i] - '0')) % 400;
    ++i;
  }
  const std::size_t count = i - first;
  if (count < 4 || (count > 4 && text[first] == '0'))
    return -1;
  bool zero = true;
  for (std::size_t k = first; k < i; ++k)
    zero = zero && text[k] == '0';
  return zero ? -1 : modulo;
}

inline int daysInMonth(int month, int yearModulo400) noexcept {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap =
      yearModulo400 % 4 == 0 && (yearModulo400 % 100 != 0 || yearModulo400 % 400 == 0);
  return month == 2 && leap ? 29 : kDays[month - 1];
}

}  // namespace Detail

/// xs:dateTime (XML Schema 1.0, Second Edition): '-'? yyyy '-' mm '-' dd 'T' hh ':' mm ':' ss
/// ('.' s+)? with an optional time zone (Z, or +hh:mm / -hh:mm up to 14:00); a day that exists
/// in its month (the leap-year rule applied to the year as written), and 24:00:00 only with no
/// fraction other than zeros.
inline bool isDateTime(std::string_view text) noexcept {
  using namespace Detail;
  std::size_t i = 0;
  if (i < text.size() && text[i] == '-')
    ++i;
  const int yearModulo = year(text, i);
  int month = 0, day = 0, hour = 0, minute = 0, second = 0;
  if (yearModulo < 0 || !literal(text, i, '-') || !digits(text, i, 2, month) ||
      !literal(text, i, '-') || !digits(text, i, 2, day) || !literal(text, i, 'T') ||
      !digits(text, i, 2, hour) || !literal(text, i, ':') || !digits(text, i, 2, minute) ||
      !literal(text, i, ':') || !digits(text, i, 2, second)) {
    return false;
  }
  if (month < 1 || month > 12 || day < 1 || day > daysInMonth(month, yearModulo) || minute > 59 ||
      second > 59 || hour > 24) {
    return false;
  }
  bool zeroFraction = true;
  if (i < text.size() && text[i] == '.') {
    const std::size_t first = ++i;
    while (i < text.size() && isDigit(text[i]))
      zeroFraction = zeroFraction && text[i++] == '0';
    if (i == first)
      return false;
  }
  if (hour == 24 && (minute != 0 || second != 0 || !zeroFraction))
    return false;
  if (i == text.size())
    return true;
  if (text[i] == 'Z')
    return i + 1 == text.size();
  int zoneHour = 0, zoneMinute = 0;
  if ((text[i] != '+' && text[i] != '-') || !digits(text, ++i, 2, zoneHour) ||
      !literal(text, i, ':') || !digits(text, i, 2, zoneMinute) || i != text.size()) {
    return false;
  }
  return zoneMinute <= 59 && (zoneHour < 14 || (zoneHour == 14 && zoneMinute == 0));
}

/// Whether the pattern's automaton accepts the whole value.
inline bool matches(const Pattern& pattern, std::string_view value) noexcept {
  unsigned state = 0;
  for (const char c : value) {
    state =
        pattern.next[state * pattern.classCount + pattern.byteClass[static_cast<unsigned char>(c)]];
  }
  return pattern.accepting[state];
}

/// What is wrong with a value of a simple type.
enum class ValueFault { None, Lexical, Pattern };

/// Checks value (as the tree holds it: attribute values normalised, text as written) against
/// type, after the whitespace handling of its built-in type.
inline ValueFault checkValue(const SimpleType& type, std::string_view value) noexcept {
  if (type.builtin != Builtin::String) {
    value = withoutOuterBlanks(value);
    const bool lexical = type.builtin == Builtin::Int ? isInt(value) : isDateTime(value);
    if (!lexical)
      return ValueFault::Lexical;
  }
  if (type.pattern != nullptr && !matches(*type.pattern, value))
    return ValueFault::Pattern;
  return ValueFault::None;
}

}  // namespace Validation
}  // namespace Xml
}  // namespace Common
}  // namespace Soa
}  // namespace Corvanthel

#endif  // PELAGON_RUNTIME_SIMPLEVALUES_HXX
