// The XML output stream that schema objects write themselves into.
#ifndef VARNICORE_XMLSTREAM_HXX
#define VARNICORE_XMLSTREAM_HXX

#include <cstddef>
#include <memory>
#include <ostream>
#include <set>
#include <string>
#include <string_view>

#include <varnicore/Config.hxx>
#include <varnicore/CopyBytes.hxx>
#include <varnicore/Export.hxx>

namespace Corvanthel {
namespace Soa {
namespace Common {
namespace Xml {

namespace Detail {
/// A stream buffer whose put area XmlStream::insertText fills inline: a copy and a pointer bump
/// for each piece of markup, where the stream writes into its own buffer.
class PutArea : public std::streambuf {
 public:
  std::size_t room() const { return static_cast<std::size_t>(epptr() - pptr()); }
  /// Copies text that fits into the room left.
  void put(std::string_view text) {
    copyBytes(pptr(), text.data(), text.size());
    pbump(static_cast<int>(text.size()));
  }
};
}  // namespace Detail

/// A character output stream that also builds the markup of elements and attributes and keeps
/// track of namespace declarations, so that the markup it builds is always well-formed,
/// namespace-well-formed XML, or the call that would break that throws.
///
/// The write... members return markup as a string, which the caller inserts into the stream
/// (stream << stream.writeOpenElement(...)); they keep the element nesting that isRootElement
/// reports. Rules:
/// - The start tag of a root element declares every namespace handed to addNamespaces before it,
///   each with its own prefix, in the set's order. A prefix is made from the last path segment of
///   the URI (lower-case letters and digits, "ns" when none is left), with a number appended when
///   another namespace of the document has it already, so the same object always gives the same
///   bytes.
/// - Element and attribute names must be QNames (Namespaces in XML 1.0, with the name characters
///   of XML 1.0 Fifth Edition): not empty, no character that a name cannot hold, at most one
///   colon, neither first nor last. Attribute names "xmlns" and "xmlns:..." are refused too: the
///   stream makes every namespace declaration itself, so none can contradict it. The namespaces
///   http://www.w3.org/XML/1998/namespace and http://www.w3.org/2000/xmlns/ cannot be declared.
///   Such a name or namespace makes the call throw Exceptions::InvalidXmlText, which names it;
///   nothing is returned and the stream is as it was before the call.
/// - An element name with a prefix must use a prefix declared in scope (std::logic_error
///   otherwise). An element name without a prefix is put in the namespace passed with it: the
///   start tag declares it as the default namespace where the one in scope differs.
/// - The namespace passed to writeOpenElement always has a prefix in scope afterwards: one that
///   was not declared at the root is declared on that element. getNamespacePrefix therefore never
///   hands out an undeclared prefix; asked for a namespace that is not in scope, it throws
///   std::logic_error.
/// - Calls out of order throw std::logic_error and return nothing: an attribute outside a start
///   tag or given twice in one, an element opened or closed before the start tag in hand is ended
///   (writeOpenElementClose), an end tag whose name is not that of the open element, or with no
///   element open.
/// - Attribute values and text are inserted as given: escape them first (toXmlString). They are
///   the one part of the output that the stream does not check.
/// After an exception other than the ones that leave the stream as it was, the element nesting of
/// the stream is undefined; discard what it holds.
class VARNICORE_API XmlStream : public std::ostream {
 public:
  /// Writes into a buffer of its own; str() returns the text.
  XmlStream();
  /// Writes into the caller's buffer (a file, a socket); str() is then empty.
  explicit XmlStream(std::streambuf* sink);
  XmlStream(const XmlStream&) = delete;
  XmlStream& operator=(const XmlStream&) = delete;
  ~XmlStream() override;

  /// A copy of the text written into the stream's own buffer.
  std::string str() const;
  /// The text written into the stream's own buffer, moved out; the buffer is empty afterwards.
  std::string release();

  /// True when the element about to be written is the root of a document (no element is open).
  bool isRootElement() const;
#if !VARNICORE_REDUCED_PROFILE
  /// Namespaces to declare on the root element about to be opened. (The reduced runtime has no
  /// namespace collection: there every namespace is declared where it is first used.)
  void addNamespaces(std::set<std::string> namespaces);
#endif

  std::string writeOpenElement(const std::string& ns, const std::string& name);
  std::string writeAttribute(const std::string& name, const std::string& value);
  /// The same, for a value made for this call (lexical_cast's text): the stream keeps the value's
  /// storage for the next conversion, so that writing a date allocates nothing.
  std::string writeAttribute(const std::string& name, std::string&& value);
  /// Ends the start tag: "/>" and the element is closed when isEmpty, ">" otherwise.
  std::string writeOpenElementClose(const std::string& ns, bool isEmpty);
  std::string writeCloseElement(const std::string& ns, const std::string& name);
  /// The prefix in scope for a namespace, without a colon.
  std::string getNamespacePrefix(const std::string& ns) const;

  /// Inserts text as write() would (no padding, badbit when it cannot be written): straight into
  /// the stream's own buffer where it has room, through the stream buffer otherwise. Generated
  /// code inserts every piece of markup this way, many short strings per element.
  void insertText(std::string_view text) {
    if (ownRoom() >= text.size()) {
      ownBuffer_->put(text);
    } else {
      insertTextSlowly(text);
    }
  }

  /// While on, each write... call inserts the markup it makes into the stream itself, as
  /// insertText would, and returns an empty string, so that inserting what it returns adds
  /// nothing: the markup is copied once instead of twice, and attributes go straight into the
  /// stream's own buffer. Generated code turns it on while it writes a document, and back to what
  /// it was when it is done, however that ends. Off in a new stream. Returns the setting before.
  bool setInsertsMarkup(bool on) noexcept;

  /// Inserts text escaped as toXmlString escapes it, straight into the stream's own buffer where
  /// it has room; text that toXmlString refuses is refused the same way (nothing is inserted).
  /// Generated code writes the entries of string lists this way.
  void insertEscaped(std::string_view text);

  /// Optionally hands back a string that a write... call returned, after it has been inserted:
  /// its storage then serves the next call instead of being freed and allocated again. Writing
  /// an element costs a few such strings, which is a good part of the cost of a small element.
  void recycle(std::string&& markup) noexcept;

 private:
  // Everything else the stream keeps (namespaces, nesting, what it knows of the names it has
  // checked, its own buffer) lives behind this pointer, allocated once per stream, so that how
  // it is kept can change without changing this class.
  struct State;
  // The room left in the stream's own buffer, or 0 where text cannot go there (a caller's
  // buffer, or a stream in a failed state).
  std::size_t ownRoom() const {
    return rdbuf() == ownBuffer_ && rdstate() == goodbit ? ownBuffer_->room() : 0;
  }
  void insertTextSlowly(std::string_view text);
  // markup, or an empty string once it is inserted, where the stream inserts its markup.
  std::string inserted(std::string&& markup);

  Detail::PutArea* ownBuffer_;
  std::unique_ptr<State> state_;
};

}  // namespace Xml
}  // namespace Common
}  // namespace Soa
}  // namespace Corvanthel

#endif  // VARNICORE_XMLSTREAM_HXX
