#include <varnicore/BaseObject.hxx>

namespace Corvanthel {
namespace Soa {
namespace Common {
namespace Xml {

// Out of line so that the vtable and type info live in this library only; dynamic_cast across
// library boundaries depends on it.
BaseObject::~BaseObject() = default;

const std::string& BaseObject::empty() noexcept {
  static const std::string none;
  return none;
}

}  // namespace Xml
}  // namespace Common
}  // namespace Soa
}  // namespace Corvanthel
