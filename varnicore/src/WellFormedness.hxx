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

// An '&' that starts no valid reference and seems to lie in a comment, CDATA section or
// processing instruction, where it is plain text. Only the parsed tree can tell whether that
// section is real: a '<' inside an attribute value (which the parser takes) starts none.
struct PlainTextReference {
  std::size_t amp;      // the offset of the '&'
  std::size_t section;  // the offset of the '<' that opens its section; npos: a DOCTYPE
  std::string error;    // what is wrong with it as a reference
};

// Before parsing: every '&' in character data and attribute values starts one of the five
// predefined entities or a character reference to an XML character. Returns the ones that seem
// to be plain text in a section, for confirmPlainTextReferences.
std::vector<PlainTextReference> checkReferences(const ParsedText& data, std::size_t size);

// After parsing, for a document with plain-text '&'s: each must lie in a section that is not
// inside an attribute value (and not in a DOCTYPE, which a document passing the parser's checks
// does not have at its top). `original` is the text as it was before parsing in place rewrote it.
void confirmPlainTextReferences(const ParsedText& data, std::size_t size, pugi::xml_node root,
                                const std::vector<PlainTextReference>& plain,
                                const std::string& original);

}  // namespace Detail
}  // namespace Xml
}  // namespace Common
}  // namespace Soa
}  // namespace Corvanthel

#endif  // VARNICORE_SRC_WELLFORMEDNESS_HXX
