// pelagon types: the interface versions and their types, or one type's fields.
#include <algorithm>
#include <array>
#include <iostream>
#include <string>
#include <vector>

#include "CommandLine.hxx"
#include "Commands.hxx"
#include "TypeTable.hxx"

namespace Pelagon {
namespace Tool {

namespace {

const char kHelp[] = R"help(Usage: pelagon types [TYPE]

Without TYPE, lists the interface versions this build knows, each with its namespace URI, and
their types; a document type (one that a message can hold as its root) is marked "(document)".

With TYPE ([NAMESPACE-OR-VERSION:]NAME, e.g. "saved queries 2007-06:SavedQueryInput", or the name
alone when only one version has it), shows the type and its fields in order: XML name, kind
(string, int, date, string_list, int_list, child, child_list, ref), accessor stem (get<stem>,
set<stem>; add<stem> and get<stem>Array for lists) and, for elements of a schema type, the type.

Options:
  --help  show this help

Exit status: 0, or 2 for a usage error (a TYPE that names no type, or several).
)help";

std::string qualifiedName(const TypeInfo& type) {
  return std::string(type.version) + ":" + type.name;
}

void listTypes(const TypeTable& table) {
  const char* version = nullptr;
  for (const TypeInfo& type : table.types()) {
    if (version == nullptr || std::string(version) != type.version) {
      version = type.version;
      std::cout << version << ": " << type.namespaceUri << '\n';
    }
    std::cout << "  " << type.name;
    if (type.document) {
      const std::string root = table.rootName(type);
      std::cout << (root == type.name ? " (document)" : " (document element " + root + ")");
    }
    std::cout << '\n';
  }
}

void showType(const TypeTable& table, const TypeInfo& type) {
  std::cout << "type: " << type.name << '\n'
            << "version: " << type.version << '\n'
            << "namespace: " << type.namespaceUri << '\n'
            << "document element: " << (type.document ? table.rootName(type) : "none") << '\n';
  const Range<FieldInfo> fields = table.fields(type);
  if (fields.empty()) {
    std::cout << "fields: none (reading ignores child elements of any name)\n";
    return;
  }
  std::vector<std::array<std::string, 4>> rows{{"XML name", "kind", "accessor stem", "entry type"}};
  for (const FieldInfo& field : fields) {
    rows.push_back({field.xmlName, field.kindName, field.stem,
                    field.entryType != kNoType ? qualifiedName(table.type(field.entryType)) : ""});
  }
  std::array<std::size_t, 3> widths{};
  for (const auto& row : rows) {
    for (std::size_t i = 0; i < widths.size(); ++i)
      widths[i] = std::max(widths[i], row[i].size());
  }
  std::cout << "fields:\n";
  for (const auto& row : rows) {
    std::string line = "  ";
    for (std::size_t i = 0; i < widths.size(); ++i)
      line += row[i] + std::string(widths[i] - row[i].size() + 2, ' ');
    line += row[3];
    line.erase(line.find_last_not_of(' ') + 1);
    std::cout << line << '\n';
  }
}

}  // namespace

int runTypes(const std::vector<std::string>& args) {
  const Arguments arguments(args, {"--help"}, {});
  if (printHelpIfAsked(arguments, kHelp))
    return kExitOk;
  const TypeTable& table = typeTable();
  if (arguments.operands().empty()) {
    listTypes(table);
  } else if (arguments.operands().size() == 1) {
    showType(table, typeArgument(arguments.operands().front()));
  } else {
    throw UsageError("types takes at most one TYPE");
  }
  return kExitOk;
}

}  // namespace Tool
}  // namespace Pelagon
