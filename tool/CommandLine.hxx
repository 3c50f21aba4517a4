// The command line shared by the tool's commands: exit statuses, usage errors and options.
#ifndef PELAGON_TOOL_COMMANDLINE_HXX
#define PELAGON_TOOL_COMMANDLINE_HXX

#include <map>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "TypeTable.hxx"

namespace Pelagon {
namespace Tool {

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

/// A command line the tool cannot carry out; main reports it and exits with kExitUsage.
class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

/// The options and operands of one command. Options are --name, or --name VALUE and
/// --name=VALUE for those that take a value; "-" is an operand, and "--" ends the options.
class Arguments {
 public:
  /// Throws UsageError for an option not in flags or valued, and for a missing value.
  Arguments(const std::vector<std::string>& args, const std::set<std::string>& flags,
            const std::set<std::string>& valued);

  bool has(const std::string& option) const { return options_.count(option) != 0; }
  /// The value of the option (its last one); fallback when absent.
  std::string value(const std::string& option, const std::string& fallback = "") const;
  const std::vector<std::string>& operands() const { return operands_; }

 private:
  std::map<std::string, std::string> options_;
  std::vector<std::string> operands_;
};

/// The value of --indent: a number of spaces from 0 to 16; -1 when the option is absent. Throws
/// UsageError for anything else.
int indentOption(const Arguments& arguments);

/// The type a "[NAMESPACE-OR-VERSION:]NAME" argument names; throws UsageError when it names none
/// or several.
const TypeInfo& typeArgument(const std::string& typeName);

/// Prints a command's help text to standard output when --help was given; true then.
bool printHelpIfAsked(const Arguments& arguments, const char* help);

}  // namespace Tool
}  // namespace Pelagon

#endif  // PELAGON_TOOL_COMMANDLINE_HXX
