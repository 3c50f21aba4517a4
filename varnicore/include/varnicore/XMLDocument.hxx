// Parsed XML documents and their element nodes.
#ifndef VARNICORE_XMLDOCUMENT_HXX
#define VARNICORE_XMLDOCUMENT_HXX

#include <cstddef>
#include <iterator>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include <varnicore/Export.hxx>

namespace pugi {
struct xml_node_struct;
}

namespace Corvanthel {
namespace Soa {
namespace Common {
namespace Xml {

class XMLDocument;
class XMLNodeChildren;
namespace Detail {
struct ParsedText;
}

/// One element of a parsed document: a light handle that stays valid as long as its
/// XMLDocument. A default-constructed node is null; asking a null node for anything gives
/// empty results.
class VARNICORE_API XMLNode {
 public:
  XMLNode() noexcept = default;

  bool isNull() const noexcept { return node_ == nullptr; }
  /// True when both stand for the same element (or both are null).
  bool isSameAs(const XMLNode& other) const noexcept { return node_ == other.node_; }
  explicit operator bool() const noexcept { return node_ != nullptr; }

  /// The value of the attribute with this exact (unprefixed or prefixed) name; "" when absent.
  ///
  /// An element may give an attribute name once. The parser does not look for repeats; the
  /// attribute accessors do, so that no repeated value is ever silently passed over: getAttr,
  /// getAttrView and hasAttr throw Exceptions::DomException("line L, column C: Attribute
  /// repeated in element E") when the name asked for is given twice, getAttrViews when any of
  /// its names is, and getAttrNames when any name is.
  std::string getAttr(const std::string& name) const;
  /// As getAttr, without a copy: the value as it lies in the document (valid while the document
  /// lives).
  std::string_view getAttrView(std::string_view name) const;
  /// getAttrView for several names at once, in one pass over the element's attributes:
  /// values[i] is the value of names[i] ("" when absent). Fastest when the attributes come in
  /// the order of the names.
  void getAttrViews(const std::string_view* names, std::string_view* values,
                    std::size_t count) const;
  bool hasAttr(const std::string& name) const;
  /// The names of all attributes, namespace declarations included, in document order.
  std::vector<std::string> getAttrNames() const;

  /// The element name as written, with its prefix.
  std::string_view getName() const noexcept;
  /// The element name without its prefix.
  std::string_view getLocalName() const noexcept;
  /// The namespace URI of the element, resolved through the declarations in scope; "" when the
  /// element is in no namespace. A declaration given twice on an element throws, as getAttr does.
  std::string getNamespaceUri() const;

  /// The element's own text: its character data and CDATA sections, concatenated in document
  /// order, whitespace included; the text of child elements is not part of it.
  std::string getText() const;

  /// False for the root element of a document.
  bool hasParent() const noexcept { return child_ || hasElementParent(); }
  XMLNode getParent() const noexcept;

  /// Child elements only; text, comments and processing instructions are skipped.
  std::size_t getChildCount() const noexcept;
  XMLNode getFirstChild() const noexcept;
  XMLNode getNextSibling() const noexcept;

  /// for (const XMLNode& child : node.getChildren()) visits the child elements in order.
  XMLNodeChildren getChildren() const noexcept;

  /// Where the element's start tag begins in the parsed text, counted from 1 (columns in
  /// bytes); 0 when unknown.
  int getLine() const noexcept;
  int getColumn() const noexcept;

 private:
  friend class XMLDocument;
  XMLNode(pugi::xml_node_struct* node, const Detail::ParsedText* text, bool child) noexcept
      : node_(node), text_(text), child_(node != nullptr && child) {}

  bool hasElementParent() const noexcept;

  pugi::xml_node_struct* node_ = nullptr;
  const Detail::ParsedText* text_ = nullptr;  // stays put when the document is moved
  // Known to have an element for parent, as every node reached through getFirstChild and
  // getNextSibling has: hasParent runs for every element read, and then needs no look-up.
  bool child_ = false;
};

/// Forward iteration over the child elements of a node.
class XMLNodeChildIterator {
 public:
  using iterator_category = std::forward_iterator_tag;
  using value_type = XMLNode;
  using difference_type = std::ptrdiff_t;
  using pointer = const XMLNode*;
  using reference = const XMLNode&;

  explicit XMLNodeChildIterator(XMLNode node) noexcept : node_(node) {}
  reference operator*() const noexcept { return node_; }
  pointer operator->() const noexcept { return &node_; }
  XMLNodeChildIterator& operator++() noexcept {
    node_ = node_.getNextSibling();
    return *this;
  }
  bool operator==(const XMLNodeChildIterator& other) const noexcept {
    return node_.isSameAs(other.node_);
  }
  bool operator!=(const XMLNodeChildIterator& other) const noexcept { return !(*this == other); }

 private:
  XMLNode node_;
};

/// The child elements of a node, as a range.
class XMLNodeChildren {
 public:
  explicit XMLNodeChildren(XMLNode first) noexcept : first_(first) {}
  XMLNodeChildIterator begin() const noexcept { return XMLNodeChildIterator(first_); }
  XMLNodeChildIterator end() const noexcept { return XMLNodeChildIterator(XMLNode()); }

 private:
  XMLNode first_;
};

inline XMLNodeChildren XMLNode::getChildren() const noexcept {
  return XMLNodeChildren(getFirstChild());
}

/// A parsed document; owns its text and the tree, and is movable, not copyable.
///
/// The parser keeps all whitespace that is an element's only content and normalises line ends
/// (CR LF and lone CR become LF) as XML 1.0 requires. It never loads anything from outside and
/// never expands entities declared in a DTD: a document with a DOCTYPE is rejected. Also rejected:
/// bytes that are not well-formed UTF-8, control characters (raw or as character references),
/// and an '&' in text or an attribute value that starts no predefined entity or character
/// reference to an XML character. A repeated attribute is reported when it is read (see
/// XMLNode::getAttr).
class VARNICORE_API XMLDocument {
 public:
  /// Parses UTF-8 text (an optional byte order mark is skipped). Throws
  /// Exceptions::DomException with the line, column and cause for malformed text, for text
  /// without a root element and for a document with a DOCTYPE.
  static XMLDocument parse(const std::string& text);
  /// As above, taking over the text without copying it.
  static XMLDocument parse(std::string&& text);

  XMLDocument(XMLDocument&& other) noexcept;
  XMLDocument& operator=(XMLDocument&& other) noexcept;
  ~XMLDocument();

  XMLNode getRootElement() const noexcept;

 private:
  explicit XMLDocument(std::unique_ptr<Detail::ParsedText> data) noexcept;
  static XMLDocument parseOwned(std::string text);

  std::unique_ptr<Detail::ParsedText> data_;
};

}  // namespace Xml
}  // namespace Common
}  // namespace Soa
}  // namespace Corvanthel

#endif  // VARNICORE_XMLDOCUMENT_HXX
