// The XML output stream that schema objects write themselves into.
#ifndef VARNICORE_XMLSTREAM_HXX
#define VARNICORE_XMLSTREAM_HXX

#include <cstddef>
#include <ostream>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <varnicore/Config.hxx>
#include <varnicore/Export.hxx>

namespace Corvanthel {
namespace Soa {
namespace Common {
namespace Xml {

/// A character output stream that also builds the markup of elements and attributes and keeps
/// track of namespace declarations, so that what is written is always namespace-well-formed XML.
///
/// The write... members return markup as a string, which the caller inserts into the stream
/// (stream << stream.writeOpenElement(...)); they keep the element nesting that isRootElement
/// reports. Rules:
/// - The start tag of a root element declares every namespace handed to addNamespaces before it,
///   each with its own prefix, in the set's order. A prefix is made from the last path segment of
///   the URI (lower-case letters and digits, "ns" when none is left), with a number appended when
///   another namespace of the document has it already, so the same object always gives the same
///   bytes.
/// - An element name with a prefix must use a prefix declared in scope (std::logic_error
///   otherwise). An element name without a prefix is put in the namespace passed with it: the
///   start tag declares it as the default namespace where the one in scope differs.
/// - The namespace passed to writeOpenElement always has a prefix in scope afterwards: one that
///   was not declared at the root is declared on that element. getNamespacePrefix therefore never
///   hands out an undeclared prefix; asked for a namespace that is not in scope, it throws
///   std::logic_error.
/// - Attribute values and text are inserted as given: escape them first (toXmlString).
/// After an exception the element nesting of the stream is undefined; discard what it holds.
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
  /// Ends the start tag: "/>" and the element is closed when isEmpty, ">" otherwise.
  std::string writeOpenElementClose(const std::string& ns, bool isEmpty);
  std::string writeCloseElement(const std::string& ns, const std::string& name);
  /// The prefix in scope for a namespace, without a colon.
  std::string getNamespacePrefix(const std::string& ns) const;

  /// Optionally hands back a string that a write... call returned, after it has been inserted:
  /// its storage then serves a later call instead of being freed and allocated again. Writing
  /// an element costs a few such strings, which is a good part of the cost of a small element.
  void recycle(std::string&& markup) noexcept;

 private:
  class StringSink : public std::streambuf {
   public:
    std::string text;

   protected:
    int_type overflow(int_type c) override;
    std::streamsize xsputn(const char* s, std::streamsize n) override;
  };

  struct Scope {
    std::size_t bindingsEnd;  // bindings_ up to here are in scope inside the element
    int defaultNamespace;     // an index into uris_, or -1 for no namespace
  };

  std::string spare() noexcept;
  int namespaceId(const std::string& ns) const;
  int findOrAddNamespace(const std::string& ns);
  bool isBound(int id) const;
  bool isPrefixInScope(std::string_view prefix) const;
  void bind(int id, std::string& markup);
  void popScope();

  StringSink ownBuffer_;
  std::set<std::string> rootNamespaces_;
  // The namespaces of the current document and their prefixes, by index; a namespace keeps its
  // prefix for the whole document.
  std::vector<std::string> uris_;
  std::vector<std::string> prefixes_;
  std::vector<int> bindings_;  // namespaces declared in scope, innermost last
  std::vector<Scope> scopes_;
  // Schema objects of one type share their namespace string, so the last one looked up is
  // usually the next one asked for.
  mutable const std::string* lastNamespace_ = nullptr;
  mutable int lastNamespaceId_ = -1;
  // Recycled strings, their storage kept for the next calls.
  static constexpr std::size_t kSpares = 4;
  std::string spares_[kSpares];
  std::size_t spareCount_ = 0;
};

}  // namespace Xml
}  // namespace Common
}  // namespace Soa
}  // namespace Corvanthel

#endif  // VARNICORE_XMLSTREAM_HXX
