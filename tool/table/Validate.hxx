// The validation that the type table instantiates for every schema type.
#ifndef PELAGON_TOOL_VALIDATE_HXX
#define PELAGON_TOOL_VALIDATE_HXX

#include <pelagon/runtime/Extras.hxx>
#include <varnicore/XMLDocument.hxx>

#include "TypeTable.hxx"

namespace Pelagon {
namespace Tool {

#if PELAGON_HAS_VALIDATION
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

template <class T>
constexpr ValidateFunction kValidateDocument = &validateDocument<T>;
template <class T>
constexpr ValidateFunction kValidateContent = &validateContent<T>;
#else
// The schema classes of this build have no validation.
template <class T>
constexpr ValidateFunction kValidateDocument = nullptr;
template <class T>
constexpr ValidateFunction kValidateContent = nullptr;
#endif

}  // namespace Tool
}  // namespace Pelagon

#endif  // PELAGON_TOOL_VALIDATE_HXX
