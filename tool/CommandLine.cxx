// Options and operands of the tool's commands.
#include "CommandLine.hxx"

#include <iostream>

namespace Pelagon {
namespace Tool {

Arguments::Arguments(const std::vector<std::string>& args, const std::set<std::string>& flags,
                     const std::set<std::string>& valued) {
  bool optionsEnded = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (optionsEnded || arg.size() < 2 || arg.compare(0, 1, "-") != 0) {
      operands_.push_back(arg);
      continue;
    }
    if (arg == "--") {
      optionsEnded = true;
      continue;
    }
    const std::size_t equals = arg.find('=');
    const std::string name = arg.substr(0, equals);
    if (flags.count(name) != 0 && equals == std::string::npos) {
      options_[name];
    } else if (valued.count(name) != 0) {
      if (equals != std::string::npos) {
        options_[name] = arg.substr(equals + 1);
      } else if (i + 1 < args.size()) {
        options_[name] = args[++i];
      } else {
        throw UsageError("option " + name + " needs a value");
      }
    } else {
      throw UsageError("unknown option " + arg);
    }
  }
}

std::string Arguments::value(const std::string& option, const std::string& fallback) const {
  const auto found = options_.find(option);
  return found == options_.end() ? fallback : found->second;
}

int indentOption(const Arguments& arguments) {
  if (!arguments.has("--indent"))
    return -1;
  const std::string text = arguments.value("--indent");
  if (text.empty() || text.size() > 2 ||
      text.find_first_not_of("0123456789") != std::string::npos || std::stoi(text) > 16) {
    throw UsageError("--indent takes a number of spaces from 0 to 16, not \"" + text + "\"");
  }
  return std::stoi(text);
}

const TypeInfo& typeArgument(const std::string& typeName) {
  const TypeLookup lookup = typeTable().find(typeName);
  if (lookup.type == nullptr)
    throw UsageError(lookup.error);
  return *lookup.type;
}

bool printHelpIfAsked(const Arguments& arguments, const char* help) {
  if (!arguments.has("--help"))
    return false;
  std::cout << help;
  return true;
}

}  // namespace Tool
}  // namespace Pelagon
