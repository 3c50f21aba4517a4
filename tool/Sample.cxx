// pelagon sample: a filled example message of a type, built from the type table.
#include <iostream>
#include <string>

#include "CommandLine.hxx"
#include "Commands.hxx"
#include "Layout.hxx"
#include "Message.hxx"
#include "SampleWriter.hxx"
#include "TypeTable.hxx"

namespace Pelagon {
namespace Tool {

namespace {

const char kHelp[] = R"help(Usage: pelagon sample [--indent N] TYPE

Prints an example message of TYPE ([NAMESPACE-OR-VERSION:]NAME, e.g.
"saved queries 2006-03:ExecuteSavedQueryInput", or the name alone when only one version has it)
with every field filled: each attribute and text entry gets a value of its kind, each list two
entries. The message is read into the type and written as the library writes it, so pelagon
check accepts it (with --type for a type that is not a document type).

Options:
  --indent N  put each element on a line of its own, indented by N spaces (0 to 16) per level
  --help      show this help

Exit status: 0, or 2 for a usage error (a TYPE that names no type, or several).
)help";

}  // namespace

int runSample(const std::vector<std::string>& args) {
  const Arguments arguments(args, {"--help"}, {"--indent"});
  if (printHelpIfAsked(arguments, kHelp))
    return kExitOk;
  if (arguments.operands().size() != 1)
    throw UsageError("sample takes one TYPE");
  const int indent = indentOption(arguments);
  const TypeInfo& type = typeArgument(arguments.operands().front());
  Message message;
  Problem problem;
  if (!loadMessage(sampleDocument(typeTable(), type), &type, message, problem)) {
    std::cerr << reportLine("sample", problem) << '\n';
    return kExitFailed;
  }
  std::cout << laidOut(message.rewritten, indent) << std::flush;
  return kExitOk;
}

}  // namespace Tool
}  // namespace Pelagon
