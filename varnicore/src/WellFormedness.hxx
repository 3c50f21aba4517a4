// The checks of the text that make parsing reject what XML 1.0 forbids and pugixml would let pass,
// each of which would otherwise change data silently (not installed).
#ifndef VARNICORE_SRC_WELLFORMEDNESS_HXX
#define VARNICORE_SRC_WELLFORMEDNESS_HXX

#include <cstddef>
#include <string>
#include <vector>

#include "ParsedText.hxx"

namespace Corvanthel {
namespace Soa {
namespace Common {
namespace Xml {
namespace Detail {

// Before parsing: the text consists of XML characters only (well-formed UTF-8, no control
// character but tab, LF and CR). Records where the lines start on the way.
void checkCharacters(ParsedText& data, std::size_t size);

// A comment, CDATA section or processing instruction that seems to hold an '&' that starts no
// valid reference, which is plain text there. Only the parsed tree can tell whether the section
// is real: a '<' inside an attribute value (which the parser takes) starts none.
struct PlainTextSection {
  std::size_t start;     // the offset of the '<' that opens it; npos: a DOCTYPE, never confirmed
  std::size_t firstAmp;  // the offset of the first such '&' in it
};

// Before parsing: every '&' in character data and attribute values starts one of the five
// predefined entities or a character reference to an XML character. Returns the sections, in
// text order, that seem to hold any other '&', for confirmPlainTextSections.
std::vector<PlainTextSection> checkReferences(const ParsedText& data, std::size_t size);

// After parsing, for a document with such sections: each must be one, not inside an attribute
// value (and not in a DOCTYPE, which a document that passed the parser's checks does not have at
// its top). `original` is the text as it was before parsing in place rewrote it.
void confirmPlainTextSections(const ParsedText& data, std::size_t size, pugi::xml_node root,
                              const std::vector<PlainTextSection>& plain,
                              const std::string& original);

}  // namespace Detail
}  // namespace Xml
}  // namespace Common
}  // namespace Soa
}  // namespace Corvanthel

#endif  // VARNICORE_SRC_WELLFORMEDNESS_HXX
