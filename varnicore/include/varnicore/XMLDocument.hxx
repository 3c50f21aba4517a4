// Parsed XML documents and their element nodes.
#ifndef VARNICORE_XMLDOCUMENT_HXX
#define VARNICORE_XMLDOCUMENT_HXX

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include <varnicore/Export.hxx>
#include <varnicore/XMLTree.hxx>

namespace Corvanthel {
namespace Soa {
namespace Common {
namespace Xml {

class XMLDocument;
class XMLNodeChildren;
class XMLTextRuns;

/// One attribute of an element, as it lies in the document: its name as written (with its
/// prefix) and its value after normalisation. Both are views, valid while the document lives.
struct XMLAttribute {
  std::string_view name;
  std::string_view value;
};
namespace Detail {
struct Tree;
}

/// One element of a parsed document: a light handle that stays valid as long as its
/// XMLDocument, also when the document is moved. A default-constructed node is null; asking a
/// null node for anything gives empty results.
///
/// Names and values are views into the document: no accessor searches for a name's end, and the
/// ones that return std::string_view copy nothing.
class VARNICORE_API XMLNode {
 public:
  XMLNode() noexcept = default;

  bool isNull() const noexcept { return element_ == nullptr; }
  /// True when both stand for the same element (or both are null).
  bool isSameAs(const XMLNode& other) const noexcept { return element_ == other.element_; }
  explicit operator bool() const noexcept { return element_ != nullptr; }

  /// The value of the attribute with this exact (unprefixed or prefixed) name, after the
  /// normalisation XML 1.0 gives attribute values; "" when absent. A document never gives an
  /// attribute twice on one element: parsing rejects that.
  std::string getAttr(const std::string& name) const;
  /// As getAttr, without a copy: the value as it lies in the document (valid while the document
  /// lives).
  std::string_view getAttrView(std::string_view name) const noexcept;
  /// getAttrView for several names at once, in one pass over the element's attributes:
  /// values[i] is the value of names[i] ("" when absent). Fastest when the attributes come in
  /// the order of the names.
  void getAttrViews(const std::string_view* names, std::string_view* values,
                    std::size_t count) const noexcept;
  bool hasAttr(const std::string& name) const noexcept;
  /// The names of all attributes, namespace declarations included, in document order.
  std::vector<std::string> getAttrNames() const;
  /// The number of attributes, namespace declarations included.
  std::size_t getAttrCount() const noexcept { return element_ ? element_->attributeCount : 0; }
  /// The attribute at index (0 to getAttrCount() - 1) in document order, namespace declarations
  /// included; an empty one for an index out of range.
  XMLAttribute getAttrAt(std::size_t index) const noexcept {
    if (index >= getAttrCount())
      return {};
    const Detail::AttributeRecord& attribute =
        tree_->attributes[element_->firstAttribute + static_cast<std::uint32_t>(index)];
    return {std::string_view(tree_->text + attribute.name, attribute.nameLength),
            std::string_view(tree_->text + attribute.value, attribute.valueLength)};
  }
  /// The element name as written, with its prefix.
  std::string_view getName() const noexcept {
    return element_ ? std::string_view(tree_->text + element_->name, element_->nameLength)
                    : std::string_view();
  }
  /// The element name without its prefix.
  std::string_view getLocalName() const noexcept {
    return element_ ? std::string_view(tree_->text + element_->name + element_->localName,
                                       element_->nameLength - element_->localName)
                    : std::string_view();
  }
  /// The namespace URI of the element, resolved through the declarations in scope; "" when the
  /// element is in no namespace.
  std::string getNamespaceUri() const;
  /// getNamespaceUri without a copy: a view that stays valid as long as the document. Elements
  /// whose namespace comes from the same declaration give views of the same bytes, so a caller
  /// can recognise a namespace it has already compared by the view's data() alone.
  std::string_view getNamespaceUriView() const noexcept {
    return element_ ? tree_->namespaces[element_->namespaceUri] : std::string_view();
  }
  /// The namespace URI that prefix stands for at this element ("" for the default namespace);
  /// "" when it is bound to none. "xml" is always bound to the XML namespace.
  std::string lookupNamespaceUri(std::string_view prefix) const;
  /// lookupNamespaceUri without a copy: a view valid as long as the document.
  std::string_view lookupNamespaceUriView(std::string_view prefix) const noexcept;

  /// The element's own text: its character data and CDATA sections, concatenated in document
  /// order, whitespace included; the text of child elements is not part of it.
  std::string getText() const;
  /// The same text as the runs it lies in, without a copy: one run before, between and after
  /// the child elements wherever there are characters (comments and processing instructions do
  /// not split a run; CDATA sections are part of it). An element without child elements has one
  /// run at most.
  XMLTextRuns getTextRuns() const noexcept;

  /// False for the root element of a document.
  bool hasParent() const noexcept { return element_ != nullptr && index_ != 0; }
  XMLNode getParent() const noexcept { return hasParent() ? at(element_->parent) : XMLNode(); }

  /// Child elements only; text, comments and processing instructions are skipped.
  std::size_t getChildCount() const noexcept { return element_ ? element_->childCount : 0; }
  XMLNode getFirstChild() const noexcept {
    return element_ && element_->childCount != 0 ? at(index_ + 1) : XMLNode();
  }
  XMLNode getNextSibling() const noexcept {
    return element_ && element_->nextSibling != 0 ? at(element_->nextSibling) : XMLNode();
  }

  /// for (const XMLNode& child : node.getChildren()) visits the child elements in order.
  XMLNodeChildren getChildren() const noexcept;

  /// Where the element's start tag begins in the parsed text, counted from 1 (columns in bytes
  /// of the document's UTF-8 form); 0 for a null node.
  int getLine() const noexcept;
  int getColumn() const noexcept;
  /// Where part begins, for a view that this node's document gave out (an attribute's name or
  /// value, a run of text, a name); 0 for a view of any other text.
  int getLineOf(std::string_view part) const noexcept;
  int getColumnOf(std::string_view part) const noexcept;

 private:
  friend class XMLDocument;
  XMLNode(const Detail::TreeView* tree, std::uint32_t index) noexcept
      : tree_(tree), element_(&tree->elements[index]), index_(index) {}
  XMLNode at(std::uint32_t index) const noexcept { return XMLNode(tree_, index); }
  const Detail::Tree& tree() const noexcept;
  /// The offset of part in the document's text, or -1 when part does not lie in it.
  long offsetOf(std::string_view part) const noexcept;

  const Detail::TreeView* tree_ = nullptr;
  const Detail::ElementRecord* element_ = nullptr;
  std::uint32_t index_ = 0;
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

/// Forward iteration over the runs of an element's own text (XMLNode::getTextRuns).
class XMLTextRunIterator {
 public:
  using iterator_category = std::forward_iterator_tag;
  using value_type = std::string_view;
  using difference_type = std::ptrdiff_t;
  using pointer = const std::string_view*;
  using reference = const std::string_view&;

  XMLTextRunIterator() noexcept = default;
  XMLTextRunIterator(const Detail::TreeView* tree, std::string_view run,
                     std::uint32_t next) noexcept
      : tree_(tree), run_(run), next_(next) {}
  reference operator*() const noexcept { return run_; }
  pointer operator->() const noexcept { return &run_; }
  XMLTextRunIterator& operator++() noexcept {
    if (next_ == 0) {
      run_ = std::string_view();
    } else {
      const Detail::TextPiece& piece = tree_->pieces[next_];
      run_ = std::string_view(tree_->text + piece.text, piece.length);
      next_ = piece.next;
    }
    return *this;
  }
  /// Iterators compare equal when they stand at the same run; every run holds text, so the end
  /// is the only position with a null run.
  bool operator==(const XMLTextRunIterator& other) const noexcept {
    return run_.data() == other.run_.data();
  }
  bool operator!=(const XMLTextRunIterator& other) const noexcept { return !(*this == other); }

 private:
  const Detail::TreeView* tree_ = nullptr;
  std::string_view run_;
  std::uint32_t next_ = 0;
};

/// The runs of an element's own text, as a range.
class XMLTextRuns {
 public:
  explicit XMLTextRuns(XMLTextRunIterator first) noexcept : first_(first) {}
  XMLTextRunIterator begin() const noexcept { return first_; }
  XMLTextRunIterator end() const noexcept { return XMLTextRunIterator(); }

 private:
  XMLTextRunIterator first_;
};

inline XMLTextRuns XMLNode::getTextRuns() const noexcept {
  if (element_ == nullptr || element_->textLength == 0)
    return XMLTextRuns(XMLTextRunIterator());
  return XMLTextRuns(XMLTextRunIterator(
      tree_, std::string_view(tree_->text + element_->text, element_->textLength),
      element_->moreText));
}

/// A parsed document; owns its text and the tree, and is movable, not copyable.
///
/// The parser is strict: it accepts exactly the documents that are well-formed under XML 1.0
/// (Fifth Edition) and namespace-well-formed under Namespaces in XML 1.0 (Third Edition), except
/// that it rejects every document with a DOCTYPE (so nothing is ever loaded from outside and no
/// entity but the five predefined ones exists). A version 1.x other than 1.0 is read as 1.0, and
/// namespace names are taken as they stand (they are not checked to be URI references, which
/// Namespaces in XML 1.0 leaves to processors). The first fault in document order is reported as
/// Exceptions::DomException, whose message names the rule broken and starts with
/// "line L, column C: ", and which carries the place as getLine() and getColumn(); the prefixes
/// of a start tag are resolved when the tag ends, since its declarations may follow their use.
///
/// Encodings: UTF-8 with or without a byte order mark; UTF-16 in either byte order, which must
/// begin with a byte order mark; ISO-8859-1 and US-ASCII when the XML declaration names them.
/// Any other encoding, or a declaration that contradicts the byte order mark or the bytes, is
/// rejected with a message that names it. Whatever the encoding, the tree holds UTF-8, and lines
/// and columns count in that form.
///
/// What the tree keeps: elements, their attributes (namespace declarations included) and their
/// text, with line ends normalised (CR LF and lone CR become LF) and attribute values normalised
/// (a literal tab, CR or LF becomes a space; references to them stay), references replaced.
/// Whitespace is kept wherever it stands inside the root element. Comments, processing
/// instructions and the XML declaration are checked and dropped.
///
/// Limits: a document of 4 GiB or more in its UTF-8 form is rejected. Nesting depth, element and
/// attribute counts and name lengths are limited only by memory; the parse is not recursive.
class VARNICORE_API XMLDocument {
 public:
  /// Parses the text (see the class comment). Throws Exceptions::DomException with the line,
  /// column and cause for text that is not a namespace-well-formed document.
  static XMLDocument parse(const std::string& text);
  /// As above, taking over the text without copying it (UTF-16 and ISO-8859-1 text is converted
  /// to UTF-8 all the same).
  static XMLDocument parse(std::string&& text);

  XMLDocument(XMLDocument&& other) noexcept;
  XMLDocument& operator=(XMLDocument&& other) noexcept;
  ~XMLDocument();

  XMLNode getRootElement() const noexcept;

 private:
  explicit XMLDocument(std::unique_ptr<Detail::Tree> tree) noexcept;
  static XMLDocument parseOwned(std::string text);

  std::unique_ptr<Detail::Tree> tree_;
};

}  // namespace Xml
}  // namespace Common
}  // namespace Soa
}  // namespace Corvanthel

#endif  // VARNICORE_XMLDOCUMENT_HXX
