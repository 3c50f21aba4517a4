// Part of the declared runtime interface (see Config.hxx).
#ifndef VARNICORE_EXCEPTIONS_HXX
#define VARNICORE_EXCEPTIONS_HXX

#include <string>

namespace Corvanthel {
namespace Soa {
namespace Common {
namespace Exceptions {

// Thrown by value; no std::exception base.
class DomException {
 public:
  explicit DomException(const std::string& message);
};

}  // namespace Exceptions

namespace Xml {

class TryingToCreateNullHandle {};

}  // namespace Xml
}  // namespace Common
}  // namespace Soa
}  // namespace Corvanthel

#endif  // VARNICORE_EXCEPTIONS_HXX
