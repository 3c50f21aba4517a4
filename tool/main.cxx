// pelagon: check, format and explore the messages of the query service's schema types.
#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include <varnicore/Exceptions.hxx>

#include "CommandLine.hxx"
#include "Commands.hxx"

namespace {

const char kHelp[] = R"help(Usage: pelagon COMMAND [OPTION...] [ARGUMENT...]

Checks, formats and explores messages of the query service's schema types.

Commands:
  check FILE...  read documents into their schema types and report, one line per file
  format FILE    write a document as the library writes it, optionally indented
  types [TYPE]   list the interface versions and their types, or one type's fields
  sample TYPE    print a filled example message of a type

Options:
  --help         show this help; pelagon COMMAND --help shows a command's
  --version      show the version

Results go to standard output, messages to standard error.
)help";

using Pelagon::Tool::kExitFailed;
using Pelagon::Tool::kExitOk;
using Pelagon::Tool::kExitUsage;

int usageError(const std::string& command, const std::string& message) {
  const std::string prefix = command.empty() ? "pelagon" : "pelagon " + command;
  std::cerr << prefix << ": " << message << "\nTry '" << prefix << " --help'.\n";
  return kExitUsage;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty())
    return usageError("", "no COMMAND given");
  const std::string& command = args.front();
  if (command == "--help") {
    std::cout << kHelp;
    return kExitOk;
  }
  if (command == "--version") {
    std::cout << "pelagon " PELAGON_VERSION "\n";
    return kExitOk;
  }
  const std::vector<std::string> rest(args.begin() + 1, args.end());
  try {
    if (command == "check")
      return Pelagon::Tool::runCheck(rest);
    if (command == "format")
      return Pelagon::Tool::runFormat(rest);
    if (command == "types")
      return Pelagon::Tool::runTypes(rest);
    if (command == "sample")
      return Pelagon::Tool::runSample(rest);
  } catch (const Pelagon::Tool::UsageError& error) {
    return usageError(command, error.what());
  } catch (const std::exception& error) {
    std::cerr << "pelagon " << command << ": " << error.what() << '\n';
    return kExitFailed;
  } catch (const Corvanthel::Soa::Common::Exceptions::DomException& error) {
    std::cerr << "pelagon " << command << ": " << error.getMessage() << '\n';
    return kExitFailed;
  }
  return usageError("", "unknown command \"" + command + "\"");
}
