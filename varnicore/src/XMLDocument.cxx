#include <varnicore/XMLDocument.hxx>

#include <algorithm>
#include <cstring>
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
