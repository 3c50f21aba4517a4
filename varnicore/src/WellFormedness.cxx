#include "WellFormedness.hxx"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>
#include <vector>

namespace Corvanthel {
namespace Soa {
namespace Common {
namespace Xml {
namespace Detail {

namespace {

bool isXmlChar(unsigned long code) {
  return code == 0x9 || code == 0xA || code == 0xD || (code >= 0x20 && code <= 0xD7FF) ||
         (code >= 0xE000 && code <= 0xFFFD) || (code >= 0x10000 && code <= 0x10FFFF);
}

// Whether the '&' before `rest` starts one of the five predefined entities or a character reference
// to an XML character; if not, and `why` is given, why not. pugixml keeps an unknown or
// unterminated reference as literal text and cuts a value short at "&#0;"; both would change
// data silently.
bool isReference(std::string_view rest, std::string* why) {
  // The predefined entities first: text escaped for XML holds little else.
  const auto startsWith = [rest](const char* entity, std::size_t length) {
    return rest.size() >= length && std::memcmp(rest.data(), entity, length) == 0;
  };
  if (startsWith("amp;", 4) || startsWith("lt;", 3) || startsWith("gt;", 3) ||
      startsWith("quot;", 5) || startsWith("apos;", 5)) {
    return true;
  }
  const auto fail = [why](std::string reason) {
    if (why != nullptr)
      *why = std::move(reason);
    return false;
  };
  rest = rest.substr(0, 64);
  const std::size_t semicolon = rest.find(';');
  const std::string_view name = rest.substr(0, semicolon);
  if (semicolon == std::string_view::npos || name.empty() ||
      name.find_first_of(" \t\r\n<>&\"'") != std::string_view::npos) {
    return fail("'&' must start an entity or character reference ending in ';'");
  }
  if (name[0] != '#')
    return fail("Undeclared entity &" + std::string(name) + ";");
  const bool hex = name.size() > 1 && name[1] == 'x';
  const std::string_view digits = name.substr(hex ? 2 : 1);
  unsigned long code = 0;
  const auto [end, error] =
      std::from_chars(digits.data(), digits.data() + digits.size(), code, hex ? 16 : 10);
  if (digits.empty() || error != std::errc() || end != digits.data() + digits.size() ||
      !isXmlChar(code)) {
    return fail("Character reference &" + std::string(name) + "; is not an XML character");
  }
  return true;
}

[[noreturn]] void rejectReference(const ParsedText& data, const char* text, std::size_t amp,
                                  std::size_t size) {
  std::string why;
  isReference(std::string_view(text + amp + 1, size - amp - 1), &why);
  failAt(data, amp, why.c_str());
}

// Comments, CDATA sections and processing instructions hold plain text, where '&' starts nothing.
// For markup that starts at `open`, the length of such a section up to and including its closing
// delimiter; 0 when it is none of them, npos when it is not closed.
std::size_t plainSectionLength(std::string_view open) {
  struct Section {
    std::string_view start;
    std::string_view end;
  };
  static constexpr Section kSections[] = {{"<!--", "-->"}, {"<![CDATA[", "]]>"}, {"<?", "?>"}};
  for (const Section& section : kSections) {
    if (open.substr(0, section.start.size()) == section.start) {
      // Searched for after the opening delimiter: "<!-->" does not end the comment it opens.
      const std::size_t close = open.find(section.end, section.start.size());
      return close == std::string_view::npos ? close : close + section.end.size();
    }
  }
  return 0;
}

}  // namespace

// The text must consist of XML characters only: well-formed UTF-8 (shortest forms, no surrogates,
// nothing above U+10FFFF, not U+FFFE or U+FFFF) and no control character other than tab, LF and
// CR. pugixml would take any byte, so that a value could hold what no document may carry (and
// what writing the value again refuses), and a NUL would end the text early. Plain ASCII passes
// eight bytes at a time; line ends leave that path, which is where their offsets are recorded.
void checkCharacters(ParsedText& data, std::size_t size) {
  const auto* const text = reinterpret_cast<const unsigned char*>(data.text);
  constexpr std::uint64_t kOnes = 0x0101010101010101u;
  constexpr std::uint64_t kHighBits = 0x8080808080808080u;
  std::size_t pos = 0;
  while (pos < size) {
    if (size - pos >= 8) {
      std::uint64_t word;
      std::memcpy(&word, text + pos, 8);
      // No byte >= 0x80 and none below 0x20 (a byte b < 0x20 makes b - 0x20 borrow into bit 7;
      // a borrow may mark bytes after it, never one before).
      const std::uint64_t flagged = (word | (word - 0x20 * kOnes)) & kHighBits;
      if (flagged == 0) {
        pos += 8;
        continue;
      }
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
      pos += static_cast<std::size_t>(__builtin_ctzll(flagged)) / 8;  // the first flagged byte
#endif
    }
    const unsigned byte = text[pos];
    if (byte < 0x80) {
      // Lines end at LF, CR LF or a lone CR, as XML 1.0 counts them.
      if (byte == '\n' || (byte == '\r' && (pos + 1 == size || text[pos + 1] != '\n'))) {
        data.lineStarts.push_back(pos + 1);
      } else if (byte < 0x20 && byte != '\t' && byte != '\r') {
        char what[64];
        std::snprintf(what, sizeof what, "Control character U+%04X is not allowed", byte);
        failAt(data, pos, what);
      }
      ++pos;
      continue;
    }
    // The common sequences first: two bytes, and three bytes outside the lead bytes whose second
    // byte is restricted (E0, ED) and the one that can start U+FFFE or U+FFFF (EF).
    const auto continuation = [text](std::size_t at) { return (text[at] & 0xC0u) == 0x80u; };
    if (byte >= 0xC2 && byte <= 0xDF && size - pos >= 2 && continuation(pos + 1)) {
      pos += 2;
      continue;
    }
    if (byte >= 0xE1 && byte <= 0xEE && byte != 0xED && size - pos >= 3 && continuation(pos + 1) &&
        continuation(pos + 2)) {
      pos += 3;
      continue;
    }
    std::size_t length = 0;
    unsigned low = 0x80;   // the range of the second byte, narrowed to exclude overlong forms,
    unsigned high = 0xBF;  // surrogates and code points above U+10FFFF
    if (byte >= 0xC2 && byte <= 0xDF) {
      length = 2;
    } else if (byte >= 0xE0 && byte <= 0xEF) {
      length = 3;
      low = byte == 0xE0 ? 0xA0 : low;
      high = byte == 0xED ? 0x9F : high;
    } else if (byte >= 0xF0 && byte <= 0xF4) {
      length = 4;
      low = byte == 0xF0 ? 0x90 : low;
      high = byte == 0xF4 ? 0x8F : high;
    }
    bool valid = length != 0 && size - pos >= length;
    for (std::size_t i = 1; valid && i < length; ++i) {
      const unsigned next = text[pos + i];
      valid = i == 1 ? next >= low && next <= high : next >= 0x80 && next <= 0xBF;
    }
    if (!valid)
      failAt(data, pos, "Malformed UTF-8");
    if (byte == 0xEF && text[pos + 1] == 0xBF && text[pos + 2] >= 0xBE)
      failAt(data, pos, "Character U+FFFE or U+FFFF is not allowed");
    pos += length;
  }
}

std::vector<PlainTextSection> checkReferences(const ParsedText& data, std::size_t size) {
  const char* const text = data.text;
  const char* const end = text + size;
  std::vector<PlainTextSection> plain;
  const char* outside = text;  // lies outside the sections found so far
  std::size_t section = 0;     // where the section that ends at `outside` starts
  bool inDoctype = false;      // every later '&' may lie in a DOCTYPE
  for (auto amp = static_cast<const char*>(std::memchr(text, '&', size)); amp;
       amp = static_cast<const char*>(std::memchr(amp + 1, '&', end - amp - 1))) {
    if (isReference(std::string_view(amp + 1, end - amp - 1), nullptr))
      continue;
    const auto offset = static_cast<std::size_t>(amp - text);
    // Does a section that opens before this '&' reach past it?
    for (const char* lt;
         !inDoctype && outside <= amp &&
         (lt = static_cast<const char*>(std::memchr(outside, '<', amp - outside)));) {
      const std::string_view open(lt, end - lt);
      if (open.substr(0, 9) == "<!DOCTYPE") {
        inDoctype = true;
        break;
      }
      const std::size_t length = plainSectionLength(open);
      section = static_cast<std::size_t>(lt - text);
      outside = length == 0 ? lt + 1 : length == std::string_view::npos ? end + 1 : lt + length;
    }
    if (!inDoctype && outside <= amp)
      rejectReference(data, text, offset, size);
    const std::size_t start = inDoctype ? std::string_view::npos : section;
    if (plain.empty() || plain.back().start != start)
      plain.push_back({start, offset});
  }
  return plain;
}

void confirmPlainTextSections(const ParsedText& data, std::size_t size, pugi::xml_node root,
                              const std::vector<PlainTextSection>& plain,
                              const std::string& original) {
  // A section that starts inside an attribute value is none. The sections come in text order.
  std::vector<char> inValue(plain.size(), 0);
  const auto startsBefore = [](const PlainTextSection& section, std::size_t offset) {
    return section.start < offset;
  };
  pugi::xml_node node = root;
  while (node) {
    for (pugi::xml_attribute attribute = node.first_attribute(); attribute;
         attribute = attribute.next_attribute()) {
      const char* const value = attribute.value();
      if (value <= data.text || value >= data.text + size)
        continue;
      // The value as it was before parsing rewrote it: up to the quote that opened it.
      const auto begin = static_cast<std::size_t>(value - data.text);
      const std::size_t close = original.find(original[begin - 1], begin);
      for (auto section = std::lower_bound(plain.begin(), plain.end(), begin, startsBefore);
           section != plain.end() && section->start < close; ++section) {
        inValue[static_cast<std::size_t>(section - plain.begin())] = 1;
      }
    }
    // The next element in document order: the first child, else the next sibling of the node
    // or of its nearest ancestor below root that has one.
    const auto element = [](pugi::xml_node candidate) {
      while (candidate && candidate.type() != pugi::node_element)
        candidate = candidate.next_sibling();
      return candidate;
    };
    pugi::xml_node next = element(node.first_child());
    for (pugi::xml_node up = node; !next && up != root; up = up.parent())
      next = element(up.next_sibling());
    node = next;
  }
  for (std::size_t i = 0; i < plain.size(); ++i) {
    if (plain[i].start == std::string_view::npos || inValue[i])
      rejectReference(data, original.data(), plain[i].firstAmp, size);
  }
}

}  // namespace Detail
}  // namespace Xml
}  // namespace Common
}  // namespace Soa
}  // namespace Corvanthel
