#include <varnicore/Exceptions.hxx>

namespace Corvanthel {
namespace Soa {
namespace Common {
namespace Exceptions {

DomException::DomException(const std::string& message) : message_(message) {}

DomException::DomException(const std::string& message, int line, int column)
    : message_(message), line_(line), column_(column) {}

DomException DomException::at(int line, int column, const std::string& cause) {
  const std::string place =
      "line " + std::to_string(line) + ", column " + std::to_string(column) + ": ";
  DomException error(place + cause, line, column);
  error.causeStart_ = place.size();
  return error;
}

InvalidXmlText::InvalidXmlText(const std::string& message) : std::invalid_argument(message) {}

}  // namespace Exceptions
}  // namespace Common
}  // namespace Soa
}  // namespace Corvanthel
