// pelagon format: write a document as the library writes it.
#include <iostream>
#include <string>
#include <utility>

#include "CommandLine.hxx"
#include "Commands.hxx"
#include "Input.hxx"
#include "Layout.hxx"
#include "Message.hxx"

namespace Pelagon {
namespace Tool {

namespace {

const char kHelp[] = R"help(Usage: pelagon format [--indent N] [--type TYPE] FILE

Reads the document in FILE (- reads standard input) into an object of its schema type and writes
the object to standard output as the library writes it: the canonical form, on one line. Reading
drops what no field holds and fills in what the document lacks; pelagon check --strict tells
what that changes.

Options:
  --indent N  put each element on a line of its own, indented by N spaces (0 to 16) per level;
              no value changes, since whitespace goes only between elements that hold elements
  --type [NAMESPACE-OR-VERSION:]NAME
              read the document as this type, whatever its root element is named
  --help      show this help

Exit status: 0 when the document was written, 1 when it could not be read (the error goes to
standard error as FILE:LINE:COLUMN: error: MESSAGE), 2 for a usage error.
)help";

}  // namespace

int runFormat(const std::vector<std::string>& args) {
  const Arguments arguments(args, {"--help"}, {"--indent", "--type"});
  if (printHelpIfAsked(arguments, kHelp))
    return kExitOk;
  if (arguments.operands().size() != 1)
    throw UsageError("format takes one FILE");
  const int indent = indentOption(arguments);
  const TypeInfo* forcedType =
      arguments.has("--type") ? &typeArgument(arguments.value("--type")) : nullptr;
  const std::string& path = arguments.operands().front();
  std::string text;
  std::string error;
  if (!readInput(path, text, error)) {
    std::cerr << reportLine(displayName(path), Problem{0, 0, "cannot read: " + error}) << '\n';
    return kExitFailed;
  }
  Message message;
  Problem problem;
  if (!loadMessage(std::move(text), forcedType, message, problem)) {
    std::cerr << reportLine(displayName(path), problem) << '\n';
    return kExitFailed;
  }
  std::cout << laidOut(message.rewritten, indent) << std::flush;
  return kExitOk;
}

}  // namespace Tool
}  // namespace Pelagon
