// The sample message of a type: every field filled, from the type table alone. pelagon sample
// prints it as the library writes it; the tests read it as a message of every document type.
#ifndef PELAGON_TOOL_SAMPLEWRITER_HXX
#define PELAGON_TOOL_SAMPLEWRITER_HXX

#include <string>

#include "TypeTable.hxx"

namespace Pelagon {
namespace Tool {

/// A document of type with every field filled: each attribute and text entry a value of its
/// kind (numbered in document order), each list two entries, each element in the namespace its
/// schema gives it. The root element is the type's global element (or named after the type).
std::string sampleDocument(const TypeTable& table, const TypeInfo& type);

/// The sample document read into its type and written again: the message as the library writes
/// it.
std::string sampleMessage(const TypeTable& table, const TypeInfo& type);

}  // namespace Tool
}  // namespace Pelagon

#endif  // PELAGON_TOOL_SAMPLEWRITER_HXX
