// pelagon check: read documents into their schema types and report, one line per file.
#include <iostream>
#include <string>
#include <utility>

#include <pelagon/runtime/Extras.hxx>
#include <varnicore/Exceptions.hxx>

#include "CommandLine.hxx"
#include "Commands.hxx"
#include "Input.hxx"
#include "Message.hxx"
#include "Strict.hxx"

namespace Pelagon {
namespace Tool {

namespace {

const char kHelp[] = R"help(Usage: pelagon check [--validate] [--strict] [--type TYPE] FILE...

Reads each document (- reads standard input) into an object of its schema type, picked by the
namespace and local name of its root element, writes the object again, and prints one line per
file on standard output:
  FILE: ok: TYPE (VERSION), N elements (LIST: ENTRIES, ...)
  FILE:LINE:COLUMN: error: MESSAGE
The count is of the elements the object holds as written, and of the entries of each list of the
root element. An error carries the runtime's message (an unexpected element name, a value that
does not convert, malformed text) and the place of the offending element or markup.

Options:
  --type [NAMESPACE-OR-VERSION:]NAME
             read every document as this type, whatever its root element is named
             (e.g. "saved queries 2006-03:ExecuteSavedQueryInput"; pelagon types lists them);
             with --validate, the root element's content is validated against the type, and
             its name is not looked at
  --validate also validate each document against the schema of its type, as the library's
             validateDocument does, and report the first fault; a document that is not valid
             is not ok, even where reading accepts it
  --strict   validate as --validate does, and also report, one line each, what reading
             silently drops or normalises, which validation cannot see: attributes that no
             field names, elements that a type without fields ignores, and any other
             difference between the document and its re-written form beyond namespace
             prefixes and whitespace between elements (an int written +7 or 007 is valid, but
             reads as 7); xsi:schemaLocation and xsi:noNamespaceSchemaLocation, which only
             guide validators, are not reported
  --help     show this help

A build of the library on the runtime's interface alone (PELAGON_PLATFORM_CONTRACT) has no
validation and no places for the errors that reading finds: there --validate is refused, --strict
reports what reading drops or normalises only, and such an error line reads FILE: error: MESSAGE.

Exit status: 0 when every file is ok, 1 when any is not, 2 for a usage error.
)help";

std::size_t countElements(const XMLNode& node) {
  std::size_t count = 1;
  for (const XMLNode& child : node.getChildren())
    count += countElements(child);
  return count;
}

// ", 8 elements (queries: 2)": what the re-written document holds.
std::string summary(const TypeInfo& type, const XMLNode& written) {
  const std::size_t elements = countElements(written);
  std::string text = ", " + std::to_string(elements) + (elements == 1 ? " element" : " elements");
  std::string lists;
  for (const FieldInfo& field : typeTable().fields(type)) {
    if (!field.list)
      continue;
    std::size_t entries = 0;
    for (const XMLNode& child : written.getChildren())
      entries += child.getLocalName() == field.xmlName ? 1 : 0;
    lists +=
        (lists.empty() ? "" : ", ") + std::string(field.xmlName) + ": " + std::to_string(entries);
  }
  return lists.empty() ? text : text + " (" + lists + ")";
}

// Checks one file and prints its lines; true when it is ok.
bool checkFile(const std::string& path, const TypeInfo* forcedType, bool validate, bool strict) {
  const std::string name = displayName(path);
  std::string text;
  std::string error;
  if (!readInput(path, text, error)) {
    std::cout << reportLine(name, Problem{0, 0, "cannot read: " + error}) << '\n';
    return false;
  }
  Message message;
  Problem problem;
  const bool loaded = loadMessage(std::move(text), forcedType, message, problem);
  bool valid = true;
  // A build without validation has --strict report what reading drops or normalises only.
  if ((validate || strict) && message.type != nullptr && message.type->validateContent != nullptr) {
    Problem fault;
    valid = validateMessage(message, forcedType == nullptr, fault);
    if (!valid)
      std::cout << reportLine(name, fault) << '\n';
  }
  // Without --strict, the first fault of an invalid document is all that is reported of it.
  if (!loaded) {
    if (valid || strict)
      std::cout << reportLine(name, problem) << '\n';
    return false;
  }
  if (!valid && !strict)
    return false;
  const XMLDocument written = XMLDocument::parse(message.rewritten);
  if (strict) {
    const std::vector<Problem> findings = strictFindings(
        typeTable(), *message.type, message.input->getRootElement(), written.getRootElement());
    for (const Problem& finding : findings)
      std::cout << reportLine(name, finding) << '\n';
    if (!findings.empty() || !valid)
      return false;
  }
  std::cout << name << ": ok: " << message.type->name << " (" << message.type->version << ")"
            << summary(*message.type, written.getRootElement()) << '\n';
  return true;
}

}  // namespace

int runCheck(const std::vector<std::string>& args) {
  const Arguments arguments(args, {"--help", "--strict", "--validate"}, {"--type"});
  if (printHelpIfAsked(arguments, kHelp))
    return kExitOk;
  if (arguments.operands().empty())
    throw UsageError("no FILE given");
#if !PELAGON_HAS_VALIDATION
  if (arguments.has("--validate"))
    throw UsageError(
        "this build of the library rests on the runtime's interface alone and has no "
        "validation: --validate is not available");
#endif
  const TypeInfo* forcedType =
      arguments.has("--type") ? &typeArgument(arguments.value("--type")) : nullptr;
  bool allOk = true;
  for (const std::string& path : arguments.operands())
    allOk = checkFile(path, forcedType, arguments.has("--validate"), arguments.has("--strict")) &&
            allOk;
  std::cout.flush();
  return allOk ? kExitOk : kExitFailed;
}

}  // namespace Tool
}  // namespace Pelagon
