// Reading the documents named on the command line.
#ifndef PELAGON_TOOL_INPUT_HXX
#define PELAGON_TOOL_INPUT_HXX

#include <string>

namespace Pelagon {
namespace Tool {

/// The text of the file at path, or of standard input for "-". On failure returns false and sets
/// error to the system's reason ("No such file or directory", "Is a directory").
bool readInput(const std::string& path, std::string& text, std::string& error);

/// The name under which a file is reported: the path as given, "<stdin>" for "-".
std::string displayName(const std::string& path);

}  // namespace Tool
}  // namespace Pelagon

#endif  // PELAGON_TOOL_INPUT_HXX
