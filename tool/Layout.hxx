// Laying out a document that the library wrote: as written, or indented.
#ifndef PELAGON_TOOL_LAYOUT_HXX
#define PELAGON_TOOL_LAYOUT_HXX

#include <string>

namespace Pelagon {
namespace Tool {

/// The written document followed by a line end. With indent >= 0, each element starts a line of
/// its own, indented by indent spaces per level; whitespace goes only between the child elements
/// of an element that holds elements (which reading ignores), never into text, so no value
/// changes. A document with an element holding both text and elements is left as written.
std::string laidOut(const std::string& written, int indent);

}  // namespace Tool
}  // namespace Pelagon

#endif  // PELAGON_TOOL_LAYOUT_HXX
