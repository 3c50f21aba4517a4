// The helpers that generated schema classes call to write and read their fields. Each rule of the
// XML form lives here once; the schema compiler emits one call per field.
#ifndef PELAGON_RUNTIME_BINDING_HXX
#define PELAGON_RUNTIME_BINDING_HXX

#include <algorithm>
#include <charconv>
#include <cstddef>
#include <cstring>
#include <ios>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

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
  marked(label, body);
}

/// error, placed at node unless it already has a place: a fault met while node is read (a value
/// that does not convert) is reported where node begins.
inline Exceptions::DomException placedAt(const Exceptions::DomException& error,
                                         const XMLNode& node) {
  if (error.getLine() != 0)
    return error;
  return Exceptions::DomException(error.getMessage(), node.getLine(), node.getColumn());
}

/// Reads one element: the root of a parsed document (a node without parent) is bracketed with
/// Monitor marks. A DomException without a place leaves with node's.
template <class Body>
void readElement(const XMLNode& node, const std::string& label, Body&& body) {
  const auto placed = [&node, &body] {
    try {
      body();
    } catch (const Exceptions::DomException& error) {
      throw placedAt(error, node);
    }
  };
  if (node.hasParent()) {
    placed();
    return;
  }
  marked(label, placed);
}

/// Inserts markup into the stream as operator<< would, without its per-call sentry: the
/// writers insert many short strings.
inline void insert(XmlStream& stream, std::string_view markup) {
  stream.insertText(markup);
}

/// Inserts markup that a write... call returned, then hands its storage back to the stream.
inline void insert(XmlStream& stream, std::string&& markup) {
  insert(stream, std::string_view(markup));
  stream.recycle(std::move(markup));
}

inline void writeAttribute(XmlStream& stream, const std::string& name, const std::string& value) {
  insert(stream, stream.writeAttribute(name, toXmlString(value)));
}
inline void writeAttribute(XmlStream& stream, const std::string& name, int value) {
  insert(stream, stream.writeAttribute(name, lexical_cast<std::string>(value)));
}
inline void writeAttribute(XmlStream& stream, const std::string& name, const DateTime& value) {
  insert(stream, stream.writeAttribute(name, lexical_cast<std::string>(value)));
}

/// Raw text of list entries is gathered into pieces of about this size before it is inserted.
constexpr std::size_t kTextPiece = 8192;

/// One element per entry, each holding the text that appendText(text, entry) appends, inserted
/// as raw text a few kilobytes at a time.
template <class Entries, class AppendText>
void writeEntryElements(XmlStream& stream, const std::string& qualifiedName, const Entries& entries,
                        AppendText appendText) {
  if (entries.empty())
    return;
  // The start and end tag in one string, so that a short list costs one allocation for both.
  std::string tags;
  tags.reserve(2 * qualifiedName.size() + 5);
  tags.append("<").append(qualifiedName).append("></").append(qualifiedName).append(">");
  const std::string_view open = std::string_view(tags).substr(0, qualifiedName.size() + 2);
  const std::string_view close = std::string_view(tags).substr(open.size());
  std::string text;
  text.reserve(std::min(2 * kTextPiece, entries.size() * (tags.size() + 16)));
  for (const auto& entry : entries) {
    text += open;
    appendText(text, entry);
    text += close;
    if (text.size() >= kTextPiece) {
      insert(stream, text);
      text.clear();
    }
  }
  insert(stream, text);
}

/// A string list: each entry's text escaped as toXmlString escapes it.
inline void writeTextElements(XmlStream& stream, const std::string& qualifiedName,
                              const std::vector<std::string>& entries) {
  writeEntryElements(
      stream, qualifiedName, entries,
      [](std::string& text, const std::string& entry) { appendXmlString(text, entry); });
}

/// An int list: each entry as lexical_cast<std::string>(int) writes it, not escaped. Int lists
/// run to hundreds of entries per object, so the markup is copied into a fixed buffer.
inline void writeTextElements(XmlStream& stream, const std::string& qualifiedName,
                              const std::vector<int>& entries) {
  constexpr std::size_t kDigits = 11;  // "-2147483648"
  const std::size_t most = 2 * qualifiedName.size() + 5 + kDigits;
  if (entries.empty() || most > kTextPiece) {
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

/// The qualified names of an element's children: the prefix and a colon, then the XML name of
/// the child being written, in one string whose storage serves them all.
class ChildName {
 public:
  ChildName(std::string&& prefix, std::size_t longestName)
      : name_(std::move(prefix)), prefix_(name_.size() + 1) {
    name_.reserve(prefix_ + longestName);
    name_ += ':';
  }
  const std::string& operator()(std::string_view xmlName) {
    name_.resize(prefix_);
    name_.append(xmlName);
    return name_;
  }

 private:
  std::string name_;
  std::size_t prefix_;
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
/// text that does not convert is reported at the entry.
inline int readIntEntry(const XMLNode& entry) {
  try {
    return lexical_cast<int>(entry.getText());
  } catch (const Exceptions::DomException& error) {
    throw placedAt(error, entry);
  }
}

/// Throws DomException("Unexpected node name: " + the child's local name), placed at the child.
[[noreturn]] inline void rejectChild(const XMLNode& child) {
  throw Exceptions::DomException("Unexpected node name: " + std::string(child.getLocalName()),
                                 child.getLine(), child.getColumn());
}

}  // namespace Binding
}  // namespace Xml
}  // namespace Common
}  // namespace Soa
}  // namespace Corvanthel

#endif  // PELAGON_RUNTIME_BINDING_HXX
