// The one operation the type table instantiates for every schema type: read a document into a
// fresh object of the type and write the object again, as the library does.
#ifndef PELAGON_TOOL_REWRITE_HXX
#define PELAGON_TOOL_REWRITE_HXX

#include <string>

#include <varnicore/XMLDocument.hxx>
#include <varnicore/XmlStream.hxx>

namespace Pelagon {
namespace Tool {

/// Parses root into a new T and returns what T writes as an element named rootName. Throws
/// DomException for what reading rejects and InvalidXmlText for text that cannot be written.
template <class T>
std::string rewrite(const ::Corvanthel::Soa::Common::Xml::XMLNode& root,
                    const std::string& rootName) {
  T object;
  object.parse(root);
  ::Corvanthel::Soa::Common::Xml::XmlStream stream;
  object.outputXML(stream, rootName);
  return stream.str();
}

}  // namespace Tool
}  // namespace Pelagon

#endif  // PELAGON_TOOL_REWRITE_HXX
