#include <varnicore/Exceptions.hxx>

namespace Corvanthel {
namespace Soa {
namespace Common {
namespace Exceptions {

DomException::DomException(const std::string& message) : message_(message) {}

InvalidXmlText::InvalidXmlText(const std::string& message) : std::invalid_argument(message) {}

}  // namespace Exceptions
}  // namespace Common
}  // namespace Soa
}  // namespace Corvanthel
