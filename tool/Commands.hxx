// The tool's commands. Each takes the arguments after its name, prints its results on standard
// output and its messages on standard error, and returns the exit status; a command line it
// cannot carry out throws UsageError.
#ifndef PELAGON_TOOL_COMMANDS_HXX
#define PELAGON_TOOL_COMMANDS_HXX

#include <string>
#include <vector>

namespace Pelagon {
namespace Tool {

int runCheck(const std::vector<std::string>& args);
int runFormat(const std::vector<std::string>& args);
int runTypes(const std::vector<std::string>& args);
int runSample(const std::vector<std::string>& args);

}  // namespace Tool
}  // namespace Pelagon

#endif  // PELAGON_TOOL_COMMANDS_HXX
