// The validation that the type table instantiates for every schema type.
#ifndef PELAGON_TOOL_VALIDATE_HXX
#define PELAGON_TOOL_VALIDATE_HXX

#include <varnicore/XMLDocument.hxx>

namespace Pelagon {
namespace Tool {

/// Validates a document as T: its root element as the global element of T, for a type that a
/// global element has.
template <class T>
void validateDocument(const ::Corvanthel::Soa::Common::Xml::XMLDocument& document) {
  T::validateDocument(document);
}

/// Validates the content of a document's root element as T, whatever the element is named.
template <class T>
void validateContent(const ::Corvanthel::Soa::Common::Xml::XMLDocument& document) {
  T::validate(document.getRootElement());
}

}  // namespace Tool
}  // namespace Pelagon

#endif  // PELAGON_TOOL_VALIDATE_HXX
