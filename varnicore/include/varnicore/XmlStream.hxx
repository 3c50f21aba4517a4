// The XML output stream that schema objects write themselves into.
#ifndef VARNICORE_XMLSTREAM_HXX
#define VARNICORE_XMLSTREAM_HXX

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <ostream>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <varnicore/Config.hxx>
#include <varnicore/CopyBytes.hxx>
#include <varnicore/Export.hxx>

namespace Corvanthel {
namespace Soa {
namespace Common {
namespace Xml {

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
    if (rdbuf() == &ownBuffer_ && rdstate() == goodbit && ownBuffer_.room() >= text.size()) {
      ownBuffer_.put(text);
    } else {
      insertTextSlowly(text);
    }
  }

  /// Optionally hands back a string that a write... call returned, after it has been inserted:
  /// its storage then serves the next call instead of being freed and allocated again. Writing
  /// an element costs a few such strings, which is a good part of the cost of a small element.
  void recycle(std::string&& markup) noexcept {
    // Short strings have no storage of their own; overly long ones are not worth keeping.
    constexpr std::size_t kLargest = 4096;
    if (markup.capacity() > 15 && markup.capacity() <= kLargest)
      spare_ = std::move(markup);
  }

 private:
  // The stream's own buffer. Text is gathered in a chunk of a few kilobytes, the put area, so
  // that most insertions are a copy and a pointer bump, and the full chunk is appended to the
  // text. (A put area over the text itself would have to fill every byte before it is written.)
  class StringSink : public std::streambuf {
   public:
    std::size_t room() const { return static_cast<std::size_t>(epptr() - pptr()); }
    /// Copies text that fits into the room left.
    void put(std::string_view text) {
      Detail::copyBytes(pptr(), text.data(), text.size());
      pbump(static_cast<int>(text.size()));
    }
    std::string copy() const;
    std::string release();

   protected:
    int_type overflow(int_type c) override;
    std::streamsize xsputn(const char* s, std::streamsize n) override;

   private:
    void flush();
    std::string text_;
    std::unique_ptr<char[]> chunk_;
    std::size_t chunkSize_ = 0;
  };

  struct Scope {
    std::size_t bindingsEnd;  // bindings_ up to here are in scope inside the element
    std::size_t nameBegin;    // where the element's name starts in openNames_
    int defaultNamespace;     // an index into uris_, or -1 for no namespace
  };

  void insertTextSlowly(std::string_view text);
  std::string spare() noexcept {
    std::string markup = std::move(spare_);
    spare_.clear();  // moved from: empty in practice, but only clear() makes it so
    return markup;
  }
  // What the stream keeps of a name it has found to be a QName.
  struct NameFacts {
    std::size_t prefixLength = 0;  // 0: no prefix
    std::uint64_t filterBit = 0;   // its bit in tagAttributeFilter_
    int slot = -1;                 // where checkedNames_ keeps it, or -1
  };
  static constexpr std::size_t kCheckedNameBytes = 38;
  struct CheckedName {
    std::uint64_t filterBit;
    std::uint8_t size;  // 0: an empty slot
    std::uint8_t prefixLength;
    char text[kCheckedNameBytes];
  };
  NameFacts checkedName(const std::string& name, const char* what);
  NameFacts attributeName(const std::string& name);
  void requireStartTag(const std::string& name) const;
  void requireNewAttribute(const std::string& name, const NameFacts& facts);
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
  // The two namespaces looked up last (indexes into uris_, -1 for none): an element and its
  // object references alternate between two.
  mutable int recentNamespaces_[2] = {-1, -1};
  // Names checked already (up to kCheckedNameBytes long). Generated code passes the same few
  // names again and again: a name is looked for in the group of four slots that its bytes pick,
  // and a new one takes the slot that nextSlot_ names in its group.
  static constexpr std::size_t kCheckedNames = 64;
  CheckedName checkedNames_[kCheckedNames] = {};
  std::uint8_t nextSlot_[kCheckedNames / 4] = {};
  // The names of the open elements, one after the other, for the end tags to match; the buffer
  // only grows, and the names end at openNamesEnd_.
  std::string openNames_;
  std::size_t openNamesEnd_ = 0;
  // Between writeOpenElement and writeOpenElementClose: attributes may be written.
  bool inStartTag_ = false;
  // The attribute names of the start tag in hand: the slots of checkedNames_ that hold them (which
  // keep them until the tag ends), the others each followed by a space (which no name holds),
  // and a 64-bit filter of them all, so that most names are known to be new without a search.
  std::uint64_t tagSlots_ = 0;
  std::string tagAttributes_;
  std::size_t tagAttributesEnd_ = 0;
  std::uint64_t tagAttributeFilter_ = 0;
  // An element writes the same attributes in the same order, start tag after start tag: each
  // slot of an element name keeps the slots of the attribute names that its last start tag
  // wrote. While a start tag repeats them, a name is known by comparing it with the one slot.
  // (Names in different slots differ, and every slot holds a QName.)
  static constexpr std::size_t kRememberedAttributes = 15;
  struct TagMemo {
    std::uint8_t count = 0;
    std::uint8_t slots[kRememberedAttributes] = {};
  };
  TagMemo tagMemos_[kCheckedNames];
  TagMemo* tagMemo_ = nullptr;  // the memo of the start tag in hand, or null
  TagMemo tagSeen_;             // the slots of the start tag in hand so far
  bool tagRepeats_ = false;     // so far, the start tag in hand repeats its memo
  bool tagMemorable_ = false;   // every attribute of the start tag in hand has a slot
  // A recycled string, its storage kept for the next call.
  std::string spare_;
};

}  // namespace Xml
}  // namespace Common
}  // namespace Soa
}  // namespace Corvanthel

#endif  // VARNICORE_XMLSTREAM_HXX
