// The helpers that generated schema classes call to write and read their fields. Each rule of the
// XML form lives here once; the schema compiler emits one call per field.
//
// Generated code reaches the runtime's operations beyond its interface only through these
// helpers, and they use such an operation only where <pelagon/runtime/Extras.hxx> finds it
// offered; otherwise they keep to the interface.
#ifndef PELAGON_RUNTIME_BINDING_HXX
#define PELAGON_RUNTIME_BINDING_HXX

#include <algorithm>
#include <charconv>
#include <cstddef>
#include <cstring>
#include <ios>
#include <iterator>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <pelagon/runtime/ChildName.hxx>
#include <pelagon/runtime/Extras.hxx>
#include <pelagon/runtime/Handle.hxx>
#include <varnicore/Config.hxx>
#include <varnicore/Conversions.hxx>
#include <varnicore/DateTime.hxx>
#include <varnicore/Exceptions.hxx>
#include <varnicore/Monitor.hxx>
#include <varnicore/XMLDocument.hxx>
#include <varnicore/XmlStream.hxx>

// PELAGON_BINDING_VERSION and its parts: the release, configured from the project's version, that
// generated headers check that they were generated for.
#include <pelagon/runtime/Version.hxx>

/// 1 when the runtime is the reduced profile (no MemoryManager, namespace collection or
/// BaseObject::clone); generated headers check that they were generated for the same profile.
#define PELAGON_BINDING_REDUCED VARNICORE_REDUCED_PROFILE

#if !VARNICORE_REDUCED_PROFILE
#include <pelagon/runtime/Allocation.hxx>
#endif

namespace Corvanthel {
namespace Soa {
namespace Common {
namespace Xml {
namespace Binding {

/// Runs body between Monitor marks under label. The marks stay balanced: when body throws,
/// markEnd is called with the same label and the exception passes on unchanged (an exception
/// thrown by the listener's markEnd at that point is dropped).
template <class Body>
void marked(const std::string& label, Body& body) {
  ::Corvanthel::Soa::Internal::Common::Monitor::markStart(label);
  try {
    body();
  } catch (...) {
    try {
      ::Corvanthel::Soa::Internal::Common::Monitor::markEnd(label);
    } catch (...) {
    }
    throw;
  }
  ::Corvanthel::Soa::Internal::Common::Monitor::markEnd(label);
}

#if PELAGON_USE_STREAM_INSERT
/// The stream inserts the markup of its write... calls itself while a document is written, and
/// goes back to what it did before when the writing ends, however it ends.
class MarkupInsertedByStream {
 public:
  explicit MarkupInsertedByStream(XmlStream& stream)
      : stream_(stream), before_(stream.setInsertsMarkup(true)) {}
  MarkupInsertedByStream(const MarkupInsertedByStream&) = delete;
  MarkupInsertedByStream& operator=(const MarkupInsertedByStream&) = delete;
  ~MarkupInsertedByStream() { stream_.setInsertsMarkup(before_); }

 private:
  XmlStream& stream_;
  bool before_;
};
#endif

/// Writes one element: when it is the document's root, first hands the namespaces of self's
/// element tree to the stream and brackets the work with Monitor marks; nested elements go
/// straight to body.
template <class Impl, class Body>
void writeElement(XmlStream& stream, const Impl& self, const std::string& label, Body&& body) {
  if (!stream.isRootElement()) {
    body();
    return;
  }
#if !VARNICORE_REDUCED_PROFILE
  std::set<std::string> namespaces;
  self.getNamespaces(namespaces);
  stream.addNamespaces(std::move(namespaces));  // by value; the set is not needed afterwards
#else
  (void)self;
#endif
#if PELAGON_USE_STREAM_INSERT
  const MarkupInsertedByStream inserting(stream);
#endif
  marked(label, body);
}

#if PELAGON_HAS_POSITIONS
/// error, placed at node unless it already has a place: a fault met while node is read (a value
/// that does not convert) is reported where node begins.
inline Exceptions::DomException placedAt(const Exceptions::DomException& error,
                                         const XMLNode& node) {
  if (error.getLine() != 0)
    return error;
  return Exceptions::DomException(error.getMessage(), node.getLine(), node.getColumn());
}
#endif

/// Reads one element: the root of a parsed document (a node without parent) is bracketed with
/// Monitor marks. Where the runtime gives positions, a DomException without a place leaves with
/// node's.
template <class Body>
void readElement(const XMLNode& node, const std::string& label, Body&& body) {
#if PELAGON_HAS_POSITIONS
  const auto placed = [&node, &body] {
    try {
      body();
    } catch (const Exceptions::DomException& error) {
      throw placedAt(error, node);
    }
  };
#else
  Body& placed = body;
#endif
  if (node.hasParent()) {
    placed();
    return;
  }
  marked(label, placed);
}

#if PELAGON_USE_STREAM_INSERT
/// Inserts markup into the stream as operator<< would, without its per-call sentry: the
/// writers insert many short strings.
inline void insert(XmlStream& stream, std::string_view markup) {
  stream.insertText(markup);
}

/// Inserts markup that a write... call returned, then hands its storage back to the stream.
/// While the stream inserts its markup itself, the call returned nothing to insert.
inline void insert(XmlStream& stream, std::string&& markup) {
  if (markup.empty())
    return;
  insert(stream, std::string_view(markup));
  stream.recycle(std::move(markup));
}

/// The markup of an attribute whose value text was made for this call: the stream may keep the
/// text's storage.
inline std::string attributeMarkup(XmlStream& stream, const std::string& name,
                                   std::string&& value) {
  return stream.writeAttribute(name, std::move(value));
}
#else
inline void insert(XmlStream& stream, std::string_view markup) {
  stream << markup;
}

inline std::string attributeMarkup(XmlStream& stream, const std::string& name,
                                   const std::string& value) {
  return stream.writeAttribute(name, value);
}
#endif

inline void writeAttribute(XmlStream& stream, const std::string& name, const std::string& value) {
  insert(stream, attributeMarkup(stream, name, toXmlString(value)));
}
inline void writeAttribute(XmlStream& stream, const std::string& name, int value) {
  insert(stream, attributeMarkup(stream, name, lexical_cast<std::string>(value)));
}
inline void writeAttribute(XmlStream& stream, const std::string& name, const DateTime& value) {
  insert(stream, attributeMarkup(stream, name, lexical_cast<std::string>(value)));
}

/// Raw text of list entries is gathered into pieces of about this size before it is inserted.
constexpr std::size_t kTextPiece = 8192;

/// The start and end tag of a list's entries, "<name></name>", made once per list: in place
/// where the name is of a usual length, so that a short list allocates nothing for them.
class EntryTags {
 public:
  explicit EntryTags(const std::string& qualifiedName) : nameSize_(qualifiedName.size()) {
    const std::size_t size = 2 * nameSize_ + 5;
    char* out = local_;
    if (size > sizeof local_) {
      long_.resize(size);
      out = long_.data();
    }
    tags_ = out;
    *out++ = '<';
    out = std::copy(qualifiedName.begin(), qualifiedName.end(), out);
    out = std::copy_n("></", 3, out);
    out = std::copy(qualifiedName.begin(), qualifiedName.end(), out);
    *out = '>';
  }
  EntryTags(const EntryTags&) = delete;
  EntryTags& operator=(const EntryTags&) = delete;
  std::string_view open() const { return std::string_view(tags_, nameSize_ + 2); }
  std::string_view close() const { return std::string_view(tags_ + nameSize_ + 2, nameSize_ + 3); }

 private:
  std::size_t nameSize_;
  const char* tags_;
  char local_[128];
  std::string long_;
};

/// One element per entry, each holding the text that appendText(text, entry) appends, inserted
/// as raw text a few kilobytes at a time.
template <class Entries, class AppendText>
void writeEntryElements(XmlStream& stream, const std::string& qualifiedName, const Entries& entries,
                        AppendText appendText) {
  if (entries.empty())
    return;
  const EntryTags tags(qualifiedName);
  std::string text;
  text.reserve(std::min(2 * kTextPiece, entries.size() * (2 * qualifiedName.size() + 21)));
  for (const auto& entry : entries) {
    text += tags.open();
    appendText(text, entry);
    text += tags.close();
    if (text.size() >= kTextPiece) {
      insert(stream, text);
      text.clear();
    }
  }
  insert(stream, text);
}

/// Appends text escaped as toXmlString escapes it.
inline void appendEscaped(std::string& out, const std::string& text) {
#if PELAGON_USE_APPEND_XML_STRING
  appendXmlString(out, text);
#else
  out += toXmlString(text);
#endif
}

/// A string list: each entry's text escaped as toXmlString escapes it. Where the stream escapes
/// into its own buffer, the entries go there one by one, and a list allocates nothing.
inline void writeTextElements(XmlStream& stream, const std::string& qualifiedName,
                              const std::vector<std::string>& entries) {
#if PELAGON_USE_STREAM_INSERT
  if (entries.empty())
    return;
  const EntryTags tags(qualifiedName);
  for (const std::string& entry : entries) {
    insert(stream, tags.open());
    stream.insertEscaped(entry);
    insert(stream, tags.close());
  }
#else
  writeEntryElements(
      stream, qualifiedName, entries,
      [](std::string& text, const std::string& entry) { appendEscaped(text, entry); });
#endif
}

/// An int list: each entry as lexical_cast<std::string>(int) writes it, not escaped. Int lists
/// run to hundreds of entries per object, so where the runtime's int text is std::to_chars's,
/// the markup is made in a fixed buffer.
inline void writeTextElements(XmlStream& stream, const std::string& qualifiedName,
                              const std::vector<int>& entries) {
  constexpr std::size_t kDigits = 11;  // "-2147483648"
  const std::size_t most = 2 * qualifiedName.size() + 5 + kDigits;
  if (!PELAGON_USE_DECIMAL_INTS || entries.empty() || most > kTextPiece) {
    writeEntryElements(stream, qualifiedName, entries, [](std::string& text, int entry) {
      text += lexical_cast<std::string>(entry);
    });
    return;
  }
  char piece[kTextPiece];
  char* out = piece;
  const auto put = [&out](const char* text, std::size_t size) {
    std::memcpy(out, text, size);
    out += size;
  };
  for (int entry : entries) {
    if (static_cast<std::size_t>(piece + sizeof piece - out) < most) {
      insert(stream, std::string_view(piece, static_cast<std::size_t>(out - piece)));
      out = piece;
    }
    put("<", 1);
    put(qualifiedName.data(), qualifiedName.size());
    put(">", 1);
    out = std::to_chars(out, piece + sizeof piece, entry).ptr;
    put("</", 2);
    put(qualifiedName.data(), qualifiedName.size());
    put(">", 1);
  }
  insert(stream, std::string_view(piece, static_cast<std::size_t>(out - piece)));
}

#if PELAGON_USE_SHARED_NAMESPACE
/// What an implementation object's BaseObject is built from: here a reference to one namespace
/// string that all objects of a schema share.
using NamespaceArgument = SharedNamespace;
inline NamespaceArgument namespaceOf(const std::string& uri) noexcept {
  return {&uri};
}
#else
/// What an implementation object's BaseObject is built from: the C string, which each object
/// copies.
using NamespaceArgument = const char*;
inline NamespaceArgument namespaceOf(const std::string& uri) noexcept {
  return uri.c_str();
}
#endif

/// The values of the N attributes that a type reads, looked up once per element by name. Where
/// the runtime gives views of attribute values, in one pass over the element and without a copy.
template <std::size_t N>
class Attributes {
 public:
  Attributes(const XMLNode& node, const std::string (&names)[N]) {
#if PELAGON_USE_ATTRIBUTE_VIEWS
    std::string_view keys[N];
    std::copy(std::begin(names), std::end(names), keys);
    node.getAttrViews(keys, values_, N);
#else
    for (std::size_t i = 0; i < N; ++i)
      values_[i] = node.getAttr(names[i]);
#endif
  }

  /// Assigns value index to a string field.
  void assign(std::string& field, std::size_t index) {
#if PELAGON_USE_ATTRIBUTE_VIEWS
    field.assign(values_[index]);
#else
    field = std::move(values_[index]);
#endif
  }

  /// Value index as lexical_cast<T> reads it.
  template <class T>
  T as(std::size_t index) const {
    return lexical_cast<T>(values_[index]);
  }

 private:
#if PELAGON_USE_ATTRIBUTE_VIEWS
  std::string_view values_[N];
#else
  std::string values_[N];
#endif
};

/// One element per entry of a list of facades, each written by the entry itself.
template <class Facade>
void writeChildren(XmlStream& stream, const std::string& qualifiedName,
                   const std::vector<Facade>& entries) {
  for (const Facade& entry : entries)
    entry.outputXML(stream, qualifiedName);
}

/// A list contributes the namespaces of its first entry only.
template <class Facade>
void collectFirst(const std::vector<Facade>& entries, std::set<std::string>& namespaces) {
  if (!entries.empty())
    entries.front().getNamespaces(namespaces);
}

/// Makes room in each list for as many new entries as node has child elements, so that a list
/// never reallocates while the element is read.
template <class... Lists>
void reserveFor(const XMLNode& node, Lists&... lists) {
#if !VARNICORE_REDUCED_PROFILE
  const std::size_t children = node.getChildCount();
  (lists.reserve(lists.size() + children), ...);
#else
  // The reduced profile lets lists grow as entries are appended.
  (void)node;
  ((void)lists, ...);
#endif
}

/// Appends a new entry parsed from child. An entry whose parse throws is not appended.
template <class Facade>
void appendParsed(std::vector<Facade>& entries, const XMLNode& child) {
  entries.emplace_back();  // parsed in place: no copy of the handle to make and drop
  try {
    entries.back().parse(child);
  } catch (...) {
    entries.pop_back();
    throw;
  }
}

/// The int that the text of an int list's entry element holds, as lexical_cast<int> reads it;
/// where the runtime gives positions, text that does not convert is reported at the entry.
inline int readIntEntry(const XMLNode& entry) {
#if PELAGON_HAS_POSITIONS
  try {
    return lexical_cast<int>(entry.getText());
  } catch (const Exceptions::DomException& error) {
    throw placedAt(error, entry);
  }
#else
  return lexical_cast<int>(entry.getText());
#endif
}

/// Throws DomException("Unexpected node name: " + the child's local name), placed at the child
/// where the runtime gives positions.
[[noreturn]] inline void rejectChild(const XMLNode& child) {
  std::string message = "Unexpected node name: " + std::string(child.getLocalName());
#if PELAGON_HAS_POSITIONS
  throw Exceptions::DomException(message, child.getLine(), child.getColumn());
#else
  throw Exceptions::DomException(message);
#endif
}

}  // namespace Binding
}  // namespace Xml
}  // namespace Common
}  // namespace Soa
}  // namespace Corvanthel

#endif  // PELAGON_RUNTIME_BINDING_HXX
