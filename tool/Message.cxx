// Loading a message and telling where it goes wrong.
#include "Message.hxx"

#include <cstdlib>
#include <exception>
#include <utility>

#include <varnicore/Exceptions.hxx>

#include "Locate.hxx"

namespace Pelagon {
namespace Tool {

namespace {

using ::Corvanthel::Soa::Common::Exceptions::DomException;
using ::Corvanthel::Soa::Common::Exceptions::InvalidXmlText;

// Reads a decimal number at text[pos]; advances pos past it. -1 when there is none.
int readNumber(const std::string& text, std::size_t& pos) {
  const std::size_t start = pos;
  while (pos < text.size() && pos - start < 9 && text[pos] >= '0' && text[pos] <= '9')
    ++pos;
  return pos == start ? -1 : std::atoi(text.c_str() + start);
}

// The parser reports malformed text as "line L, column C: cause".
Problem parseProblem(const std::string& message) {
  const std::string line = "line ";
  const std::string column = ", column ";
  std::size_t pos = line.size();
  Problem problem;
  problem.message = message;
  if (message.compare(0, line.size(), line) != 0)
    return problem;
  const int lineNumber = readNumber(message, pos);
  if (lineNumber < 0 || message.compare(pos, column.size(), column) != 0)
    return problem;
  pos += column.size();
  const int columnNumber = readNumber(message, pos);
  if (columnNumber < 0 || message.compare(pos, 2, ": ") != 0)
    return problem;
  problem.line = lineNumber;
  problem.column = columnNumber;
  problem.message = message.substr(pos + 2);
  return problem;
}

std::string unknownRoot(const XMLNode& root) {
  const std::string uri = root.getNamespaceUri();
  return "no type has the document element \"" + std::string(root.getLocalName()) + "\" " +
         (uri.empty() ? "in no namespace" : "in namespace \"" + uri + "\"") +
         "; name one with --type";
}

}  // namespace

Problem problemAt(const XMLNode& node, std::string message) {
  Problem problem;
  problem.line = node.getLine();
  problem.column = node.getColumn();
  problem.message = std::move(message);
  return problem;
}

std::string reportLine(const std::string& file, const Problem& problem) {
  std::string line = file;
  if (problem.line > 0)
    line += ":" + std::to_string(problem.line) + ":" + std::to_string(problem.column);
  return line + ": error: " + problem.message;
}

bool loadMessage(std::string text, const TypeInfo* forcedType, Message& message, Problem& problem) {
  try {
    message.input.emplace(XMLDocument::parse(std::move(text)));
  } catch (const DomException& error) {
    problem = parseProblem(error.getMessage());
    return false;
  }
  const XMLNode root = message.input->getRootElement();
  const TypeTable& table = typeTable();
  try {
    message.type =
        forcedType ? forcedType : table.findDocument(root.getNamespaceUri(), root.getLocalName());
  } catch (const DomException& error) {  // a namespace declaration given twice
    problem = parseProblem(error.getMessage());
    return false;
  }
  if (message.type == nullptr) {
    problem = problemAt(root, unknownRoot(root));
    return false;
  }
  try {
    message.rewritten = message.type->rewrite(root, std::string(root.getLocalName()));
    return true;
  } catch (const DomException& error) {
    XMLNode where;
    try {
      where = findReadFailure(table, *message.type, root);
    } catch (const DomException&) {
      // The search met the fault itself (a repeated attribute), whose message says where it is.
    }
    problem = where ? problemAt(where, error.getMessage()) : parseProblem(error.getMessage());
  } catch (const InvalidXmlText& error) {
    const XMLNode where = findUnwritableText(table, *message.type, root);
    problem = where ? problemAt(where, error.what()) : Problem{0, 0, error.what()};
  } catch (const std::exception& error) {
    problem = Problem{0, 0, error.what()};
  }
  return false;
}

}  // namespace Tool
}  // namespace Pelagon
