// libxml2 as an independent judge of our reader: what it accepts, and the tree it builds, in a
// form that compares as a string with the tree of an XMLDocument.
#ifndef PELAGON_TEST_LIBXML2ORACLE_HXX
#define PELAGON_TEST_LIBXML2ORACLE_HXX

#include <string>
#include <string_view>
#include <vector>

#include <varnicore/XMLDocument.hxx>

struct _xmlDoc;

namespace PelagonTest {

/// One report of libxml2 at level error or fatal error.
struct Libxml2Error {
  int domain;  // xmlErrorDomain
  int code;    // xmlParserErrors
  int line;
  int column;
  std::string message;  // without the line end libxml2 puts after it
};

/// What libxml2 made of a document.
struct Libxml2Verdict {
  /// True when libxml2 built a tree and reported no error, namespace errors included; warnings
  /// are no rejection.
  bool accepted = false;
  /// True when libxml2 met a document type declaration.
  bool hasDoctype = false;
  std::vector<Libxml2Error> errors;
  /// The decoder libxml2 read the bytes with ("" for UTF-8, which needs none), as libxml2 names
  /// it.
  std::string decoder;
  /// canonicalDump of the tree whenever libxml2 built one: after namespace errors it still does.
  std::string dump;

  /// The first error as "line L, column C: message (domain D, code N)", or "accepted".
  std::string describe() const;
};

/// What our reader made of a document.
struct OurVerdict {
  bool accepted = false;
  /// Our reader refused a document type declaration; it stops there, so this says nothing about
  /// the rest of the document.
  bool hasDoctype = false;
  /// The DomException's message when rejected.
  std::string message;
  std::string dump;
};

/// Parses bytes with libxml2: no network, no DTD loading, no entity substitution, no size or
/// depth limits of its own, nothing printed.
Libxml2Verdict readWithLibxml2(std::string_view bytes);

/// Parses bytes with XMLDocument::parse.
OurVerdict readWithOurReader(const std::string& bytes);

/// The tree as text: per element in document order, its depth, its namespace URI and
/// local name, its namespace declarations (by prefix), its other attributes (by namespace URI,
/// then local name) with their values, and its own text (character data and CDATA sections,
/// concatenated). Bytes outside printable ASCII are escaped, so the dump is plain ASCII.
std::string canonicalDump(const Corvanthel::Soa::Common::Xml::XMLDocument& document);
std::string canonicalDump(const _xmlDoc* document);

/// A string as a C string literal, for reports that must reproduce an input exactly.
std::string cStringLiteral(std::string_view bytes);

}  // namespace PelagonTest

#endif  // PELAGON_TEST_LIBXML2ORACLE_HXX
