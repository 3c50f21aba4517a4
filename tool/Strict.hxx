// What reading silently drops or normalises: the differences between a document and the form the
// library writes of it, other than namespace prefixes and insignificant whitespace.
#ifndef PELAGON_TOOL_STRICT_HXX
#define PELAGON_TOOL_STRICT_HXX

#include <vector>

#include "Message.hxx"
#include "TypeTable.hxx"

namespace Pelagon {
namespace Tool {

/// Compares the input document's root element (read as type) with the re-written one, element by
/// element as reading pairs them: children by local name, in order. Reports, at the input element
/// concerned and in document order:
/// - attributes that no field names (reading drops them), attributes whose written value differs
///   and attributes that are written although the document lacks them;
/// - children that a type without fields ignores, and children of text entries;
/// - text in an element of a schema type (reading drops it; whitespace there is insignificant) and
///   text entries whose written text differs;
/// - elements in another namespace than the one they are written in, single children that occur
///   more than once, missing elements that are written all the same, and children that are
///   written in another order.
std::vector<Problem> strictFindings(const TypeTable& table, const TypeInfo& type,
                                    const XMLNode& input, const XMLNode& written);

}  // namespace Tool
}  // namespace Pelagon

#endif  // PELAGON_TOOL_STRICT_HXX
