// Finding the element that reading or writing a document stumbles on. The runtime's exceptions
// carry a message and no place; the tool retraces the generated classes' steps over the parsed
// tree, guided by the type table, to find the element.
#ifndef PELAGON_TOOL_LOCATE_HXX
#define PELAGON_TOOL_LOCATE_HXX

#include "TypeTable.hxx"

namespace Pelagon {
namespace Tool {

/// The element at which reading element as type fails first, in the order the generated classes
/// read: an element's int and date attributes in field order (a value that does not convert),
/// then its child elements in document order (a name no field has, an int entry that does not
/// convert, and what fails inside a child). A type without fields reads nothing. A null node
/// when reading does not fail.
XMLNode findReadFailure(const TypeTable& table, const TypeInfo& type, const XMLNode& element);

/// The element holding the first value that reading keeps but writing rejects (text that XML 1.0
/// cannot carry), in the order the generated classes write: attributes in field order, then the
/// element fields in field order. A null node when there is none.
XMLNode findUnwritableText(const TypeTable& table, const TypeInfo& type, const XMLNode& element);

}  // namespace Tool
}  // namespace Pelagon

#endif  // PELAGON_TOOL_LOCATE_HXX
