#include <varnicore/XMLDocument.hxx>

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string_view>
#include <system_error>
#include <utility>

#include <pugixml.hpp>

#include <varnicore/Exceptions.hxx>

namespace Corvanthel {
namespace Soa {
namespace Common {
namespace Xml {

namespace Detail {

// The text of a document and the tree parsed in place from it: names and values in the tree
// point into `buffer`, which therefore must never be reallocated.
struct ParsedText {
  std::string buffer;
  const char* text = nullptr;  // where parsing began: buffer after its byte order mark
  // Offsets from `text` at which the lines begin. Taken before parsing, since parsing in place
  // rewrites line ends and character references.
  std::vector<std::size_t> lineStarts;
  pugi::xml_document document;
  pugi::xml_node_struct* root = nullptr;

  std::pair<int, int> lineAndColumn(std::size_t offset) const {
    const auto next = std::upper_bound(lineStarts.begin(), lineStarts.end(), offset);
    const auto line = static_cast<std::size_t>(next - lineStarts.begin());
    return {static_cast<int>(line), static_cast<int>(offset - lineStarts[line - 1] + 1)};
  }
};

}  // namespace Detail

namespace {

constexpr unsigned kParseOptions =
    pugi::parse_default | pugi::parse_ws_pcdata_single | pugi::parse_doctype;

constexpr const char kXmlNamespace[] = "http://www.w3.org/XML/1998/namespace";

// Lines end at LF, CR LF or a lone CR, as XML 1.0 counts them.
std::vector<std::size_t> findLineStarts(const char* text, std::size_t size) {
  std::vector<std::size_t> starts{0};
  const char* const end = text + size;
  if (std::memchr(text, '\r', size) == nullptr) {
    for (const char* p = text; (p = static_cast<const char*>(std::memchr(p, '\n', end - p)));) {
      ++p;
      starts.push_back(static_cast<std::size_t>(p - text));
    }
    return starts;
  }
  for (std::size_t i = 0; i < size; ++i) {
    if (text[i] == '\n' || (text[i] == '\r' && (i + 1 == size || text[i + 1] != '\n'))) {
      starts.push_back(i + 1);
    }
  }
  return starts;
}

[[noreturn]] void failAt(const Detail::ParsedText& data, std::size_t offset, const char* cause) {
  const auto [line, column] = data.lineAndColumn(offset);
  throw Exceptions::DomException("line " + std::to_string(line) + ", column " +
                                 std::to_string(column) + ": " + cause);
}

// The text must consist of XML characters only: well-formed UTF-8 (shortest forms, no surrogates,
// nothing above U+10FFFF, not U+FFFE or U+FFFF) and no control character other than tab, LF and
// CR. pugixml would take any byte, so that a value could hold what no document may carry (and
// what writing the value again refuses), and a NUL would end the text early. Plain ASCII passes
// eight bytes at a time.
void checkCharacters(const Detail::ParsedText& data, std::size_t size) {
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
      if (byte < 0x20 && byte != '\t' && byte != '\n' && byte != '\r') {
        char what[64];
        std::snprintf(what, sizeof what, "Control character U+%04X is not allowed", byte);
        failAt(data, pos, what);
      }
      ++pos;
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

bool isXmlChar(unsigned long code) {
  return code == 0x9 || code == 0xA || code == 0xD || (code >= 0x20 && code <= 0xD7FF) ||
         (code >= 0xE000 && code <= 0xFFFD) || (code >= 0x10000 && code <= 0x10FFFF);
}

// Checks the reference that starts with the '&' at text[pos]: one of the five predefined entities
// or a character reference to an XML character. pugixml keeps an unknown or unterminated one as
// literal text and cuts a value short at "&#0;"; both would change data silently.
void checkReference(const Detail::ParsedText& data, std::size_t pos, std::size_t size) {
  const std::string_view rest(data.text + pos + 1, std::min<std::size_t>(size - pos - 1, 64));
  const std::size_t semicolon = rest.find(';');
  const std::string_view name = rest.substr(0, semicolon);
  if (semicolon == std::string_view::npos || name.empty() ||
      name.find_first_of(" \t\r\n<>&\"'") != std::string_view::npos) {
    failAt(data, pos, "'&' must start an entity or character reference ending in ';'");
  }
  if (name == "amp" || name == "lt" || name == "gt" || name == "quot" || name == "apos")
    return;
  if (name[0] != '#') {
    failAt(data, pos, ("Undeclared entity &" + std::string(name) + ";").c_str());
  }
  const bool hex = name.size() > 1 && name[1] == 'x';
  const std::string_view digits = name.substr(hex ? 2 : 1);
  unsigned long code = 0;
  const auto [end, error] =
      std::from_chars(digits.data(), digits.data() + digits.size(), code, hex ? 16 : 10);
  if (digits.empty() || error != std::errc() || end != digits.data() + digits.size() ||
      !isXmlChar(code)) {
    failAt(data, pos,
           ("Character reference &" + std::string(name) + "; is not an XML character").c_str());
  }
}

// Finds every '&' in character data and attribute values (not in comments, CDATA sections and
// processing instructions, where it is plain text) and checks its reference. Costs a memchr over
// the text, and a pass up to the last '&' for documents that have one.
void checkReferences(const Detail::ParsedText& data, std::size_t size) {
  const char* const text = data.text;
  const char* const end = text + size;
  const char* outside = text;  // known to lie outside comments, CDATA and PIs
  for (const char* amp = static_cast<const char*>(std::memchr(text, '&', size)); amp;
       amp = static_cast<const char*>(std::memchr(amp + 1, '&', end - amp - 1))) {
    if (amp < outside)
      continue;
    // Skip the sections that open between `outside` and this '&'.
    bool inside = false;
    for (const char* lt;
         !inside && (lt = static_cast<const char*>(std::memchr(outside, '<', amp - outside)));) {
      const std::string_view open(lt, end - lt);
      std::string_view close;
      if (open.substr(0, 4) == "<!--") {
        close = "-->";
      } else if (open.substr(0, 9) == "<![CDATA[") {
        close = "]]>";
      } else if (open.substr(0, 2) == "<?") {
        close = "?>";
      } else if (open.substr(0, 9) == "<!DOCTYPE") {
        return;  // rejected after parsing, whatever it holds
      } else {
        outside = lt + 1;
        continue;
      }
      const std::size_t closing = open.find(close, 2);
      if (closing == std::string_view::npos)
        return;  // unterminated: pugixml reports it
      outside = lt + closing + close.size();
      inside = outside > amp;
    }
    if (!inside) {
      checkReference(data, static_cast<std::size_t>(amp - text), size);
      outside = amp + 1;
    }
  }
}

// XML 1.0 allows an attribute name once per element; pugixml keeps every copy and a look-up
// finds the first, so that the others would be dropped silently. Visits every element once,
// without recursion.
void checkAttributesUnique(const Detail::ParsedText& data, pugi::xml_node root) {
  std::vector<std::string_view> names;
  pugi::xml_node node = root;
  while (node) {
    pugi::xml_attribute first = node.first_attribute();
    if (first && first.next_attribute()) {
      names.clear();
      for (pugi::xml_attribute attribute = first; attribute; attribute = attribute.next_attribute())
        names.emplace_back(attribute.name());
      bool repeated = false;
      if (names.size() <= 8) {
        for (std::size_t i = 1; i < names.size() && !repeated; ++i)
          repeated = std::find(names.begin(), names.begin() + i, names[i]) != names.begin() + i;
      } else {
        std::sort(names.begin(), names.end());
        repeated = std::adjacent_find(names.begin(), names.end()) != names.end();
      }
      if (repeated) {
        const std::ptrdiff_t offset = node.offset_debug();
        failAt(data, offset > 0 ? static_cast<std::size_t>(offset - 1) : 0,
               ("Attribute repeated in element " + std::string(node.name())).c_str());
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
}

// Where the markup of a top-level node starts: pugixml reports the offset of its name or value,
// and the bytes before it up to the '<' are never rewritten by the parser.
std::size_t markupStart(const Detail::ParsedText& data, pugi::xml_node node) {
  const std::ptrdiff_t offset = node.offset_debug();
  if (offset <= 0)
    return 0;
  auto start = static_cast<std::size_t>(offset);
  while (start > 0 && data.text[start] != '<')
    --start;
  return start;
}

// pugixml knows where an element's name is; the start tag begins one byte before it.
std::pair<int, int> startTagPosition(pugi::xml_node_struct* node,
                                     const Detail::ParsedText* text) noexcept {
  const std::ptrdiff_t nameOffset = node ? pugi::xml_node(node).offset_debug() : -1;
  if (!text || nameOffset < 1)
    return {0, 0};
  return text->lineAndColumn(static_cast<std::size_t>(nameOffset - 1));
}

pugi::xml_node firstElementFrom(pugi::xml_node node) {
  while (node && node.type() != pugi::node_element)
    node = node.next_sibling();
  return node;
}

}  // namespace

XMLDocument XMLDocument::parse(const std::string& text) {
  return parseOwned(text);
}

XMLDocument XMLDocument::parse(std::string&& text) {
  return parseOwned(std::move(text));
}

XMLDocument XMLDocument::parseOwned(std::string text) {
  auto data = std::make_unique<Detail::ParsedText>();
  data->buffer = std::move(text);
  char* begin = data->buffer.data();
  std::size_t size = data->buffer.size();
  if (size >= 3 && std::memcmp(begin, "\xEF\xBB\xBF", 3) == 0) {
    begin += 3;
    size -= 3;
  }
  data->text = begin;
  data->lineStarts = findLineStarts(begin, size);
  checkCharacters(*data, size);
  checkReferences(*data, size);

  const pugi::xml_parse_result result =
      data->document.load_buffer_inplace(begin, size, kParseOptions, pugi::encoding_utf8);
  if (!result)
    failAt(*data, static_cast<std::size_t>(result.offset), result.description());

  pugi::xml_node root;
  for (pugi::xml_node node = data->document.first_child(); node; node = node.next_sibling()) {
    if (node.type() == pugi::node_doctype) {
      failAt(*data, markupStart(*data, node), "DOCTYPE is not allowed");
    }
    if (node.type() == pugi::node_element) {
      if (root)
        failAt(*data, markupStart(*data, node), "A second root element is not allowed");
      root = node;
    }
  }
  if (!root)
    failAt(*data, size, "No document element found");
  checkAttributesUnique(*data, root);
  data->root = root.internal_object();
  return XMLDocument(std::move(data));
}

XMLDocument::XMLDocument(std::unique_ptr<Detail::ParsedText> data) noexcept
    : data_(std::move(data)) {}

XMLDocument::XMLDocument(XMLDocument&& other) noexcept = default;
XMLDocument& XMLDocument::operator=(XMLDocument&& other) noexcept = default;
XMLDocument::~XMLDocument() = default;

XMLNode XMLDocument::getRootElement() const noexcept {
  if (!data_)
    return XMLNode();
  return XMLNode(data_->root, data_.get());
}

std::string XMLNode::getAttr(const std::string& name) const {
  return std::string(getAttrView(name));
}

namespace {

// Attributes are looked up by name for every field of every element; comparing the first byte
// before the rest skips most of the others cheaply.
bool sameName(const char* candidate, std::string_view name) noexcept {
  return !name.empty() && candidate[0] == name[0] &&
         std::strncmp(candidate, name.data(), name.size()) == 0 && candidate[name.size()] == '\0';
}

}  // namespace

void XMLNode::getAttrViews(const std::string_view* names, std::string_view* values,
                           std::size_t count) const noexcept {
  std::fill(values, values + count, std::string_view());
  if (!node_ || count == 0)
    return;
  std::size_t expected = 0;  // documents usually give attributes in the order asked for
  for (pugi::xml_attribute attribute = pugi::xml_node(node_).first_attribute(); attribute;
       attribute = attribute.next_attribute()) {
    const char* candidate = attribute.name();
    std::size_t match = count;
    if (sameName(candidate, names[expected])) {
      match = expected;
    } else {
      for (std::size_t i = 0; i < count; ++i) {
        if (sameName(candidate, names[i])) {
          match = i;
          break;
        }
      }
    }
    // A repeated attribute keeps its first value, as getAttr gives it.
    if (match < count && values[match].data() == nullptr) {
      values[match] = attribute.value();
      expected = match + 1 < count ? match + 1 : 0;
    }
  }
}

std::string_view XMLNode::getAttrView(std::string_view name) const noexcept {
  if (!node_)
    return {};
  for (pugi::xml_attribute attribute = pugi::xml_node(node_).first_attribute(); attribute;
       attribute = attribute.next_attribute()) {
    if (sameName(attribute.name(), name))
      return attribute.value();
  }
  return {};
}

bool XMLNode::hasAttr(const std::string& name) const {
  return node_ && pugi::xml_node(node_).attribute(name.c_str());
}

std::vector<std::string> XMLNode::getAttrNames() const {
  std::vector<std::string> names;
  if (!node_)
    return names;
  for (pugi::xml_attribute attribute : pugi::xml_node(node_).attributes()) {
    names.emplace_back(attribute.name());
  }
  return names;
}

std::string_view XMLNode::getName() const noexcept {
  if (!node_)
    return {};
  return pugi::xml_node(node_).name();
}

std::string_view XMLNode::getLocalName() const noexcept {
  const std::string_view name = getName();
  const std::size_t colon = name.rfind(':');
  return colon == std::string_view::npos ? name : name.substr(colon + 1);
}

std::string XMLNode::getNamespaceUri() const {
  if (!node_)
    return {};
  const std::string_view name = getName();
  const std::size_t colon = name.rfind(':');
  std::string declaration = "xmlns";
  if (colon != std::string_view::npos) {
    const std::string_view prefix = name.substr(0, colon);
    if (prefix == "xml")
      return kXmlNamespace;
    declaration.append(":").append(prefix);
  }
  for (pugi::xml_node node(node_); node.type() == pugi::node_element; node = node.parent()) {
    const pugi::xml_attribute attribute = node.attribute(declaration.c_str());
    if (attribute)
      return attribute.value();
  }
  return {};
}

std::string XMLNode::getText() const {
  std::string text;
  if (!node_)
    return text;
  for (pugi::xml_node child = pugi::xml_node(node_).first_child(); child;
       child = child.next_sibling()) {
    if (child.type() == pugi::node_pcdata || child.type() == pugi::node_cdata) {
      text += child.value();
    }
  }
  return text;
}

bool XMLNode::hasParent() const noexcept {
  return node_ && pugi::xml_node(node_).parent().type() == pugi::node_element;
}

XMLNode XMLNode::getParent() const noexcept {
  if (!hasParent())
    return XMLNode();
  return XMLNode(pugi::xml_node(node_).parent().internal_object(), text_);
}

std::size_t XMLNode::getChildCount() const noexcept {
  std::size_t count = 0;
  for (XMLNode child = getFirstChild(); child; child = child.getNextSibling())
    ++count;
  return count;
}

XMLNode XMLNode::getFirstChild() const noexcept {
  if (!node_)
    return XMLNode();
  return XMLNode(firstElementFrom(pugi::xml_node(node_).first_child()).internal_object(), text_);
}

XMLNode XMLNode::getNextSibling() const noexcept {
  if (!node_)
    return XMLNode();
  return XMLNode(firstElementFrom(pugi::xml_node(node_).next_sibling()).internal_object(), text_);
}

int XMLNode::getLine() const noexcept {
  return startTagPosition(node_, text_).first;
}

int XMLNode::getColumn() const noexcept {
  return startTagPosition(node_, text_).second;
}

}  // namespace Xml
}  // namespace Common
}  // namespace Soa
}  // namespace Corvanthel
