// Loading a message and telling where it goes wrong.
#include "Message.hxx"

#include <exception>
#include <utility>

#include <varnicore/Exceptions.hxx>

namespace Pelagon {
namespace Tool {

namespace {

using ::Corvanthel::Soa::Common::Exceptions::DomException;

// The reader's message for an unexpected child names it in full; a line shows its beginning.
std::string shortened(std::string cause) {
  static const std::string kUnexpected = "Unexpected node name: ";
  constexpr std::size_t kShown = 64;
  if (cause.compare(0, kUnexpected.size(), kUnexpected) != 0 ||
      cause.size() <= kUnexpected.size() + kShown) {
    return cause;
  }
  std::size_t cut = kUnexpected.size() + kShown;
  while (cut > kUnexpected.size() && (static_cast<unsigned char>(cause[cut]) & 0xC0) == 0x80)
    --cut;  // not inside a character
  return cause.substr(0, cut) + "...";
}

// The runtime's exceptions carry the place of the fault, where it has one.
Problem fromException(const DomException& error) {
  return Problem{error.getLine(), error.getColumn(), shortened(error.getCause())};
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
    problem = fromException(error);
    return false;
  }
  const XMLNode root = message.input->getRootElement();
  const TypeTable& table = typeTable();
  message.type =
      forcedType ? forcedType : table.findDocument(root.getNamespaceUri(), root.getLocalName());
  if (message.type == nullptr) {
    problem = problemAt(root, unknownRoot(root));
    return false;
  }
  try {
    message.rewritten = message.type->rewrite(root, std::string(root.getLocalName()));
    return true;
  } catch (const DomException& error) {
    problem = fromException(error);
  } catch (const std::exception& error) {  // InvalidXmlText among them
    problem = Problem{0, 0, error.what()};
  }
  return false;
}

bool validateMessage(const Message& message, bool asDocument, Problem& problem) {
  try {
    if (asDocument && message.type->validateDocument != nullptr)
      message.type->validateDocument(*message.input);
    else
      message.type->validateContent(*message.input);
    return true;
  } catch (const DomException& error) {
    problem = fromException(error);
    return false;
  }
}

}  // namespace Tool
}  // namespace Pelagon
