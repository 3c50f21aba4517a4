// Reads arbitrary bytes with our reader and with libxml2. Both must accept or both reject, and
// where both accept, their trees must be the same (Libxml2Oracle's canonical dump). Documents
// with a DOCTYPE are left out: our reader refuses them all, and libxml2 would read their
// declarations. The ways in which libxml2 2.9.14 departs from XML 1.0 (Fifth Edition) and
// Namespaces in XML 1.0 (Third Edition), or reads what we are free to refuse, are listed in
// kKnownDifferences below, each as narrowly as it can be told apart; any other disagreement is a
// finding.
//
// Where a departure can be undone in the input (a missing space put in, a byte order mark taken
// out, the input cut where libxml2 stops reading), it is: our reader must then read the repaired
// input as libxml2 read the original. A repaired input may show a further known departure, so the
// rules apply again to it, a few times at most.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <string>
#include <string_view>

#include <libxml/xmlerror.h>

#include "Libxml2Oracle.hxx"

namespace {

using PelagonTest::Libxml2Error;
using PelagonTest::Libxml2Verdict;
using PelagonTest::OurVerdict;
using PelagonTest::readWithLibxml2;
using PelagonTest::readWithOurReader;

// One input on which the readers disagree; repairs counts the repairs made to reach it.
struct Disagreement {
  const std::string& input;
  const OurVerdict& ours;
  const Libxml2Verdict& theirs;
  int repairs;
};

constexpr int kMostRepairs = 4;

bool explained(const Disagreement& d);

bool startsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

bool endsWith(std::string_view text, std::string_view suffix) {
  return text.size() >= suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
}

std::string_view causeOf(const OurVerdict& ours) {
  // Our messages begin with "line L, column C: ".
  const std::string_view message = ours.message;
  const std::size_t colon = message.find(": ");
  return colon == std::string_view::npos ? message : message.substr(colon + 2);
}

// ---- what libxml2 reports beyond well-formedness, and how it spells namespace names ----

// Errors that libxml2 reports in documents that are well-formed and namespace-well-formed, and
// that are therefore no rejection.
bool isBeyondWellFormedness(const Libxml2Error& error) {
  switch (error.code) {
    // Namespaces in XML 1.0, section 8: a processor "is not REQUIRED to check that namespace
    // names are URI references"; we do not. libxml2 does, with a URI parser of its own that also
    // refuses some URI references RFC 3986 allows (an empty port as in "http://h:/", a port of
    // more than nine digits).
    case XML_WAR_NS_URI:
      return true;
    // xml:id is a Recommendation of its own, not part of XML 1.0 or Namespaces: libxml2 checks
    // that xml:id values are NCNames and unique; to XML 1.0 they are attributes like any other.
    case XML_DTD_ID_REDEFINED:
    case XML_DTD_XMLID_VALUE:
      return true;
    default:
      return false;
  }
}

// libxml2 read the document to the end, whether or not it also reported errors beyond
// well-formedness.
bool libxml2Reads(const Libxml2Verdict& theirs) {
  return theirs.accepted ||
         (!theirs.errors.empty() && !theirs.dump.empty() &&
          std::all_of(theirs.errors.begin(), theirs.errors.end(), isBeyondWellFormedness));
}

// libxml2 2.9, reading without entity substitution, keeps an '&' in a namespace name as "&#38;"
// (in the declaration and in every name it qualifies), where Namespaces in XML 1.0, section 3,
// makes the name "the normalized value of the attribute", references replaced. This is our dump
// as libxml2 would spell it: '&' written so in namespace names and nowhere else.
std::string spelledAsLibxml2(const std::string& dump) {
  std::string out;
  std::size_t begin = 0;
  while (begin < dump.size()) {
    std::size_t end = dump.find('\n', begin);
    end = end == std::string::npos ? dump.size() : end + 1;
    std::string line = dump.substr(begin, end - begin);
    begin = end;
    // The URI of "N {URI}local" and "  @{URI}local=...", the value of "  xmlns...=\"URI\"".
    std::size_t first = std::string::npos;
    std::size_t last = std::string::npos;
    if (startsWith(line, "  xmlns")) {
      first = line.find('"');
      last = line.rfind('"');
    } else if (startsWith(line, "  @{") || (!line.empty() && line[0] >= '0' && line[0] <= '9')) {
      first = line.find('{');
      last = line.find('}');
    }
    if (first != std::string::npos && last != std::string::npos) {
      for (std::size_t at = line.find('&', first); at != std::string::npos && at < last;
           at = line.find('&', at + 5)) {
        line.replace(at, 1, "&#38;");
        last += 4;
      }
    }
    out += line;
  }
  return out;
}

bool sameTree(const OurVerdict& ours, const Libxml2Verdict& theirs) {
  return ours.accepted && libxml2Reads(theirs) &&
         (theirs.dump == ours.dump || theirs.dump == spelledAsLibxml2(ours.dump));
}

bool readsAlike(const Disagreement& d) {
  return sameTree(d.ours, d.theirs);
}

// ---- repairs ----

// How the input is cut into code units before any decoding: bytes, or UTF-16 units after a byte
// order mark.
struct Layout {
  std::size_t start = 0;
  std::size_t width = 1;
  bool bigEndian = false;
};

Layout layoutOf(std::string_view input) {
  if (startsWith(input, "\xFE\xFF"))
    return {2, 2, true};
  if (startsWith(input, "\xFF\xFE") && !startsWith(input, std::string_view("\xFF\xFE\0\0", 4)))
    return {2, 2, false};
  return {};
}

unsigned unitAt(std::string_view input, const Layout& layout, std::size_t offset) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(input[i]); };
  if (layout.width == 1)
    return byte(offset);
  return layout.bigEndian ? (byte(offset) << 8) | byte(offset + 1)
                          : (byte(offset + 1) << 8) | byte(offset);
}

// ASCII text as the input's code units carry it.
std::string encodedAs(std::string_view ascii, const Layout& layout) {
  if (layout.width == 1)
    return std::string(ascii);
  std::string out;
  for (const char c : ascii) {
    out += layout.bigEndian ? '\0' : c;
    out += layout.bigEndian ? c : '\0';
  }
  return out;
}

// Where ASCII text first stands in the input, on a unit boundary; npos when nowhere.
std::size_t findEncoded(std::string_view input, std::string_view ascii) {
  const Layout layout = layoutOf(input);
  const std::string needle = encodedAs(ascii, layout);
  for (std::size_t at = input.find(needle, layout.start); at != std::string_view::npos;
       at = input.find(needle, at + 1)) {
    if ((at - layout.start) % layout.width == 0)
      return at;
  }
  return std::string_view::npos;
}

// The input with the first quoted value `from` (in either quote) replaced by `to`; "" when there
// is none.
std::string withQuotedValue(std::string_view input, std::string_view from, std::string_view to) {
  std::size_t at = std::string_view::npos;
  std::string quote;
  for (const std::string mark : {"\"", "'"}) {
    const std::size_t found = findEncoded(input, mark + std::string(from) + mark);
    if (found < at) {
      at = found;
      quote = mark;
    }
  }
  if (at == std::string_view::npos)
    return {};
  const Layout layout = layoutOf(input);
  std::string out(input);
  out.replace(at, encodedAs(quote + std::string(from) + quote, layout).size(),
              encodedAs(quote + std::string(to) + quote, layout));
  return out;
}

// True when our reader reads `repaired` as libxml2 read the input, up to the known departures
// that the repaired input may still show.
bool agreesOnceRepaired(const Disagreement& d, const std::string& repaired) {
  if (repaired.empty() || repaired == d.input || d.repairs >= kMostRepairs)
    return false;
  const OurVerdict ours = readWithOurReader(repaired);
  if (ours.accepted && d.theirs.accepted && ours.dump == d.theirs.dump)
    return true;
  return explained({repaired, ours, d.theirs, d.repairs + 1});
}

// ---- the known departures ----

bool isOurDecoder(const std::string& decoder) {
  for (const char* name : {"", "UTF-16LE", "UTF-16BE", "ISO-8859-1", "US-ASCII"}) {
    if (decoder == name)
      return true;
  }
  return false;
}

// XML 1.0, 4.3.3: "It is a fatal error when an XML processor encounters an entity with an
// encoding that it is unable to process"; a processor need read only UTF-8 and UTF-16, and we
// read ISO-8859-1 and US-ASCII besides, by those names. libxml2 reads whatever iconv knows, by
// any alias (latin1, ascii, UTF8, UTF-16LE, EBCDIC, UCS-4), and also UTF-16 without a byte order
// mark, which 4.3.3 forbids ("Entities encoded in UTF-16 MUST ... begin with the Byte Order
// Mark"). Such a document cannot be compared: we stop at the declaration.
bool encodingWeDoNotRead(const Disagreement& d) {
  if (d.ours.accepted || !libxml2Reads(d.theirs))
    return false;
  const std::string_view cause = causeOf(d.ours);
  return (startsWith(cause, "Encoding \"") &&
          endsWith(cause,
                   "\" is not supported: documents are read in UTF-8, UTF-16, ISO-8859-1 or "
                   "US-ASCII")) ||
         cause == "Encoding UTF-32 is not supported" ||
         cause == "The document looks like UTF-16, which must begin with a byte order mark" ||
         !isOurDecoder(d.theirs.decoder);
}

// XML 1.0, 4.3.3: "it is a fatal error for an entity including an encoding declaration to be
// presented to the XML processor in an encoding other than that named in the declaration".
// After a UTF-8 byte order mark, libxml2 drops the mark and decodes as declared; after a UTF-16
// one it goes on decoding UTF-16 at least as far as it had read ahead. Repaired accordingly (the
// mark taken out, or UTF-16 declared), we must read the document as libxml2 did.
bool declarationContradictsMark(const Disagreement& d) {
  if (d.ours.accepted || !libxml2Reads(d.theirs))
    return false;
  const std::string_view cause = causeOf(d.ours);
  const std::string_view middle = "\" contradicts the byte order mark, which marks ";
  const std::size_t at = cause.find(middle);
  if (!startsWith(cause, "Encoding \"") || at == std::string_view::npos)
    return false;
  const std::string_view declared = cause.substr(10, at - 10);
  const std::string_view marked = cause.substr(at + middle.size());
  if (marked == "UTF-8" && startsWith(d.input, "\xEF\xBB\xBF"))
    return agreesOnceRepaired(d, d.input.substr(3));
  if (marked == "UTF-16")
    return agreesOnceRepaired(d, withQuotedValue(d.input, declared, "UTF-16"));
  return false;
}

// XML 1.0, production [26]: VersionNum ::= '1.' [0-9]+. libxml2 takes "1." with no digit after
// the dot for a version 1.x (and so only warns). With "1.0" in its place we must read the
// document as libxml2 did.
bool versionWithoutMinorDigits(const Disagreement& d) {
  if (d.ours.accepted || !libxml2Reads(d.theirs) ||
      causeOf(d.ours) != "XML version \"1.\" is not 1.0 (nor 1.x)") {
    return false;
  }
  return agreesOnceRepaired(d, withQuotedValue(d.input, "1.", "1.0"));
}

// XML 1.0, production [32]: SDDecl ::= S 'standalone' Eq ... . After an encoding declaration
// that it handles itself rather than through a decoder (UTF-8, UTF-16), libxml2 does not require
// that whitespace. With a space put in, we must read the document as libxml2 did.
bool standaloneWithoutSpace(const Disagreement& d) {
  if (d.ours.accepted || !libxml2Reads(d.theirs) ||
      causeOf(d.ours) != "Expected whitespace in the XML declaration, found 's'") {
    return false;
  }
  const std::size_t at = findEncoded(d.input, "standalone");
  if (at == std::string_view::npos)
    return false;
  std::string repaired = d.input;
  repaired.insert(at, encodedAs(" ", layoutOf(d.input)));
  return agreesOnceRepaired(d, repaired);
}

// libxml2 stops reading early: it takes the first U+0000 for the end of the input, and after the
// root element it drops, without an error, the units it cannot decode (a byte above 0x7F in
// US-ASCII, a lone surrogate or an odd last byte in UTF-16). Both are faults by XML 1.0,
// production [2] (Char excludes #x0) and 4.3.3 ("a fatal error if an XML entity ... contains byte
// sequences that are not legal in that encoding"). Our reader checks the encoding of the whole
// input before it reads, so its fault is one of these, though not necessarily the first; cut
// before the first, the input must read as libxml2 read the whole.
std::size_t whereLibxml2Stops(std::string_view input, std::string_view cause) {
  const bool ascii = endsWith(cause, " is not US-ASCII, the encoding declared");
  if (!ascii && cause != "Control character U+0000 is not allowed" &&
      !startsWith(cause, "Malformed UTF-16: ")) {
    return std::string_view::npos;
  }
  const Layout layout = layoutOf(input);
  const std::size_t end = input.size() - (input.size() - layout.start) % layout.width;
  for (std::size_t at = layout.start; at < end; at += layout.width) {
    const unsigned unit = unitAt(input, layout, at);
    if (unit == 0 || (ascii && unit >= 0x80))
      return at;
    if (layout.width == 2 && unit >= 0xD800 && unit <= 0xDFFF) {
      const unsigned next = at + 2 < end ? unitAt(input, layout, at + 2) : 0;
      if (unit >= 0xDC00 || next < 0xDC00 || next > 0xDFFF)
        return at;
      at += 2;
    }
  }
  return end != input.size() ? end : std::string_view::npos;
}

bool stopsEarly(const Disagreement& d) {
  if (d.ours.accepted || !libxml2Reads(d.theirs))
    return false;
  const std::size_t cut = whereLibxml2Stops(d.input, causeOf(d.ours));
  return cut != std::string_view::npos && agreesOnceRepaired(d, d.input.substr(0, cut));
}

struct KnownDifference {
  const char* name;
  bool (*applies)(const Disagreement& d);
};

const KnownDifference kKnownDifferences[] = {
    {"errors beyond well-formedness (namespace names as URIs, xml:id), '&' in namespace names",
     readsAlike},
    {"an encoding we do not read", encodingWeDoNotRead},
    {"an encoding declaration that contradicts the byte order mark", declarationContradictsMark},
    {"version \"1.\"", versionWithoutMinorDigits},
    {"no whitespace before standalone", standaloneWithoutSpace},
    {"libxml2 stops at U+0000, or at an undecodable unit after the root element", stopsEarly},
};

bool explained(const Disagreement& d) {
  return std::any_of(std::begin(kKnownDifferences), std::end(kKnownDifferences),
                     [&d](const KnownDifference& known) { return known.applies(d); });
}

[[noreturn]] void disagreement(const std::string& input, const OurVerdict& ours,
                               const Libxml2Verdict& theirs) {
  std::string report =
      "Our reader and libxml2 disagree on the input\n  " + PelagonTest::cStringLiteral(input) +
      "\nOur reader: " + (ours.accepted ? std::string("accepted") : "rejected: " + ours.message) +
      "\nlibxml2: " + (theirs.accepted ? "accepted" : "rejected") +
      (theirs.decoder.empty() ? "" : " (decoded as " + theirs.decoder + ")") + "\n";
  for (const Libxml2Error& error : theirs.errors) {
    report += "  line " + std::to_string(error.line) + ", column " + std::to_string(error.column) +
              ": " + error.message + " (domain " + std::to_string(error.domain) + ", code " +
              std::to_string(error.code) + ")\n";
  }
  report += "Our tree:\n" + ours.dump + "libxml2's tree:\n" + theirs.dump;
  std::fputs(report.c_str(), stderr);
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  const OurVerdict ours = readWithOurReader(input);
  const Libxml2Verdict theirs = readWithLibxml2(input);
  if (!ours.accepted && (ours.hasDoctype || theirs.hasDoctype))
    return 0;
  if (ours.accepted == theirs.accepted && (!ours.accepted || ours.dump == theirs.dump))
    return 0;
  if (explained({input, ours, theirs, 0}))
    return 0;
  disagreement(input, ours, theirs);
}
