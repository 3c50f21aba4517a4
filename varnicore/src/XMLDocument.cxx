#include <varnicore/XMLDocument.hxx>

#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <pugixml.hpp>

#include <varnicore/Exceptions.hxx>

#include "ParsedText.hxx"
#include "WellFormedness.hxx"

namespace Corvanthel {
namespace Soa {
namespace Common {
namespace Xml {

namespace Detail {

void failAt(const ParsedText& data, std::size_t offset, const char* cause) {
  const auto [line, column] = data.lineAndColumn(offset);
  throw Exceptions::DomException("line " + std::to_string(line) + ", column " +
                                 std::to_string(column) + ": " + cause);
}

}  // namespace Detail

namespace {

constexpr unsigned kParseOptions =
    pugi::parse_default | pugi::parse_ws_pcdata_single | pugi::parse_doctype;

constexpr const char kXmlNamespace[] = "http://www.w3.org/XML/1998/namespace";

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
  Detail::checkCharacters(*data, size);
  const std::vector<Detail::PlainTextSection> plain = Detail::checkReferences(*data, size);
  // Rare: kept only when the parsed tree must confirm where a '&' lies.
  const std::string original = plain.empty() ? std::string() : std::string(begin, size);

  const pugi::xml_parse_result result =
      data->document.load_buffer_inplace(begin, size, kParseOptions, pugi::encoding_utf8);
  if (!result)
    Detail::failAt(*data, static_cast<std::size_t>(result.offset), result.description());

  pugi::xml_node root;
  for (pugi::xml_node node = data->document.first_child(); node; node = node.next_sibling()) {
    if (node.type() == pugi::node_doctype) {
      Detail::failAt(*data, markupStart(*data, node), "DOCTYPE is not allowed");
    }
    if (node.type() == pugi::node_element) {
      if (root)
        Detail::failAt(*data, markupStart(*data, node), "A second root element is not allowed");
      root = node;
    }
  }
  if (!root)
    Detail::failAt(*data, size, "No document element found");
  if (!plain.empty())
    Detail::confirmPlainTextSections(*data, size, root, plain, original);
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
  return XMLNode(data_->root, data_.get(), false);
}

std::string XMLNode::getAttr(const std::string& name) const {
  return std::string(getAttrView(name));
}

namespace {

// Attributes are looked up by name for every field of every element; comparing the first byte
// before the rest skips most of the others cheaply.
bool sameName(const char* candidate, std::string_view name) noexcept {
  if (name.empty() || candidate[0] != name[0])
    return false;
  // Stops at the candidate's terminating NUL at the latest, which no name holds.
  for (std::size_t i = 1; i < name.size(); ++i) {
    if (candidate[i] != name[i])
      return false;
  }
  return candidate[name.size()] == '\0';
}

// XML 1.0 allows an attribute name once per element. The parser keeps every copy, so that a
// look-up by name would find the first and hide the others; reading one is an error instead.
[[noreturn]] void attributeRepeated(pugi::xml_node_struct* node, const Detail::ParsedText* text) {
  const std::string cause =
      "Attribute repeated in element " + std::string(pugi::xml_node(node).name());
  // Placed, as every parse error is, at the '<' before the element's name.
  const std::ptrdiff_t nameOffset = pugi::xml_node(node).offset_debug();
  if (text != nullptr && nameOffset >= 1)
    Detail::failAt(*text, static_cast<std::size_t>(nameOffset - 1), cause.c_str());
  throw Exceptions::DomException(cause);
}

// The attribute with this name, after making sure that it is the only one.
pugi::xml_attribute onlyAttribute(pugi::xml_node_struct* node, const Detail::ParsedText* text,
                                  std::string_view name) {
  pugi::xml_attribute found;
  for (pugi::xml_attribute attribute = pugi::xml_node(node).first_attribute(); attribute;
       attribute = attribute.next_attribute()) {
    if (sameName(attribute.name(), name)) {
      if (found)
        attributeRepeated(node, text);
      found = attribute;
    }
  }
  return found;
}

}  // namespace

void XMLNode::getAttrViews(const std::string_view* names, std::string_view* values,
                           std::size_t count) const {
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
    if (match < count) {
      if (values[match].data() != nullptr)
        attributeRepeated(node_, text_);
      values[match] = attribute.value();
      expected = match + 1 < count ? match + 1 : 0;
    }
  }
}

std::string_view XMLNode::getAttrView(std::string_view name) const {
  if (!node_)
    return {};
  const pugi::xml_attribute attribute = onlyAttribute(node_, text_, name);
  return attribute ? std::string_view(attribute.value()) : std::string_view();
}

bool XMLNode::hasAttr(const std::string& name) const {
  return node_ && onlyAttribute(node_, text_, name);
}

std::vector<std::string> XMLNode::getAttrNames() const {
  std::vector<std::string> names;
  if (!node_)
    return names;
  for (pugi::xml_attribute attribute : pugi::xml_node(node_).attributes()) {
    names.emplace_back(attribute.name());
  }
  std::vector<std::string_view> sorted(names.begin(), names.end());
  std::sort(sorted.begin(), sorted.end());
  if (std::adjacent_find(sorted.begin(), sorted.end()) != sorted.end())
    attributeRepeated(node_, text_);
  return names;
}

std::string_view XMLNode::getName() const noexcept {
  if (!node_)
    return {};
  return pugi::xml_node(node_).name();
}

std::string_view XMLNode::getLocalName() const noexcept {
  const std::string_view name = getName();
  // The local part follows the last colon; memrchr beats a loop on the names read per element.
  const void* colon = name.empty() ? nullptr : memrchr(name.data(), ':', name.size());
  if (colon == nullptr)
    return name;
  return name.substr(static_cast<std::size_t>(static_cast<const char*>(colon) - name.data()) + 1);
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
    const pugi::xml_attribute attribute = onlyAttribute(node.internal_object(), text_, declaration);
    if (attribute)
      return attribute.value();
  }
  return {};
}

std::string XMLNode::getText() const {
  std::string text;
  if (!node_)
    return text;
  const pugi::xml_node first = pugi::xml_node(node_).first_child();
  const pugi::xml_node second = first.next_sibling();
  // Most text lies in one piece, which is taken at its size.
  if (!second && (first.type() == pugi::node_pcdata || first.type() == pugi::node_cdata))
    return std::string(first.value());
  for (pugi::xml_node child = first; child; child = child.next_sibling()) {
    if (child.type() == pugi::node_pcdata || child.type() == pugi::node_cdata) {
      text += child.value();
    }
  }
  return text;
}

bool XMLNode::hasElementParent() const noexcept {
  return node_ && pugi::xml_node(node_).parent().type() == pugi::node_element;
}

XMLNode XMLNode::getParent() const noexcept {
  if (!hasParent())
    return XMLNode();
  const XMLNode parent(pugi::xml_node(node_).parent().internal_object(), text_, false);
  return XMLNode(parent.node_, text_, parent.hasParent());
}

std::size_t XMLNode::getChildCount() const noexcept {
  // Every list of a schema object is reserved from this count: a plain walk of the tree.
  std::size_t count = 0;
  if (node_ == nullptr)
    return count;
  for (pugi::xml_node child = pugi::xml_node(node_).first_child(); child;
       child = child.next_sibling()) {
    count += child.type() == pugi::node_element ? 1 : 0;
  }
  return count;
}

XMLNode XMLNode::getFirstChild() const noexcept {
  if (!node_)
    return XMLNode();
  return XMLNode(firstElementFrom(pugi::xml_node(node_).first_child()).internal_object(), text_,
                 true);
}

XMLNode XMLNode::getNextSibling() const noexcept {
  if (!node_)
    return XMLNode();
  return XMLNode(firstElementFrom(pugi::xml_node(node_).next_sibling()).internal_object(), text_,
                 true);
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
