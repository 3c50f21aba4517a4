// Loading a message: parse the text, pick the schema type, read it into an object of that type and
// write the object again. What check and format share.
#ifndef PELAGON_TOOL_MESSAGE_HXX
#define PELAGON_TOOL_MESSAGE_HXX

#include <optional>
#include <string>

#include <varnicore/XMLDocument.hxx>

#include "TypeTable.hxx"

namespace Pelagon {
namespace Tool {

using ::Corvanthel::Soa::Common::Xml::XMLDocument;

/// What is wrong with a document, and where: the line and column of the offending element or
/// markup, both 0 when no place is known.
struct Problem {
  int line = 0;
  int column = 0;
  std::string message;
};

/// A problem at the start tag of an element.
Problem problemAt(const XMLNode& node, std::string message);

/// "FILE:LINE:COLUMN: error: MESSAGE", or "FILE: error: MESSAGE" without a place.
std::string reportLine(const std::string& file, const Problem& problem);

/// A document read and written again.
struct Message {
  std::optional<XMLDocument> input;
  const TypeInfo* type = nullptr;
  /// The document as the library writes it.
  std::string rewritten;
};

/// Loads text as a document of forcedType, or, when that is null, of the type whose global
/// element its root element is. Returns false and sets problem when the text is not well-formed,
/// when no type has its root element, or when reading or writing the object throws; the problem
/// then carries the runtime's own message and, wherever the tool can find it, the place of the
/// offending element.
bool loadMessage(std::string text, const TypeInfo* forcedType, Message& message, Problem& problem);

/// Validates the loaded document against the schema of its type: as a document of the type, or,
/// with asDocument false or for a type that no global element has, only the root element's
/// content. Returns false and sets problem at the first fault.
bool validateMessage(const Message& message, bool asDocument, Problem& problem);

}  // namespace Tool
}  // namespace Pelagon

#endif  // PELAGON_TOOL_MESSAGE_HXX
